// Table names and the SQL conditions the framework builds.

#include "db/database.h"
#include "db/sysutils.h"
#include "gene/data/geneconv.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

namespace {

QString sinPropietario(const QString& nombre) {
    return nombre.contains(QLatin1Char('.')) ? ExtraerToken(1, nombre, QStringLiteral("."))
                                             : nombre;
}

enum class Clase { Entero, CastEntero, Real, Fecha, FechaHora, Texto };

Clase claseDeTipo(const QString& tipo) {
    if (tipo == QLatin1String("ftInteger") || tipo == QLatin1String("ftSmallint"))
        return Clase::Entero;
    if (tipo == QLatin1String("CAST_AS_INTEGER")) return Clase::CastEntero;
    if (tipo == QLatin1String("ftFloat")) return Clase::Real;
    if (tipo == QLatin1String("ftDate")) return Clase::Fecha;
    if (tipo == QLatin1String("ftDateTime")) return Clase::FechaHora;
    return Clase::Texto;
}

// An integer bound: its digits, or "0" when empty or not a number.
QString limiteEntero(const QString& limite) {
    qint64 v = 0;
    return TryStrToInt64(limite, v) ? QString::number(v) : QStringLiteral("0");
}

// A float bound in SQL notation; an empty one is 0. A text that is no number
// never reaches the SQL: the user is told and the operation cancelled.
QString limiteReal(const QString& campo, const QString& limite, double& valor) {
    valor = 0;
    if (!limite.trimmed().isEmpty() && !TryStrToFloat(limite, valor)) {
        MensajeAdvertencia(QStringLiteral("¡El valor de ") + SepararPalabras(campo) +
                           QStringLiteral(" es incorrecto! Repita por favor"));
        Abort();
    }
    return FloatToStr(valor).replace(QLatin1Char(','), QLatin1Char('.'));
}

QString limiteFecha(Clase clase, const QString& limite) {
    const QDate d = TextoAFechaHora(limite).date();
    return clase == Clase::Fecha ? DialectoActual().dateLiteral(d)
                                 : DialectoActual().dateTimeLiteral(QDateTime(d, QTime(0, 0)));
}

// The field name that ends just before position `fin`: back to the nearest
// blank, parenthesis, line break or the start.
QString campoAntesDe(const QString& texto, qsizetype fin) {
    qsizetype i = fin;
    while (i > 0) {
        const QChar c = texto.at(i - 1);
        if (c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
            c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        --i;
    }
    return texto.mid(i, fin - i);
}

}  // namespace

bool EsTablaGeneral(const QString& NombreTabla) {
    static const QStringList generales = {
        QStringLiteral("EMPRESA"),  QStringLiteral("USUARIO"),  QStringLiteral("CONFAPLI"),
        QStringLiteral("CAMPOUSR"), QStringLiteral("INCAPLIC"), QStringLiteral("NOMBTTEM"),
        QStringLiteral("IDIOMA"),   QStringLiteral("TXIDIOMA"), QStringLiteral("MENSAJE"),
        QStringLiteral("UDADCALC"), QStringLiteral("VPART")};
    return generales.contains(sinPropietario(NombreTabla));
}

namespace {
// The connections ask the general database about these tables only.
[[maybe_unused]] const bool kGeneralesConocidas =
    (TDatabase::SetGeneralTableTest(EsTablaGeneral), true);
}  // namespace

bool EsTablaTemporal(const QString& NombreTabla) {
    const QString n = sinPropietario(NombreTabla);
    return n.left(4).toUpper() == QLatin1String("TEMP") && n.size() > 8;
}

QString NombreTablaSQL(const QString& SQL) {
    QString t = SQL;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t = t.trimmed().replace(QLatin1String(" FROM "), QLatin1String("|")).trimmed();
    const QString resto = ExtraerToken(1, t, QStringLiteral("|"));
    return ExtraerToken(0, resto, QStringLiteral(" ")).trimmed().toUpper();
}

QString CondicionDesdeHasta(const QString& Campo, const QString& Desde, const QString& Hasta,
                            const QString& Tipo) {
    const Clase clase = claseDeTipo(Tipo);
    const bool iguales = Desde == Hasta;
    QString d, h;
    bool nulos = false;
    switch (clase) {
        case Clase::Entero:
        case Clase::CastEntero:
            d = limiteEntero(Desde);
            h = limiteEntero(Hasta);
            nulos = d == QLatin1String("0");
            break;
        case Clase::Real: {
            double vd, vh;
            d = limiteReal(Campo, Desde, vd);
            h = limiteReal(Campo, Hasta, vh);
            nulos = vd == 0;
            break;
        }
        case Clase::Fecha:
        case Clase::FechaHora:
            d = limiteFecha(clase, Desde);
            h = limiteFecha(clase, Hasta);
            nulos = Desde.isEmpty();
            break;
        case Clase::Texto:
            d = Entrecomillar(Desde);
            h = Entrecomillar(Hasta);
            nulos = Desde.isEmpty();
            break;
    }
    // A cast column's range has two blanks before its second CAST, as the
    // system has always written it.
    const bool cast = clase == Clase::CastEntero;
    const QString columna =
        cast ? QStringLiteral("CAST(") + Campo + QStringLiteral(" AS INTEGER)") : Campo;
    QString c;
    if (iguales)
        c = QStringLiteral("(") + columna + QStringLiteral(" = ") + d + QStringLiteral(")");
    else
        c = QStringLiteral("(") + columna + QStringLiteral(" >= ") + d +
            (cast ? QStringLiteral(" AND  ") : QStringLiteral(" AND ")) + columna +
            QStringLiteral(" <= ") + h + QStringLiteral(")");
    if (nulos)
        c = QStringLiteral("(") + c + QStringLiteral(" OR (") + Campo +
            QStringLiteral(" IS NULL))");
    return c;
}

QString TextoDesdeHasta(const QString& Lista) {
    const QString barra = QStringLiteral("|");
    QString r;
    for (const QString& linea : LineasTexto(Lista)) {
        const QString desde = ExtraerToken(1, linea, barra);
        const QString hasta = ExtraerToken(2, linea, barra);
        if (desde.isEmpty() && hasta.isEmpty()) continue;
        const QString palabras = SepararPalabras(ExtraerToken(0, linea, barra));
        r += QStringLiteral("Desde ") + palabras + QStringLiteral(": ") + desde +
             QStringLiteral(", Hasta ") + palabras + QStringLiteral(": ") + hasta +
             QStringLiteral(", ");
    }
    return r;
}

TLiteralesSQL::TLiteralesSQL(const QString& SQL) {
    // A mark character the statement does not hold, from the private area.
    for (char16_t c = 0xF8FF; c >= 0xE000 && marca_.isNull(); --c)
        if (!SQL.contains(QChar(c))) marca_ = QChar(c);
    if (marca_.isNull()) {
        texto_ = SQL;
        return;
    }
    texto_.reserve(SQL.size());
    for (qsizetype i = 0; i < SQL.size();) {
        if (SQL.at(i) != QLatin1Char('\'')) {
            texto_ += SQL.at(i++);
            continue;
        }
        // To the quote that closes it: '' inside is one quote; an
        // unterminated literal runs to the end.
        qsizetype j = i + 1;
        while (j < SQL.size()) {
            if (SQL.at(j) == QLatin1Char('\'')) {
                if (j + 1 < SQL.size() && SQL.at(j + 1) == QLatin1Char('\'')) {
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            ++j;
        }
        const QString literal = SQL.mid(i, j - i);
        if (literal == QLatin1String("''")) {
            texto_ += literal;  // the empty value the rewrites look for
        } else {
            texto_ += marca_ + QString::number(literales_.size()) + marca_;
            literales_ << literal;
        }
        i = j;
    }
}

QString TLiteralesSQL::Restaurar(const QString& Texto) const {
    if (literales_.isEmpty()) return Texto;
    QString r;
    r.reserve(Texto.size());
    for (qsizetype i = 0; i < Texto.size(); ++i) {
        const qsizetype fin = Texto.at(i) == marca_ ? Texto.indexOf(marca_, i + 1) : -1;
        if (fin < 0) {
            r += Texto.at(i);
            continue;
        }
        r += literales_.value(Texto.mid(i + 1, fin - i - 1).toInt());
        i = fin;
    }
    return r;
}

QString IncluirNulosEnCondiciones(const QString& SQL) {
    const QString igual = QStringLiteral(" = ''");
    const QString distinto = QStringLiteral(" <> ''");
    if (!SQL.contains(igual) && !SQL.contains(distinto)) return SQL;
    // Only comparisons written in the statement itself are rewritten: quoted
    // values are set aside, and their own quotes cannot be read as "''".
    const TLiteralesSQL literales(SQL);
    QString t = literales.Texto();
    // The placeholder is a character the text does not hold, so that nothing
    // the statement says can be taken for it.
    const QString marca = CaracterNoUsado(t);
    if (marca.isEmpty()) return SQL;
    const QString marcaIgual = QStringLiteral(" = ") + marca;
    const QString marcaDistinto = QStringLiteral(" <> ") + marca;
    t.replace(igual, marcaIgual).replace(distinto, marcaDistinto);
    const qsizetype where = t.indexOf(QLatin1String("WHERE"), 0, Qt::CaseInsensitive);
    // Without a condition there is nothing to widen (an UPDATE's SET stays).
    if (where < 0) return SQL;

    // Rewrites the first placeholder of one kind when it stands after the
    // WHERE; false when there was none to rewrite, and sets `vacio` when the
    // field before it cannot be read.
    bool vacio = false;
    auto reescribir = [&](const QString& marcaOp, const QString& op, const QString& nulo) {
        const qsizetype p = t.indexOf(marcaOp);
        if (p < 0 || p <= where) return false;
        const QString campo = campoAntesDe(t, p);
        if (campo.isEmpty()) {
            vacio = true;
            return false;
        }
        t.replace(p - campo.size(), campo.size() + marcaOp.size(),
                  QStringLiteral("(") + campo + op + campo + nulo + QStringLiteral(")"));
        return true;
    };
    bool cambio = true;
    while (cambio) {
        cambio = reescribir(marcaIgual, QStringLiteral(" = '' OR "), QStringLiteral(" IS NULL"));
        if (vacio) return SQL;
        cambio = reescribir(marcaDistinto, QStringLiteral(" <> '' AND "),
                            QStringLiteral(" IS NOT NULL")) ||
                 cambio;
        if (vacio) return SQL;
    }
    return literales.Restaurar(t.replace(marcaIgual, igual).replace(marcaDistinto, distinto));
}
