#include "db/sysutils.h"
#include "db/typednumber.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include "db/dberror.h"

// Everything here works on the characters of the text, never through the C or
// Qt locale, so that the process locale (C on the build machines) cannot change
// a result.

namespace {

// With TZ unset the C library takes the system's zone file as the default and,
// at every local-time conversion (each QDateTime made from a date and a time),
// looks at that file again to see whether it changed: a system call per row in
// a calendar generation or a listing fill. Naming the same file in TZ once,
// before any thread starts, reads the zone once and keeps every conversion
// exactly as it was (":/etc/localtime" is the default the library would use).
struct ZonaLeidaUnaVez {
    ZonaLeidaUnaVez() {
        const char* tz = std::getenv("TZ");
        struct stat st;
        if (tz == nullptr && ::stat("/etc/localtime", &st) == 0) {
            ::setenv("TZ", ":/etc/localtime", 0);
            ::tzset();
        }
    }
};
const ZonaLeidaUnaVez zonaLeidaUnaVez;

constexpr QChar kDecimal = QLatin1Char(',');
constexpr QChar kThousands = QLatin1Char('.');
constexpr qint64 kMsecsPerDay = 86400000;

const char* const kLongMonths[12] = {"enero",      "febrero", "marzo",     "abril",
                                     "mayo",       "junio",   "julio",     "agosto",
                                     "septiembre", "octubre", "noviembre", "diciembre"};
const char* const kShortMonths[12] = {"ene", "feb", "mar", "abr", "may", "jun",
                                      "jul", "ago", "sep", "oct", "nov", "dic"};
// Index 0 is Monday, as QDate::dayOfWeek() - 1.
const char* const kLongDays[7] = {"lunes",   "martes", "miércoles", "jueves",
                                  "viernes", "sábado", "domingo"};
const char* const kShortDays[7] = {"lun", "mar", "mié", "jue", "vie", "sáb", "dom"};

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString trimmedBlanks(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text.at(b))) ++b;
    while (e > b && isBlank(text.at(e - 1))) --e;
    return text.mid(b, e - b);
}

[[noreturn]] void raise(const char* pattern, const QString& text) {
    throw EConvertError(QString::fromLatin1(pattern).arg(text));
}

QString pad(qint64 value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------
// Decimal digits of a double, as the runtime's FloatToDecimal gives them:
// value = 0.d1d2d3... x 10^exponent, at most 15 significant digits (what a
// double holds), no trailing zeros; an empty digit string is zero.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
    bool negative = false;
};

// Rounds half away from zero so that `digits` keeps `keep` digits.
void roundDigits(DecimalDigits& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.resize(keep > 0 ? keep : 1);
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// precision: significant digits (1..15); decimals: digits kept after the
// decimal point, or a large number for "no limit".
DecimalDigits floatToDecimal(double value, int precision, int decimals) {
    DecimalDigits d;
    d.negative = std::signbit(value) && value != 0.0;
    if (value == 0.0) return d;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string s(buf, res.ptr);
    const auto e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.') d.digits.push_back(s[i]);
    int exp10 = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), exp10);
    d.exponent = exp10 + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    roundDigits(d, std::clamp(precision, 1, 15));
    if (decimals < 1000) roundDigits(d, d.exponent + decimals);
    if (d.digits.empty()) d.exponent = 0;
    return d;
}

// ---------------------------------------------------------------------------
// FormatFloat

struct Section {
    qsizetype begin = 0;  // first character of the section in the format
    qsizetype end = 0;    // one past its last character
};

// Sections of a format, split at ";" outside quotes.
QList<Section> splitSections(const QString& f) {
    QList<Section> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = f.indexOf(c, i + 1);
            i = close < 0 ? f.size() - 1 : close;
        } else if (c == QLatin1Char(';')) {
            out.append({start, i});
            start = i + 1;
        }
    }
    out.append({start, f.size()});
    return out;
}

struct SectionScan {
    int digitCount = 0;
    int decimalIndex = -1;
    int firstDigit = 32767;
    int lastDigit = 0;
    bool thousands = false;
    bool scientific = false;
};

SectionScan scanSection(const QString& f, Section s) {
    SectionScan r;
    for (qsizetype i = s.begin; i < s.end; ++i) {
        const QChar c = f.at(i);
        switch (c.unicode()) {
            case '#':
                ++r.digitCount;
                break;
            case '0':
                if (r.digitCount < r.firstDigit) r.firstDigit = r.digitCount;
                ++r.digitCount;
                r.lastDigit = r.digitCount;
                break;
            case '.':
                if (r.decimalIndex == -1) r.decimalIndex = r.digitCount;
                break;
            case ',':
                r.thousands = true;
                break;
            case 'e':
            case 'E':
                if (i + 1 < s.end &&
                    (f.at(i + 1) == QLatin1Char('+') || f.at(i + 1) == QLatin1Char('-'))) {
                    r.scientific = true;
                    i += 2;
                    while (i < s.end && f.at(i) == QLatin1Char('0')) ++i;
                    --i;
                }
                break;
            case '\'':
            case '"': {
                const qsizetype close = f.indexOf(c, i + 1);
                i = (close < 0 || close >= s.end) ? s.end : close;
                break;
            }
            default:
                break;
        }
    }
    if (r.decimalIndex == -1) r.decimalIndex = r.digitCount;
    return r;
}

QString applySection(const QString& f, Section s, const SectionScan& scan, DecimalDigits fr,
                     bool addMinus) {
    QString out;
    if (addMinus) out += QLatin1Char('-');

    int digitPlace, digitDelta;
    int exponent = fr.exponent;
    if (scan.scientific) {
        digitPlace = scan.decimalIndex;
        digitDelta = 0;
        exponent = fr.digits.empty() ? 0 : fr.exponent - scan.decimalIndex;
    } else {
        digitDelta = fr.exponent - scan.decimalIndex;
        digitPlace = digitDelta > 0 ? fr.exponent : scan.decimalIndex;
    }
    // Places are counted from the decimal point: 1 is the units, 0 the first
    // decimal, -1 the second... A "#" drops only the integer part's leading
    // zeros: zeros between the decimal point and the first digit are written.
    const int firstDigit = std::max(scan.decimalIndex - scan.firstDigit, 0);
    // Digits of the integer part are always written; decimals only down to the
    // last "0" of the mask.
    const int lastDigit = std::min(scan.decimalIndex - scan.lastDigit, 0);
    size_t next = 0;

    auto writeDigit = [&](char d) {
        if (digitPlace == 0) out += kDecimal;
        out += QLatin1Char(d);
        --digitPlace;
        if (scan.thousands && digitPlace > 1 && digitPlace % 3 == 0 && !scan.scientific)
            out += kThousands;
    };
    auto addDigit = [&] {
        if (next < fr.digits.size()) {
            writeDigit(fr.digits[next++]);
        } else if (digitPlace <= lastDigit) {
            --digitPlace;
        } else {
            writeDigit('0');
        }
    };
    auto putDigit = [&] {
        if (digitDelta < 0) {
            ++digitDelta;
            if (digitPlace <= firstDigit)
                writeDigit('0');
            else
                --digitPlace;
        } else {
            while (digitDelta > 0) {
                addDigit();
                --digitDelta;
            }
            addDigit();
        }
    };

    for (qsizetype i = s.begin; i < s.end; ++i) {
        const QChar c = f.at(i);
        switch (c.unicode()) {
            case '#':
            case '0':
                putDigit();
                break;
            case '.':
            case ',':
                break;
            case '\'':
            case '"': {
                qsizetype close = f.indexOf(c, i + 1);
                if (close < 0 || close >= s.end) close = s.end;
                out += QStringView(f).mid(i + 1, close - i - 1);
                i = close;
                break;
            }
            case 'e':
            case 'E':
                if (scan.scientific && i + 1 < s.end &&
                    (f.at(i + 1) == QLatin1Char('+') || f.at(i + 1) == QLatin1Char('-'))) {
                    out += c;
                    const bool plus = f.at(i + 1) == QLatin1Char('+');
                    i += 2;
                    int minDigits = 0;
                    while (i < s.end && f.at(i) == QLatin1Char('0')) {
                        ++minDigits;
                        ++i;
                    }
                    --i;
                    if (exponent < 0)
                        out += QLatin1Char('-');
                    else if (plus)
                        out += QLatin1Char('+');
                    out += pad(std::abs(exponent), std::min(minDigits, 4));
                } else {
                    out += c;
                }
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Dates

struct Scanner {
    const QString& s;
    qsizetype pos = 0;

    void skipBlanks() {
        while (pos < s.size() && isBlank(s.at(pos))) ++pos;
    }
    bool atEnd() const { return pos >= s.size(); }
    // Digits; returns false when there are none. `len` receives their count.
    bool number(int& value, int& len) {
        qsizetype p = pos;
        qint64 v = 0;
        while (p < s.size() && isDigit(s.at(p)) && p - pos < 9)
            v = v * 10 + (s.at(p++).unicode() - '0');
        if (p < s.size() && isDigit(s.at(p))) return false;  // absurdly long
        len = int(p - pos);
        if (len == 0) return false;
        value = int(v);
        pos = p;
        return true;
    }
    bool oneOf(const char* chars, QChar* found = nullptr) {
        if (pos < s.size() && s.at(pos).unicode() < 128 &&
            std::strchr(chars, s.at(pos).toLatin1()) && s.at(pos) != QChar()) {
            if (found) *found = s.at(pos);
            ++pos;
            return true;
        }
        return false;
    }
};

int expandYear(int year, int len) {
    if (len <= 2) return year < 50 ? 2000 + year : 1900 + year;
    return year;
}

bool scanDate(Scanner& sc, QDate& out) {
    int n[3] = {0, 0, 0}, len[3] = {0, 0, 0};
    if (!sc.number(n[0], len[0])) return false;
    QChar sep;
    if (!sc.oneOf("/-.", &sep)) return false;
    if (!sc.number(n[1], len[1])) return false;
    int count = 2;
    const qsizetype save = sc.pos;
    if (sc.oneOf("/-.") && sc.s.at(sc.pos - 1) == sep) {
        if (sc.number(n[2], len[2]))
            count = 3;
        else
            sc.pos = save;
    } else {
        sc.pos = save;
    }
    int y, m, d;
    if (count == 3 && len[0] > 2) {  // 2024-03-15: year first
        y = n[0];
        m = n[1];
        d = n[2];
    } else if (count == 3) {
        d = n[0];
        m = n[1];
        y = expandYear(n[2], len[2]);
    } else {
        d = n[0];
        m = n[1];
        y = QDate::currentDate().year();
    }
    if (y < 1 || y > 9999) return false;
    const QDate date(y, m, d);
    if (!date.isValid()) return false;
    out = date;
    return true;
}

bool scanTime(Scanner& sc, QTime& out) {
    int h, m, s = 0, ms = 0, len;
    if (!sc.number(h, len)) return false;
    if (!sc.oneOf(":")) return false;
    if (!sc.number(m, len)) return false;
    if (sc.oneOf(":")) {
        if (!sc.number(s, len)) return false;
        const qsizetype save = sc.pos;
        if (sc.oneOf(",.")) {
            int frac;
            if (!sc.number(frac, len) || len > 3) {
                sc.pos = save;
                return false;
            }
            ms = len == 1 ? frac * 100 : len == 2 ? frac * 10 : frac;
        }
    }
    sc.skipBlanks();
    // am / pm suffixes
    const QStringView rest = QStringView(sc.s).mid(sc.pos);
    auto suffix = [&](const char* word) {
        if (rest.startsWith(QLatin1String(word), Qt::CaseInsensitive)) {
            sc.pos += qsizetype(std::strlen(word));
            return true;
        }
        return false;
    };
    if (suffix("am") || suffix("a.m.")) {
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
    } else if (suffix("pm") || suffix("p.m.")) {
        if (h < 1 || h > 12) return false;
        if (h != 12) h += 12;
    }
    if (h > 23 || m > 59 || s > 59) return false;
    out = QTime(h, m, s, ms);
    return out.isValid();
}

}  // namespace

// ---------------------------------------------------------------------------
// Zero date and day numbers

QDate ZeroDate() {
    return QDate(1899, 12, 30);
}
QDateTime ZeroDateTime() {
    return QDateTime(ZeroDate(), QTime(0, 0));
}
bool IsZeroDate(const QDate& d) {
    return d == ZeroDate();
}
bool IsZeroDate(const QDateTime& d) {
    return d.isValid() && d.date() == ZeroDate() && d.time() == QTime(0, 0);
}

double DateTimeToDouble(const QDateTime& dt) {
    if (!dt.isValid()) return 0.0;
    const qint64 days = ZeroDate().daysTo(dt.date());
    const double frac = double(dt.time().msecsSinceStartOfDay()) / double(kMsecsPerDay);
    // Before the zero date the day is negative and the time still counts
    // forward within it: -1.25 is 29/12/1899 06:00.
    return days >= 0 ? double(days) + frac : double(days) - frac;
}

QDateTime DoubleToDateTime(double value) {
    // 01/01/0001 .. 31/12/9999, the runtime's range of dates.
    if (!std::isfinite(value) || value < -693594.0 || value >= 2958466.0) return QDateTime();
    qint64 days = qint64(std::trunc(value));
    qint64 ms = qint64(std::llround(std::fabs(value - double(days)) * double(kMsecsPerDay)));
    if (ms >= kMsecsPerDay) {
        if (days >= 2958465) {
            ms = kMsecsPerDay - 1;  // the last instant of 31/12/9999
        } else {
            ms -= kMsecsPerDay;
            days += value >= 0 ? 1 : -1;
        }
    }
    return QDateTime(ZeroDate().addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

// ---------------------------------------------------------------------------
// Numbers

bool TryStrToFloat(const QString& text, double& value) {
    const QString t = trimmedBlanks(text);
    std::string norm;
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        if (t.at(i) == QLatin1Char('-')) norm.push_back('-');
        ++i;
    }
    const bool commaDecimal = t.contains(QLatin1Char(','));
    int intDigits = 0, fracDigits = 0;
    bool groups = false;
    int groupLen = 0;  // digits since the last thousands mark
    // Integer part, with "." thousands marks only when "," is the decimal mark.
    while (i < n) {
        const QChar c = t.at(i);
        if (isDigit(c)) {
            norm.push_back(char(c.unicode()));
            ++intDigits;
            ++groupLen;
            ++i;
        } else if (c == QLatin1Char('.') && commaDecimal) {
            if (intDigits == 0 || (groups && groupLen != 3) || (!groups && groupLen > 3))
                return false;
            groups = true;
            groupLen = 0;
            ++i;
        } else {
            break;
        }
    }
    if (groups && groupLen != 3) return false;
    if (i < n && (t.at(i) == (commaDecimal ? QLatin1Char(',') : QLatin1Char('.')))) {
        norm.push_back('.');
        ++i;
        while (i < n && isDigit(t.at(i))) {
            norm.push_back(char(t.at(i).unicode()));
            ++fracDigits;
            ++i;
        }
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < n && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        norm.push_back('e');
        ++i;
        if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
            norm.push_back(char(t.at(i).unicode()));
            ++i;
        }
        int expDigits = 0;
        while (i < n && isDigit(t.at(i))) {
            norm.push_back(char(t.at(i).unicode()));
            ++expDigits;
            ++i;
        }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    double v = 0;
    const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (res.ec != std::errc() || res.ptr != norm.data() + norm.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool TryTypedStrToFloat(const QString& text, double& value) {
    // A "." is a thousands mark only in a well-formed grouping of the whole
    // part: a first group of one to three digits not starting with 0, then
    // groups of exactly three. "0.125" or "12345.678" would otherwise be read
    // as another number; they are no figure at all.
    if (!text.contains(kThousands)) return TryStrToFloat(text, value);
    const QString t = trimmedBlanks(text);
    qsizetype start = 0;
    if (start < t.size() && (t.at(start) == QLatin1Char('+') || t.at(start) == QLatin1Char('-')))
        ++start;
    qsizetype end = t.indexOf(kDecimal, start);
    if (end < 0) end = t.size();
    if (t.indexOf(kThousands, end) >= 0) return false;  // none after the comma
    const QStringList groups = t.mid(start, end - start).split(kThousands);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QString& group = groups.at(g);
        const bool sized = g == 0 ? group.size() >= 1 && group.size() <= 3 : group.size() == 3;
        if (!sized || !std::all_of(group.begin(), group.end(), isDigit)) return false;
    }
    if (groups.first().at(0) == QLatin1Char('0')) return false;
    return TryStrToFloat(t.left(start) + groups.join(QString()) + t.mid(end), value);
}

double StrToFloat(const QString& text) {
    double v;
    if (!TryStrToFloat(text, v)) raise("'%1' is not a valid floating point value", text);
    return v;
}

bool TryStrToInt64(const QString& text, qint64& value) {
    const QString t = trimmedBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size()) return false;
    quint64 v = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (!isDigit(c)) return false;
        const quint64 d = c.unicode() - '0';
        if (v > (limit - d) / 10) return false;
        v = v * 10 + d;
    }
    value = negative ? qint64(0 - v) : qint64(v);
    return true;
}

bool TryStrToInt(const QString& text, int& value) {
    qint64 v;
    if (!TryStrToInt64(text, v) || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

int StrToInt(const QString& text) {
    int v;
    if (!TryStrToInt(text, v)) raise("'%1' is not a valid integer value", text);
    return v;
}

qint64 StrToInt64(const QString& text) {
    qint64 v;
    if (!TryStrToInt64(text, v)) raise("'%1' is not a valid integer value", text);
    return v;
}

QString IntToStr(qint64 value) {
    return QString::number(value);
}

QString FloatToStr(double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const DecimalDigits d = floatToDecimal(value, 15, 100000);
    if (d.digits.empty()) return QStringLiteral("0");
    QString out;
    if (d.negative) out += QLatin1Char('-');
    const int nd = int(d.digits.size());
    if (d.exponent > 15 || d.exponent < -4) {
        // Scientific: d,ddddE+x
        out += QLatin1Char(d.digits[0]);
        if (nd > 1) {
            out += kDecimal;
            out += QLatin1String(d.digits.data() + 1, nd - 1);
        }
        const int e = d.exponent - 1;
        out += QLatin1Char('E');
        out += QString::number(e);  // "1E20", "1,5E-7": no plus sign, no padding
        return out;
    }
    if (d.exponent <= 0) {
        out += QLatin1String("0,");
        out += QString(-d.exponent, QLatin1Char('0'));
        out += QLatin1String(d.digits.data(), nd);
    } else if (nd <= d.exponent) {
        out += QLatin1String(d.digits.data(), nd);
        out += QString(d.exponent - nd, QLatin1Char('0'));
    } else {
        out += QLatin1String(d.digits.data(), d.exponent);
        out += kDecimal;
        out += QLatin1String(d.digits.data() + d.exponent, nd - d.exponent);
    }
    return out;
}

QString FormatFloat(const QString& format, double value) {
    if (format.isEmpty() || !std::isfinite(value)) return FloatToStr(value);
    const QList<Section> sections = splitSections(format);
    // A missing or empty section falls back to the first one.
    auto pick = [&](int index) -> int {
        if (index < sections.size() && sections[index].end > sections[index].begin) return index;
        return 0;
    };
    int index = pick(value > 0 ? 0 : value < 0 ? 1 : 2);
    // An empty positive section is the general format, never an empty text.
    auto empty = [&](int i) { return sections[i].end <= sections[i].begin; };
    if (empty(index)) return FloatToStr(value);
    SectionScan scan = scanSection(format, sections[index]);
    DecimalDigits fr;
    if (scan.scientific) {
        fr = floatToDecimal(value, std::max(scan.digitCount, 1), 100000);
    } else {
        fr = floatToDecimal(value, 15, scan.digitCount - scan.decimalIndex);
        if (fr.exponent > 18) return FloatToStr(value);
    }
    if (fr.digits.empty() && value != 0) {
        // The value rounds to zero under the mask: it is written as zero, with
        // the zero section when there is one and never with a minus sign.
        index = pick(2);
        if (empty(index)) return FloatToStr(0.0);
        scan = scanSection(format, sections[index]);
        fr = DecimalDigits();
    }
    return applySection(format, sections[index], scan, fr, fr.negative && index == 0);
}

// ---------------------------------------------------------------------------
// Dates and times

QString DateToStr(const QDate& d) {
    if (!d.isValid()) return QString();
    return pad(d.day(), 2) + QLatin1Char('/') + pad(d.month(), 2) + QLatin1Char('/') +
           pad(d.year(), 4);
}

QString TimeToStr(const QTime& t) {
    if (!t.isValid()) return QString();
    return pad(t.hour(), 2) + QLatin1Char(':') + pad(t.minute(), 2) + QLatin1Char(':') +
           pad(t.second(), 2);
}

QString DateTimeToStr(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    QString s = DateToStr(dt.date());
    const QTime t = dt.time();
    if (t.isValid() && t.msecsSinceStartOfDay() != 0) s += QLatin1Char(' ') + TimeToStr(t);
    return s;
}

bool TryStrToDate(const QString& text, QDate& value) {
    Scanner sc{text};
    sc.skipBlanks();
    QDate d;
    if (!scanDate(sc, d)) return false;
    sc.skipBlanks();
    if (!sc.atEnd()) return false;
    value = d;
    return true;
}

QDate StrToDate(const QString& text) {
    QDate d;
    if (!TryStrToDate(text, d)) raise("'%1' is not a valid date", text);
    return d;
}

bool TryStrToTime(const QString& text, QTime& value) {
    Scanner sc{text};
    sc.skipBlanks();
    QTime t;
    if (!scanTime(sc, t)) return false;
    sc.skipBlanks();
    if (!sc.atEnd()) return false;
    value = t;
    return true;
}

QTime StrToTime(const QString& text) {
    QTime t;
    if (!TryStrToTime(text, t)) raise("'%1' is not a valid time", text);
    return t;
}

bool TryStrToDateTime(const QString& text, QDateTime& value) {
    Scanner sc{text};
    sc.skipBlanks();
    QDate d;
    QTime t(0, 0);
    const qsizetype start = sc.pos;
    if (scanDate(sc, d)) {
        sc.skipBlanks();
        if (!sc.atEnd()) {
            if (!scanTime(sc, t)) return false;
            sc.skipBlanks();
        }
    } else {
        // A time alone is that time on the zero date.
        sc.pos = start;
        if (!scanTime(sc, t)) return false;
        d = ZeroDate();
        sc.skipBlanks();
    }
    if (!sc.atEnd()) return false;
    value = QDateTime(d, t);
    return true;
}

QDateTime StrToDateTime(const QString& text) {
    QDateTime dt;
    if (!TryStrToDateTime(text, dt)) raise("'%1' is not a valid date and time", text);
    return dt;
}

QString FormatDateTime(const QString& format, const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    if (format.isEmpty()) return FormatDateTime(QStringLiteral("c"), dt);
    const QDate date = dt.date();
    const QTime time = dt.time().isValid() ? dt.time() : QTime(0, 0);
    QString out;
    QChar lastToken;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar starter = format.at(i);
        QChar token = starter.toUpper();
        if (token >= QLatin1Char('A') && token <= QLatin1Char('Z') && starter.unicode() < 128) {
            // "m" right after an hour token means minutes.
            if (token == QLatin1Char('M') && lastToken == QLatin1Char('H'))
                token = QLatin1Char('N');
            lastToken = token;
        }
        int count = 1;
        auto getCount = [&] {
            while (i + count < n && format.at(i + count).toUpper() == starter.toUpper()) ++count;
        };
        switch (token.unicode()) {
            case 'Y':
                getCount();
                out += count <= 2 ? pad(date.year() % 100, 2) : pad(date.year(), 4);
                break;
            case 'M':
                getCount();
                if (count <= 2)
                    out += pad(date.month(), count);
                else if (count == 3)
                    out += QString::fromUtf8(kShortMonths[date.month() - 1]);
                else
                    out += QString::fromUtf8(kLongMonths[date.month() - 1]);
                break;
            case 'D':
                getCount();
                switch (count) {
                    case 1:
                    case 2:
                        out += pad(date.day(), count);
                        break;
                    case 3:
                        out += QString::fromUtf8(kShortDays[date.dayOfWeek() - 1]);
                        break;
                    case 4:
                        out += QString::fromUtf8(kLongDays[date.dayOfWeek() - 1]);
                        break;
                    case 5:
                        out += DateToStr(date);
                        break;
                    default:
                        out += FormatDateTime(QStringLiteral("dddd, d 'de' mmmm 'de' yyyy"),
                                              QDateTime(date, QTime(0, 0)));
                        break;
                }
                break;
            case 'H': {
                getCount();
                int h = time.hour();
                // A 12-hour clock when an am/pm token follows before the next hour.
                bool twelve = false, quoted = false;
                for (qsizetype p = i + count; p < n; ++p) {
                    const QChar c = format.at(p);
                    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                        quoted = !quoted;
                    } else if (!quoted && (c == QLatin1Char('a') || c == QLatin1Char('A'))) {
                        const QStringView rest = QStringView(format).mid(p);
                        twelve = rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive) ||
                                 rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive) ||
                                 rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive);
                        break;
                    } else if (!quoted && (c == QLatin1Char('h') || c == QLatin1Char('H'))) {
                        break;
                    }
                }
                if (twelve) h = h == 0 ? 12 : h > 12 ? h - 12 : h;
                out += pad(h, std::min(count, 2));
                break;
            }
            case 'N':
                getCount();
                out += pad(time.minute(), std::min(count, 2));
                break;
            case 'S':
                getCount();
                out += pad(time.second(), std::min(count, 2));
                break;
            case 'Z':
                getCount();
                out += pad(time.msec(), count == 1 ? 1 : 3);
                break;
            case 'T':
                getCount();
                out += count == 1 ? pad(time.hour(), 2) + QLatin1Char(':') + pad(time.minute(), 2)
                                  : TimeToStr(time);
                break;
            case 'C':
                getCount();
                out += DateTimeToStr(QDateTime(date, time));
                break;
            case 'A': {
                const QStringView rest = QStringView(format).mid(i);
                if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
                    const QStringView word = time.hour() < 12 ? rest.mid(0, 2) : rest.mid(3, 2);
                    out += word;
                    count = 5;
                } else if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
                    out += time.hour() < 12 ? rest.at(0) : rest.at(2);
                    count = 3;
                } else if (rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive)) {
                    out += time.hour() < 12 ? QLatin1String("a.m.") : QLatin1String("p.m.");
                    count = 4;
                } else {
                    out += starter;
                }
                break;
            }
            case '\'':
            case '"': {
                qsizetype close = format.indexOf(starter, i + 1);
                if (close < 0) close = n;
                out += QStringView(format).mid(i + 1, close - i - 1);
                count = int(std::min(close, n - 1) - i + 1);
                break;
            }
            default:
                out += starter;
                break;
        }
        i += count;
    }
    return out;
}

QString BoolToStr(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

qsizetype WholeLetters(QStringView text, qsizetype n) {
    n = qBound<qsizetype>(0, n, text.size());
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate()) --n;
    return n;
}
