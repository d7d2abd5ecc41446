// The report built when it runs: column widths from display widths and from
// FormatoColumnas, totals, per-record instructions, hour and zero-date cells,
// cards, wide datasets, the restrictions block and a PDF read back.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/generest.h"
#include "gene/data/genesali.h"
#include "gene/listings/genelpro.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/export.h"
#include "report/quickrep.h"
#include "support/empresaprueba.h"
#include "support/memoriaprueba.h"
#include "support/pdfprueba.h"
#include "support/sqlprueba.h"

using Posiciones = QList<QPair<int, int>>;

namespace {

struct Campo {
    QString nombre;
    TFieldType tipo;
    int ancho;  // display width; 0 leaves the type's
};

std::unique_ptr<TClientDataSet> Datos(const QList<Campo>& campos, int filas,
                                      const std::function<void(TClientDataSet&, int)>& fila = {}) {
    auto ds = std::make_unique<TClientDataSet>();
    for (const Campo& c : campos)
        ds->FieldDefs().append({c.nombre, c.tipo, c.tipo == ftString ? 40 : 0, false});
    ds->CreateDataSet();
    for (int i = 0; i < campos.size(); ++i)
        if (campos[i].ancho) ds->Fields()[i]->setDisplayWidth(campos[i].ancho);
    for (int i = 1; i <= filas; ++i) {
        ds->Append();
        if (fila) fila(*ds, i);
        ds->Post();
    }
    ds->First();
    return ds;
}

QList<QPair<int, int>> Columnas(const TfGENELPRO& f) {
    QList<QPair<int, int>> l;
    for (TQRLabel* t : f.Titulos) l << qMakePair(t->Left(), t->Width());
    return l;
}

void Parametro(const char* campo, const QString& valor) {
    TTable* p = ModuloDatos->ParamGenerales;
    p->Edit();
    p->FieldByName(QLatin1String(campo))->setAsString(valor);
    p->Post();
}

}  // namespace

class TestGeneLpro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { empresa = std::make_unique<EmpresaPrueba>(Engine::Sqlite); }
    void cleanup() { empresa.reset(); }

    void anchos_data() {
        QTest::addColumn<QString>("formato");
        QTest::addColumn<bool>("oculto");
        QTest::addColumn<Posiciones>("columnas");
        using L = QList<QPair<int, int>>;
        QTest::newRow("anchos de los campos") << "" << false << L{{0, 148}, {150, 298}, {450, 298}};
        QTest::newRow("formato con oculto") << "10|-1|40" << true << L{{0, 148}, {150, 598}};
        QTest::newRow("formato que suma 0")
            << "0|0|0" << false << L{{0, 148}, {150, 298}, {450, 298}};
    }
    void anchos() {
        QFETCH(QString, formato);
        QFETCH(bool, oculto);
        QFETCH(Posiciones, columnas);
        auto ds = Datos({{"A", ftString, 10}, {"B", ftString, 20}, {"C", ftString, 20}}, 1);
        if (oculto) ds->Fields()[1]->setTag(999);
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.FormatoColumnas = formato;
        f.ConstruirColumnas();
        QCOMPARE(Columnas(f), columnas);
        QCOMPARE(f.Detalles.value(1)->Left(), columnas.value(1).first);
    }

    // Totals of every float column or of the named ones; the PDF read back
    // holds the title, the cells and one report total.
    void totalesYPdf_data() {
        QTest::addColumn<QString>("sumatorios");
        QTest::addColumn<QList<bool>>("activos");
        QTest::newRow("Todas") << "Todas" << QList<bool>{true, true};
        QTest::newRow("Importe") << "importe" << QList<bool>{true, false};
    }
    void totalesYPdf() {
        QFETCH(QString, sumatorios);
        QFETCH(QList<bool>, activos);
        auto ds = Datos({{"Nombre", ftString, 0}, {"Importe", ftFloat, 0}, {"Coste", ftFloat, 0}},
                        10, [](TClientDataSet& d, int i) {
                            d.Fields()[0]->setAsString(QStringLiteral("Fila %1").arg(i));
                            d.Fields()[1]->setAsFloat(i * 1.5);
                            d.Fields()[2]->setAsFloat(1000);
                        });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.QuickReport->setReportTitle(QStringLiteral("Listado de importes"));
        f.Sumatorios = sumatorios;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("t.pdf"));
        QVERIFY(ImprimirInforme(ModuloDatos, f.QuickReport, QStringLiteral("PDF:") + pdf));
        QVERIFY(!f.Totales[0]);
        QCOMPARE(f.Totales[1]->Enabled(), activos[0]);
        QCOMPARE(f.Totales[2]->Enabled(), activos[1]);
        const QString texto = TextoPdfMaquetado(pdf);
        QVERIFY2(texto.contains(QStringLiteral("Listado de importes")), qPrintable(texto));
        QVERIFY(texto.contains(QStringLiteral("Fila 10")));
        QCOMPARE(texto.count(QStringLiteral("82,5")), 1);
    }

    // Groups: a header per value of the group field (not a column itself),
    // a total per group and one for the listing.
    void grupos() {
        auto ds =
            Datos({{"Seccion", ftString, 0}, {"Nombre", ftString, 0}, {"Importe", ftFloat, 0}}, 3,
                  [](TClientDataSet& d, int i) {
                      d.Fields()[0]->setAsString(i < 3 ? QStringLiteral("Montaje")
                                                       : QStringLiteral("Pintura"));
                      d.Fields()[1]->setAsString(QStringLiteral("Fila %1").arg(i));
                      d.Fields()[2]->setAsFloat(i * 100);
                  });
        ds->Fields()[0]->setTag(999);
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.CamposGrupo = QStringLiteral("Seccion");
        f.Sumatorios = QStringLiteral("Todas");
        int cabeceras = 0;
        QStringList totales;
        f.BandaCabeceraGrupo->AfterPrint = [&](QObject*, bool) { ++cabeceras; };
        f.BandaPieGrupo->AfterPrint = [&](QObject*, bool) {
            totales << f.PiesGrupo[1]->PrintedText();
        };
        f.QuickReport->Prepare();
        QCOMPARE(f.Titulos.size(), 2);
        QCOMPARE(cabeceras, 2);
        QCOMPARE(totales.size(), 2);
        QVERIFY2(totales[0].startsWith(QStringLiteral("300")), qPrintable(totales.join('|')));
        // The second group's own total, not carried on from the first.
        QVERIFY2(totales[1].startsWith(QStringLiteral("300")), qPrintable(totales.join('|')));
        QVERIFY(f.Totales[1]->PrintedText().startsWith(QStringLiteral("600")));
        QVERIFY(!f.ImgCabeceraGrupo->Picture().isNull());
    }

    // Per-record instructions, an hour field and a zero date, as printed.
    void celdas() {
        const QDateTime cero(QDate(1899, 12, 30), QTime(0, 0));
        auto ds = Datos(
            {{"Nombre", ftString, 0},
             {"HoraEntrada", ftDateTime, 0},
             {"Alta", ftDateTime, 0},
             {"Importe", ftFloat, 0},
             {"InstruccionesListado", ftMemo, 0}},
            2, [&](TClientDataSet& d, int i) {
                d.Fields()[0]->setAsString(QStringLiteral("N%1").arg(i));
                d.Fields()[1]->setAsDateTime(QDateTime(cero.date(), QTime(8, 30, 15)));
                d.Fields()[2]->setAsDateTime(i == 1 ? cero : QDateTime(QDate(2024, 5, 2), {}));
                d.Fields()[3]->setAsFloat(2);
                d.Fields()[4]->setAsString(i == 1 ? QStringLiteral("Negrita\r\n")
                                                  : QStringLiteral("x\r\nNombre=JR"));
            });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        QList<QStringList> textos;
        QList<bool> negritas;
        QList<int> alineaciones;
        f.BandaDetalle->AfterPrint = [&](QObject*, bool) {
            QStringList t;
            for (TQRLabel* l : f.Detalles) t << l->PrintedText();
            textos << t;
            negritas << f.Detalles[0]->Font().bold();
            alineaciones << int(f.Detalles[0]->Alignment());
        };
        f.QuickReport->Prepare();
        QCOMPARE(f.Titulos.size(), 4);
        QCOMPARE(textos.size(), 2);
        QCOMPARE(textos[0][1], QStringLiteral("08:30:15"));
        QCOMPARE(textos[0][2], QString());
        QCOMPARE(textos[1][2], QStringLiteral("02/05/2024"));
        QCOMPARE(negritas, (QList<bool>{true, false}));
        QCOMPARE(alineaciones, (QList<int>{int(taLeftJustify), int(taRightJustify)}));
    }

    // Amounts below one tenth keep the zero after the comma, in the cells
    // and in the total.
    void centesimas() {
        const QList<double> importes{0.05, 0.09, 0.5};
        auto ds = Datos({{"Importe", ftFloat, 0}}, 3, [&](TClientDataSet& d, int i) {
            d.Fields()[0]->setAsFloat(importes[i - 1]);
        });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.Sumatorios = QStringLiteral("Todas");
        QStringList celdas;
        f.BandaDetalle->AfterPrint = [&](QObject*, bool) {
            celdas << f.Detalles[0]->PrintedText().trimmed();
        };
        f.QuickReport->Prepare();
        QCOMPARE(celdas, (QStringList{",05", ",09", ",5"}));
        QCOMPARE(f.Totales[0]->PrintedText().trimmed(), QStringLiteral(",64"));
    }

    void fichas_data() {
        QTest::addColumn<int>("campos");
        QTest::addColumn<int>("columnas");
        QTest::addColumn<Posiciones>("posiciones");  // (left, top) of each name
        using L = QList<QPair<int, int>>;
        QTest::newRow("7 en 2") << 7 << 2 << L{{4, 17},   {4, 34},   {4, 51},  {4, 68},
                                               {379, 17}, {379, 34}, {379, 51}};
        QTest::newRow("uno por columna") << 3 << 3 << L{{4, 17}, {254, 17}, {504, 17}};
        QTest::newRow("R = 0") << 1 << 3 << L{{4, 17}};
    }
    void fichas() {
        QFETCH(int, campos);
        QFETCH(int, columnas);
        QFETCH(Posiciones, posiciones);
        QList<Campo> lista;
        for (int i = 0; i < campos; ++i) lista << Campo{QStringLiteral("C%1").arg(i), ftInteger, 0};
        auto ds = Datos(lista, 1);
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.FormatoFicha = true;
        f.NumeroColumnasFicha = columnas;
        f.ConstruirFichas();
        QList<QPair<int, int>> l;
        for (TQRLabel* t : f.Titulos) l << qMakePair(t->Left(), t->Top());
        QCOMPARE(l, posiciones);
        f.QuickReport->Prepare();
        QCOMPARE(f.QuickReport->QRPrinter()->PageCount(), 1);
    }

    // A memo of 20 MB printed as the SQL editor and the runner print a
    // result (columns whose cells stretch and wrap) or as cards (a box of
    // some lines): the first pages come within seconds and take memory of
    // their own size, the memo's text from its start; on cards its box shows
    // its lines and the next record follows.
    void memoDe20MB_data() {
        QTest::addColumn<bool>("ficha");
        QTest::addColumn<QString>("memo");
        const QString letras(20'000'000, QLatin1Char('x'));
        QString lineas = letras;
        for (qsizetype i = 80; i < lineas.size(); i += 81) lineas[i] = QLatin1Char('\n');
        QTest::newRow("columnas, una línea") << false << letras;
        QTest::newRow("columnas, líneas LF") << false << lineas;
        QTest::newRow("fichas, una línea") << true << letras;
        QTest::newRow("fichas, líneas LF") << true << lineas;
    }
    void memoDe20MB() {
        QFETCH(bool, ficha);
        QFETCH(QString, memo);
        auto ds = Datos({{"Nombre", ftString, 0}, {"Notas", ftMemo, 0}}, 3,
                        [&](TClientDataSet& d, int i) {
                            d.Fields()[0]->setAsString(QStringLiteral("N%1").arg(i));
                            d.Fields()[1]->setAsString(i == 2 ? memo : QStringLiteral("breve"));
                        });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.AjustarTexto = true;
        f.FormatoFicha = ficha;
        TQRPrinter* paginas = f.QuickReport->QRPrinter();
        paginas->OnPageAvailable = [paginas](int pagina) {
            if (pagina == 30) paginas->Abort();
        };
        QElapsedTimer reloj;
        reloj.start();
        ReiniciarPicoMemoria();
        const qint64 antes = MemoriaMB();
        f.QuickReport->Prepare();
        QVERIFY2(reloj.elapsed() < 10000, qPrintable(QString::number(reloj.elapsed())));
        const qint64 tomado = PicoMemoriaMB() - antes;
        QVERIFY2(tomado < LimiteMemoriaMB(150), qPrintable(QString::number(tomado)));
        QCOMPARE(paginas->PageCount(), ficha ? 1 : 30);
        QString texto;
        int siguiente = 0;  // the record after the memo's
        for (int p = 1; p <= paginas->PageCount(); ++p)
            for (const TQRTextLine& linea : PageTextLines(paginas->Page(p)))
                for (const TQRTextItem& t : linea) {
                    if (t.Text.startsWith(QLatin1String("xxx"))) texto += t.Text;
                    siguiente += t.Text == QLatin1String("N3");
                }
        QVERIFY(texto.size() > (ficha ? 20 : 30 * 1000));
        QVERIFY(QString(memo).remove(QLatin1Char('\n')).startsWith(texto));
        QCOMPARE(siguiente, ficha ? 1 : 0);
    }

    // Figures read back from the PDF with their positions: each is the
    // value (or, where the column cannot hold it even in a smaller font, all
    // "#" with one warning naming the column), no two words overlap and each
    // stays within its column; on a portrait and a landscape page, with the
    // totals of two groups. A memo of three pages goes on over the pages
    // above their footer, every word once and in order, a word wider than
    // its column broken inside it.
    void cifrasEnSuColumna_data() {
        QTest::addColumn<bool>("apaisado");
        QTest::addColumn<QString>("formato");  // column weights
        QTest::addColumn<bool>("almohadillas");
        QTest::addColumn<bool>("memo");
        QTest::newRow("vertical") << false << "" << false << false;
        QTest::newRow("apaisado") << true << "" << false << false;
        // Weights by field: the group's (not printed), Nombre, [Instrucciones,]
        // Importe, Porcentaje.
        QTest::newRow("importe estrecho") << false << "0|55|6|25" << false << false;
        QTest::newRow("importe que no cabe") << false << "0|60|2|30" << true << false;
        QTest::newRow("apaisado que no cabe") << true << "0|60|2|30" << true << false;
        QTest::newRow("memo de tres páginas") << false << "0|40|12|10|10" << false << true;
        QTest::newRow("memo de tres páginas, apaisado") << true << "0|40|12|10|10" << false << true;
    }
    void cifrasEnSuColumna() {
        QFETCH(bool, apaisado);
        QFETCH(QString, formato);
        QFETCH(bool, almohadillas);
        QFETCH(bool, memo);
        const QList<double> importes{1234567.89, -0.05, 24.95, 235.56};
        // Words with the separators of other texts, letters outside Latin-1,
        // LF and CR LF line ends and one word of 60 letters.
        QString instrucciones;
        for (int i = 1; i <= 700; ++i)
            instrucciones +=
                QStringLiteral("p%1").arg(i) +
                (i == 350 ? QStringLiteral(" %1 ").arg(QStringLiteral("abcdefghij").repeated(6))
                 : i % 97 == 0 ? QStringLiteral(" Łódź|a;b·c\n")
                 : i % 89 == 0 ? QStringLiteral("\r\n")
                               : QStringLiteral(" "));
        QList<Campo> campos{{"Seccion", ftString, 0}, {"Nombre", ftString, 0}};
        if (memo) campos << Campo{"Instrucciones", ftMemo, 0};
        campos << Campo{"Importe", ftFloat, 0} << Campo{"Porcentaje", ftFloat, 0};
        auto ds = Datos(campos, 4, [&](TClientDataSet& d, int i) {
            d.FieldByName("Seccion")->setAsString(i <= 2 ? QStringLiteral("Uno|A")
                                                         : QStringLiteral("Dos;B"));
            d.FieldByName("Nombre")->setAsString(
                QStringLiteral("Enfermedad común de muy larga duración ") + QChar(u'A' + i));
            d.FieldByName("Importe")->setAsFloat(importes[i - 1]);
            d.FieldByName("Porcentaje")->setAsFloat(i * 12.5);
            if (memo && i == 2) d.FieldByName("Instrucciones")->setAsString(instrucciones);
        });
        ds->Fields()[0]->setTag(999);  // the group, not a column
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.QuickReport->Page.Orientation = apaisado ? poLandscape : poPortrait;
        f.FormatoColumnas = formato;
        f.Sumatorios = QStringLiteral("Todas");
        f.CamposGrupo = QStringLiteral("Seccion");
        f.AjustarTexto = true;  // the designer's default: text wraps in its box
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("c.pdf"));
        MessageSeam::activate();
        QVERIFY(ImprimirInforme(ModuloDatos, f.QuickReport, QStringLiteral("PDF:") + pdf));
        const QStringList avisos = TextosMostrados();
        MessageSeam::deactivate();
        const int paginas = PaginasPdf(pdf);
        QVERIFY(memo ? paginas >= 3 : paginas == 1);
        // Columns in points, as the layout placed them on the page.
        const double margen = f.QuickReport->Page.LeftMargin * 72 / 25.4;
        QList<QPair<double, double>> columnas;
        for (const TQRLabel* t : f.Titulos)
            columnas << qMakePair(margen + t->Left() * 0.75,
                                  margen + (t->Left() + t->Width()) * 0.75);
        // Every figure printed is a value of the listing: the amounts, their
        // group totals and the listing's total, the percentages and theirs.
        const QList<double> valores{1234567.89, -0.05,      1234567.84, 24.95, 235.56,
                                    260.51,     1234828.35, 12.5,       25,    37.5,
                                    50,         37.5,       87.5,       125};
        int cifras = 0, rellenas = 0, nombres = 0;
        QStringList memoLeido;
        static const QRegularExpression cifra(QStringLiteral("^-?[0-9.]*,?[0-9]+$"));
        for (int pagina = 1; pagina <= paginas; ++pagina) {
            const QList<Palabra> palabras = PalabrasPdf(pdf, pagina);
            const QRectF titulos = CajaTexto(palabras, f.Titulos.value(0)->Caption());
            const QRectF pie = CajaTexto(palabras, QStringLiteral("Impreso el"));
            QVERIFY2(!titulos.isEmpty() && !pie.isEmpty(), qPrintable(QString::number(pagina)));
            QList<Palabra> enMemo;
            for (const Palabra& p : palabras) {
                // Past the titles, but for the footer's own line: above the
                // footer, within its column.
                if (p.caja.top() <= titulos.bottom() || std::abs(p.caja.top() - pie.top()) < 1)
                    continue;
                QVERIFY2(p.caja.bottom() <= pie.top(), qPrintable(p.texto));
                const auto columna = std::find_if(columnas.begin(), columnas.end(), [&](auto c) {
                    return p.caja.center().x() >= c.first && p.caja.center().x() <= c.second;
                });
                QVERIFY2(columna != columnas.end() && p.caja.left() >= columna->first - 0.5 &&
                             p.caja.right() <= columna->second + 0.5,
                         qPrintable(p.texto));
                if (memo && columna - columnas.begin() == 1) enMemo << p;
                if (p.texto == QLatin1String("Enfermedad")) ++nombres;
                if (p.texto.count(QLatin1Char('#')) == p.texto.size()) {
                    ++rellenas;
                    continue;
                }
                if (!cifra.match(p.texto).hasMatch()) continue;
                double v = 0;
                QVERIFY2(TryStrToFloat(QString(p.texto).remove(QLatin1Char('.')), v),
                         qPrintable(p.texto));
                QVERIFY2(std::any_of(valores.begin(), valores.end(),
                                     [v](double x) { return std::abs(x - v) < 0.005; }),
                         qPrintable(p.texto));
                ++cifras;
            }
            // In reading order: by line, then along it.
            std::sort(enMemo.begin(), enMemo.end(), [](const Palabra& a, const Palabra& b) {
                return std::abs(a.caja.top() - b.caja.top()) > 1 ? a.caja.top() < b.caja.top()
                                                                 : a.caja.left() < b.caja.left();
            });
            for (const Palabra& p : enMemo) memoLeido << p.texto;
            for (qsizetype i = 0; i < palabras.size(); ++i)
                for (qsizetype j = i + 1; j < palabras.size(); ++j)
                    QVERIFY2(!palabras[i]
                                  .caja.adjusted(0.5, 0.5, -0.5, -0.5)
                                  .intersects(palabras[j].caja.adjusted(0.5, 0.5, -0.5, -0.5)),
                             qPrintable(palabras[i].texto + " / " + palabras[j].texto));
        }
        QVERIFY(cifras >= 4);
        // Each row's other cells once, on the memo's first page.
        QCOMPARE(nombres, 4);
        if (memo) {
            static const QRegularExpression blancos(QStringLiteral("\\s"));
            QCOMPARE(memoLeido.join(QString()), QString(instrucciones).remove(blancos));
        }
        QCOMPARE(rellenas > 0, almohadillas);
        QCOMPARE(avisos.size(), almohadillas ? 1 : 0);
        if (almohadillas)
            QVERIFY2(avisos.first().contains(QStringLiteral("Importe")),
                     qPrintable(avisos.first()));
    }

    // More fields than the old tables held.
    void muchosCampos() {
        QList<Campo> lista;
        for (int i = 0; i < 250; ++i) lista << Campo{QStringLiteral("C%1").arg(i), ftInteger, 0};
        auto ds =
            Datos(lista, 2, [](TClientDataSet& d, int i) { d.Fields()[249]->setAsInteger(i); });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.QuickReport->Prepare();
        QCOMPARE(f.Titulos.size(), 250);
        QCOMPARE(f.QuickReport->QRPrinter()->PageCount(), 1);
    }

    // The restrictions block: the SQL tools' statement, the designer's ranges
    // only when the designer set them.
    void restricciones() {
        Parametro("ListarRestricciones", QStringLiteral("SI"));
        TQuery q;
        q.setObjectName(QStringLiteral("QryConsultasSQL"));
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        q.SQL().setText(QStringLiteral("SELECT Codigo FROM EMPRESA"));
        q.Open();
        {
            TfGENELPRO f;
            f.QuickReport->setDataSet(&q);
            f.QuickReport->Prepare();
            auto* memo = f.findChild<TQRMemo*>(QStringLiteral("MemoRestricciones"));
            QVERIFY(memo);
            QCOMPARE(memo->Text(), QLatin1String(kTituloRestricciones) +
                                       QStringLiteral("Sentencia SQL: SELECT Codigo FROM EMPRESA"));
        }
        auto ds = Datos({{"Codigo", ftInteger, 0}}, 3,
                        [](TClientDataSet& d, int i) { d.Fields()[0]->setAsInteger(i); });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.RestriccionesDisenador = TextoRestriccionesDisenador(
            {QStringLiteral("Codigo"), QStringLiteral("Nombre")}, {QStringLiteral("1"), QString()},
            {QStringLiteral("5"), QString()}, QStringLiteral("(Nombre = 'A')"));
        f.QuickReport->Prepare();
        f.QuickReport->Prepare();  // a second run keeps one block
        QCOMPARE(f.findChildren<TQRMemo*>(QStringLiteral("MemoRestricciones")).size(), 1);
        QCOMPARE(f.findChild<TQRMemo*>(QStringLiteral("MemoRestricciones"))->Text(),
                 QLatin1String(kTituloRestricciones) +
                     QStringLiteral("Desde Codigo: 1, Hasta Codigo: 5,  Filtros: (Nombre = 'A')"));
    }

    // The page header as printed, read back from the PDF: the title, the
    // company under it, the restrictions block (when there is one) under
    // them, the column titles under it and above the first row, and no text
    // printed over another; on a narrow page and on a wide one.
    void cabecera_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<bool>("apaisado");
        QTest::addColumn<int>("campos");
        const QString largo = QStringLiteral("(Nombre = 'Ñandú') AND (Ciudad = 'Łódź') AND ") +
                              QString(QStringLiteral("(Seccion <> 'Montaje') AND ")).repeated(6) +
                              QStringLiteral("(Codigo > 0)");
        QTest::newRow("sin filtro, estrecho") << QString() << false << 3;
        QTest::newRow("sin filtro, ancho") << QString() << true << 12;
        QTest::newRow("con filtro, estrecho") << "(Codigo > 5)" << false << 3;
        QTest::newRow("filtro largo, ancho") << largo << true << 12;
        QTest::newRow("filtro largo, estrecho") << largo << false << 5;
    }
    void cabecera() {
        QFETCH(QString, filtro);
        QFETCH(bool, apaisado);
        QFETCH(int, campos);
        Parametro("ListarRestricciones", QStringLiteral("SI"));
        NombreEmpresaActual = QStringLiteral("Talleres Reunidos");
        QList<Campo> lista;
        for (int i = 0; i < campos; ++i)
            lista << Campo{QStringLiteral("Campo%1").arg(i), ftString, 10};
        auto ds = Datos(lista, 3, [campos](TClientDataSet& d, int i) {
            for (int c = 0; c < campos; ++c)
                d.Fields()[c]->setAsString(QStringLiteral("v%1x%2").arg(i).arg(c));
        });
        TfGENELPRO f;
        f.QuickReport->setDataSet(ds.get());
        f.QuickReport->setReportTitle(QStringLiteral("Listado de prueba"));
        f.QuickReport->Page.Orientation = apaisado ? poLandscape : poPortrait;
        if (!filtro.isEmpty())
            f.RestriccionesDisenador = TextoRestriccionesDisenador(
                {QStringLiteral("Campo0")}, {QStringLiteral("1")}, {QStringLiteral("5")}, filtro);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("t.pdf"));
        // Twice, as the preview's print runs it again.
        for (int vez = 0; vez < 2; ++vez) {
            QVERIFY(ImprimirInforme(ModuloDatos, f.QuickReport, QStringLiteral("PDF:") + pdf));
            const QList<Palabra> palabras = PalabrasPdf(pdf);
            for (qsizetype i = 0; i < palabras.size(); ++i)
                for (qsizetype j = i + 1; j < palabras.size(); ++j) {
                    const QRectF comun = palabras[i].caja.intersected(palabras[j].caja);
                    QVERIFY2(
                        comun.width() < 0.5 || comun.height() < 0.5,
                        qPrintable(palabras[i].texto + QStringLiteral(" / ") + palabras[j].texto));
                }
            const QRectF titulo = CajaTexto(palabras, QStringLiteral("Listado de prueba"));
            const QRectF compania = CajaTexto(palabras, QStringLiteral("Talleres Reunidos"));
            const QRectF restricciones =
                CajaTexto(palabras, QStringLiteral("RESTRICCIONES Y OPCIONES DEL LISTADO:"));
            QRectF columnas;
            for (TQRLabel* t : f.Titulos) columnas |= CajaTexto(palabras, t->Caption());
            const QRectF fila = CajaTexto(palabras, QStringLiteral("v1x0"));
            QVERIFY(!titulo.isEmpty() && !compania.isEmpty() && !fila.isEmpty());
            QCOMPARE(f.Titulos.size(), campos);
            QVERIFY2(!columnas.isEmpty(), "column titles missing");
            QCOMPARE(!restricciones.isEmpty(), !filtro.isEmpty());
            QVERIFY(titulo.bottom() <= compania.top());
            const double arriba = compania.bottom();
            if (!filtro.isEmpty()) {
                QVERIFY(restricciones.top() >= arriba);
                // The whole block, up to its last word.
                const QRectF fin = CajaTexto(palabras, filtro.section(QLatin1Char(' '), -1));
                QVERIFY(!fin.isEmpty() && fin.bottom() <= columnas.top());
                QVERIFY(restricciones.bottom() <= columnas.top());
            }
            QVERIFY(columnas.top() >= arriba);
            QVERIFY(columnas.bottom() <= fila.top());
        }
    }

private:
    std::unique_ptr<EmpresaPrueba> empresa;
};

QTEST_MAIN(TestGeneLpro)
#include "tst_genelpro.moc"
