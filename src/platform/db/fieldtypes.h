#pragma once
// Field types, field and index definitions shared by datasets, cursors and
// the SQL dialects.

#include <QList>
#include <QString>
#include <QStringList>

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary
};

enum TFieldKind { fkData, fkCalculated, fkLookup };

// "ftString" .. "ftTypedBinary"; FieldTypeFromName also takes "ftSmallInt" and
// ignores case; an unknown name gives ftUnknown.
QString FieldTypeName(TFieldType type);
TFieldType FieldTypeFromName(const QString& name);

// Groups of types as the conversions and the engines see them.
bool IsStringType(TFieldType t);    // ftString, ftMemo, ftFmtMemo
bool IsIntegerType(TFieldType t);   // ftSmallint, ftInteger, ftWord, ftAutoInc
bool IsFloatType(TFieldType t);     // ftFloat, ftCurrency, ftBCD
bool IsDateTimeType(TFieldType t);  // ftDate, ftTime, ftDateTime
bool IsBlobType(TFieldType t);      // ftBytes .. ftTypedBinary except ftAutoInc, ftMemo counts too
// Size is meaningful (a maximum length) only for ftString, ftBytes, ftVarBytes.
bool HasSize(TFieldType t);

struct TFieldDef {
    QString Name;  // the dictionary spelling ("CodigoOperario")
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};
using TFieldDefs = QList<TFieldDef>;

enum TIndexOption {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8
};

struct TIndexDef {
    QString Name;         // as the engine names it (see TTable::IndexDefs)
    QString Fields;       // field names joined by ";"
    int Options = 0;      // TIndexOption flags
    QString DescFields;   // fields sorted descending when not all of them are
    QStringList FieldList() const;
};
using TIndexDefs = QList<TIndexDef>;
