#include "db/hiddencolumns.h"

#include "db/sqllexis.h"

namespace {

THiddenColumnTest& hiddenColumns() {
    static THiddenColumnTest test;
    return test;
}

TProgramTableTest& programTables() {
    static TProgramTableTest test;
    return test;
}

TWriteProtectedTables& writeProtected() {
    static TWriteProtectedTables tables;
    return tables;
}

}  // namespace

void SetHiddenColumnTest(THiddenColumnTest test) {
    hiddenColumns() = std::move(test);
}

const THiddenColumnTest& HiddenColumnTest() {
    return hiddenColumns();
}

void SetProgramTableTest(TProgramTableTest test) {
    programTables() = std::move(test);
}

bool ProgramTablesKnown() {
    return static_cast<bool>(programTables());
}

bool ProgramTable(const QString& name) {
    return name.compare(QLatin1String("USUARIO"), Qt::CaseInsensitive) == 0 ||
           (programTables() && programTables()(name));
}

QString ProgramNameRefusal(const QString& name) {
    if (name.compare(QLatin1String("USUARIO"), Qt::CaseInsensitive) == 0) return UsersTableReason();
    if (ProgramTable(name)) return TakenNameReason(name.toUpper(), false);
    return QString();
}

void SetWriteProtectedTables(TWriteProtectedTables tables) {
    writeProtected() = std::move(tables);
}

QStringList WriteProtectedTables() {
    return writeProtected() ? writeProtected()() : QStringList();
}
