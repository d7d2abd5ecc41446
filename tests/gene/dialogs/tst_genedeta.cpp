// The detail viewer (sizes, fonts, HTML shown and printed as text), the
// text editor (result, placement remembered) and the memo-field viewer
// (trailing empty lines, caret, read-only then editable again, typed text
// written into the field, values given back as stored, huge values).

#include <QElapsedTimer>
#include <QPrinter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include "db/clientdataset.h"
#include "db/table.h"
#include "gene/data/genemens.h"
#include "gene/dialogo_modal.h"
#include "gene/dialogs/genedeta.h"
#include "gene/dialogs/genevmem.h"
#include "gene/dialogs/genevtex.h"
#include "gene/registros_prueba.h"
#include "support/instalacion.h"
#include "support/memoriaprueba.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"

namespace {

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

}  // namespace

class TestGeneDeta : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detalle() {
        AlMostrarse<TfGENEDETA>([](TfGENEDETA* v) {
            QCOMPARE(v->Width(), 480);
            QCOMPARE(v->Height(), 480);
            QCOMPARE(v->Caption(), QStringLiteral("Lista"));
            QVERIFY(!v->MemoDetalle->isHidden());
            QCOMPARE(v->MemoDetalle->Text(), QStringLiteral("uno\r\ndos"));
            QTest::keyClick(DondeSeEscribe(v), Qt::Key_Escape);
        });
        MostrarDetalle(QStringLiteral("uno\r\ndos"), QStringLiteral("Lista"), QString());

        AlMostrarse<TfGENEDETA>([](TfGENEDETA* v) {
            QCOMPARE(v->Width(), 300);
            QCOMPARE(v->Height(), 200);
            QCOMPARE(v->MemoDetalle->font().pointSize(), 14);
            v->pbConforme->Click();
        });
        MostrarDetalle(QStringLiteral("x"), QStringLiteral("T"),
                       QStringLiteral("Formato=300,200\r\nFuente=Courier New,14"));
    }

    // A page is shown in the browser and printed as its text: one line per
    // "<br>" or "<hr>", no tags, entities as written, the caption first.
    void paginaImpresa() {
        TfGENEDETA v;
        v.DoCreate();
        v.setCaption(QStringLiteral("Informe"));
        v.MostrarTextoDetalle(
            QStringLiteral("<b>Uno</b><br>Dos &amp; tres<hr><P>Cuatro</P><BR>cinco"), true);
        QVERIFY(v.MemoDetalle->isHidden());
        QVERIFY(!v.WebBrowserDetalle->isHidden());
        QCOMPARE(v.LineasImpresion(),
                 (QStringList{QStringLiteral("INFORME"), QString(), QStringLiteral("Uno"),
                              QStringLiteral("Dos &amp; tres"), QStringLiteral("Cuatrocinco")}));

        QTemporaryDir dir;
        QPrinter impresora;
        impresora.setOutputFormat(QPrinter::PdfFormat);
        impresora.setOutputFileName(dir.filePath(QStringLiteral("detalle.pdf")));
        v.Imprimir(impresora);
        QFile pdf(dir.filePath(QStringLiteral("detalle.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(4) == "%PDF");
    }

    // "Formato=0,0,400,500": centred, 400 by 500; the next editor without
    // "Formato" comes back where the first was closed.
    void editorDeTextos() {
        AlMostrarse<TfGENETEXT>([](TfGENETEXT* t) {
            QCOMPARE(t->Caption(), QStringLiteral("Notas"));
            QCOMPARE(t->Width(), 400);
            QCOMPARE(t->Height(), 500);
            QCOMPARE(t->Position(), poScreenCenter);
            QCOMPARE(t->Memo1->Text(), QStringLiteral("antes"));
            t->Memo1->setText(QStringLiteral("después"));
            t->move(33, 44);
            t->pbAceptar->Click();
        });
        QString r;
        EditarTexto(nullptr, QStringLiteral("Titulo=Notas\r\nFormato=0,0,400,500"),
                    QStringLiteral("antes"), r);
        QCOMPARE(r, QStringLiteral("después"));

        AlMostrarse<TfGENETEXT>([](TfGENETEXT* t) {
            QCOMPARE(t->Left(), 33);
            QCOMPARE(t->Top(), 44);
            t->Memo1->setText(QStringLiteral("perdido"));
            t->pbCancelar->Click();
        });
        EditarTexto(nullptr, QString(), QStringLiteral("antes"), r);
        QCOMPARE(r, QStringLiteral("antes"));
    }

    void visorMemo() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearLineas();
        Sql(QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Notas) VALUES (1, 1, '')"));
        auto tabla = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        tabla->Edit();

        // Three empty lines at the end go when the window closes.
        AlMostrarse<TfGENEVMEM>([](TfGENEVMEM* v) {
            QVERIFY(!v->DBMemo->isReadOnly());
            QCOMPARE(v->DBMemo->textCursor().position(), 0);
            v->DBMemo->setText(QStringLiteral("texto\r\n\r\n\r\n"));
            QTest::keyClick(v->DBMemo, Qt::Key_Escape);
        });
        QString texto;
        VisualizarAsignarCampoTexto(tabla.get(), QStringLiteral("Notas"), QStringLiteral("Notas"),
                                    texto, QStringLiteral("CursorAlFinal"));
        QCOMPARE(texto, QStringLiteral("texto"));
        QCOMPARE(tabla->FieldByName(QStringLiteral("Notas"))->AsString(), QStringLiteral("texto"));
        tabla->Post();

        // Read-only: nothing changes; the next editable call edits again.
        AlMostrarse<TfGENEVMEM>([](TfGENEVMEM* v) {
            QVERIFY(v->DBMemo->isReadOnly());
            QTest::keyClicks(v->DBMemo, QStringLiteral("zz"));
            v->Close();
        });
        VisorCampoTexto(tabla.get(), QStringLiteral("Notas"), QStringLiteral("Notas"));
        QCOMPARE(tabla->FieldByName(QStringLiteral("Notas"))->AsString(), QStringLiteral("texto"));
        QCOMPARE(tabla->State(), dsBrowse);

        tabla->Edit();
        AlMostrarse<TfGENEVMEM>([](TfGENEVMEM* v) {
            QVERIFY(!v->DBMemo->isReadOnly());
            QCOMPARE(v->DBMemo->textCursor().position(), 5);
            v->Close();
        });
        VisualizarAsignarCampoTexto(tabla.get(), QStringLiteral("Notas"), QStringLiteral("Notas"),
                                    texto, QStringLiteral("CursorAlFinal"));
        QVERIFY(fGENEVMEM && !fGENEVMEM->DBMemo->DataSource());

        // What is typed goes into the field, whether the window is closed
        // with Esc or from its frame.
        for (const bool conEsc : {true, false}) {
            AlMostrarse<TfGENEVMEM>([conEsc](TfGENEVMEM* v) {
                QTest::keyClicks(v->DBMemo, QStringLiteral(" y otra"));
                if (conEsc)
                    QTest::keyClick(v->DBMemo, Qt::Key_Escape);
                else
                    static_cast<QWidget*>(v)->close();
            });
            VisualizarAsignarCampoTexto(tabla.get(), QStringLiteral("Notas"),
                                        QStringLiteral("Notas"), texto,
                                        QStringLiteral("CursorAlFinal"));
            const QString esperado =
                conEsc ? QStringLiteral("texto y otra") : QStringLiteral("texto y otra y otra");
            QCOMPARE(texto, esperado);
            QCOMPARE(tabla->FieldByName(QStringLiteral("Notas"))->AsString(), esperado);
        }
        tabla->Post();
        QCOMPARE(Sql(QStringLiteral("SELECT Notas FROM LINEAS")),
                 QStringLiteral("texto y otra y otra"));
    }

    // The viewer gives back the value as stored when it was not edited, so
    // that the caller's assignment leaves it as it was: lone LF stay, and a
    // value too large to lay out in a moment opens at once, read-only.
    void visorMemoDevuelveElValor_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<bool>("soloLectura");
        QString grande(20'000'000, QLatin1Char('x'));
        QTest::newRow("LF sueltos") << QStringLiteral("uno\ndos\r\ntres") << false;
        // Typed into, the view that cannot hold the value whole refuses the key.
        QTest::newRow("20 MB en una línea") << grande << true;
        for (qsizetype i = 200'000; i < grande.size(); i += 200'001) grande[i] = QLatin1Char('\n');
        // A letter outside Latin-1 (two UTF-16 units) where the view breaks a line.
        grande.replace(TDBMemo::kLineaMemo - 1, 2, QStringLiteral("\U0001D11E"));
        QTest::newRow("20 MB con LF y fuera de Latin-1") << grande << true;
    }
    void visorMemoDevuelveElValor() {
        QFETCH(QString, valor);
        QFETCH(bool, soloLectura);
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        CrearLineas();
        TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
        db->Execute(QStringLiteral("INSERT INTO LINEAS (CodigoOperario, Linea, Notas) "
                                   "VALUES (1, 1, ?)"),
                    {valor});
        auto tabla = AbrirTablaPrueba(QStringLiteral("LINEAS"));
        TField* notas = tabla->FieldByName(QStringLiteral("Notas"));
        tabla->Edit();
        ReiniciarPicoMemoria();
        const qint64 antes = PicoMemoriaMB();
        QElapsedTimer reloj;
        reloj.start();
        bool leido = false;
        AlMostrarse<TfGENEVMEM>([&](TfGENEVMEM* v) {
            v->DBMemo->repaint();
            leido = v->DBMemo->isReadOnly();
            if (leido) QTest::keyClicks(v->DBMemo, QStringLiteral("z"));
            QTest::keyClick(v->DBMemo, Qt::Key_Escape);
        });
        QString texto;
        VisualizarAsignarCampoTexto(tabla.get(), QStringLiteral("Notas"), QStringLiteral("Notas"),
                                    texto);
        QVERIFY2(reloj.elapsed() < 5000, qPrintable(QString::number(reloj.elapsed())));
        const qint64 tomada = PicoMemoriaMB() - antes;
        QVERIFY2(tomada < LimiteMemoriaMB(200), qPrintable(QString::number(tomada)));
        QCOMPARE(leido, soloLectura);
        // The caller writes back what the viewer gave.
        notas->setAsString(texto);
        tabla->Post();
        QSqlQuery q = db->Execute(QStringLiteral("SELECT Notas FROM LINEAS"));
        QVERIFY(q.next());
        QVERIFY2(q.value(0).toString() == valor, qPrintable(q.value(0).toString().left(40)));
    }
};

QTEST_MAIN(TestGeneDeta)
#include "tst_genedeta.moc"
