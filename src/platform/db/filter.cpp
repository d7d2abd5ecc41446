#include "db/filter.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <vector>

#include "db/dberror.h"
#include "db/sysutils.h"

// The expression is parsed once into two flat arrays: the conditions and the
// logical nodes that join them. Binding resolves every field to its index and
// converts every literal to the field's type, so that evaluating a row does no
// text work: it fetches the values it needs and compares them.

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

// How a bound literal compares.
enum class Kind {
    Unbound,
    String,    // s
    Prefix,    // s without the final "*", with = or <>
    Empty,     // the literal '' (matches NULL like an empty text)
    Integer,   // i
    Float,     // f
    Boolean,   // b
    DateTime,  // day, msecs
    Time,      // msecs
    Null,      // the keyword NULL
};

enum class Lit { Quoted, Number, True, False, Null };

struct Condition {
    // As parsed
    QString field;
    qsizetype position = 0;  // of the field name in the text, for messages
    Op op = Op::Eq;
    QString text;  // literal as written, quotes removed
    Lit lit = Lit::Quoted;
    // As bound
    int index = -1;
    Kind kind = Kind::Unbound;
    QString s;
    qint64 i = 0;
    double f = 0;
    bool b = false;
    qint64 day = 0;
    int msecs = 0;
};

// A chain of conditions joined by one connector is one node whose operands
// are listed in order, so that a filter of many thousand lines is neither
// parsed nor evaluated by recursion.
struct LogicNode {
    enum Type { And, Or, Not, Leaf } type;
    int a = -1;  // And/Or: first of its operands; Not: the operand; Leaf: the condition
    int b = -1;  // And/Or: number of operands
};

// Parentheses and NOTs nest by recursion: deeper than this is refused, as no
// filter a user writes or saves comes near it.
constexpr int kMaxNesting = 256;

[[noreturn]] void syntaxError(const QString& text, qsizetype pos, const QString& what) {
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype k = 0; k < pos && k < text.size(); ++k) {
        if (text.at(k) == QLatin1Char('\n')) {
            ++line;
            lineStart = k + 1;
        }
    }
    const QString detail = QStringLiteral("Filter syntax error at line %1, column %2: %3 in \"%4\"")
                               .arg(line)
                               .arg(pos - lineStart + 1)
                               .arg(what, text);
    throw EDatabaseError::make(DbError::FilterError, QString(), detail);
}

// Orders texts by code point (as SQLite's BINARY and PostgreSQL's "C"): UTF-16
// order differs only when a surrogate meets a unit at or above U+E000.
int compareCodePoints(const QString& x, const QString& y) {
    const qsizetype n = std::min(x.size(), y.size());
    const QChar* p = x.constData();
    const QChar* q = y.constData();
    for (qsizetype k = 0; k < n; ++k) {
        char16_t u = p[k].unicode(), v = q[k].unicode();
        if (u == v) continue;
        if (u >= 0xD800 && v >= 0xD800) {
            u = u >= 0xE000 ? char16_t(u - 0x800) : char16_t(u + 0x2000);
            v = v >= 0xE000 ? char16_t(v - 0x800) : char16_t(v + 0x2000);
        }
        return u < v ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

template <typename T>
int cmp3(T x, T y) {
    return x < y ? -1 : (y < x ? 1 : 0);
}

// Floats that print the same with 15 significant digits are equal.
int compareDoubles(double x, double y) {
    if (x == y) return 0;
    const double scale = std::max(std::fabs(x), std::fabs(y));
    if (std::fabs(x - y) <= scale * 1e-14) return 0;
    return x < y ? -1 : 1;
}

bool apply(Op op, int c) {
    switch (op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Gt:
            return c > 0;
        case Op::Le:
            return c <= 0;
        case Op::Ge:
            return c >= 0;
    }
    return false;
}

Op flip(Op op) {
    switch (op) {
        case Op::Lt:
            return Op::Gt;
        case Op::Gt:
            return Op::Lt;
        case Op::Le:
            return Op::Ge;
        case Op::Ge:
            return Op::Le;
        default:
            return op;
    }
}

bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') ||
           c == QLatin1Char('#');
}

// --------------------------------------------------------------------------- tokens

struct Token {
    enum Type { End, LParen, RParen, Operator, String, Number, Ident, Field } type = End;
    QString text;  // operator, literal (unquoted), identifier or [field]
    Op op = Op::Eq;
    qsizetype pos = 0;
};

class Lexer {
public:
    explicit Lexer(const QString& t) : text_(t) {}

    Token next() {
        skipBlanks();
        Token tk;
        tk.pos = pos_;
        if (pos_ >= text_.size()) return tk;
        const QChar c = text_.at(pos_);
        switch (c.unicode()) {
            case '(':
                ++pos_;
                tk.type = Token::LParen;
                return tk;
            case ')':
                ++pos_;
                tk.type = Token::RParen;
                return tk;
            case '=':
                ++pos_;
                tk.type = Token::Operator;
                tk.op = Op::Eq;
                return tk;
            case '<':
                ++pos_;
                tk.type = Token::Operator;
                tk.op = Op::Lt;
                if (peek('>')) {
                    ++pos_;
                    tk.op = Op::Ne;
                } else if (peek('=')) {
                    ++pos_;
                    tk.op = Op::Le;
                }
                return tk;
            case '>':
                ++pos_;
                tk.type = Token::Operator;
                tk.op = Op::Gt;
                if (peek('=')) {
                    ++pos_;
                    tk.op = Op::Ge;
                }
                return tk;
            case '!':
                if (pos_ + 1 < text_.size() && text_.at(pos_ + 1) == QLatin1Char('=')) {
                    pos_ += 2;
                    tk.type = Token::Operator;
                    tk.op = Op::Ne;
                    return tk;
                }
                break;
            case '\'':
            case '"': {
                // '' (or "") inside the literal is one quote.
                ++pos_;
                while (true) {
                    if (pos_ >= text_.size())
                        syntaxError(text_, tk.pos, QStringLiteral("unterminated literal"));
                    const QChar d = text_.at(pos_++);
                    if (d == c) {
                        if (pos_ < text_.size() && text_.at(pos_) == c) {
                            tk.text += c;
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    tk.text += d;
                }
                tk.type = Token::String;
                return tk;
            }
            case '[': {
                const qsizetype close = text_.indexOf(QLatin1Char(']'), pos_ + 1);
                if (close < 0) syntaxError(text_, tk.pos, QStringLiteral("missing ']'"));
                tk.text = text_.mid(pos_ + 1, close - pos_ - 1).trimmed();
                if (tk.text.isEmpty())
                    syntaxError(text_, tk.pos, QStringLiteral("empty field name"));
                tk.type = Token::Field;
                pos_ = close + 1;
                return tk;
            }
            default:
                break;
        }
        if (startsNumber()) {
            const qsizetype start = pos_;
            if (c == QLatin1Char('+') || c == QLatin1Char('-')) ++pos_;
            while (pos_ < text_.size() &&
                   (text_.at(pos_).isDigit() || text_.at(pos_) == QLatin1Char('.') ||
                    text_.at(pos_) == QLatin1Char(','))) {
                ++pos_;
            }
            if (pos_ < text_.size() &&
                (text_.at(pos_) == QLatin1Char('e') || text_.at(pos_) == QLatin1Char('E'))) {
                qsizetype p = pos_ + 1;
                if (p < text_.size() &&
                    (text_.at(p) == QLatin1Char('+') || text_.at(p) == QLatin1Char('-')))
                    ++p;
                if (p < text_.size() && text_.at(p).isDigit()) {
                    while (p < text_.size() && text_.at(p).isDigit()) ++p;
                    pos_ = p;
                }
            }
            if (pos_ < text_.size() && isIdentChar(text_.at(pos_)))
                syntaxError(text_, start, QStringLiteral("bad number"));
            tk.type = Token::Number;
            tk.text = text_.mid(start, pos_ - start);
            return tk;
        }
        if (isIdentChar(c)) {
            const qsizetype start = pos_;
            while (pos_ < text_.size() &&
                   (isIdentChar(text_.at(pos_)) || text_.at(pos_) == QLatin1Char('.')))
                ++pos_;
            tk.type = Token::Ident;
            tk.text = text_.mid(start, pos_ - start);
            return tk;
        }
        syntaxError(text_, pos_, QStringLiteral("unexpected character '%1'").arg(c));
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && text_.at(pos_).isSpace()) ++pos_;
    }
    bool peek(char ch) const { return pos_ < text_.size() && text_.at(pos_) == QLatin1Char(ch); }
    bool startsNumber() const {
        auto digitAt = [&](qsizetype p) { return p < text_.size() && text_.at(p).isDigit(); };
        const QChar c = text_.at(pos_);
        if (c.isDigit()) return true;
        if (c == QLatin1Char('+') || c == QLatin1Char('-'))
            return digitAt(pos_ + 1) || (pos_ + 2 < text_.size() &&
                                         (text_.at(pos_ + 1) == QLatin1Char('.') ||
                                          text_.at(pos_ + 1) == QLatin1Char(',')) &&
                                         digitAt(pos_ + 2));
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) return digitAt(pos_ + 1);
        return false;
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

bool isKeyword(const Token& t, const char* word) {
    return t.type == Token::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

}  // namespace

// --------------------------------------------------------------------------- tree

struct FilterExpression::Node {
    std::vector<Condition> conditions;
    std::vector<LogicNode> nodes;
    std::vector<int> operands;
    int root = -1;
    bool bound = false;

    bool eval(int n, const std::function<QVariant(int)>& valueOf) const {
        const LogicNode& node = nodes[size_t(n)];
        switch (node.type) {
            case LogicNode::And:
            case LogicNode::Or: {
                // Left to right, stopping at the first operand that decides.
                const bool isAnd = node.type == LogicNode::And;
                for (int k = node.a; k < node.a + node.b; ++k)
                    if (eval(operands[size_t(k)], valueOf) != isAnd) return !isAnd;
                return isAnd;
            }
            case LogicNode::Not:
                return !eval(node.a, valueOf);
            case LogicNode::Leaf:
                return test(conditions[size_t(node.a)], valueOf(conditions[size_t(node.a)].index));
        }
        return false;
    }

    static bool test(const Condition& c, const QVariant& v);
};

namespace {

// Text of a value that is not already a QString (a fallback; datasets give
// typed values).
bool valueAsInteger(const QVariant& v, qint64& out, double& asDouble, bool& isDouble) {
    isDouble = false;
    switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            out = v.toLongLong();
            return true;
        case QMetaType::ULongLong: {
            const qulonglong u = v.toULongLong();
            if (u > qulonglong(std::numeric_limits<qint64>::max())) {
                isDouble = true;
                asDouble = double(u);
            } else {
                out = qint64(u);
            }
            return true;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            isDouble = true;
            asDouble = v.toDouble();
            return true;
        case QMetaType::Bool:
            out = v.toBool() ? 1 : 0;
            return true;
        default: {
            const QString s = v.toString();
            if (TryStrToInt64(s, out)) return true;
            if (TryStrToFloat(s, asDouble)) {
                isDouble = true;
                return true;
            }
            return false;
        }
    }
}

bool valueAsDouble(const QVariant& v, double& out) {
    switch (v.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            out = v.toDouble();
            return true;
        case QMetaType::Bool:
            out = v.toBool() ? 1 : 0;
            return true;
        default:
            return TryStrToFloat(v.toString(), out);
    }
}

bool textAsBoolean(const QString& raw, bool& out) {
    const QString t = raw.trimmed();
    for (const char* w : {"True", "SI", "S\u00CD", "1", "T", "S", "Yes", "Y"}) {
        if (t.compare(QString::fromUtf8(w), Qt::CaseInsensitive) == 0) {
            out = true;
            return true;
        }
    }
    for (const char* w : {"False", "NO", "0", "F", "N"}) {
        if (t.compare(QLatin1String(w), Qt::CaseInsensitive) == 0) {
            out = false;
            return true;
        }
    }
    return false;
}

bool valueAsBoolean(const QVariant& v, bool& out) {
    switch (v.metaType().id()) {
        case QMetaType::Bool:
            out = v.toBool();
            return true;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Double:
            out = v.toDouble() != 0;
            return true;
        default:
            return textAsBoolean(v.toString(), out);
    }
}

// Day number and milliseconds of a date, date-time or time value.
bool valueAsDateTime(const QVariant& v, qint64& day, int& msecs) {
    switch (v.metaType().id()) {
        case QMetaType::QDate: {
            const QDate d = v.toDate();
            if (!d.isValid()) return false;
            day = d.toJulianDay();
            msecs = 0;
            return true;
        }
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid()) return false;
            day = dt.date().toJulianDay();
            msecs = dt.time().msecsSinceStartOfDay();
            return true;
        }
        case QMetaType::QTime: {
            const QTime t = v.toTime();
            if (!t.isValid()) return false;
            day = ZeroDate().toJulianDay();
            msecs = t.msecsSinceStartOfDay();
            return true;
        }
        case QMetaType::Double: {
            const QDateTime dt = DoubleToDateTime(v.toDouble());
            day = dt.date().toJulianDay();
            msecs = dt.time().msecsSinceStartOfDay();
            return dt.isValid();
        }
        default: {
            const QString s = v.toString();
            QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
            if (!dt.isValid()) {
                const QDate d = QDate::fromString(s, Qt::ISODate);
                if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
            }
            if (!dt.isValid() && !TryStrToDateTime(s, dt)) return false;
            day = dt.date().toJulianDay();
            msecs = dt.time().msecsSinceStartOfDay();
            return true;
        }
    }
}

bool valueAsTime(const QVariant& v, int& msecs) {
    if (v.metaType().id() == QMetaType::QTime) {
        const QTime t = v.toTime();
        msecs = t.msecsSinceStartOfDay();
        return t.isValid();
    }
    qint64 day;
    return valueAsDateTime(v, day, msecs);
}

}  // namespace

bool FilterExpression::Node::test(const Condition& c, const QVariant& v) {
    const bool null = v.isNull() || !v.isValid();
    switch (c.kind) {
        case Kind::Null:
            return null == (c.op == Op::Eq || c.op == Op::Le || c.op == Op::Ge);
        case Kind::Empty: {
            // '' matches NULL as it matches an empty text.
            if (null) return apply(c.op, 0);
            if (v.metaType().id() == QMetaType::QString)
                return apply(c.op, v.toString().isEmpty() ? 0 : 1);
            return c.op == Op::Ne;  // a non-string value is never empty
        }
        default:
            break;
    }
    if (null) return c.op == Op::Ne;
    switch (c.kind) {
        case Kind::String: {
            if (v.metaType().id() == QMetaType::QString)
                return apply(c.op,
                             compareCodePoints(*static_cast<const QString*>(v.constData()), c.s));
            return apply(c.op, compareCodePoints(v.toString(), c.s));
        }
        case Kind::Prefix: {
            const bool starts = v.metaType().id() == QMetaType::QString
                                    ? static_cast<const QString*>(v.constData())->startsWith(c.s)
                                    : v.toString().startsWith(c.s);
            return c.op == Op::Eq ? starts : !starts;
        }
        case Kind::Integer: {
            qint64 i;
            double d;
            bool isDouble;
            if (!valueAsInteger(v, i, d, isDouble)) return c.op == Op::Ne;
            return apply(c.op, isDouble ? compareDoubles(d, double(c.i)) : cmp3(i, c.i));
        }
        case Kind::Float: {
            double d;
            if (!valueAsDouble(v, d)) return c.op == Op::Ne;
            return apply(c.op, compareDoubles(d, c.f));
        }
        case Kind::Boolean: {
            bool b;
            if (!valueAsBoolean(v, b)) return c.op == Op::Ne;
            return apply(c.op, cmp3(int(b), int(c.b)));
        }
        case Kind::DateTime: {
            qint64 day;
            int ms;
            if (!valueAsDateTime(v, day, ms)) return c.op == Op::Ne;
            const int r = cmp3(day, c.day);
            return apply(c.op, r != 0 ? r : cmp3(ms, c.msecs));
        }
        case Kind::Time: {
            int ms;
            if (!valueAsTime(v, ms)) return c.op == Op::Ne;
            return apply(c.op, cmp3(ms, c.msecs));
        }
        default:
            break;
    }
    throw EDatabaseError::make(DbError::FilterError, QString(),
                               QStringLiteral("Filter evaluated before it was bound"));
}

// --------------------------------------------------------------------------- parser

namespace {

class Parser {
public:
    Parser(const QString& text, std::vector<Condition>& conds, std::vector<LogicNode>& nodes,
           std::vector<int>& operands)
        : text_(text), lexer_(text), conds_(conds), nodes_(nodes), operands_(operands) {
        advance();
    }

    int parseAll() {
        const int root = parseOr();
        if (cur_.type != Token::End) {
            if (cur_.type == Token::RParen)
                syntaxError(text_, cur_.pos, QStringLiteral("')' without '('"));
            syntaxError(text_, cur_.pos, QStringLiteral("AND or OR expected"));
        }
        return root;
    }

private:
    void advance() { cur_ = lexer_.next(); }

    // A connector with nothing after it (a last line ending in " AND", also
    // when the whole text was then put in parentheses) is absent.
    bool connector(const char* word) {
        if (!isKeyword(cur_, word)) return false;
        Lexer probe = lexer_;
        const Token::Type after = probe.next().type;
        if (after == Token::End || after == Token::RParen) {
            advance();
            return false;
        }
        advance();
        return true;
    }

    int add(LogicNode::Type t, int a, int b) {
        nodes_.push_back({t, a, b});
        return int(nodes_.size() - 1);
    }

    // The operands of one connector, parsed by `operand`, as one node.
    template <typename Operand>
    int chain(LogicNode::Type t, const char* word, Operand operand) {
        std::vector<int> items{operand()};
        while (connector(word)) items.push_back(operand());
        if (items.size() == 1) return items.front();
        const int first = int(operands_.size());
        operands_.insert(operands_.end(), items.begin(), items.end());
        return add(t, first, int(items.size()));
    }

    int parseOr() {
        return chain(LogicNode::Or, "OR", [this] { return parseAnd(); });
    }

    int parseAnd() {
        return chain(LogicNode::And, "AND", [this] { return parseNot(); });
    }

    void nest() {
        if (++depth_ > kMaxNesting)
            syntaxError(text_, cur_.pos, QStringLiteral("parentheses or NOT nested too deep"));
    }

    int parseNot() {
        if (isKeyword(cur_, "NOT")) {
            nest();
            advance();
            const int inner = parseNot();
            --depth_;
            return add(LogicNode::Not, inner, -1);
        }
        return parsePrimary();
    }

    int parsePrimary() {
        if (cur_.type == Token::LParen) {
            nest();
            const qsizetype open = cur_.pos;
            advance();
            if (cur_.type == Token::RParen)
                syntaxError(text_, cur_.pos, QStringLiteral("empty parentheses"));
            const int inner = parseOr();
            if (cur_.type != Token::RParen) {
                if (cur_.type == Token::End)
                    syntaxError(text_, open, QStringLiteral("'(' without ')'"));
                syntaxError(text_, cur_.pos, QStringLiteral("')' expected"));
            }
            advance();
            --depth_;
            return inner;
        }
        return parseCondition();
    }

    enum class Side { Field, Literal };
    struct Operand {
        Side side;
        Token token;
        Lit lit = Lit::Quoted;
    };

    Operand parseOperand(const char* where) {
        Operand o{Side::Literal, cur_};
        switch (cur_.type) {
            case Token::String:
                o.lit = Lit::Quoted;
                break;
            case Token::Number:
                o.lit = Lit::Number;
                break;
            case Token::Field:
                o.side = Side::Field;
                break;
            case Token::Ident:
                if (isKeyword(cur_, "NULL"))
                    o.lit = Lit::Null;
                else if (isKeyword(cur_, "TRUE"))
                    o.lit = Lit::True;
                else if (isKeyword(cur_, "FALSE"))
                    o.lit = Lit::False;
                else if (isKeyword(cur_, "AND") || isKeyword(cur_, "OR") || isKeyword(cur_, "NOT"))
                    syntaxError(text_, cur_.pos,
                                QStringLiteral("%1 where %2 was expected")
                                    .arg(cur_.text.toUpper(), QLatin1String(where)));
                else
                    o.side = Side::Field;
                break;
            case Token::End:
                syntaxError(text_, cur_.pos,
                            QStringLiteral("%1 expected at the end").arg(QLatin1String(where)));
            default:
                syntaxError(text_, cur_.pos,
                            QStringLiteral("%1 expected").arg(QLatin1String(where)));
        }
        advance();
        return o;
    }

    int parseCondition() {
        Operand left = parseOperand("a field name");
        if (cur_.type != Token::Operator)
            syntaxError(text_, cur_.pos,
                        QStringLiteral("comparison operator (=, <>, <, >, <=, >=) expected"));
        Op op = cur_.op;
        advance();
        Operand right = parseOperand("a value");
        // A keyword literal written first ("NULL = Campo") is still a literal;
        // a bare word on the right is a value only when it is a keyword.
        if (left.side == Side::Field && right.side == Side::Field)
            syntaxError(
                text_, right.token.pos,
                QStringLiteral("a value in quotes expected instead of '%1'").arg(right.token.text));
        if (left.side == Side::Literal && right.side == Side::Literal)
            syntaxError(text_, left.token.pos, QStringLiteral("a field name expected"));
        if (left.side == Side::Literal) {
            std::swap(left, right);
            op = flip(op);
        }
        Condition c;
        c.field = left.token.text;
        c.position = left.token.pos;
        c.op = op;
        c.text = right.token.text;
        c.lit = right.lit;
        conds_.push_back(std::move(c));
        nodes_.push_back({LogicNode::Leaf, int(conds_.size() - 1), -1});
        return int(nodes_.size() - 1);
    }

    const QString& text_;
    Lexer lexer_;
    Token cur_;
    std::vector<Condition>& conds_;
    std::vector<LogicNode>& nodes_;
    std::vector<int>& operands_;
    int depth_ = 0;
};

[[noreturn]] void literalError(const Condition& c, TFieldType type) {
    throw EDatabaseError::make(DbError::FilterError, QString(),
                               QStringLiteral("'%1' is not a valid value for field %2 (%3)")
                                   .arg(c.text, c.field, FieldTypeName(type)));
}

void bindLiteral(Condition& c, TFieldType type) {
    if (c.lit == Lit::Null) {
        if (c.op != Op::Eq && c.op != Op::Ne)
            throw EDatabaseError::make(
                DbError::FilterError, QString(),
                QStringLiteral("NULL compared with an ordering operator on field %1").arg(c.field));
        c.kind = Kind::Null;
        return;
    }
    if (c.lit == Lit::True || c.lit == Lit::False) {
        if (type != ftBoolean && !IsIntegerType(type) && !IsStringType(type) && type != ftUnknown)
            literalError(c, type);
    }
    if (c.lit == Lit::Quoted && c.text.isEmpty()) {
        c.kind = Kind::Empty;
        return;
    }
    if (IsStringType(type) || type == ftUnknown) {
        if (c.text.endsWith(QLatin1Char('*')) && (c.op == Op::Eq || c.op == Op::Ne)) {
            c.kind = Kind::Prefix;
            c.s = c.text.left(c.text.size() - 1);
        } else {
            c.kind = Kind::String;
            c.s = c.text;
        }
        return;
    }
    if (type == ftBoolean || c.lit == Lit::True || c.lit == Lit::False) {
        bool b = c.lit == Lit::True;
        if (c.lit == Lit::Quoted || c.lit == Lit::Number) {
            if (!textAsBoolean(c.text, b)) literalError(c, type);
        }
        if (type == ftBoolean) {
            c.kind = Kind::Boolean;
            c.b = b;
        } else {
            c.kind = Kind::Integer;
            c.i = b ? 1 : 0;
        }
        return;
    }
    if (IsIntegerType(type)) {
        if (TryStrToInt64(c.text, c.i)) {
            c.kind = Kind::Integer;
        } else if (TryStrToFloat(c.text, c.f)) {
            c.kind = Kind::Float;
        } else {
            literalError(c, type);
        }
        return;
    }
    if (IsFloatType(type)) {
        if (!TryStrToFloat(c.text, c.f)) literalError(c, type);
        c.kind = Kind::Float;
        return;
    }
    if (type == ftTime) {
        QTime t;
        QDateTime dt;
        if (TryStrToTime(c.text, t)) {
            c.msecs = t.msecsSinceStartOfDay();
        } else if (TryStrToDateTime(c.text, dt)) {
            c.msecs = dt.time().msecsSinceStartOfDay();
        } else {
            literalError(c, type);
        }
        c.kind = Kind::Time;
        return;
    }
    if (IsDateTimeType(type)) {
        QDateTime dt;
        if (!TryStrToDateTime(c.text, dt)) literalError(c, type);
        c.kind = Kind::DateTime;
        c.day = dt.date().toJulianDay();
        c.msecs = dt.time().msecsSinceStartOfDay();
        return;
    }
    throw EDatabaseError::make(
        DbError::FilterError, QString(),
        QStringLiteral("Field %1 (%2) cannot be filtered").arg(c.field, FieldTypeName(type)));
}

}  // namespace

// --------------------------------------------------------------------------- public

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(const QString& text) {
    FilterExpression e;
    bool blank = true;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            blank = false;
            break;
        }
    }
    if (blank) return e;
    auto node = std::make_unique<Node>();
    Parser parser(text, node->conditions, node->nodes, node->operands);
    node->root = parser.parseAll();
    e.root_ = std::move(node);
    return e;
}

bool FilterExpression::isEmpty() const {
    return !root_;
}

QStringList FilterExpression::fields() const {
    QStringList names;
    if (root_)
        for (const Condition& c : root_->conditions) names << c.field;
    return names;
}

void FilterExpression::bind(const std::function<int(const QString& name)>& indexOf,
                            const std::function<TFieldType(int index)>& typeOf) {
    if (!root_) return;
    for (Condition& c : root_->conditions) {
        int index = indexOf(c.field);
        if (index < 0) index = indexOf(c.field.toUpper());
        if (index < 0) index = indexOf(c.field.toLower());
        if (index < 0) throw EDatabaseError::make(DbError::FieldNotFound, c.field);
        c.index = index;
        bindLiteral(c, typeOf(index));
    }
    root_->bound = true;
}

bool FilterExpression::evaluate(const std::function<QVariant(int index)>& valueOf) const {
    if (!root_) return true;
    if (!root_->bound)
        throw EDatabaseError::make(DbError::FilterError, QString(),
                                   QStringLiteral("Filter evaluated before it was bound"));
    return root_->eval(root_->root, valueOf);
}
