// The personnel master's processes: calculated fields, the employee delete
// with everything that hangs on him, bulk assignments and leave bases.

#include <QDate>

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/mensajes.h"
#include "gene/listings/genecpro.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhpers.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

using namespace rrhhpers;

namespace {

QString Elemento(const QVariant& datos, int i) {
    const QVariantList l = datos.toList();
    return i < l.size() ? l.at(i).toString() : QString();
}

void Poner(TDataSet* d, const char* campo, const QString& valor) {
    if (TField* f = d->FindField(QLatin1String(campo))) f->setAsString(valor);
}

QString Texto(TDataSet* d, const char* campo) {
    TField* f = d->FindField(QLatin1String(campo));
    return f ? f->AsString() : QString();
}

bool FechaCero(const QDateTime& f) {
    return !f.isValid() || f.date() <= QDate(1899, 12, 30);
}

}  // namespace

void TfRRHHPERS::Table1CalcFields(TDataSet* DataSet) {
    QVariant datos;
    BuscarDatosClave(ModuloDatos, QStringLiteral("ENTIDAD"),
                     Texto(DataSet, "CodigoBanco") + ';' + Texto(DataSet, "CodigoSucursal"), datos,
                     QStringLiteral("NombreEntidad;NombreSucursal;Poblacion"));
    Poner(DataSet, "NombreEntidad", Elemento(datos, 0));
    Poner(DataSet, "NombreSucursal", Elemento(datos, 1));
    BuscarDatosClave(ModuloDatos, QStringLiteral("ENTIDAD"),
                     Texto(DataSet, "CodigoEntidad2") + ';' + Texto(DataSet, "CodigoSucursal2"),
                     datos, QStringLiteral("NombreEntidad;NombreSucursal;Poblacion"));
    Poner(DataSet, "NombreEntidad2", Elemento(datos, 0));
    Poner(DataSet, "NombreSucursal2", Elemento(datos, 1));
    BuscarDatosClave(ModuloDatos, QStringLiteral("PAIS"), Texto(DataSet, "CodigoPais"), datos,
                     QStringLiteral("Nombre"));
    Poner(DataSet, "NombrePais", Elemento(datos, 0));
    Poner(DataSet, "Activo", QStringLiteral("SI"));
    Poner(DataSet, "FechaInicioUltimoContrato", QString());
    Poner(DataSet, "FechaFinalUltimoContrato", QString());
    const QString codigo = Texto(DataSet, "CodigoOperario");
    if (codigo.isEmpty()) return;
    // The last contract by start date and number (the engine's row order
    // would otherwise decide).
    try {
        TQuery q;
        q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        q.SQL().Add(QStringLiteral(
            "SELECT FechaInicioContrato, FechaFinalContrato FROM HCONTRAT WHERE CodigoOperario = "
            ":c ORDER BY FechaInicioContrato DESC, NumeroContrato DESC"));
        q.ParamByName(QStringLiteral("c"))->setValue(codigo.toInt());
        q.Open();
        if (q.IsEmpty()) return;
        TField* inicio = q.Fields().Fields(0);
        TField* fin = q.Fields().Fields(1);
        // An open contract's zero end date shows empty, as every empty date.
        const QDateTime final = fin->AsDateTime();
        Poner(DataSet, "FechaInicioUltimoContrato",
              FechaCero(inicio->AsDateTime()) ? QString() : inicio->AsString());
        Poner(DataSet, "FechaFinalUltimoContrato", FechaCero(final) ? QString() : fin->AsString());
        if (!FechaCero(final) && QDate::currentDate() > final.date())
            Poner(DataSet, "Activo", QStringLiteral("NO"));
    } catch (const std::exception&) {
        // A table that cannot be read leaves the employee active.
    }
}

void TfRRHHPERS::HPuestoCalcFields(TDataSet* DataSet) {
    Poner(DataSet, "Nivel", QString());
    const QString puesto = Texto(DataSet, "CodigoPuesto");
    const QString codigo = Texto(DataSet, "CodigoOperario");
    if (puesto.isEmpty() || codigo.isEmpty() ||
        Texto(DataSet, "NombreTabla") != QLatin1String(kPersonal))
        return;
    try {
        // The latest score, then the level of the lowest target not below it.
        const double valoracion =
            ValorConParametros(QStringLiteral("SELECT Valoracion FROM EVLCION WHERE "
                                              "CodigoOperario = :c AND Tipo = 'Puesto' AND "
                                              "Codigo = :p ORDER BY FechaEvaluacion DESC"),
                               {codigo.toInt(), puesto})
                .toDouble();
        if (EsCero(valoracion)) return;
        Poner(DataSet, "Nivel",
              ValorConParametros(QStringLiteral("SELECT Nivel FROM CICLOCAP WHERE Codigo = :p "
                                                "AND Tipo = 'Puesto' AND Objetivo >= :v "
                                                "ORDER BY Objetivo"),
                                 {puesto, valoracion})
                  .toString());
    } catch (const std::exception&) {
        // No level when the tables cannot be read.
    }
}

const QList<TablaLineasAlta>& rrhhpers::HistoricosOperario() {
    static const QString personal = QStringLiteral("NombreTabla='PERSONAL'");
    static const QList<TablaLineasAlta> tablas = {
        {QStringLiteral("HCONTRAT"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("HBONIFIC"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("CONCOPER"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("BAJA"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("HPUESTO"), QStringLiteral("CodigoOperario"), personal},
        {QStringLiteral("HFORMACI"), QStringLiteral("CodigoOperario"), personal},
        {QStringLiteral("EVLCION"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("LEVLCION"), QStringLiteral("CodigoOperario"), QString()},
    };
    return tablas;
}

namespace {

// What only an employee has, besides his history: his training plan,
// calendar days and incidences and capability ratings. None of these tables
// holds candidates. Left behind they would read as the next holder's of
// his code.
const QList<TablaLineasAlta>& DatosPropiosOperario() {
    static const QList<TablaLineasAlta> tablas = {
        {QStringLiteral("PLANFORM"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("CALENOPE"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("INCCALOP"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("MATRCAPA"), QStringLiteral("CodigoOperario"), QString()},
        {QStringLiteral("MATRMAQU"), QStringLiteral("CodigoOperario"), QString()},
    };
    return tablas;
}

// Whether payslips of the employee are stored (a company without the
// payroll tables has none).
bool TieneNominas(int Codigo) {
    for (const char* tabla : {"NOMINA", "LNOMINA"}) {
        try {
            if (ValorConParametros(QStringLiteral("SELECT CodigoOperario FROM ") +
                                       QLatin1String(tabla) +
                                       QStringLiteral(" WHERE CodigoOperario = :c"),
                                   {Codigo})
                    .isValid())
                return true;
        } catch (const EDatabaseError& e) {
            if (e.code() != DbError::TableNotFound) throw;
        }
    }
    return false;
}

}  // namespace

bool TfRRHHPERS::EliminarDependientes(int Codigo) {
    return EliminarHistoricos(HistoricosOperario(), Codigo) &&
           EliminarHistoricos(DatosPropiosOperario(), Codigo);
}

void TfRRHHPERS::Table1BeforeDelete(TDataSet*) {
    const int codigo = Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger();
    // A user may not delete an employee he may not see.
    if (MDNominas && !MDNominas->OperarioAccesible(CodigoUsuarioActual, codigo,
                                                   QStringLiteral("Mostrar Mensaje")))
        Abort();
    // His payslips would attach to the next holder of the code; they are
    // never removed from here.
    if (TieneNominas(codigo)) {
        MensajeAdvertencia(
            QStringLiteral("¡ No se puede eliminar el operario: tiene nóminas grabadas !"));
        Abort();
    }
    BorrarConDependientes(codigo, BorrandoOperario, false);
}

namespace {

struct Asignacion {
    const char* pregunta;
    const char* peticion;
    const char* etiqueta;
    const char* campo;
    char tipo;  // 'R' real, 'E' whole number, 'F' date
};

const Asignacion kAsignaciones[] = {
    {"Este proceso asigna las Horas del Mes Actual. ¿Está seguro de continuar?",
     "Introduzca el número de Horas: ", "Número de Horas", "HorasMesActual", 'R'},
    {"Este proceso asigna los Días No Retribuidos Cotizables. ¿Está seguro de continuar?",
     "Introduzca el número de Días: ", "Número de Días", "DiasNoRetribuidos", 'E'},
    {"Este proceso asigna los Días No Retribuidos No Cotizables. ¿Está seguro de continuar?",
     "Introduzca el número de Días: ", "Número de Días", "DiasNoRetribuidosNoCotiza", 'E'},
    {"Este proceso asigna los Días de Regulación de Empleo. ¿Está seguro de continuar?",
     "Introduzca el número de Días: ", "Número de Días", "DiasRegulacion", 'E'},
    {"Este proceso asigna la Fecha de Huelga. ¿Está seguro de continuar?",
     "Introduzca la fecha: ", "Fecha de Huelga", "FechaHuelga", 'F'},
    {"Este proceso asigna el Tipo de Previsión Social Voluntaria. ¿Está seguro de continuar?",
     "Introduzca el Tipo de Previsión Social Voluntaria",
     "Tipo Previsión Social Voluntaria Operario", "TipoPSVOperario", 'R'},
};

}  // namespace

void TfRRHHPERS::AsignacionMasiva(int Proceso) {
    const Asignacion& a = kAsignaciones[Proceso];
    if (MensajeConfirmacion(QString::fromUtf8(a.pregunta)) == QLatin1String("NO")) return;
    const QString respuesta = MensajePeticion(QString::fromUtf8(a.peticion), QString());
    // A cancelled prompt changes nothing (an empty answer given with OK
    // still clears the date).
    if (PeticionCancelada()) return;
    const QString etiqueta = QString::fromUtf8(a.etiqueta);
    QVariant valor;
    if (a.tipo == 'F') {
        if (respuesta.isEmpty()) {
            valor = QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        } else {
            if (!ValidarFecha(respuesta, etiqueta)) return;
            QDateTime fecha;
            TryStrToDateTime(respuesta, fecha);
            valor = fecha;
        }
    } else {
        const bool valido =
            a.tipo == 'E' ? ValidarEntero(respuesta, etiqueta) : ValidarReal(respuesta, etiqueta);
        if (!valido) return;
        valor = StrToFloat(respuesta);
    }
    TCursorEspera espera;
    const TBookmark marca = Table1->GetBookmark();
    int excluidos = 0;
    Table1->First();
    while (!Table1->Eof()) {
        // An employee the user may not see is not changed either.
        if (!OperarioAccesibleActual(
                Table1->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger())) {
            ++excluidos;
            Table1->Next();
            continue;
        }
        try {
            Table1->Edit();
            Table1->FieldByName(QLatin1String(a.campo))->setValue(valor);
            Table1->Post();
        } catch (const std::exception&) {
            Table1->Cancel();
            MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el operario!"));
        }
        Table1->Next();
    }
    try {
        Table1->GotoBookmark(marca);
    } catch (const std::exception&) {
    }
    if (excluidos > 0) MensajeInformacion(AvisoOperariosNoAccesibles(excluidos));
}

void TfRRHHPERS::ListadoProgramable1Click(QObject* Sender) {
    // The listing prints what the hidden pages hold: it keeps to the
    // employees the user may see.
    QStringList barrados;
    if (MDNominas) {
        try {
            TQuery q;
            q.setRequestLive(false);
            q.setDatabaseName(Table1->DatabaseName());
            q.SQL().setText(QStringLiteral("SELECT CodigoOperario FROM ") + Table1->TableName());
            q.Open();
            for (TField* codigo = q.Fields()[0]; !q.Eof(); q.Next())
                if (!OperarioAccesibleActual(codigo->AsInteger())) barrados << codigo->AsString();
        } catch (const EDatabaseError& e) {
            MensajeAdvertencia(QStringLiteral("¡ No se ha podido realizar el listado !. Motivo: ") +
                               e.Message());
            return;
        }
    }
    if (barrados.isEmpty()) {
        TFichaPersona::ListadoProgramable1Click(Sender);
        return;
    }
    const TRestriccionListado restriccion(
        QStringLiteral("CodigoOperario IS NULL OR CodigoOperario NOT IN (") +
            barrados.join(QLatin1Char(',')) + QLatin1Char(')'),
        kOperariosNoAccesibles);
    TFichaPersona::ListadoProgramable1Click(Sender);
}

void TfRRHHPERS::AsignarHorasMesActual1Click(QObject*) {
    AsignacionMasiva(0);
}
void TfRRHHPERS::AsignarDasNoRetribuidosCotizables1Click(QObject*) {
    AsignacionMasiva(1);
}
void TfRRHHPERS::AsignarDasNoRetribuidosNoCotizables1Click(QObject*) {
    AsignacionMasiva(2);
}
void TfRRHHPERS::AsignarDasdeRegulacin1Click(QObject*) {
    AsignacionMasiva(3);
}
void TfRRHHPERS::AsignarFechaHuelga1Click(QObject*) {
    AsignacionMasiva(4);
}
void TfRRHHPERS::Asignar1Click(QObject*) {
    AsignacionMasiva(5);
}

void TfRRHHPERS::DBGrid3DblClick(QObject*) {
    if (HContrato->Active()) HContrato->Last();
    if (!MDNominas || !Baja->Active() || Baja->IsEmpty()) return;
    TField* seleccionado = DBGrid3->SelectedField();
    if (!seleccionado) return;
    const QString columna = seleccionado->FieldName();
    const int codigo = CodigoActual();
    const QDateTime fecha = Baja->FieldByName(QStringLiteral("FechaInicio"))->AsDateTime();
    auto campo = [this](const char* n) { return Baja->FieldByName(QLatin1String(n)); };
    if (columna == QLatin1String("MediaHE")) {
        Baja->Edit();
        campo("MediaHE")->setAsFloat(MDNominas->MediaHorasExtra(codigo, fecha));
        Baja->Post();
    } else if (columna == QLatin1String("BaseReguladoraSS")) {
        Baja->Edit();
        const double base = MDNominas->BaseReguladoraCC(codigo, fecha);
        campo("BaseReguladoraSS")->setAsFloat(MDNominas->RedondeoMoneda(base * 100 / 100));
        Baja->Post();
    } else if (columna == QLatin1String("BaseReguladoraAT")) {
        Baja->Edit();
        double base = MDNominas->BaseReguladoraAT(codigo, fecha) + campo("MediaHE")->AsFloat();
        base = MDNominas->RedondeoMoneda(base * 100 / 100);
        const double tope = MDNominas->RedondeoMoneda(
            MDNominas->RedondeoMoneda(MDNominas->ValorBasePorColectivo(codigo, QString(), fecha) /
                                      30) *
            100 / 100);
        // Without a group value there is no ceiling.
        if (tope > 0 && base >= tope) base = tope;
        campo("BaseReguladoraAT")->setAsFloat(base);
        Baja->Post();
    }
}
