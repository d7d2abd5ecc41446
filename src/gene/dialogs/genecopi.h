#pragma once
// Copying the records a maintenance form shows (every record of its table
// that passes its filter) into the same table of other companies, by one of
// three methods: "Agregar y Sustituir" (overwrite the records whose key
// exists, append the rest), "Agregar" (append only, records whose key exists
// are left as they are) and "Sustituir" (overwrite only). Each company's copy
// is all or nothing.

#include <QList>
#include <QString>

#include "ui/form.h"

class TButton;
class TEdit;
class TLabel;
class TListBox;
class TPanel;
class TRadioButton;
class TTable;

enum TMetodoCopia { mcAgregarYSustituir, mcAgregar, mcSustituir };

// Copies the table's records into the company's copy of the table (created
// there when missing). False when the company's database or table cannot be
// reached or any record fails: the company's data are then as they were.
bool CopiarRegistrosEmpresa(TTable* Origen, int CodigoEmpresa, TMetodoCopia Metodo);

class TfGENECOPI : public TForm {
    Q_OBJECT
public:
    explicit TfGENECOPI(QWidget* owner = nullptr);
    ~TfGENECOPI() override;

    TPanel* PanelEmpresaOrigen;
    TEdit* EditEmpresaOrigen;
    TLabel* LabelLista;
    TListBox* ListaEmpresas;
    TPanel* PanelMetodo;
    TRadioButton* AgregarYSustituir;
    TRadioButton* Agregar;
    TRadioButton* Sustituir;
    TButton* pbConforme;
    TButton* pbCancelar;

    // The companies of EMPRESA other than the current one, in table order.
    struct Empresa {
        int Codigo = 0;
        QString Nombre;
    };
    QList<Empresa> Empresas;

    // Fills the list from EMPRESA; false when it cannot be read.
    bool Preparar();
    TMetodoCopia Metodo() const;
    // The companies chosen: every one with "Todas", else those whose name is
    // a selected item (two companies of the same name go together).
    QList<int> EmpresasElegidas() const;
};

// The whole interaction for the table of a maintenance form.
void CopiarRegistrosAEmpresas(TTable* DataSet);
