#include "db/sqllexis.h"

namespace {

bool isNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

bool isNamePart(QChar c, SqlLexis lexis) {
    return isNameStart(c) || c.isDigit() || (lexis == SqlLexis::Postgres && c == QLatin1Char('$'));
}

// The end of a text quoted by `q` from `i` (the opening quote), a doubled
// quote standing for one; with `backslash`, a backslash escapes the next
// character.
qsizetype quotedEnd(const QString& s, qsizetype i, QChar q, bool backslash) {
    const qsizetype n = s.size();
    for (qsizetype j = i + 1; j < n; ++j) {
        const QChar c = s.at(j);
        if (backslash && c == QLatin1Char('\\')) {
            ++j;
        } else if (c == q) {
            if (j + 1 < n && s.at(j + 1) == q) {
                ++j;
                continue;
            }
            return j + 1;
        }
    }
    return n;
}

qsizetype commentEnd(const QString& s, qsizetype i, bool nested) {
    const qsizetype n = s.size();
    int depth = 1;
    for (qsizetype j = i + 2; j + 1 < n; ++j) {
        if (s.at(j) == QLatin1Char('*') && s.at(j + 1) == QLatin1Char('/')) {
            if (--depth == 0) return j + 2;
            ++j;
        } else if (nested && s.at(j) == QLatin1Char('/') && s.at(j + 1) == QLatin1Char('*')) {
            ++depth;
            ++j;
        }
    }
    return n;
}

// "$tag$" at i (tag a name without "$", or empty): its length, else 0.
qsizetype dollarTag(const QString& s, qsizetype i) {
    qsizetype j = i + 1;
    if (j < s.size() && isNameStart(s.at(j)))
        while (j < s.size() && isNamePart(s.at(j), SqlLexis::Standard)) ++j;
    return j < s.size() && s.at(j) == QLatin1Char('$') ? j + 1 - i : 0;
}

}  // namespace

void ScanSqlText(const QString& s, SqlLexis lexis,
                 const std::function<void(qsizetype, qsizetype, bool)>& piece) {
    const bool pg = lexis == SqlLexis::Postgres;
    const qsizetype n = s.size();
    qsizetype code = 0;  // where the current run of code began
    qsizetype i = 0;
    auto quoted = [&](qsizetype begin, qsizetype end) {
        if (begin > code) piece(code, begin, true);
        piece(begin, end, false);
        i = code = end;
    };
    while (i < n) {
        const QChar c = s.at(i);
        const QChar next = i + 1 < n ? s.at(i + 1) : QChar();
        if (isNameStart(c)) {
            qsizetype e = i + 1;
            while (e < n && isNamePart(s.at(e), lexis)) ++e;
            // E'...': a string with backslash escapes.
            if (pg && e == i + 1 && (c == QLatin1Char('E') || c == QLatin1Char('e')) && e < n &&
                s.at(e) == QLatin1Char('\'')) {
                quoted(i, quotedEnd(s, e, QLatin1Char('\''), true));
                continue;
            }
            i = e;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') ||
                   (!pg && c == QLatin1Char('`'))) {
            quoted(i, quotedEnd(s, i, c, false));
        } else if (!pg && c == QLatin1Char('[')) {
            const qsizetype e = s.indexOf(QLatin1Char(']'), i + 1);
            quoted(i, e < 0 ? n : e + 1);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            // SQLite ends the comment at a line feed only; PostgreSQL at a
            // carriage return too.
            qsizetype e = i + 2;
            while (e < n && s.at(e) != QLatin1Char('\n') && !(pg && s.at(e) == QLatin1Char('\r')))
                ++e;
            quoted(i, e);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            quoted(i, commentEnd(s, i, pg));
        } else if (pg && c == QLatin1Char('$') && dollarTag(s, i) > 0) {
            const qsizetype t = dollarTag(s, i);
            const qsizetype close = s.indexOf(QStringView(s).mid(i, t), i + t);
            quoted(i, close < 0 ? n : close + t);
        } else {
            ++i;
        }
    }
    if (n > code) piece(code, n, true);
}

bool SqlHoldsSeveralStatements(const QString& sql, SqlLexis lexis) {
    bool separated = false;  // a ";" was seen in code
    bool several = false;
    ScanSqlText(sql, lexis, [&](qsizetype begin, qsizetype end, bool code) {
        if (several) return;
        if (!code) {
            // A comment after the ";" is nothing; a quoted text is a statement.
            const QChar c = sql.at(begin);
            const bool comment =
                (c == QLatin1Char('-') || c == QLatin1Char('/')) && end - begin >= 2 &&
                (sql.at(begin + 1) == QLatin1Char('-') || sql.at(begin + 1) == QLatin1Char('*'));
            if (separated && !comment) several = true;
            return;
        }
        for (qsizetype i = begin; i < end && !several; ++i) {
            const QChar c = sql.at(i);
            if (c == QLatin1Char(';'))
                separated = true;
            else if (!c.isSpace() && separated)
                several = true;
        }
    });
    return several;
}

QString SeveralStatementsReason() {
    return QStringLiteral("el texto contiene más de una sentencia SQL");
}

QString ReachingNameReason(const QString& name) {
    return QStringLiteral("la sentencia usa ") + name +
           QStringLiteral(
               ", que actúa fuera de su propia consulta (sobre otras sesiones o sobre "
               "el servidor) y no está permitido");
}

QString ReadOnlyPathReason(const QString& what) {
    return QStringLiteral("la sentencia usa ") + what +
           QStringLiteral(", que modifica datos, y aquí solo se permiten consultas");
}

QString OtherDatabaseWriteReason(const QString& where) {
    return QStringLiteral("la sentencia crea, modifica o borra en ") + where +
           QStringLiteral(
               ", fuera de la base de datos de la empresa, y no está permitido (allí solo se "
               "puede consultar)");
}

QString GeneralDatabaseWriteReason(const QString& name) {
    return OtherDatabaseWriteReason(QStringLiteral("la base de datos general (") + name +
                                    QLatin1Char(')'));
}

QString UsersTableReason() {
    return QStringLiteral(
        "la sentencia usa USUARIO, la tabla de usuarios, que no se puede consultar ni modificar "
        "desde una sentencia SQL");
}

QString ProtectedTableReason(const QString& table) {
    return QStringLiteral("la sentencia modifica la tabla ") + table.toUpper() +
           QStringLiteral(
               ", que solo un usuario con categoría de Administrador puede modificar desde una "
               "sentencia SQL");
}

QString TakenNameReason(const QString& name, bool server) {
    return QStringLiteral("la sentencia da a un objeto el nombre ") + name +
           (server ? QStringLiteral(", que el servidor reserva para los suyos")
                   : QStringLiteral(", que es el de una tabla del programa")) +
           QStringLiteral(", y no está permitido");
}

QString GeneratedColumnReason(const QString& table) {
    return QStringLiteral("la sentencia añade una columna calculada a la tabla ") + table +
           QStringLiteral(", y en las tablas del programa no está permitido");
}

QString CheckConstraintReason(const QString& table) {
    return QStringLiteral("la sentencia añade una condición CHECK a la tabla ") + table +
           QStringLiteral(
               ", y en las tablas del programa o con campos que Vd. no tiene permitido ver no "
               "está permitido");
}

QString KinshipReason(const QString& table) {
    return QStringLiteral("la sentencia hace de la tabla ") + table +
           QStringLiteral(
               " una partición, hija o madre de otra tabla, o la separa de ella, y con las tablas "
               "del programa o con campos que Vd. no tiene permitido ver no está permitido");
}

QString HiddenFieldReason(const QString& field, const QString& how) {
    return QStringLiteral("la sentencia usa el campo ") + field +
           (how.isEmpty() ? QString() : QStringLiteral(" (a través de ") + how + QLatin1Char(')')) +
           QStringLiteral(", que Vd. no tiene permitido ver");
}

QString HiddenFieldWriteReason(const QString& field) {
    return QStringLiteral("no se puede dar valor al campo ") + field +
           QStringLiteral(", que Vd. no tiene permitido ver");
}

QString TooLongReason(qsizetype limit) {
    return QStringLiteral("la sentencia es demasiado larga para comprobarla (más de %1 KB)")
        .arg(limit / 1024);
}

QString ValueTooLargeReason(const QString& column) {
    const QString where = column.isEmpty() ? QStringLiteral("en una de sus columnas")
                                           : QStringLiteral("en la columna ") + column;
    return QStringLiteral("la sentencia da ") + where +
           QStringLiteral(" un valor de más de %1 MB, que el programa no puede mostrar")
               .arg(kUserValueLimit / (1024 * 1024));
}

QString TooDeepReason() {
    return QStringLiteral("la sentencia está anidada demasiado profundamente para comprobarla");
}
