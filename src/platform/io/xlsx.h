#pragma once
// Excel workbooks (.xlsx) written in-process, where the system drove Excel.
// Cells are addressed from 0 (row 0, column 0 is A1). Nothing reaches the disk
// before Save(): the file is written whole or not at all (outputfile.h), and
// a workbook destroyed without Save() leaves no file.

#include <QString>
#include <memory>

#include "io/outputfile.h"

class QDate;
class QDateTime;

class EXlsxError : public EOutputError {
public:
    using EOutputError::EOutputError;
};

enum class XlsxHAlign { Default, Left, Center, Right };
enum class XlsxVAlign { Default, Top, Center, Bottom };

// How a cell or a column looks. numberFormat is an Excel format code (see
// ExcelNumberFormat for the system's masks; "@" is text).
struct XlsxFormat {
    QString numberFormat;
    bool bold = false;
    XlsxHAlign horizontal = XlsxHAlign::Default;
    XlsxVAlign vertical = XlsxVAlign::Default;

    static XlsxFormat Bold() {
        XlsxFormat f;
        f.bold = true;
        return f;
    }
};

// The Excel format code that shows numbers as FormatFloat(mask) does: digit
// places, decimal point, thousands separator, exponents, literals and
// positive;negative;zero sections. Excel writes a whole number under a mask
// with optional decimals ("#,##0.##") with a trailing decimal point; it has no
// code to drop it. An empty mask gives "General".
QString ExcelNumberFormat(const QString& formatFloatMask);

// The file name a workbook is saved under: a name ending in ".XLS" (any case)
// ends in ".xlsx" instead, since the file is an .xlsx workbook.
QString XlsxFileName(const QString& fileName);

// The most characters (UTF-16 units) an Excel cell holds: a longer text
// makes a file Excel reports as damaged.
constexpr int XlsxMaxCellText = 32767;

class XlsxWorkbook {
public:
    // The name may use either path separator; see XlsxFileName. With
    // `rowsInOrder` each row goes to a temporary file as the next one begins
    // (memory stays flat whatever the rows): cells must then be written row
    // after row, and a cell of a row already left is refused.
    explicit XlsxWorkbook(const QString& fileName, bool rowsInOrder = false);
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // The native path the workbook is saved to.
    const QString& FileName() const;

    // Adds a sheet and returns its index (from 0). An empty name gives "Hoja"
    // + its number, as a new workbook names them. Excel's rules for names
    // (at most 31 characters, none of []:*?/\, unique) raise EXlsxError.
    int AddSheet(const QString& name = QString());
    int SheetCount() const;

    // Every write raises EXlsxError for a sheet that does not exist or a cell
    // past Excel's last row or column. A sheet is added when none exists yet.
    // Texts longer than a cell holds (XlsxMaxCellText characters) are cut
    // there: false tells the caller, who says so (the file is not what the
    // value was).
    bool WriteString(int sheet, int row, int col, const QString& text,
                     const XlsxFormat& format = XlsxFormat());
    // Not-a-number and infinities have no cell value and raise EXlsxError.
    void WriteNumber(int sheet, int row, int col, double value,
                     const XlsxFormat& format = XlsxFormat());
    // Real Excel dates shown as dd/mm/yyyy (with hh:mm:ss when a date-time has
    // a time) unless the format gives a code. An invalid date leaves an empty
    // cell that has the format; a date before 1900, which Excel cannot hold,
    // is written as that text.
    void WriteDate(int sheet, int row, int col, const QDate& date,
                   const XlsxFormat& format = XlsxFormat());
    void WriteDateTime(int sheet, int row, int col, const QDateTime& dateTime,
                       const XlsxFormat& format = XlsxFormat());
    void WriteBoolean(int sheet, int row, int col, bool value,
                      const XlsxFormat& format = XlsxFormat());
    void WriteBlank(int sheet, int row, int col, const XlsxFormat& format);

    // Width in characters (Excel's unit, at most 255) and the format of the
    // cells of columns first..last that have none of their own.
    void SetColumns(int sheet, int firstCol, int lastCol, double width,
                    const XlsxFormat& format = XlsxFormat());
    // Rows above row and columns left of col stay in view.
    void FreezePanes(int sheet, int row, int col);

    // Writes the file. Raises EXlsxError with the reason; the target is then
    // as it was before. The workbook takes no more cells afterwards.
    void Save();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
