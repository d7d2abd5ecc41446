// TDataSet: rows read around the current record for controls that show
// several at once, and rows shown through the fields without becoming current.

#include "db/dataset.h"

QVector<TRow> TDataSet::ReadRows(const TBookmark& from, int count, bool backward) {
    QVector<TRow> rows;
    if (!Active() || !cursor_ || count <= 0) return rows;
    // The cursor leaves the current record: the next move finds it again.
    cursorOnCurrent_ = false;
    TRow row;
    bool ok = false;
    if (from.IsNull()) {
        ok = fetch(backward ? 2 : 0, row);
    } else {
        ok = cursor_->seek(from.identity, row);
        if (ok) ok = fetch(backward ? -1 : 1, row);
    }
    while (ok) {
        rows.append(row);
        if (rows.size() >= count) break;
        ok = fetch(backward ? -1 : 1, row);
    }
    return rows;
}

void TDataSet::BeginRowView(const TRow& row) {
    if (!Active()) return;
    if (!inRowView_) {
        viewSavedValues_ = recordValues_;
        viewSavedCalc_ = calcBuffer_;
        inRowView_ = true;
    }
    viewValues_ = row.values;
    if (viewValues_.size() < columnCount_) viewValues_.resize(columnCount_);
    recordValues_ = &viewValues_;
    if (calcCount_ > 0) {
        // calculateFields skips a browse without a record: the row is one.
        const bool hadRecord = hasRecord_;
        hasRecord_ = true;
        try {
            calculateFields(false);
        } catch (...) {
            hasRecord_ = hadRecord;
            throw;
        }
        hasRecord_ = hadRecord;
    }
}

void TDataSet::EndRowView() {
    if (!inRowView_) return;
    inRowView_ = false;
    recordValues_ = viewSavedValues_;
    calcBuffer_ = viewSavedCalc_;
    viewSavedCalc_.clear();
    viewValues_.clear();
}
