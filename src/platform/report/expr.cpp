#include "report/expr.h"

#include <QDateTime>

#include "db/sysutils.h"

EReportError::EReportError(const QString& message)
    : message_(message), utf8_(message.toStdString()) {}

namespace {

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

bool isDate(const QVariant& v) {
    const int t = v.typeId();
    return t == QMetaType::QDate || t == QMetaType::QDateTime;
}

bool isNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

QDateTime asDateTime(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate) return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

double asNumber(const QVariant& v) {
    if (isNull(v)) return 0;
    if (isNumber(v)) return v.toDouble();
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1 : 0;
    if (isDate(v)) return DateTimeToDouble(asDateTime(v));
    double d = 0;
    return TryStrToFloat(v.toString(), d) ? d : 0;
}

bool asBool(const QVariant& v) {
    if (isNull(v)) return false;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    if (isNumber(v)) return v.toDouble() != 0;
    return !v.toString().isEmpty();
}

QString asText(const QVariant& v) {
    return TQREvaluator::FormatValue(v);
}

// <0, 0, >0. NULL sorts before any value; numbers compare as numbers,
// dates as dates, anything else as texts by code point.
int compareValues(const QVariant& a, const QVariant& b) {
    const bool na = isNull(a), nb = isNull(b);
    if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isDate(a) && isDate(b)) {
        const QDateTime x = asDateTime(a), y = asDateTime(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::Bool && b.typeId() == QMetaType::Bool)
        return int(a.toBool()) - int(b.toBool());
    return asText(a).compare(asText(b));
}

}  // namespace

struct TQREvaluator::Node {
    enum Kind {
        Const,
        Name,
        Neg,
        Not,
        Add,
        Sub,
        Mul,
        Div,
        Eq,
        Ne,
        Lt,
        Le,
        Gt,
        Ge,
        And,
        Or,
        Str,
        Sum,
        Count,
        Min,
        Max,
        Average
    };
    Kind kind = Const;
    QVariant constant;
    TQRValueGetter getter;
    std::unique_ptr<Node> a, b;
    // Running state of an aggregate.
    double sum = 0;
    qint64 count = 0;
    QVariant extreme;

    bool isAggregate() const { return kind >= Sum; }

    QVariant eval() const {
        switch (kind) {
            case Const:
                return constant;
            case Name:
                return getter();
            case Neg:
                return -asNumber(a->eval());
            case Not:
                return !asBool(a->eval());
            case Add: {
                const QVariant x = a->eval(), y = b->eval();
                const bool textual = (!isNull(x) && !isNumber(x) && !isDate(x)) ||
                                     (!isNull(y) && !isNumber(y) && !isDate(y));
                if (textual) return QString(asText(x) + asText(y));
                return asNumber(x) + asNumber(y);
            }
            case Sub:
                return asNumber(a->eval()) - asNumber(b->eval());
            case Mul:
                return asNumber(a->eval()) * asNumber(b->eval());
            case Div: {
                const double d = asNumber(b->eval());
                return d == 0 ? 0.0 : asNumber(a->eval()) / d;  // guarded: a total of 0 rows
            }
            case Eq:
                return compareValues(a->eval(), b->eval()) == 0;
            case Ne:
                return compareValues(a->eval(), b->eval()) != 0;
            case Lt:
                return compareValues(a->eval(), b->eval()) < 0;
            case Le:
                return compareValues(a->eval(), b->eval()) <= 0;
            case Gt:
                return compareValues(a->eval(), b->eval()) > 0;
            case Ge:
                return compareValues(a->eval(), b->eval()) >= 0;
            case And:
                return asBool(a->eval()) && asBool(b->eval());
            case Or:
                return asBool(a->eval()) || asBool(b->eval());
            case Str:
                return asText(a->eval());
            case Sum:
                return sum;
            case Count:
                return count;
            case Min:
            case Max:
                return extreme;
            case Average:
                return count == 0 ? 0.0 : sum / double(count);
        }
        return QVariant();
    }

    void accumulate() {
        if (kind == Count && !a) {
            ++count;
            return;
        }
        const QVariant v = a->eval();
        if (isNull(v)) return;  // NULLs neither add nor count
        ++count;
        if (kind == Sum || kind == Average) sum += asNumber(v);
        if (kind == Min && (isNull(extreme) || compareValues(v, extreme) < 0)) extreme = v;
        if (kind == Max && (isNull(extreme) || compareValues(v, extreme) > 0)) extreme = v;
    }

    void reset() {
        sum = 0;
        count = 0;
        extreme = QVariant();
    }
};

namespace {

using Node = TQREvaluator::Node;
using NodePtr = std::unique_ptr<Node>;

struct Token {
    enum Type { End, Number, Text, Ident, Op, LParen, RParen, Comma } type = End;
    QString text;
    double number = 0;
    int pos = 0;
};

class Parser {
public:
    Parser(const QString& source, const TQRNameResolver& resolver, std::vector<Node*>& aggregates,
           bool quotedNames)
        : src_(source), resolver_(resolver), aggregates_(aggregates), quotedNames_(quotedNames) {
        advance();
    }

    NodePtr parse() {
        NodePtr n = parseOr();
        if (tok_.type != Token::End) fail(QStringLiteral("sobra «%1»").arg(tok_.text));
        return n;
    }

private:
    [[noreturn]] void fail(const QString& why) const {
        throw EReportError(
            QStringLiteral("La expresión «%1» del informe no es válida: %2").arg(src_, why));
    }

    static NodePtr make(Node::Kind kind, NodePtr a = nullptr, NodePtr b = nullptr) {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    bool isKeyword(const char* word) const {
        return tok_.type == Token::Ident &&
               tok_.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isOp(const char* op) const {
        return tok_.type == Token::Op && tok_.text == QLatin1String(op);
    }

    void advance() {
        const int n = int(src_.size());
        while (pos_ < n && src_[pos_].isSpace()) ++pos_;
        tok_ = Token();
        tok_.pos = pos_;
        if (pos_ >= n) return;
        const QChar c = src_[pos_];
        if (c.isDigit() || (c == u'.' && pos_ + 1 < n && src_[pos_ + 1].isDigit())) {
            int end = pos_;
            while (end < n && (src_[end].isDigit() || src_[end] == u'.')) ++end;
            tok_.type = Token::Number;
            tok_.text = src_.mid(pos_, end - pos_);
            bool ok = false;
            tok_.number = tok_.text.toDouble(&ok);
            if (!ok) fail(QStringLiteral("número incorrecto «%1»").arg(tok_.text));
            pos_ = end;
            return;
        }
        if (c == u'\'' || c == u'"') {
            // A quote inside is written twice.
            QString text;
            int i = pos_ + 1;
            for (;;) {
                if (i >= n) fail(QStringLiteral("falta cerrar un texto"));
                if (src_[i] == c) {
                    if (i + 1 < n && src_[i + 1] == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += src_[i++];
            }
            tok_.type = Token::Text;
            tok_.text = text;
            pos_ = i + 1;
            return;
        }
        if (c.isLetter() || c == u'_') {
            int end = pos_;
            while (end < n &&
                   (src_[end].isLetterOrNumber() || src_[end] == u'_' || src_[end] == u'.'))
                ++end;
            tok_.type = Token::Ident;
            tok_.text = src_.mid(pos_, end - pos_);
            pos_ = end;
            return;
        }
        pos_++;
        tok_.text = QString(c);
        switch (c.unicode()) {
            case '(':
                tok_.type = Token::LParen;
                return;
            case ')':
                tok_.type = Token::RParen;
                return;
            case ',':
                tok_.type = Token::Comma;
                return;
            case '+':
            case '-':
            case '*':
            case '/':
            case '=':
                tok_.type = Token::Op;
                return;
            case '<':
            case '>':
                tok_.type = Token::Op;
                if (pos_ < n && (src_[pos_] == u'=' || (c == u'<' && src_[pos_] == u'>')))
                    tok_.text += src_[pos_++];
                return;
            default:
                fail(QStringLiteral("carácter inesperado «%1»").arg(c));
        }
    }

    NodePtr parseOr() {
        NodePtr n = parseAnd();
        while (isKeyword("OR")) {
            advance();
            n = make(Node::Or, std::move(n), parseAnd());
        }
        return n;
    }

    NodePtr parseAnd() {
        NodePtr n = parseNot();
        while (isKeyword("AND")) {
            advance();
            n = make(Node::And, std::move(n), parseNot());
        }
        return n;
    }

    NodePtr parseNot() {
        if (isKeyword("NOT")) {
            advance();
            return make(Node::Not, parseNot());
        }
        return parseComparison();
    }

    NodePtr parseComparison() {
        NodePtr n = parseAdditive();
        static const struct {
            const char* op;
            Node::Kind kind;
        } kOps[] = {{"=", Node::Eq},  {"<>", Node::Ne}, {"<", Node::Lt},
                    {"<=", Node::Le}, {">", Node::Gt},  {">=", Node::Ge}};
        for (const auto& o : kOps) {
            if (isOp(o.op)) {
                advance();
                return make(o.kind, std::move(n), parseAdditive());
            }
        }
        return n;
    }

    NodePtr parseAdditive() {
        NodePtr n = parseTerm();
        while (isOp("+") || isOp("-")) {
            const Node::Kind k = isOp("+") ? Node::Add : Node::Sub;
            advance();
            n = make(k, std::move(n), parseTerm());
        }
        return n;
    }

    NodePtr parseTerm() {
        NodePtr n = parseUnary();
        while (isOp("*") || isOp("/")) {
            const Node::Kind k = isOp("*") ? Node::Mul : Node::Div;
            advance();
            n = make(k, std::move(n), parseUnary());
        }
        return n;
    }

    NodePtr parseUnary() {
        if (isOp("-")) {
            advance();
            return make(Node::Neg, parseUnary());
        }
        if (isOp("+")) {
            advance();
            return parseUnary();
        }
        return parsePrimary();
    }

    NodePtr parsePrimary() {
        switch (tok_.type) {
            case Token::Number: {
                NodePtr n = make(Node::Const);
                n->constant = tok_.number;
                advance();
                return n;
            }
            case Token::Text: {
                if (quotedNames_) {
                    if (TQRValueGetter getter = resolve(tok_.text)) {
                        NodePtr n = make(Node::Name);
                        n->getter = std::move(getter);
                        advance();
                        return n;
                    }
                }
                NodePtr n = make(Node::Const);
                n->constant = tok_.text;
                advance();
                return n;
            }
            case Token::LParen: {
                advance();
                NodePtr n = parseOr();
                if (tok_.type != Token::RParen) fail(QStringLiteral("falta «)»"));
                advance();
                return n;
            }
            case Token::Ident:
                return parseName();
            case Token::End:
                fail(QStringLiteral("falta un operando"));
            default:
                fail(QStringLiteral("sobra «%1»").arg(tok_.text));
        }
    }

    NodePtr parseName() {
        const QString name = tok_.text;
        const int nameStart = tok_.pos;
        advance();
        if (name.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
            NodePtr n = make(Node::Const);
            n->constant = name.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
            return n;
        }
        if (tok_.type == Token::LParen) return parseCall(name);
        if (name.compare(QLatin1String("COUNT"), Qt::CaseInsensitive) == 0)
            return aggregate(make(Node::Count));
        TQRValueGetter getter = resolve(name);
        if (!getter) getter = resolveWithBlanks(nameStart);
        if (!getter) fail(QStringLiteral("no existe el campo «%1»").arg(name));
        NodePtr n = make(Node::Name);
        n->getter = std::move(getter);
        return n;
    }

    TQRValueGetter resolve(const QString& name) const {
        return resolver_ ? resolver_(name) : TQRValueGetter();
    }

    // Field names may hold blanks ("Total Horas", a query's column title): the
    // words after an unknown name, as written, make the longest name the data
    // know. Nothing is taken when none does.
    TQRValueGetter resolveWithBlanks(int nameStart) {
        const Token afterName = tok_;
        const int posAfterName = pos_;
        TQRValueGetter found;
        Token afterFound;
        int posAfterFound = -1;
        try {
            while (tok_.type == Token::Ident && !isKeyword("AND") && !isKeyword("OR") &&
                   !isKeyword("NOT")) {
                const QString longer = src_.mid(nameStart, pos_ - nameStart);
                advance();
                if (TQRValueGetter g = resolve(longer)) {
                    found = std::move(g);
                    afterFound = tok_;
                    posAfterFound = pos_;
                }
            }
        } catch (const EReportError&) {  // what follows is judged when it is parsed
        }
        if (found) {
            tok_ = afterFound;
            pos_ = posAfterFound;
        } else {
            tok_ = afterName;
            pos_ = posAfterName;
        }
        return found;
    }

    NodePtr aggregate(NodePtr n) {
        aggregates_.push_back(n.get());
        return n;
    }

    NodePtr parseCall(const QString& name) {
        static const struct {
            const char* name;
            Node::Kind kind;
        } kFunctions[] = {{"STR", Node::Str},    {"SUM", Node::Sum}, {"COUNT", Node::Count},
                          {"MIN", Node::Min},    {"MAX", Node::Max}, {"AVERAGE", Node::Average},
                          {"AVG", Node::Average}};
        const Node::Kind* kind = nullptr;
        for (const auto& f : kFunctions)
            if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) kind = &f.kind;
        if (!kind) fail(QStringLiteral("no existe la función «%1»").arg(name));
        advance();  // (
        NodePtr arg;
        if (tok_.type == Token::RParen) {
            if (*kind != Node::Count) fail(QStringLiteral("falta el argumento de «%1»").arg(name));
        } else {
            arg = parseOr();
        }
        if (tok_.type != Token::RParen) fail(QStringLiteral("falta «)»"));
        advance();
        NodePtr n = make(*kind, std::move(arg));
        if (n->isAggregate()) {
            if (n->a && containsAggregate(*n->a))
                fail(QStringLiteral("un total dentro de otro total"));
            return aggregate(std::move(n));
        }
        return n;
    }

    static bool containsAggregate(const Node& n) {
        if (n.isAggregate()) return true;
        return (n.a && containsAggregate(*n.a)) || (n.b && containsAggregate(*n.b));
    }

    QString src_;
    const TQRNameResolver& resolver_;
    std::vector<Node*>& aggregates_;
    bool quotedNames_;
    int pos_ = 0;
    Token tok_;
};

void collectSumOperands(const Node* n, std::vector<const Node*>& out) {
    if (n->kind == Node::Add) {
        collectSumOperands(n->a.get(), out);
        collectSumOperands(n->b.get(), out);
    } else {
        out.push_back(n);
    }
}

}  // namespace

TQREvaluator::TQREvaluator() = default;
TQREvaluator::~TQREvaluator() = default;

void TQREvaluator::Prepare(const QString& expression, const TQRNameResolver& resolver,
                           int options) {
    root_.reset();
    aggregates_.clear();
    expression_ = expression;
    std::vector<Node*> aggregates;
    if (expression.trimmed().isEmpty()) {
        root_ = std::make_unique<Node>();  // the empty expression: NULL
        return;
    }
    Parser parser(expression, resolver, aggregates, options & QuotedFieldNames);
    root_ = parser.parse();
    aggregates_ = std::move(aggregates);
}

QVariant TQREvaluator::Value() const {
    return root_ ? root_->eval() : QVariant();
}

void TQREvaluator::UpdateAggregates() {
    for (Node* n : aggregates_) n->accumulate();
}

void TQREvaluator::ResetAggregates() {
    for (Node* n : aggregates_) n->reset();
}

QVariantList TQREvaluator::GroupKey() const {
    QVariantList key;
    if (!root_) return key;
    std::vector<const Node*> operands;
    collectSumOperands(root_.get(), operands);
    for (const Node* n : operands) key.append(n->eval());
    return key;
}

QString TQREvaluator::FormatValue(const QVariant& v, const QString& mask) {
    if (isNull(v)) return QString();
    if (isNumber(v)) {
        const double d = v.toDouble();
        return mask.isEmpty() ? FloatToStr(d) : FormatFloat(mask, d);
    }
    switch (v.typeId()) {
        case QMetaType::Bool:
            return BoolToStr(v.toBool());
        case QMetaType::QDate:
            return mask.isEmpty() ? DateToStr(v.toDate())
                                  : FormatDateTime(mask, QDateTime(v.toDate(), QTime(0, 0)));
        case QMetaType::QDateTime:
            return mask.isEmpty() ? DateTimeToStr(v.toDateTime())
                                  : FormatDateTime(mask, v.toDateTime());
        case QMetaType::QTime:
            return mask.isEmpty() ? TimeToStr(v.toTime())
                                  : FormatDateTime(mask, QDateTime(ZeroDate(), v.toTime()));
        default:
            return v.toString();
    }
}
