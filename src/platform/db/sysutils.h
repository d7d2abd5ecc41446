#pragma once
// Conversions between values and texts under fixed Spanish conventions
// ("," decimal, "." thousands, dd/mm/yyyy, hh:nn:ss), whatever the locale of
// the process. The names follow the runtime routines the system's code calls.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The zero date: a stored value meaning "no date", never NULL.
QDate ZeroDate();          // 30/12/1899
QDateTime ZeroDateTime();  // 30/12/1899 00:00:00
bool IsZeroDate(const QDate& d);
bool IsZeroDate(const QDateTime& d);

// Day numbers as the system counts them: days since 30/12/1899, the time as
// the fraction of a day.
double DateTimeToDouble(const QDateTime& dt);
QDateTime DoubleToDateTime(double value);

// Numbers. StrToFloat takes "," or "." as the decimal mark ("12,5", "12.500000"),
// an optional sign and exponent, surrounding blanks, and "." thousands marks in
// groups of three when a "," decimal mark follows ("1.234,5"). Failures raise
// EConvertError "'x' is not a valid floating point value".
bool TryStrToFloat(const QString& text, double& value);
double StrToFloat(const QString& text);
// Integers: optional sign, digits, surrounding blanks. Failures raise
// EConvertError "'x' is not a valid integer value".
bool TryStrToInt64(const QString& text, qint64& value);
bool TryStrToInt(const QString& text, int& value);
int StrToInt(const QString& text);
qint64 StrToInt64(const QString& text);
QString IntToStr(qint64 value);
// Shortest text that reads back to the same double (15 significant digits),
// "," decimal mark, no thousands marks, no exponent below 1e15.
QString FloatToStr(double value);

// FormatFloat with the masks of the system: sections separated by ";"
// (positive;negative;zero), "0" and "#" digit places, "." decimal point and ","
// thousands separator in the mask (written as "," and "." in the result),
// "E+"/"E-" exponents, quoted literals '...' and "...", other characters copied.
// An empty mask gives FloatToStr. Rounds half away from zero.
QString FormatFloat(const QString& format, double value);

// Dates and times. DateToStr gives dd/mm/yyyy; TimeToStr hh:nn:ss;
// DateTimeToStr "dd/mm/yyyy" plus " hh:nn:ss" when the time is not midnight.
QString DateToStr(const QDate& d);
QString TimeToStr(const QTime& t);
QString DateTimeToStr(const QDateTime& dt);
// StrToDate takes d/m/y with "/", "-" or "." as separators; two-digit years
// below 50 are 20xx, the others 19xx; a missing year is the current one.
// Failures raise EConvertError "'x' is not a valid date" ("... valid time",
// "... valid date and time").
bool TryStrToDate(const QString& text, QDate& value);
QDate StrToDate(const QString& text);
bool TryStrToTime(const QString& text, QTime& value);
QTime StrToTime(const QString& text);
bool TryStrToDateTime(const QString& text, QDateTime& value);
QDateTime StrToDateTime(const QString& text);

// FormatDateTime with the runtime's tokens: d dd ddd dddd m mm mmm mmmm yy yyyy
// h hh n nn s ss z zzz am/pm, "/" and ":" as written, quoted literals; Spanish
// day and month names.
QString FormatDateTime(const QString& format, const QDateTime& dt);

// Booleans as the system writes them in text.
QString BoolToStr(bool value);  // "True" / "False"

// How many of the first `n` UTF-16 units of `text` to keep so that a cut
// there never leaves half of a letter outside the basic plane.
qsizetype WholeLetters(QStringView text, qsizetype n);
