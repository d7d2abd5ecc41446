#pragma once
// The custom-report designer: an administrator picks dictionary tables,
// columns, restrictions, links, an ordering, header groups and sums, sets the
// page format and the printed column widths, and watches the SELECT they make
// (genecinf_sql.*) grow as he works. Reports are stored, one FILTRO row each,
// by genecinf_filtro.*; the storage handlers, access lists and exchange are in
// genecinf_almacen.cpp.

#include <QPointer>
#include <QString>
#include <QStringList>

#include "ui/form.h"

class QTextBrowser;
class TButton;
class TCheckBox;
class TEdit;
class TListBox;
class TMemo;
class TPageControl;
class TPaintBox;
class TPanel;
class TPopupMenu;
class TRadioButton;
class TSpeedButton;
class TSpinEdit;
class TStringGrid;
class TTabSheet;
class TTable;
struct DefinicionInforme;

class TfGENECINF : public TForm {
    Q_OBJECT
public:
    explicit TfGENECINF(QWidget* owner = nullptr);
    ~TfGENECINF() override;

    // Tool bar.
    TPanel* PanelControl;
    TSpeedButton* pbNuevo;
    TSpeedButton* pbGuardar;
    TSpeedButton* pbGuardarComo;
    TSpeedButton* pbEliminar;
    TSpeedButton* pbValidarInforme;
    TSpeedButton* pbRestringirAUsuarios;
    TSpeedButton* pbPersonalizarMenu;
    TSpeedButton* pbCopiarConfiguracion;
    TSpeedButton* pbCopiarAOtrasEmpresas;
    TSpeedButton* pbZoom;
    TSpeedButton* pbImportar;
    TSpeedButton* pbExportar;
    TSpeedButton* pbImprimir;
    TSpeedButton* pbSalir;
    TSpeedButton* pbBuscar;
    // The name of the report being edited; empty = no report.
    TEdit* edNombreInforme;

    TPageControl* PageControl1;
    TTabSheet* PagConfiguracion;
    TTabSheet* PagFormato;
    // The seven lists of the design, each holding its entries in the stored
    // grammar.
    TListBox* LBTablas;
    TListBox* LBColumnas;
    TListBox* LBRestricciones;
    TListBox* LBOrdenacion;
    TListBox* LBVinculos;
    TListBox* LBGrupos;
    TListBox* LBSumatorios;
    TPopupMenu* PopMenuLB;

    // Format page.
    TRadioButton* FormatoColumnar;
    TRadioButton* FormatoFicha;
    TSpinEdit* NumeroColumnasFicha;
    TSpinEdit* NumeroLineasMemoFicha;
    TCheckBox* OrientacionApaisada;
    TCheckBox* SepararPorPaginas;
    TPanel* PanelAjusteColumnas;
    // One column per report column: row 0 the title, row 1 the entry, row 2
    // "Formato" once the widths count as set. Width -1 = not printed.
    TStringGrid* SGFormatoColumnas;
    TPaintBox* PaintBox1;
    TButton* pbAutoajuste;

    // The current SQL and its coloured view.
    TMemo* MemoSentenciaSQL;
    QTextBrowser* WebBrowser1;

    // FILTRO, for the handlers that hand the table on.
    TTable* Filtro;

    // The access lists exactly as stored ("code," / "application," items).
    QString UsuariosAutorizados;
    QString AplicacionesContenedoras;

    // ---- The design.
    // The design as the controls hold it (lists, options, widths, access).
    DefinicionInforme Definicion() const;
    // Empties every list, the format page, the grid and the access lists.
    void LimpiarInforme();
    // Loads the stored report of that name under that name (an empty design
    // when there is none).
    void CargarInforme(const QString& Nombre);
    // Validates (silently, unless Opciones holds "Nuevo") and writes the
    // design under Nombre; false when the user stops or the write fails.
    bool GrabarInforme(const QString& Nombre, const QString& Opciones);
    // The stored row differs from what is on screen.
    bool InformeModificado();
    // Regenerates the SQL; with "Forzado" also when it did not change, and
    // then rebuilds the width grid.
    void ActualizarSentenciaSQL(const QString& Opciones);
    // The "Opciones" value of the format page.
    QString OpcionesFormato() const;
    // The "FormatoColumnas" value of the grid ("" until the widths are set).
    QString FormatoColumnasRejilla() const;

    // ---- List operations (the list that owns the button, or has the focus).
    void pbAgregarLBClick(QObject* Sender);
    void pbEliminarLBClick(QObject* Sender);
    void pbSubirLBClick(QObject* Sender);
    void pbBajarLBClick(QObject* Sender);
    void AgregarElementoListaClick();
    void EliminarElementoListaClick();
    void SubirElementoListaClick();
    void BajarElementoSeleccionadoClick();
    void AgregarElemento(TListBox* Lista);
    void EliminarElemento(TListBox* Lista);
    void MoverElemento(TListBox* Lista, int Desplazamiento);
    void LBColumnasDblClick();
    void LBOrdenacionDblClick();
    // Colours the entries (groups in silver, descending orders in blue) and
    // refreshes the SQL, as each repaint of a list does.
    void LBDrawItem();

    // ---- Format page.
    void FormatoClick();
    void OrientacionApaisadaClick();
    void SGFormatoColumnasMouseUp();
    void SGFormatoColumnasColumnMoved(int Desde, int Hasta);
    void PaintBox1Paint();
    void pbAutoajusteClick();
    // The printed width of grid column i (-1 = not printed), and its setter.
    int AnchoColumna(int Columna) const;
    void setAnchoColumna(int Columna, int Ancho);
    // The page width in millimetres for the orientation.
    int AnchoPagina() const;

    void pbValidarInformeClick();
    void pbZoomClick();

    // ---- Storage, access and exchange (genecinf_almacen.cpp).
    void pbNuevoClick();
    void pbGuardarClick();
    void pbGuardarComoClick();
    void pbEliminarClick();
    Q_INVOKABLE void BuscarDatosDBEdit();
    void pbSalirClick();
    void pbImprimirClick();
    void pbRestringirAUsuariosClick();
    void pbPersonalizarMenuClick();
    void pbCopiarConfiguracionClick();
    void pbCopiarAOtrasEmpresasClick();
    void pbExportarClick();
    void pbImportarClick();

protected:
    bool eventFilter(QObject* Objeto, QEvent* Evento) override;

private:
    void construir();
    void formCreate();
    TListBox* listaDe(QObject* Boton, const QString& Prefijo) const;
    TListBox* listaConFoco() const;
    QStringList camposCandidatos() const;
    QStringList candidatosTipo(const QStringList& Tipos) const;
    void agregarTablas();
    void agregarColumnas();
    void agregarRestriccion();
    void agregarVinculo();
    void agregarGruposOSumas(TListBox* Lista);
    void agregarOrdenaciones();
    void reconstruirRejilla();
    void pintarListas();
    bool reconstruyendo_ = false;
};

extern QPointer<TfGENECINF> fGENECINF;

// The title a column shows: its own without quotes, else the field name
// abbreviated; translated.
QString TituloColumna(const QString& Entrada);

// Registers the designer for opening by class name (the menu opens it so).
void RegistrarTfGENECINF();
