#include "rrhh/rrhhcapa.h"

#include <QPointer>

#include "db/field.h"
#include "db/query.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/registry.h"

TfRRHHCAPA* fRRHHCAPA = nullptr;

namespace {

TDefinicionMatriz DefinicionPuestos() {
    TDefinicionMatriz d;
    d.Nombre = QStringLiteral("fRRHHCAPA");
    d.Titulo = QStringLiteral("Matriz de Capacitación para Puestos de Trabajo");
    d.TablaMatriz = QStringLiteral("MATRCAPA");
    d.ComponenteMatriz = QStringLiteral("MatrizCapacitacion");
    d.CampoCodigo = QStringLiteral("CodigoPuesto");
    d.EtiquetaCodigo = QStringLiteral(" - Puesto:");
    d.ErrorGrabacion =
        QStringLiteral("¡Imposible grabar la matriz de puestos de trabajo!. Motivo: ");
    d.ProgramaListado = QStringLiteral("Listado de Capacitación para Puestos de Trabajo");
    d.ClaseListado = QStringLiteral("TfRRHHLCAP");
    d.NombreListado = QStringLiteral("fRRHHLCAP");
    d.HintImprimir = QStringLiteral("Imprimir la Matriz de Capacitación");
    d.ConPuestoActual = true;
    return d;
}

// Runs a query on the company database; false (and nothing shown) when it fails.
bool AbrirSilenciosa(TQuery& q, const QString& sql) {
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(sql);
    return AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio"));
}

}  // namespace

TfRRHHCAPA::TfRRHHCAPA(QWidget* owner) : TMatrizCapacitacion(owner, DefinicionPuestos()) {
    pbImportarEvaluacion =
        NuevoBoton("pbImportarEvaluacion", QString(), QStringLiteral("Importar Evaluaciones"));
    pbImportarEvaluacion->OnClick = [this](QObject* s) { pbImportarEvaluacionClick(s); };
    fRRHHCAPA = this;
}

TfRRHHCAPA::~TfRRHHCAPA() {
    if (fRRHHCAPA == this) fRRHHCAPA = nullptr;
}

QList<TMatrizCapacitacion::TColumnaMatriz> TfRRHHCAPA::LeerColumnas() {
    QList<TColumnaMatriz> columnas;
    TQuery q;
    // In code order, so that the columns keep their place from one build to the next.
    if (!AbrirSilenciosa(q, QStringLiteral("SELECT Codigo, Descripcion FROM PUESTO ORDER BY "
                                           "Codigo")))
        return columnas;
    TField* codigo = q.FieldByName(QStringLiteral("Codigo"));
    TField* descripcion = q.FieldByName(QStringLiteral("Descripcion"));
    for (q.First(); !q.Eof(); q.Next())
        columnas.append({codigo->AsString(), descripcion->AsString()});
    return columnas;
}

void TfRRHHCAPA::pbImportarEvaluacionClick(QObject*) {
    QPointer<TfRRHHCAPA> yo(this);
    TBusyForm ocupado(this);
    if (MensajeConfirmacion(QStringLiteral(
            "Los valores actuales se perderán, realmente desea continuar?")) == QLatin1String("NO"))
        return;
    if (!yo) return;
    TCursorEspera reloj;
    // The latest score of each employee and position, read in one statement;
    // a failed read counts as no evaluation.
    QHash<QString, int> ultimas;
    TQuery q;
    if (AbrirSilenciosa(q, QStringLiteral("SELECT CodigoOperario, Codigo, Valoracion FROM "
                                          "EVLCION WHERE Tipo = 'Puesto' ORDER BY "
                                          "CodigoOperario, Codigo, FechaEvaluacion DESC"))) {
        TField* operario = q.FieldByName(QStringLiteral("CodigoOperario"));
        TField* codigo = q.FieldByName(QStringLiteral("Codigo"));
        TField* valoracion = q.FieldByName(QStringLiteral("Valoracion"));
        for (q.First(); !q.Eof(); q.Next()) {
            const QString par = Par(operario->AsString(), codigo->AsString());
            if (!ultimas.contains(par)) {
                bool ok = false;
                const int v = valoracion->AsString().toInt(&ok);
                ultimas.insert(par, ok ? v : 0);
            }
        }
    }
    TStringGrid* g = StringGrid1;
    for (int r = 1; r < g->RowCount(); ++r) {
        const QString operario = CodigoFila(r);
        for (int c = ColumnasFijas(); c < g->ColCount(); ++c) {
            const int v = operario.isEmpty() ? 0 : ultimas.value(Par(operario, CodigoColumna(c)));
            g->setCells(c, r, v == 0 ? QString() : QString::number(v));
        }
    }
}

void RegistrarTfRRHHCAPA() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHCAPA")))
        RegisterFormClass<TfRRHHCAPA>(QStringLiteral("TfRRHHCAPA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHCAPA();
    return true;
}();
}  // namespace
