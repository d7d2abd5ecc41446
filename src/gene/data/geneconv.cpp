#include "gene/data/geneconv.h"

#include <cmath>
#include <limits>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/typednumber.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

namespace {

bool advertir(const QString& nombreDato, const char* inicio, const char* fin) {
    if (!nombreDato.isEmpty())
        MensajeAdvertencia(QString::fromUtf8(inicio) + nombreDato + QString::fromUtf8(fin));
    return false;
}

bool valorIncorrecto(const QString& nombreDato) {
    return advertir(nombreDato, "¡El valor de ", " es incorrecto! Repita por favor");
}

bool esEntero(int tipo) {
    switch (tipo) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return true;
        default:
            return false;
    }
}

bool esReal(int tipo) {
    return tipo == QMetaType::Double || tipo == QMetaType::Float;
}

QString digitos(const QVariant& v) {
    const int tipo = v.typeId();
    if (tipo == QMetaType::ULongLong || tipo == QMetaType::ULong || tipo == QMetaType::UInt)
        return QString::number(v.toULongLong());
    return QString::number(v.toLongLong());
}

bool esNulo(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

}  // namespace

// ---------------------------------------------------------------------------
// Conversion

double TextoAReal(const QString& Texto, const QString& Opciones) {
    QString t = Texto;
    if (Opciones.contains(QLatin1String("PuntoDecimal"))) {
        t.remove(QLatin1Char(','));
        t.replace(QLatin1Char('.'), QLatin1Char(','));
    } else {
        t.remove(QLatin1Char('.'));
    }
    double v = 0;
    return TryStrToFloat(t, v) ? v : 0.0;
}

QDateTime TextoAFechaHora(const QString& Texto) {
    QDateTime v;
    return TryStrToDateTime(Texto, v) ? v : ZeroDateTime();
}

QString ValorSQL(const QVariant& Valor) {
    if (esNulo(Valor)) return QStringLiteral("''");
    const int tipo = Valor.typeId();
    // Small integers and bytes are written as digits like any integer: an
    // empty text in their place would break the statement.
    if (esEntero(tipo)) return digitos(Valor);
    if (esReal(tipo)) {
        const double d = Valor.toDouble();
        if (!std::isfinite(d)) return QStringLiteral("NULL");
        return FormatFloat(QStringLiteral("0.000000"), d)
            .replace(QLatin1Char(','), QLatin1Char('.'));
    }
    switch (tipo) {
        case QMetaType::QString:
        case QMetaType::QChar:
            return Entrecomillar(Valor.toString());
        case QMetaType::Bool:
            return DialectoActual().booleanLiteral(Valor.toBool());
        case QMetaType::QDate:
            return DialectoActual().dateLiteral(Valor.toDate());
        case QMetaType::QTime:
            return DialectoActual().timeLiteral(Valor.toTime());
        case QMetaType::QDateTime:
            return DialectoActual().dateTimeLiteral(Valor.toDateTime());
        default:
            return QString();
    }
}

QString TextoVariante(const QVariant& Valor) {
    if (esNulo(Valor)) return QString();
    const int tipo = Valor.typeId();
    if (esEntero(tipo)) return digitos(Valor);
    if (esReal(tipo)) return FloatToStr(Valor.toDouble());
    switch (tipo) {
        case QMetaType::QVariantList: {
            const QVariantList l = Valor.toList();
            return l.isEmpty() ? QString() : TextoVariante(l.first());
        }
        case QMetaType::QStringList: {
            const QStringList l = Valor.toStringList();
            return l.isEmpty() ? QString() : l.first();
        }
        case QMetaType::Bool:
            return BoolToStr(Valor.toBool());
        case QMetaType::QDate:
            return DateToStr(Valor.toDate());
        case QMetaType::QTime:
            return TimeToStr(Valor.toTime());
        case QMetaType::QDateTime:
            return DateTimeToStr(Valor.toDateTime());
        default:
            return Valor.canConvert<QString>() ? Valor.toString() : QString();
    }
}

QString NombreTipoCampo(TFieldType Tipo) {
    return FieldTypeName(Tipo);
}

TFieldType TipoCampoDeNombre(const QString& Nombre) {
    if (Nombre == QLatin1String("ftSmallInt")) return ftSmallint;
    for (int t = ftString; t <= ftTypedBinary; ++t)
        if (FieldTypeName(TFieldType(t)) == Nombre) return TFieldType(t);
    return ftUnknown;
}

int AnchoCampo(const TField* Campo) {
    if (!Campo) return 0;
    switch (Campo->DataType()) {
        case ftFloat:
            return 13;
        case ftInteger:
            return 9;
        case ftSmallint:
            return 5;
        case ftDate:
        case ftDateTime:
        case ftMemo:
            return 10;
        case ftTime:
            return 8;
        default:
            return Campo->DisplayWidth();
    }
}

// ---------------------------------------------------------------------------
// Validation

bool ValidarEntero(const QString& Texto, const QString& NombreDato) {
    int v;
    return TryStrToInt(Texto, v) || valorIncorrecto(NombreDato);
}

bool ValidarReal(const QString& Texto, const QString& NombreDato) {
    // "." is only a thousands mark here ("1.234" is valid, "12.5" is not).
    double v;
    return TryTypedStrToFloat(Texto, v) || valorIncorrecto(NombreDato);
}

bool ValidarHora(const QString& Texto, const QString& NombreDato) {
    QTime t;
    return TryStrToTime(Texto, t) ||
           advertir(NombreDato, "¡La hora de ", " es incorrecta! Repita por favor");
}

bool ValidarFecha(const QString& Texto, const QString& NombreDato) {
    QDate d;
    return (TryStrToDate(Texto, d) && d > QDate(1890, 1, 1)) ||
           advertir(NombreDato, "¡La fecha de ", " es incorrecta! Repita por favor");
}

bool EsCero(double Valor) {
    return Valor >= -0.00001 && Valor <= 0.00001;
}

void PedirFecha(const QString& Pregunta, QDateTime& Fecha) {
    QString respuesta = Fecha.isValid() ? DateToStr(Fecha.date()) : QString();
    do {
        respuesta = MensajePeticion(Pregunta, QString(respuesta));
    } while (!ValidarFecha(respuesta, respuesta));
    Fecha = QDateTime(StrToDate(respuesta), QTime(0, 0));
}

// ---------------------------------------------------------------------------
// Dates

int AnoCompleto(int Ano) {
    if (Ano > 99) return Ano;
    return Ano < 50 ? 2000 + Ano : 1900 + Ano;
}

int AnoDosCifras(const QDateTime& Fecha) {
    return QString::number(AnoFecha(Fecha)).mid(2, 2).toInt();
}

int AnoFecha(const QDateTime& Fecha) {
    return Fecha.date().year();
}

int MesFecha(const QDateTime& Fecha) {
    return Fecha.date().month();
}

int DiaFecha(const QDateTime& Fecha) {
    return Fecha.date().day();
}

QString AnoTexto(const QDateTime& Fecha) {
    return QString::number(AnoFecha(Fecha)).rightJustified(4, QLatin1Char('0'));
}

int DiasMes(const QDateTime& Fecha) {
    return Fecha.date().daysInMonth();
}

QDateTime PrimerDiaMes(const QDateTime& Fecha) {
    const QDate d = Fecha.date();
    return QDateTime(QDate(d.year(), d.month(), 1), QTime(0, 0));
}

QDateTime UltimoDiaMes(const QDateTime& Fecha) {
    const QDate d = Fecha.date();
    return QDateTime(QDate(d.year(), d.month(), d.daysInMonth()), QTime(0, 0));
}

QDateTime SumarMeses(const QDateTime& Fecha, int Meses) {
    return QDateTime(Fecha.date().addMonths(Meses), Fecha.time());
}

QString NombreMes(int Mes) {
    static const char* const nombres[12] = {"Enero",      "Febrero", "Marzo",     "Abril",
                                            "Mayo",       "Junio",   "Julio",     "Agosto",
                                            "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    return Mes >= 1 && Mes <= 12 ? QString::fromLatin1(nombres[Mes - 1]) : QString();
}

QDateTime ParteHora(const QDateTime& FechaHora) {
    return QDateTime(ZeroDate(), FechaHora.isValid() ? FechaHora.time() : QTime(0, 0));
}

double HorasDecimales(const QDateTime& Hora) {
    const QTime t = Hora.time();
    if (!t.isValid()) return 0;
    return t.hour() + t.minute() / 60.0 + t.second() / 3600.0;
}

// ---------------------------------------------------------------------------
// Rounding

double RedondearValor(double Valor) {
    if (!std::isfinite(Valor)) return Valor;
    const bool positivo = Valor >= 0;
    const double a = std::fabs(Valor);
    // 0.5000001 rather than 0.5 absorbs the binary error of products such as
    // 2.345 * 100 (234.49999...), so that they round up as written.
    double r;
    const double sumado = a + 0.5000001;
    if (sumado < 9.2e18) {
        r = double(qint64(sumado));
    } else {
        const double entero = std::trunc(a);
        r = entero + (a - entero > 0.5 ? 1 : 0);
    }
    return positivo || r == 0 ? r : -r;
}

double RedondearDecimales(double Valor, int Decimales) {
    double factor = 1;
    for (int i = 0; i < Decimales && std::isfinite(factor); ++i) factor *= 10;
    const double r = RedondearValor(Valor * factor) / factor;
    return std::isfinite(r) ? r : Valor;
}

double RedondearMultiplo(double Valor, double Multiplo) {
    if (Multiplo == 0) return Valor;
    const double r = RedondearValor(Valor / Multiplo) * Multiplo;
    return std::isfinite(r) ? r : Valor;
}
