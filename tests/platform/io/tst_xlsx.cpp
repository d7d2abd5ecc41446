#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "io/xlsx.h"

namespace {

// One member of the workbook's zip, read with the unzip program.
QByteArray member(const QString& file, const QString& name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, name});
    if (!unzip.waitForFinished(30000)) return QByteArray();
    return unzip.readAllStandardOutput();
}

// The <c> element of a cell, e.g. cell(sheet, "B2").
QString cell(const QByteArray& sheetXml, const QString& ref) {
    const QRegularExpression re(QStringLiteral("<c r=\"%1\"[^>]*(/>|>.*?</c>)").arg(ref));
    return re.match(QString::fromUtf8(sheetXml)).captured(0);
}

QString value(const QString& cellXml) {
    static const QRegularExpression re(QStringLiteral("<v>([^<]*)</v>"));
    return re.match(cellXml).captured(1);
}

int styleIndex(const QString& cellXml) {
    static const QRegularExpression re(QStringLiteral(" s=\"(\\d+)\""));
    const auto m = re.match(cellXml);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The number format code of a cell style, through styles.xml.
QString numberFormatOf(const QByteArray& styles, int style) {
    const QString xml = QString::fromUtf8(styles);
    const qsizetype xfs = xml.indexOf(QLatin1String("<cellXfs"));
    static const QRegularExpression xfRe(QStringLiteral("<xf [^>]*numFmtId=\"(\\d+)\""));
    auto it = xfRe.globalMatch(xml, xfs);
    QString id;
    for (int i = 0; i <= style && it.hasNext(); ++i) id = it.next().captured(1);
    if (id == QLatin1String("0")) return QStringLiteral("General");
    const QRegularExpression fmt(
        QStringLiteral("<numFmt numFmtId=\"%1\" formatCode=\"([^\"]*)\"").arg(id));
    return fmt.match(xml).captured(1).replace(QLatin1String("&quot;"), QLatin1String("\""));
}

QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class TestXlsx : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatosNumericos_data() {
        QTest::addColumn<QString>("mascara");
        QTest::addColumn<QString>("excel");
        QTest::newRow("vacia") << ""
                               << "General";
        QTest::newRow("importe") << "#,##0.00"
                                 << "#,##0.00";
        QTest::newRow("entero") << "0"
                                << "0";
        // All places optional: zero shows nothing, as FormatFloat writes it.
        QTest::newRow("plantilla") << "#,###.##"
                                   << "#,###.##;-#,###.##;#,###";
        QTest::newRow("decimales opcionales") << "#,##0.##"
                                              << "#,##0.##;-#,##0.##;#,##0";
        // "," anywhere asks for thousands; at the end Excel would divide by 1000.
        QTest::newRow("miles al final") << "0,"
                                        << "#,#0";
        QTest::newRow("miles en decimales") << "0.00,"
                                            << "#,#0.00";
        QTest::newRow("euro") << "#,##0.00 €"
                              << "#,##0.00\" €\"";
        // "%" is literal text in FormatFloat; unquoted Excel would multiply by 100.
        QTest::newRow("porcentaje") << "0.00%"
                                    << "0.00\"%\"";
        QTest::newRow("literal entre comillas") << "'Total: '0"
                                                << "\"Total: \"0";
        QTest::newRow("comillas dentro") << "0'\"'"
                                         << "0\\\"";
        QTest::newRow("letras") << "0 dias"
                                << "0\" dias\"";
        QTest::newRow("exponente") << "0.00E+00"
                                   << "0.00E+00";
        QTest::newRow("negativos propios") << "#,##0.00;(#,##0.00)"
                                           << "#,##0.00;\"(\"#,##0.00\")\";#,##0.00";
        QTest::newRow("cero propio") << "0.00;;'Cero'"
                                     << "0.00;-0.00;\"Cero\"";
        QTest::newRow("segundo punto") << "0.0.0"
                                       << "0.00";
    }
    void formatosNumericos() {
        QFETCH(QString, mascara);
        QFETCH(QString, excel);
        QCOMPARE(ExcelNumberFormat(mascara), excel);
    }

    void nombreDeArchivo_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("resultado");
        QTest::newRow("XLS") << "LISTPRG.XLS"
                             << "LISTPRG.xlsx";
        QTest::newRow("xls") << "/tmp/sql.xls"
                             << "/tmp/sql.xlsx";
        QTest::newRow("xlsx") << "a.xlsx"
                              << "a.xlsx";
        QTest::newRow("otra") << "datos.csv"
                              << "datos.csv";
        QTest::newRow("xls dentro") << "a.xls.txt"
                                    << "a.xls.txt";
        QTest::newRow("sin extension") << "/tmp/e2e/plan"
                                       << "/tmp/e2e/plan.xlsx";
        QTest::newRow("punto en la carpeta") << "/tmp/v1.2/plan"
                                             << "/tmp/v1.2/plan.xlsx";
    }
    void nombreDeArchivo() {
        QFETCH(QString, nombre);
        QFETCH(QString, resultado);
        QCOMPARE(XlsxFileName(nombre), resultado);
    }

    // A workbook read back from its XML: texts, numbers, dates, booleans,
    // formats, widths, frozen panes and sheet names.
    void libroCompleto() {
        QTemporaryDir dir;
        const QString asked = dir.filePath(QStringLiteral("LISTADO.XLS"));
        {
            XlsxWorkbook book(asked);
            QCOMPARE(book.FileName(), dir.filePath(QStringLiteral("LISTADO.xlsx")));
            const int sheet = book.AddSheet(QStringLiteral("Personal"));
            QCOMPARE(book.AddSheet(), 1);
            book.WriteString(sheet, 0, 0, QStringLiteral("Código"), XlsxFormat::Bold());
            book.WriteString(sheet, 0, 1, QStringLiteral("Nombre <y> & \"otros\""));
            XlsxFormat amount;
            amount.numberFormat = ExcelNumberFormat(QStringLiteral("#,##0.00"));
            book.WriteNumber(sheet, 1, 0, 1234.5, amount);
            book.WriteNumber(sheet, 1, 1, -0.25);
            book.WriteDate(sheet, 1, 2, QDate(2024, 3, 15));
            book.WriteDateTime(sheet, 1, 3, QDateTime(QDate(1999, 12, 31), QTime(18, 0)));
            book.WriteBoolean(sheet, 1, 4, true);
            book.WriteString(sheet, 1, 5, QStringLiteral("línea 1\nlínea 2"));
            book.WriteDate(sheet, 1, 6, QDate());
            book.WriteDate(sheet, 1, 7, QDate(1899, 12, 30));
            book.WriteString(1, 0, 27, QStringLiteral("AB1"));
            XlsxFormat text;
            text.numberFormat = QStringLiteral("@");
            text.horizontal = XlsxHAlign::Left;
            text.vertical = XlsxVAlign::Top;
            book.SetColumns(sheet, 0, 1, 15, text);
            book.SetColumns(sheet, 5, 5, 1000);
            book.FreezePanes(sheet, 1, 0);
            book.Save();
        }
        const QString file = dir.filePath(QStringLiteral("LISTADO.xlsx"));
        QCOMPARE(leftovers(dir.path()), QStringList{QStringLiteral("LISTADO.xlsx")});

        const QByteArray workbook = member(file, QStringLiteral("xl/workbook.xml"));
        QVERIFY(workbook.contains("name=\"Personal\""));
        QVERIFY(workbook.contains("name=\"Hoja2\""));

        const QByteArray shared = member(file, QStringLiteral("xl/sharedStrings.xml"));
        const QByteArray sheet = member(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        const QByteArray styles = member(file, QStringLiteral("xl/styles.xml"));
        QVERIFY(!sheet.isEmpty() && !shared.isEmpty() && !styles.isEmpty());
        QVERIFY(shared.contains("<t>Código</t>"));
        QVERIFY(shared.contains("Nombre &lt;y&gt; &amp; \"otros\""));
        QVERIFY(shared.contains("línea 1\nlínea 2"));

        QVERIFY(cell(sheet, "A1").contains(QLatin1String("t=\"s\"")));
        QVERIFY(styles.contains("<b/>"));
        const QString a2 = cell(sheet, "A2");
        QCOMPARE(value(a2), QStringLiteral("1234.5"));
        QCOMPARE(numberFormatOf(styles, styleIndex(a2)), QStringLiteral("#,##0.00"));
        QCOMPARE(value(cell(sheet, "B2")), QStringLiteral("-0.25"));
        const QString c2 = cell(sheet, "C2");
        QCOMPARE(value(c2), QStringLiteral("45366"));
        QCOMPARE(numberFormatOf(styles, styleIndex(c2)), QStringLiteral("dd/mm/yyyy"));
        const QString d2 = cell(sheet, "D2");
        QCOMPARE(value(d2).toDouble(), 36525.75);
        QCOMPARE(numberFormatOf(styles, styleIndex(d2)), QStringLiteral("dd/mm/yyyy hh:mm:ss"));
        const QString e2 = cell(sheet, "E2");
        QVERIFY(e2.contains(QLatin1String("t=\"b\"")));
        QCOMPARE(value(e2), QStringLiteral("1"));
        QVERIFY(value(cell(sheet, "G2")).isEmpty());
        // Before 1900 Excel has no dates: the text stays.
        QVERIFY(cell(sheet, "H2").contains(QLatin1String("t=\"s\"")));
        QVERIFY(shared.contains("<t>30/12/1899</t>"));

        QVERIFY(sheet.contains("<col min=\"1\" max=\"2\" width=\"15.7109375\""));
        QVERIFY(sheet.contains("<col min=\"6\" max=\"6\" width=\"255.7109375\""));
        const QRegularExpression frozen(QStringLiteral("<pane ySplit=\"1\"[^>]*state=\"frozen\""));
        QVERIFY(frozen.match(QString::fromUtf8(sheet)).hasMatch());
        QVERIFY(styles.contains("formatCode=\"@\""));
        QVERIFY(styles.contains("horizontal=\"left\" vertical=\"top\""));

        QVERIFY(!cell(member(file, QStringLiteral("xl/worksheets/sheet2.xml")), "AB1").isEmpty());
    }

    // Wrong sheets, cells and values raise the typed error with the file name.
    void erroresDeEscritura() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("errores.xlsx"));
        XlsxWorkbook book(file);
        auto fails = [&](auto&& write, const char* what) {
            try {
                write();
            } catch (const EXlsxError& e) {
                QVERIFY2(e.Message().contains(file), qPrintable(e.Message()));
                QCOMPARE(e.FileName(), file);
                return;
            }
            QFAIL(what);
        };
        fails([&] { book.WriteNumber(0, 0, 0, std::nan("")); }, "NaN");
        fails([&] { book.WriteNumber(0, 0, 0, HUGE_VAL); }, "infinity");
        fails([&] { book.WriteString(0, 1048576, 0, QStringLiteral("x")); }, "row past the end");
        fails([&] { book.WriteString(0, -1, 0, QStringLiteral("x")); }, "negative row");
        // Column 65536 would wrap to column A in a 16-bit column number.
        fails([&] { book.WriteString(0, 0, 65536, QStringLiteral("x")); }, "column");
        fails([&] { book.WriteString(3, 0, 0, QStringLiteral("x")); }, "missing sheet");
        fails([&] { book.AddSheet(QStringLiteral("Hoja1")); }, "duplicate sheet");
        fails([&] { book.AddSheet(QStringLiteral("Altas/Bajas")); }, "bad character");
        fails([&] { book.AddSheet(QString(32, QLatin1Char('x'))); }, "long name");

        // A text longer than a cell holds is cut at Excel's limit, never in
        // half a letter, and the caller is told; control characters past the
        // limit cut nothing.
        QString longText(40000, QLatin1Char('a'));
        longText[32766] = QChar(0xD83D);
        longText[32767] = QChar(0xDE00);
        QVERIFY(!book.WriteString(0, 0, 0, longText));
        QVERIFY(book.WriteString(
            0, 2, 0, QString(XlsxMaxCellText, QLatin1Char('b')) + QStringLiteral("\x01\x02")));
        QVERIFY(!book.WriteString(0, 3, 0, QString(XlsxMaxCellText + 1, QLatin1Char('c'))));
        // A control character is no letter: it does not reach the file as "_x0001_".
        QVERIFY(book.WriteString(0, 1, 0,
                                 QStringLiteral("a\x01"
                                                "b\tc")));
        book.Save();
        fails([&] { book.WriteString(0, 0, 0, QStringLiteral("x")); }, "after saving");
        fails([&] { book.Save(); }, "saved twice");
        const QByteArray shared = member(file, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY(shared.contains(QByteArray("<t>" + QByteArray(32766, 'a') + "</t>")));
        QVERIFY(shared.contains(QByteArray("<t>" + QByteArray(32767, 'b') + "</t>")));
        QVERIFY(shared.contains(QByteArray("<t>" + QByteArray(32767, 'c') + "</t>")));
        QVERIFY2(shared.contains("<t>ab\tc</t>"), shared.right(200).constData());
    }

    // A folder that cannot take the file gives the typed error and no file; an
    // existing file is replaced whole and keeps its permissions; a workbook
    // never saved writes nothing.
    void archivoCompletoONada() {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(QStringLiteral("archivo"));
        QFile plain(notAFolder);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QStringList targets{dir.filePath(QStringLiteral("no/existe/libro.xls")),
                                  notAFolder + QStringLiteral("/libro.xls")};
        for (const QString& target : targets) {
            const QString expected = XlsxFileName(target);
            XlsxWorkbook book(target);
            book.WriteString(0, 0, 0, QStringLiteral("dato"));
            try {
                book.Save();
                QFAIL("saved into a folder that does not exist");
            } catch (const EXlsxError& e) {
                QCOMPARE(e.FileName(), expected);
                QVERIFY2(e.Message().startsWith(
                             QStringLiteral("No se puede grabar el libro %1: ").arg(expected)),
                         qPrintable(e.Message()));
            }
            QVERIFY(!QFile::exists(expected));
        }
        QCOMPARE(leftovers(dir.path()), QStringList{QStringLiteral("archivo")});

        const QString file = dir.filePath(QStringLiteral("existente.xlsx"));
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("anterior") == 8);
        old.close();
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        {
            XlsxWorkbook discarded(file);
            discarded.WriteString(0, 0, 0, QStringLiteral("nunca"));
        }
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("anterior"));
        old.close();
        XlsxWorkbook book(
            QStringLiteral("%1").arg(file).replace(QLatin1Char('/'), QLatin1Char('\\')));
        QCOMPARE(book.FileName(), file);
        book.WriteString(0, 0, 0, QStringLiteral("nuevo"));
        book.Save();
        QVERIFY(member(file, QStringLiteral("xl/sharedStrings.xml")).contains("nuevo"));
        QCOMPARE(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther), 0);
        QCOMPARE(leftovers(dir.path()).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestXlsx)
#include "tst_xlsx.moc"
