#pragma once
// Helpers of the table, concurrency and batch-move suites.

#include <QStringList>
#include <QTest>
#include <functional>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"

namespace tabletest {

// The database error `f` raised (code General, "<no error>" when none).
inline EDatabaseError errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e;
    }
    return EDatabaseError(DbError::General, QStringLiteral("<no error>"));
}

// Rows inserted with plain SQL, values bound in column order.
inline void insertRows(TDatabase* db, const QString& table, const QStringList& columns,
                       const QList<QVariantList>& rows) {
    QString marks;
    for (int i = 0; i < columns.size(); ++i)
        marks += i ? QStringLiteral(", ?") : QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                        columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") + marks +
                        QLatin1Char(')');
    for (const QVariantList& r : rows) db->Execute(sql, r);
}

// The values of `field` from the current record to the end (or, backwards,
// to the start), as text.
inline QStringList walk(TTable& t, const QString& field, bool forward = true) {
    QStringList out;
    while (forward ? !t.Eof() : !t.Bof()) {
        out << t.FieldByName(field)->AsString();
        if (forward)
            t.Next();
        else
            t.Prior();
    }
    return out;
}

inline QStringList all(TTable& t, const QString& field) {
    t.First();
    return walk(t, field);
}

}  // namespace tabletest

#define QVERIFY_DBERROR(expr, expectedCode, expectedText)                                    \
    do {                                                                                     \
        const EDatabaseError e_ = tabletest::errorOf([&] { expr; });                         \
        QCOMPARE(int(e_.code()), int(expectedCode));                                         \
        if (!QString(expectedText).isEmpty()) QCOMPARE(e_.Message(), QString(expectedText)); \
    } while (0)
