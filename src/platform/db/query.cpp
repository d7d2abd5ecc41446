#include "db/query.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QSqlQuery>
#include <utility>

#include "db/database.h"
#include "db/dberror.h"
#include "db/query_p.h"
#include "db/sqllexis.h"
#include "db/sysutils.h"
#include "db/tablecursor.h"
// ---------------------------------------------------------------------------
// SQL text

void TSQLStrings::changed() {
    if (onChange_) onChange_();
}

void TSQLStrings::Add(const QString& line) {
    lines_.append(line);
    changed();
}

void TSQLStrings::Clear() {
    if (lines_.isEmpty()) return;
    lines_.clear();
    changed();
}

QString TSQLStrings::Text() const {
    QString text;
    for (const QString& l : lines_) text += l + QStringLiteral("\r\n");
    return text;
}

void TSQLStrings::setText(const QString& text) {
    // Lines end at any line break outside a quoted value; a break inside one
    // is part of the value and stays in its line as it was written.
    QStringList lines;
    QString line;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quoted && (c == QLatin1Char('\r') || c == QLatin1Char('\n'))) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            lines << line;
            line.clear();
            continue;
        }
        if (c == QLatin1Char('\'')) quoted = !quoted;  // '' inside toggles twice
        line += c;
    }
    if (!line.isEmpty()) lines << line;
    setLines(lines);
}

void TSQLStrings::setLines(const QStringList& lines) {
    lines_ = lines;
    changed();
}

// ---------------------------------------------------------------------------
// Parameters

void TParam::setValue(const QVariant& value) {
    value_ = value;
    switch (value.typeId()) {
        case QMetaType::QString:
            dataType_ = ftString;
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UInt:
            dataType_ = ftInteger;
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            dataType_ = ftFloat;
            break;
        case QMetaType::Bool:
            dataType_ = ftBoolean;
            break;
        case QMetaType::QDate:
            dataType_ = ftDate;
            break;
        case QMetaType::QTime:
            dataType_ = ftTime;
            break;
        case QMetaType::QDateTime:
            dataType_ = ftDateTime;
            break;
        case QMetaType::QByteArray:
            dataType_ = ftBlob;
            break;
        default:
            break;
    }
}

QString TParam::AsString() const {
    return TField::TextOf(value_, dataType_ == ftUnknown ? ftString : dataType_);
}
void TParam::setAsString(const QString& v) {
    value_ = v;
    dataType_ = ftString;
}
int TParam::AsInteger() const {
    return IsNull() ? 0 : TField::Coerce(value_, ftInteger, 0).toInt();
}
void TParam::setAsInteger(int v) {
    value_ = v;
    dataType_ = ftInteger;
}
double TParam::AsFloat() const {
    return IsNull() ? 0 : TField::Coerce(value_, ftFloat, 0).toDouble();
}
void TParam::setAsFloat(double v) {
    value_ = v;
    dataType_ = ftFloat;
}
void TParam::setAsCurrency(double v) {
    value_ = v;
    dataType_ = ftCurrency;
}
QDateTime TParam::AsDateTime() const {
    return IsNull() ? ZeroDateTime() : TField::Coerce(value_, ftDateTime, 0).toDateTime();
}
void TParam::setAsDateTime(const QDateTime& v) {
    value_ = v.isValid() ? QVariant(v) : QVariant();
    dataType_ = ftDateTime;
}
void TParam::setAsDate(const QDate& v) {
    value_ = v.isValid() ? QVariant(v) : QVariant();
    dataType_ = ftDate;
}
bool TParam::AsBoolean() const {
    return !IsNull() && TField::Coerce(value_, ftBoolean, 0).toBool();
}
void TParam::setAsBoolean(bool v) {
    value_ = v;
    dataType_ = ftBoolean;
}
void TParam::setAsBlob(const QByteArray& v) {
    value_ = v;
    dataType_ = ftBlob;
}

TParam* TParams::FindParam(const QString& name) const {
    for (const auto& p : list_)
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0) return p.get();
    return nullptr;
}

TParam* TParams::ParamByName(const QString& name) const {
    if (TParam* p = FindParam(name)) return p;
    throw EDatabaseError(DbError::General, QStringLiteral("Parameter '%1' not found").arg(name));
}

void TParams::Clear() {
    list_.clear();
}

// ---------------------------------------------------------------------------
// Reading a statement: parameters, and the shape of a SELECT.

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Calls `plain` for each character (or name) of plain SQL and `skip` for
// quoted texts and comments, so that scanners never look inside them.
template <typename Plain, typename Skip>
void scanSql(const QString& sql, Plain plain, Skip skip) {
    ScanSqlText(sql, SqlLexis::Standard, [&](qsizetype begin, qsizetype end, bool code) {
        if (!code) {
            skip(int(begin), int(end));
            return;
        }
        for (int i = int(begin); i < int(end);) i = plain(i);
    });
}

struct Token {
    enum Kind { Word, Quoted, Punct, Literal } kind;
    QString text;
    int depth;
    bool is(const char* word) const {
        return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool punct(char c) const {
        return kind == Punct && text.size() == 1 && text.at(0) == QLatin1Char(c);
    }
};

QVector<Token> tokenize(const QString& sql) {
    QVector<Token> out;
    int depth = 0;
    scanSql(
        sql,
        [&](int i) {
            const QChar c = sql.at(i);
            if (c.isSpace()) return i + 1;
            if (isNameChar(c)) {
                int e = i;
                while (e < sql.size() && (isNameChar(sql.at(e)) || sql.at(e) == QLatin1Char('$')))
                    ++e;
                out.append({c.isDigit() ? Token::Literal : Token::Word, sql.mid(i, e - i), depth});
                return e;
            }
            if (c == QLatin1Char(')')) --depth;
            out.append({Token::Punct, QString(c), depth});
            if (c == QLatin1Char('(')) ++depth;
            return i + 1;
        },
        [&](int b, int e) {
            const QChar q = sql.at(b);
            if (q == QLatin1Char('"'))
                out.append({Token::Quoted,
                            sql.mid(b + 1, e - b - 2)
                                .replace(QStringLiteral("\"\""), QStringLiteral("\"")),
                            depth});
            else if (q == QLatin1Char('\''))
                out.append({Token::Literal, sql.mid(b, e - b), depth});
        });
    return out;
}

bool isName(const Token& t) {
    return t.kind == Token::Word || t.kind == Token::Quoted;
}

}  // namespace

SelectShape analyse(const QString& sql) {
    SelectShape s;
    const QVector<Token> t = tokenize(sql);
    if (t.isEmpty() || !t[0].is("SELECT")) return s;
    s.select = true;
    bool simple = true;
    int i = 1;
    if (i < t.size() && t[i].is("DISTINCT")) {
        simple = false;
        ++i;
    } else if (i < t.size() && t[i].is("ALL")) {
        ++i;
    }
    // The select list.
    QVector<Token> item;
    auto closeItem = [&] {
        SelectShape::Item it;
        const int n = int(item.size());
        for (int k = 0; k + 1 < n; ++k) {
            static const char* const aggregates[] = {"COUNT", "SUM", "MIN", "MAX", "AVG"};
            for (const char* a : aggregates)
                if (item[k].is(a) && item[k + 1].punct('(')) simple = false;
        }
        int end = n;
        if (n >= 2 && isName(item[n - 1]) &&
            (item[n - 2].is("AS") || item[n - 2].punct(')') || isName(item[n - 2]))) {
            it.alias = item[n - 1].text;
            end = item[n - 2].is("AS") ? n - 2 : n - 1;
        }
        if (end == 1 && item[0].punct('*')) {
            it.star = true;
        } else if (end == 1 && isName(item[0])) {
            it.plain = true;
            it.column = item[0].text;
        } else if (end == 3 && isName(item[0]) && item[1].punct('.')) {
            it.qualifier = item[0].text;
            if (item[2].punct('*'))
                it.star = true;
            else if (isName(item[2])) {
                it.plain = true;
                it.column = item[2].text;
            }
        }
        s.items.append(it);
        item.clear();
    };
    for (; i < t.size(); ++i) {
        if (t[i].depth == 0 && t[i].is("FROM")) break;
        if (t[i].depth == 0 && t[i].punct(',')) {
            closeItem();
            continue;
        }
        item.append(t[i]);
    }
    if (!item.isEmpty()) closeItem();
    // The FROM list.
    static const char* const clauseEnds[] = {"WHERE",  "GROUP",     "ORDER",  "HAVING",
                                             "UNION",  "INTERSECT", "EXCEPT", "LIMIT",
                                             "OFFSET", "FOR",       "FETCH",  "WINDOW"};
    bool expectTable = true;
    for (++i; i < t.size(); ++i) {
        const Token& k = t[i];
        if (k.depth > 0) continue;
        bool ends = false;
        for (const char* e : clauseEnds) ends = ends || k.is(e);
        if (ends) break;
        if (k.punct(',') || k.is("JOIN")) {
            simple = false;
            expectTable = true;
        } else if (k.punct('(')) {
            simple = false;  // a sub-select or a function
            expectTable = false;
        } else if (isName(k) && expectTable) {
            QString name = k.text;
            while (i + 2 < t.size() && t[i + 1].punct('.') && isName(t[i + 2])) {
                name += QLatin1Char('.') + t[i + 2].text;
                i += 2;
            }
            s.tables.append(name);
            s.aliases.insert(name.section(QLatin1Char('.'), -1).toLower(), name);
            expectTable = false;
            if (i + 1 < t.size() && t[i + 1].is("AS")) ++i;
            if (i + 1 < t.size() && isName(t[i + 1]) && !t[i + 1].is("ON")) {
                bool keyword = false;
                for (const char* e : clauseEnds) keyword = keyword || t[i + 1].is(e);
                static const char* const joins[] = {"JOIN", "INNER", "LEFT",    "RIGHT",
                                                    "FULL", "CROSS", "NATURAL", "OUTER"};
                for (const char* e : joins) keyword = keyword || t[i + 1].is(e);
                if (!keyword) s.aliases.insert(t[++i].text.toLower(), name);
            }
        } else if (k.is("INNER") || k.is("LEFT") || k.is("RIGHT") || k.is("FULL") ||
                   k.is("CROSS") || k.is("NATURAL") || k.is("OUTER")) {
            simple = false;
        }
    }
    for (; i < t.size(); ++i) {
        if (t[i].depth > 0) continue;
        if (t[i].is("GROUP") || t[i].is("HAVING") || t[i].is("UNION") || t[i].is("INTERSECT") ||
            t[i].is("EXCEPT"))
            simple = false;
    }
    s.simple = simple && s.tables.size() == 1;
    return s;
}

QStringList TQuery::ParamNames(const QString& sql, QString* positional, QStringList* occurrences,
                               const std::function<bool(const QString&)>& bind, bool numbered) {
    QStringList names;
    int placed = 0;
    QString out;
    scanSql(
        sql,
        [&](int i) {
            const QChar c = sql.at(i);
            if (c != QLatin1Char(':')) {
                out += c;
                return i + 1;
            }
            if (i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char(':')) {
                out += QStringLiteral("::");  // a PostgreSQL cast
                return i + 2;
            }
            int e = i + 1;
            // Statement variables of saved queries: ":$texto", ":#numero", ":&fecha".
            if (e < sql.size() && (sql.at(e) == QLatin1Char('$') || sql.at(e) == QLatin1Char('#') ||
                                   sql.at(e) == QLatin1Char('&')))
                ++e;
            while (e < sql.size() && isNameChar(sql.at(e))) ++e;
            if (e == i + 1) {
                out += c;
                return i + 1;
            }
            const QString name = sql.mid(i + 1, e - i - 1);
            bool known = false;
            for (const QString& n : names)
                known = known || n.compare(name, Qt::CaseInsensitive) == 0;
            if (!known) names.append(name);
            if (bind && !bind(name)) {
                out += QStringView(sql).mid(i, e - i);
                return e;
            }
            if (occurrences) occurrences->append(name);
            if (numbered)
                out += QLatin1Char('$') + QString::number(++placed);
            else
                out += QLatin1Char('?');
            return e;
        },
        [&](int b, int e) { out += QStringView(sql).mid(b, e - b); });
    if (positional) *positional = out;
    return names;
}

TQuery::TQuery(QObject* parent) : TDBDataSet(parent) {
    sql_.onChange_ = [this] { sqlChanged(); };
}

TQuery::~TQuery() {
    CloseOnDestroy();
}

QString TQuery::text() const {
    return sql_.Lines().join(QLatin1Char('\n'));
}

void TQuery::sqlChanged() {
    Close();
    prepared_ = false;
    // The parameters of the new text, keeping the objects (and values) of
    // those whose names remain.
    std::vector<std::unique_ptr<TParam>> old = std::move(params_.list_);
    params_.list_.clear();
    for (const QString& name : ParamNames(text())) {
        std::unique_ptr<TParam> p;
        for (auto& o : old)
            if (o && o->Name().compare(name, Qt::CaseInsensitive) == 0) p = std::move(o);
        if (!p) p = std::make_unique<TParam>(name);
        params_.list_.push_back(std::move(p));
    }
}

QString TQuery::bindStatement(QVariantList& binds, const TDatabase* db) const {
    const bool sqlite = db->engine() == Engine::Sqlite;
    QString positional;
    QStringList occurrences;
    // A user's statement goes to PostgreSQL as it will be prepared there.
    ParamNames(
        text(), &positional, &occurrences,
        [this](const QString& name) { return params_.FindParam(name) != nullptr; },
        userStatement_ && db->engine() == Engine::Postgres);
    for (const QString& name : occurrences) {
        const TParam* p = params_.FindParam(name);
        if (p->DataType() == ftUnknown && p->IsNull())
            throw EDatabaseError(
                DbError::General,
                QStringLiteral("¡ El parámetro '%1' de la sentencia no tiene valor !").arg(name));
        // Values go as the table cursor stores them (ISO dates, 0/1 booleans
        // on SQLite), so that they compare with stored ones.
        binds << TTableCursor::toStorage(p->Value(), p->DataType(), sqlite);
    }
    return positional;
}

void TQuery::Prepare() {
    if (text().trimmed().isEmpty()) throw EDatabaseError::make(DbError::NoSqlStatement);
    OpenDatabase();
    prepared_ = true;
}

void TQuery::Unprepare() {
    Close();
    prepared_ = false;
}

void TQuery::ExecSQL() {
    CheckInactive();
    if (text().trimmed().isEmpty()) throw EDatabaseError::make(DbError::NoSqlStatement);
    TDatabase* db = OpenDatabase();
    QVariantList binds;
    const QString sql = bindStatement(binds, db);
    TDatabase* run = userStatement_ ? db->UserStatements() : db;
    // Whatever the statement left in its session ends with it (after the
    // query below is gone).
    const auto end = qScopeGuard([run] { run->EndUserStatement(); });
    TUserRun userRun(userStatement_ ? run : nullptr);
    QSqlQuery q = execute(run, sql, binds, false);
    rowsAffected_ = q.numRowsAffected();
}

QSqlQuery TQuery::execute(TDatabase* db, const QString& sql, const QVariantList& binds,
                          bool readOnly) const {
    return userStatement_ ? db->ExecuteUser(sql, binds, readOnly) : db->Execute(sql, binds);
}

void TQuery::InternalClose() {}
