// The payroll data module: its tables and routines.

#include "nomina/nomimodu.h"

#include <QDate>
#include <QPair>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <cmath>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "nomina/contmodu.h"
#include "nomina/efecmodu.h"
#include "nomina/modulos_p.h"
#include "nomina/nomicale.h"

TMDNominas* MDNominas = nullptr;

namespace {

const QString kSinNominaAnterior =
    QStringLiteral("¡ No existe nómina del mes anterior de la baja !");

double real(TDataSet* d, const char* campo) {
    return d->FieldByName(QLatin1String(campo))->AsFloat();
}
int entero(TDataSet* d, const char* campo) {
    return d->FieldByName(QLatin1String(campo))->AsInteger();
}
QString texto(TDataSet* d, const char* campo) {
    return d->FieldByName(QLatin1String(campo))->AsString();
}
QDate fecha(TDataSet* d, const char* campo) {
    const QDateTime v = d->FieldByName(QLatin1String(campo))->AsDateTime();
    return IsZeroDate(v) ? QDate() : v.date();
}

// The month before the one of the date (January gives December before).
void mesAnterior(const QDateTime& Fecha, int& Ano, int& Mes) {
    const QDate d = QDate(Fecha.date().year(), Fecha.date().month(), 1).addMonths(-1);
    Ano = d.year();
    Mes = d.month();
}

// Nomina in payroll order limited to the payrolls of one employee and month.
void rangoNominasMes(TTable* Nomina, int CodigoOperario, int Ano, int Mes) {
    Nomina->setIndexFieldNames(QStringLiteral("CodigoOperario;Ano;Mes;TipoNomina"));
    Nomina->CancelRange();
    Nomina->SetRange({CodigoOperario, Ano, Mes}, {CodigoOperario, Ano, Mes});
}

// A payroll whose contract has a reduced working day does not count its
// regulation days (they are already part of the reduced contract).
bool regulacionReducida(TTable* HContrato, TDataSet* Nomina) {
    if (entero(Nomina, "DiasRegulacion") == 0) return false;
    const QVariant reduccion = HContrato->Lookup(
        QStringLiteral("CodigoOperario;NumeroContrato"),
        QVariantList{entero(Nomina, "CodigoOperario"), entero(Nomina, "NumeroContrato")},
        QStringLiteral("PorcentajeReduccionJornad"));
    return reduccion.isValid() && !reduccion.isNull() && reduccion.toDouble() != 0;
}

int diasAltaYBajas(TDataSet* Nomina) {
    return entero(Nomina, "DiasDeAlta") + entero(Nomina, "DiasILTEnfermedad") +
           entero(Nomina, "DiasILTAccidente") + entero(Nomina, "DiasILTMaternidad");
}

// Data fields of an open table declared as persistent, so that calculated
// fields can be added beside them; the table is left closed.
void declararCamposPersistentes(TTable* Tabla) {
    Tabla->UpdateFieldDefs();
    QList<TFieldDef> defs(Tabla->FieldDefs().begin(), Tabla->FieldDefs().end());
    Tabla->Close();
    for (const TFieldDef& d : defs) Tabla->AddField(d.Name, d.DataType, d.Size);
}

}  // namespace

TMDNominas::TMDNominas(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("MDNominas"));
    if (!::MDNominas) ::MDNominas = this;

    Parametros = TablaModulo(this, "Parametros", "PARANOMI");
    Calendario = TablaModulo(this, "Calendario", "CALENDAR");
    Personal = TablaModulo(this, "Personal", "PERSONAL");
    Baja = TablaModulo(this, "Baja", "BAJA");
    Base = TablaModulo(this, "Base", "BASE");
    Nomina = TablaModulo(this, "Nomina", "NOMINA");
    LNomina = TablaModulo(this, "LNomina", "LNOMINA");
    Contrato = TablaModulo(this, "Contrato", "CONTRATO");
    HContrato = TablaModulo(this, "HContrato", "HCONTRAT");
    HBonificacion = TablaModulo(this, "HBonificacion", "HBONIFIC");
    Concoper = TablaModulo(this, "Concoper", "CONCOPER");
    Baja->OnCalcFields = [this](TDataSet* d) { BajaCalcFields(d); };

    ModuloDatosCreate();
}

TMDNominas::~TMDNominas() {
    if (::MDNominas == this) ::MDNominas = nullptr;
}

void TMDNominas::ModuloDatosCreate() {
    const QList<TTable*> tablas = findChildren<TTable*>(QString(), Qt::FindDirectChildrenOnly);
    if (MotorActual() == Engine::SqlServer) {
        TCursorEspera espera;
        for (TTable* t : tablas) {
            if (t->TableName().isEmpty()) continue;
            QString fisico;
            NombreTablaFisico(ModuloDatos, t->TableName(), fisico);
            t->setTableName(fisico);
        }
    }
    TfGENEINIC* sesion = fGENEINIC ? fGENEINIC : CrearSesion();
    AbrirTablasFormulario(sesion, this);

    // The leave's type is calculated: the stored columns become persistent
    // fields so that it can stand beside them.
    if (Baja->Active() && !Baja->FindField(QStringLiteral("TipoBaja"))) {
        declararCamposPersistentes(Baja);
        Baja->AddField(QStringLiteral("TipoBaja"), ftString, 20, fkCalculated);
        AbrirTabla(sesion, Baja);
    }

    TCursorEspera espera;
    for (TTable* t : tablas)
        for (TField* campo : t->Fields()) AplicarFormatoCampo(sesion, campo);
}

void TMDNominas::BajaCalcFields(TDataSet* DataSet) {
    TField* tipo = DataSet->FindField(QStringLiteral("TipoBaja"));
    if (!tipo) return;
    tipo->setAsString(QString());
    TQuery consulta;
    consulta.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    consulta.SQL().Add(QStringLiteral("SELECT * FROM TSUBSDIO   WHERE Codigo = ") +
                       Entrecomillar(texto(DataSet, "CodigoBaja")));
    if (AbrirConsulta(ModuloDatos, &consulta, QStringLiteral("Open Silencio")) &&
        !consulta.IsEmpty())
        tipo->setAsString(texto(&consulta, "TipoBaja"));
}

int TMDNominas::DiasCalendario(const QString& TipoDia, int CodigoCalendario,
                               const QDateTime& FechaDesde, const QDateTime& FechaHasta) {
    // The column that must hold the value for a day to count; none counts
    // every day of the calendar.
    int columna = -1;
    QString valor = QStringLiteral("SI");
    if (TipoDia == QLatin1String("Naturales")) {
    } else if (TipoDia == QLatin1String("Trabajados")) {
        columna = 0;
    } else if (TipoDia == QLatin1String("Laborables")) {
        columna = 1;
        valor = QStringLiteral("NO");
    } else if (TipoDia == QLatin1String("Festivos")) {
        columna = 1;
    } else if (TipoDia == QLatin1String("Vacaciones")) {
        columna = 2;
    } else {
        return 0;
    }
    // One prepared statement: the company certificates ask this for every
    // employee they walk, and a range on the module's table reread it.
    TDatabase* base = BaseCalendarios();
    QSqlQuery& q = base->Prepared(
        QStringLiteral("SELECT EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones FROM CALENDAR WHERE "
                       "Codigo = ? AND Fecha >= ? AND Fecha <= ?"));
    const QVariantList limites = LimitesDias(base, FechaDesde.date(), FechaHasta.date());
    q.bindValue(0, CodigoCalendario);
    q.bindValue(1, limites[0]);
    q.bindValue(2, limites[1]);
    base->Run(q);
    int dias = 0;
    while (q.next())
        if (columna < 0 || q.value(columna).toString() == valor) ++dias;
    q.finish();
    return dias;
}

void TMDNominas::PosicionarBaseVigente(TTable* Tabla, int Ano, int Mes) {
    if (DataSetVacio(ModuloDatos, Tabla)) {
        MensajeAdvertencia(QStringLiteral("¡No hay registros de bases definidos!"));
        return;
    }
    const QDate limite(Ano, Mes, 1);
    Tabla->Last();
    while (fecha(Tabla, "FechaVigencia") > limite) {
        if (Tabla->Bof()) {
            Tabla->First();
            break;
        }
        Tabla->Prior();
    }
}

double TMDNominas::ValorBasePorColectivo(int CodigoOperario, const QString& Colectivo,
                                         const QDateTime& Fecha) {
    double resultado = 0;
    if (!Base->IsEmpty()) {
        Base->Last();
        while (fecha(Base, "FechaVigencia") > Fecha.date()) {
            if (Base->Bof()) {
                Base->First();
                break;
            }
            Base->Prior();
        }
    }
    Personal->setIndexName(QString());
    if (!Personal->FindKey({CodigoOperario})) return 0;
    const QString tipo = texto(Personal, "TipoOperario");
    if (!Base->IsEmpty()) {
        if (tipo == QLatin1String("Mayor 18"))
            resultado = real(Base, "BaseMaximoTrabajadoresMas18");
        else if (tipo == QLatin1String("Menor 18"))
            resultado = real(Base, "BaseMaximoTrabajadoresMenos18");
    }
    // The employee's own limit wins over the general one.
    const QString maximo = Personal->FieldByName(QStringLiteral("MaximoATEP"))->DisplayText();
    if (!maximo.isEmpty() && maximo != QLatin1String("0")) resultado = real(Personal, "MaximoATEP");
    if (Colectivo == QLatin1String("Autonomo")) resultado = 0;
    return resultado;
}

double TMDNominas::BaseReguladoraCC(int CodigoOperario, const QDateTime& FechaBaja) {
    const bool ultimaNomina = texto(Parametros, "BaseReguladoraUltNomina") == QLatin1String("SI");
    int ano, mes;
    mesAnterior(FechaBaja, ano, mes);
    rangoNominasMes(Nomina, CodigoOperario, ano, mes);
    if (Nomina->IsEmpty()) {
        MensajeInformacion(kSinNominaAnterior);
        Nomina->CancelRange();
        return 0;
    }
    double base = 0;
    int dias = 0;
    for (Nomina->First(); !Nomina->Eof(); Nomina->Next()) {
        const bool reducida = regulacionReducida(HContrato, Nomina);
        const QString tipo = texto(Nomina, "TipoNomina");
        const QString tipo9 = tipo.left(9);
        if (tipo9 == QLatin1String("Finiquito") || tipo9 == QLatin1String("Extra")) continue;
        if (tipo != QLatin1String("Atrasos")) {
            const int d = diasAltaYBajas(Nomina);
            dias = ultimaNomina ? d : dias + d;
        }
        if (!reducida) dias += entero(Nomina, "DiasRegulacion");
        const double b = real(Nomina, "BaseTarifa") + real(Nomina, "BaseRegulacionCC");
        base = ultimaNomina ? b : base + b;
    }
    Nomina->CancelRange();
    return dias == 0 ? 0 : RedondeoMoneda(base / dias);
}

double TMDNominas::MediaHorasExtra(int CodigoOperario, const QDateTime& FechaBaja) {
    const QDateTime desde = SumarMeses(FechaBaja, -12);
    const QDateTime hasta = SumarMeses(FechaBaja, -1);
    Nomina->setIndexFieldNames(QStringLiteral("CodigoOperario;Ano;Mes;TipoNomina"));
    Nomina->CancelRange();
    // Prefix bounds take in every payroll type of the first and last month.
    Nomina->SetRange({CodigoOperario, desde.date().year(), desde.date().month()},
                     {CodigoOperario, hasta.date().year(), hasta.date().month()});
    const QDate cambioEuro = fecha(Parametros, "FechaCambioEuro");
    double base = 0;
    int dias = 0;
    for (Nomina->First(); !Nomina->Eof(); Nomina->Next()) {
        const QString tipo = texto(Nomina, "TipoNomina");
        if (tipo == QLatin1String("Auxiliar")) continue;
        const QDate inicioMes(entero(Nomina, "Ano"), entero(Nomina, "Mes"), 1);
        const double horas = real(Nomina, "BaseHEE") + real(Nomina, "BaseHENE");
        // A payroll kept in the former national currency is converted first.
        if (!cambioEuro.isValid() || cambioEuro <= inicioMes)
            base = RedondeoMoneda(base + horas);
        else
            base = RedondeoMoneda(horas / 166.386) + base;
        if (tipo != QLatin1String("Atrasos") && tipo != QLatin1String("6"))
            dias += diasAltaYBajas(Nomina);
        if (!regulacionReducida(HContrato, Nomina)) dias += entero(Nomina, "DiasRegulacion");
    }
    Nomina->CancelRange();
    if (base == 0 || dias == 0) return 0;
    return RedondeoMoneda(base / dias);
}

double TMDNominas::BaseReguladoraAT(int CodigoOperario, const QDateTime& FechaBaja) {
    const bool ultimaNomina = texto(Parametros, "BaseReguladoraUltNomina") == QLatin1String("SI");
    int ano, mes;
    mesAnterior(FechaBaja, ano, mes);
    rangoNominasMes(Nomina, CodigoOperario, ano, mes);
    double base = 0;
    int dias = 0;
    const bool hayNominas = !Nomina->IsEmpty();
    if (!hayNominas) MensajeInformacion(kSinNominaAnterior);
    for (Nomina->First(); hayNominas && !Nomina->Eof(); Nomina->Next()) {
        bool sinRegulacion = false;
        if (entero(Nomina, "DiasRegulacion") != 0) {
            // Regulation days count only for a full (100 %) regulation.
            QString instrucciones;
            EjecutarSQL(
                ModuloDatos,
                QStringLiteral("SELECT Instrucciones FROM PERSONAL   WHERE CodigoOperario = ") +
                    QString::number(CodigoOperario),
                QStringLiteral("Database"), QString(), instrucciones);
            sinRegulacion = ValorParametro(QStringLiteral("%RegulacionEmpleo"), instrucciones) !=
                            QLatin1String("100");
        }
        const QString tipo = texto(Nomina, "TipoNomina");
        if (tipo == QLatin1String("Finiquito1")) continue;
        if (tipo != QLatin1String("Atrasos")) {
            const int d = diasAltaYBajas(Nomina);
            dias = ultimaNomina ? d : dias + d;
        }
        if (!sinRegulacion) dias += entero(Nomina, "DiasRegulacion");
        const double b = real(Nomina, "BaseATNormalizada") + real(Nomina, "BaseRegulacionAT");
        base = ultimaNomina ? b : base + b;
        const double maternidad =
            real(Nomina, "BaseILTMaternidad") + real(Nomina, "BaseILTMaternidadParcial");
        if ((real(Nomina, "BaseILTMaternidad") != 0 ||
             real(Nomina, "BaseILTMaternidadParcial") != 0) &&
            entero(Nomina, "DiasDeAlta") != 0)
            base = RedondeoMitadAbajo(base + maternidad);
    }
    const double resultado = (!hayNominas || dias == 0) ? 0 : RedondeoMoneda(base / dias);
    // Callers read the bases in force of that month afterwards.
    PosicionarBaseVigente(Base, ano, mes);
    Nomina->CancelRange();
    return resultado;
}

void TMDNominas::DiasCotizadosMes(int CodigoOperario, int AnoDesde, int MesDesde, int AnoHasta,
                                  int MesHasta, int& DiasPeriodo, int& DiasAlta,
                                  int& DiasNoRetribuidos, int& DiasNoRetribuidosNoCotiza,
                                  int& DiasRegulacion, int& DiasEnfermedad, int& DiasAccidente,
                                  int& DiasMaternidad, int& DiasVacaciones, int& DiasRegulacion2) {
    DiasPeriodo = DiasAlta = DiasNoRetribuidos = DiasNoRetribuidosNoCotiza = DiasRegulacion = 0;
    DiasEnfermedad = DiasAccidente = DiasMaternidad = DiasVacaciones = DiasRegulacion2 = 0;
    const QDate primero(AnoDesde, MesDesde, 1);
    const QDate ultimoMes(AnoHasta, MesHasta, 1);
    TDatabase* base = BaseDatosSelector(QStringLiteral("Database"));
    if (!base || !base->Connected()) return;
    // Four prepared statements a call, each read whole: the company
    // certificates ask this for every employee they walk, and going through
    // the module's tables (refreshed at each call) made that walk slow.
    const auto leer = [base](const QString& sql, const QVariantList& valores, auto&& fila) {
        QSqlQuery& q = base->Prepared(sql);
        for (int i = 0; i < valores.size(); ++i) q.bindValue(i, valores[i]);
        base->Run(q);
        while (q.next()) fila(q);
        q.finish();
    };
    // The day a start is known by; a payroll or contract without one goes
    // with the empty date.
    const auto dia = [](const QVariant& v) {
        const QDate d = TTableCursor::fromStorage(v, ftDate).toDate();
        return d.isValid() ? d : ZeroDate();
    };
    try {
        bool existe = false;
        QString cotizacion;
        leer(QStringLiteral("SELECT TipoCotizacion FROM PERSONAL WHERE CodigoOperario = ?"),
             {CodigoOperario}, [&](const QSqlQuery& q) {
                 existe = true;
                 cotizacion = q.value(0).toString();
             });
        if (!existe || !primero.isValid() || !ultimoMes.isValid()) return;
        if (cotizacion == QLatin1String("Mensual") || cotizacion == QLatin1String("Autonomo")) {
            const int meses = (AnoHasta * 12 + MesHasta) - (AnoDesde * 12 + MesDesde) + 1;
            DiasPeriodo = qMax(0, meses) * 30;
        } else {
            const QDate ultimo = ultimoMes.addDays(ultimoMes.daysInMonth() - 1);
            DiasPeriodo = qMax<qint64>(0, primero.daysTo(ultimo) + 1);
        }

        // The start days of the employee's contracts, and the contract
        // starts and years closed by a settlement with tax base.
        QSet<QDate> contratos;
        leer(QStringLiteral("SELECT FechaInicioContrato FROM HCONTRAT WHERE CodigoOperario = ? "
                            "AND FechaInicioContrato IS NOT NULL"),
             {CodigoOperario}, [&](const QSqlQuery& q) { contratos.insert(dia(q.value(0))); });
        QSet<QPair<QDate, int>> cerrados;
        leer(QStringLiteral("SELECT FechaInicioContrato, Ano FROM NOMINA WHERE CodigoOperario = ? "
                            "AND TipoNomina LIKE 'Finiquito%' AND BaseIRPF <> 0 AND "
                            "FechaInicioContrato IS NOT NULL"),
             {CodigoOperario}, [&](const QSqlQuery& q) {
                 cerrados.insert({dia(q.value(0)), q.value(1).toInt()});
             });

        bool seguir = true;
        leer(QStringLiteral("SELECT FechaInicioContrato, TipoNomina, Ano, Mes, CodigoContrato, "
                            "DiasDeAlta, DiasNoRetribuidos, DiasNoRetribuidosNoCotiza, "
                            "DiasRegulacion, DiasILTEnfermedad, DiasILTAccidente, "
                            "DiasILTMaternidad, DiasDeVacaciones FROM NOMINA WHERE "
                            "CodigoOperario = ? AND (Ano > ? OR (Ano = ? AND Mes >= ?)) AND "
                            "(Ano < ? OR (Ano = ? AND Mes <= ?)) ORDER BY Ano, Mes, TipoNomina"),
             {CodigoOperario, AnoDesde, AnoDesde, MesDesde, AnoHasta, AnoHasta, MesHasta},
             [&](const QSqlQuery& q) {
                 if (!seguir) return;
                 const QDate inicio = dia(q.value(0));
                 if (!contratos.contains(inicio)) {
                     MensajeAdvertencia(
                         QStringLiteral("¡No se ha podido encontrar el Contrato ") +
                         q.value(4).toString() + QStringLiteral(" de Fecha ") +
                         TField::TextOf(TTableCursor::fromStorage(q.value(0), ftDateTime),
                                        ftDateTime) +
                         QStringLiteral(" para el Operario ") + QString::number(CodigoOperario) +
                         QStringLiteral(" para el mes ") + q.value(3).toString());
                     // The days gathered so far are the answer.
                     seguir = false;
                     return;
                 }
                 const QString tipo = q.value(1).toString();
                 if (tipo == QLatin1String("Atrasos") ||
                     tipo.left(9) == QLatin1String("Finiquito") ||
                     cerrados.contains({inicio, q.value(2).toInt()}))
                     return;
                 const auto n = [&q](int i) { return q.value(i).toInt(); };
                 DiasAlta += n(5);
                 DiasNoRetribuidos += n(6);
                 DiasNoRetribuidosNoCotiza += n(7);
                 DiasRegulacion += n(8);
                 DiasEnfermedad += n(9);
                 DiasAccidente += n(10);
                 DiasMaternidad += n(11);
                 DiasVacaciones += n(12);
                 DiasRegulacion2 += n(8);
             });
    } catch (const EDatabaseError&) {
        // A statement the engine refused leaves the days gathered so far.
    }
}

double TMDNominas::RedondeoMoneda(double Importe) {
    const QDate cambio = fecha(Parametros, "FechaCambioEuro");
    const QDate mesNomina(entero(Parametros, "AnoNomina"), entero(Parametros, "MesNomina"), 1);
    const bool euros = cambio.isValid() && mesNomina.isValid() && cambio < mesNomina;
    return RedondearDecimales(Importe, euros ? 2 : 0);
}

double TMDNominas::RedondeoMitadAbajo(double Valor) {
    const double entera = std::trunc(Valor);
    return Valor - entera > 0.5 ? entera + 1 : entera;
}

bool OperarioAccesibleActual(int CodigoOperario) {
    return !MDNominas ||
           MDNominas->OperarioAccesible(CodigoUsuarioActual, CodigoOperario, QString());
}

QString AvisoOperariosNoAccesibles(int Excluidos) {
    return kOperariosNoAccesibles.arg(Excluidos);
}

bool TMDNominas::OperarioAccesible(const QString& CodigoUsuario, int CodigoOperario,
                                   const QString& Opcion) {
    QString lista;
    LeerConfiguracionUsuario(ModuloDatos, CodigoUsuario, QStringLiteral("OperariosNoAccesibles"),
                             lista);
    if (lista.trimmed().isEmpty()) return true;
    const auto entero = [](const QString& t) {
        bool ok = false;
        const int v = t.trimmed().toInt(&ok);
        return ok ? v : 0;
    };
    // Whoever typed "5;6", "5 6" or "10-5" believes those employees hidden: a
    // restriction that silently bars nobody is unsafe, so every usual
    // separator counts and a reversed range is read upwards.
    static const QRegularExpression guion(QStringLiteral("\\s*-\\s*"));
    static const QRegularExpression separadores(QStringLiteral("[,;\\s]+"));
    QList<QPair<int, int>> rangos;
    QStringList incorrectos;
    for (const QString& item : QString(lista)
                                   .replace(guion, QStringLiteral("-"))
                                   .split(separadores, Qt::SkipEmptyParts)) {
        int desde = entero(item.section(QLatin1Char('-'), 0, 0));
        int hasta = entero(item.section(QLatin1Char('-'), 1, 1));
        if (desde != 0 && hasta != 0) {
            if (desde > hasta) std::swap(desde, hasta);
            rangos.append({desde, hasta});
            // "5-7-9" bars 5 to 7 only, not what it seems to name.
            if (item.count(QLatin1Char('-')) > 1) incorrectos << item;
            continue;
        }
        bool ok = false;
        const int codigo = item.toInt(&ok);
        if (ok) rangos.append({codigo, codigo});
        // "-5" is a code no employee has: it bars nobody.
        if (!ok || codigo < 0) incorrectos << item;
    }
    const QString avisada = CodigoUsuario + QLatin1Char('|') + lista;
    if (!incorrectos.isEmpty() && !listasAvisadas_.contains(avisada)) {
        listasAvisadas_.insert(avisada);
        MensajeAdvertencia(
            QStringLiteral("La lista de operarios no accesibles del usuario %1 contiene "
                           "elementos que no son códigos ni rangos de códigos (%2), que no "
                           "restringen el acceso a los operarios que parecen indicar. Solicite "
                           "al administrador que corrija la configuración.")
                .arg(CodigoUsuario, incorrectos.join(QStringLiteral(", "))));
    }
    for (const auto& [desde, hasta] : rangos) {
        if (desde <= CodigoOperario && CodigoOperario <= hasta) {
            if (Opcion == QLatin1String("Mostrar Mensaje"))
                MensajeAdvertencia(QStringLiteral("Autorización denegada"));
            return false;
        }
    }
    return true;
}

namespace {

// The rule of the contract in force on the latest contract's dates.
bool VigenteHoy(const QDate& inicio, const QDate& fin) {
    return inicio.isValid() && (!fin.isValid() || QDate::currentDate() <= fin);
}

}  // namespace

bool TMDNominas::ContratoEnVigor(int CodigoOperario) {
    TQuery consulta;
    consulta.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    // Two contracts starting the same day: the later number is the latest.
    consulta.SQL().Add(QStringLiteral(
        "SELECT FechaInicioContrato, FechaFinalContrato FROM HCONTRAT WHERE CodigoOperario = "
        ":CodigoOperario ORDER BY FechaInicioContrato DESC, NumeroContrato DESC"));
    consulta.ParamByName(QStringLiteral("CodigoOperario"))->setAsInteger(CodigoOperario);
    if (!AbrirConsulta(ModuloDatos, &consulta, QStringLiteral("Open Silencio")) ||
        consulta.IsEmpty())
        return false;
    return VigenteHoy(fecha(&consulta, "FechaInicioContrato"),
                      fecha(&consulta, "FechaFinalContrato"));
}

QSet<int> TMDNominas::OperariosConContratoEnVigor() {
    QSet<int> vigentes;
    TQuery consulta;
    consulta.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    consulta.SQL().Add(QStringLiteral(
        "SELECT CodigoOperario, FechaInicioContrato, FechaFinalContrato FROM HCONTRAT ORDER BY "
        "CodigoOperario, FechaInicioContrato DESC, NumeroContrato DESC"));
    if (!AbrirConsulta(ModuloDatos, &consulta, QStringLiteral("Open Silencio"))) return vigentes;
    TField* codigo = consulta.FieldByName(QStringLiteral("CodigoOperario"));
    bool primero = true;
    int anterior = 0;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        const int c = codigo->AsInteger();
        // Only each employee's first row, its latest contract, counts.
        if (primero || c != anterior) {
            if (VigenteHoy(fecha(&consulta, "FechaInicioContrato"),
                           fecha(&consulta, "FechaFinalContrato")))
                vigentes.insert(c);
        }
        primero = false;
        anterior = c;
    }
    return vigentes;
}

void LiberarModulosNomina() {
    delete MDContabilidad;
    delete MDEfectos;
    delete MDNominas;
}

void CrearModulosNomina() {
    LiberarModulosNomina();
    new TMDNominas(ModuloDatos);
    new TMDEfectos(ModuloDatos);
    new TMDContabilidad(ModuloDatos);
}
