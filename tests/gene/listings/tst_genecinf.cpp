// The custom-report designer on a real installation: the window and its
// buttons, the lists built through the selection dialogs and prompts, the SQL
// view following them, the width grid, and a design loaded and saved.

#include <QtTest>

#include "gene/geneform.h"
#include "gene/genemens.h"
#include "gene/genetext.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/sesion.h"
#include "support/dbfixture.h"
#include "support/empresaprueba.h"
#include "support/sqlprueba.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

namespace {

// The selection dialog's answers, in order; each chosen line list. An
// empty queue answers as a closed dialog: the preselected lines.
QList<QStringList> respuestasSeleccion;
QStringList titulosSeleccion;
void ElegirDeLista(TfGENEINIC*, const QString& Opciones, const QString& Elementos,
                   QString& Seleccion) {
    titulosSeleccion << ValorParametro(QStringLiteral("Titulo"), Opciones);
    if (!respuestasSeleccion.isEmpty()) {
        Seleccion = respuestasSeleccion.takeFirst().join(QStringLiteral("\r\n"));
        return;
    }
    QStringList marcadas;
    for (const QString& e : LineasTexto(Elementos))
        if (e.startsWith(QLatin1Char('*'))) marcadas << e.mid(1);
    Seleccion = marcadas.join(QStringLiteral("\r\n"));
}

struct Entorno {
    explicit Entorno(Engine motor) : e(motor) {
        GanchoSeleccionarDeLista = ElegirDeLista;
        respuestasSeleccion.clear();
        titulosSeleccion.clear();
        MessageSeam::clearLog();
        f = static_cast<TfGENECINF*>(CreateForm(QStringLiteral("TfGENECINF")));
    }
    ~Entorno() {
        delete f;
        GanchoSeleccionarDeLista = nullptr;
    }
    EmpresaPrueba e;
    QPointer<TfGENECINF> f;
};

}  // namespace

class TestGeneCinf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegistrarTfGENECINF(); }

    // The window opens empty on a company without reports, with every
    // button of its tool bar.
    void ventana() {
        Entorno x{Engine::Sqlite};
        QVERIFY(x.f);
        QCOMPARE(x.f->Caption(), QStringLiteral("Configuración de Informes Personalizados"));
        QCOMPARE(x.f->edNombreInforme->Text(), QString());
        QCOMPARE(x.f->MemoSentenciaSQL->Text(), QString());
        for (const char* b : {"pbNuevo", "pbGuardar", "pbGuardarComo", "pbEliminar",
                              "pbValidarInforme", "pbRestringirAUsuarios", "pbPersonalizarMenu",
                              "pbCopiarConfiguracion", "pbCopiarAOtrasEmpresas", "pbZoom",
                              "pbImportar", "pbExportar", "pbImprimir", "pbSalir", "pbBuscar"})
            QVERIFY2(x.f->findChild<TSpeedButton*>(QLatin1String(b)), b);
        QVERIFY(x.f->pbRestringirAUsuarios->isEnabled());
    }
};

QTEST_MAIN(TestGeneCinf)
#include "tst_genecinf.moc"
