// The contract documents' records. Every source row is read with plain
// statements (employees, contracts, payrolls) and each document page is built
// in memory first and then stored as one Temporal record, so that the
// certificate's lines follow a stored page and a duplicate key drops the
// whole page.

#include "nomina/nomilcon_rellenar.h"

#include <QHash>
#include <QPair>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>
#include <optional>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genenlet.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "nomina/nomimodu.h"

namespace {

struct Columna {
    const char* nombre;
    const char* tipo;
    int tamano;
};

// The document page: keys first, then every column the formats may show.
const Columna kColumnasTemporal[] = {{"CodigoOperario", "ftInteger", 0},
                                     {"CodigoContrato", "ftInteger", 0},
                                     {"NumeroContrato", "ftInteger", 0},
                                     {"Pagina", "ftInteger", 0},
                                     {"Alta", "ftString", 2},
                                     {"Baja", "ftString", 2},
                                     {"Variacion", "ftString", 5},
                                     {"FechaAlta", "ftDateTime", 0},
                                     {"FechaBaja", "ftDateTime", 0},
                                     {"DiaAltaBaja", "ftInteger", 0},
                                     {"MesAltaBaja", "ftInteger", 0},
                                     {"AnoAltaBaja", "ftInteger", 0},
                                     {"DiaInicioContrato", "ftInteger", 0},
                                     {"MesInicioContrato", "ftInteger", 0},
                                     {"AnoInicioContrato", "ftInteger", 0},
                                     {"FechaVariacion", "ftString", 6},
                                     {"NombreOperario", "ftString", 40},
                                     {"Nombre", "ftString", 40},
                                     {"PrimerApellido", "ftString", 40},
                                     {"SegundoApellido", "ftString", 40},
                                     {"NumeroAfiliacion", "ftString", 12},
                                     {"TipoDocumentoDNI", "ftString", 1},
                                     {"TipoDocumentoTarjeta", "ftString", 1},
                                     {"TipoDocumentoPasaporte", "ftString", 1},
                                     {"NumeroDocumento", "ftString", 20},
                                     {"GrupoCotizacion", "ftInteger", 0},
                                     {"CodigoEpigrafe", "ftInteger", 0},
                                     {"CodigoOcupacion", "ftString", 2},
                                     {"EstadoCivil", "ftString", 40},
                                     {"DiasTrabSitEspeciales", "ftInteger", 0},
                                     {"CoeficienteSitEspeciales", "ftInteger", 0},
                                     {"EntidadAT", "ftString", 40},
                                     {"TipoVia", "ftString", 20},
                                     {"NombreVia", "ftString", 40},
                                     {"Numero", "ftString", 5},
                                     {"Bis", "ftString", 5},
                                     {"Escalera", "ftString", 5},
                                     {"Piso", "ftString", 5},
                                     {"Puerta", "ftString", 5},
                                     {"CodigoPostal", "ftString", 20},
                                     {"Localidad", "ftString", 40},
                                     {"Provincia", "ftString", 40},
                                     {"Telefono", "ftString", 40},
                                     {"Causa", "ftString", 40},
                                     {"CodigoCategoria", "ftInteger", 0},
                                     {"NombreCategoria", "ftString", 40},
                                     {"PuestoTrabajo", "ftString", 40},
                                     {"FechaNacimiento", "ftDateTime", 0},
                                     {"DiaNacimiento", "ftInteger", 0},
                                     {"MesNacimiento", "ftInteger", 0},
                                     {"AnoNacimiento", "ftInteger", 0},
                                     {"Sexo", "ftString", 1},
                                     {"CodigoCuentaCotizacion", "ftString", 12},
                                     {"RegimenSS", "ftString", 20},
                                     {"SistemaEspecial", "ftString", 20},
                                     {"EmpresarioETT", "ftString", 20},
                                     {"RazonSocial", "ftString", 60},
                                     {"CIF", "ftString", 20},
                                     {"DireccionEmpresa", "ftString", 60},
                                     {"CodigoPostalEmpresa", "ftString", 20},
                                     {"PoblacionEmpresa", "ftString", 40},
                                     {"ProvinciaEmpresa", "ftString", 40},
                                     {"Actividad", "ftString", 40},
                                     {"ClaveAE", "ftString", 3},
                                     {"Domicilio", "ftString", 40},
                                     {"NumeroTrabajadores", "ftInteger", 0},
                                     {"HorasPrevistasIndefinido", "ftFloat", 0},
                                     {"JornadaIndefinido", "ftFloat", 0},
                                     {"CoeficienteIndefinido", "ftFloat", 0},
                                     {"DiasPrevistosDD", "ftFloat", 0},
                                     {"HorasPrevistasDD", "ftFloat", 0},
                                     {"JornadaLegalDD", "ftFloat", 0},
                                     {"JornadaSegunConveioDD", "ftFloat", 0},
                                     {"CoeficienteDD", "ftFloat", 0},
                                     {"OficinaINEM", "ftString", 40},
                                     {"DiaPresentacion", "ftString", 40},
                                     {"MesPresentacion", "ftString", 40},
                                     {"AnoPresentacion", "ftString", 4},
                                     {"NombreRepresentante", "ftString", 60},
                                     {"CIFRepresentante", "ftString", 20},
                                     {"TituloRepresentante", "ftString", 60},
                                     {"Clausulas", "ftMemo", 10},
                                     {"ClausulasAdicionales", "ftMemo", 10},
                                     {"DiasVacacionesNoDisfrutad", "ftFloat", 0},
                                     {"NumeroProrroga", "ftString", 20},
                                     {"MesesDuracion", "ftInteger", 0},
                                     {"DuracionInicial", "ftInteger", 0},
                                     {"TiempoAcumulado", "ftInteger", 0},
                                     {"FechaInicioProrroga", "ftString", 10},
                                     {"FechaPresentacionContrato", "ftString", 10},
                                     {"NumeroRegistroContrato", "ftInteger", 0},
                                     {"FechaInicioContratoAnt", "ftString", 10},
                                     {"FechaFinalContratoAnt", "ftString", 10},
                                     {"DescripcionContratoAnt", "ftString", 40},
                                     {"GradoMinusvalia", "ftString", 3},
                                     {"CausaExclusionCotizacion", "ftString", 40},
                                     {"RelacionLaboralCarEspec", "ftString", 29},
                                     {"EntidadATReprComercio", "ftString", 22},
                                     {"OpcionITCC", "ftString", 2},
                                     {"NumeroCopias", "ftSmallInt", 0},
                                     {"CodigoImpreso", "ftString", 50},
                                     {"IdentificacionEmbarcacion", "ftString", 30},
                                     {"Desempleado", "ftString", 1},
                                     {"DesempleadoMas12Meses", "ftString", 1},
                                     {"DesempleadoSubsidioRea", "ftString", 1},
                                     {"MujerSubrepresentada", "ftString", 1},
                                     {"ExclusionSocial", "ftString", 1},
                                     {"PrimerTrabajadorAutonomo", "ftString", 1},
                                     {"IncapacitadoReadmitido", "ftString", 1},
                                     {"OtraSituacion", "ftString", 30},
                                     {"HorasDia", "ftString", 2},
                                     {"HorasSemana", "ftString", 2},
                                     {"HorasMes", "ftString", 2},
                                     {"HorasAno", "ftString", 4},
                                     {"HorasJornadaMaxima", "ftString", 10},
                                     {"CoeficienteTiempoParcial", "ftString", 10},
                                     {"CategoriaProfesional", "ftString", 40},
                                     {"COE", "ftString", 4},
                                     {"CodigoConvenioColectivo", "ftString", 7},
                                     {"ExcedenciaCuandoHijo", "ftString", 1},
                                     {"ExcedenciaOtroFamiliar", "ftString", 1},
                                     {"GuardaLegal", "ftString", 1},
                                     {"PorcentajeGuardaLegal", "ftString", 3},
                                     {"Maternidad", "ftString", 1},
                                     {"RegulacionEmpleo", "ftString", 1},
                                     {"PorcRegulacionEmpleo", "ftString", 3},
                                     {"Huelga", "ftString", 1},
                                     {"PorcentajeHuelga", "ftString", 3},
                                     {"CoeficientePermanencias", "ftString", 4},
                                     {"DiasTrabajoEspecialFrutas", "ftString", 4},
                                     {"DiasITMaternidad", "ftString", 4},
                                     {"OrganoSolicitud", "ftString", 30},
                                     {"FechaDesempleo", "ftString", 10},
                                     {"NumeroRegistroDesempleo", "ftString", 10},
                                     {"NumSSTrabajadorSustituido", "ftString", 40},
                                     {"CausaSustitucion", "ftString", 40},
                                     {"NombreTS", "ftString", 40},
                                     {"FechaNacimientoTS", "ftString", 10},
                                     {"ProfesionTS", "ftString", 40},
                                     {"GrupoCotizacionTS", "ftString", 2},
                                     {"ReduccionJornadaTS", "ftString", 3},
                                     {"RealDecretoTS", "ftString", 40},
                                     {"EdadJubilacionTS", "ftString", 3},
                                     {"TituloEstudios", "ftString", 40},
                                     {"FechaTerminoEstudios", "ftString", 10},
                                     {"FechaInicioSMilitar", "ftString", 10},
                                     {"FechaFinalSMilitar", "ftString", 10},
                                     {"CertificacionMinusvalido", "ftString", 40},
                                     {"CertificadorMinusvalia", "ftString", 40},
                                     {"FechaResolucionMinusvalia", "ftString", 40},
                                     {"TipoMinusvalia", "ftString", 40},
                                     {"CapacidadObra", "ftString", 40},
                                     {"NombreCentroFormacion", "ftString", 40},
                                     {"CIFCentroFormacion", "ftString", 9},
                                     {"PoblacionCentroFormacion", "ftString", 40},
                                     {"IdentificadorCentroForma", "ftString", 40},
                                     {"DiasCotizados", "ftSmallInt", 0},
                                     {"BaseCC", "ftFloat", 0},
                                     {"BaseAT", "ftFloat", 0},
                                     {"TotalDiasCotizados", "ftSmallInt", 0},
                                     {"TotalBaseCC", "ftFloat", 0},
                                     {"TotalBaseAT", "ftFloat", 0},
                                     {"TipoTraParcial1", "ftString", 1},
                                     {"TipoTraParcial2", "ftString", 1},
                                     {"TipoTraParcial3", "ftString", 1},
                                     {"TipoTraParcial4", "ftString", 1},
                                     {"DiasTraParcial1", "ftSmallInt", 0},
                                     {"DiasTraParcial2", "ftSmallInt", 0},
                                     {"DiasTraParcial3", "ftSmallInt", 0},
                                     {"DiasTraParcial4", "ftSmallInt", 0},
                                     {"FechaDesdeTraParcial1", "ftDateTime", 0},
                                     {"FechaDesdeTraParcial2", "ftDateTime", 0},
                                     {"FechaDesdeTraParcial3", "ftDateTime", 0},
                                     {"FechaDesdeTraParcial4", "ftDateTime", 0},
                                     {"FechaHastaTraParcial1", "ftDateTime", 0},
                                     {"FechaHastaTraParcial2", "ftDateTime", 0},
                                     {"FechaHastaTraParcial3", "ftDateTime", 0},
                                     {"FechaHastaTraParcial4", "ftDateTime", 0},
                                     {"FechaFinSuspension", "ftDateTime", 0},
                                     {"NumeroERE", "ftString", 10},
                                     {"PorcReducPorRegulacion", "ftFloat", 0},
                                     {"PorcReducPorCuidados", "ftFloat", 0},
                                     {"DiasTramitacion", "ftSmallInt", 0},
                                     {"FechaInicioTram", "ftDateTime", 0},
                                     {"FechaFinalTram", "ftDateTime", 0},
                                     {"CodigoCausaSituacionDesempleo", "ftString", 2},
                                     {"CausaSituacionDesempleo", "ftString", 150},
                                     {"AnoPresentacion4", "ftString", 4}};

const Columna kColumnasLTemporal[] = {
    {"CodigoOperario", "ftInteger", 0}, {"CodigoContrato", "ftInteger", 0},
    {"NumeroContrato", "ftInteger", 0}, {"Pagina", "ftInteger", 0},
    {"Linea", "ftInteger", 0},          {"Ano", "ftSmallInt", 0},
    {"Mes", "ftSmallInt", 0},           {"DiasCotizados", "ftSmallInt", 0},
    {"BaseCC", "ftFloat", 0},           {"BaseAT", "ftFloat", 0},
    {"Observaciones", "ftString", 40}};

template <size_t N>
QString definicion(const char* cabecera, const Columna (&columnas)[N], int claves,
                   const char* indice) {
    QString r = QLatin1String(cabecera) + QStringLiteral("\r\n");
    for (size_t i = 0; i < N; ++i)
        r += QStringLiteral("/C/%1/%2/%3/%4/%5\r\n")
                 .arg(i + 1)
                 .arg(QLatin1String(columnas[i].nombre), QLatin1String(columnas[i].tipo))
                 .arg(columnas[i].tamano)
                 .arg(int(i) < claves ? QStringLiteral("*") : QString());
    return r + QStringLiteral("/I/1/<Primary>/") + QLatin1String(indice) + QStringLiteral("/\r\n");
}

// Keys of the employee's free-form data, by document: the key and the column.
struct Clave {
    const char* clave;
    const char* columna;
};
const Clave kClavesHoras[] = {{"HorasDia", "HorasDia"},
                              {"HorasSemana", "HorasSemana"},
                              {"HorasMes", "HorasMes"},
                              {"HorasAno", "HorasAno"}};
const Clave kClavesContrato[] = {{"FechaDesempleo", "FechaDesempleo"},
                                 {"NumeroRegistroDesempleo", "NumeroRegistroDesempleo"},
                                 {"NombreTS", "NombreTS"},
                                 {"FechaNacimientoTS", "FechaNacimientoTS"},
                                 {"ProfesionTS", "ProfesionTS"},
                                 {"GrupoCotizacionTS", "GrupoCotizacionTS"},
                                 {"ReduccionJornadaTS", "ReduccionJornadaTS"},
                                 {"RealDecretoTS", "RealDecretoTS"},
                                 {"EdadJubilacionTS", "EdadJubilacionTS"},
                                 {"TituloEstudios", "TituloEstudios"},
                                 {"FechaTerminoEstudios", "FechaTerminoEstudios"},
                                 {"FechaInicioSMilitar", "FechaInicioSMilitar"},
                                 {"FechaFinalSMilitar", "FechaFinalSMilitar"},
                                 {"CertificacionMinusvalido", "CertificacionMinusvalido"},
                                 {"CertificadorMinusvalia", "CertificadorMinusvalia"},
                                 {"FechaResolucionMinusvalia", "FechaResolucionMinusvalia"},
                                 {"TipoMinusvalia", "TipoMinusvalia"},
                                 {"CapacidadObra", "CapacidadObra"},
                                 {"NombreCentroFormacion", "NombreCentroFormacion"},
                                 {"CIFCentroFormacion", "CIFCentroFormacion"},
                                 {"PoblacionCentroFormacion", "PoblacionCentroFormacion"},
                                 {"IdentificadorCentroForma", "IdentificadorCentroForma"},
                                 {"GradoMinusvalia", "GradoMinusvalia"}};
const Clave kClavesTA2[] = {{"GradoMinusvalia", "GradoMinusvalia"},
                            {"CausaExclusionCotizacion", "CausaExclusionCotizacion"},
                            {"RelacionLaboralCaracterEspecial", "RelacionLaboralCarEspec"},
                            {"EntidadATReprComercio", "EntidadATReprComercio"},
                            {"OpcionITCC", "OpcionITCC"},
                            {"IdentificacionEmbarcacion", "IdentificacionEmbarcacion"},
                            {"Desempleado", "Desempleado"},
                            {"DesempleadoMas12Meses", "DesempleadoMas12Meses"},
                            {"DesempleadoSubsidioRea", "DesempleadoSubsidioRea"},
                            {"MujerSubrepresentada", "MujerSubrepresentada"},
                            {"ExclusionSocial", "ExclusionSocial"},
                            {"PrimerTrabajadorDeAutonomo", "PrimerTrabajadorAutonomo"},
                            {"IncapacitadoReadmitido", "IncapacitadoReadmitido"},
                            {"OtraSituacion", "OtraSituacion"},
                            {"HorasJornadaMaxima", "HorasJornadaMaxima"},
                            {"CoeficienteTiempoParcial", "CoeficienteTiempoParcial"},
                            {"NumSSTrabajadorSustituido", "NumSSTrabajadorSustituido"},
                            {"CausaSustitucion", "CausaSustitucion"},
                            {"CategoriaProfesional", "CategoriaProfesional"},
                            {"COE", "COE"},
                            {"ExcedenciaCuandoHijo", "ExcedenciaCuandoHijo"},
                            {"ExcedenciaOtroFamiliar", "ExcedenciaOtroFamiliar"},
                            {"GuardaLegal", "GuardaLegal"},
                            {"%GuardaLegal", "PorcentajeGuardaLegal"},
                            {"Maternidad", "Maternidad"},
                            {"RegulacionEmpleo", "RegulacionEmpleo"},
                            {"%RegulacionEmpleo", "PorcRegulacionEmpleo"},
                            {"Huelga", "Huelga"},
                            {"%Huelga", "PorcentajeHuelga"},
                            {"CoeficientePermanencias", "CoeficientePermanencias"},
                            {"DiasTrabajoEspecialFrutas", "DiasTrabajoEspecialFrutas"},
                            {"DiasITMaternidad", "DiasITMaternidad"},
                            {"OrganoSolicitud", "OrganoSolicitud"}};

using Registro = QHash<QString, QVariant>;

QDateTime fechaDe(const QVariant& v) {
    if (v.isNull()) return ZeroDateTime();
    const QDateTime d = TTableCursor::fromStorage(v, ftDateTime).toDateTime();
    return d.isValid() ? d : ZeroDateTime();
}

bool sinFecha(const QDateTime& d) {
    return !d.isValid() || IsZeroDate(d);
}

// An emptied number box counts as 0.
int entero(const QString& t) {
    int v = 0;
    return TryStrToInt(t, v) ? v : 0;
}

double real(const QString& t) {
    return TextoAReal(t);
}

// A date-time written as the system writes one in a text column.
QString textoFecha(const QDateTime& d) {
    return sinFecha(d) ? QString() : TextoVariante(d);
}

struct Fila {
    QSqlRecord r;
    QVariant v(const char* c) const { return r.value(QLatin1String(c)); }
    QString s(const char* c) const { return v(c).toString(); }
    int i(const char* c) const { return v(c).toInt(); }
    double d(const char* c) const { return v(c).toDouble(); }
    QDateTime f(const char* c) const { return fechaDe(v(c)); }
};

// The statements run once per employee or contract: prepared once for the
// connection and read whole before the next one runs.
QVector<Fila> leer(TDatabase* base, const QString& sql, const QVariantList& valores = {}) {
    QVector<Fila> filas;
    QSqlQuery& q = base->Prepared(sql);
    for (int i = 0; i < valores.size(); ++i) q.bindValue(i, valores[i]);
    base->Run(q);
    while (q.next()) filas.append({q.record()});
    q.finish();
    return filas;
}

// The rows of one work table go in by one prepared statement whose values
// are bound by name: Qt spells out a placeholder's name for every value bound
// by position, which cost more than the insert itself. Each column's type and
// size are read from the table once.
class Alta {
public:
    template <size_t N>
    Alta(TTable* tabla, const Columna (&columnas)[N]) : base_(tabla->Database()) {
        const bool sqlite = base_->engine() == Engine::Sqlite;
        QString nombres, marcas;
        for (size_t i = 0; i < N; ++i) {
            TField* campo = tabla->FindField(QLatin1String(columnas[i].nombre));
            // A column the table lacks is not written, as through the table.
            if (!campo) {
                columnas_.append(Columna_{});
                continue;
            }
            Columna_ c;
            c.nombre = QLatin1String(columnas[i].nombre);
            c.marca = QStringLiteral(":v%1").arg(i);
            c.tipo = campo->DataType();
            c.tamano = campo->Size();
            c.requerida = campo->Required() && c.tipo != ftAutoInc;
            c.sqlite = sqlite;
            columnas_.append(c);
            if (!nombres.isEmpty()) {
                nombres += QStringLiteral(", ");
                marcas += QStringLiteral(", ");
            }
            nombres += c.nombre;
            marcas += c.marca;
        }
        sql_ = QStringLiteral("INSERT INTO ") + tabla->TableName() + QStringLiteral(" (") +
               nombres + QStringLiteral(") VALUES (") + marcas + QLatin1Char(')');
    }

    // The statement, prepared once for the connection.
    QSqlQuery& consulta() { return base_->Prepared(sql_); }

    // Column i of the definition with the value as given; a text longer
    // than the column is cut, as the column holds it.
    void poner(QSqlQuery& q, int i, QVariant v) const {
        const Columna_& c = columnas_[i];
        if (c.marca.isEmpty()) return;
        if (c.tamano > 0 && c.tipo == ftString && v.isValid()) v = v.toString().left(c.tamano);
        q.bindValue(c.marca, v);
    }

    // A page's values stored as the table's fields store them; false when
    // a required column is empty.
    bool ponerRegistro(QSqlQuery& q, const QHash<QString, QVariant>& r) const {
        for (const Columna_& c : columnas_) {
            if (c.marca.isEmpty()) continue;
            const QVariant v = comoCampo(c, r.value(c.nombre));
            if (c.requerida && (v.isNull() || (IsStringType(c.tipo) && v.toString().isEmpty())))
                return false;
            q.bindValue(c.marca, TTableCursor::toStorage(v, c.tipo, c.sqlite));
        }
        return true;
    }

    // Runs the statement; false when the row's key is already there. Any
    // other refusal (a value the column cannot hold, a lost connection) is
    // raised for the listing to report with its text: a page silently
    // dropped would print as "no data".
    bool grabar(QSqlQuery& q) {
        try {
            base_->Run(q);
            q.finish();
            return true;
        } catch (const EDatabaseError& e) {
            q.finish();
            if (e.code() == DbError::KeyViolation) return false;
            throw;
        }
    }

private:
    struct Columna_ {
        QString nombre, marca;
        TFieldType tipo = ftUnknown;
        int tamano = 0;
        bool requerida = false, sqlite = true;
    };

    // The value a field of the column keeps when given v: dates as dates,
    // texts cut to the column, anything else converted to its type.
    static QVariant comoCampo(const Columna_& c, const QVariant& v) {
        if (!v.isValid()) return QVariant();
        if (v.typeId() == QMetaType::QDateTime) {
            const QDateTime d = v.toDateTime();
            if (!d.isValid()) return QVariant();
            if (IsFloatType(c.tipo)) return DateTimeToDouble(d);
            return TField::Coerce(d, c.tipo, c.tamano);
        }
        if (c.tipo == ftString || c.tipo == ftMemo)
            return TField::Coerce(
                c.tamano > 0 && c.tipo == ftString ? v.toString().left(c.tamano) : v.toString(),
                c.tipo, c.tamano);
        return TField::Coerce(v, c.tipo, c.tamano);
    }

    TDatabase* base_;
    QString sql_;
    QVector<Columna_> columnas_;
};

struct Nomina;

class Relleno {
public:
    Relleno(const TDatosContratos& d, TTable* temporal, TTable* ltemporal)
        : d_(d), temporal_(temporal), ltemporal_(ltemporal) {
        base_ = BaseDatosSelector(QStringLiteral("Database"));
    }

    void ejecutar();

private:
    void leerParametros();
    Registro primeraPagina(const Fila& p, const Fila& c);
    void contrato(const Fila& p, const Fila& c, const Fila& ant);
    void prorroga(const Fila& p, const Fila& c, const Fila& ant);
    void ta2(const Fila& p, const Fila& c);
    void certificado(const Fila& p, const Fila& c);
    void cotizaciones(const Fila& p, const Fila& c, Registro& r);
    void agregarLinea(const Nomina& n, const Fila& c, const QString& instrucciones, bool primera);

    void grupoOperario(Registro& r, const Fila& p, bool nacimiento = true);
    void grupoEmpresa(Registro& r);
    void grupoNomina(Registro& r, bool entidad);
    void grupoPresentacion(Registro& r);
    void grupoRepresentante(Registro& r);
    void horasCero(Registro& r);
    QString domicilioEmpresa() const {
        return empresa_.s("Direccion") + QLatin1Char(' ') + empresa_.s("CodigoPostal") +
               QLatin1Char(' ') + empresa_.s("Poblacion") + QLatin1Char(' ') +
               empresa_.s("Provincia");
    }
    template <size_t N>
    void claves(Registro& r, const QString& instrucciones, const Clave (&lista)[N]);
    bool grabar(const Registro& r);
    void grabarLineas();
    Alta& paginas() {
        if (!paginas_) paginas_.emplace(temporal_, kColumnasTemporal);
        return *paginas_;
    }
    Alta& lineas() {
        if (!lineasAlta_) lineasAlta_.emplace(ltemporal_, kColumnasLTemporal);
        return *lineasAlta_;
    }

    struct TipoContrato {
        bool existe = false;
        QString impreso, denominacion;
    };
    TipoContrato tipo(int codigo);
    QString categoria(int codigo);
    bool enRango(const QDateTime& f) const { return !sinFecha(f) && f >= desde_ && f <= hasta_; }

    const TDatosContratos& d_;
    TTable* temporal_;
    TTable* ltemporal_;
    TDatabase* base_ = nullptr;
    Fila empresa_, nomina_;
    QDateTime desde_, hasta_, presentacion_;
    QHash<int, TipoContrato> tipos_;
    QHash<int, QString> categorias_;
    std::optional<Alta> paginas_, lineasAlta_;
    // The certificates already written, by employee and contract type.
    QSet<QPair<int, int>> certificados_;
    // One certificate's lines, gathered before its page is stored.
    struct Linea {
        int linea, ano, mes, dias;
        double cc, at;
    };
    QVector<Linea> lineas_;
    int codigoOperario_ = 0, codigoContrato_ = 0, numeroContrato_ = 0;

    // Running values of one certificate.
    int totalDias_ = 0;
    double totalCC_ = 0, totalAT_ = 0, pendienteCC_ = 0, pendienteAT_ = 0;
    int linea_ = 1;
    int diasCertificado_ = 0;
};

void Relleno::leerParametros() {
    const auto e = leer(base_, QStringLiteral("SELECT * FROM PARAGENE"));
    if (!e.isEmpty()) empresa_ = e.first();
    const auto n = leer(base_, QStringLiteral("SELECT * FROM PARANOMI"));
    if (!n.isEmpty()) nomina_ = n.first();
    desde_ = TextoAFechaHora(d_.DesdeFecha);
    hasta_ = TextoAFechaHora(d_.HastaFecha);
    presentacion_ = TextoAFechaHora(d_.FechaPresentacion);
    diasCertificado_ = entero(d_.DiasCertificado);
}

Relleno::TipoContrato Relleno::tipo(int codigo) {
    auto it = tipos_.constFind(codigo);
    if (it != tipos_.constEnd()) return *it;
    TipoContrato t;
    const auto f = leer(base_,
                        QStringLiteral("SELECT Impreso, Denominacion FROM CONTRATO WHERE "
                                       "CodigoContrato = ?"),
                        {codigo});
    if (!f.isEmpty()) {
        t.existe = true;
        t.impreso = f.first().s("Impreso");
        t.denominacion = f.first().s("Denominacion");
    }
    tipos_.insert(codigo, t);
    return t;
}

QString Relleno::categoria(int codigo) {
    auto it = categorias_.constFind(codigo);
    if (it != categorias_.constEnd()) return *it;
    const auto f =
        leer(base_, QStringLiteral("SELECT Descripcion FROM CATEGORI WHERE Codigo = ?"), {codigo});
    const QString r = f.isEmpty() ? QString() : f.first().s("Descripcion");
    categorias_.insert(codigo, r);
    return r;
}

void Relleno::grupoOperario(Registro& r, const Fila& p, bool nacimiento) {
    r[QStringLiteral("NombreOperario")] = p.s("Nombre");
    r[QStringLiteral("NumeroAfiliacion")] = p.s("NumeroAfiliacion");
    r[QStringLiteral("NumeroDocumento")] = p.s("DNI");
    for (const char* c : {"GrupoCotizacion", "CodigoEpigrafe", "CodigoCategoria"})
        r[QLatin1String(c)] = p.i(c);
    for (const char* c : {"CodigoOcupacion", "Domicilio", "CodigoPostal", "Localidad", "Provincia"})
        r[QLatin1String(c)] = p.s(c);
    if (nacimiento && !sinFecha(p.f("FechaNacimiento")))
        r[QStringLiteral("FechaNacimiento")] = p.f("FechaNacimiento");
    r[QStringLiteral("NombreCategoria")] = categoria(p.i("CodigoCategoria"));
}

void Relleno::grupoEmpresa(Registro& r) {
    r[QStringLiteral("RazonSocial")] = empresa_.s("RazonSocial");
    r[QStringLiteral("CIF")] = empresa_.s("CIF");
    r[QStringLiteral("DireccionEmpresa")] = empresa_.s("Direccion");
    r[QStringLiteral("CodigoPostalEmpresa")] = empresa_.s("CodigoPostal");
    r[QStringLiteral("PoblacionEmpresa")] = empresa_.s("Poblacion");
    r[QStringLiteral("ProvinciaEmpresa")] = empresa_.s("Provincia");
    grupoRepresentante(r);
}

void Relleno::grupoRepresentante(Registro& r) {
    for (const char* c : {"NombreRepresentante", "CIFRepresentante", "TituloRepresentante"})
        r[QLatin1String(c)] = empresa_.s(c);
}

void Relleno::grupoNomina(Registro& r, bool entidad) {
    r[QStringLiteral("CodigoCuentaCotizacion")] = nomina_.s("NumeroAfiliacion");
    const QString regimen = nomina_.s("RegimenSS");
    r[QStringLiteral("RegimenSS")] = regimen.isEmpty() ? QStringLiteral("0111") : regimen;
    r[QStringLiteral("Actividad")] = nomina_.s("Actividad");
    r[QStringLiteral("ClaveAE")] = nomina_.s("ClaveActividad");
    r[QStringLiteral("CodigoConvenioColectivo")] = nomina_.s("CodigoConvenioColectivo");
    if (entidad) r[QStringLiteral("EntidadAT")] = nomina_.s("EntidadATEP");
}

void Relleno::grupoPresentacion(Registro& r) {
    r[QStringLiteral("DiaPresentacion")] = NumeroEnLetra(DiaFecha(presentacion_)).toLower();
    r[QStringLiteral("MesPresentacion")] = NombreMes(MesFecha(presentacion_));
    const QString ano = AnoTexto(presentacion_);
    r[QStringLiteral("AnoPresentacion")] = ano.mid(3, 1);
    r[QStringLiteral("AnoPresentacion4")] = ano;
}

void Relleno::horasCero(Registro& r) {
    for (const char* c : {"HorasPrevistasIndefinido", "JornadaIndefinido", "CoeficienteIndefinido",
                          "DiasPrevistosDD", "HorasPrevistasDD", "JornadaLegalDD",
                          "JornadaSegunConveioDD", "CoeficienteDD"})
        r[QLatin1String(c)] = 0.0;
}

template <size_t N>
void Relleno::claves(Registro& r, const QString& instrucciones, const Clave (&lista)[N]) {
    for (const Clave& c : lista)
        r[QLatin1String(c.columna)] = ValorParametro(QLatin1String(c.clave), instrucciones);
}

bool Relleno::grabar(const Registro& r) {
    // A page whose key is already there is dropped; the walk goes on. The
    // key holds the contract's number, so each contract keeps its pages.
    QSqlQuery& q = paginas().consulta();
    return paginas().ponerRegistro(q, r) && paginas().grabar(q);
}

void Relleno::grabarLineas() {
    Alta& alta = lineas();
    QSqlQuery& q = alta.consulta();
    // The columns every line of the certificate shares.
    alta.poner(q, 0, codigoOperario_);
    alta.poner(q, 1, codigoContrato_);
    alta.poner(q, 2, numeroContrato_);
    alta.poner(q, 3, 1);
    alta.poner(q, 10, d_.Observaciones.isEmpty() ? QVariant() : QVariant(d_.Observaciones));
    for (const Linea& l : lineas_) {
        alta.poner(q, 4, l.linea);
        alta.poner(q, 5, l.ano);
        alta.poner(q, 6, l.mes);
        alta.poner(q, 7, l.dias);
        alta.poner(q, 8, l.cc);
        alta.poner(q, 9, l.at);
        // As a page: a line whose key is already there is dropped.
        alta.grabar(q);
    }
}

void Relleno::ejecutar() {
    // A company that never opened one of the tables read here (categories
    // on a fresh installation) gets it from the dictionary, as opening it
    // would make it: a statement on a missing table ends the session. Made
    // before the fill's transaction, which a table's creation cannot join.
    for (const char* nombre :
         {"PERSONAL", "HCONTRAT", "CONTRATO", "CATEGORI", "NOMINA", "PARAGENE", "PARANOMI"}) {
        if (base_->TableExists(QLatin1String(nombre))) continue;
        TTable tabla;
        tabla.setTableName(QLatin1String(nombre));
        AbrirTabla(fGENEINIC, &tabla);
    }
    // One transaction for all the pages and lines: a commit per stored row
    // made the fill many times slower. A caller's own transaction is kept.
    TGuardaTransaccion transaccion(fGENEINIC, temporal_->Database());
    temporal_->EmptyTable();
    if (ltemporal_) ltemporal_->EmptyTable();
    leerParametros();
    const auto personal = leer(base_,
                               QStringLiteral("SELECT * FROM PERSONAL WHERE CodigoOperario >= ? "
                                              "AND CodigoOperario <= ? ORDER BY CodigoOperario"),
                               {entero(d_.DesdeOperario), entero(d_.HastaOperario)});
    for (const Fila& p : personal) {
        const auto contratos = leer(base_,
                                    QStringLiteral("SELECT * FROM HCONTRAT WHERE CodigoOperario = "
                                                   "? ORDER BY NumeroContrato DESC"),
                                    {p.i("CodigoOperario")});
        for (int i = 0; i < contratos.size(); ++i) {
            const Fila& c = contratos[i];
            // The contract before this one, or itself for the first.
            const Fila& ant = i + 1 < contratos.size() ? contratos[i + 1] : c;
            const bool dentro = enRango(c.f("FechaInicioContrato"));
            switch (d_.Opcion) {
                case TDatosContratos::Contrato:
                    if (dentro) contrato(p, c, ant);
                    break;
                case TDatosContratos::ProrrogaContrato:
                    if (dentro) prorroga(p, c, ant);
                    break;
                case TDatosContratos::TA2:
                    if (dentro || enRango(c.f("FechaFinalContrato"))) ta2(p, c);
                    break;
                case TDatosContratos::CertificadoEmpresa:
                    if (dentro &&
                        !certificados_.contains({p.i("CodigoOperario"), c.i("CodigoContrato")}))
                        certificado(p, c);
                    break;
            }
        }
    }
    // The pages and lines were written behind the tables' backs.
    if (temporal_->Active()) temporal_->Refresh();
    if (ltemporal_ && ltemporal_->Active()) ltemporal_->Refresh();
    transaccion.Confirmar();
}

Registro claveRegistro(const Fila& p, const Fila& c, int pagina) {
    Registro r;
    r[QStringLiteral("CodigoOperario")] = p.i("CodigoOperario");
    r[QStringLiteral("CodigoContrato")] = c.i("CodigoContrato");
    r[QStringLiteral("NumeroContrato")] = c.i("NumeroContrato");
    r[QStringLiteral("Pagina")] = pagina;
    r[QStringLiteral("FechaAlta")] = c.f("FechaInicioContrato");
    if (!sinFecha(c.f("FechaFinalContrato")))
        r[QStringLiteral("FechaBaja")] = c.f("FechaFinalContrato");
    return r;
}

int copias(const TDatosContratos& d) {
    int v = 0;
    return TryStrToInt(d.NumeroCopias, v) ? v : 1;
}

// The columns the contract and the extension share on their first page.
Registro Relleno::primeraPagina(const Fila& p, const Fila& c) {
    Registro r = claveRegistro(p, c, 1);
    grupoOperario(r, p);
    grupoNomina(r, false);
    grupoEmpresa(r);
    r[QStringLiteral("NumeroTrabajadores")] = entero(d_.NumeroTrabajadores);
    horasCero(r);
    r[QStringLiteral("OficinaINEM")] = d_.OficinaINEM;
    return r;
}

void Relleno::contrato(const Fila& p, const Fila& c, const Fila& ant) {
    const TipoContrato t = tipo(c.i("CodigoContrato"));
    // A type without its row takes the chosen format, as an empty text does.
    const QStringList piezas = (t.existe ? t.impreso : QString()).split(QLatin1Char(';'));
    const QString instrucciones = p.s("Instrucciones");

    Registro r = primeraPagina(p, c);
    grupoPresentacion(r);
    claves(r, instrucciones, kClavesHoras);
    r[QStringLiteral("Clausulas")] = c.s("Clausulas");
    r[QStringLiteral("ClausulasAdicionales")] = c.s("ClausulasAdicionales");
    claves(r, instrucciones, kClavesContrato);
    r[QStringLiteral("NumeroCopias")] = copias(d_);
    const QString primera = piezas.value(0);
    r[QStringLiteral("CodigoImpreso")] = primera.isEmpty() ? d_.FormatoImpreso : primera;
    if (ant.i("NumeroRegistroContrato") != 0) {
        r[QStringLiteral("FechaInicioContratoAnt")] = textoFecha(ant.f("FechaInicioContrato"));
        r[QStringLiteral("FechaFinalContratoAnt")] = textoFecha(ant.f("FechaFinalContrato"));
        const TipoContrato ta = tipo(ant.i("CodigoContrato"));
        if (ta.existe) r[QStringLiteral("DescripcionContratoAnt")] = ta.denominacion;
        r[QStringLiteral("FechaPresentacionContrato")] =
            textoFecha(ant.f("FechaPresentacionContrato"));
        r[QStringLiteral("NumeroRegistroContrato")] = ant.i("NumeroRegistroContrato");
    }
    grabar(r);

    Registro s = claveRegistro(p, c, 2);
    grupoOperario(s, p, false);
    grupoNomina(s, true);
    s[QStringLiteral("PuestoTrabajo")] = p.s("PuestoTrabajo");
    grupoEmpresa(s);
    s[QStringLiteral("Domicilio")] = domicilioEmpresa();
    horasCero(s);
    // Without an end the contract has no planned days.
    const QDateTime fin = c.f("FechaFinalContrato");
    s[QStringLiteral("DiasPrevistosDD")] =
        sinFecha(fin) ? 0.0 : double(c.f("FechaInicioContrato").date().daysTo(fin.date()) + 1);
    s[QStringLiteral("OficinaINEM")] = d_.OficinaINEM;
    grupoPresentacion(s);
    claves(s, instrucciones, kClavesHoras);
    s[QStringLiteral("Clausulas")] = c.s("Clausulas");
    s[QStringLiteral("ClausulasAdicionales")] = c.s("ClausulasAdicionales");
    s[QStringLiteral("NumeroCopias")] = copias(d_);
    const QString segunda = piezas.value(1);
    s[QStringLiteral("CodigoImpreso")] =
        segunda.isEmpty() ? d_.FormatoImpreso.section(QLatin1Char('-'), 0, 0) + QStringLiteral("-2")
                          : segunda;
    grabar(s);
}

void Relleno::prorroga(const Fila& p, const Fila& c, const Fila& ant) {
    Registro r = primeraPagina(p, c);
    r[QStringLiteral("NumeroProrroga")] = d_.NumeroProrroga;
    const int meses = entero(d_.MesesDuracion), inicial = entero(d_.DuracionInicial);
    r[QStringLiteral("MesesDuracion")] = meses;
    r[QStringLiteral("DuracionInicial")] = inicial;
    r[QStringLiteral("TiempoAcumulado")] = meses + inicial;
    grupoPresentacion(r);
    r[QStringLiteral("NumeroCopias")] = copias(d_);
    r[QStringLiteral("CodigoImpreso")] = d_.FormatoImpreso;
    const QDateTime finAnterior = ant.f("FechaFinalContrato");
    if (!sinFecha(finAnterior))
        r[QStringLiteral("FechaInicioProrroga")] = textoFecha(finAnterior.addDays(1));
    r[QStringLiteral("FechaAlta")] = ant.f("FechaInicioContrato");
    r[QStringLiteral("FechaPresentacionContrato")] = textoFecha(ant.f("FechaPresentacionContrato"));
    r[QStringLiteral("NumeroRegistroContrato")] = ant.i("NumeroRegistroContrato");
    grabar(r);
}

void Relleno::ta2(const Fila& p, const Fila& c) {
    const QString instrucciones = p.s("Instrucciones");
    Registro r;
    r[QStringLiteral("CodigoOperario")] = p.i("CodigoOperario");
    r[QStringLiteral("CodigoContrato")] = c.i("CodigoContrato");
    r[QStringLiteral("NumeroContrato")] = c.i("NumeroContrato");
    r[QStringLiteral("Pagina")] = 1;
    const QString nombre = p.s("Nombre");
    r[QStringLiteral("NombreOperario")] = nombre;
    const int coma = nombre.indexOf(QLatin1Char(','));
    const QString apellidos = coma < 0 ? nombre : nombre.left(coma);
    r[QStringLiteral("Nombre")] = coma < 0 ? QString() : nombre.mid(coma + 1).trimmed();
    const QStringList partes = apellidos.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    r[QStringLiteral("PrimerApellido")] = partes.value(0);
    r[QStringLiteral("SegundoApellido")] = partes.value(1);
    r[QStringLiteral("NumeroAfiliacion")] = p.s("NumeroAfiliacion");
    const QDateTime nacimiento = p.f("FechaNacimiento");
    if (!sinFecha(nacimiento)) {
        r[QStringLiteral("FechaNacimiento")] = nacimiento;
        r[QStringLiteral("DiaNacimiento")] = DiaFecha(nacimiento);
        r[QStringLiteral("MesNacimiento")] = MesFecha(nacimiento);
        r[QStringLiteral("AnoNacimiento")] = AnoFecha(nacimiento);
    }
    const QString dni = p.s("DNI");
    const bool tarjeta = dni.size() > 9;
    r[QStringLiteral("TipoDocumentoDNI")] = tarjeta ? QStringLiteral(" ") : QStringLiteral("X");
    r[QStringLiteral("TipoDocumentoTarjeta")] = tarjeta ? QStringLiteral("X") : QStringLiteral(" ");
    r[QStringLiteral("NumeroDocumento")] = dni;
    r[QStringLiteral("NombreVia")] = p.s("Domicilio");
    for (const char* col : {"CodigoPostal", "Localidad", "Provincia", "Telefono"})
        r[QLatin1String(col)] = p.s(col);
    auto altaBaja = [&](bool alta, const QDateTime& f) {
        r[QStringLiteral("Alta")] = alta ? QStringLiteral("X") : QStringLiteral(" ");
        r[QStringLiteral("Baja")] = alta ? QStringLiteral(" ") : QStringLiteral("X");
        r[QStringLiteral("Variacion")] = QStringLiteral(" ");
        r[QStringLiteral("Causa")] =
            alta ? QStringLiteral("ALTA CONTRATO") : QStringLiteral("BAJA CONTRATO");
        r[QStringLiteral("DiaAltaBaja")] = DiaFecha(f);
        r[QStringLiteral("MesAltaBaja")] = MesFecha(f);
        r[QStringLiteral("AnoAltaBaja")] = AnoFecha(f);
    };
    if (enRango(c.f("FechaInicioContrato"))) altaBaja(true, c.f("FechaInicioContrato"));
    if (enRango(c.f("FechaFinalContrato"))) altaBaja(false, c.f("FechaFinalContrato"));
    grupoEmpresa(r);
    grupoNomina(r, true);
    r[QStringLiteral("SistemaEspecial")] = QString();
    r[QStringLiteral("Domicilio")] = domicilioEmpresa();
    claves(r, instrucciones, kClavesTA2);
    for (const char* col : {"GrupoCotizacion", "CodigoEpigrafe", "CodigoCategoria"})
        r[QLatin1String(col)] = p.i(col);
    r[QStringLiteral("CodigoOcupacion")] = p.s("CodigoOcupacion");
    claves(r, instrucciones, kClavesHoras);
    r[QStringLiteral("NombreCategoria")] = categoria(p.i("CodigoCategoria"));
    r[QStringLiteral("EmpresarioETT")] = QString();
    horasCero(r);
    r[QStringLiteral("NumeroCopias")] = copias(d_);
    r[QStringLiteral("CodigoImpreso")] = d_.FormatoImpreso;
    grabar(r);
}

void Relleno::certificado(const Fila& p, const Fila& c) {
    Registro r = claveRegistro(p, c, 1);
    r[QStringLiteral("FechaAlta")] = desde_;
    r.remove(QStringLiteral("FechaBaja"));
    if (!d_.FechaSuspension.trimmed().isEmpty())
        r[QStringLiteral("FechaBaja")] = TextoAFechaHora(d_.FechaSuspension);
    else if (!sinFecha(c.f("FechaFinalContrato")))
        r[QStringLiteral("FechaBaja")] = c.f("FechaFinalContrato");
    grupoOperario(r, p);
    r[QStringLiteral("EstadoCivil")] = p.s("EstadoCivil");
    grupoNomina(r, false);
    grupoEmpresa(r);
    r[QStringLiteral("NumeroTrabajadores")] = entero(d_.NumeroTrabajadores);
    horasCero(r);
    r[QStringLiteral("OficinaINEM")] = d_.OficinaINEM;
    grupoPresentacion(r);
    r[QStringLiteral("DiasVacacionesNoDisfrutad")] =
        DiasVacacionesNoDisfrutadas(p.i("CodigoOperario"), p.i("CodigoCalendario"),
                                    c.f("FechaInicioContrato"), c.f("FechaFinalContrato"));
    r[QStringLiteral("NumeroCopias")] = copias(d_);
    r[QStringLiteral("CodigoImpreso")] = d_.FormatoImpreso;
    r[QStringLiteral("CodigoCausaSituacionDesempleo")] = d_.CodigoCausa;
    r[QStringLiteral("CausaSituacionDesempleo")] = d_.CausaSituacionDesempleo;
    auto fechaSiHay = [&r](const QString& columna, const QString& texto) {
        if (!texto.trimmed().isEmpty()) r[columna] = TextoAFechaHora(texto);
    };
    for (int k = 0; k < 4; ++k) {
        const QString n = QString::number(k + 1);
        r[QStringLiteral("TipoTraParcial") + n] = d_.TipoParcial[k];
        r[QStringLiteral("DiasTraParcial") + n] = entero(d_.DiasParcial[k]);
        fechaSiHay(QStringLiteral("FechaDesdeTraParcial") + n, d_.DesdeParcial[k]);
        fechaSiHay(QStringLiteral("FechaHastaTraParcial") + n, d_.HastaParcial[k]);
    }
    fechaSiHay(QStringLiteral("FechaFinSuspension"), d_.FechaFinSuspension);
    if (!d_.NumeroERE.isEmpty()) r[QStringLiteral("NumeroERE")] = d_.NumeroERE;
    fechaSiHay(QStringLiteral("FechaInicioTram"), d_.TramitacionDel);
    fechaSiHay(QStringLiteral("FechaFinalTram"), d_.TramitacionAl);
    r[QStringLiteral("PorcReducPorRegulacion")] = real(d_.ReduccionRegulacion);
    r[QStringLiteral("PorcReducPorCuidados")] = real(d_.ReduccionCuidados);
    r[QStringLiteral("DiasTramitacion")] = entero(d_.DiasTramitacion);
    r[QStringLiteral("DiasCotizados")] = 0;
    r[QStringLiteral("BaseCC")] = 0.0;
    r[QStringLiteral("BaseAT")] = 0.0;

    codigoOperario_ = p.i("CodigoOperario");
    codigoContrato_ = c.i("CodigoContrato");
    numeroContrato_ = c.i("NumeroContrato");
    totalDias_ = 0;
    // The lines are gathered before the page is stored, so that they belong
    // to a stored page; a page that cannot be stored takes none.
    lineas_.clear();
    cotizaciones(p, c, r);
    if (!grabar(r)) return;
    certificados_.insert({codigoOperario_, codigoContrato_});
    if (ltemporal_) grabarLineas();
}

// The columns of a payroll the certificate reads, by position: a walk over
// many employees reads them hundreds of thousands of times.
struct Nomina {
    int CodigoOperario, Ano, Mes;
    QString TipoNomina;
    QVariant FechaInicioContrato;
    int DiasDeAlta, DiasILTEnfermedad, DiasILTAccidente, DiasILTMaternidad, DiasRegulacion;
    double BaseTarifa, BaseATEP, BaseRegulacionCC, BaseRegulacionAT;
};

// A payroll row the certificate leaves out: an extra payment, or a month
// without any contributed day.
bool nominaOculta(const Nomina& n) {
    if (n.TipoNomina.trimmed() == QLatin1String("Extra")) return true;
    return n.DiasDeAlta + n.DiasILTEnfermedad + n.DiasILTAccidente + n.DiasILTMaternidad +
               n.DiasRegulacion ==
           0;
}

void Relleno::cotizaciones(const Fila& p, const Fila& c, Registro& r) {
    QVector<Nomina> nominas;
    QSqlQuery& q = base_->Prepared(
        QStringLiteral("SELECT CodigoOperario, Ano, Mes, TipoNomina, FechaInicioContrato, "
                       "DiasDeAlta, DiasILTEnfermedad, DiasILTAccidente, DiasILTMaternidad, "
                       "DiasRegulacion, BaseTarifa, BaseATEP, BaseRegulacionCC, BaseRegulacionAT "
                       "FROM NOMINA WHERE CodigoOperario = ? "
                       "ORDER BY Ano DESC, Mes DESC, TipoNomina DESC"));
    q.bindValue(0, p.i("CodigoOperario"));
    base_->Run(q);
    while (q.next()) {
        const Nomina n{q.value(0).toInt(),
                       q.value(1).toInt(),
                       q.value(2).toInt(),
                       q.value(3).toString(),
                       q.value(4),
                       q.value(5).toInt(),
                       q.value(6).toInt(),
                       q.value(7).toInt(),
                       q.value(8).toInt(),
                       q.value(9).toInt(),
                       q.value(10).toDouble(),
                       q.value(11).toDouble(),
                       q.value(12).toDouble(),
                       q.value(13).toDouble()};
        if (!nominaOculta(n)) nominas.append(n);
    }
    q.finish();
    totalCC_ = totalAT_ = pendienteCC_ = pendienteAT_ = 0;
    linea_ = 1;
    const QDateTime inicio = c.f("FechaInicioContrato");
    const QString inicioTexto = TextoVariante(inicio);
    const QString instrucciones = p.s("Instrucciones");
    // The payrolls of one contract share their start: it is read once.
    QVariant inicioLeido;
    bool otroContrato = false, posterior = false;
    for (int i = 0; i < nominas.size(); ++i) {
        const Nomina& n = nominas[i];
        if (diasCertificado_ <= totalDias_) break;
        const QVariant inicioNomina = n.FechaInicioContrato;
        if (i == 0 || inicioNomina != inicioLeido) {
            inicioLeido = inicioNomina;
            const QDateTime f = fechaDe(inicioNomina);
            otroContrato = TextoVariante(f) != inicioTexto;
            posterior = f > inicio;
        }
        if (d_.UltimoContrato && otroContrato) break;
        if (posterior) continue;
        const QString tipoNomina = n.TipoNomina;
        if (tipoNomina.left(9) == QLatin1String("Finiquito")) {
            // The settlement goes to the certificate itself, not to a line.
            r[QStringLiteral("DiasCotizados")] =
                r.value(QStringLiteral("DiasCotizados")).toInt() + n.DiasDeAlta;
            r[QStringLiteral("BaseCC")] =
                r.value(QStringLiteral("BaseCC")).toDouble() + n.BaseTarifa;
            r[QStringLiteral("BaseAT")] = r.value(QStringLiteral("BaseAT")).toDouble() + n.BaseATEP;
            totalDias_ += n.DiasDeAlta;
            totalCC_ += n.BaseTarifa;
            totalAT_ += n.BaseATEP;
        } else if (tipoNomina.trimmed() == QLatin1String("Atrasos") ||
                   tipoNomina.trimmed() == QLatin1String("6")) {
            // Arrears wait for the next monthly line; the totals take them there.
            pendienteCC_ += n.BaseTarifa;
            pendienteAT_ += n.BaseATEP;
        } else {
            agregarLinea(n, c, instrucciones, i + 1 == nominas.size());
        }
    }
    r[QStringLiteral("TotalDiasCotizados")] = totalDias_;
    r[QStringLiteral("TotalBaseCC")] = totalCC_;
    r[QStringLiteral("TotalBaseAT")] = totalAT_;
}

void Relleno::agregarLinea(const Nomina& n, const Fila& c, const QString& instrucciones,
                           bool primera) {
    const int dias = n.DiasDeAlta + n.DiasILTEnfermedad + n.DiasILTAccidente + n.DiasILTMaternidad;
    int cotizados;
    double cc, at;
    if (totalDias_ + dias > diasCertificado_ && !primera && dias > 0) {
        cotizados = diasCertificado_ - totalDias_;
        cc = MDNominas->RedondeoMoneda(n.BaseTarifa / dias * cotizados) + pendienteCC_;
        at = MDNominas->RedondeoMoneda(n.BaseATEP / dias * cotizados) + pendienteAT_;
    } else {
        cotizados = dias;
        cc = n.BaseTarifa + pendienteCC_;
        at = n.BaseATEP + pendienteAT_;
    }
    totalDias_ += cotizados;
    totalCC_ += cc;
    totalAT_ += at;
    const int regulacion = n.DiasRegulacion;
    if (regulacion != 0) {
        const bool reducida = !EsCero(c.d("PorcentajeReduccionJornad")) &&
                              ValorParametro(QStringLiteral("%RegulacionEmpleo"), instrucciones) !=
                                  QLatin1String("100");
        if (reducida) {
            cc += n.BaseRegulacionCC;
            at += n.BaseRegulacionAT;
            totalCC_ += n.BaseRegulacionCC;
            totalAT_ += n.BaseRegulacionAT;
        } else if (regulacion + totalDias_ > diasCertificado_) {
            const int e = diasCertificado_ - totalDias_;
            const double rcc = MDNominas->RedondeoMoneda(n.BaseRegulacionCC / regulacion * e);
            const double rat = MDNominas->RedondeoMoneda(n.BaseRegulacionAT / regulacion * e);
            cotizados += e;
            cc += rcc;
            at += rat;
            totalDias_ += e;
            totalCC_ += rcc;
            totalAT_ += rat;
        } else {
            cotizados += regulacion;
            cc += n.BaseRegulacionCC;
            at += n.BaseRegulacionAT;
            totalDias_ += regulacion;
            totalCC_ += n.BaseRegulacionCC;
            totalAT_ += n.BaseRegulacionAT;
        }
    }
    lineas_.append({linea_, n.Ano, n.Mes, cotizados, cc, at});
    pendienteCC_ = pendienteAT_ = 0;
    ++linea_;
}

}  // namespace

bool ValorCabeEnColumnaContratos(const QString& NombreColumna, const QString& Texto,
                                 const QString& NombreDato) {
    TFieldType tipo = ftUnknown;
    for (const Columna& c : kColumnasTemporal)
        if (NombreColumna.compare(QLatin1String(c.nombre), Qt::CaseInsensitive) == 0)
            tipo = FieldTypeFromName(QLatin1String(c.tipo));
    QString aviso;
    if (tipo == ftSmallint || tipo == ftInteger) {
        // The column's own range; SQLite would keep any number, the server
        // refuses the page.
        const qint64 minimo = tipo == ftSmallint ? std::numeric_limits<qint16>::min()
                                                 : std::numeric_limits<qint32>::min();
        const qint64 maximo = tipo == ftSmallint ? std::numeric_limits<qint16>::max()
                                                 : std::numeric_limits<qint32>::max();
        bool ok = false;
        const qint64 v = Texto.trimmed().toLongLong(&ok);
        if (ok && v >= minimo && v <= maximo) return true;
        aviso = QStringLiteral(" es incorrecto! Debe estar entre %1 y %2. Repita por favor")
                    .arg(minimo)
                    .arg(maximo);
    } else if (IsFloatType(tipo)) {
        // A real column is a DECIMAL(p,s) on the servers: fewer than p - s
        // whole digits.
        QString decimal;
        TipoDecimalSQL(fGENEINIC, NombreColumna, decimal);
        static const QRegularExpression cifras(QStringLiteral("\\((\\d+),\\s*(\\d+)\\)"));
        const QRegularExpressionMatch m = cifras.match(decimal);
        const int enteras = m.hasMatch() ? m.captured(1).toInt() - m.captured(2).toInt() : 15;
        const double v = TextoAReal(Texto);
        if (std::isfinite(v) && std::fabs(v) < std::pow(10.0, enteras)) return true;
        aviso = QStringLiteral(
                    " es incorrecto! Debe tener como máximo %1 cifras enteras. Repita por favor")
                    .arg(enteras);
    } else {
        return true;
    }
    if (!NombreDato.isEmpty())
        MensajeAdvertencia(QStringLiteral("¡El valor de ") + NombreDato + aviso);
    return false;
}

QString DefinicionTemporalContratos() {
    return definicion("Tabla Temporal", kColumnasTemporal, 4,
                      "CodigoOperario;CodigoContrato;NumeroContrato;Pagina");
}

QString DefinicionLTemporalContratos() {
    return definicion("Tabla Temporal 1", kColumnasLTemporal, 5,
                      "CodigoOperario;CodigoContrato;NumeroContrato;Pagina;Linea");
}

void RellenarImpresos(const TDatosContratos& Datos, TTable* Temporal, TTable* LTemporal) {
    Relleno(Datos, Temporal, LTemporal).ejecutar();
}

double DiasVacacionesNoDisfrutadas(int CodigoOperario, int CodigoCalendario,
                                   const QDateTime& InicioContrato,
                                   const QDateTime& FinalContrato) {
    // Without an end nothing is owed yet.
    if (sinFecha(FinalContrato) || !MDNominas) return 0;
    const int anoNomina =
        MDNominas->Parametros && MDNominas->Parametros->Active()
            ? MDNominas->Parametros->FieldByName(QStringLiteral("AnoNomina"))->AsInteger()
            : FinalContrato.date().year();
    QString texto;
    if (MDNominas->Parametros && MDNominas->Parametros->Active())
        if (TField* f =
                MDNominas->Parametros->FindField(QStringLiteral("FechaFiniquitoVacaciones")))
            texto = f->AsString().trimmed();
    if (texto.split(QLatin1Char('/')).size() < 3)
        texto += QStringLiteral("/") + QString::number(anoNomina - 1);
    QDateTime inicio = TextoAFechaHora(texto);
    if (sinFecha(inicio) || !ValidarFecha(texto, QString()))
        inicio = TextoAFechaHora(QStringLiteral("1/9/") + QString::number(anoNomina - 1));
    if (inicio < InicioContrato) inicio = InicioContrato;
    const int naturales = MDNominas->DiasCalendario(QStringLiteral("Naturales"), CodigoCalendario,
                                                    inicio, FinalContrato);
    int periodo, alta, noRetribuidos, noCotiza, regulacion, enfermedad, accidente, maternidad,
        vacaciones, regulacion2;
    MDNominas->DiasCotizadosMes(CodigoOperario, AnoFecha(inicio), MesFecha(inicio),
                                AnoFecha(FinalContrato), MesFecha(FinalContrato), periodo, alta,
                                noRetribuidos, noCotiza, regulacion, enfermedad, accidente,
                                maternidad, vacaciones, regulacion2);
    return RedondearDecimales(naturales * 30.0 / 365 - vacaciones, 2);
}
