#include "db/fieldtypes.h"

namespace {
const char* const kTypeNames[] = {
    "ftUnknown", "ftString",   "ftSmallint", "ftInteger",    "ftWord",      "ftBoolean",
    "ftFloat",   "ftCurrency", "ftBCD",      "ftDate",       "ftTime",      "ftDateTime",
    "ftBytes",   "ftVarBytes", "ftAutoInc",  "ftBlob",       "ftMemo",      "ftGraphic",
    "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
constexpr int kTypeCount = int(sizeof(kTypeNames) / sizeof(kTypeNames[0]));
}  // namespace

QString FieldTypeName(TFieldType type) {
    int i = int(type);
    return (i >= 0 && i < kTypeCount) ? QString::fromLatin1(kTypeNames[i])
                                      : QStringLiteral("ftUnknown");
}

TFieldType FieldTypeFromName(const QString& name) {
    const QString n = name.trimmed();
    for (int i = 0; i < kTypeCount; ++i)
        if (n.compare(QLatin1String(kTypeNames[i]), Qt::CaseInsensitive) == 0)
            return TFieldType(i);
    return ftUnknown;
}

bool IsStringType(TFieldType t) { return t == ftString || t == ftMemo || t == ftFmtMemo; }
bool IsIntegerType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc;
}
bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool IsDateTimeType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }
bool IsBlobType(TFieldType t) {
    return t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftMemo || t == ftGraphic ||
           t == ftFmtMemo || t == ftParadoxOle || t == ftDBaseOle || t == ftTypedBinary;
}
bool HasSize(TFieldType t) { return t == ftString || t == ftBytes || t == ftVarBytes; }

QStringList TIndexDef::FieldList() const {
    QStringList out;
    for (const QString& f : Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        out << f.trimmed();
    return out;
}
