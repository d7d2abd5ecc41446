#pragma once
// TField: one class for every field type (DataType tells which). A field owns
// no value: it reads and writes the record buffer its dataset has active for
// the current state (the current row, the edit buffer, the key buffer, the
// row a filter is looking at). Conversions follow the fixed Spanish
// conventions of db/sysutils.h and happen only when an As-accessor asks.

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

#include "db/fieldtypes.h"

class QDateTime;
class QImage;
class TDataSet;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TField : public QObject {
    Q_OBJECT
public:
    // Fields are created by their dataset (TDataSet::AddField, or the default
    // fields built at Open); the dataset owns them.
    TField(TDataSet* dataSet, const QString& fieldName, TFieldType type, int size, TFieldKind kind);
    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    QString FieldName() const { return fieldName_; }
    void setFieldName(const QString& name);  // only while the dataset is closed
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void setSize(int size);  // only while the dataset is closed
    TFieldKind FieldKind() const { return fieldKind_; }
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    bool Lookup() const { return fieldKind_ == fkLookup; }
    bool IsBlob() const;
    // 1-based position in the record source; 0 for calculated and lookup fields.
    int FieldNo() const { return column_ + 1; }
    // Position in the dataset's Fields(); setting it moves the field there
    // (the others keep their order), as a user moving a grid column does.
    int Index() const { return index_; }
    void setIndex(int index);

    bool Required() const { return required_; }
    void setRequired(bool v) { required_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool v) { readOnly_ = v; }
    bool Visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    int Tag() const { return tag_; }
    void setTag(int v) { tag_ = v; }
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void setDisplayLabel(const QString& v) { displayLabel_ = v; }
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;  // characters; defaults by type and Size
    void setDisplayWidth(int v) { displayWidth_ = v; }
    QString DisplayFormat() const { return displayFormat_; }
    void setDisplayFormat(const QString& v) { displayFormat_ = v; }
    QString EditFormat() const { return editFormat_; }
    void setEditFormat(const QString& v) { editFormat_ = v; }
    QString EditMask() const { return editMask_; }
    void setEditMask(const QString& v) { editMask_ = v; }
    TAlignment Alignment() const;  // numbers right-justified unless set
    void setAlignment(TAlignment v) {
        alignment_ = v;
        alignmentSet_ = true;
    }

    // The value in the field's canonical type: QString (strings and memos),
    // int (integer types), double (float, currency, BCD), bool, QDate (ftDate),
    // QTime (ftTime), QDateTime (ftDateTime), QByteArray (blobs); an invalid
    // QVariant when NULL. setValue converts from any of those (texts as
    // setAsString does); an invalid or null QVariant clears the field.
    QVariant Value() const;
    void setValue(const QVariant& value);
    QString AsString() const;
    void setAsString(const QString& value);
    int AsInteger() const;
    void setAsInteger(int value);
    double AsFloat() const;
    void setAsFloat(double value);
    double AsCurrency() const { return AsFloat(); }
    void setAsCurrency(double value) { setAsFloat(value); }
    // NULL reads as the zero date, as the runtime's day number 0.
    QDateTime AsDateTime() const;
    void setAsDateTime(const QDateTime& value);
    bool AsBoolean() const;
    void setAsBoolean(bool value);
    QByteArray AsBytes() const;
    void setAsBytes(const QByteArray& value);
    QImage AsImage() const;                      // a null image when empty or not an image
    void setAsImage(const QImage& image);        // stored as PNG
    void LoadFromFile(const QString& fileName);  // blobs; raises on a read error
    void SaveToFile(const QString& fileName) const;

    // Edit text (OnGetText with DisplayText false, EditFormat) and display
    // text (OnGetText with DisplayText true, DisplayFormat, "(MEMO)").
    QString Text() const;
    void setText(const QString& text);  // OnSetText when assigned, else setAsString
    QString DisplayText() const;

    bool IsNull() const;
    void Clear();
    // While editing: the value as read (OldValue) and as edited (NewValue).
    QVariant OldValue() const;
    QVariant NewValue() const { return Value(); }

    // Lookup fields: KeyFields of this dataset (";"-separated) matched with
    // LookupKeyFields of LookupDataSet give LookupResultField.
    QString KeyFields() const { return keyFields_; }
    void setKeyFields(const QString& v) { keyFields_ = v; }
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void setLookupDataSet(TDataSet* v) { lookupDataSet_ = v; }
    QString LookupKeyFields() const { return lookupKeyFields_; }
    void setLookupKeyFields(const QString& v) { lookupKeyFields_ = v; }
    QString LookupResultField() const { return lookupResultField_; }
    void setLookupResultField(const QString& v) { lookupResultField_ = v; }

    std::function<void(TField* Sender, QString& Text, bool DisplayText)> OnGetText;
    std::function<void(TField* Sender, const QString& Text)> OnSetText;
    std::function<void(TField* Sender)> OnChange;
    std::function<void(TField* Sender)> OnValidate;

    // The stored value as the record source holds it (no conversion).
    const QVariant& RawValue() const;

    // A value converted to `type` as setValue would store it (strings cut to
    // size); raises EConvertError when a text does not convert.
    static QVariant Coerce(const QVariant& value, TFieldType type, int size);
    // The canonical form of a value read from a record source.
    static QVariant Normalize(const QVariant& value, TFieldType type);
    // A stored value as AsString gives it.
    static QString TextOf(const QVariant& value, TFieldType type);

private:
    friend class TDataSet;
    friend class TFields;
    void store(QVariant value);
    QString formatText(bool display) const;
    void updateObjectName();
    [[noreturn]] void conversionError(const char* what) const;

    TDataSet* dataSet_;
    QString fieldName_;
    TFieldType dataType_;
    int size_;
    TFieldKind fieldKind_;
    int column_ = -1;    // column of the record source (data fields)
    int calcSlot_ = -1;  // slot in the calculated-values buffer (calculated, lookup)
    int index_ = -1;
    bool persistent_ = false;
    bool required_ = false;
    bool readOnly_ = false;
    bool visible_ = true;
    bool alignmentSet_ = false;
    TAlignment alignment_ = taLeftJustify;
    int tag_ = 0;
    int displayWidth_ = -1;
    QString displayLabel_;
    QString displayFormat_;
    QString editFormat_;
    QString editMask_;
    QString keyFields_;
    TDataSet* lookupDataSet_ = nullptr;
    QString lookupKeyFields_;
    QString lookupResultField_;
};

// The fields of a dataset in order; FieldByName is case-insensitive.
class TFields {
public:
    int Count() const { return int(list_.size()); }
    TField* operator[](int i) const { return list_[i]; }
    TField* Fields(int i) const { return list_[i]; }
    TField* FindField(const QString& name) const;    // nullptr when missing
    TField* FieldByName(const QString& name) const;  // raises FieldNotFound
    QList<TField*>::const_iterator begin() const { return list_.begin(); }
    QList<TField*>::const_iterator end() const { return list_.end(); }

private:
    friend class TDataSet;
    friend class TField;
    void clear();
    void add(TField* f);
    void move(int from, int to);
    void rehash();
    QList<TField*> list_;
    QHash<QString, TField*> exact_;   // names as spelled
    QHash<QString, TField*> folded_;  // lower-case names
};
