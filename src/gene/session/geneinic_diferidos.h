#pragma once

// While one lives, information and warnings are kept instead of shown, and
// shown in their order when the outermost one ends (Mostrar or its end): a
// confirm's transaction is ended before any of its messages is on screen,
// so that no box left open holds a lock another user waits for. Questions,
// prompts and errors are shown at once.
class TMensajesDiferidos {
public:
    TMensajesDiferidos();
    ~TMensajesDiferidos();
    TMensajesDiferidos(const TMensajesDiferidos&) = delete;
    TMensajesDiferidos& operator=(const TMensajesDiferidos&) = delete;
    void Mostrar();

private:
    bool activo_ = true;
};
