#pragma once
// The list editor: rows of "|"-separated fields shown in a grid over a
// temporary table, for consultation, selection or editing, with per-column
// lookups and key checks, column formulas, totals, value filters, restore of
// the initial rows, a detail view of memo columns and a programmable listing.
// VisorListaDatos builds the table from a caller's options and data text,
// shows the window and hands the rows back.

#include <QString>
#include <QStringList>
#include <functional>

#include "gene/dialogs/genevtex.h"
#include "ui/form.h"

class TButton;
class TDBGrid;
class TDataSet;
class TDataSource;
class TField;
class TLabel;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TTable;
class TfGENEINIC;

class TfGENEMLIS : public TForm {
    Q_OBJECT
public:
    explicit TfGENEMLIS(QWidget* owner = nullptr);
    ~TfGENEMLIS() override;

    TPanel* P1;
    TDBGrid* DBGrid1;
    TPanel* PanelTotales;
    TLabel* LBTextoTotales;
    TLabel* LBTotales;
    TPanel* PanelControl;
    TButton* pbAceptar;
    TButton* pbRestablecer;
    TButton* pbCancelar;
    TTable* Temporal;
    TDataSource* DataSource1;
    TPopupMenu* PopupMenu1;
    TMenuItem* FiltrarRegistrosporValorIgualA;
    TMenuItem* FiltrarRegistrosporValorDesde;
    TMenuItem* FiltrarRegistrosporValorHasta;
    TMenuItem* FiltrarRegistrosporValoresDesdeHasta;
    TMenuItem* CancelarFiltros;
    TMenuItem* VerDetalle1;
    TMenuItem* ListadoProgramable1;

    // Set by the caller before showing.
    // "Campo:Destino->Expresion": leaving column Campo sets Destino.
    QStringList Formulas;
    // "Tabla>Campo": column Campo takes keys of Tabla.
    QStringList Busquedas;
    QString CamposTotalizadores;  // column names separated by ";"
    bool AjustePorAncho = false;  // "NoRedimensionarGrid"
    // Column widths the caller gave (field name, pixels).
    QList<QPair<QString, int>> AnchosColumnas;

    // Captured when shown: per row, the text of every field.
    QList<QStringList> FilasIniciales;

    // The grid shows rows only (consultation).
    bool SoloLectura() const;
    // Formulas and key checks of a column being left (or before a post);
    // false keeps the user in the column.
    bool ValidarColumnaLista(const QString& Campo);
    void CalcularTotalesLista();
    // Operador "=", ">=" or "<=" on the selected column; the user is asked the value.
    void FiltrarRegistrosporValorClick(const QString& Operador);
    void FiltrarRegistrosporValoresDesdeHastaClick();
    void CancelarFiltrosClick();
    // Adds one condition to the table's filter; false (after the warning)
    // when the filter cannot be applied, which leaves the previous one.
    bool AgregarFiltro(const QString& Campo, const QString& Operador, const QString& Valor);
    void VerDetalle1Click();
    void pbRestablecerClick();
    void DBGrid1DblClick();
    void CapturarFilasIniciales();

private:
    void FormShow();
    void popupMenu1Popup();
    void dibujarCelda(const QRect& Rect, int Columna, int Estado);
    TField* campoSeleccionado() const;
    int siguienteLinea_ = 1;
};

extern TGeometriaDialogo GeometriaListaDatos;

// The temporary-table definition of the list: "GENEMLISLinea" first, then
// one column per DefinicionCampos item (name, type name, size).
QString DefinicionTablaLista(const QStringList& Definiciones);
// A row's fields as the list hands them back: joined by "|", line breaks as
// "·", and a "|" inside a value as "¦" so that the row keeps its columns.
QString TextoFilaLista(const QStringList& Campos);

// Adds "(Campo Operador 'Valor')" to the dataset's filter (joined by " AND "),
// the value quoted as filter literals are; false after the warning "¡No ha
// sido posible filtrar registros!" when it cannot be applied, which leaves
// the previous filter.
// One value-filter condition "(Campo op 'valor')", the value quoted by the one
// routine that doubles quotes.
QString CondicionFiltroValor(const QString& Campo, const QString& Operador, const QString& Valor);
bool AgregarFiltroValor(TDataSet* DataSet, const QString& Campo, const QString& Operador,
                        const QString& Valor);
// The prompt of a value filter: "Introduzca el valor del campo " (=),
// "... Desde " (>=) or "... Hasta " (<=) and the field's short title.
QString PreguntaFiltroValor(const QString& Operador, const QString& Campo);

// The value-filter items of a grid's pop-up menu, added under Raiz in this
// order: equal to, from, to and from-to (the first and last named by the
// window). The first three run Filtrar with "=", ">=" or "<="; the last runs
// DesdeHasta.
struct TMenuFiltroValor {
    TMenuItem* Igual;
    TMenuItem* Desde;
    TMenuItem* Hasta;
    TMenuItem* DesdeHasta;
};
TMenuFiltroValor CrearMenuFiltroValor(TMenuItem* Raiz, const QString& NombreIgual,
                                      const QString& NombreDesdeHasta,
                                      std::function<void(const QString& Operador)> Filtrar,
                                      std::function<void()> DesdeHasta);

// Opciones: "Titulo", "Formato" (left, top, width, height), "Modo" (words
// "Consulta", "Eliminar", "Sin Seleccion"), "Opciones" ("NoRedimensionarGrid"),
// "NumeroCampos", "DefinicionCampos" (";"-separated items: 0 name, 1 type
// name, 2 size, 3 flags "ReadOnly", 4 formula "Destino->Expresion", 5 width
// in pixels or 0, 6 lookup table) and "CamposTotalizadores". Datos: one row
// per line, fields separated by "|" (line breaks in memos as "·").
// Resultado: without "Consulta" every row on "&Aceptar"; with it the
// selected rows, every remaining row with "Eliminar", or the current row.
// Rows are separated by CR LF, without a final one. Leaving an editing list
// without accepting asks "¿Desea dejar en blanco la lista de datos?".
void VisorListaDatos(TfGENEINIC* f, const QString& Opciones, const QString& Datos,
                     QString& Resultado);

// The access history of the current record (REGACCES), newest first, when
// RegistroAccesosActivado; nothing for datasets of a data module.
void HistorialAccesosRegistro(TfGENEINIC* f, TDataSet* DataSet);
// The statement it runs for a table and key string.
QString SentenciaHistorialAccesos(const QString& NombreTabla, const QString& Clave);
