#pragma once
// The columns a user may not see and the names of the program's own tables,
// handed down by the program to the checks of users' statements.

#include <QString>
#include <QStringList>
#include <functional>

// Which columns the user may not see, by name (set by the windows that run
// users' statements; none: every column). A user's statement never returns,
// copies or sets such a column's values under any name: PostgreSQL refuses a
// statement that names one or could carry one under another name, and reads
// one a "*" brings as NULL; SQLite refuses a write that reads one and reads
// it as NULL in a query. Neither engine's statement or live result sets one.
using THiddenColumnTest = std::function<bool(const QString& column)>;
void SetHiddenColumnTest(THiddenColumnTest test);
const THiddenColumnTest& HiddenColumnTest();

// Which names are the program's own tables' (its dictionary's, the general
// ones, its work tables), set by the program; none: only USUARIO. Asked
// without regard to case. Nothing a user's statement creates or renames
// may take such a name: the program would read and write it as its own
// table, on its own login.
using TProgramTableTest = std::function<bool(const QString& table)>;
void SetProgramTableTest(TProgramTableTest test);
bool ProgramTable(const QString& name);
// Whether the program has told its tables (the checks of its own statements'
// names stand only then).
bool ProgramTablesKnown();
// Why a user's statement may not give something it creates or renames the
// name `name` ("" when it may).
QString ProgramNameRefusal(const QString& name);

// The tables a user's statement may read but never write, alter, drop, lock
// or put anything under (a view written through, a child table, a foreign
// key), as the program tells them for the user at hand: asked once for each
// statement judged and each result made editable (none when not set). A
// live result over one of them is not written back either.
using TWriteProtectedTables = std::function<QStringList()>;
void SetWriteProtectedTables(TWriteProtectedTables tables);
QStringList WriteProtectedTables();
