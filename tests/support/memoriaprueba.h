#pragma once
// The memory a piece of work takes, as the system counts it for the test
// program: the peak resident size since the count was started again.

#include <QtGlobal>

// A bound of memory in MB as the build measures it: AddressSanitizer keeps
// freed blocks in quarantine and pads every block, so a program built with it
// holds several times what the same work holds otherwise.
constexpr qint64 LimiteMemoriaMB(qint64 megas) {
#if defined(__SANITIZE_ADDRESS__)
    return megas * 4;
#else
    return megas;
#endif
}

// Starts the peak count again from the present size.
void ReiniciarPicoMemoria();
// The peak resident size since ReiniciarPicoMemoria, and the present one, in MB.
qint64 PicoMemoriaMB();
qint64 MemoriaMB();
