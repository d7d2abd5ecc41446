#pragma once
// The memory a piece of work takes, as the system counts it for the test
// program: the peak resident size since the count was started again.

#include <QtGlobal>

// Starts the peak count again from the present size.
void ReiniciarPicoMemoria();
// The peak resident size since ReiniciarPicoMemoria, and the present one, in MB.
qint64 PicoMemoriaMB();
qint64 MemoriaMB();
