#include "rrhh/rrqrlpla.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdlib>

#include "db/field.h"
#include "db/table.h"
#include "gene/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

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
    "/C/16/ValoracionAlumno/ftString/1/\r\n"
    "/C/17/ValoracionJefeSeccion/ftString/1/\r\n"
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
    PageHeader->setHeight(80);

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
        {"Necesidad fijada por", "NecesidadFijadaPor", 90, false},
        {"Int/Ext.", "Tipo", 45, false},
        {"Impartido", "Impartido", 80, false},
        {"Duración(H)", "Duracion", 50, false},
        {"Fecha Inicio", "FechaInicio", 62, true},
        {"Fecha Final", "FechaFinal", 62, true},
        {"Realizado", "Realizado", 45, false},
        {"V.A.", "ValoracionAlumno", 28, false},
        {"V.J.S.", "ValoracionJefeSeccion", 30, false},
        {"R.", "Revision", 25, false},
    };
    int left = 0, n = 1;
    for (const auto& c : columnas) {
        Titulo(QStringLiteral("QRLabel%1").arg(n), QString::fromUtf8(c.titulo), left, c.ancho);
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
QString Texto(TTable* t, const char* campo) {
    return t->FieldByName(QLatin1String(campo))->AsString();
}
void CopiarFecha(TTable* origen, TTable* destino, const char* campo) {
    TField* o = origen->FieldByName(QLatin1String(campo));
    if (!o->IsNull()) destino->FieldByName(QLatin1String(campo))->setAsDateTime(o->AsDateTime());
}
}  // namespace

void TfRRQRLPLA::RellenarTemporal() {
    PlanFormacion->setIndexName(QString());
    PlanFormacion->SetRange({Ejercicio, DesdeOperario}, {Ejercicio, HastaOperario});
    PlanFormacion->First();
    // The contract and group tests ask the database: once per employee.
    QHash<int, bool> seleccion;
    for (; !PlanFormacion->Eof(); PlanFormacion->Next()) {
        QCoreApplication::processEvents();
        if (ListadoCancelado) break;
        const int codigo =
            PlanFormacion->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger();
        if (!Personal->FindKey({codigo})) continue;
        auto s = seleccion.find(codigo);
        if (s == seleccion.end())
            s = seleccion.insert(
                codigo, OperarioSeleccionado(codigo, Activos, NoActivos, RangosGruposAnalisis));
        if (!*s) continue;
        const QString tipo = Texto(PlanFormacion, "Tipo");
        if ((tipo == QLatin1String("Interno") && !Interno) ||
            (tipo == QLatin1String("Externo") && !Externo))
            continue;
        const QString realizado = Texto(PlanFormacion, "Realizado");
        if ((realizado == QLatin1String("SI") && !Realizados) ||
            (realizado == QLatin1String("NO") && !NoRealizados))
            continue;
        const int revision = PlanFormacion->FieldByName(QStringLiteral("Revision"))->AsInteger();
        if (!RevisionSeleccionada(revision, DesdeRevision, HastaRevision)) continue;
        const QString formacion = Texto(PlanFormacion, "CodigoFormacion");
        if (QString::compare(formacion, DesdeFormacion) < 0 ||
            QString::compare(formacion, HastaFormacion) > 0)
            continue;

        const QString nombre = Texto(Personal, "Nombre");
        const QString accion = Texto(PlanFormacion, "AccionFormativa");
        const int linea = PlanFormacion->FieldByName(QStringLiteral("Linea"))->AsInteger();
        Temporal->Append();
        Temporal->FieldByName(QStringLiteral("Clasificacion"))
            ->setAsString(Clasificacion(PorAccionFormativa, accion, nombre, linea, codigo));
        Temporal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(codigo);
        Temporal->FieldByName(QStringLiteral("Nombre"))->setAsString(nombre);
        Temporal->FieldByName(QStringLiteral("NumeroMatricula"))
            ->setAsInteger(Personal->FieldByName(QStringLiteral("NumeroMatricula"))->AsInteger());
        for (const char* campo :
             {"Departamento", "Imputacion", "AccionFormativa", "NecesidadFijadaPor",
              "TituloObtenido", "Tipo", "Impartido", "Realizado"})
            Temporal->FieldByName(QLatin1String(campo))->setAsString(Texto(PlanFormacion, campo));
        Temporal->FieldByName(QStringLiteral("Duracion"))
            ->setAsFloat(PlanFormacion->FieldByName(QStringLiteral("Duracion"))->AsFloat());
        CopiarFecha(PlanFormacion, Temporal, "FechaInicio");
        CopiarFecha(PlanFormacion, Temporal, "FechaFinal");
        Temporal->FieldByName(QStringLiteral("Revision"))->setAsInteger(revision);
        if (realizado == QLatin1String("SI")) {
            Temporal->FieldByName(QStringLiteral("ValoracionAlumno"))
                ->setAsString(Texto(PlanFormacion, "ValoracionAlumno"));
            Temporal->FieldByName(QStringLiteral("ValoracionJefeSeccion"))
                ->setAsString(Texto(PlanFormacion, "ValoracionJefeSeccion"));
        }
        try {
            Temporal->Post();
        } catch (...) {
            Temporal->Cancel();
        }
    }
    PlanFormacion->CancelRange();
}
