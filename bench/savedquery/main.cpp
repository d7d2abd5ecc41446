// Saved-query runner benchmark: 100,000 rows (integer key, two strings, a
// date, two floats) shown by an offscreen runner, on a temporary SQLite
// installation. Line printed:
//   savedquery grid_100k ours=<s> raw=<s> ratio=<ours/raw> first_rows=<s>
//     the saved "SELECT" opened by name until its grid painted its first
//     rows, then `Last` and the grid painted again, against a forward-only
//     QSqlQuery reading every value; first_rows is the time to the first
//     painted rows.

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

#include "../common/filas100k.h"
#include "../common/instalacion.h"
#include "db/clientdataset.h"
#include "db/database.h"
#include "db/table.h"
#include "gene/geneinic_tablas.h"
#include "gene/genemodu.h"
#include "gene/genetext.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/geneusql.h"
#include "nomina/nomimodu.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

namespace {

using bench::fail;

constexpr int kRows = bench::kRows100k;

double seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

// Counts the paints of the grid's rows.
class Paints : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++count;
        return false;
    }
};

void waitPaint(Paints& paints) {
    const int before = paints.count;
    QElapsedTimer guard;
    guard.start();
    while (paints.count == before) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (guard.elapsed() > 120000) fail("the grid was never painted");
    }
}

double rawRead(TDatabase* db, const QString& sql) {
    QElapsedTimer clock;
    clock.start();
    QSqlQuery q(db->connection());
    q.setForwardOnly(true);
    if (!q.exec(sql)) fail("raw read failed");
    int rows = 0;
    QVariant sink;
    while (q.next()) {
        for (int c = 0; c < 6; ++c) sink = q.value(c);
        ++rows;
    }
    if (rows != kRows) fail(QStringLiteral("raw read %1 rows").arg(rows));
    return seconds(clock);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Installation installation;
    TModuloDatos module;
    CrearModulosNomina();
    TDatabase* db = fGENEINIC->Database;
    bench::fillRows100k(db, QStringLiteral("SQBENCH"));
    {
        TTable filtro;
        filtro.setTableName(QStringLiteral("FILTRO"));
        if (!AbrirTabla(fGENEINIC, &filtro)) fail("cannot open FILTRO");
    }
    const QString sql = QStringLiteral(
        "SELECT Codigo, Nombre, Ciudad, Fecha, Importe, Horas FROM SQBENCH ORDER BY Codigo");
    db->Execute(QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro) VALUES "
                               "('SQL', 'Bench', ") +
                Entrecomillar(sql) + QStringLiteral(")"));
    InstalarConsultasSQL();

    // The best of three rounds of each side, taken in turns.
    double ours = 1e9, raw = 1e9, first = 1e9;
    QElapsedTimer clock;
    for (int round = 0; round < 3; ++round) {
        auto* form = qobject_cast<TfGENEUSQL*>(CreateForm(QStringLiteral("TfGENEUSQL")));
        if (!form) fail("the runner was not created");
        form->resize(1000, 700);
        Paints paints;
        form->DBGrid1->viewport()->installEventFilter(&paints);
        clock.restart();
        form->show();
        form->AbrirConsultaSQL(QStringLiteral("Bench"));
        if (!form->ClientDataSet1->Active()) fail("the saved query did not open");
        waitPaint(paints);
        first = std::min(first, seconds(clock));
        form->ClientDataSet1->Last();
        form->DBGrid1->viewport()->update();
        waitPaint(paints);
        ours = std::min(ours, seconds(clock));
        if (form->ClientDataSet1->RecordCount() != kRows)
            fail(QStringLiteral("the runner shows %1 rows")
                     .arg(form->ClientDataSet1->RecordCount()));
        delete form;
        raw = std::min(raw, rawRead(db, sql));
    }
    std::printf("savedquery grid_100k ours=%.4f raw=%.4f ratio=%.2f first_rows=%.4f\n", ours, raw,
                raw > 0 ? ours / raw : 0.0, first);
    return 0;
}
