// The band engine: which band prints where, page breaks, groups, events,
// field texts and running totals, read back from the pages made.

#include <QElapsedTimer>
#include <QtTest>
#include <numeric>

#include "report/bands.h"
#include "report/controls.h"
#include "report/engine_p.h"
#include "reporttest.h"
#include "support/memoriaprueba.h"

namespace {

// A report with one band of each kind, every band showing its name.
struct Layout {
    QObject form;
    TQuickRep* rep = new TQuickRep(&form);
    TQRBand* pageHeader = new TQRBand(&form, rep, rbPageHeader);
    TQRBand* title = new TQRBand(&form, rep, rbTitle);
    TQRBand* columns = new TQRBand(&form, rep, rbColumnHeader);
    TQRBand* detail = new TQRBand(&form, rep, rbDetail);
    TQRBand* summary = new TQRBand(&form, rep, rbSummary);
    TQRBand* pageFooter = new TQRBand(&form, rep, rbPageFooter);

    explicit Layout(TDataSet* ds) {
        rep->setDataSet(ds);
        pageHeader->setHeight(30);
        label(pageHeader, QStringLiteral("CABECERA"));
        title->setHeight(25);
        label(title, QStringLiteral("TITULO"));
        columns->setHeight(20);
        label(columns, QStringLiteral("COLUMNAS"));
        detail->setHeight(20);
        field(detail, QStringLiteral("Codigo"), 0);
        field(detail, QStringLiteral("Nombre"), 100);
        summary->setHeight(20);
        label(summary, QStringLiteral("RESUMEN"));
        pageFooter->setHeight(20);
        auto* page = new TQRSysData(&form, pageFooter);
        page->setData(qrsPageNumber);
        page->setText(QStringLiteral("Página "));
    }
    TQRLabel* label(TQRCustomBand* band, const QString& caption, int left = 0) {
        auto* l = new TQRLabel(&form, band);
        l->setCaption(caption);
        l->setLeft(left);
        return l;
    }
    TQRDBText* field(TQRCustomBand* band, const QString& name, int left) {
        auto* t = new TQRDBText(&form, band);
        t->setDataField(name);
        t->setLeft(left);
        t->setWidth(90);
        return t;
    }
    TQRExpr* expr(TQRCustomBand* band, const QString& expression, int left, bool reset = false) {
        auto* e = new TQRExpr(&form, band);
        e->setExpression(expression);
        e->setLeft(left);
        e->setResetAfterPrint(reset);
        return e;
    }
    // A group on `expression` with a footer "Fin" + the group's field texts.
    std::pair<TQRGroup*, TQRBand*> group(const QString& expression) {
        auto* g = new TQRGroup(&form, rep);
        g->setExpression(expression);
        g->setHeight(20);
        auto* footer = new TQRBand(&form, rep, rbGroupFooter);
        footer->setHeight(20);
        g->setFooterBand(footer);
        return {g, footer};
    }
    QStringList lines() const { return AllLines(rep->QRPrinter()); }
};

QStringList detailLines(const QStringList& lines) {
    QStringList out;
    static const QRegularExpression kDetail(QStringLiteral("^\\d+ Nombre \\d+$"));
    for (const QString& l : lines)
        if (kDetail.match(l).hasMatch()) out.append(l);
    return out;
}

QStringList expectedDetails(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out.append(QStringLiteral("%1 Nombre %1").arg(i));
    return out;
}

}  // namespace

class TestQuickRep : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bandsFlowAcrossPages();
    void headerAndFooterOptions();
    void groupsBreakOnChangeWithTotals();
    void nestedGroupsCloseInnermostFirst();
    void groupsBreakWhenAnyJoinedValueChanges_data();
    void groupsBreakWhenAnyJoinedValueChanges();
    void groupHeaderReprintedOnNewPage_data();
    void groupHeaderReprintedOnNewPage();
    void forceNewPage();
    void beforePrintSuppressesBands();
    void totalsCountRecordsNotPrintedBands();
    void reportBeforePrintMakesNoPage();
    void onPrintChangesTheText();
    void fieldTexts_data();
    void fieldTexts();
    void emptyDataSet();
    void stretchingMemoGrowsItsBand();
    void stretchingLabelTakesItsLinesHeight_data();
    void stretchingLabelTakesItsLinesHeight();
    void reportFedByOnNeedData();
    void dataSetFilledWhileWalked_data();
    void dataSetFilledWhileWalked();
    void subDetailPerMasterRecord();
    void systemDataAndCalculations();
    void bandTallerThanPage();
    void hugeTextsArePrintedAPageAtATime_data();
    void hugeTextsArePrintedAPageAtATime();
    void badExpressionStopsTheRun();
};

void TestQuickRep::bandsFlowAcrossPages() {
    auto ds = MakePeople(130);
    Layout l(ds.get());
    l.rep->Prepare();
    const TQRPrinter* pages = l.rep->QRPrinter();
    QVERIFY(pages->PageCount() >= 3);
    QCOMPARE(detailLines(l.lines()), expectedDetails(1, 130));
    QCOMPARE(l.lines().count(QStringLiteral("TITULO")), 1);

    const double footerTop = MMToQRUnits(297 - 10) - 20;
    for (int p = 1; p <= pages->PageCount(); ++p) {
        const QStringList lines = PageLines(pages, p);
        const QStringList head = p == 1 ? QStringList{"CABECERA", "TITULO", "COLUMNAS"}
                                        : QStringList{"CABECERA", "COLUMNAS"};
        QCOMPARE(lines.mid(0, head.size()), head);
        QCOMPARE(lines.last(), QStringLiteral("Página %1").arg(p));
        const QList<TQRTextLine> text = PageTextLines(pages->Page(p));
        QVERIFY(qAbs(text.last().first().Top - footerTop) < 0.5);
        if (p < pages->PageCount()) {
            // Full: the last row ends above the footer and another would not.
            const double lastRowTop = text[text.size() - 2].first().Top;
            QVERIFY(lastRowTop + 20 <= footerTop + 0.5);
            QVERIFY(lastRowTop + 40 > footerTop);
        } else {
            QCOMPARE(lines[lines.size() - 2], QStringLiteral("RESUMEN"));
            QCOMPARE(lines[lines.size() - 3], QStringLiteral("130 Nombre 130"));
        }
    }
}

void TestQuickRep::headerAndFooterOptions() {
    auto ds = MakePeople(130);
    Layout l(ds.get());
    l.rep->setOptions(0);
    l.rep->Prepare();
    const TQRPrinter* pages = l.rep->QRPrinter();
    QCOMPARE(PageLines(pages, 1).first(), QStringLiteral("TITULO"));
    QCOMPARE(PageLines(pages, 2).first(), QStringLiteral("CABECERA"));
    QCOMPARE(PageLines(pages, 1).last(), QStringLiteral("Página 1"));
    QCOMPARE(PageLines(pages, pages->PageCount()).last(), QStringLiteral("RESUMEN"));
}

void TestQuickRep::groupsBreakOnChangeWithTotals() {
    auto ds = MakePeople(25);
    Layout l(ds.get());
    auto [header, footer] = l.group(QStringLiteral("Temporal.Grupo"));
    l.field(header, QStringLiteral("Grupo"), 0);
    l.label(footer, QStringLiteral("Total"));
    l.field(footer, QStringLiteral("Grupo"), 50);
    l.expr(footer, QStringLiteral("SUM(Importe)"), 100, true);
    l.field(footer, QStringLiteral("Nombre"), 200);  // the group's last record
    l.expr(l.summary, QStringLiteral("Sum(Importe)"), 100);
    l.expr(l.summary, QStringLiteral("COUNT"), 200);
    l.rep->Prepare();

    QStringList expected = {"CABECERA", "TITULO", "COLUMNAS", "G0"};
    expected += expectedDetails(1, 10);
    expected += {"Total G0 82,5 Nombre 10", "G1"};
    expected += expectedDetails(11, 20);
    expected += {"Total G1 232,5 Nombre 20", "G2"};
    expected += expectedDetails(21, 25);
    expected += {"Total G2 172,5 Nombre 25", "RESUMEN 487,5 25", "Página 1"};
    QCOMPARE(l.lines(), expected);

    // A second run starts its totals again.
    l.rep->Prepare();
    QCOMPARE(l.lines(), expected);
}

void TestQuickRep::nestedGroupsCloseInnermostFirst() {
    TClientDataSet ds;
    ds.FieldDefs() = {{QStringLiteral("Letra"), ftString, 1, false},
                      {QStringLiteral("Num"), ftInteger, 0, false}};
    ds.CreateDataSet();
    for (auto [letter, num] : {std::pair{"A", 1}, {"A", 1}, {"A", 2}, {"B", 2}, {"B", 2}}) {
        ds.Append();
        ds.FieldByName(QStringLiteral("Letra"))->setAsString(QLatin1String(letter));
        ds.FieldByName(QStringLiteral("Num"))->setAsInteger(num);
        ds.Post();
    }
    Layout l(&ds);
    l.detail->Controls()[1]->setEnabled(false);  // no Nombre here
    l.detail->Controls()[0]->setProperty("DataField", QStringLiteral("Num"));
    auto [outer, outerFooter] = l.group(QStringLiteral("Letra"));
    auto [inner, innerFooter] = l.group(QStringLiteral("Num"));
    l.label(outer, QStringLiteral("Letra"));
    l.field(outer, QStringLiteral("Letra"), 100);
    l.label(inner, QStringLiteral("Num"));
    l.field(inner, QStringLiteral("Num"), 100);
    l.label(innerFooter, QStringLiteral("FinNum"));
    l.expr(innerFooter, QStringLiteral("COUNT"), 100, true);
    l.label(outerFooter, QStringLiteral("FinLetra"));
    l.expr(outerFooter, QStringLiteral("COUNT"), 100, true);
    l.rep->Prepare();
    const QStringList expected = {"CABECERA", "TITULO",     "COLUMNAS",   "Letra A", "Num 1",
                                  "1",        "1",          "FinNum 2",   "Num 2",   "2",
                                  "FinNum 1", "FinLetra 3", "Letra B",    "Num 2",   "2",
                                  "2",        "FinNum 2",   "FinLetra 2", "RESUMEN", "Página 1"};
    QCOMPARE(l.lines(), expected);
}

void TestQuickRep::groupsBreakWhenAnyJoinedValueChanges_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QList<int>>("a");
    QTest::addColumn<QList<int>>("b");
    QTest::addColumn<int>("groups");
    // "1" + "12" and "11" + "2" join to the same text; 1 + 2 and 2 + 1 add
    // to the same number: still two different groups.
    QTest::newRow("joined texts") << "Str(Temporal.A) + Str(Temporal.B)" << QList<int>{1, 11}
                                  << QList<int>{12, 2} << 2;
    QTest::newRow("added numbers") << "A+B" << QList<int>{1, 2} << QList<int>{2, 1} << 2;
    QTest::newRow("same values") << "Str(A) + Str(B)" << QList<int>{3, 3} << QList<int>{4, 4} << 1;
}

void TestQuickRep::groupsBreakWhenAnyJoinedValueChanges() {
    QFETCH(QString, expression);
    QFETCH(QList<int>, a);
    QFETCH(QList<int>, b);
    QFETCH(int, groups);
    TClientDataSet ds;
    ds.setObjectName(QStringLiteral("Temporal"));
    ds.FieldDefs() = {{QStringLiteral("A"), ftInteger, 0, false},
                      {QStringLiteral("B"), ftInteger, 0, false}};
    ds.CreateDataSet();
    for (int i = 0; i < a.size(); ++i) {
        ds.Append();
        ds.FieldByName(QStringLiteral("A"))->setAsInteger(a[i]);
        ds.FieldByName(QStringLiteral("B"))->setAsInteger(b[i]);
        ds.Post();
    }
    Layout l(&ds);
    for (TQRPrintable* c : l.detail->Controls()) c->setEnabled(false);
    auto [header, footer] = l.group(expression);
    l.label(header, QStringLiteral("GRUPO"));
    l.rep->Prepare();
    QCOMPARE(l.lines().count(QStringLiteral("GRUPO")), groups);
}

void TestQuickRep::groupHeaderReprintedOnNewPage_data() {
    QTest::addColumn<bool>("reprint");
    QTest::newRow("reprinted") << true;
    QTest::newRow("not reprinted") << false;
}

void TestQuickRep::groupHeaderReprintedOnNewPage() {
    QFETCH(bool, reprint);
    auto ds = MakePeople(130, 1000);  // one group over three pages
    Layout l(ds.get());
    auto [header, footer] = l.group(QStringLiteral("Grupo"));
    header->setReprintOnNewPage(reprint);
    l.field(header, QStringLiteral("Grupo"), 0);
    l.label(footer, QStringLiteral("FIN"));
    l.rep->Prepare();
    const TQRPrinter* pages = l.rep->QRPrinter();
    QVERIFY(pages->PageCount() >= 3);
    for (int p = 2; p <= pages->PageCount(); ++p) {
        const QStringList lines = PageLines(pages, p);
        QCOMPARE(lines[2] == QLatin1String("G0"), reprint);
    }
    QCOMPARE(detailLines(l.lines()), expectedDetails(1, 130));
    QCOMPARE(l.lines().count(QStringLiteral("FIN")), 1);
}

void TestQuickRep::forceNewPage() {
    auto ds = MakePeople(25);
    Layout l(ds.get());
    auto [header, footer] = l.group(QStringLiteral("Grupo"));
    l.field(header, QStringLiteral("Grupo"), 0);
    header->setForceNewPage(true);
    l.summary->setForceNewPage(true);
    l.rep->Prepare();
    const TQRPrinter* pages = l.rep->QRPrinter();
    // The first group stays under the title; the others and the summary
    // each start a page.
    QCOMPARE(pages->PageCount(), 4);
    QCOMPARE(PageLines(pages, 1).mid(0, 5),
             QStringList({"CABECERA", "TITULO", "COLUMNAS", "G0", "1 Nombre 1"}));
    QCOMPARE(PageLines(pages, 2).mid(0, 4),
             QStringList({"CABECERA", "COLUMNAS", "G1", "11 Nombre 11"}));
    QCOMPARE(PageLines(pages, 3)[2], QStringLiteral("G2"));
    QCOMPARE(PageLines(pages, 4), QStringList({"CABECERA", "COLUMNAS", "RESUMEN", "Página 4"}));
}

void TestQuickRep::beforePrintSuppressesBands() {
    auto ds = MakePeople(6);
    Layout l(ds.get());
    auto* child = new TQRChildBand(&l.form, l.detail);
    child->setHeight(15);
    l.label(child, QStringLiteral("HIJO"));
    TField* code = ds->FieldByName(QStringLiteral("Codigo"));
    l.detail->BeforePrint = [code](QObject*, bool& print) { print = code->AsInteger() % 2 == 1; };
    QList<bool> printed;
    l.detail->AfterPrint = [&printed](QObject*, bool done) { printed.append(done); };
    l.rep->Prepare();
    QCOMPARE(l.lines(),
             QStringList({"CABECERA", "TITULO", "COLUMNAS", "1 Nombre 1", "HIJO", "3 Nombre 3",
                          "HIJO", "5 Nombre 5", "HIJO", "RESUMEN", "Página 1"}));
    QCOMPARE(printed, QList<bool>({true, false, true, false, true, false}));
}

void TestQuickRep::totalsCountRecordsNotPrintedBands() {
    // Only totals printed (detail off): the totals still take every record.
    auto ds = MakePeople(25);
    Layout l(ds.get());
    l.detail->setEnabled(false);
    auto [header, footer] = l.group(QStringLiteral("Grupo"));
    l.expr(footer, QStringLiteral("SUM(Importe)"), 0, true);
    l.expr(l.summary, QStringLiteral("SUM(Importe)"), 100);
    l.rep->Prepare();
    QCOMPARE(l.lines(), QStringList({"CABECERA", "TITULO", "COLUMNAS", "82,5", "232,5", "172,5",
                                     "RESUMEN 487,5", "Página 1"}));
}

void TestQuickRep::reportBeforePrintMakesNoPage() {
    auto ds = MakePeople(5);
    Layout l(ds.get());
    l.rep->Prepare();
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 1);
    int ended = 0;
    l.rep->AfterPrint = [&ended](QObject*) { ++ended; };
    l.rep->BeforePrint = [](QObject*, bool& print) { print = false; };
    l.rep->Prepare();
    // No stale pages of the run before, and the end is still told.
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 0);
    QCOMPARE(ended, 1);
    QVERIFY(!l.rep->QRPrinter()->Busy());
}

void TestQuickRep::onPrintChangesTheText() {
    auto ds = MakePeople(3);
    Layout l(ds.get());
    auto* name = static_cast<TQRDBText*>(l.detail->Controls()[1]);
    int calls = 0;
    name->OnPrint = [&calls](QObject* sender, QString& value) {
        ++calls;
        QCOMPARE(sender->objectName(), QStringLiteral("QRDBText2"));
        if (value.endsWith(u'2'))
            value.clear();
        else
            value = value.toUpper();
    };
    name->setObjectName(QStringLiteral("QRDBText2"));
    QVERIFY(name->property("OnPrint").toBool());
    l.rep->Prepare();
    QCOMPARE(detailLines(l.lines()), QStringList());
    QCOMPARE(l.lines().mid(3, 3), QStringList({"1 NOMBRE 1", "2", "3 NOMBRE 3"}));
    QCOMPARE(calls, 3);
    QCOMPARE(name->PrintedText(), QStringLiteral("NOMBRE 3"));
}

void TestQuickRep::fieldTexts_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("displayFormat");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("float, display format") << int(ftFloat) << QVariant(1234.5) << "#,##0.00"
                                           << ""
                                           << "1.234,50";
    QTest::newRow("float, no format") << int(ftFloat) << QVariant(1234.5) << ""
                                      << ""
                                      << "1234,5";
    QTest::newRow("mask wins over display format") << int(ftFloat) << QVariant(7.0) << "#,##0.00"
                                                   << "000"
                                                   << "007";
    QTest::newRow("zero under #;-#;#") << int(ftFloat) << QVariant(0.0) << ""
                                       << "#;-#;#"
                                       << "";
    QTest::newRow("NULL under a mask") << int(ftFloat) << QVariant() << ""
                                       << "#,##0.00"
                                       << "";
    QTest::newRow("integer") << int(ftInteger) << QVariant(42) << ""
                             << ""
                             << "42";
    QTest::newRow("date") << int(ftDateTime) << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0)))
                          << ""
                          << ""
                          << "05/03/2024";
    QTest::newRow("date, mask") << int(ftDateTime)
                                << QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 7))) << ""
                                << "dd/mm/yy hh:nn"
                                << "05/03/24 09:07";
    QTest::newRow("memo, whole text") << int(ftMemo) << QVariant(QStringLiteral("uno")) << ""
                                      << ""
                                      << "uno";
}

void TestQuickRep::fieldTexts() {
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(QString, displayFormat);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    TClientDataSet ds;
    ds.FieldDefs() = {{QStringLiteral("Valor"), TFieldType(type), 0, false}};
    ds.CreateDataSet();
    ds.Append();
    ds.FieldByName(QStringLiteral("Valor"))->setValue(value);
    ds.Post();
    ds.FieldByName(QStringLiteral("Valor"))->setDisplayFormat(displayFormat);
    QObject form;
    TQuickRep rep(&form);
    rep.setDataSet(&ds);
    TQRBand detail(&form, &rep, rbDetail);
    TQRDBText text(&form, &detail);
    text.setDataField(QStringLiteral("Valor"));
    text.setMask(mask);
    text.setWidth(300);
    rep.Prepare();
    QCOMPARE(text.PrintedText(), expected);
    QCOMPARE(AllLines(rep.QRPrinter()), expected.isEmpty() ? QStringList() : QStringList{expected});
}

void TestQuickRep::emptyDataSet() {
    auto ds = MakePeople(0);
    Layout l(ds.get());
    auto [header, footer] = l.group(QStringLiteral("Grupo"));
    l.label(header, QStringLiteral("GRUPO"));
    l.label(footer, QStringLiteral("FIN"));
    l.expr(l.summary, QStringLiteral("SUM(Importe)"), 100);
    l.rep->Prepare();
    QCOMPARE(l.lines(), QStringList({"CABECERA", "TITULO", "COLUMNAS", "RESUMEN 0", "Página 1"}));

    l.rep->setPrintIfEmpty(false);
    l.rep->Prepare();
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 0);
}

void TestQuickRep::stretchingMemoGrowsItsBand() {
    auto ds = MakePeople(2);
    Layout l(ds.get());
    auto* memo = new TQRMemo(&l.form, l.detail);
    memo->setLeft(300);
    memo->setWidth(120);
    memo->setText(QStringLiteral("primera línea\r\nsegunda línea\r\ntercera línea"));
    memo->setAutoStretch(true);
    l.rep->Prepare();
    const QList<TQRTextLine> lines = PageTextLines(l.rep->QRPrinter()->Page(1));
    // Title lines, then row 1 with the memo's first line, its two more lines,
    // then row 2 below the whole memo.
    QCOMPARE(lines[3].size(), 3);
    QCOMPARE(lines[3][2].Text, QStringLiteral("primera línea"));
    QCOMPARE(lines[4][0].Text, QStringLiteral("segunda línea"));
    QCOMPARE(lines[5][0].Text, QStringLiteral("tercera línea"));
    const double row1 = lines[3][0].Top, row2 = lines[6][0].Top;
    QVERIFY(row2 - row1 > 3 * 12);
    QVERIFY(row2 >= lines[5][0].Top + 12);

    memo->setAutoStretch(false);  // the band keeps its height
    l.rep->Prepare();
    const QList<TQRTextLine> fixed = PageTextLines(l.rep->QRPrinter()->Page(1));
    double second = 0;
    for (const TQRTextLine& line : fixed)
        if (line.first().Text == QLatin1String("2")) second = line.first().Top;
    QVERIFY(qAbs(second - fixed[3][0].Top - 20) < 0.5);
}

void TestQuickRep::stretchingLabelTakesItsLinesHeight_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wordWrap");
    QTest::newRow("latin-1 letters") << QStringLiteral("Núñez Ibáñez ÿ 1.234,50") << false;
    QTest::newRow("line break") << QStringLiteral("uno\ndos") << false;
    QTest::newRow("windows line break") << QStringLiteral("uno\r\ndos\r\ntres") << false;
    QTest::newRow("line separator") << QStringLiteral("uno\u2028dos") << false;
    QTest::newRow("tab") << QStringLiteral("uno\tdos") << false;
    QTest::newRow("glyphs of another font") << QStringLiteral("abc 中文") << false;
    QTest::newRow("emoji") << QStringLiteral("abc 😀") << false;
    QTest::newRow("wrapped at the width")
        << QStringLiteral("palabras que no caben en una sola línea de la celda") << true;
}

void TestQuickRep::stretchingLabelTakesItsLinesHeight() {
    QFETCH(QString, text);
    QFETCH(bool, wordWrap);
    auto ds = MakePeople(3);
    Layout l(ds.get());
    l.detail->setHeight(2);
    auto* cell = l.label(l.detail, QString(), 0);
    cell->setAutoSize(!wordWrap);
    cell->setWordWrap(wordWrap);
    cell->setAutoStretch(true);
    cell->SetBounds(0, 0, 80, 2);
    cell->OnPrint = [text](QObject*, QString& v) { v = text; };
    auto* row = l.label(l.detail, QStringLiteral("FILA"), 300);
    row->setHeight(2);
    // A second run in a bigger font measures its texts anew.
    for (int points : {8, 16}) {
        QFont font = cell->Font();
        font.setPointSize(points);
        cell->setFont(font);
        l.rep->Prepare();
        QList<double> tops;
        for (const TQRTextLine& line : PageTextLines(l.rep->QRPrinter()->Page(1)))
            for (const TQRTextItem& item : line)
                if (item.Text == QLatin1String("FILA")) tops << item.Top;
        QVERIFY2(tops.size() == 3, qPrintable(cell->PrintedText()));
        // As printed: a word wider than the cell is broken inside it.
        QString laid = cell->PrintedText();
        laid.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const int flags = Qt::AlignTop | (wordWrap ? Qt::TextWordWrap : Qt::TextDontClip);
        const double lines = QFontMetricsF(QRPictureFont(cell->Font()))
                                 .boundingRect(QRectF(0, 0, 80 * kQRSub, 1e9), flags, laid)
                                 .height() /
                             kQRSub;
        QVERIFY2(qAbs(tops[1] - tops[0] - lines) < 0.01,
                 qPrintable(QStringLiteral("%1 pt: rows %2 apart, lines %3 high")
                                .arg(points)
                                .arg(tops[1] - tops[0])
                                .arg(lines)));
        QCOMPARE(tops[2] - tops[1], tops[1] - tops[0]);
    }
}

void TestQuickRep::reportFedByOnNeedData() {
    QObject form;
    TQuickRep rep(&form);
    TQRBand detail(&form, &rep, rbDetail);
    TQRLabel label(&form, &detail);
    int record = 0;
    label.OnPrint = [&record](QObject*, QString& value) {
        value = QStringLiteral("R%1").arg(record);
    };
    rep.Prepare();  // nothing asked: one detail
    QCOMPARE(AllLines(rep.QRPrinter()), QStringList({"R0"}));

    rep.OnNeedData = [&record](QObject*, bool& more) {
        more = record < 3;
        if (more) ++record;
    };
    rep.Prepare();
    QCOMPARE(AllLines(rep.QRPrinter()), QStringList({"R1", "R2", "R3"}));
}

void TestQuickRep::dataSetFilledWhileWalked_data() {
    QTest::addColumn<int>("first");           // records held when the run starts
    QTest::addColumn<QList<int>>("batches");  // records OnNeedData adds each time
    QTest::newRow("batches across groups") << 3 << QList<int>{4, 30, 113};
    QTest::newRow("empty at the start") << 0 << QList<int>{5, 145};
    QTest::newRow("a batch adding nothing") << 2 << QList<int>{0, 148};
    QTest::newRow("one record at a time") << 1 << QList<int>(149, 1);
}

// A dataset filled as its pages are made prints every record once, in
// order, its groups closing on their own last record, and the progress
// follows the records expected instead of those held.
void TestQuickRep::dataSetFilledWhileWalked() {
    QFETCH(int, first);
    QFETCH(QList<int>, batches);
    auto ds = MakePeople(first, 10);
    Layout l(ds.get());
    auto [header, footer] = l.group(QStringLiteral("Grupo"));
    l.expr(footer, QStringLiteral("COUNT"), 0, true);
    int added = first, asked = 0;
    const int total = first + std::accumulate(batches.cbegin(), batches.cend(), 0);
    l.rep->setExpectedRecords(total);
    l.rep->OnNeedData = [&](QObject*, bool& more) {
        if (asked == batches.size()) return;
        // Added behind the record walked, which stays current.
        const TBookmark walked = ds->GetBookmark();
        for (int k = 0; k < batches[asked]; ++k) {
            ++added;
            ds->Append();
            ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(added);
            ds->FieldByName(QStringLiteral("Nombre"))
                ->setAsString(QStringLiteral("Nombre %1").arg(added));
            ds->FieldByName(QStringLiteral("Grupo"))
                ->setAsString(QStringLiteral("G%1").arg((added - 1) / 10));
            ds->Post();
        }
        if (!walked.IsNull()) ds->GotoBookmark(walked);
        ++asked;
        more = true;
    };
    QList<int> progress;
    l.rep->QRPrinter()->OnProgressUpdate = [&](int percent) { progress.append(percent); };
    l.rep->Prepare();
    const QStringList lines = l.lines();
    QCOMPARE(detailLines(lines), expectedDetails(1, total));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^\\d+$"))), QStringList(15, "10"));
    QVERIFY(l.rep->QRPrinter()->PageCount() > 2);
    QCOMPARE(asked, batches.size());
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 100);
    // Told after each page, then at the end: no page but the last tells 100.
    QCOMPARE(progress.size(), l.rep->QRPrinter()->PageCount() + 1);
    for (qsizetype k = 0; k + 2 < progress.size(); ++k) QVERIFY(progress[k] < 100);
}

void TestQuickRep::subDetailPerMasterRecord() {
    auto master = MakePeople(3);
    TClientDataSet lines;
    lines.setObjectName(QStringLiteral("Lineas"));
    lines.FieldDefs() = {{QStringLiteral("Master"), ftInteger, 0, false},
                         {QStringLiteral("Texto"), ftString, 20, false}};
    lines.CreateDataSet();
    for (auto [m, t] : {std::pair{1, "a"}, {1, "b"}, {3, "c"}}) {
        lines.Append();
        lines.FieldByName(QStringLiteral("Master"))->setAsInteger(m);
        lines.FieldByName(QStringLiteral("Texto"))->setAsString(QLatin1String(t));
        lines.Post();
    }
    lines.setFiltered(true);
    master->AfterScroll = [&lines](TDataSet* ds) {
        lines.setFilter(
            QStringLiteral("(Master = %1)").arg(ds->FieldByName("Codigo")->AsInteger()));
    };
    Layout l(master.get());
    auto* sub = new TQRSubDetail(&l.form, l.rep);
    sub->setDataSet(&lines);
    sub->setHeight(15);
    sub->setPrintIfEmpty(false);
    auto* text = l.field(sub, QStringLiteral("Texto"), 20);
    text->setDataSet(&lines);
    auto* head = new TQRBand(&l.form, l.rep, rbGroupHeader);
    head->setHeight(15);
    l.label(head, QStringLiteral("LINEAS"));
    auto* foot = new TQRBand(&l.form, nullptr, rbGroupFooter);
    foot->setHeight(15);
    auto* count = l.expr(foot, QStringLiteral("COUNT"), 0, true);
    count->setMaster(sub);
    sub->setHeaderBand(head);
    sub->setFooterBand(foot);
    l.rep->Prepare();
    QCOMPARE(l.lines().mid(3),
             QStringList({"1 Nombre 1", "LINEAS", "a", "b", "2", "2 Nombre 2", "3 Nombre 3",
                          "LINEAS", "c", "1", "RESUMEN", "Página 1"}));
}

void TestQuickRep::systemDataAndCalculations() {
    auto ds = MakePeople(60);
    Layout l(ds.get());
    l.rep->setReportTitle(QStringLiteral("Listado de Operarios"));
    auto* title = new TQRSysData(&l.form, l.pageHeader);
    title->setData(qrsReportTitle);
    title->setLeft(200);
    auto* number = new TQRSysData(&l.form, l.detail);
    number->setData(qrsDetailNo);
    number->setText(QStringLiteral("n."));
    number->setLeft(300);
    auto* count = new TQRSysData(&l.form, l.summary);
    count->setData(qrsDetailCount);
    count->setLeft(100);
    const struct {
        TQRCalcOperation op;
        const char* mask;
    } kCalcs[] = {
        {dbcSum, "#,##0.00"}, {dbcCount, ""}, {dbcMax, ""}, {dbcMin, ""}, {dbcAverage, ""}};
    int left = 200;
    for (const auto& c : kCalcs) {
        auto* calc = new TQRDBCalc(&l.form, l.summary);
        calc->setDataField(QStringLiteral("Importe"));
        calc->setOperation(c.op);
        calc->setPrintMask(QLatin1String(c.mask));
        calc->setLeft(left += 70);
    }
    l.rep->Prepare();
    const TQRPrinter* pages = l.rep->QRPrinter();
    QCOMPARE(pages->PageCount(), 2);
    QCOMPARE(PageLines(pages, 1).first(), QStringLiteral("CABECERA Listado de Operarios"));
    QCOMPARE(PageLines(pages, 2).first(), QStringLiteral("CABECERA Listado de Operarios"));
    QVERIFY(l.lines().contains(QStringLiteral("60 Nombre 60 n.60")));
    QCOMPARE(PageLines(pages, 2).mid(PageLines(pages, 2).size() - 2),
             QStringList({"RESUMEN 60 2.745,00 60 90 1,5 45,75", "Página 2"}));
}

void TestQuickRep::bandTallerThanPage() {
    auto ds = MakePeople(3);
    Layout l(ds.get());
    l.detail->setHeight(2000);
    l.rep->Prepare();
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 4);
    QCOMPARE(detailLines(l.lines()), expectedDetails(1, 3));

    // A memo taller than a page goes on over the next pages above their
    // footers, each of its lines once; the row's other cells print once.
    l.detail->setHeight(20);
    auto* memo = new TQRMemo(&l.form, l.detail);
    memo->SetBounds(300, 0, 200, 20);
    memo->setAutoStretch(true);
    QStringList lines;
    for (int i = 1; i <= 150; ++i) lines << QStringLiteral("línea %1").arg(i);
    memo->setLines(lines);
    l.rep->Prepare();
    const double lineHeight = QFontMetricsF(QRPictureFont(memo->Font())).height() / kQRSub;
    QStringList printed, expected = lines + lines + lines;
    int names = 0;
    for (int p = 1; p <= l.rep->QRPrinter()->PageCount(); ++p) {
        const QList<TQRTextLine> text = PageTextLines(l.rep->QRPrinter()->Page(p));
        QCOMPARE(text.last().first().Text, QStringLiteral("Página %1").arg(p));
        for (const TQRTextLine& line : text)
            for (const TQRTextItem& item : line) {
                names += item.Text.startsWith(QLatin1String("Nombre "));
                if (!item.Text.startsWith(u"línea")) continue;
                printed << item.Text;
                QVERIFY(item.Top + lineHeight <= text.last().first().Top + 0.01);
            }
    }
    QCOMPARE(printed, expected);
    QCOMPARE(names, 3);
}

void TestQuickRep::hugeTextsArePrintedAPageAtATime_data() {
    QTest::addColumn<QString>(
        "box");  // "cuts", "wraps", "own size", "stretches", "stretches, cuts"
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("pages");  // the run is stopped after them; 0: it runs to its end
    const QString letters(20'000'000, QLatin1Char('x'));
    QString lines = letters;
    for (qsizetype i = 80; i < lines.size(); i += 81) lines[i] = QLatin1Char('\n');
    // Letters outside Latin-1 (two UTF-16 units, another font) all along.
    QString outside = letters;
    for (qsizetype i = 37; i + 1 < outside.size(); i += 53)
        outside.replace(i, 2, QStringLiteral("\U0001D11E"));
    QTest::newRow("one line in its box") << "cuts" << letters << 0;
    QTest::newRow("LF lines wrapped in its box") << "wraps" << lines << 0;
    QTest::newRow("outside Latin-1 at its own size") << "own size" << outside << 0;
    QTest::newRow("one line stretching") << "stretches" << letters << 60;
    QTest::newRow("LF lines stretching") << "stretches" << lines << 60;
    QTest::newRow("LF lines stretching, cut") << "stretches, cuts" << lines << 60;
    QTest::newRow("outside Latin-1 stretching") << "stretches" << outside << 60;
    QTest::newRow("whole, stretching") << "stretches" << outside.left(150'000) << 0;
}

// A value of 20 MB in a detail band prints what a page shows of it, laid out
// a page at a time: elided in a box of its own height, going on over the
// next pages where it stretches, each letter once and in order. The first
// pages come within seconds and the memory does not follow the value.
void TestQuickRep::hugeTextsArePrintedAPageAtATime() {
    QFETCH(QString, box);
    QFETCH(QString, value);
    QFETCH(int, pages);
    auto ds = MakePeople(3);
    Layout l(ds.get());
    auto* cell = l.label(l.detail, QString(), 300);
    cell->SetBounds(300, 0, 200, 40);
    cell->setAutoSize(box == QLatin1String("own size"));
    cell->setWordWrap(!box.endsWith(QLatin1String("cuts")));
    cell->setAutoStretch(box.startsWith(QLatin1String("stretches")));
    cell->OnPrint = [&](QObject*, QString& v) {
        v = ds->FieldByName(QStringLiteral("Codigo"))->AsInteger() == 2 ? value
                                                                        : QStringLiteral("corto");
    };
    TQRPrinter* printer = l.rep->QRPrinter();
    printer->OnPageAvailable = [printer, pages](int page) {
        if (page == pages) printer->Abort();
    };
    ReiniciarPicoMemoria();
    const qint64 before = MemoriaMB();
    QElapsedTimer clock;
    clock.start();
    l.rep->Prepare();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    const qint64 taken = PicoMemoriaMB() - before;
    QVERIFY2(taken < LimiteMemoriaMB(150), qPrintable(QString::number(taken)));
    QCOMPARE(printer->Aborted(), pages > 0);
    if (pages > 0) QCOMPARE(printer->PageCount(), pages);

    // The value's text as the pages show it, in order, and each line's width.
    QString shown;
    qsizetype widest = 0;
    for (int p = 1; p <= printer->PageCount(); ++p)
        for (const TQRTextLine& line : PageTextLines(printer->Page(p))) {
            QString text;
            for (const TQRTextItem& item : line)
                if (item.Left >= 300 && item.Text != QLatin1String("corto")) text += item.Text;
            shown += text;
            widest = qMax(widest, text.size());
        }
    QVERIFY(!shown.isEmpty());
    QString expected = value;
    expected.remove(QLatin1Char('\n'));
    if (box.endsWith(QLatin1String("cuts"))) {
        // Each line cut to the box: its start.
        QVERIFY2(widest < 80, qPrintable(QString::number(widest)));
        QVERIFY(shown.startsWith(QStringLiteral("xxxx")));
        if (pages > 1) QVERIFY(shown.size() > 40 * pages);
        return;
    }
    QVERIFY2(expected.startsWith(shown), qPrintable(shown.left(200)));
    if (pages == 0 && box == QLatin1String("stretches")) {
        QCOMPARE(shown.size(), expected.size());
    } else if (pages == 0) {
        // The box shows its lines, the page a line's width.
        QCOMPARE(printer->PageCount(), 1);
        QVERIFY2(shown.size() < 40'000, qPrintable(QString::number(shown.size())));
    } else {
        // Each page full: the text goes on where the page before ended.
        QVERIFY2(shown.size() > 1000 * pages, qPrintable(QString::number(shown.size())));
    }
    // The record after it prints after it (a stopped run has none).
    const QStringList all = l.lines();
    QCOMPARE(all.filter(QStringLiteral("Nombre 3")).size(), printer->Aborted() ? 0 : 1);
}

void TestQuickRep::badExpressionStopsTheRun() {
    auto ds = MakePeople(3);
    Layout l(ds.get());
    l.expr(l.summary, QStringLiteral("SUM(Importe"), 100);
    int ended = 0;
    l.rep->AfterPrint = [&ended](QObject*) { ++ended; };
    try {
        l.rep->Prepare();
        QFAIL("a bad expression ran");
    } catch (const EReportError& e) {
        QVERIFY(e.Message().contains(QStringLiteral("SUM(Importe")));
    }
    QCOMPARE(ended, 1);
    QVERIFY(!l.rep->QRPrinter()->Busy());
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 0);

    // The same expression on a band switched off does not stop the report.
    l.summary->setEnabled(false);
    l.rep->Prepare();
    QCOMPARE(l.rep->QRPrinter()->PageCount(), 1);
}

QTEST_MAIN(TestQuickRep)
#include "tst_quickrep.moc"
