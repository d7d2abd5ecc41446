#pragma once
// Data-aware controls: each shows one field (DataField) of the current
// record of a data source (DataSource) and edits it.
//
// Browsing, a control shows the field's DisplayText; while it has the focus
// or the record is being edited it shows Text. Typing asks the data source to
// put the dataset in edit mode (AutoEdit); a control that cannot edit (its
// ReadOnly, the field's, a read-only dataset) refuses the key. What was typed
// goes into the field on leaving the control and when the record is posted
// (UpdateData); a text the field does not take raises the field's conversion
// error, leaves the field as it was and keeps the focus on the control. Esc
// gives back the field's value. Strings are limited to the field's size.

#include <QPointer>

#include "db/datasource.h"
#include "ui/controls.h"

class TField;

// The link between a control and its field.
class TFieldDataLink : public TDataLink {
public:
    explicit TFieldDataLink(QWidget* control);
    QString FieldName() const { return fieldName_; }
    void setFieldName(const QString& name);
    TField* Field() const { return field_; }
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool v);
    // The field can be changed through the control.
    bool CanModify() const;
    // Puts the dataset in edit mode when it can; true when editing.
    bool EditField();

    std::function<void()> OnDataChange;     // show the field again
    std::function<void()> OnEditingChange;  // editing began or ended
    std::function<void()> OnUpdateData;     // write the control's value into the field
    std::function<void()> OnActiveChange;   // the field may be another

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;
    void EditingChanged() override;
    void UpdateData() override;
    void LayoutChanged() override;

private:
    void resolveField();
    QWidget* control_;
    QString fieldName_;
    QPointer<TField> field_;
    bool readOnly_ = false;
};

// DataSource, DataField and ReadOnly of a data control, published.
#define RH_DATA_CONTROL                                                     \
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE setDataSource) \
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)         \
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)               \
public:                                                                     \
    TDataSource* DataSource() const {                                       \
        return link_.DataSource();                                          \
    }                                                                       \
    void setDataSource(TDataSource* s) {                                    \
        link_.setDataSource(s);                                             \
    }                                                                       \
    QString DataField() const {                                             \
        return link_.FieldName();                                           \
    }                                                                       \
    void setDataField(const QString& n) {                                   \
        link_.setFieldName(n);                                              \
    }                                                                       \
    bool ReadOnly() const {                                                 \
        return link_.ReadOnly();                                            \
    }                                                                       \
    void setReadOnly(bool v) {                                              \
        link_.setReadOnly(v);                                               \
    }                                                                       \
    TField* Field() const {                                                 \
        return link_.Field();                                               \
    }                                                                       \
    TFieldDataLink& DataLink() {                                            \
        return link_;                                                       \
    }                                                                       \
                                                                            \
private:                                                                    \
    TFieldDataLink link_{this};

class TDBEdit : public TEdit {
    Q_OBJECT
    RH_DATA_CONTROL
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    // Writes a pending edit into the field (raises the field's error).
    void UpdateRecord() { link_.UpdateRecord(); }
    void DoEnter() override;
    void DoExit() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void showField();
    void applyReadOnly();
    bool showing_ = false;
    // The field's text is longer than the box holds: the box would give it
    // back cut, so it is not edited here.
    bool tooLong_ = false;
};

// A value the box cannot lay out in a moment (a line of more than
// kLineaMemo characters, or more than kTextoMemo in all) is shown read-only,
// its long lines broken and its end cut: the field keeps it whole.
class TDBMemo : public TMemo {
    Q_OBJECT
    RH_DATA_CONTROL
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    void UpdateRecord() { link_.UpdateRecord(); }
    void DoExit() override;
    // The text as the field holds it: the field's own value (its line ends
    // as stored) while the box shows it unchanged, else Text().
    QString Value() const;
    // The value is shown cut (see above).
    bool Bounded() const { return bounded_; }
    static constexpr qsizetype kLineaMemo = 10'000;
    static constexpr qsizetype kTextoMemo = 4'000'000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showField();
    void applyReadOnly();
    // The box shows the field's value (line ends aside) or the bounded view of it.
    bool showsField() const;
    bool showing_ = false;
    bool bounded_ = false;
};

// Checked when the field holds ValueChecked (several values ";"-separated,
// the first is written), unchecked for ValueUnchecked; a boolean field needs
// neither. A click writes the field at once.
class TDBCheckBox : public TCheckBox {
    Q_OBJECT
    RH_DATA_CONTROL
    Q_PROPERTY(QString ValueChecked READ ValueChecked WRITE setValueChecked)
    Q_PROPERTY(QString ValueUnchecked READ ValueUnchecked WRITE setValueUnchecked)
public:
    explicit TDBCheckBox(QWidget* parent = nullptr, const QString& caption = QString());
    QString ValueChecked() const { return valueChecked_; }
    void setValueChecked(const QString& v);
    QString ValueUnchecked() const { return valueUnchecked_; }
    void setValueUnchecked(const QString& v);

protected:
    void nextCheckState() override;

private:
    void showField();
    QString valueChecked_ = QStringLiteral("True");
    QString valueUnchecked_ = QStringLiteral("False");
    bool showing_ = false;
};

// The field's text among Items; a pick writes the field at once, typing on exit.
class TDBComboBox : public TComboBox {
    Q_OBJECT
    RH_DATA_CONTROL
public:
    explicit TDBComboBox(QWidget* parent = nullptr);
    void DoExit() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    bool showing_ = false;
};

// Shows, for the key in DataField, the ListField of the row of ListSource's
// dataset whose KeyField holds it; picking a row writes its key. The list is
// read when it drops down (up to DropDownRows rows); the shown text needs
// one lookup per change of record.
class TDBLookupComboBox : public QComboBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QComboBox)
    RH_DATA_CONTROL
    Q_PROPERTY(TDataSource* ListSource READ ListSource WRITE setListSource)
    Q_PROPERTY(QString KeyField READ KeyField WRITE setKeyField)
    Q_PROPERTY(QString ListField READ ListField WRITE setListField)
    Q_PROPERTY(QVariant KeyValue READ KeyValue WRITE setKeyValue)
    Q_PROPERTY(QString Text READ Text)
    RH_EVENT(OnCloseUp)
public:
    explicit TDBLookupComboBox(QWidget* parent = nullptr);
    TDataSource* ListSource() const { return listSource_; }
    void setListSource(TDataSource* source);
    QString KeyField() const { return keyField_; }
    void setKeyField(const QString& f);
    // Fields ";"-separated: the first is shown, all appear in the list.
    QString ListField() const { return listField_; }
    void setListField(const QString& f);
    int DropDownRows() const { return dropDownRows_; }
    void setDropDownRows(int n) { dropDownRows_ = n; }
    // The key shown; setting it writes it into the field (when linked).
    QVariant KeyValue() const { return keyValue_; }
    void setKeyValue(const QVariant& key);
    QString Text() const { return currentText(); }
    void showPopup() override;

    TNotifyEvent OnCloseUp;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    void showField();
    void showKey(const QVariant& key);
    void picked(int index);
    QString listText(TDataSet* list) const;
    QPointer<TDataSource> listSource_;
    QString keyField_;
    QString listField_;
    QVariant keyValue_;
    int dropDownRows_ = 100;
    bool showing_ = false;
};

// A radio group whose ItemIndex follows the field: Values (or, when empty,
// Items) hold what each button writes.
class TDBRadioGroup : public TRadioGroup {
    Q_OBJECT
    RH_DATA_CONTROL
    Q_PROPERTY(QStringList Values READ Values WRITE setValues)
    Q_PROPERTY(QString Value READ Value)
public:
    explicit TDBRadioGroup(QWidget* parent = nullptr, const QString& caption = QString());
    QStringList Values() const { return values_; }
    void setValues(const QStringList& v);
    QString Value() const;

protected:
    void itemChosen(int index) override;

private:
    void showField();
    QString valueOf(int index) const;
    QStringList values_;
};

// The picture held in a blob field.
class TDBImage : public TImage {
    Q_OBJECT
    RH_DATA_CONTROL
public:
    explicit TDBImage(QWidget* parent = nullptr);
    // Stores a picture in the field (the dataset goes into edit mode).
    void LoadPicture(const QImage& image);

private:
    void showField();
};

// A field's display text, read only.
class TDBText : public TLabel {
    Q_OBJECT
    RH_DATA_CONTROL
public:
    explicit TDBText(QWidget* parent = nullptr);

private:
    void showField();
};

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};

using TNavClickEvent = std::function<void(QObject* Sender, TNavigateBtn Button)>;
Q_DECLARE_METATYPE(TNavClickEvent)

// Buttons that move through and edit the dataset of a data source; each is
// enabled only where its action makes sense. VisibleButtons is a bit set of
// 1 << TNavigateBtn.
class TDBNavigator : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE setDataSource)
    Q_PROPERTY(int VisibleButtons READ VisibleButtons WRITE setVisibleButtons)
    RH_EVENT(OnNavClick)
public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;
    TDataSource* DataSource() const;
    void setDataSource(TDataSource* source);
    int VisibleButtons() const { return visible_; }
    void setVisibleButtons(int buttons);
    // Does what the button does (raising what the dataset raises).
    void BtnClick(TNavigateBtn button);
    QAbstractButton* Button(TNavigateBtn button) const;

    TNavClickEvent OnNavClick;

private:
    class Link;
    void updateButtons();
    std::unique_ptr<Link> link_;
    QList<QAbstractButton*> buttons_;
    int visible_ = 0x3FF;
};
