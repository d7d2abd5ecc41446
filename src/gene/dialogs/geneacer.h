#pragma once
// The about box: the program's name, and the version with the date and
// time of the executable, inside a black frame. Enter or its button closes it.

#include "ui/form.h"

class TButton;
class TLabel;
class TPanel;

// The version the about box shows.
inline constexpr const char* kVersionPrograma = "2024b";

class TfGENEACER : public TForm {
    Q_OBJECT
public:
    explicit TfGENEACER(QWidget* owner = nullptr);
    TPanel* Panel1;  // the four frame panels: top, bottom, left, right
    TPanel* Panel2;
    TPanel* Panel3;
    TPanel* Panel4;
    TLabel* Producto;
    TLabel* Version;
    TButton* pbCerrar;
};

// "Versión 2024b - (" + the executable's date and time + ")", "Versión"
// translated into the session language.
QString TextoVersion();
