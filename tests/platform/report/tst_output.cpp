// Where the pages go: PDF files, printers (a PDF through QPrinter here),
// the text, CSV and HTML exports, the screen at any resolution, and the
// preview that receives the pages as they are made.

#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <stdexcept>

#include "report/bands.h"
#include "report/controls.h"
#include "report/engine_p.h"
#include "reporttest.h"

namespace {

struct Report {
    QObject form;
    TQuickRep* rep = new TQuickRep(&form);
    TQRBand* header = new TQRBand(&form, rep, rbPageHeader);
    TQRBand* detail = new TQRBand(&form, rep, rbDetail);
    TQRBand* footer = new TQRBand(&form, rep, rbPageFooter);
    TQRLabel* caption = new TQRLabel(&form, header);
    int runs = 0;

    explicit Report(TDataSet* ds) {
        rep->setDataSet(ds);
        rep->setReportTitle(QStringLiteral("Listado & prueba"));
        header->setHeight(30);
        caption->setCaption(QStringLiteral("Código"));
        caption->setAutoSize(false);
        caption->SetBounds(0, 0, 100, 20);
        caption->setColor(0x000000);  // black box at the top-left of the printable area
        caption->setFontColor(0xFFFFFF);
        detail->setHeight(20);
        const char* const fields[] = {"Codigo", "Nombre", "Importe"};
        for (int i = 0; i < 3; ++i) {
            auto* t = new TQRDBText(&form, detail);
            t->setDataField(QLatin1String(fields[i]));
            t->SetBounds(i * 120, 0, 110, 17);
        }
        footer->setHeight(20);
        auto* page = new TQRSysData(&form, footer);
        page->setData(qrsPageNumber);
        page->setText(QStringLiteral("Página "));
        rep->BeforePrint = [this](QObject*, bool&) { ++runs; };
    }
};

QRectF mediaBox(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression kBox(
        QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)"));
    const QRegularExpressionMatch m = kBox.match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? QRectF(0, 0, m.captured(1).toDouble(), m.captured(2).toDouble())
                        : QRectF();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pdfHasEveryPage_data();
    void pdfHasEveryPage();
    void pdfOfNothing();
    void printerGetsCopiesAndRange();
    void printerNeverFallsBackToAnother();
    void pagesOnScreenAtAnyResolution_data();
    void pagesOnScreenAtAnyResolution();
    void oneLineTextsWhereTheLayoutPutsThem_data();
    void oneLineTextsWhereTheLayoutPutsThem();
    void picturesAndShapes();
    void exportFilters();
    void exportToUnwritableFolder();
    void previewSeesPagesAsTheyCome();
    void closingThePreviewStopsTheRun();
    void previewWithoutHookShowsNothing();
    void failedPreviewLeavesNoPages();

private:
    QTemporaryDir tmp_;
};

void TestOutput::pdfHasEveryPage_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("A4 portrait") << int(poPortrait) << int(TQRPaperSize::A4) << QSizeF(595, 842);
    QTest::newRow("A4 landscape") << int(poLandscape) << int(TQRPaperSize::A4) << QSizeF(842, 595);
    QTest::newRow("A3 landscape") << int(poLandscape) << int(TQRPaperSize::A3) << QSizeF(1191, 842);
}

void TestOutput::pdfHasEveryPage() {
    QFETCH(int, orientation);
    QFETCH(int, paper);
    QFETCH(QSizeF, points);
    auto ds = MakePeople(130);
    Report r(ds.get());
    // The report's own start chooses the paper, as listings do.
    r.rep->BeforePrint = [&r, orientation, paper](QObject*, bool&) {
        ++r.runs;
        r.rep->Page.Orientation = TPrinterOrientation(orientation);
        r.rep->Page.PaperSize = TQRPaperSize(paper);
    };
    const QString path = tmp_.filePath(QStringLiteral("informe.pdf"));
    QVERIFY(r.rep->ExportToPdf(path));  // made now: nothing was prepared
    QCOMPARE(r.runs, 1);
    QVERIFY(fileBytes(path).startsWith("%PDF-"));
    QVERIFY(r.rep->QRPrinter()->PageCount() >= 2);
    QCOMPARE(PdfPageCount(path), r.rep->QRPrinter()->PageCount());
    const QRectF box = mediaBox(path);
    QVERIFY(qAbs(box.width() - points.width()) < 1.5);
    QVERIFY(qAbs(box.height() - points.height()) < 1.5);

    // The pages held go out again without a new run.
    QVERIFY(r.rep->ExportToPdf(path));
    QCOMPARE(r.runs, 1);
}

void TestOutput::pdfOfNothing() {
    auto ds = MakePeople(0);
    Report r(ds.get());
    r.rep->setPrintIfEmpty(false);
    const QString path = tmp_.filePath(QStringLiteral("vacio.pdf"));
    QVERIFY(!r.rep->ExportToPdf(path));
    QVERIFY(!QFile::exists(path));
}

void TestOutput::printerGetsCopiesAndRange() {
    auto ds = MakePeople(200);
    Report r(ds.get());
    r.rep->Prepare();
    const int made = r.rep->QRPrinter()->PageCount();
    QVERIFY(made >= 4);

    const QString path = tmp_.filePath(QStringLiteral("impreso.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    r.rep->PrinterSettings.Copies = 2;
    r.rep->PrinterSettings.FirstPage = 2;
    r.rep->PrinterSettings.LastPage = 3;
    QVERIFY(r.rep->Print(printer));
    QCOMPARE(r.runs, 2);  // printing runs the report again
    QCOMPARE(PdfPageCount(path), 4);
    QCOMPARE(r.rep->QRPrinter()->PageCount(), made);  // the preview's pages stay

    // The pages held, only the current one; the end is told as after a run.
    int ended = 0;
    r.rep->AfterPrint = [&ended](QObject*) { ++ended; };
    QPrinter again(QPrinter::HighResolution);
    again.setOutputFormat(QPrinter::PdfFormat);
    again.setOutputFileName(path);
    QVERIFY(r.rep->QRPrinter()->Print(again, 3, 3));
    QCOMPARE(PdfPageCount(path), 1);
    QCOMPARE(r.runs, 2);
    QCOMPARE(ended, 1);
    // A range past the end prints what there is.
    QVERIFY(r.rep->QRPrinter()->Print(again, made, made + 5));
    QCOMPARE(PdfPageCount(path), 1);
}

void TestOutput::printerNeverFallsBackToAnother() {
    auto ds = MakePeople(3);
    Report r(ds.get());
    r.rep->PrinterSettings.PrinterName = QStringLiteral("Impresora que no existe 4711");
    QVERIFY(!r.rep->Print());
    QCOMPARE(r.runs, 0);
}

void TestOutput::pagesOnScreenAtAnyResolution_data() {
    QTest::addColumn<double>("dpi");
    QTest::newRow("96 dpi") << 96.0;
    QTest::newRow("192 dpi") << 192.0;
    QTest::newRow("72 dpi") << 72.0;
}

void TestOutput::pagesOnScreenAtAnyResolution() {
    QFETCH(double, dpi);
    auto ds = MakePeople(1);
    Report r(ds.get());
    r.rep->Prepare();
    // A device of that resolution, drawn at its resolution: the black caption
    // box lies 10 mm from the top-left corner and is 100 x 20 units.
    QImage image(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter p(&image);
    r.rep->QRPrinter()->DrawPage(p, 1, dpi);
    p.end();
    const double unit = dpi / 96, margin = 10 / 25.4 * dpi;
    auto pixel = [&](double x, double y) { return image.pixelColor(qRound(x), qRound(y)); };
    QCOMPARE(pixel(margin + 90 * unit, margin + 3 * unit), QColor(Qt::black));  // past the text
    QCOMPARE(pixel(margin + 98 * unit, margin + 18 * unit), QColor(Qt::black));
    QCOMPARE(pixel(margin + 103 * unit, margin + 10 * unit), QColor(Qt::white));
    QCOMPARE(pixel(margin + 10 * unit, margin + 23 * unit), QColor(Qt::white));
    QCOMPARE(pixel(margin - 3 * unit, margin + 10 * unit), QColor(Qt::white));
}

// A one-line text in its font's own glyphs is drawn straight at its
// baseline where it can: the very pixels and text positions the text layout
// gives, in any font, at any fraction of a unit, clipped or not, wrapped or
// not, however aligned.
void TestOutput::oneLineTextsWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    const QFont arial7 = QRPictureFont(QFont(QStringLiteral("Arial"), 7));
    QFont bold10 = QRPictureFont(QFont(QStringLiteral("Arial"), 10));
    bold10.setBold(true);
    QFont italic12 = QRPictureFont(QFont(QStringLiteral("Times New Roman"), 12));
    italic12.setItalic(true);
    const int free = Qt::AlignTop | Qt::AlignLeft | Qt::TextDontClip;
    const int clipped = Qt::AlignTop | Qt::AlignLeft;
    QTest::newRow("digit in a day cell")
        << arial7 << QRectF(963.7, 1417.95, 70, 160) << "3" << free;
    QTest::newRow("bold heading") << bold10 << QRectF(189, 377.9527, 210, 170) << "Mes" << free;
    QTest::newRow("accents and blanks")
        << italic12 << QRectF(200.3, 501.013, 3000, 170) << "Año, Ñandú y Peñíscola " << free;
    QTest::newRow("wider than its box")
        << arial7 << QRectF(10.5, 20.25, 40, 30) << "9999,99" << free;
    QTest::newRow("within a clipping box")
        << arial7 << QRectF(1800.25, 77.7, 1800, 170) << "01/01/2015" << clipped;
    QTest::newRow("within a wrapping box") << bold10 << QRectF(33.3, 901.55, 2400, 170)
                                           << "Puesto: TALLER" << (clipped | Qt::TextWordWrap);
    QTest::newRow("cut by its box")
        << arial7 << QRectF(10.5, 20.25, 60, 170) << "9999,99" << clipped;
    QTest::newRow("too low for its box")
        << bold10 << QRectF(10.5, 20.25, 600, 90) << "Mes" << clipped;
    QTest::newRow("wrapped in its box") << arial7 << QRectF(10.5, 20.25, 300, 500)
                                        << "Uno dos tres cuatro" << (clipped | Qt::TextWordWrap);
    QTest::newRow("right-aligned")
        << arial7 << QRectF(10.5, 20.25, 600, 170) << "1,5" << int(Qt::AlignTop | Qt::AlignRight);
}

void TestOutput::oneLineTextsWhereTheLayoutPutsThem() {
    QFETCH(QFont, font);
    QFETCH(QRectF, box);
    QFETCH(QString, text);
    QFETCH(int, flags);
    TQRPageRecord laidOut, atBaseline;
    for (TQRPageRecord* page : {&laidOut, &atBaseline}) {
        page->setFont(font);
        page->setPen(QPen(Qt::black));
        page->drawText(box, flags, text, page == &atBaseline);
    }
    // Drawn at 400 dots per inch on paper.
    auto draw = [](const TQRPageRecord& page) {
        QImage image(1600, 1200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(400.0 / kQRPictureUnitsPerInch, 400.0 / kQRPictureUnitsPerInch);
        page.play(p);
        return image;
    };
    const QImage expected = draw(laidOut);
    QImage blank(expected.size(), expected.format());
    blank.fill(Qt::white);
    QVERIFY(expected != blank);
    QCOMPARE(draw(atBaseline), expected);
    const QList<TQRTextLine> want = PageTextLines(laidOut), got = PageTextLines(atBaseline);
    QCOMPARE(got.size(), want.size());
    for (qsizetype l = 0; l < want.size(); ++l) {
        QCOMPARE(got[l].size(), want[l].size());
        for (qsizetype i = 0; i < want[l].size(); ++i) {
            QCOMPARE(got[l][i].Text, want[l][i].Text);
            QCOMPARE(got[l][i].Left, want[l][i].Left);
            QCOMPARE(got[l][i].Top, want[l][i].Top);
        }
    }
}

void TestOutput::picturesAndShapes() {
    TClientDataSet ds;
    ds.FieldDefs() = {{QStringLiteral("Foto"), ftGraphic, 0, false}};
    ds.CreateDataSet();
    QImage blue(40, 40, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ds.Append();
    ds.FieldByName(QStringLiteral("Foto"))->setAsImage(blue);
    ds.Post();
    QObject form;
    TQuickRep rep(&form);
    rep.setDataSet(&ds);
    rep.Page.LeftMargin = rep.Page.TopMargin = 0;
    TQRBand band(&form, &rep, rbDetail);
    band.setHeight(200);
    // A large logo shown small: the page keeps it at paper resolution.
    QImage logo(1500, 1500, QImage::Format_RGB32);
    QRandomGenerator noise(1);
    for (int y = 0; y < logo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(logo.scanLine(y));
        for (int x = 0; x < logo.width(); ++x) line[x] = qRgb(200 + noise.bounded(56), 0, 0);
    }
    TQRImage stretched(&form, &band);
    stretched.SetBounds(0, 0, 100, 50);
    stretched.setStretch(true);
    stretched.setPicture(logo);
    // At its own size, cut at its box.
    TQRImage clipped(&form, &band);
    clipped.SetBounds(120, 0, 20, 20);
    clipped.setPicture(blue);
    TQRDBImage photo(&form, &band);
    photo.setDataField(QStringLiteral("Foto"));
    photo.SetBounds(0, 100, 40, 40);
    TQRShape line(&form, &band);
    line.setShape(qrsHorLine);
    line.SetBounds(0, 150, 200, 20);
    TQRShape box(&form, &band);
    box.setShape(qrsRectangle);
    box.Brush.Color = 0x00FF00;  // lime
    box.SetBounds(100, 100, 40, 40);
    rep.Prepare();
    QVERIFY(rep.QRPrinter()->Page(1).size() < 400 * 1024);  // the logo alone is 9 MB

    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    rep.QRPrinter()->DrawPage(p, 1, 96);
    p.end();
    QVERIFY(image.pixelColor(95, 45).red() >= 200 && image.pixelColor(95, 45).green() == 0);
    QCOMPARE(image.pixelColor(105, 25), QColor(Qt::white));
    QCOMPARE(image.pixelColor(135, 15), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(145, 15), QColor(Qt::white));  // the rest of the picture is cut
    QCOMPARE(image.pixelColor(20, 120), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(50, 160), QColor(Qt::black));
    QCOMPARE(image.pixelColor(50, 155), QColor(Qt::white));
    QCOMPARE(image.pixelColor(120, 120), QColor(Qt::green));
    QCOMPARE(image.pixelColor(100, 120), QColor(Qt::black));  // the rectangle's edge
}

void TestOutput::exportFilters() {
    auto ds = MakePeople(3);
    ds->FieldByName(QStringLiteral("Importe"))->setDisplayFormat(QStringLiteral("#,##0.00"));
    ds->First();
    ds->Edit();
    ds->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Peña <y> \"Cía\""));
    ds->FieldByName(QStringLiteral("Importe"))->setAsFloat(1234.5);
    ds->Post();
    Report r(ds.get());

    TQRTextFilter text(tmp_.filePath(QStringLiteral("INFORME.TXT")));
    QVERIFY(r.rep->ExportToFilter(text));
    const QByteArray bytes = fileBytes(text.FileName());
    QVERIFY(
        bytes.contains("Pe\xF1"
                       "a"));  // Windows-1252
    const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    // Columns 120 units apart at 6 units a character, after a 10 mm margin.
    QCOMPARE(lines[0], QStringLiteral("      C\xF3"
                                      "digo"));
    QCOMPARE(lines[1], QStringLiteral("      1                   Pe\xF1"
                                      "a <y> \"C\xED"
                                      "a\"      1.234,50"));
    QCOMPARE(lines[2], QStringLiteral("      2                   Nombre 2            3,00"));
    QCOMPARE(lines[4], QStringLiteral("      P\xE1gina 1"));
    QCOMPARE(lines.size(), 6);  // the last line ends too

    TQRCSVFilter csv(tmp_.filePath(QStringLiteral("INFORME.CSV")));
    QVERIFY(r.rep->ExportToFilter(csv));
    QCOMPARE(QString::fromLatin1(fileBytes(csv.FileName())).split(QStringLiteral("\r\n")).mid(0, 3),
             QStringList({QStringLiteral("C\xF3"
                                         "digo"),
                          QStringLiteral("1,\"Pe\xF1"
                                         "a <y> \"\"C\xED"
                                         "a\"\"\",\"1.234,50\""),
                          QStringLiteral("2,Nombre 2,\"3,00\"")}));

    r.rep->BeforePrint = [&r](QObject*, bool&) {
        ++r.runs;
        r.rep->setReportTitle(QStringLiteral("Listado & prueba"));
    };
    r.rep->setReportTitle(QString());
    r.rep->Prepare();  // the title comes with the run
    TQRHTMLFilter html(tmp_.filePath(QStringLiteral("INFORME.HTM")));
    QVERIFY(r.rep->ExportToFilter(html));
    const QString page = QString::fromUtf8(fileBytes(html.FileName()));
    QVERIFY(page.contains(QStringLiteral("<title>Listado &amp; prueba</title>")));
    QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(page.contains(QStringLiteral(
        "<tr><td>1</td><td>Peña &lt;y&gt; &quot;Cía&quot;</td><td>1.234,50</td></tr>")));
    QCOMPARE(r.runs, 2);  // the exports read the pages made
}

void TestOutput::exportToUnwritableFolder() {
    auto ds = MakePeople(3);
    Report r(ds.get());
    const QString missing = tmp_.filePath(QStringLiteral("no/existe/INFORME"));
    TQRTextFilter text(missing + QStringLiteral(".TXT"));
    QVERIFY(!r.rep->ExportToFilter(text));
    TQRHTMLFilter html(missing + QStringLiteral(".HTM"));
    QVERIFY(!r.rep->ExportToFilter(html));
    // Refused when the file cannot be made, before any page is drawn.
    QVERIFY(!r.rep->ExportToPdf(missing + QStringLiteral(".pdf")));
    QVERIFY(!QFileInfo::exists(missing + QStringLiteral(".pdf")));
}

void TestOutput::previewSeesPagesAsTheyCome() {
    auto ds = MakePeople(200);
    Report r(ds.get());
    QList<int> available, progress;
    bool busyAtFirstPage = false;
    TQRPrinter* printer = r.rep->QRPrinter();
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    TQuickRep::SetPreviewHook([&](TQuickRep* report) {
        QCOMPARE(report, r.rep);
        report->QRPrinter()->SetPreviewWindow(window);
        printer->OnPageAvailable = [&](int page) {
            if (available.isEmpty()) busyAtFirstPage = printer->Busy();
            available.append(page);
        };
        printer->OnProgressUpdate = [&](int percent) {
            progress.append(percent);
            // The user closes the window once the report is complete.
            if (percent == 100) QTimer::singleShot(0, window, &QWidget::close);
        };
    });
    r.rep->Preview();  // returns once the window is gone
    TQuickRep::SetPreviewHook(nullptr);
    const int pages = printer->PageCount();
    QVERIFY(pages >= 4);
    QVERIFY(busyAtFirstPage);
    QCOMPARE(available.size(), pages);
    QCOMPARE(available.first(), 1);
    QCOMPARE(available.last(), pages);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(progress.last(), 100);
    QVERIFY(!printer->Busy());

    // The report's own preview handler comes before the hook.
    bool ownPreview = false, hook = false;
    TQuickRep::SetPreviewHook([&](TQuickRep*) { hook = true; });
    r.rep->OnPreview = [&](QObject*) { ownPreview = true; };
    r.rep->Preview();
    TQuickRep::SetPreviewHook(nullptr);
    QVERIFY(ownPreview && !hook);
}

void TestOutput::closingThePreviewStopsTheRun() {
    auto ds = MakePeople(300);
    Report r(ds.get());
    int ended = 0;
    r.rep->AfterPrint = [&ended](QObject*) { ++ended; };
    TQRPrinter* printer = r.rep->QRPrinter();
    // A window of the program closed by the user (hidden now, deleted later)
    // and a window destroyed at once.
    for (bool widget : {true, false}) {
        r.rep->OnPreview = [printer, widget](QObject*) {
            QObject* window = new QObject;
            if (widget) {
                auto* w = new QWidget;
                w->setAttribute(Qt::WA_DeleteOnClose);
                w->show();
                window = w;
            }
            printer->SetPreviewWindow(window);
            printer->OnPageAvailable = [window, widget](int page) {
                if (page != 2) return;
                if (widget)
                    static_cast<QWidget*>(window)->close();
                else
                    delete window;
            };
        };
        r.rep->Preview();  // returns: the window is closed
        QCOMPARE(printer->PageCount(), 2);
        QVERIFY(printer->Aborted());
    }
    QCOMPARE(ended, 2);

    // Abort from the preview keeps the pages made so far.
    r.rep->OnPreview = nullptr;
    printer->OnPageAvailable = [printer](int page) {
        if (page == 3) printer->Abort();
    };
    r.rep->Prepare();
    QCOMPARE(printer->PageCount(), 3);
}

void TestOutput::previewWithoutHookShowsNothing() {
    auto ds = MakePeople(3);
    Report r(ds.get());
    r.rep->Preview();
    QCOMPARE(r.runs, 1);
    QCOMPARE(r.rep->QRPrinter()->PageCount(), 1);
    QCOMPARE(r.rep->QRPrinter()->PreviewWindow(), nullptr);
}

// A run that fails part-way (an error raised while a band prints, as a
// connection lost under a listing): the pages made so far are not the
// report, so the preview goes and nothing is left to export or print.
void TestOutput::failedPreviewLeavesNoPages() {
    auto ds = MakePeople(300);
    Report r(ds.get());
    TQRPrinter* printer = r.rep->QRPrinter();
    int rows = 0;
    r.detail->BeforePrint = [&rows](QObject*, bool&) {
        if (++rows == 120) throw std::runtime_error("banda");
    };
    QPointer<QWidget> window;
    r.rep->OnPreview = [&](QObject*) {
        window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        printer->SetPreviewWindow(window);
    };
    int pagesSeen = 0;
    printer->OnPageAvailable = [&pagesSeen](int page) { pagesSeen = page; };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, r.rep->Preview());
    QVERIFY(pagesSeen >= 2);  // the preview had received pages
    QCOMPARE(printer->PageCount(), 0);
    QTRY_VERIFY(!window);
    // The next export runs the report anew, whole.
    r.detail->BeforePrint = nullptr;
    r.rep->OnPreview = nullptr;
    printer->OnPageAvailable = nullptr;
    const QString path = tmp_.filePath(QStringLiteral("tras_fallo.pdf"));
    QVERIFY(r.rep->ExportToPdf(path));
    QVERIFY(printer->PageCount() > pagesSeen);
    QCOMPARE(PdfPageCount(path), printer->PageCount());
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
