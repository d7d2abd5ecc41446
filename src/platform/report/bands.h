#pragma once
// The bands of a report. A band belongs to its report (ParentReport) and
// holds the controls whose ParentBand it is; like every component it is
// owned, as a QObject, by its form. Heights and widths are report units
// (1/96 inch, see report/quickrep.h).
//
// Which band prints where: the page header at the top of each page (not on
// the first with FirstPageHeader off), the title once on the first page,
// the column header under it on every page, group headers when their
// expression changes (again on each new page with ReprintOnNewPage), the
// detail once per record with its sub-details, group footers when the group
// ends, the summary after the last record and the page footer at the foot
// of each page (not on the last with LastPageFooter off). A child band
// follows its parent band whenever that one prints.

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class TDataSet;
class TQuickRep;
class TQRPrintable;
class TQRChildBand;

enum TQRBandType {
    rbTitle,
    rbPageHeader,
    rbColumnHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbChild
};

// Lines drawn on the sides of a band or control.
struct TQRFrame {
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    int Color = 0x000000;  // colour value (black)
    int Width = 1;         // report units
    bool Any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
};

using TQRBandBeforePrintEvent = std::function<void(QObject* Sender, bool& PrintBand)>;
using TQRBandAfterPrintEvent = std::function<void(QObject* Sender, bool BandPrinted)>;

class TQRCustomBand : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool ForceNewPage READ ForceNewPage WRITE setForceNewPage)
    Q_PROPERTY(int Color READ Color WRITE setColor)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
public:
    ~TQRCustomBand() override;

    TQRBandType BandType() const { return bandType_; }
    TQuickRep* ParentReport() const;
    // Registers the band with a report (after its earlier bands).
    void setParentReport(TQuickRep* report);

    int Height() const { return height_; }
    void setHeight(int h) { height_ = h < 0 ? 0 : h; }
    // The report's printable width unless set.
    int Width() const;
    void setWidth(int w) { width_ = w; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool e) { enabled_ = e; }
    // Starts a new page before the band unless the page holds nothing but
    // its headers.
    bool ForceNewPage() const { return forceNewPage_; }
    void setForceNewPage(bool v) { forceNewPage_ = v; }
    int Color() const { return color_; }  // colour value; white by default
    void setColor(int c) { color_ = c; }
    int Tag() const { return tag_; }
    void setTag(int t) { tag_ = t; }
    TQRFrame Frame;
    // The font new controls of the band start with.
    QFont Font() const { return font_; }
    void setFont(const QFont& font);

    // The controls whose parent is this band, in the order they got it.
    QList<TQRPrintable*> Controls() const { return controls_; }
    // The band printed right after this one, or nullptr.
    TQRChildBand* ChildBand() const;

    // Runs before the band prints: PrintBand false suppresses it (and its
    // child). The handler may change the band and its controls.
    TQRBandBeforePrintEvent BeforePrint;
    TQRBandAfterPrintEvent AfterPrint;

protected:
    TQRCustomBand(QObject* owner, TQuickRep* report, TQRBandType type);
    void setBandType(TQRBandType type) { bandType_ = type; }

private:
    friend class TQRPrintable;
    friend class TQRChildBand;
    friend class TQuickRep;
    void addControl(TQRPrintable* c) { controls_.append(c); }
    void removeControl(TQRPrintable* c) { controls_.removeAll(c); }

    TQRBandType bandType_;
    TQuickRep* report_ = nullptr;  // cleared by the report's destructor
    QList<TQRPrintable*> controls_;
    QPointer<TQRChildBand> child_;
    QFont font_;
    int height_ = 40;
    int width_ = -1;
    int color_ = 0xFFFFFF;
    int tag_ = 0;
    bool enabled_ = true;
    bool forceNewPage_ = false;
};

class TQRBand : public TQRCustomBand {
    Q_OBJECT
public:
    // A group header or footer band prints only as the header or footer of
    // a group or sub-detail that names it.
    explicit TQRBand(QObject* owner = nullptr, TQuickRep* report = nullptr,
                     TQRBandType type = rbDetail);
    using TQRCustomBand::setBandType;
};

// Printed right after its parent band, whenever that one prints.
class TQRChildBand : public TQRCustomBand {
    Q_OBJECT
public:
    explicit TQRChildBand(QObject* owner = nullptr, TQRCustomBand* parentBand = nullptr);
    ~TQRChildBand() override;
    TQRCustomBand* ParentBand() const;
    void setParentBand(TQRCustomBand* band);

private:
    QPointer<TQRCustomBand> parentBand_;
};

// A group header: it starts each run of records whose Expression (a field
// name, or any report expression such as "Str(A) + Str(B)") keeps its
// value; its FooterBand closes the run. Field names joined by "+" may be
// quoted ("'Total Horas'+Seccion"). Groups nest in the order they were
// registered with the report, the first outermost.
class TQRGroup : public TQRCustomBand {
    Q_OBJECT
    Q_PROPERTY(QString Expression READ Expression WRITE setExpression)
    Q_PROPERTY(bool ReprintOnNewPage READ ReprintOnNewPage WRITE setReprintOnNewPage)
public:
    explicit TQRGroup(QObject* owner = nullptr, TQuickRep* report = nullptr);
    QString Expression() const { return expression_; }
    void setExpression(const QString& e) { expression_ = e; }
    TQRCustomBand* FooterBand() const;
    void setFooterBand(TQRCustomBand* band);
    bool ReprintOnNewPage() const { return reprint_; }
    void setReprintOnNewPage(bool v) { reprint_ = v; }

private:
    QString expression_;
    QPointer<TQRCustomBand> footer_;
    bool reprint_ = false;
};

// Master-detail: after each record of its master (the report, or another
// sub-detail) it prints once per record of its own DataSet, between its
// optional HeaderBand and FooterBand.
class TQRSubDetail : public TQRCustomBand {
    Q_OBJECT
    Q_PROPERTY(bool PrintIfEmpty READ PrintIfEmpty WRITE setPrintIfEmpty)
public:
    explicit TQRSubDetail(QObject* owner = nullptr, TQuickRep* report = nullptr);
    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* ds) { dataSet_ = ds; }
    // nullptr: the report.
    TQRSubDetail* Master() const;
    void setMaster(TQRSubDetail* master);
    TQRCustomBand* HeaderBand() const;
    void setHeaderBand(TQRCustomBand* band);
    TQRCustomBand* FooterBand() const;
    void setFooterBand(TQRCustomBand* band);
    // Header and footer print also when the dataset has no record.
    bool PrintIfEmpty() const { return printIfEmpty_; }
    void setPrintIfEmpty(bool v) { printIfEmpty_ = v; }

private:
    TDataSet* dataSet_ = nullptr;
    QPointer<TQRSubDetail> master_;
    QPointer<TQRCustomBand> header_;
    QPointer<TQRCustomBand> footer_;
    bool printIfEmpty_ = true;
};
