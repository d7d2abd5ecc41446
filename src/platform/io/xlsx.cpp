#include "io/xlsx.h"

#include <xlsxwriter.h>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/paths.h"

// ---------------------------------------------------------------------------
// FormatFloat masks as Excel format codes

namespace {

// Sections of a mask, split at ";" outside quotes.
QStringList maskSections(const QString& mask) {
    QStringList out;
    QString current;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype close = mask.indexOf(c, i + 1);
            if (close < 0) close = mask.size() - 1;
            current += QStringView(mask).mid(i, close - i + 1);
            i = close;
        } else if (c == QLatin1Char(';')) {
            out.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    out.append(current);
    return out;
}

// One section, as the pieces Excel needs: digit places, the decimal point, an
// exponent and literal text, in order.
struct Token {
    enum Kind { Digit, Point, Exponent, Literal } kind;
    QString text;
};

struct ParsedSection {
    QList<Token> tokens;
    bool thousands = false;
    bool scientific = false;
};

ParsedSection parseSection(const QString& s) {
    ParsedSection p;
    bool pointSeen = false;
    auto literal = [&](QChar c) {
        if (!p.tokens.isEmpty() && p.tokens.last().kind == Token::Literal)
            p.tokens.last().text += c;
        else
            p.tokens.append({Token::Literal, QString(c)});
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        switch (c.unicode()) {
            case '0':
            case '#':
                p.tokens.append({Token::Digit, QString(c)});
                break;
            case '.':
                // FormatFloat takes the first point and ignores the others.
                if (!pointSeen) p.tokens.append({Token::Point, QStringLiteral(".")});
                pointSeen = true;
                break;
            case ',':
                // Anywhere in the section it asks for thousands separators.
                p.thousands = true;
                break;
            case 'e':
            case 'E':
                if (i + 1 < s.size() &&
                    (s.at(i + 1) == QLatin1Char('+') || s.at(i + 1) == QLatin1Char('-'))) {
                    QString e = QStringLiteral("E") + s.at(i + 1);
                    i += 2;
                    while (i < s.size() && s.at(i) == QLatin1Char('0')) e += s.at(i++);
                    --i;
                    p.tokens.append({Token::Exponent, e});
                    p.scientific = true;
                } else {
                    literal(c);
                }
                break;
            case '\'':
            case '"': {
                qsizetype close = s.indexOf(c, i + 1);
                if (close < 0) close = s.size();
                for (qsizetype k = i + 1; k < close; ++k) literal(s.at(k));
                i = close;
                break;
            }
            default:
                literal(c);
                break;
        }
    }
    return p;
}

// Excel groups thousands when a "," stands between two digit places of the
// integer part; elsewhere it would divide by 1000.
void addThousands(QList<Token>& tokens) {
    qsizetype end = tokens.size();
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Token::Point || tokens[i].kind == Token::Exponent) {
            end = i;
            break;
        }
    }
    for (qsizetype i = 0; i < end; ++i) {
        if (tokens[i].kind != Token::Digit) continue;
        if (i + 1 < end && tokens[i + 1].kind == Token::Digit) {
            tokens[i].text += QLatin1Char(',');
        } else {
            tokens[i].text.prepend(QStringLiteral("#,#"));
        }
        return;
    }
    tokens.insert(end, {Token::Digit, QStringLiteral("#,#")});
}

QString excelSection(const ParsedSection& p) {
    QList<Token> tokens = p.tokens;
    if (p.thousands && !p.scientific) addThousands(tokens);
    QString out;
    for (const Token& t : tokens) {
        if (t.kind != Token::Literal) {
            out += t.text;
            continue;
        }
        // Literal text is quoted, so that letters, "%" and the like are shown
        // as written instead of acting as Excel codes.
        QString run;
        auto flush = [&] {
            if (!run.isEmpty()) out += QLatin1Char('"') + run + QLatin1Char('"');
            run.clear();
        };
        for (const QChar c : t.text) {
            if (c == QLatin1Char('"')) {
                flush();
                out += QStringLiteral("\\\"");
            } else {
                run += c;
            }
        }
        flush();
    }
    return out;
}

// The section as FormatFloat writes zero: decimals of "#" places are left out,
// and so is the point when no "0" place follows it.
ParsedSection zeroSection(ParsedSection p) {
    if (p.scientific) return p;
    qsizetype point = -1;
    for (qsizetype i = 0; i < p.tokens.size(); ++i)
        if (p.tokens[i].kind == Token::Point) point = i;
    if (point < 0) return p;
    bool zeroDecimals = false;
    for (qsizetype i = p.tokens.size() - 1; i > point; --i) {
        if (p.tokens[i].kind != Token::Digit) continue;
        if (p.tokens[i].text == QLatin1String("#"))
            p.tokens.removeAt(i);
        else
            zeroDecimals = true;
    }
    if (!zeroDecimals) p.tokens.removeAt(point);
    return p;
}

}  // namespace

QString ExcelNumberFormat(const QString& mask) {
    if (mask.isEmpty()) return QStringLiteral("General");
    const QStringList sections = maskSections(mask);
    const ParsedSection first = parseSection(sections[0]);
    const QString positive = excelSection(first);
    // A missing or empty section uses the first one, negative numbers then
    // with a minus sign in front.
    const QString negative = sections.size() > 1 && !sections[1].isEmpty()
                                 ? excelSection(parseSection(sections[1]))
                                 : QLatin1Char('-') + positive;
    const QString zero = sections.size() > 2 && !sections[2].isEmpty()
                             ? excelSection(parseSection(sections[2]))
                             : excelSection(zeroSection(first));
    if (negative == QLatin1Char('-') + positive && zero == positive) return positive;
    return positive + QLatin1Char(';') + negative + QLatin1Char(';') + zero;
}

QString XlsxFileName(const QString& fileName) {
    if (fileName.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return fileName.left(fileName.size() - 4) + QLatin1String(".xlsx");
    // A name typed without an extension still names a workbook.
    const qsizetype barra = fileName.lastIndexOf(QLatin1Char('/'));
    if (fileName.indexOf(QLatin1Char('.'), barra + 1) < 0) return fileName + QLatin1String(".xlsx");
    return fileName;
}

// ---------------------------------------------------------------------------
// Workbook

namespace {

QString dateText(const QDateTime& dt) {
    return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd/MM/yyyy"))
                                    : dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

QString cellName(int row, int col) {
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26) letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

}  // namespace

struct XlsxWorkbook::Impl {
    QString fileName;
    TemporaryTarget temp;
    lxw_workbook* book = nullptr;
    QList<lxw_worksheet*> sheets;
    // The formats added, each once: a workbook uses a few, so a look through
    // them costs less per cell than building a key.
    struct Format {
        QString numberFormat;
        bool bold;
        XlsxHAlign horizontal;
        XlsxVAlign vertical;
        lxw_format* format;
    };
    std::vector<Format> formats;

    explicit Impl(const QString& name) : fileName(name), temp(name) {}

    [[noreturn]] void fail(const QString& what) const {
        throw EXlsxError(QStringLiteral("No se puede grabar el libro %1: %2").arg(fileName, what),
                         fileName);
    }

    lxw_workbook* workbook() const {
        if (!book) fail(QStringLiteral("it has already been saved"));
        return book;
    }

    // The sheet of a write, after checking that the cell is on a sheet (the
    // library takes columns as 16-bit numbers and would wrap larger ones).
    lxw_worksheet* sheet(int index, XlsxWorkbook* owner, int row = 0, int col = 0) {
        workbook();
        if (row < 0 || row >= LXW_ROW_MAX || col < 0 || col >= LXW_COL_MAX)
            fail(QStringLiteral("row %1, column %2 is outside a sheet").arg(row).arg(col));
        if (index == 0 && sheets.isEmpty()) owner->AddSheet();
        if (index < 0 || index >= sheets.size())
            fail(QStringLiteral("there is no sheet %1").arg(index));
        return sheets[index];
    }

    void check(lxw_error err, int row, int col) const {
        if (err == LXW_NO_ERROR) return;
        fail(QStringLiteral("cell %1: %2")
                 .arg(cellName(row, col), QString::fromUtf8(lxw_strerror(err))));
    }

    lxw_format* format(const XlsxFormat& f, const QString& defaultNumberFormat = QString()) {
        const QString numberFormat =
            f.numberFormat.isEmpty() ? defaultNumberFormat : f.numberFormat;
        if (numberFormat.isEmpty() && !f.bold && f.horizontal == XlsxHAlign::Default &&
            f.vertical == XlsxVAlign::Default)
            return nullptr;
        for (const Format& known : formats)
            if (known.bold == f.bold && known.horizontal == f.horizontal &&
                known.vertical == f.vertical && known.numberFormat == numberFormat)
                return known.format;
        lxw_format* lf = workbook_add_format(workbook());
        if (!numberFormat.isEmpty() && numberFormat != QLatin1String("General"))
            format_set_num_format(lf, numberFormat.toUtf8().constData());
        if (f.bold) format_set_bold(lf);
        switch (f.horizontal) {
            case XlsxHAlign::Left:
                format_set_align(lf, LXW_ALIGN_LEFT);
                break;
            case XlsxHAlign::Center:
                format_set_align(lf, LXW_ALIGN_CENTER);
                break;
            case XlsxHAlign::Right:
                format_set_align(lf, LXW_ALIGN_RIGHT);
                break;
            case XlsxHAlign::Default:
                break;
        }
        switch (f.vertical) {
            case XlsxVAlign::Top:
                format_set_align(lf, LXW_ALIGN_VERTICAL_TOP);
                break;
            case XlsxVAlign::Center:
                format_set_align(lf, LXW_ALIGN_VERTICAL_CENTER);
                break;
            case XlsxVAlign::Bottom:
                format_set_align(lf, LXW_ALIGN_VERTICAL_BOTTOM);
                break;
            case XlsxVAlign::Default:
                break;
        }
        formats.push_back(Format{numberFormat, f.bold, f.horizontal, f.vertical, lf});
        return lf;
    }
};

XlsxWorkbook::XlsxWorkbook(const QString& fileName, bool rowsInOrder)
    : d(std::make_unique<Impl>(XlsxFileName(NativePath(fileName)))) {
    lxw_workbook_options options{};
    options.constant_memory = rowsInOrder ? LXW_TRUE : LXW_FALSE;
    d->book = workbook_new_opt(QFile::encodeName(d->temp.Path()).constData(), &options);
    if (!d->book) d->fail(QStringLiteral("out of memory"));
}

XlsxWorkbook::~XlsxWorkbook() {
    // Discarded without writing anything.
    if (d->book) lxw_workbook_free(d->book);
}

const QString& XlsxWorkbook::FileName() const {
    return d->fileName;
}

int XlsxWorkbook::AddSheet(const QString& name) {
    lxw_workbook* book = d->workbook();
    QString sheetName = name;
    for (int n = d->sheets.size() + 1; sheetName.isEmpty(); ++n) {
        const QString candidate = QStringLiteral("Hoja%1").arg(n);
        if (!workbook_get_worksheet_by_name(book, candidate.toUtf8().constData()))
            sheetName = candidate;
    }
    const QByteArray utf8 = sheetName.toUtf8();
    const lxw_error err = workbook_validate_sheet_name(book, utf8.constData());
    if (err != LXW_NO_ERROR)
        d->fail(QStringLiteral("sheet name '%1': %2")
                    .arg(sheetName, QString::fromUtf8(lxw_strerror(err))));
    lxw_worksheet* ws = workbook_add_worksheet(book, utf8.constData());
    if (!ws) d->fail(QStringLiteral("sheet name '%1' is not valid").arg(sheetName));
    d->sheets.append(ws);
    return d->sheets.size() - 1;
}

int XlsxWorkbook::SheetCount() const {
    return d->sheets.size();
}

bool XlsxWorkbook::WriteString(int sheet, int row, int col, const QString& text,
                               const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    // A control character is no text a cell can show: the file would spell it
    // as "_x0001_". Tabs and line breaks stay. Only what the cell holds is
    // copied, whatever the size of the text.
    QString value;
    value.reserve(qMin<qsizetype>(text.size(), XlsxMaxCellText));
    qsizetype i = 0;
    for (; i < text.size() && value.size() < XlsxMaxCellText; ++i) {
        const QChar c = text.at(i);
        if (c >= QChar(0x20) || c == u'\t' || c == u'\n' || c == u'\r') value.append(c);
    }
    bool whole = true;
    for (; i < text.size() && whole; ++i) {
        const QChar c = text.at(i);
        whole = c < QChar(0x20) && c != u'\t' && c != u'\n' && c != u'\r';
    }
    // Never half a letter outside the basic plane.
    if (!whole && value.back().isHighSurrogate()) value.chop(1);
    d->check(worksheet_write_string(ws, row, col, value.toUtf8().constData(), d->format(format)),
             row, col);
    return whole;
}

void XlsxWorkbook::WriteNumber(int sheet, int row, int col, double value,
                               const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    if (!std::isfinite(value))
        d->fail(QStringLiteral("cell %1: %2 is not a number Excel can hold")
                    .arg(cellName(row, col))
                    .arg(value));
    d->check(worksheet_write_number(ws, row, col, value, d->format(format)), row, col);
}

void XlsxWorkbook::WriteDate(int sheet, int row, int col, const QDate& date,
                             const XlsxFormat& format) {
    if (!date.isValid()) {
        WriteBlank(sheet, row, col, format);
        return;
    }
    WriteDateTime(sheet, row, col, QDateTime(date, QTime(0, 0)), format);
}

void XlsxWorkbook::WriteDateTime(int sheet, int row, int col, const QDateTime& dateTime,
                                 const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    const QString defaultFormat = dateTime.time() == QTime(0, 0)
                                      ? QStringLiteral("dd/mm/yyyy")
                                      : QStringLiteral("dd/mm/yyyy hh:mm:ss");
    lxw_format* lf = d->format(format, defaultFormat);
    if (!dateTime.isValid()) {
        d->check(worksheet_write_blank(ws, row, col, lf), row, col);
        return;
    }
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (date.year() < 1900) {
        // Excel has no dates before 1900: the date is kept as its text.
        d->check(worksheet_write_string(ws, row, col, dateText(dateTime).toUtf8().constData(),
                                        d->format(format)),
                 row, col);
        return;
    }
    lxw_datetime dt = {
        date.year(),          uint8_t(date.month()),  uint8_t(date.day()),
        uint8_t(time.hour()), uint8_t(time.minute()), time.second() + time.msec() / 1000.0};
    d->check(worksheet_write_datetime(ws, row, col, &dt, lf), row, col);
}

void XlsxWorkbook::WriteBoolean(int sheet, int row, int col, bool value, const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    d->check(worksheet_write_boolean(ws, row, col, value, d->format(format)), row, col);
}

void XlsxWorkbook::WriteBlank(int sheet, int row, int col, const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    d->check(worksheet_write_blank(ws, row, col, d->format(format)), row, col);
}

void XlsxWorkbook::SetColumns(int sheet, int firstCol, int lastCol, double width,
                              const XlsxFormat& format) {
    lxw_worksheet* ws = d->sheet(sheet, this, 0, std::min(firstCol, lastCol));
    d->sheet(sheet, this, 0, std::max(firstCol, lastCol));
    const double w = std::clamp(std::isfinite(width) ? width : LXW_DEF_COL_WIDTH, 0.0, 255.0);
    d->check(worksheet_set_column(ws, firstCol, lastCol, w, d->format(format)), 0, firstCol);
}

void XlsxWorkbook::FreezePanes(int sheet, int row, int col) {
    lxw_worksheet* ws = d->sheet(sheet, this, row, col);
    worksheet_freeze_panes(ws, row, col);
}

void XlsxWorkbook::Save() {
    lxw_workbook* book = d->workbook();
    if (d->sheets.isEmpty()) AddSheet();
    QString reason;
    if (!d->temp.Create(&reason)) {
        lxw_workbook_free(book);
        d->book = nullptr;
        d->fail(reason);
    }
    // Where the folder took no temporary file the workbook goes through one
    // made elsewhere: the library writes to the name it keeps.
    const QByteArray path = QFile::encodeName(d->temp.Path());
    if (std::strcmp(book->filename, path.constData()) != 0) {
        std::free(book->filename);
        book->filename = lxw_strdup(path.constData());
    }
    // workbook_close writes the file and frees the workbook, also on failure.
    const lxw_error err = workbook_close(book);
    d->book = nullptr;
    if (err != LXW_NO_ERROR)
        d->fail(QStringLiteral("el libro no se ha escrito entero (%1)")
                    .arg(QString::fromUtf8(lxw_strerror(err))));
    if (!d->temp.Commit(&reason)) d->fail(reason);
}
