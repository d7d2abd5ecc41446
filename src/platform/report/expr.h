#pragma once
// The expressions of report controls and groups: field names (optionally
// qualified by their dataset's name, "Temporal.CodigoOperario"), numbers,
// texts in quotes, TRUE/FALSE, + - * /, comparisons, AND/OR/NOT, brackets,
// STR(x) and the running aggregates SUM, COUNT, MIN, MAX and AVERAGE.
//
// An expression is parsed once (Prepare), its names bound to value getters by
// the caller's resolver; evaluating it does no text work. Aggregates
// accumulate each time their report (or sub-detail) reaches a record
// (UpdateAggregates) until ResetAggregates.

#include <QString>
#include <QVariant>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A report that cannot run: a bad expression, an unknown name.
class EReportError : public std::exception {
public:
    explicit EReportError(const QString& message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// Gives the getter of a name's current value, or an empty function when the
// name is unknown.
using TQRValueGetter = std::function<QVariant()>;
using TQRNameResolver = std::function<TQRValueGetter(const QString& name)>;

class TQREvaluator {
public:
    TQREvaluator();
    ~TQREvaluator();
    TQREvaluator(const TQREvaluator&) = delete;
    TQREvaluator& operator=(const TQREvaluator&) = delete;

    // QuotedFieldNames: a quoted text that names a field of the data stands
    // for that field (group expressions list names as 'Total Horas').
    enum Option { QuotedFieldNames = 1 };
    // Parses and binds; raises EReportError on bad syntax, an unknown name
    // or an unknown function, leaving the evaluator unprepared. A name may
    // hold blanks when the data have a field of that name ("Total Horas").
    void Prepare(const QString& expression, const TQRNameResolver& resolver, int options = 0);
    bool Prepared() const { return root_ != nullptr; }
    QString Expression() const { return expression_; }

    // The value now: a double for numbers, QString, bool, QDate/QDateTime/
    // QTime as the fields give them, or an invalid QVariant for NULL.
    QVariant Value() const;

    bool IsAggregate() const { return !aggregates_.empty(); }
    void UpdateAggregates();
    void ResetAggregates();

    // What tells one group from the next: the values of the operands of a
    // top-level chain of "+" (so that "Str(A) + Str(B)" or "A + B" change
    // whenever A or B does, even when the joined or added value does not),
    // otherwise the value alone.
    QVariantList GroupKey() const;

    // The text of a value as a report prints it: numbers with FloatToStr, or
    // FormatFloat(mask) when a mask is given; dates as DateToStr /
    // DateTimeToStr, or FormatDateTime(mask); NULL as "".
    static QString FormatValue(const QVariant& value, const QString& mask = QString());

    struct Node;

private:
    QString expression_;
    std::unique_ptr<Node> root_;
    std::vector<Node*> aggregates_;  // owned by root_
};
