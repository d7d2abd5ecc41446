#pragma once
// The columns a user may not see, handed down by the program to the checks
// of users' statements.

#include <QString>
#include <functional>

// Which columns the user may not see, by name (set by the windows that run
// users' statements; none: every column). A user's statement never returns
// or copies such a column's values under any name: PostgreSQL refuses a
// statement that names one or could carry one under another name; SQLite
// refuses a write that reads one and reads it as NULL in a query, whose
// result then writes nothing back.
using THiddenColumnTest = std::function<bool(const QString& column)>;
void SetHiddenColumnTest(THiddenColumnTest test);
const THiddenColumnTest& HiddenColumnTest();
