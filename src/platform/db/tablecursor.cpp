#include "db/tablecursor.h"

#include <QDate>
#include <QDateTime>
#include <QScopedValueRollback>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QTime>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "db/database.h"
#include "db/dberror.h"
#include "db/dialect.h"
#include "db/storedvalue.h"
#include "db/sysutils.h"

#include <libpq-fe.h>
#include <sqlite3.h>

// ------------------------------------------------------------ values

namespace {

void put2(QChar* p, int v) {
    p[0] = QChar(u'0' + v / 10);
    p[1] = QChar(u'0' + v % 10);
}

QString isoDate(const QDate& d) {
    QString s(10, Qt::Uninitialized);
    QChar* p = s.data();
    const int y = std::clamp(d.year(), 0, 9999);
    put2(p, y / 100);
    put2(p + 2, y % 100);
    p[4] = u'-';
    put2(p + 5, d.month());
    p[7] = u'-';
    put2(p + 8, d.day());
    return s;
}

QString isoTime(const QTime& t) {
    QString s(8, Qt::Uninitialized);
    QChar* p = s.data();
    put2(p, t.hour());
    p[2] = u':';
    put2(p + 3, t.minute());
    p[5] = u':';
    put2(p + 6, t.second());
    return s;
}

// Digits at s[i..i+n) or -1 (`s` a QStringView or QLatin1StringView).
template <typename View>
int digits(View s, int i, int n) {
    if (i + n > s.size()) return -1;
    int v = 0;
    for (int k = i; k < i + n; ++k) {
        const char16_t c = s.at(k).unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

template <typename View>
QDate parseIsoDate(View s) {
    const int y = digits(s, 0, 4), m = digits(s, 5, 2), d = digits(s, 8, 2);
    if (y < 0 || m < 0 || d < 0 || s.at(4).unicode() != u'-' || s.at(7).unicode() != u'-')
        return QDate();
    return QDate(y, m, d);
}

// "hh:mm[:ss[.zzz]]" at s[i..].
template <typename View>
QTime parseIsoTime(View s, int i) {
    const int h = digits(s, i, 2), mi = digits(s, i + 3, 2);
    if (h < 0 || mi < 0 || s.at(i + 2).unicode() != u':') return QTime();
    int sec = 0, ms = 0;
    if (s.size() >= i + 8 && s.at(i + 5).unicode() == u':') {
        sec = digits(s, i + 6, 2);
        if (sec < 0) return QTime();
        if (s.size() > i + 9 && s.at(i + 8).unicode() == u'.') {
            int n = 0;
            for (int k = i + 9; k < s.size() && n < 3; ++k, ++n) {
                const char16_t c = s.at(k).unicode();
                if (c < u'0' || c > u'9') break;
                ms = ms * 10 + (c - u'0');
            }
            for (; n > 0 && n < 3; ++n) ms *= 10;
        }
    }
    return QTime(h, mi, sec, ms);
}

QDateTime parseIsoDateTime(QStringView s) {
    const QDate d = parseIsoDate(s);
    if (!d.isValid()) return QDateTime();
    if (s.size() <= 10) return QDateTime(d, QTime(0, 0));
    const QTime t = parseIsoTime(s, 11);
    return t.isValid() ? QDateTime(d, t) : QDateTime();
}

bool textToBool(const QString& s) {
    const QString t = s.trimmed().toLower();
    return t == u"1" || t == u"t" || t == u"true" || t == u"s" || t == u"y";
}

}  // namespace

// Values already in their canonical type are handed on, not copied: this
// runs for every column of every row read.
QVariant TTableCursor::fromStorage(QVariant v, TFieldType type) {
    if (v.isNull()) return QVariant();
    const int id = v.typeId();
    switch (type) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            if (id == QMetaType::QString) return v;
            return QVariant(v.toString());
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            if (id == QMetaType::Int) return v;
            // SQLite gives every integer as a 64-bit one.
            if (id == QMetaType::LongLong)
                return QVariant(int(*static_cast<const qlonglong*>(v.constData())));
            return QVariant(v.toInt());
        case ftBoolean:
            if (id == QMetaType::Bool) return v;
            if (id == QMetaType::LongLong)
                return QVariant(*static_cast<const qlonglong*>(v.constData()) != 0);
            if (id == QMetaType::QString) return QVariant(textToBool(v.toString()));
            return QVariant(v.toLongLong() != 0);
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            if (id == QMetaType::Double) return v;
            return QVariant(v.toDouble());
        case ftDate: {
            if (id == QMetaType::QDate) return v;
            if (id == QMetaType::QDateTime) return QVariant(v.toDateTime().date());
            const QDate d = parseIsoDate(v.toString());
            return d.isValid() ? QVariant(d) : QVariant();
        }
        case ftTime: {
            if (id == QMetaType::QTime) return v;
            if (id == QMetaType::QDateTime) return QVariant(v.toDateTime().time());
            const QString s = v.toString();
            const QTime t = parseIsoTime(s, s.size() > 10 && s.at(10) == u' ' ? 11 : 0);
            return t.isValid() ? QVariant(t) : QVariant();
        }
        case ftDateTime: {
            if (id == QMetaType::QDateTime) {
                // PostgreSQL's timestamps carry no zone: keep the wall time.
                // One already in local time is that wall time as built from
                // it, zone lookup done: handed on.
                const QDateTime& dt = *static_cast<const QDateTime*>(v.constData());
                if (dt.timeSpec() == Qt::LocalTime) return v;
                return QVariant(QDateTime(dt.date(), dt.time()));
            }
            if (id == QMetaType::QDate) return QVariant(QDateTime(v.toDate(), QTime(0, 0)));
            const QDateTime dt = parseIsoDateTime(v.toString());
            return dt.isValid() ? QVariant(dt) : QVariant();
        }
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
        case ftGraphic:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
            if (id == QMetaType::QByteArray) return v;
            return QVariant(v.toByteArray());
        default:
            return v;
    }
}

// ------------------------------------------------------------ SQLite rows

namespace {

// The statement behind a query on SQLite; null on any other engine.
sqlite3_stmt* sqliteStatement(const QSqlQuery& q) {
    const QSqlResult* r = q.result();
    const QVariant h = r ? r->handle() : QVariant();
    if (!h.isValid() || !h.constData() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.constData());
}

QStringView sqliteText(sqlite3_stmt* st, int col) {
    const void* text = sqlite3_column_text16(st, col);
    return QStringView(static_cast<const char16_t*>(text),
                       text ? sqlite3_column_bytes16(st, col) / qsizetype(sizeof(char16_t)) : 0);
}

// A text column as a string. A text all ASCII, as most are, reads the same
// in either encoding: it is taken as stored, without the engine translating
// it to UTF-16 first.
QString sqliteString(sqlite3_stmt* st, int col) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    const int size = sqlite3_column_bytes(st, col);
    if (std::all_of(text, text + size, [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(text, size);
    return sqliteText(st, col).toString();
}

// A column of the statement's current row as the SQL driver gives it.
QVariant sqliteStored(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(st, col)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st, col));
        case SQLITE_NULL:
            return QVariant(QMetaType::fromType<QString>());
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, col)),
                                       sqlite3_column_bytes(st, col)));
        default:
            return QVariant(sqliteString(st, col));
    }
}

// A column in its field's canonical type, as fromStorage gives it for the
// driver's value: the usual storage forms straight from the row, the rest
// through fromStorage.
QVariant sqliteCanonical(sqlite3_stmt* st, int col, TFieldType type) {
    const int stored = sqlite3_column_type(st, col);
    switch (type) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            if (stored == SQLITE_TEXT) return QVariant(sqliteString(st, col));
            break;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            if (stored == SQLITE_INTEGER) return QVariant(int(sqlite3_column_int64(st, col)));
            break;
        case ftBoolean:
            if (stored == SQLITE_INTEGER) return QVariant(sqlite3_column_int64(st, col) != 0);
            break;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            if (stored == SQLITE_FLOAT) return QVariant(sqlite3_column_double(st, col));
            break;
        case ftDate:
            if (stored == SQLITE_TEXT) {
                const QDate d = parseIsoDate(sqliteText(st, col));
                return d.isValid() ? QVariant(d) : QVariant();
            }
            break;
        case ftDateTime:
            if (stored == SQLITE_TEXT) {
                const QDateTime dt = parseIsoDateTime(sqliteText(st, col));
                return dt.isValid() ? QVariant(dt) : QVariant();
            }
            break;
        default:
            break;
    }
    return TTableCursor::fromStorage(sqliteStored(st, col), type);
}

}  // namespace

sqlite3_stmt* SqliteStatementOf(const QSqlQuery& q) {
    return sqliteStatement(q);
}

QVariant SqliteStoredValue(sqlite3_stmt* st, int col) {
    return sqliteStored(st, col);
}

QSqlError SqliteStepError(sqlite3_stmt* st, int rc, bool user) {
    // Read before anything else runs on the connection.
    const QString engineText =
        QString::fromUtf16(static_cast<const char16_t*>(sqlite3_errmsg16(sqlite3_db_handle(st))));
    QString driverText = QStringLiteral("Unable to fetch row");
    if ((rc & 0xff) == SQLITE_TOOBIG)
        driverText = QLatin1String(kSqliteTooLarge) +
                     (sqlite3_column_count(st) == 1 ? QString::fromUtf8(sqlite3_column_name(st, 0))
                      : user                        ? SqliteTooLargeColumn(st)
                                                    : QString());
    return QSqlError(driverText, engineText, QSqlError::ConnectionError, QString::number(rc));
}

// ------------------------------------------------------------ PostgreSQL rows

namespace {

// The whole result behind a query on PostgreSQL (read whole, see prepared());
// null on any other engine.
const PGresult* pgResult(const QSqlQuery& q) {
    const QSqlResult* r = q.result();
    const QVariant h = r ? r->handle() : QVariant();
    if (!h.isValid() || !h.constData()) return nullptr;
    if (qstrcmp(h.typeName(), "PGresult*") != 0 && qstrcmp(h.typeName(), "pg_result*") != 0)
        return nullptr;
    return *static_cast<PGresult* const*>(h.constData());
}

// Type numbers of the server's catalog.
constexpr Oid kBoolOid = 16, kInt2Oid = 21, kInt4Oid = 23, kTextOid = 25, kFloat8Oid = 701,
              kBpcharOid = 1042, kVarcharOid = 1043, kDateOid = 1082, kTimestampOid = 1114;

bool plainNumber(const char* s, int len) {
    if (len == 0) return false;
    for (int i = 0; i < len; ++i) {
        const char c = s[i];
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'))
            return false;
    }
    return true;
}

// An integer column's text ("-?digits"), within int's range; false for any
// other spelling.
bool plainInt(const char* s, int len, int& out) {
    int i = s[0] == '-' ? 1 : 0;
    if (len <= i || len - i > 10) return false;
    qint64 v = 0;
    for (; i < len; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (s[0] == '-') v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    out = int(v);
    return true;
}

// A column of row `row` of a whole result whose server type is `oid`, in
// its field's canonical type, for the stored forms whose text the SQL driver
// converts in one plain way (the same conversion here, without its
// variants); false leaves the value to the driver.
bool pgCanonical(const PGresult* r, int row, int col, Oid oid, TFieldType type, QVariant& out) {
    const char* val = PQgetvalue(r, row, col);
    const int len = PQgetlength(r, row, col);
    // A NULL reads as empty text, which no stored form but text's can be.
    if (len == 0 && PQgetisnull(r, row, col)) {
        out = QVariant();
        return true;
    }
    switch (type) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            if (oid != kTextOid && oid != kVarcharOid && oid != kBpcharOid) return false;
            out = QVariant(QString::fromUtf8(val, len));
            return true;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc: {
            int n;
            if ((oid != kInt4Oid && oid != kInt2Oid) || !plainInt(val, len, n)) return false;
            out = QVariant(n);
            return true;
        }
        case ftBoolean:
            if (oid != kBoolOid) return false;
            out = QVariant(val[0] == 't');
            return true;
        case ftFloat:
            if (oid != kFloat8Oid || !plainNumber(val, len)) return false;
            {
                // Correctly rounded, as the driver's conversion is.
                double d;
                const auto [end, ec] = std::from_chars(val, val + len, d);
                if (ec != std::errc() || end != val + len) return false;
                out = QVariant(d);
            }
            return true;
        case ftDate:
            // "yyyy-mm-dd" only; era marks, infinities and long years go
            // through the driver.
            if (oid != kDateOid || len != 10) return false;
            {
                const QDate d = parseIsoDate(QLatin1StringView(val, len));
                if (!d.isValid()) return false;
                out = QVariant(d);
            }
            return true;
        case ftDateTime:
            // "yyyy-mm-dd hh:mm:ss[.f[f[f]]]" only, read as the wall time
            // it is; finer fractions, era marks and infinities go through
            // the driver.
            if (oid != kTimestampOid || len < 19 || len > 23 || len == 20 || val[10] != ' ' ||
                (len > 19 && (val[19] != '.' ||
                              digits(QLatin1StringView(val + 20, len - 20), 0, len - 20) < 0)))
                return false;
            {
                const QLatin1StringView text(val, len);
                const QDate d = parseIsoDate(text);
                const QTime t = d.isValid() ? parseIsoTime(text, 11) : QTime();
                if (!t.isValid()) return false;
                out = QVariant(QDateTime(d, t));
            }
            return true;
        default:
            return false;
    }
}

}  // namespace

const PGresult* PgResultOf(const QSqlQuery& q) {
    return pgResult(q);
}

bool PgCanonicalValue(const PGresult* r, int row, int col, TFieldType type, QVariant& out) {
    return pgCanonical(r, row, col, PQftype(r, col), type, out);
}

QVariant TTableCursor::toStorage(const QVariant& v, TFieldType type, bool sqlite) {
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (type) {
        case ftBoolean:
            return sqlite ? QVariant(v.toBool() ? 1 : 0) : QVariant(v.toBool());
        case ftDate: {
            const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
            return d.isValid() ? QVariant(isoDate(d)) : QVariant();
        }
        case ftTime: {
            const QTime t = v.typeId() == QMetaType::QDateTime ? v.toDateTime().time() : v.toTime();
            return t.isValid() ? QVariant(isoTime(t)) : QVariant();
        }
        case ftDateTime: {
            const QDateTime dt = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0))
                                                                : v.toDateTime();
            if (!dt.isValid()) return QVariant();
            // SQLite compares the text: midnight is stored as the bare date,
            // as the dialect writes it in SQL.
            if (sqlite && dt.time() == QTime(0, 0)) return QVariant(isoDate(dt.date()));
            return QVariant(isoDate(dt.date()) + QLatin1Char(' ') + isoTime(dt.time()));
        }
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            return v.typeId() == QMetaType::QString ? v : QVariant(v.toString());
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            return v.typeId() == QMetaType::Int ? v : QVariant(v.toLongLong());
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return v.typeId() == QMetaType::Double ? v : QVariant(v.toDouble());
        default:
            return v;
    }
}

// ------------------------------------------------------------ predicates

// A condition in SQL with its bound values, folded when it is constant.
struct TTableCursor::Pred {
    enum Kind { False, True, Sql } kind = True;
    QString sql;
    QVariantList binds;
    bool compound = false;  // holds OR at its top level

    static Pred t() { return Pred{True, {}, {}, false}; }
    static Pred f() { return Pred{False, {}, {}, false}; }
    static Pred of(const QString& sql, const QVariantList& binds = {}) {
        return Pred{Sql, sql, binds, false};
    }
};

namespace {

using Pred = TTableCursor::Pred;

Pred andP(const Pred& a, const Pred& b) {
    if (a.kind == Pred::False || b.kind == Pred::False) return Pred::f();
    if (a.kind == Pred::True) return b;
    if (b.kind == Pred::True) return a;
    Pred r = Pred::of((a.compound ? u'(' + a.sql + u')' : a.sql) + QStringLiteral(" AND ") +
                      (b.compound ? u'(' + b.sql + u')' : b.sql));
    r.binds = a.binds + b.binds;
    return r;
}

Pred orP(const Pred& a, const Pred& b) {
    if (a.kind == Pred::True || b.kind == Pred::True) return Pred::t();
    if (a.kind == Pred::False) return b;
    if (b.kind == Pred::False) return a;
    Pred r = Pred::of(a.sql + QStringLiteral(" OR ") + (b.compound ? u'(' + b.sql + u')' : b.sql));
    r.binds = a.binds + b.binds;
    r.compound = true;
    return r;
}

bool integerRange(TFieldType t, qint64& lo, qint64& hi) {
    switch (t) {
        case ftSmallint:
            lo = -32768;
            hi = 32767;
            return true;
        case ftWord:
            lo = 0;
            hi = 65535;
            return true;
        case ftInteger:
        case ftAutoInc:
            lo = std::numeric_limits<qint32>::min();
            hi = std::numeric_limits<qint32>::max();
            return true;
        default:
            return false;
    }
}

}  // namespace

// A key value as SQL compares it: a stored value, NULL, a point strictly
// between a stored value and the next one (2.5 on an integer column is after
// 2), or beyond every value of the column on either side.
struct TTableCursor::KeyValue {
    enum Kind { Exact, Null, After, PlusInf, MinusInf } kind = Null;
    QVariant v;
};

TTableCursor::KeyValue TTableCursor::exactValue(const QVariant& storage) const {
    if (!storage.isValid() || storage.isNull()) return KeyValue{KeyValue::Null, {}};
    return KeyValue{KeyValue::Exact, storage};
}

// Converts a bound given by a form (any type) to the column's type without
// raising: what does not convert sorts after every value, as text sorts after
// numbers on SQLite.
TTableCursor::KeyValue TTableCursor::boundValue(const QVariant& v, TFieldType type) const {
    using K = KeyValue;
    if (!v.isValid() || v.isNull()) return K{K::Null, {}};
    const int id = v.typeId();
    const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray;
    auto dayNumber = [&](double days, TFieldType t) -> K {
        if (!std::isfinite(days)) return K{days < 0 ? K::MinusInf : K::PlusInf, {}};
        if (days > 3e6) return K{K::PlusInf, {}};
        if (days < -7e5) return K{K::MinusInf, {}};
        const QDateTime dt = DoubleToDateTime(days);
        if (t == ftDate) {
            const bool whole = dt.time() == QTime(0, 0);
            return K{whole ? K::Exact : K::After, toStorage(dt.date(), ftDate, sqlite_)};
        }
        return K{K::Exact, toStorage(dt, t, sqlite_)};
    };
    if (IsStringType(type)) {
        if (id == QMetaType::QDate) return K{K::Exact, isoDate(v.toDate())};
        return K{K::Exact, v.toString()};
    }
    qint64 lo, hi;
    if (integerRange(type, lo, hi)) {
        // A whole number in the column's range is the value itself.
        if (id == QMetaType::Int || id == QMetaType::LongLong) {
            const qint64 n = v.toLongLong();
            if (n >= lo && n <= hi) return K{K::Exact, QVariant(n)};
        }
        double d;
        if (id == QMetaType::Bool) {
            d = v.toBool() ? 1 : 0;
        } else if (isText) {
            const QString s = v.toString();
            qint64 n;
            if (TryStrToInt64(s, n)) {
                d = double(n);
                if (n >= lo && n <= hi) return K{K::Exact, QVariant(n)};
            } else if (!TryStrToFloat(s, d)) {
                return K{K::PlusInf, {}};
            }
        } else {
            bool ok = false;
            d = v.toDouble(&ok);
            if (!ok) return K{K::PlusInf, {}};
        }
        if (std::isnan(d)) return K{K::PlusInf, {}};
        if (d > double(hi)) return K{K::PlusInf, {}};
        if (d < double(lo)) return K{K::MinusInf, {}};
        const double fl = std::floor(d);
        return K{fl == d ? K::Exact : K::After, QVariant(qint64(fl))};
    }
    if (IsFloatType(type)) {
        double d;
        bool ok = true;
        if (id == QMetaType::Bool)
            d = v.toBool() ? 1 : 0;
        else if (isText)
            ok = TryStrToFloat(v.toString(), d);
        else
            d = v.toDouble(&ok);
        if (!ok || std::isnan(d)) return K{K::PlusInf, {}};
        if (std::isinf(d)) return K{d > 0 ? K::PlusInf : K::MinusInf, {}};
        return K{K::Exact, QVariant(d)};
    }
    if (type == ftBoolean) {
        const bool b = isText ? textToBool(v.toString()) : v.toBool();
        return K{K::Exact, toStorage(b, ftBoolean, sqlite_)};
    }
    if (type == ftDate || type == ftDateTime) {
        QDateTime dt;
        if (id == QMetaType::QDate) {
            dt = QDateTime(v.toDate(), QTime(0, 0));
        } else if (id == QMetaType::QDateTime) {
            dt = v.toDateTime();
        } else if (isText) {
            const QString s = v.toString().trimmed();
            dt = parseIsoDateTime(s);
            if (!dt.isValid() && !TryStrToDateTime(s, dt)) return K{K::PlusInf, {}};
        } else {
            bool ok = false;
            const double days = v.toDouble(&ok);
            if (!ok) return K{K::PlusInf, {}};
            return dayNumber(days, type);
        }
        if (!dt.isValid()) return K{K::PlusInf, {}};
        if (type == ftDate) {
            const bool whole = dt.time() == QTime(0, 0);
            return K{whole ? K::Exact : K::After, toStorage(dt.date(), ftDate, sqlite_)};
        }
        return K{K::Exact, toStorage(dt, ftDateTime, sqlite_)};
    }
    if (type == ftTime) {
        QTime t;
        if (id == QMetaType::QTime)
            t = v.toTime();
        else if (id == QMetaType::QDateTime)
            t = v.toDateTime().time();
        else if (isText) {
            const QString s = v.toString().trimmed();
            t = parseIsoTime(s, 0);
            if (!t.isValid() && !TryStrToTime(s, t)) return K{K::PlusInf, {}};
        }
        if (!t.isValid()) return K{K::PlusInf, {}};
        return K{K::Exact, toStorage(t, ftTime, sqlite_)};
    }
    return K{K::Exact, toStorage(v, type, sqlite_)};
}

QString TTableCursor::param(const OrderColumn& c) const {
    if (c.field < 0) return sqlite_ ? QStringLiteral("?") : QStringLiteral("CAST(? AS tid)");
    if (c.caseInsensitive && !sqlite_)
        return dialect_->orderExpression(QStringLiteral("CAST(? AS TEXT)"), true);
    return QStringLiteral("?");
}

// One column against one value in index order (descending columns flip the
// comparison; NULLs sit where the engine sorts them: first in ascending order
// on SQLite, last on PostgreSQL).
TTableCursor::Pred TTableCursor::columnPred(const OrderColumn& c, const KeyValue& v, Op op) const {
    const bool nullsFirst = sqlite_ != c.descending;
    const Pred isNull = c.nullable ? Pred::of(c.expr + QStringLiteral(" IS NULL")) : Pred::f();
    const Pred notNull = c.nullable ? Pred::of(c.expr + QStringLiteral(" IS NOT NULL")) : Pred::t();
    if (v.kind == KeyValue::Null) {
        switch (op) {
            case Op::Equal:
                return isNull;
            case Op::After:
                return nullsFirst ? notNull : Pred::f();
            case Op::AtOrAfter:
                return nullsFirst ? Pred::t() : isNull;
            case Op::Before:
                return nullsFirst ? Pred::f() : notNull;
            case Op::AtOrBefore:
                return nullsFirst ? isNull : Pred::t();
        }
    }
    // The comparison on non-NULL values in the column's natural order.
    enum { GT, GE, LT, LE, EQ } n;
    switch (op) {
        case Op::After:
            n = c.descending ? LT : GT;
            break;
        case Op::AtOrAfter:
            n = c.descending ? LE : GE;
            break;
        case Op::Before:
            n = c.descending ? GT : LT;
            break;
        case Op::AtOrBefore:
            n = c.descending ? GE : LE;
            break;
        default:
            n = EQ;
            break;
    }
    Pred base;
    const QString p = param(c);
    switch (v.kind) {
        case KeyValue::Exact: {
            static const char* ops[] = {" > ", " >= ", " < ", " <= ", " = "};
            base = Pred::of(c.expr + QLatin1String(ops[n]) + p, {v.v});
            break;
        }
        case KeyValue::After:
            if (n == EQ)
                base = Pred::f();
            else if (n == GT || n == GE)
                base = Pred::of(c.expr + QStringLiteral(" > ") + p, {v.v});
            else
                base = Pred::of(c.expr + QStringLiteral(" <= ") + p, {v.v});
            break;
        case KeyValue::PlusInf:
            base = (n == LT || n == LE) ? notNull : Pred::f();
            break;
        case KeyValue::MinusInf:
            base = (n == GT || n == GE) ? notNull : Pred::f();
            break;
        default:
            break;
    }
    if ((op == Op::After || op == Op::AtOrAfter) && !nullsFirst) return orP(base, isNull);
    if ((op == Op::Before || op == Op::AtOrBefore) && nullsFirst) return orP(base, isNull);
    return base;
}

// The leading order columns from `from` against `values`, compared as a
// tuple in index order. Row values where the engine can use them as an index
// bound; otherwise an OR chain led by a bound on the first column.
TTableCursor::Pred TTableCursor::tuplePred(int from, const QVector<KeyValue>& values, Op op) const {
    const int k = std::min<int>(values.size(), order_.size() - from);
    if (k <= 0) return Pred::t();
    if (k == 1) return columnPred(order_[from], values[0], op);
    if (op == Op::Equal) {
        Pred r = Pred::t();
        for (int i = 0; i < k; ++i) r = andP(r, columnPred(order_[from + i], values[i], op));
        return r;
    }
    const bool forward = op == Op::After || op == Op::AtOrAfter;
    bool rowValue = true;
    for (int i = 0; i < k && rowValue; ++i) {
        const OrderColumn& c = order_[from + i];
        const bool nullsFirst = sqlite_ != c.descending;
        rowValue = values[i].kind == KeyValue::Exact && c.descending == order_[from].descending &&
                   (!c.nullable || nullsFirst == forward);
    }
    if (rowValue) {
        QString lhs, rhs;
        QVariantList binds;
        for (int i = 0; i < k; ++i) {
            const OrderColumn& c = order_[from + i];
            lhs += (i ? QStringLiteral(", ") : QString()) + c.expr;
            rhs += (i ? QStringLiteral(", ") : QString()) + param(c);
            binds << values[i].v;
        }
        const bool desc = order_[from].descending;
        const char* o;
        switch (op) {
            case Op::After:
                o = desc ? " < " : " > ";
                break;
            case Op::AtOrAfter:
                o = desc ? " <= " : " >= ";
                break;
            case Op::Before:
                o = desc ? " > " : " < ";
                break;
            default:
                o = desc ? " >= " : " <= ";
                break;
        }
        return Pred::of(u'(' + lhs + u')' + QLatin1String(o) + u'(' + rhs + u')', binds);
    }
    const Op strict = forward ? Op::After : Op::Before;
    const Op last = op;
    Pred r = columnPred(order_[from + k - 1], values[k - 1], last);
    for (int i = k - 2; i >= 0; --i) {
        const OrderColumn& c = order_[from + i];
        r = orP(columnPred(c, values[i], strict), andP(columnPred(c, values[i], Op::Equal), r));
    }
    // The bound on the first column lets the engine seek in the index.
    const Op lead = forward ? Op::AtOrAfter : Op::AtOrBefore;
    return andP(columnPred(order_[from], values[0], lead), r);
}

// ------------------------------------------------------------ the cursor

TTableCursor::TTableCursor(TDatabase* db, const QString& table, const TFieldDefs& fields,
                           const QVector<int>& primaryKey, bool readOnly)
    : db_(db),
      dialect_(&db->dialect()),
      sqlite_(db->engine() == Engine::Sqlite),
      tableName_(table),
      fields_(fields),
      primaryKey_(primaryKey),
      readOnly_(readOnly) {
    table_ = dialect_->quoteIdentifier(table);
    QStringList cols;
    for (const TFieldDef& f : fields_) {
        columnNames_ << dialect_->quoteIdentifier(f.Name);
        types_ << f.DataType;
        cols << columnNames_.last();
    }
    if (sqlite_) {
        identity_ = Identity::RowId;
        selectList_ = QStringLiteral("rowid, ") + cols.join(QStringLiteral(", "));
        firstColumn_ = 1;
    } else if (!primaryKey_.isEmpty()) {
        identity_ = Identity::PrimaryKey;
        selectList_ = cols.join(QStringLiteral(", "));
    } else {
        identity_ = Identity::Ctid;
        selectList_ = cols.join(QStringLiteral(", ")) + QStringLiteral(", ctid");
    }
    selectFrom_ = QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") + table_;
    leaveOut({});
    setIndex({});
}

void TTableCursor::leaveOut(const QVector<bool>& columns) {
    leftOut_ = columns;
    unchangedWhere_.clear();
    for (int i = 0; i < fields_.size(); ++i)
        if (!leftOut(i))
            unchangedWhere_ += QStringLiteral(" AND ") +
                               unchangedCondition(sqlite_, columnNames_[i], fields_[i].DataType);
    insertSql_.clear();
}

TTableCursor::~TTableCursor() {
    if (!lockedKey_.isEmpty()) {
        try {
            if (db_->Connected()) db_->UnlockRecord(tableName_, lockedKey_);
        } catch (...) {
        }
    }
}

void TTableCursor::setIndex(const QVector<IndexColumn>& columns) {
    order_.clear();
    auto present = [&](int field) {
        for (const OrderColumn& c : order_)
            if (c.field == field && !c.caseInsensitive) return true;
        return false;
    };
    for (const IndexColumn& ic : columns) {
        const TFieldDef& f = fields_[ic.field];
        const bool ci = ic.caseInsensitive && IsStringType(f.DataType);
        // PostgreSQL keeps key columns NOT NULL; SQLite does not.
        const bool nullable = !f.Required && (sqlite_ || !primaryKey_.contains(ic.field));
        order_.push_back({ic.field, ic.descending, ci, nullable,
                          dialect_->orderExpression(columnNames_[ic.field], ci)});
    }
    indexColumns_ = order_.size();
    rawKeys_ = false;
    for (const OrderColumn& c : order_) {
        const TFieldType t = fields_[c.field].DataType;
        if (sqlite_ && !IsIntegerType(t) && !IsStringType(t)) rawKeys_ = true;
    }
    // The tie-breaker: rows equal on the index keep one stable order.
    if (identity_ == Identity::PrimaryKey) {
        for (int f : primaryKey_)
            if (!present(f)) order_.push_back({f, false, false, false, columnNames_[f]});
    } else {
        order_.push_back(
            {-1, false, false, false, sqlite_ ? QStringLiteral("rowid") : QStringLiteral("ctid")});
    }
    // The ends of every page's statement, written once per order.
    for (const bool forward : {true, false}) {
        QString& tail = orderTail_[forward ? 0 : 1];
        tail = QStringLiteral(" ORDER BY ");
        for (int i = 0; i < order_.size(); ++i) {
            if (i) tail += QStringLiteral(", ");
            tail += order_[i].expr;
            if (order_[i].descending == forward) tail += QStringLiteral(" DESC");
        }
    }
    rebuildBase();
}

void TTableCursor::setMaster(bool active, bool empty, const QVector<QVariant>& values) {
    masterActive_ = active;
    masterEmpty_ = empty;
    masterValues_ = values;
    rebuildBase();
}

void TTableCursor::setRange(const QVector<QVariant>& start, bool startExclusive,
                            const QVector<QVariant>& end, bool endExclusive) {
    rangeSet_ = true;
    rangeStart_ = start;
    rangeEnd_ = end;
    rangeStartExclusive_ = startExclusive;
    rangeEndExclusive_ = endExclusive;
    rebuildBase();
}

void TTableCursor::clearRange() {
    rangeSet_ = false;
    rangeStart_.clear();
    rangeEnd_.clear();
    rebuildBase();
}

void TTableCursor::setPageSize(int initial, int maximum) {
    initialPage_ = std::max(1, initial);
    maxPage_ = std::max(initialPage_, maximum);
}

namespace {
// A condition kept as text (parenthesised when it holds OR); "" is TRUE.
QString asText(const Pred& p) {
    if (p.kind != Pred::Sql) return QString();
    return p.compound ? u'(' + p.sql + u')' : p.sql;
}
Pred fromText(const QString& sql, const QVariantList& binds) {
    return sql.isEmpty() ? Pred::t() : Pred::of(sql, binds);
}
}  // namespace

void TTableCursor::rebuildBase() {
    Pred master = Pred::t(), start = Pred::t(), end = Pred::t();
    int fixed = 0;
    if (masterActive_) {
        if (masterEmpty_) master = Pred::f();
        fixed = std::min<int>(masterValues_.size(), indexColumns_);
        for (int i = 0; i < fixed; ++i) {
            const OrderColumn& c = order_[i];
            master = andP(
                master,
                columnPred(c, boundValue(masterValues_[i], fields_[c.field].DataType), Op::Equal));
        }
    }
    Pred startKnown = Pred::t(), endKnown = Pred::t();
    knownColumn_ = -1;
    if (rangeSet_) {
        auto bound = [&](const QVector<QVariant>& vals, Op op) {
            QVector<KeyValue> kv;
            for (int i = 0; i < vals.size() && fixed + i < indexColumns_; ++i)
                kv << boundValue(vals[i], fields_[order_[fixed + i].field].DataType);
            return tuplePred(fixed, kv, op);
        };
        if (!rangeStart_.isEmpty())
            start = bound(rangeStart_, rangeStartExclusive_ ? Op::After : Op::AtOrAfter);
        if (!rangeEnd_.isEmpty())
            end = bound(rangeEnd_, rangeEndExclusive_ ? Op::Before : Op::AtOrBefore);
        if (fixed < order_.size() && order_[fixed].nullable) {
            knownColumn_ = fixed;
            QScopedValueRollback<bool> known(order_[fixed].nullable, false);
            if (start.kind == Pred::Sql) {
                const Pred p = bound(rangeStart_, rangeStartExclusive_ ? Op::After : Op::AtOrAfter);
                if (p.kind == Pred::Sql) startKnown = p;
            }
            if (end.kind == Pred::Sql) {
                const Pred p = bound(rangeEnd_, rangeEndExclusive_ ? Op::Before : Op::AtOrBefore);
                if (p.kind == Pred::Sql) endKnown = p;
            }
        }
    }
    const Pred where = andP(andP(master, start), end);
    baseEmpty_ = where.kind == Pred::False;
    baseWhere_ = asText(where);
    baseBinds_ = where.binds;
    masterFixed_ = master.kind == Pred::Sql ? fixed : 0;
    masterWhere_ = asText(master);
    masterBinds_ = master.binds;
    startWhere_ = asText(start);
    startBinds_ = start.binds;
    endWhere_ = asText(end);
    endBinds_ = end.binds;
    if (startKnown.kind != Pred::Sql) startKnown = start;
    if (endKnown.kind != Pred::Sql) endKnown = end;
    startWhereKnown_ = asText(startKnown);
    startBindsKnown_ = startKnown.binds;
    endWhereKnown_ = asText(endKnown);
    endBindsKnown_ = endKnown.binds;
    findKeys_ = -1;
    invalidate();
}

void TTableCursor::invalidate() {
    buf_.clear();
    pos_ = -1;
    atStart_ = atEnd_ = false;
}

// PostgreSQL streams a forward-only result row by row, and the savepoint
// statements a transaction adds after each statement would discard the rest:
// our results (pages with a LIMIT) are read whole instead.
QSqlQuery& TTableCursor::prepared(const QString& sql) {
    QSqlQuery& q = db_->Prepared(sql);
    if (!sqlite_) q.setForwardOnly(false);
    return q;
}

// Inside a transaction TDatabase runs each statement under a savepoint: two
// more round trips on PostgreSQL. Reads fail in no way a caller expects to
// survive, so they run straight; inserts, updates and deletes keep a
// savepoint, one per batch of rows where they can (TDatabase::RunWrite), so
// that a row a caller cancels and goes past does not end the transaction of
// the rows around it.
void TTableCursor::runDirect(QSqlQuery& q) {
    if (sqlite_ || !db_->InTransaction()) {
        db_->Run(q);
        return;
    }
    db_->CheckBoundValues(q);
    if (!q.exec()) db_->raiseError(q.lastError(), q.lastQuery());
}

QVector<TTableCursor::Entry> TTableCursor::runSelect(const QString& sql, const QVariantList& binds,
                                                     int limit, const Entry* lead) {
    QSqlQuery& q = prepared(sql);
    TDatabase::BindValues(q, binds);
    runDirect(q);
    QVector<Entry> out;
    out.reserve(limit + 1);
    if (lead) {
        out.push_back(*lead);
        ++limit;  // counted in `out` from here on
    }
    if (sqlite3_stmt* st = sqliteStatement(q)) {
        readSqliteRows(q, st, limit, out);
        return out;
    }
    const int n = fields_.size();
    const PGresult* pg = pgResult(q);
    // The server's column types, looked up once per result.
    int pgRows = 0;
    QVarLengthArray<Oid, 32> oids;
    if (pg && PQnfields(pg) >= firstColumn_ + n) {
        pgRows = PQntuples(pg);
        for (int i = 0; i < n; ++i) oids.append(PQftype(pg, firstColumn_ + i));
    }
    // Once the statement's LIMIT is reached there is nothing more to step to.
    while (out.size() < limit && q.next()) {
        Entry& e = out.emplace_back();
        e.row.values.resize(n);
        QVariant* v = e.row.values.data();
        const int at = q.at();
        const bool whole = at >= 0 && at < pgRows;
        for (int i = 0; i < n; ++i) {
            if (!whole || !pgCanonical(pg, at, firstColumn_ + i, oids[i], types_[i], v[i]))
                v[i] = fromStorage(q.value(firstColumn_ + i), types_[i]);
        }
        const QVariant* values = e.row.values.constData();
        switch (identity_) {
            case Identity::RowId:
                e.row.identity = q.value(0).toLongLong();
                break;
            case Identity::Ctid:
                e.row.identity = q.value(n).toString();
                break;
            case Identity::PrimaryKey: {
                QVariantList id;
                id.reserve(primaryKey_.size());
                for (int f : primaryKey_) id << values[f];
                e.row.identity = id;
                break;
            }
        }
        // Keys whose stored spelling our conversion might not give back
        // (dates as text on SQLite) are kept as stored.
        if (rawKeys_) {
            e.key.reserve(order_.size());
            for (const OrderColumn& c : order_)
                e.key << (c.field < 0 ? e.row.identity : q.value(firstColumn_ + c.field));
        }
    }
    q.finish();
    return out;
}

// The rows of an executed SQLite statement read straight from the engine's
// row into the fields' types: a page of a walk costs no variant per stored
// value and no date text. The driver's exec leaves the statement on its first
// row (or reset when there is none), so the rows are read from there.
void TTableCursor::readSqliteRows(QSqlQuery& q, sqlite3_stmt* st, int limit, QVector<Entry>& out) {
    struct Finish {
        QSqlQuery& q;
        ~Finish() { q.finish(); }
    } finish{q};
    const int n = fields_.size();
    bool onRow = sqlite3_data_count(st) > 0;
    // Once the statement's LIMIT is reached there is nothing more to step to.
    while (onRow && out.size() < limit) {
        Entry& e = out.emplace_back();
        e.row.values.reserve(n);
        for (int i = 0; i < n; ++i)
            e.row.values.emplace_back(sqliteCanonical(st, firstColumn_ + i, types_[i]));
        e.row.identity = QVariant(qlonglong(sqlite3_column_int64(st, 0)));  // rowid
        // Keys whose stored spelling our conversion might not give back
        // (dates as text) are kept as stored.
        if (rawKeys_) {
            e.key.reserve(order_.size());
            for (const OrderColumn& c : order_)
                e.key << (c.field < 0 ? e.row.identity : sqliteStored(st, firstColumn_ + c.field));
        }
        if (out.size() >= limit) break;
        const int rc = sqlite3_step(st);
        onRow = rc == SQLITE_ROW;
        if (!onRow && rc != SQLITE_DONE) {
            // As the driver reports a failed step, instead of taking the rows
            // read so far for the whole result.
            db_->raiseError(SqliteStepError(st, rc), q.lastQuery());
        }
    }
}

QVector<TTableCursor::Entry> TTableCursor::fetch(bool forward, const Entry* from, int limit,
                                                 const Pred* extra, QString* written,
                                                 bool keepFrom) {
    if (baseEmpty_) return {};
    Pred where = fromText(baseWhere_, baseBinds_);
    QVector<QVariant> fromKey;
    if (from) fromKey = keyOf(*from);
    if (from && from->inSet) {
        // From a row of the set, the bound behind it and the master's
        // columns are known to hold; leaving them out lets the engine seek
        // straight to the key instead of walking from the range's start.
        // When the NULLs of the range's first column sort behind a row that
        // has a value there, none of them can come after it.
        const int first = knownColumn_;
        const bool known = first >= 0 && first < fromKey.size() &&
                           exactValue(fromKey[first]).kind == KeyValue::Exact &&
                           (sqlite_ != order_[first].descending) == forward;
        if (forward)
            where = andP(
                fromText(masterWhere_, masterBinds_),
                known ? fromText(endWhereKnown_, endBindsKnown_) : fromText(endWhere_, endBinds_));
        else
            where = andP(fromText(masterWhere_, masterBinds_),
                         known ? fromText(startWhereKnown_, startBindsKnown_)
                               : fromText(startWhere_, startBinds_));
    }
    if (extra) where = andP(where, *extra);
    if (from) {
        const int skip = from->inSet ? masterFixed_ : 0;
        QVector<KeyValue> key;
        key.reserve(fromKey.size() - skip);
        for (int i = skip; i < fromKey.size(); ++i) key << exactValue(fromKey[i]);
        where = andP(where, tuplePred(skip, key, forward ? Op::After : Op::Before));
    }
    if (where.kind == Pred::False) return {};
    QString sql = selectFrom_;
    if (where.kind == Pred::Sql) sql += QStringLiteral(" WHERE ") + where.sql;
    sql += orderTail_[forward ? 0 : 1];
    // The row count written out: PostgreSQL plans a statement whose LIMIT
    // is a parameter again at every run, one with a written LIMIT once.
    sql += QStringLiteral(" LIMIT ") + QString::number(limit);
    const QVariantList& binds = where.binds;
    if (written) *written = sql;
    return runSelect(sql, binds, limit, keepFrom ? from : nullptr);
}

int TTableCursor::growPage(bool forward) {
    int& p = forward ? pageForward_ : pageBackward_;
    p = p ? std::min(p * 2, maxPage_) : initialPage_;
    (forward ? pageBackward_ : pageForward_) = 0;
    return p;
}

// A row is in the buffer once; the one written or sought is mostly the
// current one, looked at first.
int TTableCursor::liveEntry(const QVariant& identity) const {
    if (pos_ >= 0 && pos_ < buf_.size() && !buf_[pos_].deleted &&
        buf_[pos_].row.identity == identity)
        return pos_;
    for (int i = 0; i < buf_.size(); ++i)
        if (!buf_[i].deleted && buf_[i].row.identity == identity) return i;
    return -1;
}

bool TTableCursor::deliver(TRow& row) {
    if (pos_ < 0 || pos_ >= buf_.size()) return false;
    row = buf_[pos_].row;
    return true;
}

bool TTableCursor::first(TRow& row) {
    pageForward_ = pageBackward_ = 0;
    const int limit = growPage(true);
    buf_ = fetch(true, nullptr, limit, nullptr);
    atStart_ = true;
    atEnd_ = buf_.size() < limit;
    pos_ = -1;
    if (buf_.isEmpty()) {
        pos_ = 0;
        return false;
    }
    return next(row);
}

bool TTableCursor::last(TRow& row) {
    pageForward_ = pageBackward_ = 0;
    const int limit = growPage(false);
    buf_ = fetch(false, nullptr, limit, nullptr);
    std::reverse(buf_.begin(), buf_.end());
    atEnd_ = true;
    atStart_ = buf_.size() < limit;
    pos_ = buf_.size();
    if (buf_.isEmpty()) {
        pos_ = -1;
        return false;
    }
    return prior(row);
}

bool TTableCursor::next(TRow& row) {
    for (;;) {
        int p = std::max(pos_, -1) + 1;
        while (p < buf_.size() && buf_[p].deleted) ++p;
        if (p < buf_.size()) {
            pos_ = p;
            return deliver(row);
        }
        if (atEnd_) {
            pos_ = buf_.size();
            return false;
        }
        if (buf_.isEmpty()) return first(row);
        const int limit = growPage(true);
        // Keep the row we came from, so that stepping back costs no query.
        QVector<Entry> rows = fetch(true, &buf_.back(), limit, nullptr, nullptr, true);
        if (rows.isEmpty()) rows.push_back(buf_.back());
        atEnd_ = rows.size() - 1 < limit;
        atStart_ = false;
        buf_ = std::move(rows);
        pos_ = 0;
        if (buf_.size() == 1) {
            pos_ = 1;
            return false;
        }
    }
}

bool TTableCursor::prior(TRow& row) {
    for (;;) {
        int p = std::min<int>(pos_, buf_.size()) - 1;
        while (p >= 0 && buf_[p].deleted) --p;
        if (p >= 0) {
            pos_ = p;
            return deliver(row);
        }
        if (atStart_) {
            pos_ = -1;
            return false;
        }
        if (buf_.isEmpty()) return last(row);
        const int limit = growPage(false);
        QVector<Entry> rows = fetch(false, &buf_.front(), limit, nullptr);
        Entry anchor = buf_.front();
        atStart_ = rows.size() < limit;
        atEnd_ = false;
        std::reverse(rows.begin(), rows.end());
        rows.push_back(std::move(anchor));
        buf_ = std::move(rows);
        pos_ = buf_.size() - 1;
        if (buf_.size() == 1) {
            pos_ = -1;
            return false;
        }
    }
}

QVariantList TTableCursor::identityStorage(const QVariant& identity) const {
    QVariantList out;
    if (identity_ == Identity::PrimaryKey) {
        const QVariantList id = identity.toList();
        for (int i = 0; i < primaryKey_.size() && i < id.size(); ++i)
            out << toStorage(id[i], fields_[primaryKey_[i]].DataType, sqlite_);
    } else {
        out << identity;
    }
    return out;
}

QString TTableCursor::identityCondition(QVariantList& binds, const QVariant& identity) const {
    switch (identity_) {
        case Identity::RowId:
            binds << identity;
            return QStringLiteral("rowid = ?");
        case Identity::Ctid:
            binds << identity;
            return QStringLiteral("ctid = CAST(? AS tid)");
        case Identity::PrimaryKey: {
            QString s;
            const QVariantList vals = identityStorage(identity);
            for (int i = 0; i < primaryKey_.size(); ++i) {
                if (i) s += QStringLiteral(" AND ");
                s += columnNames_[primaryKey_[i]] + QStringLiteral(" = ?");
                binds << vals.value(i);
            }
            return s;
        }
    }
    return QString();
}

bool TTableCursor::seek(const QVariant& identity, TRow& row) {
    if (baseEmpty_ || !identity.isValid()) return false;
    // The row is read again (another user may have changed or deleted it);
    // when it is in the page, the page stays around it.
    QVariantList binds = baseBinds_;
    QString where = identityCondition(binds, identity);
    if (!baseWhere_.isEmpty()) where = baseWhere_ + QStringLiteral(" AND ") + where;
    QVector<Entry> rows = runSelect(selectFrom_ + QStringLiteral(" WHERE ") + where, binds);
    if (const int i = liveEntry(identity); i >= 0) {
        if (rows.isEmpty()) {
            buf_[i].deleted = true;
            return false;
        }
        if (keyOf(rows.first()) == keyOf(buf_[i])) {
            buf_[i] = rows.first();
            pos_ = i;
            return deliver(row);
        }
    }
    if (rows.isEmpty()) return false;
    buf_ = {rows.first()};
    pos_ = 0;
    atStart_ = atEnd_ = false;
    pageForward_ = pageBackward_ = 0;
    return deliver(row);
}

bool TTableCursor::findKey(const QVector<QVariant>& values, bool nearest,
                           const std::function<bool(const TRow&)>& accept, TRow& row) {
    QVector<KeyValue> kv;
    kv.reserve(std::min<int>(values.size(), indexColumns_));
    for (int i = 0; i < values.size() && i < indexColumns_; ++i)
        kv << boundValue(values[i], fields_[order_[i].field].DataType);
    // A search for exact values of the same key length writes the same
    // statement, with the values bound in order: it is written once per
    // order, range and master.
    bool exact = !nearest;
    for (const KeyValue& v : kv) exact = exact && v.kind == KeyValue::Exact;
    const bool written = exact && findKeys_ == kv.size();
    Pred extra;
    if (!written) {
        extra = tuplePred(0, kv, nearest ? Op::AtOrAfter : Op::Equal);
        if (extra.kind == Pred::False) return false;
    }
    // One row is what a search usually needs; rows a filter hides make the
    // following reads larger.
    int limit = 1;
    Entry from;
    bool haveFrom = false;
    for (;;) {
        QVector<Entry> rows;
        if (written && !haveFrom) {
            if (baseEmpty_) return false;
            QVariantList binds;
            binds.reserve(baseBinds_.size() + kv.size());
            binds += baseBinds_;
            for (const KeyValue& v : kv) binds << v.v;
            rows = runSelect(findSql_, binds, limit);  // written with this limit
        } else {
            if (written) extra = tuplePred(0, kv, Op::Equal);
            QString sql;
            rows = fetch(true, haveFrom ? &from : nullptr, limit, &extra, &sql);
            if (exact && !haveFrom && !sql.isEmpty()) {
                findSql_ = sql;
                findKeys_ = kv.size();
            }
        }
        for (const Entry& e : rows) {
            if (!accept || accept(e.row)) {
                buf_ = {e};
                pos_ = 0;
                atStart_ = atEnd_ = false;
                pageForward_ = pageBackward_ = 0;
                return deliver(row);
            }
        }
        if (rows.size() < limit) return false;
        from = rows.last();
        haveFrom = true;
        limit = std::min(limit * 8, maxPage_);
    }
}

int TTableCursor::recordCount() {
    if (baseEmpty_) return 0;
    QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table_;
    if (!baseWhere_.isEmpty()) sql += QStringLiteral(" WHERE ") + baseWhere_;
    QSqlQuery& q = prepared(sql);
    TDatabase::BindValues(q, baseBinds_);
    runDirect(q);
    const int n = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return n;
}
