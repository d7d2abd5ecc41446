#pragma once
// TDataSource connects a dataset to the controls (data links) that show and
// edit it; several data sources may watch one dataset. TDataLink is the
// listener a control or a master-detail link derives from.

#include <QList>
#include <QObject>
#include <functional>

#include "db/dataset.h"

class TDataLink;
class TField;

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void setDataSet(TDataSet* dataSet);
    bool AutoEdit() const { return autoEdit_; }
    void setAutoEdit(bool v) { autoEdit_ = v; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool v);
    // The dataset's state as this source last heard it (dsInactive when
    // disabled or without a dataset).
    TDataSetState State() const { return state_; }
    // Puts the dataset in edit mode when AutoEdit allows and it is browsing.
    void Edit();

    std::function<void(TDataSource* Sender)> OnStateChange;
    // Field is nullptr for a change of record, the field for a field change.
    std::function<void(TDataSource* Sender, TField* Field)> OnDataChange;
    std::function<void(TDataSource* Sender)> OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;
    void dataEvent(TDataEvent event, TField* field, int info);
    void updateState();
    void notifyLinks(TDataEvent event, TField* field, int info);

    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    QList<TDataLink*> links_;
};

class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();

    TDataSource* DataSource() const { return dataSource_; }
    void setDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    // Asks the data source to put the dataset in edit mode; true when it is
    // then editing.
    bool Edit();
    // Writes this link's pending edit into its field (UpdateData) when modified.
    void UpdateRecord();
    void Modified() { modified_ = true; }
    void Reset();

protected:
    virtual void ActiveChanged() {}
    // A field changed (field) or the record did (nullptr).
    virtual void RecordChanged(TField* field) {}
    // The record set changed; by default a change of record.
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // Another record became current; by default DataSetChanged.
    virtual void DataSetScrolled(int distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void UpdateData() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void CheckBrowseMode() {}

private:
    friend class TDataSource;
    void dataEvent(TDataEvent event, TField* field, int info);
    void updateActive();
    void updateEditing();

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool modified_ = false;
    bool updating_ = false;
};
