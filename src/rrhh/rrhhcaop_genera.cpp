// Employee days generated from contracts and leaves, and the time of an
// incidence: what the employee-calendar window and the listings' benchmark
// run without a window.

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <array>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "nomina/nomicale.h"
#include "rrhh/rrhhcaop.h"

namespace {

// The zero date and anything before it stand for "no end".
const QDate kFechaCero(1899, 12, 30);

struct Periodo {
    QDate inicio;
    QDate final;  // invalid: open-ended
    QString tipo;
    bool cubre(const QDate& d) const {
        return inicio.isValid() && inicio <= d && (!final.isValid() || final >= d);
    }
};

QDate FechaLeida(const QVariant& v) {
    if (v.isNull()) return QDate();
    const QDate d = TTableCursor::fromStorage(v, ftDateTime).toDateTime().date();
    return d.isValid() && d > kFechaCero ? d : QDate();
}

QDate FinalLeido(const QVariant& v) {
    // A zero date, a NULL or a 0 stored by another program: open-ended.
    if (v.isNull() || v.toString() == QLatin1String("0")) return QDate();
    return FechaLeida(v);
}

}  // namespace

double TiempoIncidencia(const QTime& Inicio, const QTime& Final) {
    const auto horas = [](const QTime& t) {
        return HorasDecimales(QDateTime(QDate(1899, 12, 30), t));
    };
    double tiempo = horas(Final) - horas(Inicio);
    if (tiempo < 0) tiempo += 24;
    return tiempo;
}

struct TGeneradorCalendarioOperario::Datos {
    int calendario = 0;
    QDate desde;
    QDate hasta;
    QString situacion;
    bool activo = false;
    bool empresaLeida = false;
    TDiasCalendario empresa;
    TDatabase* base = nullptr;
    QVector<QVariant> fechas;  // one per day of the period
};

TGeneradorCalendarioOperario::TGeneradorCalendarioOperario(int CodigoCalendarioEmpresa,
                                                           const QDate& Desde, const QDate& Hasta,
                                                           const QString& Situacion)
    : d_(new Datos) {
    d_->calendario = CodigoCalendarioEmpresa;
    d_->desde = Desde;
    d_->hasta = Hasta;
    d_->situacion = Situacion;
    d_->activo = EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE")) && Desde.isValid() &&
                 Hasta.isValid() && Desde <= Hasta;
    d_->base = BaseDatosSelector(QStringLiteral("Database"));
    // A company that never opened these tables gets them from the dictionary.
    if (d_->activo && fGENEINIC && d_->base)
        for (const char* nombre : {"CALENDAR", "CALENOPE", "HCONTRAT", "BAJA", "TSUBSDIO"}) {
            if (d_->base->TableExists(QLatin1String(nombre))) continue;
            TTable tabla;
            tabla.setTableName(QLatin1String(nombre));
            AbrirTabla(fGENEINIC, &tabla);
        }
    if (!d_->activo || !d_->base) return;
    // The days of the period as the database binds them, once for every employee.
    const bool sqlite = d_->base->engine() == Engine::Sqlite;
    for (QDate dia = Desde; dia <= Hasta; dia = dia.addDays(1))
        d_->fechas.append(TTableCursor::toStorage(QDateTime(dia, QTime(0, 0)), ftDateTime, sqlite));
}

TGeneradorCalendarioOperario::~TGeneradorCalendarioOperario() {
    delete d_;
}

bool TGeneradorCalendarioOperario::Generar(int CodigoOperario) {
    if (!d_->activo || !d_->base) return true;
    TDatabase* base = d_->base;
    const bool sqlite = base->engine() == Engine::Sqlite;
    auto fecha = [sqlite](const QDate& d, const QTime& t) {
        return TTableCursor::toStorage(QDateTime(d, t), ftDateTime, sqlite);
    };
    // The company calendar is the same for every employee of a run.
    if (!d_->empresaLeida) {
        d_->empresa = LeerDiasCalendario(d_->calendario, d_->desde, d_->hasta);
        d_->empresaLeida = true;
    }
    QVector<Periodo> contratos;
    {
        QSqlQuery q = base->Execute(QStringLiteral("SELECT FechaInicioContrato, "
                                                   "FechaFinalContrato FROM HCONTRAT WHERE "
                                                   "CodigoOperario = ?"),
                                    {CodigoOperario});
        while (q.next()) contratos.append({FechaLeida(q.value(0)), FinalLeido(q.value(1)), {}});
    }
    if (contratos.isEmpty()) return true;
    QVector<Periodo> bajas;
    {
        QSqlQuery q = base->Execute(
            QStringLiteral("SELECT B.FechaInicio, B.FechaFinal, T.TipoBaja FROM BAJA B JOIN "
                           "TSUBSDIO T ON B.CodigoBaja = T.Codigo WHERE B.CodigoOperario = ? "
                           "ORDER BY T.TipoBaja"),
            {CodigoOperario});
        while (q.next()) {
            const QString tipo = q.value(2).toString();
            // A leave type left empty names no situation.
            if (!tipo.isEmpty())
                bajas.append({FechaLeida(q.value(0)), FinalLeido(q.value(1)), tipo});
        }
    }
    QSet<QDate> propios;
    {
        QSqlQuery q = base->Execute(
            QStringLiteral("SELECT Fecha FROM CALENOPE WHERE "
                           "CodigoOperario = ? AND Fecha >= ? AND "
                           "Fecha <= ?"),
            {CodigoOperario, fecha(d_->desde, QTime(0, 0)), fecha(d_->hasta, QTime(23, 59, 59))});
        while (q.next())
            propios.insert(TTableCursor::fromStorage(q.value(0), ftDateTime).toDateTime().date());
    }

    TGuardaTransaccion transaccion(fGENEINIC, base);
    // What no day changes is written in the statement itself.
    QSqlQuery& alta = base->Prepared(
        QStringLiteral("INSERT INTO CALENOPE (CodigoOperario, Fecha, EsDiaTrabajado, "
                       "EsDiaFestivo, EsDiaVacaciones, EsDiaPermiso, EsDiaPuente, NumeroHorario, "
                       "Situacion) VALUES (?, ?, ?, ?, ?, 'NO', ?, 0, ?)"));
    QSqlQuery& regulacion = base->Prepared(
        QStringLiteral("UPDATE CALENOPE SET Situacion = ? WHERE CodigoOperario = ? AND Fecha >= "
                       "? AND Fecha <= ?"));
    // The statement keeps its values from one day to the next, and most of a
    // day's flags are the day before's: only the values that changed are
    // bound again (binding a value costs the driver more than the insert).
    // The first day of each employee binds them all.
    std::array<QVariant, 7> ligados;
    bool primera = true;
    auto ligar = [&](int i, const QVariant& v) {
        if (!primera && ligados[i] == v && ligados[i].typeId() == v.typeId()) return;
        alta.bindValue(i, v);
        ligados[i] = v;
    };
    bool completo = true;
    const QVariant no = QStringLiteral("NO");
    const QVariant si = QStringLiteral("SI");
    const QString regulacionEmpleo = QStringLiteral("Regulacion Empleo");
    int indice = 0;
    for (QDate dia = d_->desde; dia <= d_->hasta; dia = dia.addDays(1), ++indice) {
        bool vigente = false;
        for (const Periodo& c : contratos) vigente = vigente || c.cubre(dia);
        if (!vigente) continue;
        try {
            if (propios.contains(dia)) {
                regulacion.bindValue(0, regulacionEmpleo);
                regulacion.bindValue(1, CodigoOperario);
                regulacion.bindValue(2, fecha(dia, QTime(0, 0)));
                regulacion.bindValue(3, fecha(dia, QTime(23, 59, 59)));
                base->Run(regulacion);
                continue;
            }
            auto empresa = d_->empresa.constFind(dia);
            const bool enCalendario = empresa != d_->empresa.constEnd();
            const int w = dia.dayOfWeek();
            const bool agosto = dia.month() == 8;
            const QString* situacion = &d_->situacion;
            for (const Periodo& b : bajas)
                if (b.cubre(dia)) {
                    situacion = &b.tipo;
                    break;
                }
            ligar(0, CodigoOperario);
            ligar(1, d_->fechas.at(indice));
            ligar(2, enCalendario ? QVariant(empresa->Trabajado) : (w <= 5 && !agosto ? si : no));
            ligar(3, enCalendario ? QVariant(empresa->Festivo) : (w == 7 ? si : no));
            ligar(4, enCalendario ? QVariant(empresa->Vacaciones) : (agosto ? si : no));
            ligar(5, enCalendario ? QVariant(empresa->Puente) : no);
            ligar(6, situacion->left(40));
            primera = false;
            base->Run(alta);
        } catch (const EDatabaseError&) {
            completo = false;
            break;
        }
    }
    transaccion.Confirmar();
    if (!completo)
        MensajeAdvertencia(
            QStringLiteral("¡ Está intentando grabar un calendario que ya existe !"));
    return completo;
}

void PeriodoGeneracion(const QString& DesdeFecha, const QString& HastaFecha, const QDate& Mes,
                       QDate& Desde, QDate& Hasta) {
    Desde = QDate(Mes.year(), Mes.month(), 1);
    Hasta = Desde.addDays(Desde.daysInMonth() - 1);
    if (!DesdeFecha.trimmed().isEmpty()) Desde = TextoAFechaHora(DesdeFecha).date();
    if (!HastaFecha.trimmed().isEmpty()) Hasta = TextoAFechaHora(HastaFecha).date();
}

bool GeneraCalendarioOperario(int CodigoOperario, const QString& DesdeFecha,
                              const QString& HastaFecha, int CodigoCalendarioEmpresa,
                              const QString& Situacion, const QDate& Mes) {
    if (!EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"))) return true;
    TCursorEspera espera;
    QDate desde, hasta;
    PeriodoGeneracion(DesdeFecha, HastaFecha, Mes, desde, hasta);
    TGeneradorCalendarioOperario generador(CodigoCalendarioEmpresa, desde, hasta, Situacion);
    return generador.Generar(CodigoOperario);
}
