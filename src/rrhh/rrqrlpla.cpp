#include "rrhh/rrqrlpla.h"

#include <QHash>
#include <cstdlib>

#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/component.h"

// The valuations are the plan line's small integers: their text takes up to
// six characters ("-32768"), one would print 10 as "1" and -5 as "-".
const char* const TfRRQRLPLA::kDefinicionTemporal =
    "Tabla Temporal\r\n"
    "/C/1/Clasificacion/ftString/1000/*\r\n"
    "/C/2/CodigoOperario/ftInteger/0/*\r\n"
    "/C/3/Nombre/ftString/40/\r\n"
    "/C/4/Departamento/ftString/40/\r\n"
    "/C/5/NumeroMatricula/ftInteger/0/*\r\n"
    "/C/6/Imputacion/ftString/40/\r\n"
    "/C/7/AccionFormativa/ftString/40/\r\n"
    "/C/8/TituloObtenido/ftString/40/\r\n"
    "/C/9/NecesidadFijadaPor/ftString/40/\r\n"
    "/C/10/Tipo/ftString/40/\r\n"
    "/C/11/Impartido/ftString/40/\r\n"
    "/C/12/Duracion/ftFloat/0/\r\n"
    "/C/13/FechaInicio/ftDateTime/0/\r\n"
    "/C/14/FechaFinal/ftDateTime/0/\r\n"
    "/C/15/Realizado/ftString/2/\r\n"
    "/C/16/ValoracionAlumno/ftString/6/\r\n"
    "/C/17/ValoracionJefeSeccion/ftString/6/\r\n"
    "/C/18/Revision/ftInteger/0/\r\n"
    "/I/1/<Primary>/Clasificacion/";

TfRRQRLPLA::TfRRQRLPLA(TForm* Dialogo, QWidget* owner)
    : TInformeListado(owner, QStringLiteral("fRRQRLPLA")) {
    QuickReport->Page.Orientation = poLandscape;
    QuickReport->Page.LeftMargin = QuickReport->Page.RightMargin = 5;
    Personal = new TTable(this);
    Personal->setObjectName(QStringLiteral("Personal"));
    Personal->setTableName(QStringLiteral("PERSONAL"));
    PlanFormacion = new TTable(this);
    PlanFormacion->setObjectName(QStringLiteral("PlanFormacion"));
    PlanFormacion->setTableName(QStringLiteral("PLANFORM"));

    Detail = new TQRBand(this, QuickReport, rbDetail);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setHeight(17);
    // Fifteen columns across the landscape page: at the bands' 10 points a
    // date or a caption runs into the next column.
    Detail->setFont(MakeFont(QStringLiteral("Arial"), 8));
    PageHeader->setHeight(80);

    // Every column is wider than its caption at the captions' 7 points, so
    // that no caption runs into the next one.
    struct ColumnaPlan {
        const char* titulo;
        const char* campo;
        int ancho;
        bool fecha;
    };
    static const ColumnaPlan columnas[] = {
        {"Nombre", "Nombre", 150, false},
        {"N.Mat.", "NumeroMatricula", 40, false},
        {"Imputación", "Imputacion", 90, false},
        {"Acción Formativa", "AccionFormativa", 130, false},
        {"Título", "TituloObtenido", 80, false},
        {"Necesidad fijada por", "NecesidadFijadaPor", 100, false},
        {"Int/Ext.", "Tipo", 45, false},
        {"Impartido", "Impartido", 80, false},
        {"Duración(H)", "Duracion", 60, false},
        {"Fecha Inicio", "FechaInicio", 62, true},
        {"Fecha Final", "FechaFinal", 62, true},
        {"Realizado", "Realizado", 50, false},
        {"V.A.", "ValoracionAlumno", 34, false},
        {"V.J.S.", "ValoracionJefeSeccion", 34, false},
        {"R.", "Revision", 25, false},
    };
    int left = 0, n = 1;
    for (const auto& c : columnas) {
        TQRLabel* titulo =
            Titulo(QStringLiteral("QRLabel%1").arg(n), QString::fromUtf8(c.titulo), left, c.ancho);
        QFont letra = titulo->Font();
        letra.setPointSize(7);
        titulo->setFont(letra);
        // The date columns keep their handlers' names.
        QString nombre = QStringLiteral("QRDBText") + QLatin1String(c.campo);
        if (QLatin1String(c.campo) == QLatin1String("FechaInicio"))
            nombre = QStringLiteral("QRDBText5");
        if (QLatin1String(c.campo) == QLatin1String("FechaFinal"))
            nombre = QStringLiteral("QRDBText3");
        Columna(Detail, nombre, QLatin1String(c.campo), left, c.ancho - 2, c.fecha);
        left += c.ancho;
        ++n;
    }
    Preparar(Dialogo, QLatin1String(kDefinicionTemporal), true);
}

QString TfRRQRLPLA::TituloListado() const {
    return QStringLiteral("PLAN DE FORMACION AÑO ") + QString::number(Ejercicio);
}

TDataSet* TfRRQRLPLA::TablaControl() const {
    return PlanFormacion;
}

QString TfRRQRLPLA::Clasificacion(bool PorAccion, const QString& Accion, const QString& Nombre,
                                  int Linea, int CodigoOperario) {
    const QString linea = QString::number(Linea);
    const QString clave = PorAccion ? Accion + Nombre + linea : Nombre + Accion + linea;
    return clave + QChar(1) + QString::number(CodigoOperario);
}

bool TfRRQRLPLA::RevisionSeleccionada(int Revision, int Desde, int Hasta) {
    return (Revision >= Desde && Revision <= Hasta) || std::abs(Revision) == Hasta;
}

namespace {
// The fields of the copy, looked up once per fill: by name on every line they
// cost as much as the rest of the loop.
struct CampoCopia {
    TField* origen;
    TField* destino;
};
TField* Campo(TTable* t, const char* nombre) {
    return t->FieldByName(QLatin1String(nombre));
}
void CopiarFecha(TField* origen, TField* destino) {
    if (!origen->IsNull()) destino->setAsDateTime(origen->AsDateTime());
}
}  // namespace

void TfRRQRLPLA::RellenarTemporal() {
    PlanFormacion->setIndexName(QString());
    PlanFormacion->SetRange({Ejercicio, DesdeOperario}, {Ejercicio, HastaOperario});
    PlanFormacion->First();
    TField* pCodigo = Campo(PlanFormacion, "CodigoOperario");
    TField* pTipo = Campo(PlanFormacion, "Tipo");
    TField* pRealizado = Campo(PlanFormacion, "Realizado");
    TField* pRevision = Campo(PlanFormacion, "Revision");
    TField* pFormacion = Campo(PlanFormacion, "CodigoFormacion");
    TField* pAccion = Campo(PlanFormacion, "AccionFormativa");
    TField* pLinea = Campo(PlanFormacion, "Linea");
    TField* pDuracion = Campo(PlanFormacion, "Duracion");
    TField* pInicio = Campo(PlanFormacion, "FechaInicio");
    TField* pFinal = Campo(PlanFormacion, "FechaFinal");
    TField* pValAlumno = Campo(PlanFormacion, "ValoracionAlumno");
    TField* pValJefe = Campo(PlanFormacion, "ValoracionJefeSeccion");
    TField* eCodigo = Campo(Personal, "CodigoOperario");
    TField* eNombre = Campo(Personal, "Nombre");
    TField* eMatricula = Campo(Personal, "NumeroMatricula");
    TField* tClasificacion = Campo(Temporal, "Clasificacion");
    TField* tCodigo = Campo(Temporal, "CodigoOperario");
    TField* tNombre = Campo(Temporal, "Nombre");
    TField* tMatricula = Campo(Temporal, "NumeroMatricula");
    TField* tDuracion = Campo(Temporal, "Duracion");
    TField* tInicio = Campo(Temporal, "FechaInicio");
    TField* tFinal = Campo(Temporal, "FechaFinal");
    TField* tRevision = Campo(Temporal, "Revision");
    TField* tValAlumno = Campo(Temporal, "ValoracionAlumno");
    TField* tValJefe = Campo(Temporal, "ValoracionJefeSeccion");
    QList<CampoCopia> textos;
    for (const char* campo : {"Departamento", "Imputacion", "AccionFormativa", "NecesidadFijadaPor",
                              "TituloObtenido", "Tipo", "Impartido", "Realizado"})
        textos.append(CampoCopia{Campo(PlanFormacion, campo), Campo(Temporal, campo)});

    // The contract and group tests ask the database: once per employee. The
    // plan comes by employee, so the employee's record is looked up only when
    // the code changes.
    QHash<int, bool> seleccion;
    int actual = 0;
    bool existe = false;
    // The plan comes by employee code, and so do the employees: the next
    // employee is mostly a few records on, where a step costs less than a
    // search; farther away, or back, he is searched for.
    constexpr int kPasos = 8;
    bool enPersonal = false;  // Personal stands on the employee `actual`
    const auto buscarOperario = [&](int codigo) {
        if (enPersonal && codigo > actual) {
            for (int paso = 0; paso < kPasos; ++paso) {
                Personal->Next();
                if (Personal->Eof()) return false;
                const int leido = eCodigo->AsInteger();
                if (leido >= codigo) return leido == codigo;
            }
        }
        return Personal->FindKey({codigo});
    };
    TRellenoListado relleno(Temporal);
    for (; !PlanFormacion->Eof(); PlanFormacion->Next()) {
        if (!relleno.Seguir()) break;
        const int codigo = pCodigo->AsInteger();
        if (!existe || codigo != actual) {
            existe = buscarOperario(codigo);
            // A code passed by or searched in vain leaves Personal elsewhere.
            enPersonal = existe;
            actual = codigo;
        }
        if (!existe) continue;
        auto s = seleccion.find(codigo);
        if (s == seleccion.end())
            s = seleccion.insert(
                codigo, OperarioSeleccionado(codigo, Activos, NoActivos, RangosGruposAnalisis));
        if (!*s) continue;
        const QString tipo = pTipo->AsString();
        if ((tipo == QLatin1String("Interno") && !Interno) ||
            (tipo == QLatin1String("Externo") && !Externo))
            continue;
        const QString realizado = pRealizado->AsString();
        if ((realizado == QLatin1String("SI") && !Realizados) ||
            (realizado == QLatin1String("NO") && !NoRealizados))
            continue;
        const int revision = pRevision->AsInteger();
        if (!RevisionSeleccionada(revision, DesdeRevision, HastaRevision)) continue;
        const QString formacion = pFormacion->AsString();
        if (QString::compare(formacion, DesdeFormacion) < 0 ||
            QString::compare(formacion, HastaFormacion) > 0)
            continue;

        const QString nombre = eNombre->AsString();
        relleno.Anadir();
        tClasificacion->setAsString(Clasificacion(PorAccionFormativa, pAccion->AsString(), nombre,
                                                  pLinea->AsInteger(), codigo));
        tCodigo->setAsInteger(codigo);
        tNombre->setAsString(nombre);
        tMatricula->setAsInteger(eMatricula->AsInteger());
        for (const CampoCopia& c : textos) c.destino->setAsString(c.origen->AsString());
        tDuracion->setAsFloat(pDuracion->AsFloat());
        CopiarFecha(pInicio, tInicio);
        CopiarFecha(pFinal, tFinal);
        tRevision->setAsInteger(revision);
        if (realizado == QLatin1String("SI")) {
            tValAlumno->setAsString(pValAlumno->AsString());
            tValJefe->setAsString(pValJefe->AsString());
        }
        relleno.Grabar();
    }
    PlanFormacion->CancelRange();
}
