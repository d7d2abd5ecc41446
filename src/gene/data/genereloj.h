#pragma once
// The hourglass cursor for the length of a scope, so that no exit path (an
// exception included) leaves it on. Without a GUI application it does nothing.

class TCursorEspera {
public:
    TCursorEspera();
    ~TCursorEspera();
    TCursorEspera(const TCursorEspera&) = delete;
    TCursorEspera& operator=(const TCursorEspera&) = delete;

private:
    bool activo_;
};
