#include "report/bands.h"

#include "report/controls.h"
#include "report/engine_p.h"
#include "report/quickrep.h"
#include "ui/component.h"

TQRCustomBand::TQRCustomBand(QObject* owner, TQuickRep* report, TQRBandType type)
    : QObject(owner), bandType_(type) {
    font_ = MakeFont(QStringLiteral("Arial"), 10);
    setParentReport(report);
}

TQRCustomBand::~TQRCustomBand() {
    if (report_) report_->removeBand(this);
    for (TQRPrintable* c : controls_) c->band_ = nullptr;
}

TQuickRep* TQRCustomBand::ParentReport() const {
    return report_;
}

void TQRCustomBand::setParentReport(TQuickRep* report) {
    if (report == report_) return;
    if (report_) report_->removeBand(this);
    report_ = report;
    if (report_) report_->addBand(this);
}

int TQRCustomBand::Width() const {
    if (width_ >= 0) return width_;
    return report_ ? report_->PrintableWidth() : 0;
}

void TQRCustomBand::setFont(const QFont& font) {
    font_ = font;
    font_.setFamily(FontFamily(font.family()));
}

TQRChildBand* TQRCustomBand::ChildBand() const {
    return child_;
}

TQRBand::TQRBand(QObject* owner, TQuickRep* report, TQRBandType type)
    : TQRCustomBand(owner, report, type) {}

TQRChildBand::TQRChildBand(QObject* owner, TQRCustomBand* parentBand)
    : TQRCustomBand(owner, nullptr, rbChild) {
    setParentBand(parentBand);
}

TQRChildBand::~TQRChildBand() {
    if (parentBand_ && parentBand_->child_ == this) parentBand_->child_ = nullptr;
}

TQRCustomBand* TQRChildBand::ParentBand() const {
    return parentBand_;
}

void TQRChildBand::setParentBand(TQRCustomBand* band) {
    if (parentBand_ && parentBand_->child_ == this) parentBand_->child_ = nullptr;
    parentBand_ = band;
    if (band) {
        band->child_ = this;
        // A child belongs to its parent's report: it takes the page width.
        setParentReport(band->ParentReport());
    }
}

TQRGroup::TQRGroup(QObject* owner, TQuickRep* report)
    : TQRCustomBand(owner, report, rbGroupHeader) {}

TQRCustomBand* TQRGroup::FooterBand() const {
    return footer_;
}

void TQRGroup::setFooterBand(TQRCustomBand* band) {
    footer_ = band;
}

TQRSubDetail::TQRSubDetail(QObject* owner, TQuickRep* report)
    : TQRCustomBand(owner, report, rbSubDetail) {}

TQRSubDetail* TQRSubDetail::Master() const {
    return master_;
}

void TQRSubDetail::setMaster(TQRSubDetail* master) {
    master_ = master;
}

TQRCustomBand* TQRSubDetail::HeaderBand() const {
    return header_;
}

void TQRSubDetail::setHeaderBand(TQRCustomBand* band) {
    header_ = band;
}

TQRCustomBand* TQRSubDetail::FooterBand() const {
    return footer_;
}

void TQRSubDetail::setFooterBand(TQRCustomBand* band) {
    footer_ = band;
}
