#pragma once
// Room gene/listings: the report preview and progress window, programmable listings, charts, saved
// SQL queries and custom reports. May include the platform, gene/data, gene/session, gene/dialogs.

// The preview window of every report: the pages of the report's page
// printer shown as they are made, paged through and zoomed, printed (all of
// them or the page shown), and exported to text, CSV, HTML, PDF and Excel.
// Esc asks to stop a listing that is still filling its data.
//
// A report hands itself over through its OnPreview handler or, when it has
// none, through the engine's preview hook, which InstalarPrevisualizacion
// sets: either way PrevisualizarInforme opens a window on the report and the
// report's Preview() returns once the window has closed. The window prints
// and exports through the report meanwhile.

#include <QPointer>
#include <QScrollArea>
#include <QString>

#include "ui/form.h"

class TGroupBox;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TQRPrinter;
class TQuickRep;
class TProgressBar;
class TSpeedButton;
class TSpinEdit;

// The page viewer: one page of a page printer at a zoom (percent of its size
// on a screen of 96 dots per inch), centred on a grey ground.
class TQRPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit TQRPreview(QWidget* parent = nullptr);

    TQRPrinter* QRPrinter() const;
    void setQRPrinter(TQRPrinter* printer);
    // Pages from 1; a page not made yet shows blank until it is.
    int PageNumber() const { return page_; }
    void setPageNumber(int page);
    int Zoom() const { return zoom_; }
    void setZoom(int percent);  // 5..500
    // The zoom that shows the whole page / the page's width in the viewer.
    void ZoomToFit();
    void ZoomToWidth();
    // New pages were made: sizes and the page shown are brought up to date.
    void PaginasCambiadas();

private:
    class Hoja;
    QSize tamanoPagina() const;  // at the current zoom, in pixels
    void ajustar();
    QPointer<TQRPrinter> printer_;
    Hoja* hoja_;
    int page_ = 1;
    int zoom_ = 100;
};

class TfGENEPREV : public TForm {
    Q_OBJECT
public:
    explicit TfGENEPREV(QWidget* owner = nullptr);
    ~TfGENEPREV() override;

    // The report shown, printed and exported (a private empty report until
    // one is handed over).
    TQuickRep* Informe() const;
    void setInforme(TQuickRep* informe);
    // QRPreview1.QRPrinter: the pages to show, and their notices.
    void setQRPrinter(TQRPrinter* printer);

    // "" at creation, "En Progreso" while a print started here runs,
    // "Finalizada" when the report tells its end or that print is cancelled.
    QString EstadoInforme;
    int NumeroPaginas = 0;
    bool PrimeraPagina = true;
    bool ImpresionLanzada = false;
    bool PaginasEnCurso = false;

    void InformeFinalizado();
    void FormShow();
    // Refused, with a warning, while a run or print is under way.
    void FormClose(TCloseAction& Action);
    void SpinEditPaginaChange();
    void SpinEditZoomChange();
    void pbZoomToFitClick();
    void pbZoomToWidthClick();
    void pbZoomTo100Click();
    void pbPrimeraPaginaClick();
    void pbUltimaPaginaClick();
    void QRPreview1PageAvailable(int PageNumber);
    void QRPreview1ProgressUpdate(int Progress);
    // Sender: pbImprimir (the pages chosen in the print dialog) or
    // pbImprimirPagina (the page shown).
    void pbImprimirClick(QObject* Sender);
    void pbExportarClick();
    void pbExportarAExcelClick();
    void pbExportarAPDFClick();
    void CancelarelListado1Click();
    void pbAyudaClick();
    void pbSalirClick();

    TPanel* PanelBotones;
    TGroupBox* GroupBoxPagina;
    TSpinEdit* SpinEditPagina;
    TSpeedButton* pbPrimeraPagina;
    TSpeedButton* pbUltimaPagina;
    TGroupBox* GroupBoxZoom;
    TSpinEdit* SpinEditZoom;
    TSpeedButton* pbZoomToFit;
    TSpeedButton* pbZoomTo100;
    TSpeedButton* pbZoomToWidth;
    TGroupBox* GroupBoxImprimir;
    TSpeedButton* pbImprimir;
    TSpeedButton* pbImprimirPagina;
    TGroupBox* GroupBoxExportar;
    TSpeedButton* pbExportar;
    TSpeedButton* pbExportarAExcel;
    TSpeedButton* pbExportarAPDF;
    TSpeedButton* pbAyuda;
    TSpeedButton* pbSalir;
    TQRPreview* QRPreview1;
    TProgressBar* ProgressBar1;
    TPopupMenu* MenuPrevisualizacion;
    TMenuItem* CancelarelListado1;

private:
    // The form that carries the report: the default name of the exports.
    QString nombreFormularioInforme() const;
    bool ocupado() const;
    TQuickRep* propio_;
    QPointer<TQuickRep> informe_;
};

// The latest preview window.
extern QPointer<TfGENEPREV> fGENEPREV;
// The report that filled the data module's QR_Export_Table: the preview's
// Excel export uses that table only for it.
extern QPointer<TQuickRep> InformeTablaExportacion;

// The preview of a report: a new window in fGENEPREV, its InformeFinalizado
// as the report's AfterPrint, the report and its page printer handed over,
// shown (not modal). The report then makes its pages into it.
// Dueno: a modal dialog the preview is opened from; the preview becomes a
// window of it, since a plain window would get no input while it is up.
TfGENEPREV* PrevisualizarInforme(TQuickRep* Informe, QWidget* Dueno = nullptr);
// Makes PrevisualizarInforme the preview of every report without an
// OnPreview handler of its own. The program entry calls it once.
void InstalarPrevisualizacion();
