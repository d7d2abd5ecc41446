// The frame every fixed listing shares, seen through what it prints: the
// fields hidden from the user print nowhere (their column, a total over them,
// the title named after them) while the other columns still do.

#include <QtTest>

#include "db/dialect.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/geneusua.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/export.h"
#include "report/quickrep.h"
#include "rrhh/rrqrlfor.h"
#include "rrhh/rrqrlist.h"
#include "rrhh/rrqrlpue.h"
#include "support/dbfixture.h"
#include "support/instalacion.h"

namespace {

// A listing of names and salaries, with a salary total.
class TListadoSalarios : public TInformeListado {
public:
    TListadoSalarios() : TInformeListado(nullptr, QStringLiteral("fRRQRSALA")) {
        Personal = new TTable(this);
        Personal->setObjectName(QStringLiteral("Personal"));
        Personal->setTableName(QStringLiteral("PERSONAL"));
        auto* detalle = new TQRBand(this, QuickReport, rbDetail);
        detalle->setObjectName(QStringLiteral("Detalle"));
        detalle->setHeight(17);
        auto* resumen = new TQRBand(this, QuickReport, rbSummary);
        resumen->setObjectName(QStringLiteral("Resumen"));
        resumen->setHeight(17);
        Titulo(QStringLiteral("TituloNombre"), QStringLiteral("Nombre"), 0, 150);
        Titulo(QStringLiteral("TituloSalarioBase"), QStringLiteral("Sueldo"), 200, 100);
        Columna(detalle, QStringLiteral("QRDBText1"), QStringLiteral("Nombre"), 0, 150);
        Columna(detalle, QStringLiteral("QRDBText2"), QStringLiteral("SalarioBase"), 200, 100);
        auto* total = new TQRExpr(this, resumen);
        total->setObjectName(QStringLiteral("QRExpr1"));
        total->setExpression(QStringLiteral("SUM(SalarioBase)"));
        total->setMask(QStringLiteral("#,##0.00"));
        total->SetBounds(200, 1, 100, 15);
        Preparar(nullptr,
                 QStringLiteral("Tabla Temporal\r\n/C/1/Nombre/ftString/40/*\r\n"
                                "/C/2/SalarioBase/ftFloat/0/\r\n/I/1/<Primary>/Nombre/"),
                 false);
    }
    TTable* Personal;

protected:
    QString TituloListado() const override { return QStringLiteral("SALARIOS"); }
    TDataSet* TablaControl() const override { return Personal; }
    void RellenarTemporal() override {
        const QList<QPair<QString, double>> filas = {{QStringLiteral("ANA"), 1234.5},
                                                     {QStringLiteral("LUIS"), 1000}};
        for (const auto& [nombre, salario] : filas) {
            Temporal->Append();
            Temporal->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
            Temporal->FieldByName(QStringLiteral("SalarioBase"))->setAsFloat(salario);
            Temporal->Post();
        }
    }
};

// Every text of every page, in reading order.
QStringList TextosImpresos(TQuickRep* informe) {
    QStringList textos;
    const TQRPrinter* paginas = informe->QRPrinter();
    for (int p = 1; p <= paginas->PageCount(); ++p)
        for (const TQRTextLine& linea : PageTextLines(paginas->Page(p)))
            for (const TQRTextItem& item : linea) textos << item.Text.trimmed();
    return textos;
}

}  // namespace

class TestRrqrList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CamposNoVisiblesUsuario.clear(); }

    void camposNoVisibles_data() {
        QTest::addColumn<QString>("ocultos");
        QTest::addColumn<bool>("imprimeSalarios");
        QTest::newRow("todos visibles") << QString() << true;
        QTest::newRow("salario oculto") << QStringLiteral("Salario") << false;
        QTest::newRow("en otra letra") << QStringLiteral("Codigo,SALARIO") << false;
    }
    void camposNoVisibles() {
        QFETCH(QString, ocultos);
        QFETCH(bool, imprimeSalarios);
        TestInstalacion inst(Engine::Sqlite, OpcionesInstalacion{.empresaActual = 1});
        TModuloDatos modulo;
        {
            TTable personal;
            personal.setTableName(QStringLiteral("PERSONAL"));
            QVERIFY(AbrirTabla(fGENEINIC, &personal));
        }
        QString r;
        EjecutarSQL(
            nullptr,
            QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (1, 'ANA')"),
            QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
        QVERIFY2(r.isEmpty(), qPrintable(r));

        CamposNoVisiblesUsuario = ocultos;
        TListadoSalarios listado;
        listado.QuickReport->Prepare();
        const QStringList textos = TextosImpresos(listado.QuickReport);
        for (const char* siempre : {"SALARIOS", "Nombre", "ANA", "LUIS"})
            QVERIFY2(textos.contains(QLatin1String(siempre)), qPrintable(textos.join(u'|')));
        for (const char* salario : {"Sueldo", "1234,5", "1000", "2.234,50"})
            QVERIFY2(
                textos.contains(QLatin1String(salario)) == imprimeSalarios,
                qPrintable(QLatin1String(salario) + QStringLiteral(" in ") + textos.join(u'|')));
    }

    // Five employees' history lines of one batch, one without a code: that
    // line alone is left out where the engine refuses its key (listed with
    // an empty code where it does not), in every order of both history
    // listings.
    void historialSinCodigo_data() {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("orden");
        for (Engine e : AvailableEngines()) {
            const QByteArray m = EngineTag(e).toLatin1();
            for (const char* o : {"PorOperario", "PorFormacion", "PorFechaFinal"})
                QTest::addRow("%s HFORMACI %s", m.constData(), o)
                    << int(e) << QStringLiteral("HFORMACI") << QString::fromLatin1(o);
            for (const char* o : {"PorOperario", "PorPuesto"})
                QTest::addRow("%s HPUESTO %s", m.constData(), o)
                    << int(e) << QStringLiteral("HPUESTO") << QString::fromLatin1(o);
        }
    }
    void historialSinCodigo() {
        QFETCH(int, engine);
        QFETCH(QString, tabla);
        QFETCH(QString, orden);
        TestInstalacion inst(Engine(engine), OpcionesInstalacion{.empresaActual = 1});
        const bool formacion = tabla == QLatin1String("HFORMACI");
        const QString campo = QLatin1String(formacion ? "CodigoFormacion" : "CodigoPuesto");
        for (int op = 1; op <= 5; ++op) {
            for (const QString& sentencia :
                 {QStringLiteral("INSERT INTO PERSONAL (CodigoOperario, Nombre) VALUES (%1, "
                                 "'OP%1')")
                      .arg(op),
                  QStringLiteral("INSERT INTO %1 (NombreTabla, CodigoOperario, Linea, %2, "
                                 "Descripcion, FechaInicio, FechaFinal) VALUES ('PERSONAL', %3, "
                                 "1, %4, 'LINEA', %5, %5)")
                      .arg(tabla, campo)
                      .arg(op)
                      .arg(op == 3 ? QStringLiteral("NULL") : QStringLiteral("'X%1'").arg(op))
                      .arg(DialectoActual().dateLiteral(QDate(2024, 3, op)))}) {
                QString r;
                EjecutarSQL(nullptr, sentencia, QStringLiteral("Database"),
                            QStringLiteral("Silenciosa"), r);
                QVERIFY2(r.isEmpty(), qPrintable(sentencia + r));
            }
        }
        TModuloDatos modulo;
        const QDateTime desde(QDate(2024, 1, 1), QTime(0, 0)), hasta(QDate(2024, 12, 31), QTime());
        std::unique_ptr<TInformeListado> r;
        if (formacion) {
            auto* f = new TfRRQRLFOR(orden);
            f->Activos = false;  // no contracts here: every employee is inactive
            f->DesdeFecha = desde;
            f->HastaFecha = hasta;
            r.reset(f);
        } else {
            auto* p = new TfRRQRLPUE(orden);
            p->Activos = false;
            p->DesdeFecha = desde;
            p->HastaFecha = hasta;
            r.reset(p);
        }
        r->QuickReport->Prepare();
        QStringList filas;
        for (r->Temporal->First(); !r->Temporal->Eof(); r->Temporal->Next())
            filas << r->Temporal->FieldByName(QStringLiteral("CodigoOperario"))->AsString() +
                         QLatin1Char('/') + r->Temporal->FieldByName(campo)->AsString();
        filas.removeAll(QStringLiteral("3/"));
        filas.sort();
        QCOMPARE(filas, (QStringList{"1/X1", "2/X2", "4/X4", "5/X5"}));
    }
};

QTEST_MAIN(TestRrqrList)
#include "tst_rrqrlist.moc"
