#pragma once
// What every report form of the fixed listings shares: the report with its
// page header (company name, logo, title) and page footer (page number,
// print date), the temporary table Temporal it prints, the restrictions
// block with the launching dialog's selection, the company's listing style
// and compression, the frame of the report's BeforePrint (titles, empty
// check, the listing's fill, translation), the preview and the removal of the
// temporary table with the form.
//
// A listing derives from TInformeListado, builds its own bands and columns in
// its constructor and then calls Preparar with its dialog and its temporary
// table definition.

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "ui/form.h"

class QDateTime;
class TDataSet;
class TField;
class TDataSource;
class TQRBand;
class TQRCustomBand;
class TQRImage;
class TQRLabel;
class TQRMemo;
class TQRSysData;
class TQuickRep;
class TTable;
class TGuardaTransaccion;

// A column of a listing: its caption on the page header and the field of
// Temporal printed under it (Control: the name of the printing control).
struct TColumnaListado {
    const char* Titulo;
    const char* Campo;
    const char* Control;
    int Ancho;
    bool Fecha = false;
};

// The selection an employee listing hands its report form: the employee
// range, the analysis-group ranges and the active / inactive options.
struct TSeleccionOperarios {
    int DesdeOperario = 0, HastaOperario = 9999;
    QString RangosGruposAnalisis;
    bool Activos = true, NoActivos = true;
};

class TInformeListado : public TForm {
    Q_OBJECT
public:
    TInformeListado(QWidget* owner, const QString& nombre);
    ~TInformeListado() override;

    TQuickRep* QuickReport;
    TQRBand* PageHeader;
    TQRLabel* TituloNombreEmpresa;
    TQRImage* TituloLogotipoEmpresa;
    TQRSysData* TituloInforme;
    TQRBand* PageFooter;
    TQRSysData* PageNumber;
    TQRSysData* FechaImpresion;
    TTable* Temporal;
    TDataSource* DSTemporal;

    // The form's creation steps: tables opened, currency handlers, the
    // restrictions block (Dialogo: the dialog that launched the listing, read
    // for the selection summary), the company's style and compression, and
    // the empty temporary table made from Definicion. Forzar: the listing
    // always prints its restrictions (and from then on every listing does).
    void Preparar(TForm* Dialogo, const QString& Definicion, bool Forzar);

    // The report's BeforePrint: titles, "No existen datos para listar" when
    // the driving table is empty, else the fill; nothing printed when the
    // listing was cancelled or its fill lost rows.
    void QuickReportBeforePrint(bool& PrintReport);
    // OnPreview: the preview window on this report.
    void QuickReportPreview();
    // OnPrint of a date column: empty when the value is 0 or less.
    void ImprimirFecha(QObject* Sender, QString& Valor);

    // The physical table of Temporal, for the tests.
    QString NombreTablaTemporal() const { return nombreTemporal_; }

protected:
    // Each listing: its title, the table whose emptiness stops the report (none:
    // no such check) and
    // the fill of Temporal (which polls ListadoCancelado).
    virtual QString TituloListado() const = 0;
    virtual TDataSet* TablaControl() const = 0;
    virtual void RellenarTemporal() = 0;

    // Whether an employee passes the active / inactive options and the
    // analysis-group ranges.
    static bool OperarioSeleccionado(int CodigoOperario, bool Activos, bool NoActivos,
                                     const QString& Rangos);
    // The fill of a listing of an employee history (Historial: the rows of
    // the employees, owner "PERSONAL"): for each employee of Personal in the
    // selection's range who passes its options and groups, each of his rows
    // (the most recent first with Recientes) whose code CampoCodigo is in
    // [Desde, Hasta] and whose start date is in [DesdeFecha, HastaFecha] (a
    // row with no start date is before any range) becomes a row of Temporal
    // with the employee's code and name, the row's code (an empty text for a
    // row with none), description and start date; Completar writes its other
    // columns (MasReciente: the row is the employee's most recent one).
    void RellenarHistorial(TTable* Personal, TTable* Historial, const QString& CampoCodigo,
                           const TSeleccionOperarios& Seleccion, const QString& Desde,
                           const QString& Hasta, const QDateTime& DesdeFecha,
                           const QDateTime& HastaFecha, bool Recientes,
                           const std::function<void(bool MasReciente)>& Completar);

    // A column caption on the page header and a field of Temporal on a band.
    TQRLabel* Titulo(const QString& nombre, const QString& caption, int left, int width);
    void Columna(TQRCustomBand* banda, const QString& nombre, const QString& campo, int left,
                 int width, bool fecha = false);
    // The detail band "Detail" (8 points) with its columns left to right, under
    // captions QRLabel1, QRLabel2, ...
    TQRBand* DetalleColumnas(const QList<TColumnaListado>& Columnas);
    // A table the report reads.
    TTable* TablaFuente(const QString& Nombre, const QString& Tabla);

private:
    void prepararRestricciones(TForm* dialogo);
    void aplicarEstilo();
    void aplicarCompresion();
    void describirGrupos();
    QString nombreTemporal_;
};

// A fill stopped because rows of its table could not be stored (the
// connection lost, a full disk): what the table holds is not the listing, so
// nothing of it prints. Motivo: the reason to tell the user.
class EListadoInterrumpido : public std::exception {
public:
    explicit EListadoInterrumpido(const QString& Motivo);
    QString Motivo;
    const char* what() const noexcept override;

private:
    std::string utf8_;
};

// The walk of a listing's fill: the progress window (with a caption), the
// rows of Temporal written by batches, each in a short transaction of its own
// (a commit per row costs as much as the rest of the fill), and the window
// messages and the cancel seen between batches, with no batch open.
//
// A batch that cannot be stored stops the fill with EListadoInterrumpido,
// its rows rolled back without a word: the report tells the user once. The
// last batch is confirmed when the fill ends, so that end may raise too
// (never while another error is on its way).
class TRellenoListado {
public:
    explicit TRellenoListado(TTable* Temporal, const QString& Progreso = QString());
    ~TRellenoListado() noexcept(false);
    TRellenoListado(const TRellenoListado&) = delete;
    TRellenoListado& operator=(const TRellenoListado&) = delete;
    // Before each record read: the progress text; false once the listing
    // was cancelled.
    bool Seguir(const QString& Texto = QString());
    // A new row of Temporal, inside the batch's transaction.
    void Anadir();
    // The batch's transaction, for rows a listing writes by its own statement.
    void AbrirLote();
    // Posts the row; a row refused for what it holds (a repeated key among
    // others, a required value missing) is cancelled and false returned.
    bool Grabar();
    // The same for a row written by the listing's own statement (Escritura).
    bool Grabar(const std::function<void()>& Escritura);

private:
    // A failed write: returns when it concerns the row only; otherwise the
    // batch is rolled back and the fill stopped.
    void comprobar(const class EDatabaseError& Error);
    void cerrarLote();
    [[noreturn]] void detener(const QString& Motivo);
    TTable* temporal_;
    bool progreso_;
    int leidos_ = 0;
    QElapsedTimer mensajes_;  // since messages last went through
    int excepciones_;
    std::unique_ptr<TGuardaTransaccion> lote_;
};

// Runs a step of a listing's fill; when it stops because rows could not be
// stored or the connection was lost, the user is told once ("¡ No se ha
// podido realizar el listado !. Motivo: " and the reason) and false is
// answered: nothing of the listing may print.
bool RellenoCompleto(const std::function<void()>& Paso);

// The selection summary of a dialog, as the restrictions block prints it:
// its enabled edits and combo boxes as the words of their name, ": " and the
// text, its checked options by caption, each followed by ", " (the check box
// "VisualizacionPrevia" left out), then the last analysis-group ranges when
// the dialog has a "pbRangoGruposAnalisis" button; line breaks and "Edit"
// removed.
QString ResumenSeleccion(TForm* Dialogo);
// Every code of an analysis group in the summary followed by "-" and the
// group's description.
QString DescribirGruposResumen(const QString& Resumen);
