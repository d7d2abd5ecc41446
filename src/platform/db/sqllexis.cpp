#include "db/sqllexis.h"

#include <QRegularExpression>
#include <QStringList>

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

namespace {

// Functions that end or cancel other sessions' work, act on the server or
// its files, or run a query given as text.
const char* const kReachingNames[] = {
    "pg_terminate_backend", "pg_cancel_backend", "pg_reload_conf", "pg_rotate_logfile",
    "pg_promote", "pg_switch_wal", "pg_log_backend_memory_contexts", "pg_stat_file", "pg_logdir_ls",
    "pg_import_system_collations", "loread", "lowrite", "query_to_xml", "query_to_xmlschema",
    "query_to_xml_and_xmlschema", "ts_stat", "ts_rewrite",
    // Creating code: its body is a quoted text that no scan reads.
    "function", "procedure"};
// Families of them: server directories and files, large objects, other
// databases, backups, replication.
const char* const kReachingPrefixes[] = {"pg_ls_",
                                         "pg_read_",
                                         "pg_file_",
                                         "lo_",
                                         "dblink",
                                         "pg_create_",
                                         "pg_drop_replication",
                                         "pg_replication_",
                                         "pg_wal_replay",
                                         "pg_backup_",
                                         "pg_start_backup",
                                         "pg_stop_backup"};
// Commands by their first word: anonymous code, server files and programs,
// server libraries.
const char* const kReachingCommands[] = {"do", "copy", "load"};

bool reaching(const QString& word) {
    for (const char* n : kReachingNames)
        if (word == QLatin1String(n)) return true;
    for (const char* p : kReachingPrefixes)
        if (word.startsWith(QLatin1String(p))) return true;
    return false;
}

// The name a quoted name stands for: doubled quotes made one, and for
// U&"..." the escapes (\\XXXX, \\+XXXXXX, or with the UESCAPE character)
// read.
QString quotedName(const QString& quoted, bool unicode, QChar escape) {
    QString body = quoted.mid(1, quoted.size() - 2);
    body.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (!unicode) return body;
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c != escape || i + 1 >= body.size()) {
            out += c;
            continue;
        }
        if (body.at(i + 1) == escape) {
            out += escape;
            ++i;
            continue;
        }
        const bool wide = body.at(i + 1) == QLatin1Char('+');
        const qsizetype digits = wide ? 6 : 4;
        const qsizetype from = i + (wide ? 2 : 1);
        bool ok = false;
        const uint code = body.mid(from, digits).toUInt(&ok, 16);
        if (!ok || body.mid(from, digits).size() != digits) {
            out += c;
            continue;
        }
        out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        i = from + digits - 1;
    }
    return out;
}

}  // namespace

QString SqlReachingName(const QString& sql) {
    QString found;
    QStringList firstWords;  // the statement's first two words
    qsizetype lastCodeEnd = 0;
    ScanSqlText(sql, SqlLexis::Postgres, [&](qsizetype begin, qsizetype end, bool code) {
        if (!found.isEmpty()) return;
        if (!code) {
            if (sql.at(begin) != QLatin1Char('"')) return;  // a text or a comment
            // U&"...": the code just before ends with U&.
            const bool unicode =
                begin >= 2 && lastCodeEnd == begin && sql.at(begin - 1) == QLatin1Char('&') &&
                (sql.at(begin - 2) == QLatin1Char('U') || sql.at(begin - 2) == QLatin1Char('u'));
            QChar escape = QLatin1Char('\\');
            if (unicode) {
                static const QRegularExpression uescape(QStringLiteral("^\\s*UESCAPE\\s*'(.)'"),
                                                        QRegularExpression::CaseInsensitiveOption);
                const auto m = uescape.match(sql.mid(end));
                if (m.hasMatch()) escape = m.captured(1).at(0);
            }
            const QString name = quotedName(sql.mid(begin, end - begin), unicode, escape).toLower();
            if (firstWords.size() < 2) firstWords << name;
            if (reaching(name)) found = name;
            return;
        }
        lastCodeEnd = end;
        for (qsizetype i = begin; i < end && found.isEmpty();) {
            if (!isNameStart(sql.at(i))) {
                ++i;
                continue;
            }
            qsizetype e = i + 1;
            while (e < end && isNamePart(sql.at(e), SqlLexis::Postgres)) ++e;
            const QString word = sql.mid(i, e - i).toLower();
            if (firstWords.size() < 2) firstWords << word;
            if (reaching(word)) found = word;
            i = e;
        }
    });
    if (!found.isEmpty()) return found;
    const QString first = firstWords.value(0);
    for (const char* c : kReachingCommands)
        if (first == QLatin1String(c)) return first;
    // ALTER SYSTEM writes the server's configuration; ALTER ROLE, USER or
    // DATABASE ... SET the settings every later session starts with.
    const QString second = firstWords.value(1);
    if (first == QLatin1String("alter") &&
        (second == QLatin1String("system") || second == QLatin1String("role") ||
         second == QLatin1String("user") || second == QLatin1String("database")))
        return first + QLatin1Char(' ') + second;
    return QString();
}

QString ReachingNameReason(const QString& name) {
    return QStringLiteral("la sentencia usa ") + name +
           QStringLiteral(
               ", que actúa fuera de su propia consulta (sobre otras sesiones o sobre "
               "el servidor) y no está permitido");
}
