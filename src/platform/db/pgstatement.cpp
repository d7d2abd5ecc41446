#include "db/pgstatement.h"

#include <pg_query.h>

#include <QHash>
#include <QRegularExpression>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "db/jsontree.h"
#include "db/sqllexis.h"

bool PgHoldsSeveralStatements(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    // The scanner does not recurse; a text too long to parse is refused later.
    PgQuerySplitResult r = pg_query_split_with_scanner(text.constData());
    const bool several = !r.error && r.n_stmts > 1;
    pg_query_free_split_result(r);
    return several;
}

QString PgStatementBody(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    PgQuerySplitResult r = pg_query_split_with_scanner(text.constData());
    QString body = sql;
    if (!r.error && r.n_stmts == 1) {
        const int from = r.stmts[0]->stmt_location;
        const int length = r.stmts[0]->stmt_len;
        body = QString::fromUtf8(text.mid(from, length > 0 ? length : -1)).trimmed();
    }
    pg_query_free_split_result(r);
    return body;
}

namespace {

// Marks the server's refusal of a value too long: followed by the column's
// name in hexadecimal UTF-8 and ":".
constexpr const char* kTooLargeMark = "rh_valor_excesivo:";

QString quotedName(QString name) {
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

}  // namespace

QString PgBoundedQuery(const QString& sql, const QList<PgColumn>& columns) {
    // The value's length as sent in text form, checked before it is sent.
    // Texts know theirs without being read; bytea goes as "\x" and two
    // digits a byte; any other type of variable length is written out only
    // where its stored (perhaps compressed) size could hide such a text.
    const qsizetype limit = kUserValueLimit;
    QStringList outer, inner, checks;
    bool hidden = false;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString c = QStringLiteral("rh_v.c%1").arg(i + 1);
        inner << QStringLiteral("c%1").arg(i + 1);
        hidden = hidden || columns[i].hidden;
        // NULL in the column's own type: the result keeps its shape.
        outer << (columns[i].hidden
                      ? QStringLiteral("CASE WHEN false THEN ") + c + QStringLiteral(" END")
                      : c) +
                     QStringLiteral(" AS ") + quotedName(columns[i].name);
        if (columns[i].size > 0 || columns[i].hidden) continue;
        QString big;
        switch (columns[i].type) {
            case 25:    // text
            case 1042:  // char(n)
            case 1043:  // varchar
                big = QStringLiteral("octet_length(%1) > %2").arg(c).arg(limit);
                break;
            case 17:  // bytea
                big = QStringLiteral("octet_length(%1) > %2").arg(c).arg((limit - 2) / 2);
                break;
            default:
                big = QStringLiteral(
                          "CASE WHEN pg_column_size(%1) > %2 THEN "
                          "octet_length(%1::text) > %3 ELSE false END")
                          .arg(c)
                          .arg(limit / 4096)
                          .arg(limit);
        }
        // Not a constant: the planner would raise it while planning.
        checks << QStringLiteral("WHEN %1 THEN CAST('%2%3:' || pg_column_size(%4) AS boolean)")
                      .arg(big, QLatin1String(kTooLargeMark),
                           QString::fromLatin1(columns[i].name.toUtf8().toHex()), c);
    }
    if (checks.isEmpty() && !hidden) return sql;
    // OFFSET 0 keeps the statement whole below the check: its expressions
    // are computed once, its order stays.
    QString bounded = QStringLiteral("SELECT ") + outer.join(QStringLiteral(", ")) +
                      QStringLiteral(" FROM (SELECT * FROM (\n") + PgStatementBody(sql) +
                      QStringLiteral("\n) AS rh_u OFFSET 0) AS rh_v(") +
                      inner.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (checks.isEmpty()) return bounded;
    return bounded + QStringLiteral(" WHERE CASE ") + checks.join(QLatin1Char(' ')) +
           QStringLiteral(" ELSE true END");
}

std::optional<QString> PgTooLargeColumn(const QString& serverText) {
    static const QRegularExpression mark(QLatin1String(kTooLargeMark) +
                                         QStringLiteral("([0-9a-f]*):"));
    const QRegularExpressionMatch m = mark.match(serverText);
    if (!m.hasMatch()) return std::nullopt;
    return QString::fromUtf8(QByteArray::fromHex(m.captured(1).toLatin1()));
}

namespace {

// A user needs these to look at values; they touch nothing else.
const char* const kHarmlessPgFunctions[] = {"pg_typeof", "pg_column_size", "pg_size_pretty",
                                            "pg_size_bytes"};
// Functions that act outside the statement by other names: large objects,
// the text-search functions and the XML exports that run a query or read a
// table given as text, settings.
const char* const kReachingFunctions[] = {"loread", "lowrite", "set_config", "ts_stat",
                                          "ts_rewrite"};
const char* const kReachingFunctionPrefixes[] = {"lo_",          "dblink",        "query_to_xml",
                                                 "table_to_xml", "schema_to_xml", "database_to_xml",
                                                 "cursor_to_xml"};

// Functions that take the name of a sequence as text and act on it.
const char* const kSequenceFunctions[] = {"nextval", "currval", "setval"};

// A name written in a text ('emp2.tabla', '"Emp2".s'), split as the server
// splits it: unquoted parts in lower case, quoted ones as they stand.
QStringList namesInText(const QString& text) {
    QStringList parts{QString()};
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                parts.last() += c;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == QLatin1Char('.') && !quoted) {
            parts << QString();
        } else {
            parts.last() += quoted ? c : c.toLower();
        }
    }
    return parts;
}

// The text of a string constant, possibly under a cast; null when the
// value is not a constant.
QString constantText(TreeObject v) {
    if (v.contains(QLatin1String("TypeCast")))
        v = v.value(QLatin1String("TypeCast")).toObject().value(QLatin1String("arg")).toObject();
    const TreeValue s = v.value(QLatin1String("A_Const")).toObject().value(QLatin1String("sval"));
    if (!s.isObject()) return QString();
    return s.toObject().value(QLatin1String("sval")).toString(QLatin1String(""));
}

bool reachingFunction(const QString& name) {
    if (name.startsWith(QLatin1String("pg_"))) {
        for (const char* f : kHarmlessPgFunctions)
            if (name == QLatin1String(f)) return false;
        return true;
    }
    for (const char* f : kReachingFunctions)
        if (name == QLatin1String(f)) return true;
    for (const char* p : kReachingFunctionPrefixes)
        if (name.startsWith(QLatin1String(p))) return true;
    return false;
}

// The parser's complaint in Spanish words, with where it is in the text.
QString syntaxReason(const QString& sql, const PgQueryError& e) {
    const QString message = QString::fromUtf8(e.message);
    static const QRegularExpression nearRe(QStringLiteral(" at or near \"(.*)\"$"));
    const QRegularExpressionMatch near = nearRe.match(message);
    QString what;
    if (message.startsWith(QLatin1String("syntax error at end of input")))
        what = QStringLiteral("la sentencia termina antes de estar completa");
    else if (message.startsWith(QLatin1String("unterminated quoted string")))
        what = QStringLiteral("un texto entre comillas no se cierra");
    else if (message.startsWith(QLatin1String("unterminated quoted identifier")))
        what = QStringLiteral("un nombre entre comillas no se cierra");
    else if (message.startsWith(QLatin1String("unterminated /* comment")))
        what = QStringLiteral("un comentario no se cierra");
    else if (message.startsWith(QLatin1String("unterminated dollar-quoted string")))
        what = QStringLiteral("un texto entre $ no se cierra");
    else if (message.startsWith(QLatin1String("stack depth limit exceeded")) ||
             message.startsWith(QLatin1String("memory exhausted")))  // the grammar's own stack
        return TooDeepReason();
    else
        what = QStringLiteral("error de sintaxis");
    if (near.hasMatch() && !message.startsWith(QLatin1String("unterminated")))
        what += QStringLiteral(" cerca de «") + near.captured(1) + QStringLiteral("»");
    // The parser counts characters from 1.
    if (e.cursorpos > 0) {
        int line = 1, column = 1, position = 1;
        for (qsizetype i = 0; i < sql.size() && position < e.cursorpos; ++i) {
            const QChar c = sql.at(i);
            if (c.isHighSurrogate()) continue;
            ++position;
            if (c == QLatin1Char('\n')) {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        what += QStringLiteral(" (línea %1, columna %2)").arg(line).arg(column);
    }
    return QStringLiteral("la sentencia SQL no es válida: ") + what;
}

QString words(const QString& camel) {
    QString out;
    for (const QChar c : camel) {
        if (c.isUpper() && !out.isEmpty()) out += QLatin1Char(' ');
        out += c.toUpper();
    }
    return out;
}

QString objectType(const TreeObject& body, const char* key) {
    return body.value(QLatin1String(key)).toString().mid(7);  // after "OBJECT_"
}

// The command a statement node stands for, as a user writes it.
QString commandName(const QString& node, const TreeObject& body) {
    if (node == QLatin1String("TransactionStmt"))
        return body.value(QLatin1String("kind"))
            .toString()
            .mid(11)
            .replace(QLatin1Char('_'), QLatin1Char(' '));
    if (node == QLatin1String("GrantStmt"))
        return body.value(QLatin1String("is_grant")).toBool() ? QStringLiteral("GRANT")
                                                              : QStringLiteral("REVOKE");
    if (node == QLatin1String("VariableSetStmt"))
        return body.value(QLatin1String("kind")).toString().startsWith(QLatin1String("VAR_RESET"))
                   ? QStringLiteral("RESET")
                   : QStringLiteral("SET");
    if (node == QLatin1String("VacuumStmt") && !body.value(QLatin1String("is_vacuumcmd")).toBool())
        return QStringLiteral("ANALYZE");
    if (node == QLatin1String("DefineStmt"))  // aggregates, operators, collations...
        return QStringLiteral("CREATE ") +
               objectType(body, "kind").replace(QLatin1Char('_'), QLatin1Char(' '));
    static const QHash<QString, QString> names{
        {QStringLiteral("CompositeTypeStmt"), QStringLiteral("CREATE TYPE")},
        {QStringLiteral("CreateEnumStmt"), QStringLiteral("CREATE TYPE")},
        {QStringLiteral("CreateRangeStmt"), QStringLiteral("CREATE TYPE")},
        {QStringLiteral("CreatePLangStmt"), QStringLiteral("CREATE LANGUAGE")},
        {QStringLiteral("CreateStatsStmt"), QStringLiteral("CREATE STATISTICS")},
        {QStringLiteral("CreateAmStmt"), QStringLiteral("CREATE ACCESS METHOD")},
        {QStringLiteral("CreatedbStmt"), QStringLiteral("CREATE DATABASE")},
        {QStringLiteral("CreateTableSpaceStmt"), QStringLiteral("CREATE TABLESPACE")},
        {QStringLiteral("RefreshMatViewStmt"), QStringLiteral("REFRESH MATERIALIZED VIEW")},
        {QStringLiteral("RuleStmt"), QStringLiteral("CREATE RULE")},
        {QStringLiteral("CreateTrigStmt"), QStringLiteral("CREATE TRIGGER")},
        {QStringLiteral("CreateEventTrigStmt"), QStringLiteral("CREATE EVENT TRIGGER")},
        {QStringLiteral("CreateFunctionStmt"), QStringLiteral("CREATE FUNCTION")},
        {QStringLiteral("CreateFdwStmt"), QStringLiteral("CREATE FOREIGN DATA WRAPPER")},
        {QStringLiteral("CreateForeignServerStmt"), QStringLiteral("CREATE SERVER")},
        {QStringLiteral("CreateSchemaStmt"), QStringLiteral("CREATE SCHEMA")},
        {QStringLiteral("CreateSeqStmt"), QStringLiteral("CREATE SEQUENCE")},
        {QStringLiteral("AlterSeqStmt"), QStringLiteral("ALTER SEQUENCE")},
        {QStringLiteral("AlterObjectSchemaStmt"), QStringLiteral("SET SCHEMA")},
        {QStringLiteral("AlterSystemStmt"), QStringLiteral("ALTER SYSTEM")},
        {QStringLiteral("VariableShowStmt"), QStringLiteral("SHOW")},
        {QStringLiteral("DeclareCursorStmt"), QStringLiteral("DECLARE CURSOR")},
        {QStringLiteral("ExecuteStmt"), QStringLiteral("EXECUTE")},
        {QStringLiteral("VacuumStmt"), QStringLiteral("VACUUM")},
        {QStringLiteral("ClusterStmt"), QStringLiteral("CLUSTER")},
        {QStringLiteral("ReindexStmt"), QStringLiteral("REINDEX")},
        {QStringLiteral("CheckPointStmt"), QStringLiteral("CHECKPOINT")},
        {QStringLiteral("NotifyStmt"), QStringLiteral("NOTIFY")},
        {QStringLiteral("ListenStmt"), QStringLiteral("LISTEN")},
        {QStringLiteral("UnlistenStmt"), QStringLiteral("UNLISTEN")},
        {QStringLiteral("DoStmt"), QStringLiteral("DO")},
        {QStringLiteral("CallStmt"), QStringLiteral("CALL")},
        {QStringLiteral("LoadStmt"), QStringLiteral("LOAD")},
        {QStringLiteral("CopyStmt"), QStringLiteral("COPY")},
        {QStringLiteral("LockStmt"), QStringLiteral("LOCK")},
        {QStringLiteral("PrepareStmt"), QStringLiteral("PREPARE")},
        {QStringLiteral("DeallocateStmt"), QStringLiteral("DEALLOCATE")},
        {QStringLiteral("FetchStmt"), QStringLiteral("FETCH")},
        {QStringLiteral("ClosePortalStmt"), QStringLiteral("CLOSE")},
        {QStringLiteral("DiscardStmt"), QStringLiteral("DISCARD")},
        {QStringLiteral("CommentStmt"), QStringLiteral("COMMENT")},
        {QStringLiteral("SecLabelStmt"), QStringLiteral("SECURITY LABEL")},
        {QStringLiteral("ExplainStmt"), QStringLiteral("EXPLAIN")},
        {QStringLiteral("ConstraintsSetStmt"), QStringLiteral("SET CONSTRAINTS")},
        {QStringLiteral("AlterDefaultPrivilegesStmt"), QStringLiteral("ALTER DEFAULT PRIVILEGES")},
    };
    const auto it = names.constFind(node);
    if (it != names.constEnd()) return *it;
    QString name = node;
    if (name.endsWith(QLatin1String("Stmt"))) name.chop(4);
    return words(name);
}

bool ordinaryObject(const QString& type) {
    return type == QLatin1String("TABLE") || type == QLatin1String("VIEW") ||
           type == QLatin1String("INDEX") || type == QLatin1String("MATVIEW");
}

// The name of a {"String": {"sval": ...}} node.
QString nameOf(const TreeValue& v) {
    return v.toObject()
        .value(QLatin1String("String"))
        .toObject()
        .value(QLatin1String("sval"))
        .toString();
}

// The names of a list of such nodes.
QStringList nameList(const TreeValue& list) {
    QStringList out;
    for (const TreeValue& v : list.toArray()) out << nameOf(v);
    return out;
}

class TreeCheck {
public:
    TreeCheck(bool readOnly, const QStringList& schemas, bool ownWritable,
              QList<PgWriteTarget>* targets)
        : readOnly_(readOnly), ownWritable_(ownWritable), schemas_(schemas), targets_(targets) {}

    QString statement(const TreeObject& stmt) {
        if (stmt.isEmpty()) return QString();
        const QString node = stmt.constBegin().key();
        const TreeObject body = stmt.constBegin().value().toObject();
        if (readOnly_) {
            if (node != QLatin1String("SelectStmt"))
                return ReadOnlyPathReason(commandName(node, body));
        } else {
            const QString refused = refusedAction(node, body);
            if (!refused.isEmpty()) return ReachingNameReason(refused);
        }
        walk(stmt);
        return reason_;
    }

private:
    // The command an action statement uses that it may not, "" when none.
    QString refusedAction(const QString& node, const TreeObject& body) {
        static const QStringList rowsAndObjects{
            QStringLiteral("SelectStmt"), QStringLiteral("InsertStmt"),
            QStringLiteral("UpdateStmt"), QStringLiteral("DeleteStmt"),
            QStringLiteral("MergeStmt"),  QStringLiteral("TruncateStmt"),
            QStringLiteral("CreateStmt"), QStringLiteral("CreateTableAsStmt"),
            QStringLiteral("ViewStmt"),   QStringLiteral("IndexStmt")};
        if (rowsAndObjects.contains(node)) {
            if (body.contains(QLatin1String("tablespacename")) ||
                body.contains(QLatin1String("tableSpace")))
                return QStringLiteral("TABLESPACE");
            return QString();
        }
        if (node == QLatin1String("DropStmt")) {
            QString type = objectType(body, "removeType");
            if (!ordinaryObject(type))
                return QStringLiteral("DROP ") + type.replace(QLatin1Char('_'), QLatin1Char(' '));
            for (const TreeValue& o : body.value(QLatin1String("objects")).toArray()) {
                const QStringList names = nameList(o.toObject()
                                                       .value(QLatin1String("List"))
                                                       .toObject()
                                                       .value(QLatin1String("items")));
                if (!names.isEmpty())
                    written(names.size() >= 2 ? names.at(names.size() - 2) : QString(),
                            names.last());
            }
            return QString();
        }
        if (node == QLatin1String("RenameStmt")) {
            QString type = objectType(body, "renameType");
            if (ordinaryObject(type) || type == QLatin1String("COLUMN") ||
                type == QLatin1String("TABCONSTRAINT"))
                return QString();
            return QStringLiteral("ALTER ") + type.replace(QLatin1Char('_'), QLatin1Char(' ')) +
                   QStringLiteral(" RENAME");
        }
        if (node == QLatin1String("AlterTableStmt")) {
            QString type = objectType(body, "objtype");
            if (!ordinaryObject(type))
                return QStringLiteral("ALTER ") + type.replace(QLatin1Char('_'), QLatin1Char(' '));
            for (const TreeValue& c : body.value(QLatin1String("cmds")).toArray()) {
                const QString sub = c.toObject()
                                        .value(QLatin1String("AlterTableCmd"))
                                        .toObject()
                                        .value(QLatin1String("subtype"))
                                        .toString();
                // Owners are roles; tablespaces, rules, triggers, row security
                // and foreign options reach beyond the table's rows.
                for (const char* w : {"Owner", "TableSpace", "Trig", "Rule", "RowSecurity",
                                      "GenericOptions", "ReplicaIdentity"})
                    if (sub.contains(QLatin1String(w)))
                        return QStringLiteral("ALTER TABLE ") + words(sub.mid(3));
            }
            return QString();
        }
        return commandName(node, body);
    }

    static bool rowWrite(QLatin1StringView key) {
        return key == QLatin1String("InsertStmt") || key == QLatin1String("UpdateStmt") ||
               key == QLatin1String("DeleteStmt") || key == QLatin1String("MergeStmt");
    }

    // A table the server is asked about (see PgWriteTarget).
    void target(const QString& schemaName, const QString& name, bool rows) {
        if (!targets_) return;
        for (PgWriteTarget& t : *targets_)
            if (!t.named && t.schema == schemaName && t.name == name) {
                t.rows = t.rows || rows;
                return;
            }
        *targets_ << PgWriteTarget{schemaName, name, rows};
    }
    // A name the statement gives to what it creates or renames: the
    // server's own are refused here, the program's by the caller.
    void named(const QString& name) {
        if (name.isEmpty()) return;
        if (name.startsWith(QLatin1String("pg_"), Qt::CaseInsensitive))
            refuse(TakenNameReason(name, true));
        else if (name.compare(QLatin1String("usuario"), Qt::CaseInsensitive) == 0)
            refuse(UsersTableReason());
        else if (targets_)
            *targets_ << PgWriteTarget{QString(), name, false, true};
    }
    void named(const TreeObject& rangeVar) {
        named(rangeVar.value(QLatin1String("relname")).toString());
    }
    // Rows a locking clause takes hold of: those of every table its SELECT
    // reads (a view's and a sub-query's included), judged as rows written.
    void locked(const TreeValue& value) {
        if (value.isArray()) {
            for (const TreeValue& v : value.toArray()) locked(v);
        } else if (value.isObject()) {
            const TreeObject o = value.toObject();
            if (o.contains(QLatin1String("relname"))) {
                const QString name = o.value(QLatin1String("relname")).toString();
                const bool own = o.value(QLatin1String("schemaname")).toString().isEmpty();
                if (!(own && withResult(name))) written(o, true);
            }
            for (auto it = o.constBegin(); it != o.constEnd(); ++it) locked(it.value());
        }
    }

    // ATTACH and DETACH PARTITION (of a table or an index) change the table
    // they name as much as the one they alter.
    void partitionWritten(const TreeObject& cmd) {
        if (!cmd.value(QLatin1String("subtype")).toString().contains(QLatin1String("Partition")))
            return;
        kin(cmd.value(QLatin1String("def"))
                .toObject()
                .value(QLatin1String("PartitionCmd"))
                .toObject()
                .value(QLatin1String("name"))
                .toObject());
    }
    static bool kinCommand(const TreeObject& cmd) {
        const QString sub = cmd.value(QLatin1String("subtype")).toString();
        return sub.contains(QLatin1String("Partition")) || sub.contains(QLatin1String("Inherit"));
    }
    // A table made a partition, child or parent of another, or taken out
    // of one: written, and marked for the caller.
    void kin(const TreeObject& rangeVar) {
        if (rangeVar.isEmpty()) return;
        written(rangeVar);
        if (!reason_.isEmpty() || !targets_) return;
        for (PgWriteTarget& t : *targets_)
            if (!t.named && t.schema == rangeVar.value(QLatin1String("schemaname")).toString() &&
                t.name == rangeVar.value(QLatin1String("relname")).toString())
                t.kin = true;
    }

    // The names a WITH defines that the part `index` of it sees (-1: the
    // statement under it): without RECURSIVE a part sees those before it.
    static QStringList cteNames(const TreeObject& with, int index) {
        QStringList names;
        const TreeArray ctes = with.value(QLatin1String("ctes")).toArray();
        const bool recursive = with.value(QLatin1String("recursive")).toBool();
        for (int i = 0; i < ctes.size(); ++i) {
            if (index >= 0 && !recursive && i >= index) break;
            names << ctes.at(i)
                         .toObject()
                         .value(QLatin1String("CommonTableExpr"))
                         .toObject()
                         .value(QLatin1String("ctename"))
                         .toString();
        }
        return names;
    }
    // Each part of a WITH checked with the names it sees.
    void withClause(const TreeObject& with) {
        const TreeArray ctes = with.value(QLatin1String("ctes")).toArray();
        for (int i = 0; i < ctes.size() && reason_.isEmpty(); ++i) {
            withNames_ << cteNames(with, i);
            walk(ctes.at(i));
            withNames_.removeLast();
        }
    }
    bool withResult(const QString& name) const {
        for (const QStringList& names : withNames_)
            if (names.contains(name)) return true;
        return false;
    }

    // Functions that take an object's name as a text and tell whether it
    // exists or what may be done to it: the name is checked as the
    // statement's own names are, and one worked out is not let through.
    // Settings holding the server's files and folders are not a user's to read.
    void namingFunction(const QString& name, const TreeArray& args) {
        if (name == QLatin1String("current_setting")) {
            const QString setting = constantText(args.at(0).toObject()).toLower();
            if (setting.isEmpty() || setting.endsWith(QLatin1String("file")) ||
                setting.endsWith(QLatin1String("_directory")) ||
                setting.endsWith(QLatin1String("_directories")) ||
                setting.endsWith(QLatin1String("_path")))
                refuse(ReachingNameReason(name));
            return;
        }
        const bool privilege =
            name.startsWith(QLatin1String("has_")) && name.endsWith(QLatin1String("_privilege"));
        if (!name.startsWith(QLatin1String("to_reg")) && !privilege) return;
        static const QStringList tables{
            QStringLiteral("has_table_privilege"), QStringLiteral("has_column_privilege"),
            QStringLiteral("has_any_column_privilege"), QStringLiteral("has_sequence_privilege")};
        if (privilege) {
            if (!tables.contains(name) && name != QLatin1String("has_schema_privilege")) {
                refuse(ReachingNameReason(name));
                return;
            }
            // ([role,] object, [column,] privileges): every value a written
            // text, the object's name checked.
            const int named = name == QLatin1String("has_column_privilege") ? 3 : 2;
            if (args.size() != named && args.size() != named + 1) refuse(ReachingNameReason(name));
            const int object = int(args.size()) - named;
            for (int i = 0; i < args.size(); ++i) {
                const QString text = constantText(args.at(i).toObject());
                if (text.isNull())
                    refuse(ReachingNameReason(name));
                else if (i == object && name == QLatin1String("has_schema_privilege"))
                    schema(namesInText(text).last(), false);
                else if (i == object)
                    namedInText(text);
            }
            return;
        }
        objectNamed(QStringLiteral("reg") + name.mid(6), constantText(args.at(0).toObject()));
    }
    // An object named by a text for a reg... type: a schema's name is
    // checked as a schema, a role's is not a user's to look for.
    void objectNamed(const QString& type, const QString& text) {
        if (text.isNull() || type == QLatin1String("regrole")) {
            refuse(ReachingNameReason(type));
        } else if (type == QLatin1String("regnamespace")) {
            schema(namesInText(text).last(), false);
        } else {
            namedInText(text);
        }
    }

    void refuse(const QString& reason) {
        if (reason_.isEmpty()) reason_ = reason;
    }

    // A schema named in the statement; pg_catalog only for functions and types.
    void schema(const QString& name, bool catalog) {
        if (schemas_.contains(name) || (catalog && name == QLatin1String("pg_catalog"))) return;
        refuse(ReachingNameReason(name));
    }

    // Something the statement writes, alters or drops that is there already
    // (a table it changes, a table it inherits from or references): only
    // in the database's own schema. Where an unqualified name leads is the
    // server's to tell (targets_); none when the own schema is read-only.
    void written(const QString& schemaName, const QString& name, bool rows = false) {
        if (name.compare(QLatin1String("usuario"), Qt::CaseInsensitive) == 0)
            refuse(UsersTableReason());
        if (!schemaName.isEmpty())
            writeSchema(schemaName);
        else if (!ownWritable_)
            refuse(GeneralDatabaseWriteReason(schemas_.value(0)));
        if (reason_.isEmpty()) target(schemaName, name, rows);
    }
    void written(const TreeObject& rangeVar, bool rows = false) {
        if (rangeVar.isEmpty()) return;
        written(rangeVar.value(QLatin1String("schemaname")).toString(),
                rangeVar.value(QLatin1String("relname")).toString(), rows);
    }
    // Something the statement creates: an unqualified name is created in
    // the first schema of the path, the database's own.
    void created(const TreeObject& rangeVar) {
        const QString s = rangeVar.value(QLatin1String("schemaname")).toString();
        if (!s.isEmpty())
            writeSchema(s);
        else if (!ownWritable_)
            refuse(GeneralDatabaseWriteReason(schemas_.value(0)));
    }
    void writeSchema(const QString& name) {
        if (ownWritable_ && name == schemas_.value(0)) return;
        if (schemas_.contains(name))
            refuse(GeneralDatabaseWriteReason(name));
        else
            refuse(ReachingNameReason(name));
    }

    // Where a statement node writes.
    void writes(QLatin1StringView key, const TreeObject& o) {
        static const QStringList changing{
            QStringLiteral("InsertStmt"),     QStringLiteral("UpdateStmt"),
            QStringLiteral("DeleteStmt"),     QStringLiteral("MergeStmt"),
            QStringLiteral("AlterTableStmt"), QStringLiteral("RenameStmt"),
            QStringLiteral("IndexStmt")};
        if (changing.contains(key)) {
            written(o.value(QLatin1String("relation")).toObject(), rowWrite(key));
            for (const TreeValue& c : o.value(QLatin1String("cmds")).toArray())
                if (kinCommand(c.toObject().value(QLatin1String("AlterTableCmd")).toObject()))
                    kin(o.value(QLatin1String("relation")).toObject());
            if (key == QLatin1String("IndexStmt"))
                named(o.value(QLatin1String("idxname")).toString());
            if (key == QLatin1String("RenameStmt")) renamed(o);
        } else if (key == QLatin1String("TruncateStmt")) {
            for (const TreeValue& r : o.value(QLatin1String("relations")).toArray())
                written(r.toObject().value(QLatin1String("RangeVar")).toObject(), true);
        } else if (key == QLatin1String("CreateStmt")) {
            created(o.value(QLatin1String("relation")).toObject());
            named(o.value(QLatin1String("relation")).toObject());
            // A child table's rows are read with its parent's.
            for (const TreeValue& r : o.value(QLatin1String("inhRelations")).toArray())
                kin(r.toObject().value(QLatin1String("RangeVar")).toObject());
        } else if (key == QLatin1String("CreateTableAsStmt")) {
            const TreeObject rel =
                o.value(QLatin1String("into")).toObject().value(QLatin1String("rel")).toObject();
            created(rel);
            named(rel);
        } else if (key == QLatin1String("ViewStmt")) {
            created(o.value(QLatin1String("view")).toObject());
            named(o.value(QLatin1String("view")).toObject());
        } else if (key == QLatin1String("intoClause")) {  // SELECT ... INTO
            created(o.value(QLatin1String("rel")).toObject());
            named(o.value(QLatin1String("rel")).toObject());
        } else if (key == QLatin1String("Constraint")) {
            // A foreign key puts the engine's triggers on the table it references.
            written(o.value(QLatin1String("pktable")).toObject());
            // A key or a unique or exclusion constraint makes an index of its name.
            const QString type = o.value(QLatin1String("contype")).toString();
            if (type == QLatin1String("CONSTR_PRIMARY") || type == QLatin1String("CONSTR_UNIQUE") ||
                type == QLatin1String("CONSTR_EXCLUSION"))
                named(o.value(QLatin1String("conname")).toString());
        } else if (key == QLatin1String("AlterTableCmd") &&
                   o.value(QLatin1String("subtype"))
                       .toString()
                       .contains(QLatin1String("Inherit"))) {
            kin(o.value(QLatin1String("def"))
                    .toObject()
                    .value(QLatin1String("RangeVar"))
                    .toObject());
        } else if (key == QLatin1String("AlterTableCmd")) {
            partitionWritten(o);
        }
    }

    // The new name of a table, view or index (or of a constraint, whose
    // index takes it); a column's is not a table's.
    void renamed(const TreeObject& o) {
        const QString type = objectType(o, "renameType");
        if (ordinaryObject(type) || type == QLatin1String("TABCONSTRAINT"))
            named(o.value(QLatin1String("newname")).toString());
    }

    void function(const TreeObject& call) {
        const QStringList names = nameList(call.value(QLatin1String("funcname")));
        if (names.isEmpty()) return;
        const QString name = names.last().toLower();
        if (reachingFunction(name)) refuse(ReachingNameReason(name));
        if (names.size() >= 2) schema(names.at(names.size() - 2), true);
        namingFunction(name, call.value(QLatin1String("args")).toArray());
        // A sequence named in a text is reached as a table named in the
        // statement would be; one whose name is worked out is not let through.
        for (const char* f : kSequenceFunctions) {
            if (name != QLatin1String(f)) continue;
            const QString text =
                constantText(call.value(QLatin1String("args")).toArray().at(0).toObject());
            if (text.isNull()) {
                refuse(ReachingNameReason(name));
            } else {
                namedInText(text);
                const QStringList parts = namesInText(text);
                if (!readOnly_ && name != QLatin1String("currval"))
                    written(parts.size() >= 2 ? parts.at(parts.size() - 2) : QString(),
                            parts.last());
            }
        }
    }

    // An object named in a text: its schema is checked as any other.
    void namedInText(const QString& text) {
        const QStringList parts = namesInText(text);
        if (parts.last().compare(QLatin1String("usuario"), Qt::CaseInsensitive) == 0)
            refuse(UsersTableReason());
        if (parts.size() > 2) refuse(ReachingNameReason(parts.at(0)));
        if (parts.size() >= 2) schema(parts.at(parts.size() - 2), false);
    }

    void relation(const TreeObject& r) {
        const QString name = r.value(QLatin1String("relname")).toString();
        if (name.toLower().startsWith(QLatin1String("pg_"))) refuse(ReachingNameReason(name));
        // Every user's password, level and rights: never a user's to read.
        const QString s = r.value(QLatin1String("schemaname")).toString();
        if (name.compare(QLatin1String("usuario"), Qt::CaseInsensitive) == 0 &&
            !(s.isEmpty() && withResult(name)))
            refuse(UsersTableReason());
        if (!s.isEmpty()) schema(s, false);
        const QString c = r.value(QLatin1String("catalogname")).toString();
        if (!c.isEmpty()) refuse(ReachingNameReason(c));
    }

    void node(QLatin1StringView key, const TreeValue& value) {
        const TreeObject o = value.toObject();
        writes(key, o);
        if (key == QLatin1String("FuncCall")) {
            function(o);
        } else if (key == QLatin1String("TypeCast")) {
            // 'emp2.tabla'::regclass and the other object-name types.
            const QStringList type = nameList(
                o.value(QLatin1String("typeName")).toObject().value(QLatin1String("names")));
            const QString text = constantText(o.value(QLatin1String("arg")).toObject());
            if (!type.isEmpty() && type.last().toLower().startsWith(QLatin1String("reg")))
                objectNamed(type.last().toLower(), text);
        } else if (key == QLatin1String("DefElem")) {
            // A view that runs with the rights of whoever reads it runs with
            // the program's own when the program reads its name.
            if (o.value(QLatin1String("defname"))
                    .toString()
                    .compare(QLatin1String("security_invoker"), Qt::CaseInsensitive) == 0)
                refuse(ReachingNameReason(QStringLiteral("security_invoker")));
        } else if (key == QLatin1String("A_Expr")) {
            // OPERATOR(emp2.+)
            const QStringList names = nameList(o.value(QLatin1String("name")));
            if (names.size() >= 2) schema(names.at(names.size() - 2), true);
        } else if (key == QLatin1String("ColumnRef")) {
            const TreeArray fields = o.value(QLatin1String("fields")).toArray();
            if (fields.size() >= 3) {
                const QString name = nameOf(fields.at(fields.size() - 3));
                if (!name.isEmpty()) schema(name, false);
            }
        } else if (readOnly_) {
            if (key == QLatin1String("InsertStmt") || key == QLatin1String("UpdateStmt") ||
                key == QLatin1String("DeleteStmt") || key == QLatin1String("MergeStmt"))
                refuse(ReadOnlyPathReason(commandName(key, o)));
            else if (key == QLatin1String("intoClause"))
                refuse(ReadOnlyPathReason(QStringLiteral("SELECT … INTO")));
            else if (key == QLatin1String("lockingClause"))
                refuse(ReadOnlyPathReason(QStringLiteral("FOR UPDATE")));
        }
        walk(value);
    }

    void walk(const TreeValue& value) {
        if (!reason_.isEmpty()) return;
        if (value.isArray()) {
            for (const TreeValue& v : value.toArray()) walk(v);
        } else if (value.isObject()) {
            const TreeObject o = value.toObject();
            // A field that can only hold a relation or a type is written
            // without its node's name ({"relation": {"relname": ...}}): known
            // by its own fields.
            if (o.contains(QLatin1String("relname"))) {
                relation(o);
            } else if (o.contains(QLatin1String("names")) && o.contains(QLatin1String("typemod"))) {
                const QStringList names = nameList(o.value(QLatin1String("names")));
                if (names.size() >= 2) schema(names.at(names.size() - 2), true);
            }
            const TreeObject with = o.value(QLatin1String("withClause")).toObject();
            if (!with.isEmpty()) {
                withClause(with);
                withNames_ << cteNames(with, -1);
            }
            // Row locks outlive the statement's reading until its end: on
            // the query path none, elsewhere only on the company's own rows.
            if (!readOnly_ && o.contains(QLatin1String("lockingClause")))
                locked(o.value(QLatin1String("fromClause")));
            for (auto it = o.constBegin(); it != o.constEnd() && reason_.isEmpty(); ++it)
                if (with.isEmpty() || it.key() != QLatin1String("withClause"))
                    node(it.key(), it.value());
            if (!with.isEmpty()) withNames_.removeLast();
        }
    }

    bool readOnly_;
    bool ownWritable_;
    QStringList schemas_;
    QList<PgWriteTarget>* targets_;
    QString reason_;
    QList<QStringList> withNames_;  // the names each enclosing WITH defines
};

// The longest text that is parsed: a left-deep chain ("1+1+...") is as deep
// as it is long, and the parser library writes its tree out recursing once
// per level, some 64 bytes of stack per byte of text.
constexpr qsizetype kLongestText = 256 * 1024;
// The stack of the thread that parses: six times the 16 MB the longest text
// needs, for the sanitizer build's larger frames. Only what is used is
// ever mapped.
constexpr uint kParserStack = 96u * 1024 * 1024;

// The thread with the parser's stack. The parser keeps state per thread and
// takes a thread key it never gives back, so a thread per statement would
// use up the process's keys (about a thousand) and end the program: one
// thread, started on first use, reads every statement, one at a time.
class ParserThread {
public:
    static ParserThread& instance() {
        static ParserThread parser;
        return parser;
    }
    ~ParserThread() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_) thread_->wait();
    }

    // Runs `work` there and waits for it; false when the thread cannot start.
    bool run(const std::function<void()>& work) {
        if (onParser_) {  // a walk that reads a statement again
            work();
            return true;
        }
        std::lock_guard one(callers_);
        std::unique_lock lock(mutex_);
        if (!started()) return false;
        job_ = &work;
        failure_ = nullptr;
        wake_.notify_all();
        wake_.wait(lock, [this] { return job_ == nullptr; });
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
        return true;
    }

private:
    bool started() {
        if (thread_ && thread_->isRunning()) return true;
        thread_.reset(QThread::create([this] { loop(); }));
        thread_->setStackSize(kParserStack);
        thread_->start();
        if (thread_->isRunning()) return true;
        thread_.reset();
        return false;
    }
    void loop() {
        onParser_ = true;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || job_ != nullptr; });
            if (stop_) return;
            lock.unlock();
            std::exception_ptr failure;
            try {
                (*job_)();
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            failure_ = failure;
            job_ = nullptr;
            wake_.notify_all();
        }
    }

    static thread_local bool onParser_;
    std::mutex callers_;  // one statement at a time
    std::mutex mutex_;
    std::condition_variable wake_;
    const std::function<void()>* job_ = nullptr;
    std::exception_ptr failure_;
    bool stop_ = false;
    std::unique_ptr<QThread> thread_;
};

thread_local bool ParserThread::onParser_ = false;

// Runs `work` on the parser's thread and waits for it. False when that
// thread could not be started.
bool onParserStack(const std::function<void()>& work) {
    return ParserThread::instance().run(work);
}

// The statement nodes of a text read by the server's parser (held by
// `tree`), or why it cannot be read. Runs on the parser's stack.
QString parsedStatements(const QString& sql, TreeDocument& tree, TreeArray& stmts) {
    const QByteArray text = sql.toUtf8();
    if (text.size() > kLongestText) return TooLongReason(kLongestText);
    QString reason;
    const bool ran = onParserStack([&] {
        PgQueryParseResult r = pg_query_parse(text.constData());
        if (r.error) {
            reason = syntaxReason(sql, *r.error);
        } else {
            // Read no deeper than Qt's JSON reader goes: what cannot be read
            // whole is not let through.
            if (!tree.parse(QByteArray(r.parse_tree)))
                reason = TooDeepReason();
            else
                stmts = tree.root().toObject().value(QLatin1String("stmts")).toArray();
        }
        pg_query_free_parse_result(r);
    });
    if (!ran) return TooDeepReason();
    return reason;
}

// True when the tree holds a node that writes rows.
bool holdsWrite(const TreeValue& value) {
    if (value.isArray()) {
        for (const TreeValue& v : value.toArray())
            if (holdsWrite(v)) return true;
    } else if (value.isObject()) {
        const TreeObject o = value.toObject();
        for (auto it = o.constBegin(); it != o.constEnd(); ++it) {
            if (it.key() == QLatin1String("InsertStmt") ||
                it.key() == QLatin1String("UpdateStmt") ||
                it.key() == QLatin1String("DeleteStmt") || it.key() == QLatin1String("MergeStmt") ||
                it.key() == QLatin1String("intoClause"))
                return true;
            if (holdsWrite(it.value())) return true;
        }
    }
    return false;
}

}  // namespace

QString PgUserStatementRefusal(const QString& sql, bool readOnly, const QStringList& schemas,
                               bool ownWritable, QList<PgWriteTarget>* targets) {
    TreeDocument tree;
    TreeArray stmts;
    QString reason = parsedStatements(sql, tree, stmts);
    if (!reason.isEmpty()) return reason;
    if (stmts.size() > 1) return SeveralStatementsReason();
    if (stmts.isEmpty())  // only blanks and comments
        return QStringLiteral("el texto no contiene ninguna sentencia SQL");
    // The tree is walked on the parser's stack too: Qt reads it back only
    // up to a depth that this stack holds many times over.
    const TreeObject stmt = stmts.at(0).toObject().value(QLatin1String("stmt")).toObject();
    if (!onParserStack(
            [&] { reason = TreeCheck(readOnly, schemas, ownWritable, targets).statement(stmt); }))
        return TooDeepReason();
    return reason;
}

std::optional<bool> PgStatementIsQuery(const QString& sql) {
    TreeDocument tree;
    TreeArray stmts;
    if (!parsedStatements(sql, tree, stmts).isEmpty() || stmts.size() != 1) return std::nullopt;
    const TreeObject stmt = stmts.at(0).toObject().value(QLatin1String("stmt")).toObject();
    if (stmt.constBegin().key() != QLatin1String("SelectStmt")) return false;
    bool writes = false;
    if (!onParserStack([&] { writes = holdsWrite(stmt); })) return std::nullopt;
    return !writes;
}

namespace {

// Walks a statement's tree for PgColumnUses. A "*" comes out under its
// columns' own names (each then hidden where the result is shown) in one
// place only: the target list of the statement's own SELECT, when that
// SELECT compares no rows whole (no set operation, DISTINCT or GROUP BY)
// and writes nothing (no INTO). Anywhere else it carries what it takes in.
class ColumnCheck {
public:
    ColumnCheck(const std::function<bool(const QString&)>& hidden, PgColumnUse& use)
        : hidden_(hidden), use_(use) {}

    void statement(const TreeObject& stmt) {
        ranges(stmt);
        const TreeObject s = stmt.value(QLatin1String("SelectStmt")).toObject();
        if (s.isEmpty()) {
            walk(stmt);
            return;
        }
        const QString op = s.value(QLatin1String("op")).toString();
        const bool lands = (op.isEmpty() || op == QLatin1String("SETOP_NONE")) &&
                           !s.contains(QLatin1String("distinctClause")) &&
                           !s.contains(QLatin1String("groupClause")) &&
                           !s.contains(QLatin1String("intoClause"));
        select(s, lands);
    }

private:
    void name(const QString& column) {
        if (use_.named.isEmpty() && !column.isEmpty() && hidden_(column)) use_.named = column;
    }
    void names(const TreeValue& list) {
        for (const QString& n : nameList(list)) name(n);
    }
    void carried(const QString& how) {
        if (use_.carried.isEmpty()) use_.carried = how;
    }
    static bool hasColumnAliases(const TreeObject& o) {
        return !o.value(QLatin1String("alias"))
                    .toObject()
                    .value(QLatin1String("colnames"))
                    .toArray()
                    .isEmpty();
    }
    static bool isStar(const TreeObject& columnRef) {
        const TreeArray fields = columnRef.value(QLatin1String("fields")).toArray();
        return !fields.isEmpty() && fields.last().toObject().contains(QLatin1String("A_Star"));
    }

    // The names a column reference of one word may mean a whole row by:
    // the tables, sub-queries, functions and WITH queries of the statement,
    // and every relation it names, as the server will ask of the catalog.
    void ranges(const TreeValue& value) {
        if (value.isArray()) {
            for (const TreeValue& v : value.toArray()) ranges(v);
            return;
        }
        if (!value.isObject()) return;
        const TreeObject o = value.toObject();
        if (o.contains(QLatin1String("relname"))) {
            const QString relname = o.value(QLatin1String("relname")).toString();
            rangeNames_ << relname;
            const QString text = relationText(o);
            if (!use_.relations.contains(text)) use_.relations << text;
            tables_.insert(relname, QStringList{text});
            const QString alias = o.value(QLatin1String("alias"))
                                      .toObject()
                                      .value(QLatin1String("aliasname"))
                                      .toString();
            if (!alias.isEmpty()) tables_.insert(alias, QStringList{text});
        }
        if (o.contains(QLatin1String("onConflictClause")) && o.contains(QLatin1String("relation")))
            tables_.insert(
                QStringLiteral("excluded"),
                QStringList{relationText(o.value(QLatin1String("relation")).toObject())});
        if (o.contains(QLatin1String("JoinExpr"))) {
            const TreeObject j = o.value(QLatin1String("JoinExpr")).toObject();
            const QString alias = j.value(QLatin1String("alias"))
                                      .toObject()
                                      .value(QLatin1String("aliasname"))
                                      .toString();
            if (!alias.isEmpty()) {
                QStringList joined;
                tablesIn(j.value(QLatin1String("larg")), joined);
                tablesIn(j.value(QLatin1String("rarg")), joined);
                tables_.insert(alias, joined);
            }
        }
        if (o.contains(QLatin1String("aliasname")))
            rangeNames_ << o.value(QLatin1String("aliasname")).toString();
        if (o.contains(QLatin1String("ctename")))
            rangeNames_ << o.value(QLatin1String("ctename")).toString();
        for (auto it = o.constBegin(); it != o.constEnd(); ++it) ranges(it.value());
    }

    // The tables named anywhere in `value`.
    static void tablesIn(const TreeValue& value, QStringList& out) {
        if (value.isArray()) {
            for (const TreeValue& v : value.toArray()) tablesIn(v, out);
            return;
        }
        const TreeObject o = value.toObject();
        if (o.contains(QLatin1String("relname")) && !out.contains(relationText(o)))
            out << relationText(o);
        for (auto it = o.constBegin(); it != o.constEnd(); ++it) tablesIn(it.value(), out);
    }

    // A table's name as the server reads a name given as text.
    static QString relationText(const TreeObject& rangeVar) {
        auto quoted = [](QString n) -> QString {
            return QLatin1Char('"') + n.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                   QLatin1Char('"');
        };
        const QString schema = rangeVar.value(QLatin1String("schemaname")).toString();
        return (schema.isEmpty() ? QString() : quoted(schema) + QLatin1Char('.')) +
               quoted(rangeVar.value(QLatin1String("relname")).toString());
    }

    // A SELECT; `lands`: the one whose "*" comes out under its own names.
    void select(const TreeObject& s, bool lands) {
        const QString op = s.value(QLatin1String("op")).toString();
        if (!op.isEmpty() && op != QLatin1String("SETOP_NONE")) {
            // Each branch's rows are compared whole with the other's.
            for (auto it = s.constBegin(); it != s.constEnd(); ++it)
                if (it.key() == QLatin1String("larg") || it.key() == QLatin1String("rarg"))
                    select(it.value().toObject(), false);
                else
                    walk(it.value());
            return;
        }
        int before = 0;  // the result's columns ahead of its first "*"
        bool star = false;
        for (const TreeValue& t : s.value(QLatin1String("targetList")).toArray()) {
            // The name of a result column is the statement's own: not read.
            const TreeObject val = t.toObject()
                                        .value(QLatin1String("ResTarget"))
                                        .toObject()
                                        .value(QLatin1String("val"))
                                        .toObject();
            const TreeObject ref = val.value(QLatin1String("ColumnRef")).toObject();
            if (!ref.isEmpty() && isStar(ref)) {
                if (!lands) carried(QStringLiteral("*"));
                star = true;
                walk(ref);  // a table named before the "*"
            } else {
                before += star ? 0 : 1;
                walk(val);
            }
        }
        // An order by position sorts by what stands there: where a "*"
        // may put it, the caller asks the server which column that is.
        if (lands && star)
            for (const TreeValue& b : s.value(QLatin1String("sortClause")).toArray()) {
                const TreeObject c = b.toObject()
                                          .value(QLatin1String("SortBy"))
                                          .toObject()
                                          .value(QLatin1String("node"))
                                          .toObject()
                                          .value(QLatin1String("A_Const"))
                                          .toObject();
                if (!c.contains(QLatin1String("ival"))) continue;
                const int position =
                    c.value(QLatin1String("ival")).toObject().value(QLatin1String("ival")).toInt();
                if (position > before && !use_.sortedByStar.contains(position))
                    use_.sortedByStar << position;
            }
        for (const TreeValue& f : s.value(QLatin1String("fromClause")).toArray()) from(f);
        for (const TreeValue& c : s.value(QLatin1String("withClause"))
                                       .toObject()
                                       .value(QLatin1String("ctes"))
                                       .toArray()) {
            const TreeObject query = c.toObject()
                                          .value(QLatin1String("CommonTableExpr"))
                                          .toObject()
                                          .value(QLatin1String("ctequery"))
                                          .toObject();
            if (query.contains(QLatin1String("SelectStmt")))
                select(query.value(QLatin1String("SelectStmt")).toObject(), false);
            else
                walk(query);
        }
        for (auto it = s.constBegin(); it != s.constEnd(); ++it)
            if (it.key() != QLatin1String("targetList") &&
                it.key() != QLatin1String("fromClause") && it.key() != QLatin1String("withClause"))
                walk(it.value());
    }

    void from(const TreeValue& item) {
        const TreeObject o = item.toObject();
        if (o.contains(QLatin1String("RangeVar"))) {
            if (hasColumnAliases(o.value(QLatin1String("RangeVar")).toObject()))
                carried(QStringLiteral("una lista de nombres de columnas"));
        } else if (o.contains(QLatin1String("RangeSubselect"))) {
            const TreeObject r = o.value(QLatin1String("RangeSubselect")).toObject();
            const TreeObject query = r.value(QLatin1String("subquery")).toObject();
            select(query.value(QLatin1String("SelectStmt")).toObject(), false);
            return;
        } else if (o.contains(QLatin1String("JoinExpr"))) {
            const TreeObject j = o.value(QLatin1String("JoinExpr")).toObject();
            // Matched by the columns both sides hold, whatever they are.
            if (j.value(QLatin1String("isNatural")).toBool())
                carried(QStringLiteral("NATURAL JOIN"));
            if (hasColumnAliases(j)) carried(QStringLiteral("una lista de nombres de columnas"));
            from(j.value(QLatin1String("larg")));
            from(j.value(QLatin1String("rarg")));
            names(j.value(QLatin1String("usingClause")));
            walk(j.value(QLatin1String("quals")));
            return;
        }
        walk(item);
    }

    void node(QLatin1StringView key, const TreeValue& value) {
        const TreeObject o = value.toObject();
        if (key == QLatin1String("SelectStmt")) {
            select(o, false);
            return;
        }
        if (key == QLatin1String("ColumnRef")) {
            const TreeArray fields = o.value(QLatin1String("fields")).toArray();
            if (isStar(o)) {
                carried(QStringLiteral("*"));
            } else if (fields.size() == 1) {
                const QString n = nameList(fields).value(0);
                // A table's name alone is its whole row, when no column has it.
                if (rangeNames_.contains(n)) carried(n);
                name(n);
            } else {
                name(nameOf(fields.last()));
                // Whichever part the server takes for the table (p.x,
                // esquema.prueba.x, prueba.columna.campo), the name after it
                // is a column of it or a function of its whole row.
                const QStringList parts = nameList(fields);
                const QString written = parts.join(QLatin1Char('.'));
                for (qsizetype i = 0; i + 1 < parts.size(); ++i)
                    for (auto t = tables_.constFind(parts[i]);
                         t != tables_.constEnd() && t.key() == parts[i]; ++t)
                        use_.qualified << PgQualifiedName{*t, parts[i + 1], written};
            }
        } else if (key == QLatin1String("A_Indirection")) {
            // (fila).campo
            for (const TreeValue& i : o.value(QLatin1String("indirection")).toArray()) {
                if (i.toObject().contains(QLatin1String("A_Star"))) carried(QStringLiteral("*"));
                name(nameOf(i));
            }
        } else if (key == QLatin1String("ResTarget")) {
            // Outside a SELECT's list: the column an INSERT, UPDATE or MERGE writes.
            name(o.value(QLatin1String("name")).toString());
        } else if (key == QLatin1String("InsertStmt") || key == QLatin1String("MergeStmt")) {
            // Values given without a column list set every column.
            bool whole = o.value(QLatin1String("cols")).toArray().isEmpty() &&
                         o.contains(QLatin1String("selectStmt"));
            for (const TreeValue& w : o.value(QLatin1String("mergeWhenClauses")).toArray()) {
                const TreeObject c =
                    w.toObject().value(QLatin1String("MergeWhenClause")).toObject();
                whole = whole || (c.value(QLatin1String("commandType")).toString() ==
                                      QLatin1String("CMD_INSERT") &&
                                  c.value(QLatin1String("targetList")).toArray().isEmpty() &&
                                  !c.value(QLatin1String("values")).toArray().isEmpty());
            }
            const QString table = relationText(o.value(QLatin1String("relation")).toObject());
            if (whole && !use_.filledWhole.contains(table)) use_.filledWhole << table;
        } else if (key == QLatin1String("IndexElem")) {
            name(o.value(QLatin1String("name")).toString());
        } else if (key == QLatin1String("usingClause")) {
            names(value);
        } else if (key == QLatin1String("RenameStmt")) {
            if (o.value(QLatin1String("renameType")).toString() == QLatin1String("OBJECT_COLUMN"))
                name(o.value(QLatin1String("subname")).toString());
        } else if (key == QLatin1String("AlterTableCmd")) {
            if (!o.value(QLatin1String("subtype")).toString().contains(QLatin1String("Constraint")))
                name(o.value(QLatin1String("name")).toString());
        } else if (key == QLatin1String("Constraint")) {
            for (const char* k : {"keys", "including", "fk_attrs", "pk_attrs"})
                names(o.value(QLatin1String(k)));
        }
        walk(value);
    }

    void walk(const TreeValue& value) {
        if (value.isArray()) {
            for (const TreeValue& v : value.toArray()) walk(v);
        } else if (value.isObject()) {
            const TreeObject o = value.toObject();
            for (auto it = o.constBegin(); it != o.constEnd(); ++it) node(it.key(), it.value());
        }
    }

    const std::function<bool(const QString&)>& hidden_;
    PgColumnUse& use_;
    QStringList rangeNames_;
    // The tables each name or alias stands for, in any part of the statement
    // (a join's alias: all those it joins).
    QMultiHash<QString, QStringList> tables_;
};

}  // namespace

PgColumnUse PgColumnUses(const QString& sql, const std::function<bool(const QString&)>& hidden) {
    PgColumnUse use;
    TreeDocument tree;
    TreeArray stmts;
    if (!hidden || !parsedStatements(sql, tree, stmts).isEmpty() || stmts.size() != 1) return use;
    const TreeObject stmt = stmts.at(0).toObject().value(QLatin1String("stmt")).toObject();
    if (!onParserStack([&] { ColumnCheck(hidden, use).statement(stmt); })) return PgColumnUse{};
    return use;
}
