#pragma once
// Export filters: the text of a report's pages, read back from the pages as
// drawn, written as plain text, comma-separated values or an HTML document.
// A line is a row of a band: the texts that share a baseline, left to right.

#include <QList>
#include <QString>

class QPicture;
class TQRPageRecord;

struct TQRTextItem {
    double Left = 0;   // report units from the sheet's left edge
    double Top = 0;    // report units from the sheet's top edge
    double Width = 0;  // report units
    QString Text;
};
using TQRTextLine = QList<TQRTextItem>;

// The lines of a page, top to bottom.
QList<TQRTextLine> PageTextLines(const QPicture& page);
QList<TQRTextLine> PageTextLines(const TQRPageRecord& page);

class TQRExportFilter {
public:
    explicit TQRExportFilter(const QString& fileName) : fileName_(fileName) {}
    virtual ~TQRExportFilter();
    QString FileName() const { return fileName_; }

    virtual void Start(const QString& title) {}
    virtual void Page(int number, const QList<TQRTextLine>& lines) = 0;
    // Writes the file; false when it cannot be written.
    virtual bool Finish() = 0;
    // The texts written with "?" for letters the file's character set lacks.
    int LossyValues() const { return lossy_; }

protected:
    // The text as the file will hold it, counted when it cannot hold it whole.
    QString Counted(const QString& text);

private:
    QString fileName_;
    int lossy_ = 0;
};

// Plain text in Windows-1252, a line per band row, each text at the column
// its position gives (CharWidth report units a character), never over the
// text before it.
class TQRTextFilter : public TQRExportFilter {
public:
    explicit TQRTextFilter(const QString& fileName) : TQRExportFilter(fileName) {}
    double CharWidth = 6;
    void Page(int number, const QList<TQRTextLine>& lines) override;
    bool Finish() override;

private:
    QString text_;
};

// A record per band row, fields separated by "," and quoted when they hold
// a comma, a quote or a line break; Windows-1252.
class TQRCSVFilter : public TQRExportFilter {
public:
    explicit TQRCSVFilter(const QString& fileName) : TQRExportFilter(fileName) {}
    void Page(int number, const QList<TQRTextLine>& lines) override;
    bool Finish() override;

private:
    QString text_;
};

// An HTML document in UTF-8: a table per page, a row per band row.
class TQRHTMLFilter : public TQRExportFilter {
public:
    explicit TQRHTMLFilter(const QString& fileName) : TQRExportFilter(fileName) {}
    void Start(const QString& title) override;
    void Page(int number, const QList<TQRTextLine>& lines) override;
    bool Finish() override;

private:
    QString html_;
};
