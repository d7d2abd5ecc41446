#include "db/liteprogram.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include "db/hiddencolumns.h"
#include "db/sqllexis.h"
#include "db/storedvalue.h"

namespace {

// One instruction of a compiled program as EXPLAIN lists it.
struct Op {
    QByteArray code;
    int p1 = 0, p2 = 0, p3 = 0, p5 = 0;
};

// OpenWrite's P2 names a register holding the root page (a table the
// statement creates), not the page.
constexpr int kP2IsRegister = 0x10;

// Instructions that position a cursor (p1) in its b-tree: any of them on an
// index walks or seeks in its key's order.
const char* const kPositioning[] = {
    "Rewind",   "Last",       "Next",         "Prev",      "SeekGE",    "SeekGT",
    "SeekLE",   "SeekLT",     "SeekEnd",      "SeekRowid", "NotExists", "Found",
    "NotFound", "NoConflict", "IfNoHope",     "IdxGT",     "IdxGE",     "IdxLT",
    "IdxLE",    "Sort",       "DeferredSeek", "IfSmaller"};

bool positioning(const QByteArray& code) {
    for (const char* c : kPositioning)
        if (code == c) return true;
    return false;
}

bool hidden(const QString& column) {
    return !column.isEmpty() && HiddenColumnTest() && HiddenColumnTest()(column);
}

// The value as the SQL driver binds it (only a LIKE or GLOB pattern
// changes the program, but it is bound as it will be).
void bindValue(sqlite3_stmt* st, int i, const QVariant& v) {
    if (v.isNull()) {
        sqlite3_bind_null(st, i);
        return;
    }
    auto text = [&](const QString& s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    switch (v.typeId()) {
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Int:
        case QMetaType::Bool:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            sqlite3_bind_int64(st, i, v.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(st, i, v.toDouble());
            break;
        case QMetaType::QDateTime:
            text(v.toDateTime().toString(Qt::ISODateWithMs));
            break;
        case QMetaType::QTime:
            text(v.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
            break;
        default:
            text(v.toString());
    }
}

// The rows of one of the program's own reads of the catalog, as texts.
QList<QStringList> rowsOf(sqlite3* handle, const QString& sql, const QVariantList& args = {}) {
    QList<QStringList> rows;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return rows;
    }
    for (int i = 0; i < args.size(); ++i) bindValue(st, i + 1, args.at(i));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        rows << row;
    }
    sqlite3_finalize(st);
    return rows;
}

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The first hidden name among the words and quoted names of a definition
// (an index's expressions or condition, which only its text gives), "" none.
QString hiddenWordIn(const QString& sql) {
    QString found;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        if (!found.isEmpty()) return;
        const QString part = sql.mid(begin, end - begin);
        if (!code) {
            const bool comment =
                part.startsWith(QLatin1Char('-')) || part.startsWith(QLatin1Char('/'));
            if (!comment && hidden(part.mid(1, part.size() - 2)))
                found = part.mid(1, part.size() - 2);
            return;
        }
        QString word;
        const QString words = part + QLatin1Char(' ');
        for (const QChar c : words) {
            if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
                c.unicode() >= 0x80) {
                word += c;
                continue;
            }
            if (hidden(word)) found = word;
            if (!found.isEmpty()) return;
            word.clear();
        }
    });
    return found;
}

// What a cursor's b-tree holds: a table's rows or an index's entries.
struct Tree {
    QString table;          // the table it belongs to ("" unknown)
    QStringList positions;  // what Column's p2 reads, by position
    QString rowid;          // the table's column that is its rowid, "" none
    QString keyHidden;      // a hidden column its order or entries follow
    QString rowHidden;      // a hidden column of its whole row or entry
};

// The trees of the connection's databases by number and root page, looked
// up once each.
class Catalog {
public:
    explicit Catalog(sqlite3* handle) : handle_(handle) {
        for (const QStringList& r : rowsOf(handle, QStringLiteral("PRAGMA database_list")))
            schemas_.insert(r.value(0).toInt(), r.value(1));
    }
    const Tree& tree(int db, int root) {
        const qint64 key = (qint64(db) << 32) | quint32(root);
        auto it = trees_.find(key);
        if (it == trees_.end()) it = trees_.insert(key, lookUp(schemas_.value(db), root));
        return *it;
    }

private:
    Tree lookUp(const QString& schema, int root) {
        Tree t;
        if (schema.isEmpty()) return t;
        const QString master = quoted(schema) + QStringLiteral(".sqlite_master");
        const QList<QStringList> object =
            rowsOf(handle_,
                   QStringLiteral("SELECT type, name, tbl_name, sql FROM ") + master +
                       QStringLiteral(" WHERE rootpage = ?1 AND type IN ('table', 'index')"),
                   {root});
        if (object.size() != 1) return t;
        const QString type = object[0][0], name = object[0][1];
        // What an index's expressions or condition read, past its own and
        // its table's names.
        const QString sql =
            object[0][3].mid(qMax<qsizetype>(object[0][3].indexOf(QLatin1Char('(')), 0));
        t.table = object[0][2];
        if (!HiddenColumnTest()) return t;
        // The table's columns in their order, and its rowid's name.
        const QList<QStringList> columns =
            rowsOf(handle_,
                   QStringLiteral("SELECT name, upper(type), pk, hidden FROM "
                                  "pragma_table_xinfo(?1, ?2) ORDER BY cid"),
                   {t.table, schema});
        QString tableHidden;
        int keys = 0;
        for (const QStringList& c : columns) {
            if (tableHidden.isEmpty() && hidden(c[0])) tableHidden = c[0];
            if (c[2].toInt() > 0) ++keys;
        }
        // A WITHOUT ROWID table is its primary key's b-tree, which has no
        // entry of its own in the schema.
        const QList<QStringList> ownKey =
            rowsOf(handle_,
                   QStringLiteral("SELECT name FROM pragma_index_list(?1, ?2) WHERE origin = "
                                  "'pk' AND name NOT IN (SELECT name FROM ") +
                       master + QStringLiteral(" WHERE type = 'index')"),
                   {t.table, schema});
        const bool withoutRowid = type == QLatin1String("table") && !ownKey.isEmpty();
        if (!withoutRowid && keys == 1)
            for (const QStringList& c : columns)
                if (c[2].toInt() > 0 && c[1] == QLatin1String("INTEGER")) t.rowid = c[0];
        if (type == QLatin1String("table") && !withoutRowid) {
            // Stored columns by their place in the record: virtual
            // generated ones are computed from them, never stored.
            for (const QStringList& c : columns)
                if (c[3].toInt() != 2) t.positions << c[0];
            for (const QString& c : std::as_const(t.positions))
                if (t.rowHidden.isEmpty() && hidden(c) && c != t.rowid) t.rowHidden = c;
            return t;
        }
        const QString index = withoutRowid ? ownKey[0][0] : name;
        for (const QStringList& c :
             rowsOf(handle_,
                    QStringLiteral("SELECT cid, name, key FROM pragma_index_xinfo(?1, ?2) "
                                   "ORDER BY seqno"),
                    {index, schema})) {
            const int cid = c[0].toInt();
            // An expression's value follows whatever its text names.
            const QString column = cid == -1 ? t.rowid : cid == -2 ? hiddenWordIn(sql) : c[1];
            t.positions << column;
            if (hidden(column)) {
                if (t.rowHidden.isEmpty()) t.rowHidden = column;
                if (t.keyHidden.isEmpty() && c[2].toInt() == 1) t.keyHidden = column;
            }
        }
        // A partial index holds the rows its condition picks.
        if (t.keyHidden.isEmpty() && !withoutRowid &&
            !rowsOf(handle_,
                    QStringLiteral("SELECT 1 FROM pragma_index_list(?1, ?2) WHERE name = ?3 AND "
                                   "partial"),
                    {t.table, schema, name})
                 .isEmpty())
            t.keyHidden = hiddenWordIn(sql);
        return t;
    }

    sqlite3* handle_;
    QHash<int, QString> schemas_;
    QHash<qint64, Tree> trees_;
};

// The program of `st` as it will run: EXPLAIN prepared and stepped under
// the statement's confinement with its values bound (a bound pattern
// prepares it again), each subprogram (a trigger's) apart, as its cursors
// are its own. Empty with `error` set when it cannot be read.
QList<QList<Op>> programOf(sqlite3_stmt* st, const QVariantList& values,
                           const TSqliteConfinement& confinement, QString& error) {
    QList<QList<Op>> programs;
    const QString sql = QString::fromUtf8(sqlite3_sql(st));
    // From its first word: empty statements before it would be EXPLAIN's.
    qsizetype start = -1;
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        for (qsizetype i = begin; code && start < 0 && i < end; ++i)
            if (!sql.at(i).isSpace() && sql.at(i) != QLatin1Char(';')) start = i;
    });
    const QByteArray text =
        (QStringLiteral("EXPLAIN ") + sql.mid(qMax<qsizetype>(start, 0))).toUtf8();
    sqlite3* handle = sqlite3_db_handle(st);
    sqlite3_stmt* explain = nullptr;
    const TSqliteConfinement::Scope confined(&confinement);
    int rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &explain, nullptr);
    if (rc == SQLITE_OK && explain) {
        for (int i = 0; i < values.size() && i < sqlite3_bind_parameter_count(explain); ++i)
            bindValue(explain, i + 1, values.at(i));
        while ((rc = sqlite3_step(explain)) == SQLITE_ROW) {
            Op op;
            op.code = reinterpret_cast<const char*>(sqlite3_column_text(explain, 1));
            op.p1 = sqlite3_column_int(explain, 2);
            op.p2 = sqlite3_column_int(explain, 3);
            op.p3 = sqlite3_column_int(explain, 4);
            op.p5 = sqlite3_column_int(explain, 6);
            if (op.code == "Init" || programs.isEmpty()) programs.append(QList<Op>());
            programs.last() << op;
        }
    }
    if (rc != SQLITE_DONE) {
        error = confinement.Refused();
        if (error.isEmpty()) error = QString::fromUtf8(sqlite3_errmsg(handle));
        programs.clear();
    }
    sqlite3_finalize(explain);
    return programs;
}

// Why one program may not run for the user, "" when it may.
QString programRefusal(const QList<Op>& program, Catalog& catalog) {
    struct Cursor {
        const Tree* tree;
        bool written;
        bool positioned = false;
    };
    QHash<int, Cursor> cursors;
    for (const Op& op : program) {
        const bool write = op.code == "OpenWrite";
        if (!write && op.code != "OpenRead" && op.code != "ReopenIdx") continue;
        if (write && (op.p5 & kP2IsRegister)) continue;
        const Tree& t = catalog.tree(op.p3, op.p2);
        if (t.table.compare(QLatin1String("USUARIO"), Qt::CaseInsensitive) == 0)
            return UsersTableReason();
        cursors.insert(op.p1, Cursor{&t, write});
    }
    if (!HiddenColumnTest()) return QString();
    for (const Op& op : program) {
        // RowCell copies the whole entry of its P2 cursor.
        const int on = op.code == "RowCell" ? op.p2 : op.p1;
        const auto c = cursors.find(on);
        // Ephemeral, sorter and pseudo cursors carry values already judged;
        // the cursor a row is written through reads it to rebuild it.
        if (c == cursors.end() || c->written) continue;
        const Tree& t = *c->tree;
        QString read;
        if (op.code == "Column")
            read = t.positions.value(op.p2);
        else if (op.code == "Rowid" || op.code == "IdxRowid")
            read = t.rowid;
        else if (op.code == "RowData" || op.code == "RowCell")
            read = t.rowHidden;
        if (hidden(read)) return HiddenFieldReason(read);
        if (positioning(op.code)) c->positioned = true;
    }
    // A walk or seek in an order that follows a hidden column, or over the
    // rows a condition on one picks, reads it; a count of its entries
    // does not.
    for (const Cursor& c : std::as_const(cursors))
        if (!c.written && c.positioned && !c.tree->keyHidden.isEmpty())
            return HiddenFieldReason(c.tree->keyHidden);
    return QString();
}

}  // namespace

QString SqliteProgramRefusal(sqlite3_stmt* st, const QVariantList& values,
                             const TSqliteConfinement& confinement) {
    // EXPLAIN runs nothing it lists.
    if (!st || sqlite3_stmt_isexplain(st)) return QString();
    QString error;
    const QList<QList<Op>> programs = programOf(st, values, confinement, error);
    if (!error.isEmpty()) return error;
    Catalog catalog(sqlite3_db_handle(st));
    for (const QList<Op>& program : programs)
        if (const QString why = programRefusal(program, catalog); !why.isEmpty()) return why;
    return QString();
}
