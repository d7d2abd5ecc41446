#pragma once
// TQuickRep: a band report. It walks its DataSet once (or asks OnNeedData
// for each record), prints its bands (report/bands.h) with their controls
// (report/controls.h) into pages, and sends the pages to the preview, a
// printer, a PDF file or an export filter (report/export.h).
//
// Units. Positions and sizes of bands and controls are report units of
// 1/96 inch, the screen pixels the layouts were designed in: an A4 page
// less 5 mm margins is 750 units wide in portrait and 1047 in landscape.
// Page size and margins are millimetres; font sizes are points.
//
// Pages are drawn in tenths of a report unit (1/960 inch), so that font
// sizes keep their proportion at any output resolution; the page printer
// (TQRPrinter) holds them, as the drawing calls of each page, and nothing
// else of the run. A page is handed out as a QPicture when asked for.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPicture>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

#include "report/expr.h"

class QPageLayout;
class QPainter;
class QPdfWriter;
class QPrinter;
class TDataSet;
class TQRCustomBand;
class TQRExportFilter;
class TQRPageRecord;
class TQuickRep;

constexpr int kQRUnitsPerInch = 96;
constexpr int kQRPictureUnitsPerInch = 960;
double MMToQRUnits(double mm);

enum class TQRPaperSize { A4, A3, A5, Letter, Legal, Custom };
enum TPrinterOrientation { poPortrait, poLandscape };
enum TQROption { FirstPageHeader = 1, LastPageFooter = 2 };

struct TQRPage {
    TQRPaperSize PaperSize = TQRPaperSize::A4;
    TPrinterOrientation Orientation = poPortrait;
    // Millimetres.
    double TopMargin = 10;
    double BottomMargin = 10;
    double LeftMargin = 10;
    double RightMargin = 10;
    // Millimetres, portrait; used only with TQRPaperSize::Custom.
    double Width = 210;
    double Length = 297;
    // The sheet as printed (landscape swaps the sides), in millimetres.
    QSizeF SheetSize() const;
};

// Chosen per job: the system's default printer is never changed.
struct TQRPrinterSettings {
    int Copies = 1;
    int FirstPage = 0;    // 0: from the first page
    int LastPage = 0;     // 0: to the last page
    QString PrinterName;  // empty: the default printer
    int OutputBin = 0;    // 0: the printer chooses the tray
};

// The pages of a run and what the preview needs of them.
class TQRPrinter : public QObject {
    Q_OBJECT
public:
    explicit TQRPrinter(QObject* parent = nullptr);
    ~TQRPrinter() override;

    int PageCount() const;
    // Pages are numbered from 1.
    const QPicture& Page(int number) const;
    // The sheet in millimetres, as printed.
    QSizeF SheetSize() const { return sheet_; }
    TPrinterOrientation Orientation() const { return orientation_; }
    // Draws a page with its top-left corner at the painter's origin, at
    // `dotsPerInch` painter units per inch (96 for a screen at 100 %).
    void DrawPage(QPainter& painter, int number, double dotsPerInch) const;

    // True while pages are being made or printed.
    bool Busy() const { return busy_; }
    // Stops the run that is making pages (the pages made stay) or the print
    // under way.
    void Abort() { aborted_ = true; }
    bool Aborted() const { return aborted_; }

    // Prints the pages held, from `firstPage` to `lastPage` (0: the first /
    // the last), `copies` times; false when the printer cannot be used. Its
    // report's AfterPrint tells the end, as after a run.
    bool Print(QPrinter& printer, int firstPage = 0, int lastPage = 0, int copies = 1);
    // Writes the pages held to a PDF file; false when there are no pages or
    // the file cannot be written.
    bool ExportToPdf(const QString& path, const QString& title = QString());
    // Sends the text of the pages held through a filter; false when the
    // filter cannot write its file.
    bool ExportToFilter(TQRExportFilter& filter) const;

    // The preview window showing these pages: while it is open the report
    // lets window messages through between pages, and TQuickRep::Preview
    // returns only once it has been closed (hidden by the program, not
    // minimised) or destroyed. Closing it stops a run under way.
    void SetPreviewWindow(QObject* window);
    QObject* PreviewWindow() const { return preview_; }
    bool PreviewOpen() const { return preview_ && !previewClosed_; }

    // Told after each finished page (its number) and of the share of the
    // records printed so far (0..100).
    std::function<void(int PageNumber)> OnPageAvailable;
    std::function<void(int Percent)> OnProgressUpdate;

Q_SIGNALS:
    void previewClosed();

private:
    friend class TQREngine;
    friend class TQuickRep;
    void clear(const QSizeF& sheet, TPrinterOrientation orientation, const QString& title);

    // Pictures of the pages are made again when asked for after a run drawn
    // straight into a PDF file (see TQuickRep::PrintToPdf).
    void ensurePictures() const;
    bool writePdf(QPdfWriter& writer, const QString& title, const QPageLayout& layout);

    QList<std::shared_ptr<const TQRPageRecord>> pages_;
    // The pages asked for as pictures, made from pages_ when first asked.
    mutable QList<QPicture> pictures_;
    // A run drawn straight into a PDF: its pages (no pictures kept) and the
    // file's bytes and layout, written again without a new run.
    int straightPages_ = 0;
    QByteArray straightPdf_;
    std::shared_ptr<QPageLayout> straightLayout_;
    QString title_;
    QSizeF sheet_{210, 297};
    TPrinterOrientation orientation_ = poPortrait;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<QObject> preview_;
    TQuickRep* report_ = nullptr;  // the report whose pages these are
    bool previewClosed_ = false;
    bool busy_ = false;
    bool aborted_ = false;
};

using TQRNotifyEvent = std::function<void(QObject* Sender)>;
using TQRBeforePrintEvent = std::function<void(QObject* Sender, bool& PrintReport)>;
using TQRNeedDataEvent = std::function<void(QObject* Sender, bool& MoreData)>;
// The framework's preview: shows the report's QRPrinter pages, attaching its
// window with TQRPrinter::SetPreviewWindow.
using TQRPreviewHook = std::function<void(TQuickRep* report)>;

class TQuickRep : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ReportTitle READ ReportTitle WRITE setReportTitle)
    Q_PROPERTY(bool PrintIfEmpty READ PrintIfEmpty WRITE setPrintIfEmpty)
    Q_PROPERTY(int Options READ Options WRITE setOptions)
    Q_PROPERTY(int PageNumber READ PageNumber)
public:
    explicit TQuickRep(QObject* owner = nullptr);
    ~TQuickRep() override;

    // The records: one detail band per record, from the first. Without a
    // dataset, OnNeedData is asked before each detail (without it too, the
    // detail prints once). With one, OnNeedData (when set) is asked each
    // time the walk finds no record after those walked: MoreData true when
    // it added records after them, and the walk goes on to those; a dataset
    // can so be filled while its first pages are already made.
    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* ds) { dataSet_ = ds; }
    QString ReportTitle() const { return title_; }
    void setReportTitle(const QString& t) { title_ = t; }
    // Off: a report without records makes no page at all.
    bool PrintIfEmpty() const { return printIfEmpty_; }
    void setPrintIfEmpty(bool v) { printIfEmpty_ = v; }
    int Options() const { return options_; }
    void setOptions(int o) { options_ = o; }
    // The records the run is expected to print, for its progress, when the
    // dataset does not hold them all yet (see OnNeedData); 0: the dataset's
    // own count. It may be changed during the run.
    int ExpectedRecords() const { return expectedRecords_; }
    void setExpectedRecords(int n) { expectedRecords_ = n; }
    // The dataset's records are walked in one pass (TDataSet::BeginPass):
    // a user's stop while its rest is read ends the run with the stop,
    // never with the records read taken for the whole. Not with groups:
    // their footers step back a record, which a pass may have let go.
    bool ReadInOnePass = false;
    TQRPage Page;
    TQRPrinterSettings PrinterSettings;

    // Registered bands in order (see TQRCustomBand::setParentReport).
    QList<TQRCustomBand*> Bands() const { return bands_; }
    // Page width less the margins, in report units.
    int PrintableWidth() const;

    // The page being made (during a run) or the last page made.
    int PageNumber() const { return pageNumber_; }
    // Records printed so far in the run.
    int RecordNumber() const { return recordNumber_; }
    // The pages of the last Prepare or Preview.
    TQRPrinter* QRPrinter() const { return printer_; }

    // Makes every page into QRPrinter without showing anything.
    void Prepare();
    // OnPreview (or, without it, the preview hook) opens the preview on
    // QRPrinter; then the pages are made, and the call returns when the
    // preview window attached to QRPrinter is gone. Without either nothing
    // is shown and the pages are only made. A run that raises (stopped by
    // the user, a lost connection) drops its pages and closes that window
    // before the error goes on to the caller.
    void Preview();
    static void SetPreviewHook(TQRPreviewHook hook);
    static bool HasPreviewHook();
    // A fresh run printed on the printer PrinterSettings names (the default
    // one when empty) or on `printer` (with its own choice of printer and
    // output file), with the copies and page range of PrinterSettings;
    // QRPrinter keeps its pages. False when the printer cannot be used.
    bool Print();
    bool Print(QPrinter& printer);
    // The pages held (made now when there are none) to a PDF file; false
    // when there is no page or the file cannot be written.
    bool ExportToPdf(const QString& path);
    // The same through an export filter.
    bool ExportToFilter(TQRExportFilter& filter);
    // A job straight to a PDF file, its pages of `layout` (asked once the
    // report's BeforePrint has chosen the paper): when QRPrinter holds no
    // pictures, the run draws each page into the file as it lays it out (no
    // picture to record and play back). QRPrinter then counts those pages and
    // keeps the file, so that writing it again in the same layout needs no
    // new run; their pictures are made again only when asked for. Pages held
    // as pictures are written as they are. False when there is no page or
    // the file cannot be written (`reason` then says why, when the file was
    // what failed).
    bool PrintToPdf(const QString& path, const std::function<QPageLayout()>& layout,
                    QString* reason = nullptr);

    // Runs first in every run: PrintReport false makes no page.
    TQRBeforePrintEvent BeforePrint;
    // Runs when a run ends, however it ended.
    TQRNotifyEvent AfterPrint;
    TQRNeedDataEvent OnNeedData;
    TQRNotifyEvent OnPreview;

    // Binds a name of an expression: a field of the dataset, or of a
    // sub-detail's, plain or after its dataset's name ("Temporal.Nombre").
    TQRValueGetter ResolveName(const QString& name) const;

private:
    friend class TQRCustomBand;
    friend class TQREngine;
    void addBand(TQRCustomBand* band);
    void removeBand(TQRCustomBand* band);
    void run(TQRPrinter* target);

    TDataSet* dataSet_ = nullptr;
    QString title_;
    bool printIfEmpty_ = true;
    int options_ = FirstPageHeader | LastPageFooter;
    int expectedRecords_ = 0;
    QList<TQRCustomBand*> bands_;
    TQRPrinter* printer_;
    int pageNumber_ = 0;
    int recordNumber_ = 0;
};
