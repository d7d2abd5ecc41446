// The part of an SQLite connection that the SQL driver does not offer: a
// user's statement prepared under SQLite's own authorizer, which sees every
// table, pragma, function and command the statement would use, so that it
// reaches only the rows and tables of the databases the connection opened.

#include <sqlite3.h>

#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "db/hiddencolumns.h"
#include "db/liteprogram.h"
#include "db/sqllexis.h"
#include "db/storedvalue.h"

namespace {

// Pragmas that only read, whatever their argument (the authorizer cannot
// tell "table_info(t)" from "foreign_keys = 0", so it goes by name); their
// table-valued forms ("pragma_table_info") read as they do.
const char* const kReadingPragmas[] = {"table_info",     "table_xinfo",   "index_list",
                                       "index_info",     "index_xinfo",   "foreign_key_list",
                                       "collation_list", "database_list", "function_list"};

// Functions and tables that act beyond the statement's rows: the tokenizer
// function hands out and replaces a pointer of the program's own
// connection; dbstat reads the file's pages, whatever table they hold;
// sqlite_stmt lists the program's own statements on the connection.
const char* const kRefusedFunctions[] = {"load_extension", "fts3_tokenizer"};
const char* const kRefusedTables[] = {"dbstat", "sqlite_stmt"};

bool readingPragma(const char* name) {
    for (const char* p : kReadingPragmas)
        if (qstricmp(name, p) == 0) return true;
    return false;
}

}  // namespace

struct TSqliteConfinement::Rules {
    bool readOnly = false;
    // The only database a statement may create, change or drop in ("main",
    // the company file), empty when main is the general file.
    QString writable;
    QString general;  // the schema name of the general file
    QString refused;  // what was refused, as the user is told
    // A write where only reads may run: refused once prepared (preparing
    // it does nothing), so that a second statement is told first.
    QString write;
    // Columns hidden from the user: a query reads them as NULL; anything
    // else that reads or sets one is refused.
    const THiddenColumnTest* hidden = nullptr;
    bool query = false;
    // Prepared once under these rules: a preparation inside a step refuses
    // at once what the first one let through to be told afterwards.
    bool prepared = false;
    // The table an ALTER TABLE alters ("database.table"), whose new name or
    // columns only the text tells.
    QString altered;
    // Tables the statement may only read (WriteProtectedTables).
    QStringList readOnlyTables;
    // The table an INSERT or REPLACE fills ("database.table"): which columns
    // it sets only the text tells.
    QString inserted;
};

namespace {

using Confinement = TSqliteConfinement::Rules;

// Users' statements write only in the company file, none when main is the
// general file itself.
Confinement confinementOf(bool readOnly, bool mainIsGeneral) {
    Confinement c;
    c.readOnly = readOnly;
    c.general = mainIsGeneral ? QStringLiteral("main") : QStringLiteral("general");
    if (!mainIsGeneral) c.writable = QStringLiteral("main");
    if (HiddenColumnTest()) c.hidden = &HiddenColumnTest();
    if (!readOnly) c.readOnlyTables = WriteProtectedTables();
    return c;
}

// The table of a write, change or drop that the user may only read, "" when none.
QString protectedTableWritten(const Confinement& c, int action, const char* a, const char* b) {
    const char* table = nullptr;
    switch (action) {
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
        case SQLITE_DROP_TABLE:
            table = a;
            break;
        case SQLITE_ALTER_TABLE:
        case SQLITE_CREATE_INDEX:
        case SQLITE_DROP_INDEX:
            table = b;
            break;
        default:
            return QString();
    }
    const QString name = QString::fromUtf8(table ? table : "");
    return c.readOnlyTables.contains(name, Qt::CaseInsensitive) ? name : QString();
}

QString upper(const char* text) {
    return QString::fromUtf8(text ? text : "").toUpper();
}

bool schemaTable(const char* table) {
    return qstrnicmp(table, "sqlite_", 7) == 0;
}

bool hiddenColumn(const Confinement& c, const char* column) {
    return c.hidden && column && *column && (*c.hidden)(QString::fromUtf8(column));
}

// ALTER TABLE ... ADD COLUMN with a CHECK condition: the engine's own
// quick_check of the rows there (no statement can name a table within
// ALTER TABLE); what the condition may read is judged by alterRefusal.
bool engineCheck(const Confinement& c, const char* pragma) {
    return !c.altered.isEmpty() && qstricmp(pragma, "quick_check") == 0;
}

int authorize(void* data, int action, const char* a, const char* b, const char* database,
              const char*) {
    auto* c = static_cast<Confinement*>(data);
    auto deny = [c](const QString& why) {
        if (c->refused.isEmpty()) c->refused = why;
        return SQLITE_DENY;
    };
    auto reaching = [&](const QString& what) { return deny(ReachingNameReason(what)); };
    if (const QString t = protectedTableWritten(*c, action, a, b); !t.isEmpty())
        return deny(ProtectedTableReason(t));
    // A write is judged by the database it lands in, never by its code
    // alone: "CREATE TABLE temp.x" comes as CREATE_TABLE in "temp".
    auto write = [&](const char* db, const char* what) {
        const QString name = QString::fromUtf8(db ? db : "main");
        if (name.compare(c->writable, Qt::CaseInsensitive) != 0)
            return deny(OtherDatabaseWriteReason(
                name.compare(c->general, Qt::CaseInsensitive) == 0
                    ? QStringLiteral("la base de datos general (") + name + QLatin1Char(')')
                    : name));
        if (c->readOnly && c->prepared) return deny(ReadOnlyPathReason(QString::fromLatin1(what)));
        if (c->readOnly && c->write.isEmpty()) c->write = QString::fromLatin1(what);
        return SQLITE_OK;
    };
    // Where it creates, changes or drops first; then the name it gives,
    // never one of the program's tables'.
    auto named = [&](const char* name) {
        const int written = write(database, "CREATE, ALTER o DROP");
        if (written != SQLITE_OK || !name) return written;
        const QString taken = ProgramNameRefusal(QString::fromUtf8(name));
        return taken.isEmpty() ? SQLITE_OK : deny(taken);
    };
    switch (action) {
        case SQLITE_ATTACH:
            return reaching(QStringLiteral("ATTACH"));
        case SQLITE_DETACH:
            return reaching(QStringLiteral("DETACH"));
        case SQLITE_PRAGMA:
            if (readingPragma(a) || engineCheck(*c, a)) return SQLITE_OK;
            return reaching(QStringLiteral("PRAGMA ") + QString::fromUtf8(a).toLower());
        case SQLITE_TRANSACTION:
            // The program keeps its own transaction on this same connection.
            return reaching(upper(a));
        case SQLITE_SAVEPOINT:
            return reaching(upper(a) == QLatin1String("BEGIN") ? QStringLiteral("SAVEPOINT")
                                                               : upper(a));
        case SQLITE_CREATE_TEMP_TABLE:
        case SQLITE_CREATE_TEMP_VIEW:
        case SQLITE_CREATE_TEMP_INDEX:
        case SQLITE_DROP_TEMP_TABLE:
        case SQLITE_DROP_TEMP_VIEW:
        case SQLITE_DROP_TEMP_INDEX:
            // A temporary table hides the program's own one of that name.
            return reaching(QStringLiteral("TEMP"));
        case SQLITE_CREATE_TRIGGER:
        case SQLITE_CREATE_TEMP_TRIGGER:
        case SQLITE_DROP_TRIGGER:
        case SQLITE_DROP_TEMP_TRIGGER:
            // Whatever database it names: a temporary one comes as "main".
            return reaching(QStringLiteral("TRIGGER"));
        case SQLITE_CREATE_VTABLE:
        case SQLITE_DROP_VTABLE:
            return reaching(QStringLiteral("VIRTUAL TABLE"));
        case SQLITE_FUNCTION:
            for (const char* f : kRefusedFunctions)
                if (qstricmp(b, f) == 0) return reaching(QString::fromLatin1(f));
            return SQLITE_OK;
        case SQLITE_READ:
            if (qstricmp(a, "USUARIO") == 0) return deny(UsersTableReason());
            for (const char* t : kRefusedTables)
                if (qstricmp(a, t) == 0) return reaching(QString::fromLatin1(t));
            if (qstrnicmp(a, "pragma_", 7) == 0 && !readingPragma(a + 7) && !engineCheck(*c, a + 7))
                return reaching(QString::fromUtf8(a).toLower());
            if (hiddenColumn(*c, b)) {
                if (c->query) return SQLITE_IGNORE;
                return deny(HiddenFieldReason(QString::fromUtf8(b)));
            }
            return SQLITE_OK;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            if (qstricmp(a, "USUARIO") == 0) return deny(UsersTableReason());
            if (action == SQLITE_UPDATE && hiddenColumn(*c, b))
                return deny(HiddenFieldReason(QString::fromUtf8(b)));
            // The schema table is written by CREATE, ALTER and DROP, judged
            // by their own codes, and when a table-valued function is first
            // used (json_each, pragma_table_info), which only reads.
            if (schemaTable(a)) return SQLITE_OK;
            if (action == SQLITE_INSERT && c->inserted.isEmpty())
                c->inserted = QString::fromUtf8(database ? database : "main") + QLatin1Char('.') +
                              QString::fromUtf8(a);
            return write(database, action == SQLITE_INSERT   ? "INSERT"
                                   : action == SQLITE_UPDATE ? "UPDATE"
                                                             : "DELETE");
        case SQLITE_ALTER_TABLE:
            if (qstricmp(b, "USUARIO") == 0) return deny(UsersTableReason());
            // DROP COLUMN names the column dropped.
            if (hiddenColumn(*c, database))
                return deny(HiddenFieldReason(QString::fromUtf8(database)));
            c->altered =
                QString::fromUtf8(a ? a : "main") + QLatin1Char('.') + QString::fromUtf8(b);
            return write(a, "CREATE, ALTER o DROP");  // the database comes first here
        case SQLITE_CREATE_TABLE:
        case SQLITE_CREATE_VIEW:
        case SQLITE_DROP_TABLE:
        case SQLITE_DROP_VIEW:
        case SQLITE_ANALYZE:
            if (qstricmp(a, "USUARIO") == 0) return deny(UsersTableReason());
            return named(action == SQLITE_CREATE_TABLE || action == SQLITE_CREATE_VIEW ? a
                                                                                       : nullptr);
        case SQLITE_CREATE_INDEX:
        case SQLITE_DROP_INDEX:
            if (qstricmp(b, "USUARIO") == 0) return deny(UsersTableReason());
            // Indexes share the tables' names: one would stand in a table's way.
            return named(action == SQLITE_CREATE_INDEX ? a : nullptr);
        case SQLITE_REINDEX:
            return write(database, "REINDEX");
        default:
            return SQLITE_OK;
    }
}

// The first word of code of a text, upper-cased.
QString firstWord(const QString& sql) {
    QString word;
    bool done = false;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        for (qsizetype i = begin; code && !done && i < end; ++i) {
            const QChar c = sql.at(i);
            if (c.isLetter())
                word += c.toUpper();
            else if (!word.isEmpty() || !(c.isSpace() || c == QLatin1Char(';')))
                done = true;
        }
        if (!code && !word.isEmpty()) done = true;
    });
    return word;
}

// A statement's text without what follows its last code (blanks, ";",
// comments), so that it can stand inside parentheses.
QString statementBody(const QString& sql) {
    qsizetype last = 0;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        if (!code) {
            const QChar c = sql.at(begin);
            if (c != QLatin1Char('-') && c != QLatin1Char('/')) last = end;  // a quoted text
            return;
        }
        for (qsizetype i = end; i > begin; --i)
            if (!sql.at(i - 1).isSpace() && sql.at(i - 1) != QLatin1Char(';')) {
                last = i;
                break;
            }
    });
    return sql.left(last);
}

// A word or name of a statement as SQLite reads it: quoted names and
// strings (which SQLite also takes for a name where one stands) unquoted.
struct SqlToken {
    QString text;
    bool quoted = false;
    bool is(const char* word) const {
        return !quoted && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
};

QList<SqlToken> sqlTokens(const QString& sql) {
    QList<SqlToken> tokens;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        if (!code) {
            const QChar open = sql.at(begin);
            if (open == QLatin1Char('-') || open == QLatin1Char('/')) return;  // a comment
            const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
            QString text = sql.mid(begin + 1, end - begin - 1);
            if (text.endsWith(close)) text.chop(1);
            if (open != QLatin1Char('[')) text.replace(QString(2, close), QString(close));
            tokens << SqlToken{text, true};
            return;
        }
        for (qsizetype i = begin; i < end;) {
            const QChar c = sql.at(i);
            if (c.isSpace()) {
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            const auto wordChar = [](QChar w) {
                return w.isLetterOrNumber() || w == QLatin1Char('_') || w == QLatin1Char('$') ||
                       w.unicode() >= 0x80;
            };
            if (wordChar(c))
                while (j < end && wordChar(sql.at(j))) ++j;
            tokens << SqlToken{sql.mid(i, j - i)};
            i = j;
        }
    });
    return tokens;
}

// The columns of `table` ("database.table") hidden from the user, in order;
// unread, the table is taken to hold one ("?").
QStringList hiddenColumnsOf(const QSqlDatabase& db, const QString& table) {
    if (!HiddenColumnTest()) return {};
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_xinfo(?, ?)"));
    q.addBindValue(table.section(QLatin1Char('.'), 1));
    q.addBindValue(table.section(QLatin1Char('.'), 0, 0));
    if (!q.exec()) return {QStringLiteral("?")};
    QStringList hidden;
    while (q.next())
        if (HiddenColumnTest()(q.value(0).toString())) hidden << q.value(0).toString();
    return hidden;
}

// Why an ALTER TABLE of `table` ("database.table", as the authorizer named
// it) may not run, read from its text: a new name of one of the program's
// tables, a hidden column renamed (read afterwards under its new name),
// or a generated column or a CHECK condition on a table of the
// program or holding a hidden column (the engine reads what it computes
// or checks without asking). "" when it may.
QString alterRefusal(const QSqlDatabase& db, const QString& sql, const QString& table) {
    QList<SqlToken> t = sqlTokens(sql);
    // SQLite reads past empty statements to the first one.
    while (!t.isEmpty() && t.first().is(";")) t.removeFirst();
    qsizetype i = 2;  // after ALTER TABLE, the table's name, maybe qualified
    if (t.size() < 4 || !t[0].is("ALTER") || !t[1].is("TABLE")) return QString();
    i += t.value(i + 1).is(".") ? 3 : 1;
    const QString bare = table.section(QLatin1Char('.'), 1);
    if (t.value(i).is("RENAME")) {
        if (t.value(i + 1).is("TO")) return ProgramNameRefusal(t.value(i + 2).text);
        const qsizetype column = t.value(i + 1).is("COLUMN") ? i + 2 : i + 1;
        const QString renamed = t.value(column).text;
        if (HiddenColumnTest() && HiddenColumnTest()(renamed)) return HiddenFieldReason(renamed);
        return QString();
    }
    if (!t.value(i).is("ADD")) return QString();
    // The column's definition: "AS" outside parentheses only begins a
    // generated column's expression, "CHECK" a condition.
    int depth = 0;
    bool generated = false, check = false;
    for (qsizetype k = i + 1; k < t.size() && !generated; ++k) {
        if (t[k].is("("))
            ++depth;
        else if (t[k].is(")"))
            --depth;
        else if (depth == 0 && (t[k].is("AS") || t[k].is("GENERATED")))
            generated = true;
        else if (depth == 0 && t[k].is("CHECK"))
            check = true;
    }
    if (!generated && !check) return QString();
    const bool hides = ProgramTable(bare) || !hiddenColumnsOf(db, table).isEmpty();
    if (!hides) return QString();
    return generated ? GeneratedColumnReason(bare.toUpper())
                     : CheckConstraintReason(bare.toUpper());
}

// Why an INSERT or REPLACE filling `table` ("database.table", as the
// authorizer named it) may not run, read from its text: it would set a
// column hidden from the user, by naming it, by giving values without a
// column list, or by replacing a whole row (whose hidden value goes). ""
// when it may.
QString insertRefusal(const QSqlDatabase& db, const QString& sql, const QString& table) {
    const QStringList hidden = hiddenColumnsOf(db, table);
    if (hidden.isEmpty()) return QString();
    const QList<SqlToken> t = sqlTokens(sql);
    // The INSERT itself: past a WITH's parenthesised queries.
    qsizetype i = 0;
    int depth = 0;
    bool replace = false;
    for (; i < t.size(); ++i) {
        if (t[i].is("("))
            ++depth;
        else if (t[i].is(")"))
            --depth;
        else if (depth == 0 && t[i].is("REPLACE"))
            replace = true;
        else if (depth == 0 && t[i].is("INTO"))
            break;
    }
    if (replace) return HiddenFieldReason(hidden.first(), QStringLiteral("REPLACE"));
    i += t.value(i + 2).is(".") ? 4 : 2;  // past INTO and the table's name
    if (t.value(i).is("AS")) i += 2;
    if (t.value(i).is("DEFAULT")) return QString();  // DEFAULT VALUES
    if (!t.value(i).is("("))
        return HiddenFieldReason(hidden.first(), QStringLiteral("INSERT sin lista de columnas"));
    for (++i; i < t.size() && !t[i].is(")"); ++i)
        if (HiddenColumnTest()(t[i].text)) return HiddenFieldReason(t[i].text);
    return QString();
}

// The result code of running `sql` to its end under the confinement of a
// user's query (hidden columns read as NULL, as when the statement ran).
int runConfined(sqlite3* handle, const QByteArray& sql) {
    TSqliteConfinement confinement(handle, true, false, true);
    sqlite3_stmt* st = nullptr;
    int rc;
    {
        const TSqliteConfinement::Scope confined(&confinement);
        rc = sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &st, nullptr);
    }
    confinement.SetPrepared();
    // Judged as the user's own statement is (its values are written in).
    if (rc == SQLITE_OK && (!st || !confinement.Refused().isEmpty() || !sqlite3_stmt_readonly(st) ||
                            !SqliteProgramRefusal(st, {}, confinement).isEmpty()))
        rc = SQLITE_AUTH;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        const TSqliteConfinement::Scope confined(&confinement);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    return rc;
}

// Called by SQLite every kProgressOps instructions of a user's statement.
// Nothing runs on its connection meanwhile (TDatabase::connection refuses).
int lookDuringStep(void* db) {
    auto* d = static_cast<TDatabase*>(db);
    d->PollUserRun();
    return d->UserRunCancelled() ? 1 : 0;  // non-zero interrupts the statement
}

constexpr int kProgressOps = 20000;

}  // namespace

TSqliteConfinement::TSqliteConfinement(sqlite3* handle, bool readOnly, bool mainIsGeneral,
                                       bool query)
    : handle_(handle), rules_(std::make_unique<Rules>(confinementOf(readOnly, mainIsGeneral))) {
    rules_->query = query;
}

TSqliteConfinement::~TSqliteConfinement() = default;

QString TSqliteConfinement::Refused() const {
    return rules_->refused;
}

void TSqliteConfinement::SetPrepared() {
    rules_->prepared = true;
}

namespace {
// The confinement in force on this thread's connection now (Scope).
thread_local const TSqliteConfinement* inForce = nullptr;
}  // namespace

void TSqliteConfinement::install(const TSqliteConfinement* c, sqlite3* handle) {
    inForce = c;
    if (c)
        sqlite3_set_authorizer(handle, authorize, c->rules_.get());
    else
        sqlite3_set_authorizer(handle, nullptr, nullptr);
}

TSqliteConfinement::Scope::Scope(const TSqliteConfinement* confinement)
    : confinement_(confinement && confinement->handle_ ? confinement : nullptr) {
    if (!confinement_) return;
    previous_ = inForce && inForce->handle_ == confinement_->handle_ ? inForce : nullptr;
    install(confinement_, confinement_->handle_);
}

TSqliteConfinement::Scope::~Scope() {
    if (confinement_) install(previous_, confinement_->handle_);
}

sqlite3* SqliteHandleOf(const QSqlDatabase& db) {
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || !h.constData() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

QString SqliteTooLargeColumn(sqlite3_stmt* st) {
    const int n = sqlite3_column_count(st);
    if (n < 2 || !sqlite3_stmt_readonly(st)) return QString();
    char* expanded = sqlite3_expanded_sql(st);  // its bound values written in
    if (!expanded) return QString();
    const QString body = statementBody(QString::fromUtf8(expanded));
    sqlite3_free(expanded);
    // Columns by position: the result's names may repeat.
    auto column = [](int i) { return QStringLiteral("\"c%1\"").arg(i); };
    QString columns;
    for (int i = 1; i <= n; ++i) columns += (i > 1 ? QStringLiteral(",") : QString()) + column(i);
    const QString with = QStringLiteral("WITH \"rh columnas\"(") + columns +
                         QStringLiteral(") AS (\n") + body + QStringLiteral("\n) SELECT ");
    auto taking = [&](const QString& what) {
        return (with + what + QStringLiteral(" FROM \"rh columnas\"")).toUtf8();
    };
    sqlite3* handle = sqlite3_db_handle(st);
    const int length = sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, int(kUserValueLimit));
    QString found;
    for (int i = 1; i <= n; ++i) {
        const int rc = runConfined(handle, taking(column(i)));
        if (rc == SQLITE_DONE) continue;
        // A statement whose rows are built whole before a column is taken
        // (DISTINCT, a sort by the value): no column of its own is to blame.
        if (rc == SQLITE_TOOBIG &&
            runConfined(handle, taking(QStringLiteral("NULL"))) == SQLITE_DONE)
            found = QString::fromUtf8(sqlite3_column_name(st, i - 1));
        break;
    }
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, length);
    return found;
}

bool TDatabase::ownIsGeneral() const {
    if (params_.general) return true;
    if (params_.engine == Engine::Sqlite) return mainIsGeneral_;
    // A company schema that is the general one.
    return params_.searchPath.contains(pgSchema(), Qt::CaseInsensitive);
}

void TDatabase::watchSqlite(bool on) {
    if (sqlite3* handle = SqliteHandleOf(db_))
        sqlite3_progress_handler(handle, on ? kProgressOps : 0, on ? lookDuringStep : nullptr,
                                 on ? this : nullptr);
}

void TDatabase::interruptSqlite() {
    if (sqlite3* handle = SqliteHandleOf(db_)) sqlite3_interrupt(handle);
}

QSqlQuery TDatabase::executeSqliteUser(const QString& statement, const QVariantList& parameters,
                                       bool readOnly) {
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    RefuseNul(statement, parameters);
    const QString sql = WellFormedText(statement);
    // No authorizer call reaches VACUUM (whose INTO writes a file anywhere):
    // known by its first word, as SQLite reads it past blanks and comments.
    if (firstWord(sql) == QLatin1String("VACUUM"))
        throw EDatabaseError(DbError::SqlError, ReachingNameReason(QStringLiteral("VACUUM")),
                             statement);
    sqlite3* handle = SqliteHandleOf(db_);
    if (!handle) throw EDatabaseError::make(DbError::ConnectionFailed, QString(), databaseName_);
    TSqliteConfinement confinement(handle, readOnly, ownIsGeneral(), readOnly);
    const Confinement& rules = confinement.rules();
    bool prepared;
    {
        const TSqliteConfinement::Scope confined(&confinement);
        prepared = q.prepare(sql);
    }
    confinement.SetPrepared();
    if (!rules.refused.isEmpty()) throw EDatabaseError(DbError::SqlError, rules.refused, statement);
    if (!prepared) raiseError(q.lastError(), sql);
    if (!rules.altered.isEmpty())
        if (const QString why = alterRefusal(connection(), sql, rules.altered); !why.isEmpty())
            throw EDatabaseError(DbError::SqlError, why, statement);
    if (!rules.inserted.isEmpty())
        if (const QString why = insertRefusal(connection(), sql, rules.inserted); !why.isEmpty())
            throw EDatabaseError(DbError::SqlError, why, statement);
    if (!rules.write.isEmpty())
        throw EDatabaseError(DbError::SqlError, ReadOnlyPathReason(rules.write), statement);
    // What the authorizer does not name as a write (a write inside a CTE
    // is named; anything else SQLite knows writes) is still refused.
    sqlite3_stmt* st = SqliteStatementOf(q);
    if (readOnly) {
        if (st && !sqlite3_stmt_readonly(st))
            throw EDatabaseError(DbError::SqlError,
                                 ReadOnlyPathReason(QStringLiteral("una escritura")), statement);
    }
    noteDdl(sql, true);
    for (const QVariant& v : parameters) q.addBindValue(v);
    CheckBoundValues(q);
    // Judged by what its compiled program reads: SQLite resolves some
    // columns (USING, NATURAL) without asking the authorizer.
    auto judge = [&] {
        if (const QString why = SqliteProgramRefusal(st, q.boundValues(), confinement);
            !why.isEmpty())
            throw EDatabaseError(DbError::SqlError, why, statement);
    };
    judge();
    const int compiled = st ? sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) : 0;
    // The engine builds no value over the limit while it runs (the rest of
    // the rows are read under it too: see RowSteps in query.cpp).
    const int length = sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, int(kUserValueLimit));
    bool ran;
    {
        // The driver's exec steps onto the first row, where SQLite prepares
        // the statement again when a LIKE pattern was bound or the schema
        // changed since.
        const TSqliteConfinement::Scope confined(&confinement);
        ran = q.exec();
    }
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, length);
    if (!ran) {
        if (UserRunCancelled()) throw EUserStatementCancelled();
        if (!rules.refused.isEmpty())
            throw EDatabaseError(DbError::SqlError, rules.refused, statement);
        if (st && sqlite3_errcode(handle) == SQLITE_TOOBIG)
            raiseError(SqliteStepError(st, SQLITE_TOOBIG, true), sql);
        raiseError(q.lastError(), sql);
    }
    // Prepared again as it started (the schema changed since it was
    // judged): a query's rows are handed out only if that program may run.
    if (readOnly && st && sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) != compiled) {
        try {
            judge();
        } catch (const EDatabaseError&) {
            q.finish();
            throw;
        }
    }
    return q;
}

std::optional<bool> TDatabase::isSqliteUserQuery(const QString& sql) {
    // Results still being read stay as they are: preparing reads nothing.
    if (!db_.isValid() || !db_.isOpen()) return std::nullopt;
    sqlite3* handle = SqliteHandleOf(db_);
    if (!handle) return std::nullopt;
    // Prepared only, never run, under the confinement of users' statements:
    // some pragmas act while they are prepared.
    const QByteArray text = WellFormedText(sql).toUtf8();
    // Judged as it will run, if it is one.
    const TSqliteConfinement confinement(handle, false, ownIsGeneral(), true);
    sqlite3_stmt* st = nullptr;
    int rc;
    {
        const TSqliteConfinement::Scope confined(&confinement);
        rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st, nullptr);
    }
    if (rc != SQLITE_OK || !st) {
        sqlite3_finalize(st);
        return std::nullopt;
    }
    const bool query = sqlite3_column_count(st) > 0 && sqlite3_stmt_readonly(st);
    sqlite3_finalize(st);
    return query;
}

void TDatabase::checkpointAfter(const QString& sql) {
    if (params_.engine != Engine::Sqlite || !db_.isOpen()) return;
    const QString word = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    // Reads commit nothing; a COMMIT, a write or DDL did.
    static const QStringList reads{QStringLiteral("SELECT"), QStringLiteral("WITH"),
                                   QStringLiteral("VALUES"), QStringLiteral("PRAGMA"),
                                   QStringLiteral("EXPLAIN")};
    if (reads.contains(word)) return;
    // Without a schema: every attached file too. PASSIVE: copies what no
    // reader needs and returns; the engine's automatic checkpoint stays.
    auto checkpoint = [](const QSqlDatabase& db) {
        if (!db.isOpen()) return;
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        q.finish();
    };
    // Once control is back in the event loop, when the clerk's action is
    // over: commits or statements run one after another (a generation
    // committed employee by employee, a fill outside a transaction) share
    // one. A checkpoint syncs the files: one per commit of such a run cost
    // more than its writes.
    if (checkpointQueued_) return;
    checkpointQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, checkpoint] {
            checkpointQueued_ = false;
            if (!inTransaction_) checkpoint(db_);
        },
        Qt::QueuedConnection);
}
