#include "gene/data/genenlet.h"

#include <cmath>

#include "db/sysutils.h"
#include "gene/data/geneconv.h"

namespace {

const char* const kUnidades[10] = {"",      "UNA",  "DOS",   "TRES", "CUATRO",
                                   "CINCO", "SEIS", "SIETE", "OCHO", "NUEVE"};
const char* const kDiez[10] = {"DIEZ",   "ONCE",      "DOCE",       "TRECE",     "CATORCE",
                               "QUINCE", "DIECISEIS", "DIECISIETE", "DIECIOCHO", "DIECINUEVE"};
const char* const kVeinte[10] = {"VEINTE",       "VEINTIUNA",   "VEINTIDOS",  "VEINTITRES",
                                 "VEINTICUATRO", "VEINTICINCO", "VEINTISEIS", "VEINTISIETE",
                                 "VEINTIOCHO",   "VEINTINUEVE"};
const char* const kDecenas[10] = {"",          "",        "",        "TREINTA", "CUARENTA",
                                  "CINCUENTA", "SESENTA", "SETENTA", "OCHENTA", "NOVENTA"};
const char* const kCentenas[10] = {
    "",           "CIENTO",      "DOSCIENTAS",  "TRESCIENTAS", "CUATROCIENTAS",
    "QUINIENTAS", "SEISCIENTAS", "SETECIENTAS", "OCHOCIENTAS", "NOVECIENTAS"};

const qint64 kMil = 1000;
const qint64 kMillon = 1000000;
const qint64 kMilMillones = 1000000000;
const qint64 kLimite = 1000000000000;  // the words go up to 999.999.999.999

// The three digits of a group; false when Grupo is not three digits.
bool digitos(const QString& grupo, int& c, int& d, int& u) {
    if (grupo.size() != 3) return false;
    for (const QChar ch : grupo)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
    c = grupo.at(0).unicode() - '0';
    d = grupo.at(1).unicode() - '0';
    u = grupo.at(2).unicode() - '0';
    return true;
}

bool enMillones(const QString& contexto) {
    return contexto == QLatin1String("Millones");
}

// Millions are masculine: "UNA" -> "UN", "VEINTIUNA" -> "VEINTIUN",
// "DOSCIENTAS" -> "DOSCIENTOS".
QString masculino(const char* palabra) {
    QString p = QString::fromLatin1(palabra);
    if (p.endsWith(QLatin1String("UNA")))
        p.chop(1);
    else if (p.endsWith(QLatin1String("AS")))
        p[p.size() - 2] = QLatin1Char('O');
    return p;
}

QString grupo(qint64 n) {
    return QString::number(n).rightJustified(3, QLatin1Char('0'));
}

// The integer part in words, up to 999.999.999.999.
QString enteroEnLetra(qint64 n) {
    const qint64 milesMillones = n / kMilMillones;
    const qint64 millones = n / kMillon % kMil;
    const qint64 miles = n / kMil % kMil;
    const qint64 unidades = n % kMil;
    const QString cMillones = QStringLiteral("Millones");
    QString r;
    if (milesMillones > 0) {
        // "MIL MILLONES", "DOS MIL MILLONES": the thousands of millions are
        // masculine too.
        if (milesMillones > 1) r += GrupoEnLetra(cMillones, grupo(milesMillones));
        r += QStringLiteral("MIL ");
        if (millones == 0) r += QStringLiteral("MILLONES ");
    }
    if (millones > 0) {
        r += GrupoEnLetra(cMillones, grupo(millones));
        r += millones == 1 && milesMillones == 0 ? QStringLiteral("MILLON ")
                                                 : QStringLiteral("MILLONES ");
    }
    if (miles > 0)
        r += GrupoEnLetra(QStringLiteral("Miles"), grupo(miles)) + QStringLiteral("MIL ");
    if (unidades > 0) r += GrupoEnLetra(QStringLiteral("Unidades"), grupo(unidades));
    return r;
}

}  // namespace

QString CentenasEnLetra(const QString& Contexto, const QString& Grupo) {
    int c, d, u;
    if (!digitos(Grupo, c, d, u) || c == 0) return QString();
    if (c == 1) return d == 0 && u == 0 ? QStringLiteral("CIEN") : QStringLiteral("CIENTO");
    return enMillones(Contexto) ? masculino(kCentenas[c]) : QString::fromLatin1(kCentenas[c]);
}

QString DecenasEnLetra(const QString& Contexto, const QString& Grupo) {
    int c, d, u;
    if (!digitos(Grupo, c, d, u)) return QString();
    if (d == 1) return QString::fromLatin1(kDiez[u]);
    if (d == 2)
        return enMillones(Contexto) ? masculino(kVeinte[u]) : QString::fromLatin1(kVeinte[u]);
    return QString::fromLatin1(kDecenas[d]);
}

QString UnidadesEnLetra(const QString& Contexto, const QString& Grupo) {
    int c, d, u;
    if (!digitos(Grupo, c, d, u)) return QString();
    return enMillones(Contexto) ? masculino(kUnidades[u]) : QString::fromLatin1(kUnidades[u]);
}

QString GrupoEnLetra(const QString& Contexto, const QString& Grupo) {
    int c, d, u;
    if (!digitos(Grupo, c, d, u)) return QString();
    const QChar blanco = QLatin1Char(' ');
    QString r;
    if (c != 0) r += CentenasEnLetra(Contexto, Grupo) + blanco;
    if (d != 0) r += DecenasEnLetra(Contexto, Grupo) + blanco;
    if (u != 0 && d != 1 && d != 2) {
        if (Grupo == QLatin1String("001") && Contexto == QLatin1String("Miles")) return r;
        if (d != 0) r += QStringLiteral("Y ");
        r += UnidadesEnLetra(Contexto, Grupo) + blanco;
    }
    return r;
}

QString NumeroEnLetraMayusculas(double Importe) {
    if (!std::isfinite(Importe)) return QString();
    // Rounded to cents before it is split, so that 7,999 is "OCHO" and not
    // "SIETE" with no cents.
    const double centimos = RedondearValor(std::fabs(Importe) * 100);
    if (centimos >= double(kLimite) * 100) return FloatToStr(RedondearDecimales(Importe, 2));
    const qint64 total = qint64(centimos);
    const qint64 entero = total / 100;
    const qint64 fraccion = total % 100;
    QString r;
    if (Importe < 0 && total > 0) r = QStringLiteral("MENOS ");
    r += entero > 0 ? enteroEnLetra(entero) : QStringLiteral("CERO ");
    if (fraccion > 0) r += QStringLiteral("CON ") + enteroEnLetra(fraccion);
    return r;
}

QString NumeroEnLetra(double Importe) {
    QString r = NumeroEnLetraMayusculas(Importe).toLower();
    r.replace(QLatin1String("cientas"), QLatin1String("cientos"));
    r.replace(QLatin1String("quinientas"), QLatin1String("quinientos"));
    r.replace(QLatin1String("una"), QLatin1String("uno"));
    return r;
}
