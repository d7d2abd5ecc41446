#include "db/datasource.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource() {
    if (dataSet_) dataSet_->removeDataSource(this);
    dataSet_ = nullptr;
    const QList<TDataLink*> links = links_;
    for (TDataLink* l : links) l->setDataSource(nullptr);
}

void TDataSource::setDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        dataSet_->removeDataSource(this);
        QObject::disconnect(dataSet_, &QObject::destroyed, this, nullptr);
        // Through the inactive state, so that the links let go of the old
        // dataset's fields even when the new one is in the same state.
        dataSet_ = nullptr;
        updateState();
    }
    dataSet_ = dataSet;
    if (dataSet_) {
        dataSet_->addDataSource(this);
        connect(dataSet_, &QObject::destroyed, this, [this](QObject* gone) {
            if (gone == dataSet_) {
                dataSet_ = nullptr;
                updateState();
            }
        });
    }
    updateState();
}

void TDataSource::setEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    updateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && dataSet_ && state_ == dsBrowse) dataSet_->Edit();
}

void TDataSource::updateState() {
    const TDataSetState s = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (s == state_) return;
    const TDataSetState prior = state_;
    state_ = s;
    notifyLinks(deUpdateState, nullptr, 0);
    if (OnStateChange) OnStateChange(this);
    if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::notifyLinks(TDataEvent event, TField* field, int info) {
    const QList<TDataLink*> links = links_;
    for (TDataLink* l : links)
        if (links_.contains(l)) l->dataEvent(event, field, info);
}

void TDataSource::dataEvent(TDataEvent event, TField* field, int info) {
    if (event == deUpdateState) {
        updateState();
        return;
    }
    if (state_ == dsInactive) return;
    notifyLinks(event, field, info);
    switch (event) {
        case deFieldChange:
        case deRecordChange:
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) OnDataChange(this, event == deFieldChange ? field : nullptr);
            break;
        case deUpdateRecord:
            if (OnUpdateData) OnUpdateData(this);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (dataSource_) dataSource_->links_.removeAll(this);
}

void TDataLink::setDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    if (dataSource_) dataSource_->links_.removeAll(this);
    dataSource_ = source;
    if (dataSource_) dataSource_->links_.append(this);
    updateActive();
    updateEditing();
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

bool TDataLink::Edit() {
    if (dataSource_ && !editing_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
    modified_ = false;
}

void TDataLink::Reset() {
    RecordChanged(nullptr);
    modified_ = false;
}

void TDataLink::updateActive() {
    const bool active = dataSource_ && dataSource_->State() != dsInactive;
    if (active == active_) return;
    active_ = active;
    ActiveChanged();
}

void TDataLink::updateEditing() {
    const TDataSetState s = dataSource_ ? dataSource_->State() : dsInactive;
    const bool editing = s == dsEdit || s == dsInsert || s == dsSetKey;
    if (editing == editing_) return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::dataEvent(TDataEvent event, TField* field, int info) {
    if (event == deUpdateState) {
        updateActive();
        updateEditing();
        return;
    }
    if (!active_) return;
    switch (event) {
        case deFieldChange:
        case deRecordChange:
            if (!updating_) RecordChanged(event == deFieldChange ? field : nullptr);
            break;
        case deDataSetChange:
            DataSetChanged();
            break;
        case deDataSetScroll:
            DataSetScrolled(info);
            break;
        case deLayoutChange:
            LayoutChanged();
            break;
        case deUpdateRecord:
            UpdateRecord();
            break;
        case deCheckBrowseMode:
            CheckBrowseMode();
            break;
        default:
            break;
    }
}
