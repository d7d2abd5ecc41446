#pragma once
// The filter dialog: the user builds a dataset filter line by line from
// field, operator and value (or edits it freely), keeps named filters per
// table in FILTRO of the company database, and applies the result to the
// dataset a maintenance form shows.

#include <QString>
#include <QStringList>

#include "ui/form.h"

class TButton;
class TComboBox;
class TDataSet;
class TDataSource;
class TEdit;
class TMainMenu;
class TMemo;
class TMenuItem;
class TTable;

// One condition line of the filter: "(Campo op 'valor')", the value quoted
// as filter literals are ('' inside stands for one quote).
QString CondicionFiltro(const QString& Campo, const QString& Operador, const QString& Valor);

// The first field hidden from the user (CampoNoVisible) that a filter text
// compares, named as DataSet calls it ("" when none, or when the text is no
// filter: applying it fails on its own). The names are read by the filter
// grammar's own parser and resolved as the dataset resolves them, so no
// spelling, case, bracket or spacing lets one through.
QString CampoNoVisibleFiltro(const QString& Filtro, TDataSet* DataSet);
// The warning that refuses such a filter.
QString TextoCampoNoVisibleFiltro(const QString& Campo);

class TfGENEFILT : public TForm {
    Q_OBJECT
public:
    explicit TfGENEFILT(QWidget* owner = nullptr);
    ~TfGENEFILT() override;

    QString TablaFiltro;

    TComboBox* EditDescripcionFiltro;
    TComboBox* ListaCampos;
    TComboBox* Operador;
    TEdit* Valor;
    TButton* pbAgregar;
    TMemo* MemoFiltros;
    TButton* pbAplicar;
    TButton* pbCancelar;
    TButton* pbRestablecer;
    TMainMenu* MainMenu1;
    TMenuItem* Archivo;
    TMenuItem* Guardar;
    TMenuItem* GuardarComo;
    TMenuItem* Eliminar;
    TMenuItem* Salir;
    TTable* Filtro;
    TDataSource* DSFiltro;

    // Fills the dialog for a dataset; false when FILTRO cannot be opened.
    bool Preparar(TDataSet* DataSet);
    // After the dialog: on mrOk the memo becomes the dataset's filter (a bad
    // one is warned about and leaves the dataset unfiltered) and the dataset
    // goes to its first record; any other result, or a filter on a field
    // hidden from the user (warned about), leaves it untouched.
    void Aplicar(TDataSet* DataSet, int Resultado);

    void pbAgregarClick();
    void pbRestablecerClick();
    // Loads the saved filter of that description.
    void EditDescripcionFiltroClick();
    void GuardarClick();
    void GuardarComoClick();
    void EliminarClick();
    void FormClose();

private:
    void cargarDescripciones(const QString& actual);
    bool situarEn(const QString& descripcion);
};

// The whole interaction for a dataset of a maintenance form.
void FiltrarRegistros(TDataSet* DataSet);
