// The personnel master's photo, electronic documents and the windows it
// opens for the current employee. Windows that are not in the program yet
// (contract documents, employee calendar, personnel sheet, evaluation) are
// opened by class name and do nothing while their class is not registered.

#include <QDate>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genevdet.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "nomina/nomilcon.h"
#include "rrhh/rrhhfoto.h"
#include "rrhh/rrhhpers.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

using namespace rrhhpers;

namespace {

// Creates a window of a class that may not be in the program yet.
TForm* CrearSiExiste(const char* clase) {
    if (!FormClassRegistered(QLatin1String(clase))) return nullptr;
    return CreateForm(QLatin1String(clase));
}

}  // namespace

QString TfRRHHPERS::ClaveFoto() {
    if (Table1->State() == dsInsert) return QString::number(CodigoActual());
    if (!Table1->Active() || Table1->IsEmpty()) return QString();
    return Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsString();
}

void TfRRHHPERS::pbDocumentacionElectronicaClick(QObject*) {
    if (!ReservarCodigoAlta()) return;
    DocumentacionElectronica(ModuloDatos, QLatin1String(kPersonal), EditCodigoOperario->Text(),
                             Table1->RowAsRead());
}

void TfRRHHPERS::AbrirContratos(bool Directamente) {
    // Both openers check the right of the direct print.
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual, QStringLiteral("Listado de Contratos"),
                        nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    RegistrarTfNOMILCON();
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfNOMILCON"), f, QStringLiteral("Create"),
                    QStringLiteral("fNOMILCON"));
    if (!f) return;
    const QVariant fecha =
        HContrato->Active() && !HContrato->IsEmpty()
            ? HContrato->FieldByName(QStringLiteral("FechaInicioContrato"))->Value()
            : QVariant();
    for (const char* p : {"OperarioDesdeContratos", "OperarioHastaContratos"})
        f->setProperty(p, CodigoActual());
    for (const char* p : {"FechaDesdeContratos", "FechaHastaContratos"}) f->setProperty(p, fecha);
    f->setProperty("ImprimirDirectamenteContratos", Directamente);
}

void TfRRHHPERS::ImprimirConDialogoClick(QObject*) {
    AbrirContratos(false);
}

void TfRRHHPERS::pbImprimirClick(QObject*) {
    AbrirContratos(true);
}

void TfRRHHPERS::CalendarioOperarioClick(QObject*) {
    if (!Table1->Active() || Table1->IsEmpty()) return;
    const int calendario = Table1->FieldByName(QStringLiteral("CodigoCalendario"))->AsInteger();
    if (calendario == 0) {
        MensajeAdvertencia(QStringLiteral("¡El Operario no tiene Calendario asignado!"));
        return;
    }
    if (TForm* f = CrearSiExiste("TfRRHHCAOP")) {
        f->setProperty("CodigoOperarioCalendario",
                       CodigoOperarioPresencia(ModuloDatos, CodigoActual()));
        f->setProperty("EjercicioCalendario", QDate::currentDate().year());
        f->setProperty("MesCalendario", QDate::currentDate().month());
        f->setProperty("CodigoCalendarioOperario", calendario);
    }
}

void TfRRHHPERS::ImprimirFichaClick(QObject*) {
    if (TForm* f = CrearSiExiste("TfRRHHLFIC")) {
        f->setProperty("OperarioDesdeFicha", CodigoActual());
        f->setProperty("OperarioHastaFicha", CodigoActual());
        f->setProperty("ImprimirDirectamenteFicha", false);
    }
}

void TfRRHHPERS::AccesoEvaluacionClick(QObject* Sender) {
    const bool puesto = Sender == AccesoEvaluacionPuesto;
    const QString tipo = puesto ? QStringLiteral("Puesto") : QStringLiteral("Formacion");
    TTable* linea = puesto ? HPuesto : HFormacion;
    if (!linea->Active() || linea->IsEmpty()) return;
    const QString codigo = linea
                               ->FieldByName(puesto ? QStringLiteral("CodigoPuesto")
                                                    : QStringLiteral("CodigoFormacion"))
                               ->AsString();
    // An evaluation is never made for a line without a code.
    if (codigo.isEmpty()) return;
    const int operario = CodigoActual();
    int evaluaciones = 0;
    try {
        evaluaciones = ValorConParametros(QStringLiteral("SELECT COUNT(*) FROM EVLCION WHERE "
                                                         "CodigoOperario = :o AND Tipo = :t AND "
                                                         "Codigo = :c"),
                                          {operario, tipo, codigo})
                           .toInt();
    } catch (const EDatabaseError& e) {
        // A company that never opened the evaluation window has no table yet:
        // no evaluations; the window creates it when it opens.
        if (e.code() != DbError::TableNotFound) return;
    } catch (const std::exception&) {
        return;
    }
    QDateTime fecha(QDate::currentDate(), QTime(0, 0));
    if (evaluaciones == 0) {
        if (MensajeConfirmacion(QStringLiteral("Este operario no tiene registro de evaluaciones!, "
                                               "Desea crear una nueva?")) != QLatin1String("SI"))
            return;
        PedirFecha(QStringLiteral("Introduzca la fecha de evaluación: "), fecha);
    }
    if (!FormClassRegistered(QStringLiteral("TfRRHHEVAL"))) return;
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHEVAL"), f, QString(),
                    QStringLiteral("fRRHHEVAL"));
    auto* tabla = f ? f->findChild<TTable*>(QStringLiteral("Table1")) : nullptr;
    if (!tabla) return;
    if (evaluaciones == 0) {
        tabla->Insert();
        tabla->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(operario);
        tabla->FieldByName(QStringLiteral("Tipo"))->setAsString(tipo);
        tabla->FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
        tabla->FieldByName(QStringLiteral("FechaEvaluacion"))->setAsDateTime(fecha);
        tabla->Post();
        QString niveles;
        EjecutarSQL(ModuloDatos,
                    QStringLiteral("SELECT COUNT(DISTINCT(Nivel)) FROM CRITEVAL WHERE  Tipo = ") +
                        ValorSQL(tipo) + QStringLiteral(" AND  Codigo = ") + ValorSQL(codigo),
                    QStringLiteral("Database"), QString(), niveles);
        if (niveles.trimmed() == QLatin1String("1"))
            QMetaObject::invokeMethod(f, "pbImportarCriteriosClick", Q_ARG(QObject*, f));
        if (QWidget* w = f->findChild<QWidget*>(QStringLiteral("EditCodigoOPerarioEvaluador")))
            w->setFocus();
    } else {
        tabla->SetRange({operario, tipo, codigo}, {operario, tipo, codigo});
        tabla->Last();
    }
}

void TfRRHHPERS::pbVerHistoricoEvaluacionesClick(QObject* Sender) {
    const bool puesto = Sender == pbVerHistoricoEvaluacionesPuesto;
    const QString codigo = QString::number(CodigoActual());
    TfGENEVDET visor;
    visor.setCaption(QStringLiteral("Evaluaciones Operario: ") + codigo);
    visor.DBGrid1->setDataSource(nullptr);
    visor.DBGrid1->Columns().Clear();
    visor.QueryDetalle->Close();
    visor.QueryDetalle->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    visor.QueryDetalle->SQL().Clear();
    if (puesto) {
        DefinirColumnasRejilla(ModuloDatos,
                               QStringLiteral("FechaEvaluación,FechaEvaluacion,100\r\nPuesto,"
                                              "Descripcion,300\r\nValoración,Valoracion,100"),
                               visor.DBGrid1);
        visor.QueryDetalle->SQL().Add(
            QStringLiteral(
                "SELECT FechaEvaluacion, PUESTO.Descripcion, Valoracion  FROM EVLCION "
                "JOIN PUESTO ON EVLCION.Codigo = PUESTO.Codigo  WHERE CodigoOperario = ") +
            codigo + QStringLiteral(" AND EVLCION.Tipo = 'Puesto'  ORDER BY FechaEvaluacion "));
    } else {
        DefinirColumnasRejilla(
            ModuloDatos,
            QStringLiteral("FechaEvaluación,FechaEvaluacion,100\r\nFormación,Codigo,100\r\nTipo,"
                           "Tipo,100\r\nDescripcion,Descripcion,300\r\nValoración,Valoracion,100"),
            visor.DBGrid1);
        visor.QueryDetalle->SQL().Add(
            QStringLiteral("SELECT FechaEvaluacion, FORMCION.Codigo, FORMCION.Tipo, "
                           "FORMCION.Descripcion, Valoracion  FROM EVLCION JOIN FORMCION ON "
                           "EVLCION.Codigo = FORMCION.Codigo  WHERE CodigoOperario = ") +
            codigo + QStringLiteral(" AND EVLCION.Tipo = 'Formacion'  ORDER BY FechaEvaluacion "));
    }
    if (!AbrirConsulta(ModuloDatos, visor.QueryDetalle, QString())) return;
    visor.DataSource1->setDataSet(visor.QueryDetalle);
    visor.DBGrid1->setDataSource(visor.DataSource1);
    visor.ShowModal();
}
