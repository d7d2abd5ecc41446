#pragma once
// Dataset filters: "(Campo op 'valor')" conditions joined by AND / OR / NOT
// with parentheses; operators = <> < > <= >=; literals in single or double
// quotes ('' or "" inside is one quote), or bare numbers; conditions may stand
// one per line (CR LF) and a line may end in " AND". Literals are converted by
// the type of their field ("12,5" and "12.500000" for floats, dd/mm/yyyy for
// dates). A string literal ending in "*" compares the field's prefix. "= ''"
// also matches NULL.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "db/fieldtypes.h"

class FilterExpression {
public:
    // Parses; a bad expression raises EDatabaseError(FilterError).
    static FilterExpression parse(const QString& text);
    FilterExpression();
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    bool isEmpty() const;
    // The field names the expression compares, in order, as the parser read
    // them (brackets taken off): what bind() will look up.
    QStringList fields() const;
    // Resolves field names (case-insensitively) to indexes and converts the
    // literals; an unknown field raises FieldNotFound, a literal that does not
    // convert raises FilterError ("Type mismatch in expression").
    void bind(const std::function<int(const QString& name)>& indexOf,
              const std::function<TFieldType(int index)>& typeOf);
    // Evaluates against a record whose values are given by index.
    bool evaluate(const std::function<QVariant(int index)>& valueOf) const;

private:
    struct Node;
    std::unique_ptr<Node> root_;
};
