#pragma once
// The text master "Maestro de Textos": the predefined texts of table TEXTO
// (Codigo, Descripcion, the memo Texto and Tipo, "Plantilla" for templates
// filled in before insertion) that users put into memo fields with Ctrl+T.
// The record form of the master template; the code is typed only for a new
// text, and the window does not close while a text is being edited.

#include "gene/session/genemaes.h"

class TDBComboBox;
class TDBMemo;
class TLabel;

class TfGENEMTEX : public TMaestroFicha {
    Q_OBJECT
public:
    explicit TfGENEMTEX(QWidget* owner = nullptr);
    ~TfGENEMTEX() override;

    TLabel* LabelCodigo;
    TDBEdit* EditCodigo;
    TLabel* LabelDescripcion;
    TDBEdit* EditDescripcion;
    TLabel* LabelTexto;
    TDBMemo* MemoTexto;
    TLabel* LabelTipo;
    TDBComboBox* EditTipo;
    TMenuItem* ListarFichaActual1;
    TMenuItem* FormatoOriginal1;
    TMenuItem* APaginaCompleta1;

    void Table1BeforeInsert(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    // Refuses to close while a table of the form is being edited.
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    Q_INVOKABLE void FormatoOriginal1Click(QObject* Sender);
    Q_INVOKABLE void APaginaCompleta1Click(QObject* Sender);

    // Prints the window: at its size on screen, or fitted to the page.
    void ImprimirFicha(bool AjustarPagina);
};

extern TfGENEMTEX* fGENEMTEX;

// Puts the form class in the form registry (idempotent).
void RegistrarTfGENEMTEX();
