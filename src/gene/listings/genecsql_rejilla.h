#pragma once
// The tools of a query result's grid, shared by the SQL workbench and the
// saved-query runner: restricting by value, searching, printing, exporting
// and importing, and the chart of the numeric columns; and the statement
// edits behind ordering by a column title.

#include <QString>
#include <functional>

class QBoxLayout;
class QWidget;
class TDataSet;
class TDBGrid;
class TForm;
class TPanel;
class TPopupMenu;
class TSpeedButton;

// "(Campo op 'valor')" appended to Filtro with " AND ", the value quoted as
// an SQL literal.
QString FiltroConRestriccion(const QString& Filtro, const QString& Campo, const QString& Operador,
                             const QString& Valor);
// The statement ordered by a field: the text of the first line holding
// "ORDER BY" keeps what stands before it and gets "ORDER BY " + field; any
// later such line goes; with none, a last line is added.
QString SentenciaOrdenadaPor(const QString& Sentencia, const QString& Campo);
// The statement without its ordering (the text before "ORDER BY" kept).
QString SentenciaSinOrden(const QString& Sentencia);
// A memo's text as its grid cell shows it: line breaks as blanks.
QString TextoCeldaMemo(QString Texto);
// The chart's series text: one line per numeric field (the first
// kMaximoSeriesGrafico of them, as many as the chart window draws of one
// type), the first N records as points labelled by the first field, the rest
// summed as "Otros".
QString SeriesGrafico(TDataSet* DataSet, int N, bool Tarta);
// The most values a chart is asked to draw: beyond a hundred bars (each
// with its label beneath) a chart the size of a screen or of a printed page
// gives each less than one line of text, and its labels no longer read.
constexpr int kMaximoValoresGrafico = 100;
constexpr int kMaximoSeriesGrafico = 10;
// Why a number of values asked is refused.
QString TextoMaximoValoresGrafico();

class THerramientasRejilla {
public:
    // Titulo and Sentencia give the report title and statement at the time
    // of use (the name box of the workbench, the runner's caption).
    THerramientasRejilla(TForm* Formulario, TDBGrid* Rejilla, std::function<QString()> Titulo,
                         std::function<QString()> Sentencia);
    TDataSet* Datos() const;
    // Datos, when it holds the whole result; else the clerk is told that the
    // result is incomplete, and nothing (no tool gives part of it as the
    // whole).
    TDataSet* DatosCompletos() const;
    // The grid's pop-up menu; ConBusqueda adds the ordering and search items.
    TPopupMenu* CrearMenu(bool ConBusqueda, std::function<void()> CancelarOrden);
    void Filtrar(const QString& Operador);
    void CancelarFiltros();
    void Buscar();
    void Imprimir(bool Apaisado);
    void Exportar();
    void ExportarExcel();
    void Importar();
    void Grafico();
    // The ellipsis of a memo column: the text in the memo viewer, read-only
    // unless the grid and the result take changes.
    void VerCampoMemo();
    // The font dialog on the grid's font; the chosen font as a settings
    // value (name, style, colour, size), "" when cancelled.
    QString CambiarFuente();
    // A settings value applied to the grid; what cannot be read is left.
    void AplicarFuente(const QString& Valor);

private:
    TForm* formulario_;
    TDBGrid* rejilla_;
    std::function<QString()> titulo_;
    std::function<QString()> sentencia_;
};

// The tool bar both query windows open with: the panel "PanelControl" of
// Ventana with its row, "Modificar" (a toggle of group 1), "Imprimir",
// "Ejecutar" and "Exportar" first on it; each window adds its others by Boton.
class TBarraConsulta {
public:
    TBarraConsulta(QWidget* Ventana, TPanel*& Panel, TSpeedButton*& Modificar,
                   TSpeedButton*& Imprimir, TSpeedButton*& Ejecutar, TSpeedButton*& Exportar);
    TSpeedButton* Boton(const char* Nombre, const QString& Texto, const QString& Ayuda);
    QBoxLayout* Fila() const { return fila_; }

private:
    TPanel* panel_;
    QBoxLayout* fila_;
};

// The read-only result grid "DBGrid1" filling its panel "PanelGrid" of Padre.
TDBGrid* CrearRejillaResultado(QWidget* Padre, TPanel*& PanelGrid);
