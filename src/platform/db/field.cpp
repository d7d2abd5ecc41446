#include "db/field.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <cmath>
#include <limits>

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/sysutils.h"
#include "db/typednumber.h"
#include "io/outputfile.h"

namespace {

const QVariant kNull;

inline bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

inline int typeOf(const QVariant& v) {
    return v.typeId();
}

// Dates arrive as QDate/QDateTime from most drivers and as ISO text from
// SQLite; a number is a day count.
QDateTime isoDateTime(const QString& s, bool* ok) {
    *ok = true;
    if (s.size() >= 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-')) {
        if (s.size() == 10) {
            QDate d = QDate::fromString(s, Qt::ISODate);
            if (d.isValid()) return QDateTime(d, QTime(0, 0));
        } else {
            QString t = s;
            if (t.at(10) == QLatin1Char(' ')) t[10] = QLatin1Char('T');
            QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
            if (!dt.isValid()) dt = QDateTime::fromString(t, Qt::ISODate);
            if (dt.isValid()) return dt;
        }
    } else if (s.size() >= 5 && s.at(2) == QLatin1Char(':')) {
        QTime t = QTime::fromString(s, s.size() > 8 ? Qt::ISODateWithMs : Qt::ISODate);
        if (t.isValid()) return QDateTime(ZeroDate(), t);
    }
    *ok = false;
    return QDateTime();
}

QDateTime variantToDateTime(const QVariant& v) {
    switch (typeOf(v)) {
        case QMetaType::QDateTime:
            return v.toDateTime();
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return QDateTime(ZeroDate(), v.toTime());
        case QMetaType::QString: {
            const QString s = v.toString();
            bool ok;
            QDateTime dt = isoDateTime(s, &ok);
            if (ok) return dt;
            return StrToDateTime(s);
        }
        case QMetaType::QByteArray:
            return variantToDateTime(QString::fromUtf8(v.toByteArray()));
        default:
            return DoubleToDateTime(v.toDouble());
    }
}

bool textToBool(const QString& text, bool* ok) {
    *ok = true;
    const QString t = text.trimmed();
    if (!t.isEmpty()) {
        if (QStringLiteral("False").startsWith(t, Qt::CaseInsensitive)) return false;
        if (QStringLiteral("True").startsWith(t, Qt::CaseInsensitive)) return true;
    }
    *ok = false;
    return false;
}

bool variantToBool(const QVariant& v) {
    switch (typeOf(v)) {
        case QMetaType::Bool:
            return v.toBool();
        case QMetaType::QString: {
            const QString s = v.toString();
            // The runtime reads a text as true by its first letter.
            if (s.isEmpty()) return false;
            const QChar c = s.at(0).toUpper();
            return c == QLatin1Char('T') || c == QLatin1Char('Y') || c == QLatin1Char('1') ||
                   c == QLatin1Char('S');
        }
        default:
            return v.toDouble() != 0;
    }
}

QString blobText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

int roundToInt(double d) {
    return static_cast<int>(std::nearbyint(d));
}

// An integer from any value that is not a text (the day number of a date).
int nonTextToInt(const QVariant& v) {
    switch (typeOf(v)) {
        case QMetaType::Double:
        case QMetaType::Float:
            return roundToInt(v.toDouble());
        case QMetaType::Bool:
            return v.toBool() ? 1 : 0;
        case QMetaType::QDate:
        case QMetaType::QDateTime:
            return int(std::floor(DateTimeToDouble(variantToDateTime(v))));
        default:
            return v.toInt();
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Conversions shared by fields, locate and filters.

QVariant TField::Normalize(const QVariant& v, TFieldType type) {
    if (isNullValue(v)) return QVariant();
    const int id = typeOf(v);
    if (IsStringType(type)) {
        if (id == QMetaType::QString) return v;
        if (id == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
        return v.toString();
    }
    if (IsIntegerType(type)) {
        if (id == QMetaType::Int) return v;
        if (id == QMetaType::QString) {
            qint64 n;
            if (TryStrToInt64(v.toString(), n)) return int(n);
            return QVariant();
        }
        if (id == QMetaType::Double) return roundToInt(v.toDouble());
        return v.toInt();
    }
    if (IsFloatType(type)) {
        if (id == QMetaType::Double) return v;
        if (id == QMetaType::QString) {
            double d;
            if (TryStrToFloat(v.toString(), d)) return d;
            return QVariant();
        }
        return v.toDouble();
    }
    switch (type) {
        case ftBoolean:
            return variantToBool(v);
        case ftDate:
            if (id == QMetaType::QDate) return v;
            return variantToDateTime(v).date();
        case ftTime:
            if (id == QMetaType::QTime) return v;
            return variantToDateTime(v).time();
        case ftDateTime:
            if (id == QMetaType::QDateTime) return v;
            return variantToDateTime(v);
        default:
            break;
    }
    if (IsBlobType(type)) {
        if (id == QMetaType::QByteArray) return v;
        if (id == QMetaType::QString) return v.toString().toLatin1();
        return v.toByteArray();
    }
    return v;
}

namespace {

// Where a text of `size` characters ends: a field's size counts characters
// (as the engines' varchar does), and a surrogate pair is one of them.
qsizetype characterCut(const QString& s, int size) {
    qsizetype at = 0;
    for (int n = 0; n < size && at < s.size(); ++n)
        at += s.at(at).isHighSurrogate() && at + 1 < s.size() && s.at(at + 1).isLowSurrogate() ? 2
                                                                                               : 1;
    return at;
}

}  // namespace

QVariant TField::Coerce(const QVariant& v, TFieldType type, int size) {
    if (isNullValue(v)) return QVariant();
    const int id = typeOf(v);
    if (IsStringType(type)) {
        QString s;
        switch (id) {
            case QMetaType::QString:
                s = v.toString();
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                s = FloatToStr(v.toDouble());
                break;
            case QMetaType::Bool:
                s = BoolToStr(v.toBool());
                break;
            case QMetaType::QDate:
                s = DateToStr(v.toDate());
                break;
            case QMetaType::QTime:
                s = TimeToStr(v.toTime());
                break;
            case QMetaType::QDateTime:
                s = DateTimeToStr(v.toDateTime());
                break;
            case QMetaType::QByteArray:
                s = QString::fromUtf8(v.toByteArray());
                break;
            default:
                s = v.toString();
                break;
        }
        if (type == ftString && size > 0 && s.size() > size) s.truncate(characterCut(s, size));
        return s;
    }
    if (id == QMetaType::QString) {
        const QString s = v.toString();
        // An empty text clears any field that is not a text.
        if (s.isEmpty() && !IsBlobType(type)) return QVariant();
        if (IsIntegerType(type)) {
            const qint64 n = StrToInt64(s);
            if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
                throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
            return int(n);
        }
        if (IsFloatType(type)) return StrToFloat(s);
        switch (type) {
            case ftBoolean: {
                bool ok;
                bool b = textToBool(s, &ok);
                if (!ok)
                    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(s));
                return b;
            }
            case ftDate:
            case ftTime:
            case ftDateTime: {
                bool ok;
                QDateTime dt = isoDateTime(s, &ok);
                if (type == ftDate) return ok ? dt.date() : StrToDate(s);
                if (type == ftTime) return ok ? dt.time() : StrToTime(s);
                return ok ? dt : StrToDateTime(s);
            }
            default:
                break;
        }
        if (IsBlobType(type)) return s.toLatin1();
        return v;
    }
    if (IsIntegerType(type)) return nonTextToInt(v);
    if (IsFloatType(type)) {
        switch (id) {
            case QMetaType::QDate:
            case QMetaType::QTime:
            case QMetaType::QDateTime:
                return DateTimeToDouble(variantToDateTime(v));
            default:
                return v.toDouble();
        }
    }
    return Normalize(v, type);
}

QString TField::TextOf(const QVariant& v, TFieldType type) {
    if (isNullValue(v)) return QString();
    const int id = typeOf(v);
    if (IsStringType(type))
        return id == QMetaType::QByteArray ? QString::fromUtf8(v.toByteArray()) : v.toString();
    if (IsIntegerType(type)) {
        if (id == QMetaType::QString) return v.toString();
        return QString::number(v.toLongLong());
    }
    if (IsFloatType(type)) return FloatToStr(Normalize(v, type).toDouble());
    switch (type) {
        case ftBoolean:
            return BoolToStr(variantToBool(v));
        case ftDate:
            return DateToStr(Normalize(v, type).toDate());
        case ftTime:
            return TimeToStr(Normalize(v, type).toTime());
        case ftDateTime:
            return DateTimeToStr(Normalize(v, type).toDateTime());
        default:
            break;
    }
    if (IsBlobType(type)) return blobText(Normalize(v, type).toByteArray());
    return v.toString();
}

// ---------------------------------------------------------------------------

TField::TField(TDataSet* dataSet, const QString& fieldName, TFieldType type, int size,
               TFieldKind kind)
    : QObject(dataSet),
      dataSet_(dataSet),
      fieldName_(fieldName),
      dataType_(type),
      size_(HasSize(type) ? size : 0),
      fieldKind_(kind) {
    updateObjectName();
}

TField::~TField() = default;

void TField::updateObjectName() {
    setObjectName(dataSet_ ? dataSet_->objectName() + fieldName_ : fieldName_);
}

void TField::setFieldName(const QString& name) {
    if (dataSet_) dataSet_->CheckInactive();
    fieldName_ = name;
    updateObjectName();
    if (dataSet_) dataSet_->fields_.rehash();
}

void TField::setSize(int size) {
    if (dataSet_) dataSet_->CheckInactive();
    size_ = HasSize(dataType_) ? size : 0;
}

bool TField::IsBlob() const {
    return IsBlobType(dataType_);
}

int TField::DisplayWidth() const {
    if (displayWidth_ >= 0) return displayWidth_;
    switch (dataType_) {
        case ftString:
            return size_ > 0 ? size_ : 20;
        case ftBoolean:
            return 5;
        case ftDate:
        case ftTime:
            return 10;
        case ftDateTime:
            return 18;
        case ftSmallint:
        case ftWord:
            return 6;
        default:
            return 10;
    }
}

TAlignment TField::Alignment() const {
    if (alignmentSet_) return alignment_;
    return IsIntegerType(dataType_) || IsFloatType(dataType_) ? taRightJustify : taLeftJustify;
}

const QVariant& TField::RawValue() const {
    return dataSet_ ? dataSet_->fieldValue(this) : kNull;
}

bool TField::IsNull() const {
    return isNullValue(RawValue());
}

namespace {

// The type Value gives for a field type (see field.h).
int canonicalTypeId(TFieldType type) {
    switch (type) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            return QMetaType::QString;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            return QMetaType::Int;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return QMetaType::Double;
        case ftBoolean:
            return QMetaType::Bool;
        case ftDate:
            return QMetaType::QDate;
        case ftTime:
            return QMetaType::QTime;
        case ftDateTime:
            return QMetaType::QDateTime;
        default:
            return QMetaType::UnknownType;
    }
}

}  // namespace

QVariant TField::Value() const {
    const QVariant& v = RawValue();
    // Records hold their values in the canonical type already, but for NULLs.
    if (v.typeId() == canonicalTypeId(dataType_) && v.typeId() != QMetaType::UnknownType &&
        !v.isNull())
        return v;
    return Normalize(v, dataType_);
}

void TField::store(QVariant value) {
    if (!dataSet_) throw EDatabaseError::make(DbError::NotEditing);
    dataSet_->setFieldValue(this, std::move(value));
}

void TField::setValue(const QVariant& value) {
    store(Coerce(value, dataType_, size_));
}

void TField::Clear() {
    store(QVariant());
}

QString TField::AsString() const {
    const QVariant& v = RawValue();
    // Texts are by far the most read: no conversion at all for them.
    if (typeOf(v) == QMetaType::QString && IsStringType(dataType_)) return v.toString();
    return TextOf(v, dataType_);
}

void TField::setAsString(const QString& value) {
    if (dataType_ == ftBoolean && !value.isEmpty()) {
        bool ok;
        bool b = textToBool(value, &ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid boolean value for field '%2'")
                                    .arg(value, DisplayName()));
        store(b);
        return;
    }
    store(Coerce(value, dataType_, size_));
}

int TField::AsInteger() const {
    const QVariant& v = RawValue();
    if (isNullValue(v)) return 0;
    const int id = typeOf(v);
    if (IsIntegerType(dataType_) && (id == QMetaType::Int || id == QMetaType::LongLong))
        return v.toInt();
    if (id == QMetaType::QString) {
        if (IsFloatType(dataType_)) return roundToInt(StrToFloat(v.toString()));
        if (IsDateTimeType(dataType_))
            return int(std::floor(DateTimeToDouble(variantToDateTime(v))));
        return StrToInt(v.toString());
    }
    return nonTextToInt(v);
}

void TField::setAsInteger(int value) {
    if (IsStringType(dataType_)) {
        store(Coerce(IntToStr(value), dataType_, size_));
    } else if (IsDateTimeType(dataType_)) {
        store(Normalize(DoubleToDateTime(value), dataType_));
    } else {
        store(Coerce(value, dataType_, size_));
    }
}

double TField::AsFloat() const {
    const QVariant& v = RawValue();
    if (isNullValue(v)) return 0;
    const int id = typeOf(v);
    if (id == QMetaType::Double) return v.toDouble();
    if (IsDateTimeType(dataType_)) return DateTimeToDouble(variantToDateTime(v));
    if (id == QMetaType::QString) return StrToFloat(v.toString());
    if (id == QMetaType::Bool) return v.toBool() ? 1 : 0;
    if (id == QMetaType::QDate || id == QMetaType::QDateTime)
        return DateTimeToDouble(variantToDateTime(v));
    return v.toDouble();
}

void TField::setAsFloat(double value) {
    if (IsDateTimeType(dataType_)) {
        store(Normalize(DoubleToDateTime(value), dataType_));
    } else {
        store(Coerce(value, dataType_, size_));
    }
}

QDateTime TField::AsDateTime() const {
    const QVariant& v = RawValue();
    if (isNullValue(v)) return ZeroDateTime();
    return variantToDateTime(v);
}

void TField::setAsDateTime(const QDateTime& value) {
    if (!value.isValid()) {
        store(QVariant());
    } else if (IsFloatType(dataType_)) {
        store(DateTimeToDouble(value));
    } else {
        store(Coerce(value, dataType_, size_));
    }
}

bool TField::AsBoolean() const {
    const QVariant& v = RawValue();
    if (isNullValue(v)) return false;
    return variantToBool(v);
}

void TField::setAsBoolean(bool value) {
    if (IsStringType(dataType_)) {
        // As the runtime writes a boolean into a text field.
        store(Coerce(QString(value ? QLatin1Char('T') : QLatin1Char('F')), dataType_, size_));
    } else {
        store(Coerce(value, dataType_, size_));
    }
}

QByteArray TField::AsBytes() const {
    const QVariant& v = RawValue();
    if (isNullValue(v)) return QByteArray();
    if (typeOf(v) == QMetaType::QByteArray) return v.toByteArray();
    if (IsStringType(dataType_)) return v.toString().toUtf8();
    return Normalize(v, ftBlob).toByteArray();
}

void TField::setAsBytes(const QByteArray& value) {
    if (IsStringType(dataType_)) {
        store(Coerce(QString::fromUtf8(value), dataType_, size_));
    } else {
        store(value.isNull() ? QVariant() : QVariant(value));
    }
}

QImage TField::AsImage() const {
    const QByteArray bytes = AsBytes();
    if (bytes.isEmpty()) return QImage();
    return QImage::fromData(bytes);
}

void TField::setAsImage(const QImage& image) {
    if (image.isNull()) {
        store(QVariant());
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    setAsBytes(bytes);
}

void TField::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EDatabaseError(DbError::General,
                             QStringLiteral("Cannot open file \"%1\"").arg(fileName),
                             file.errorString());
    setAsBytes(file.readAll());
}

void TField::SaveToFile(const QString& fileName) const {
    QString reason;
    if (!WriteWholeFile(fileName, AsBytes(), &reason))
        throw EDatabaseError(DbError::General,
                             QStringLiteral("Cannot create file \"%1\"").arg(fileName), reason);
}

QString TField::formatText(bool display) const {
    const QVariant& v = RawValue();
    if (IsBlobType(dataType_) && (!IsStringType(dataType_) || display)) {
        if (!display) return AsString();
        // "(MEMO)" with content, "(memo)" without, as grids show blobs.
        QString name = FieldTypeName(dataType_).mid(2);
        const bool empty =
            isNullValue(v) ||
            (typeOf(v) == QMetaType::QString ? v.toString().isEmpty() : v.toByteArray().isEmpty());
        return QLatin1Char('(') + (empty ? name.toLower() : name.toUpper()) + QLatin1Char(')');
    }
    if (isNullValue(v)) return QString();
    if (IsIntegerType(dataType_) || IsFloatType(dataType_)) {
        // Without an edit format the edit text is the plain number: a display
        // mask's thousands marks would be read back as something else.
        const QString& fmt = display ? displayFormat_ : editFormat_;
        if (fmt.isEmpty()) {
            if (dataType_ == ftCurrency && display)
                return FormatFloat(QStringLiteral("#,##0.00 €"), AsFloat());
            return AsString();
        }
        return FormatFloat(fmt, AsFloat());
    }
    if (IsDateTimeType(dataType_)) {
        if (display && !displayFormat_.isEmpty())
            return FormatDateTime(displayFormat_, variantToDateTime(v));
        return AsString();
    }
    return AsString();
}

QString TField::Text() const {
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    return formatText(false);
}

void TField::setText(const QString& text) {
    if (OnSetText) {
        OnSetText(this, text);
        return;
    }
    // What a clerk types reads "." as thousands only ("1.600" is 1600, "1.6"
    // is refused); code that stores a text goes through setAsString.
    if (IsFloatType(dataType_) && !text.isEmpty()) {
        double d;
        if (!TryTypedStrToFloat(text, d))
            throw EConvertError(
                QStringLiteral("'%1' is not a valid floating point value").arg(text));
        store(Coerce(d, dataType_, size_));
        return;
    }
    setAsString(text);
}

QString TField::DisplayText() const {
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    return formatText(true);
}

QVariant TField::OldValue() const {
    if (!dataSet_) return QVariant();
    return Normalize(dataSet_->oldFieldValue(this), dataType_);
}

void TField::setIndex(int index) {
    if (dataSet_) dataSet_->moveField(this, index);
}

// ---------------------------------------------------------------------------

TField* TFields::FindField(const QString& name) const {
    if (TField* f = exact_.value(name)) return f;
    if (list_.isEmpty()) return nullptr;
    return folded_.value(name.toLower());
}

TField* TFields::FieldByName(const QString& name) const {
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError::make(DbError::FieldNotFound, name);
}

void TFields::clear() {
    list_.clear();
    exact_.clear();
    folded_.clear();
}

void TFields::add(TField* f) {
    list_.append(f);
    exact_.insert(f->FieldName(), f);
    folded_.insert(f->FieldName().toLower(), f);
}

void TFields::move(int from, int to) {
    list_.move(from, to);
    for (int i = 0; i < list_.size(); ++i) list_[i]->index_ = i;
}

void TFields::rehash() {
    exact_.clear();
    folded_.clear();
    for (TField* f : list_) {
        exact_.insert(f->FieldName(), f);
        folded_.insert(f->FieldName().toLower(), f);
    }
}
