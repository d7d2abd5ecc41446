// Dataset benchmark: TTable against plain prepared QSqlQuery work on a
// 1,000,000-row table with a two-field key, on SQLite and (when RH_PG_* are
// set) PostgreSQL. One line per figure and engine:
//   dataset <engine> <figure> ours=<s> raw=<s> ratio=<ours/raw>
// (findkey, range, scan and append add a line with the client's processor
// time of each side's timed run: what the program does itself, apart from the
// wait for the server),
// (append_100k adds the SAVEPOINTs sent per 1,000 rows and, on PostgreSQL,
// the subtransactions that took a transaction ID),
// then `dataset <engine> open_scaling ratio=...` and the peak memory.

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kSmallRows = 10000;
constexpr int kGroupSize = 1000;  // key: (Grupo, Codigo), Codigo 0..999

const QStringList kColumns{"Grupo", "Codigo", "Nombre", "Importe",
                           "Fecha", "Activo", "Notas",  "Cantidad"};

TFieldDefs benchFields() {
    return {TFieldDef{"Grupo", ftInteger, 0, true},   TFieldDef{"Codigo", ftInteger, 0, true},
            TFieldDef{"Nombre", ftString, 40, false}, TFieldDef{"Importe", ftFloat, 0, false},
            TFieldDef{"Fecha", ftDate, 0, false},     TFieldDef{"Activo", ftBoolean, 0, false},
            TFieldDef{"Notas", ftString, 60, false},  TFieldDef{"Cantidad", ftInteger, 0, false}};
}

// The values of row i, in the engine's storage form for raw statements.
QVariantList rowValues(int i, bool sqlite) {
    const QDate d = QDate(2000, 1, 1).addDays(i % 9000);
    return {i / kGroupSize,
            i % kGroupSize,
            QStringLiteral("Nombre %1").arg(i),
            (i % 10000) / 100.0,
            sqlite ? QVariant(d.toString(Qt::ISODate)) : QVariant(d),
            sqlite ? QVariant(i % 2) : QVariant(i % 2 == 1),
            QStringLiteral("Notas del registro %1").arg(i),
            i % 777};
}

double seconds(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e9;
}

// This thread's processor time: the client's own work, without the time it
// waits for the server.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// A run's wall-clock and processor seconds.
struct Run {
    double wall, cpu;
};

Run timed(const std::function<void()>& f) {
    const double c = cpuSeconds();
    const double s = seconds(f);
    return {s, cpuSeconds() - c};
}

// The best of a few runs of each side, taken in turns, so that neither pays
// alone for cold caches and first plans; with the client's processor time of
// each side's best run in it.
struct Timing {
    double ours = 1e9, raw = 1e9;
    double oursCpu = 0, rawCpu = 0;
};

Timing bestOf(int runs, const std::function<void()>& ours, const std::function<void()>& raw) {
    Timing t;
    auto take = [](const std::function<void()>& f, double& best, double& bestCpu) {
        const Run r = timed(f);
        if (r.wall < best) {
            best = r.wall;
            bestCpu = r.cpu;
        }
    };
    for (int i = 0; i < runs; ++i) {
        take(ours, t.ours, t.oursCpu);
        take(raw, t.raw, t.rawCpu);
    }
    return t;
}

void line(const QString& engine, const char* figure, double ours, double raw) {
    std::printf("dataset %s %s ours=%.4f raw=%.4f ratio=%.2f\n", qPrintable(engine), figure, ours,
                raw, raw > 0 ? ours / raw : 0.0);
    std::fflush(stdout);
}

// A read's line, then the client's share of it: the processor time of each
// side, apart from what both wait for the server.
void line(const QString& engine, const char* figure, const Timing& t) {
    line(engine, figure, t.ours, t.raw);
    std::printf("dataset %s %s client_ours=%.4f client_raw=%.4f client_ratio=%.2f\n",
                qPrintable(engine), figure, t.oursCpu, t.rawCpu,
                t.rawCpu > 0 ? t.oursCpu / t.rawCpu : 0.0);
    std::fflush(stdout);
}

class Bench {
public:
    Bench(Engine engine, const QString& tag) : engine_(engine), tag_(tag) {}
    ~Bench() {
        if (!db_) return;
        try {
            if (db_->InTransaction()) db_->Rollback();
            if (engine_ == Engine::Postgres)
                db_->Execute(QStringLiteral("DROP SCHEMA ") + schema_ + QStringLiteral(" CASCADE"));
        } catch (const EDatabaseError& e) {
            std::fprintf(stderr, "bench: %s\n", e.what());
        }
        TSession::instance().RemoveDatabase(db_.get());
    }

    void run() {
        connect();
        createTable(QStringLiteral("BENCH"));
        fill(QStringLiteral("BENCH"), kRows);
        createTable(QStringLiteral("BENCHS"));
        fill(QStringLiteral("BENCHS"), kSmallRows);
        if (wanted("findkey_1000")) findKey();
        if (wanted("range_10k")) range();
        if (wanted("append_100k")) append();
        if (wanted("scan_100k")) scan();
        if (wanted("open_scaling")) openScaling();
    }

    // Figures named on the command line run alone (for profiling).
    static QStringList only;

private:
    bool sqlite() const { return engine_ == Engine::Sqlite; }
    static bool wanted(const char* figure) {
        return only.isEmpty() || only.contains(QLatin1String(figure));
    }

    void connect() {
        TConnectionParams p;
        p.engine = engine_;
        if (sqlite()) {
            p.folder = tmp_.path();
        } else {
            p.host = qEnvironmentVariable("RH_PG_HOST");
            p.port = qEnvironmentVariableIntValue("RH_PG_PORT");
            p.user = qEnvironmentVariable("RH_PG_USER");
            p.database = qEnvironmentVariable("RH_PG_DATABASE");
            schema_ = QStringLiteral("bench_%1").arg(QCoreApplication::applicationPid());
            p.schema = schema_;
        }
        TDatabase::CreateDatabase(p);
        db_ = std::make_unique<TDatabase>();
        db_->setDatabaseName(QStringLiteral("Bench"));
        db_->Params() = p;
        db_->Open();
        TSession::instance().AddDatabase(db_.get());
    }

    void createTable(const QString& name) {
        db_->CreateTable(name, benchFields(), {QStringLiteral("Grupo"), QStringLiteral("Codigo")},
                         name + QStringLiteral("_Clave1"));
    }

    QString insertSql(const QString& table) const {
        return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
               kColumns.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    }

    // Built outside the timings: plain prepared inserts on SQLite, one
    // server-side statement on PostgreSQL (a million round trips would
    // dominate the run).
    void fill(const QString& table, int rows) {
        db_->StartTransaction();
        if (sqlite()) {
            QSqlQuery q(db_->connection());
            q.prepare(insertSql(table));
            for (int i = 0; i < rows; ++i) {
                const QVariantList v = rowValues(i, true);
                for (int c = 0; c < v.size(); ++c) q.bindValue(c, v[c]);
                if (!q.exec()) qFatal("bench: insert failed");
            }
        } else {
            db_->Execute(
                QStringLiteral("INSERT INTO ") + table +
                QStringLiteral(" SELECT i / 1000, i % 1000, 'Nombre ' || i, (i % 10000) / 100.0, "
                               "DATE '2000-01-01' + (i % 9000), i % 2 = 1, "
                               "'Notas del registro ' || i, i % 777 "
                               "FROM generate_series(0, ") +
                QString::number(rows - 1) + QStringLiteral(") AS i"));
        }
        db_->Commit();
        db_->Execute(sqlite() ? QStringLiteral("ANALYZE") : QStringLiteral("ANALYZE ") + table);
    }

    // A table's walk reads whole records, whichever fields are then looked
    // at: the hand-written walks read the same columns and take every value
    // of each row, as the key search does, so that both sides fetch and
    // convert the same data (PostgreSQL's driver converts a value only when
    // it is taken).
    static QString recordSelect() {
        return QStringLiteral("SELECT ") + kColumns.join(QStringLiteral(", ")) +
               QStringLiteral(" FROM BENCH");
    }

    void openTable(TTable& t, const QString& table) {
        t.setDatabaseName(QStringLiteral("Bench"));
        t.setTableName(table);
        t.Open();
    }

    void findKey() {
        QRandomGenerator rng(42);
        QList<QPair<int, int>> keys;
        for (int i = 0; i < 1000; ++i) {
            const int r = rng.bounded(kRows);
            keys << qMakePair(r / kGroupSize, r % kGroupSize);
        }
        TTable t;
        openTable(t, QStringLiteral("BENCH"));
        TField* nombre = t.FieldByName(QStringLiteral("Nombre"));
        qint64 found = 0;
        auto ours = [&] {
            found = 0;
            for (const auto& k : keys)
                if (t.FindKey({k.first, k.second})) found += nombre->AsString().size();
        };
        QSqlQuery q(db_->connection());
        q.setForwardOnly(true);
        q.prepare(recordSelect() + QStringLiteral(" WHERE Grupo = ? AND Codigo = ?"));
        qint64 rawFound = 0;
        auto raw = [&] {
            rawFound = 0;
            for (const auto& k : keys) {
                q.bindValue(0, k.first);
                q.bindValue(1, k.second);
                q.exec();
                if (q.next()) {
                    for (int c = 0; c < kColumns.size(); ++c) q.value(c);
                    rawFound += q.value(2).toString().size();
                }
            }
        };
        const Timing times = bestOf(3, ours, raw);
        if (found != rawFound) qFatal("bench: findkey results differ");
        line(tag_, "findkey_1000", times);
    }

    void range() {
        TTable t;
        openTable(t, QStringLiteral("BENCH"));
        QList<TField*> fields;
        for (int c = 0; c < 5; ++c) fields << t.FieldByName(kColumns[c]);
        qint64 n = 0;
        auto ours = [&] {
            n = 0;
            t.CancelRange();
            t.SetRange({100}, {109});
            for (t.First(); !t.Eof(); t.Next()) {
                for (TField* f : fields) f->Value();
                ++n;
            }
        };
        QSqlQuery q(db_->connection());
        q.setForwardOnly(true);
        q.prepare(recordSelect() +
                  QStringLiteral(" WHERE Grupo >= ? AND Grupo <= ? ORDER BY Grupo, Codigo"));
        qint64 rawN = 0;
        auto raw = [&] {
            rawN = 0;
            q.bindValue(0, 100);
            q.bindValue(1, 109);
            q.exec();
            while (q.next()) {
                for (int c = 0; c < kColumns.size(); ++c) q.value(c);
                ++rawN;
            }
        };
        const Timing times = bestOf(3, ours, raw);
        if (n != 10000 || rawN != 10000) qFatal("bench: range rows %lld / %lld", n, rawN);
        line(tag_, "range_10k", times);
    }

    void append() {
        createTable(QStringLiteral("BENCHA"));
        createTable(QStringLiteral("BENCHR"));
        TTable t;
        openTable(t, QStringLiteral("BENCHA"));
        QList<TField*> fields;
        for (const QString& c : kColumns) fields << t.FieldByName(c);
        const int n = 100000;
        const int warm = 1000;  // first plans and caches, before the timing
        auto ours = [&](int from, int to) {
            db_->StartTransaction();
            for (int i = from; i < to; ++i) {
                t.Append();
                const QDate d = QDate(2000, 1, 1).addDays(i % 9000);
                fields[0]->setValue(i / kGroupSize);
                fields[1]->setValue(i % kGroupSize);
                fields[2]->setValue(QStringLiteral("Nombre %1").arg(i));
                fields[3]->setValue((i % 10000) / 100.0);
                fields[4]->setValue(d);
                fields[5]->setValue(i % 2 == 1);
                fields[6]->setValue(QStringLiteral("Notas del registro %1").arg(i));
                fields[7]->setValue(i % 777);
                t.Post();
            }
            db_->Commit();
        };
        QSqlQuery q(db_->connection());
        q.prepare(insertSql(QStringLiteral("BENCHR")));
        auto raw = [&](int from, int to) {
            db_->StartTransaction();
            for (int i = from; i < to; ++i) {
                const QVariantList v = rowValues(i, sqlite());
                for (int c = 0; c < v.size(); ++c) q.bindValue(c, v[c]);
                if (!q.exec()) qFatal("bench: raw insert failed");
            }
            db_->Commit();
        };
        ours(n, n + warm);
        raw(n, n + warm);
        // The subtransactions the fill opens: SAVEPOINTs the database layer
        // sent, and on PostgreSQL the transaction IDs the run took (each
        // subtransaction that writes takes one; the top one is not counted).
        const qint64 savepoints = db_->SavepointsSent();
        const qint64 xid = sqlite() ? 0 : currentXid();
        const Run oursRun = timed([&] { ours(0, n); });
        const qint64 xids = sqlite() ? 0 : currentXid() - xid - 2;
        const qint64 sent = db_->SavepointsSent() - savepoints;
        const Run rawRun = timed([&] { raw(0, n); });
        const Timing times{oursRun.wall, rawRun.wall, oursRun.cpu, rawRun.cpu};
        if (db_->Scalar(QStringLiteral("SELECT COUNT(*) FROM BENCHA")).toInt() != n + warm)
            qFatal("bench: appended rows missing");
        line(tag_, "append_100k", times);
        std::printf("dataset %s append_100k savepoints_per_1000=%.2f", qPrintable(tag_),
                    sent * 1000.0 / n);
        if (!sqlite()) std::printf(" subtransactions_per_1000=%.2f", xids * 1000.0 / n);
        std::printf("\n");
        std::fflush(stdout);
    }

    // A transaction ID of its own (outside any transaction): the next one
    // the server hands out, less one.
    qint64 currentXid() {
        return db_->Scalar(QStringLiteral("SELECT pg_current_xact_id()::text")).toLongLong();
    }

    void scan() {
        const int n = 100000;
        TTable t;
        openTable(t, QStringLiteral("BENCH"));
        QList<TField*> fields;
        for (int c = 0; c < 5; ++c) fields << t.FieldByName(kColumns[c]);
        int read = 0;
        auto ours = [&] {
            read = 0;
            for (t.First(); !t.Eof() && read < n; t.Next()) {
                for (TField* f : fields) f->Value();
                ++read;
            }
        };
        QSqlQuery q(db_->connection());
        q.setForwardOnly(true);
        q.prepare(recordSelect() + QStringLiteral(" ORDER BY Grupo, Codigo LIMIT ?"));
        int rawRead = 0;
        auto raw = [&] {
            rawRead = 0;
            q.bindValue(0, n);
            q.exec();
            while (q.next()) {
                for (int c = 0; c < kColumns.size(); ++c) q.value(c);
                ++rawRead;
            }
        };
        const Timing times = bestOf(3, ours, raw);
        if (read != n || rawRead != n) qFatal("bench: scan rows %d / %d", read, rawRead);
        line(tag_, "scan_100k", times);
    }

    double openCycle(const QString& table) {
        QList<double> times;
        for (int i = 0; i < 25; ++i) {
            TTable t;
            t.setDatabaseName(QStringLiteral("Bench"));
            t.setTableName(table);
            times << seconds([&] {
                t.Open();
                t.First();
                t.Last();
                t.Close();
            });
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    void openScaling() {
        openCycle(QStringLiteral("BENCH"));  // warm the catalog and the caches
        openCycle(QStringLiteral("BENCHS"));
        const double big = openCycle(QStringLiteral("BENCH"));
        const double small = openCycle(QStringLiteral("BENCHS"));
        std::printf("dataset %s open_scaling ratio=%.2f\n", qPrintable(tag_),
                    small > 0 ? big / small : 0.0);
        std::fflush(stdout);
    }

    Engine engine_;
    QString tag_;
    QTemporaryDir tmp_;
    QString schema_;
    std::unique_ptr<TDatabase> db_;
};

QStringList Bench::only;

int peakMemoryMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:"))
            return int(l.mid(6).trimmed().split(' ').first().toLongLong() / 1024);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Bench::only = app.arguments().mid(1);
    try {
        Bench(Engine::Sqlite, QStringLiteral("sqlite")).run();
        if (!qEnvironmentVariableIsEmpty("RH_PG_HOST") &&
            !qEnvironmentVariableIsEmpty("RH_PG_PORT"))
            Bench(Engine::Postgres, QStringLiteral("postgres")).run();
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "bench: %s (%s)\n", e.what(), qPrintable(e.detail()));
        return 1;
    }
    std::printf("dataset peak_memory_mb=%d\n", peakMemoryMb());
    return 0;
}
