#pragma once
// The memo-field viewer: one text field of a dataset in a full-window memo,
// editable or read-only. One window is reused by every call; between calls
// its memo is bound to nothing.

#include <QString>

#include "ui/form.h"

class TDBMemo;
class TDataSet;
class TDataSource;
class TPanel;

class TfGENEVMEM : public TForm {
    Q_OBJECT
public:
    explicit TfGENEVMEM(QWidget* owner = nullptr);
    ~TfGENEVMEM() override;

    TPanel* Panel1;
    TDBMemo* DBMemo;
    TDataSource* DataSource1;

    // Binds the memo to a field of the dataset (nullptr: unbinds it).
    void Vincular(TDataSet* DataSet, const QString& NombreCampo, bool SoloLectura);
    // The empty lines at the end of the memo go (into the field when editable).
    void QuitarLineasFinales();
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) {}
};

extern TfGENEVMEM* fGENEVMEM;

// Edits the field in the memo (the caller's dataset is in edit state);
// Texto: the memo's text when the window closes. Opciones: "CursorAlFinal"
// puts the caret after the last character. With an interface language the
// caption is the translation of "Visualizar/Asignar Campo de Texto (field)".
void VisualizarAsignarCampoTexto(TDataSet* DataSet, const QString& Titulo,
                                 const QString& NombreCampo, QString& Texto,
                                 const QString& Opciones = QString());
// The same, read-only.
void VisorCampoTexto(TDataSet* DataSet, const QString& Titulo, const QString& NombreCampo);
