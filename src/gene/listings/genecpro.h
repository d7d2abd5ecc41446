#pragma once
// The programmable-listing designer: the user lists the records of a table
// (query mode: a SELECT over the physical table) or of an open dataset
// (dataset mode: the dataset itself, filtered and, when asked, sorted through
// a temporary table), choosing and ordering the fields, restricting the rows
// by value ranges and filter lines, adjusting the columns on a live grid, and
// keeps all of it as named formats in FORMLIST. "Conforme" produces the
// listing (genecpro_ejecutar.cpp): the run-time built report or a workbook.
//
// One designer lives from start-up to exit (fGENECPRO); ListadoProgramable
// prepares it for each call and shows it modally.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "ui/form.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDataSet;
class TDataSource;
class TDBGrid;
class TDBNavigator;
class TEdit;
class TGroupBox;
class TListBox;
class TMemo;
class TPageControl;
class TPanel;
class TPopupMenu;
class TQuery;
class TSpeedButton;
class TSpinEdit;
class TStringGrid;
class TTabSheet;
class TTable;
class TfGENELPRO;

// While one lives, the programmable listings of a table keep every output
// (the adjusting grid, the listing, the workbook) to the rows that meet
// `Condicion` (SQL on the listed table: the rows the user may see), the
// source cannot be switched to the caller's dataset, and after a listing that
// left rows out the user is told `Aviso` with "%1" for their number.
class TRestriccionListado {
public:
    TRestriccionListado(const QString& Condicion, const QString& Aviso);
    ~TRestriccionListado();
    TRestriccionListado(const TRestriccionListado&) = delete;
    TRestriccionListado& operator=(const TRestriccionListado&) = delete;

    static QString Condicion();
    static QString Aviso();
};

class TfGENECPRO : public TForm {
    Q_OBJECT
public:
    explicit TfGENECPRO(QWidget* owner = nullptr);
    ~TfGENECPRO() override;

    TPanel* PanelControl;
    TComboBox* NombreFormato;
    TSpeedButton* pbGuardar;
    TSpeedButton* pbGuardarComo;
    TSpeedButton* pbEliminar;
    TSpeedButton* pbStandard;
    TSpeedButton* pbCambiarFont;
    TSpeedButton* pbActivarTablaLogica;
    TSpeedButton* pbExportarExcel;
    TDBNavigator* DBNavigator1;
    TEdit* Titulo;
    TPageControl* PageControl1;
    TTabSheet* PagSeleccionCampos;
    TTabSheet* PagDesdeHasta;
    TTabSheet* PagFiltros;
    TTabSheet* PagAjustar;
    TListBox* LBDisponible;
    TListBox* LBSeleccionado;
    TStringGrid* StringGrid;
    TComboBox* ListaCampos;
    TComboBox* Operador;
    TEdit* Valor;
    TButton* pbAgregar;
    TMemo* MemoFiltros;
    TDBGrid* DBGrid1;
    TCheckBox* FormatoFicha;
    TSpinEdit* NumeroColumnasFicha;
    TSpinEdit* NumeroLineasMemoFicha;
    TCheckBox* SepararPorPaginas;
    TCheckBox* cbApaisado;
    TComboBox* cbTamanio;
    TCheckBox* VisualizacionPrevia;
    TCheckBox* cbClasificado;
    TCheckBox* LimitarPalabras;
    TButton* pbConforme;
    TButton* pbSalir;
    TPopupMenu* PopupMenu1;

    TTable* Formato;
    TDataSource* DataSource1;
    TTable* TablaFisica;
    TQuery* Query1;
    TDataSource* DSAjustar;
    TTable* Temporal;

    // Per type name of ListaCampos' fields.
    QStringList TiposCampos;
    QString FiltroOriginal;
    QString PrefijoListado;
    QPointer<TDataSet> DataSetListado;
    QString TituloListado;
    bool CamposOrdenados = true;

    // Prepares the designer for a dataset and shows it modally (unless it is
    // already shown). False when its tables could not be opened (after the
    // warning). Mostrar false prepares it only (the callers' tests).
    bool ListadoProgramable(TDataSet* DataSet, const QString& Prefijo, const QString& Opciones,
                            const QString& Caption, bool Mostrar = true);
    bool ModoDataSet() const;

    // Loading and storing formats.
    void CargarFormato(QObject* Sender);
    void pbGuardarClick();
    void pbGuardarComoClick();
    void pbEliminarClick();
    void NombreFormatoChange();
    void pbActivarTablaLogicaClick();
    // The key of the formats: the call's prefix, else the table's name.
    QString ClaveFormatos() const;

    // Filter lines and the restriction condition.
    void pbAgregarClick();
    // Warns, naming the field, of the first range bound of a number field
    // that is no number.
    bool RangosValidos() const;
    QString CondicionRangosListado() const;
    QString CondicionListado() const;
    bool AplicarFiltroTabla();
    bool EjecutarSentenciaListado();
    // The statement EjecutarSentenciaListado opens.
    QString SentenciaListado() const;
    QString TablaSentencia() const;
    // After a restricted listing: the user is told how many rows of the
    // table met the listing's own conditions but were left out.
    void AvisarFilasRestringidas();

    // Pages and the grid.
    void PageControl1Changing(bool& Permitir);
    void PageControl1Change();
    void IrAPagina(TTabSheet* Pagina);
    void SincronizarCampos(const QString& Modo);
    // What a cell of the range grid shows: titles translated, field names
    // abbreviated and translated, values as typed.
    QString TextoRejillaRangos(int Columna, int Fila);
    // A move to another stored format starts again on "Selección".
    void DataSource1DataChange();
    void FormatoFichaClick();
    void pbCambiarFontClick();
    void AgregarDisponibles();
    void QuitarSeleccionados();
    void FormClose();

    // "Conforme": the whole run; ClasificarListado builds Temporal.
    void pbConformeClick();
    void ClasificarListado();

private:
    void construir();
    void prepararRejillaRangos();
    void anchosRejillaRangos();
    QString literalRango(int Fila, const QString& Texto) const;
    void conforme(TDataSet*& Recordado, TDataSet*& Desactivado);
    TfGENELPRO* crearInforme();
    bool cargando_ = false;
    // Shown texts of the range grid by cell text: painting asks often and a
    // failed translation is looked up again each time.
    QHash<QString, QString> textosRangos_;
};

extern QPointer<TfGENECPRO> fGENECPRO;

// The literal of a filter value typed for a field of that type name
// ("ftFloat", "ftDate", ...): dates read as dates and written in the mode's
// format (dataset mode "dd/mm/yyyy", else the engine's date literal), floats
// with "." rewritten in Valor as "," and written with six decimals; all
// quoted by the one routine. Valido false (and "") for a date that cannot be
// read.
QString LiteralFiltroListado(const QString& Tipo, QString& Valor, bool ModoDataSet, bool& Valido);
// The definition text of the sort table for a dataset's fields.
QString DefinicionTablaClasificacion(TDataSet* DataSet);

// Installs the designer as the framework's programmable listing.
void InstalarListadosProgramables();
