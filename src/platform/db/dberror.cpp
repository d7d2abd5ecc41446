#include "db/dberror.h"

EDatabaseError::EDatabaseError(DbError code, const QString& message, const QString& detail)
    : code_(code), message_(message), detail_(detail), utf8_(message.toStdString()) {}

EDatabaseError EDatabaseError::make(DbError code, const QString& arg, const QString& detail) {
    return EDatabaseError(code, DbErrorText(code, arg), detail);
}

void Abort() {
    throw EAbort();
}

QString DbErrorText(DbError code, const QString& arg) {
    QString text;
    switch (code) {
        case DbError::General:
            text = arg;
            break;
        case DbError::KeyViolation:
            text = QStringLiteral("Key violation");
            break;
        case DbError::RecordLocked:
            text = QStringLiteral("Record locked by another user");
            break;
        case DbError::RecordChanged:
            text = QStringLiteral("A deadlock was detected");
            break;
        case DbError::RecordDeleted:
            text = QStringLiteral("Record/Key Deleted");
            break;
        case DbError::TableNotFound:
            text = QStringLiteral("Table does not exist");
            break;
        case DbError::FieldNotFound:
            text = QStringLiteral("Field '%1' not found");
            break;
        case DbError::FieldTypeMismatch:
            text = QStringLiteral("Field '%1' is not of the expected type");
            break;
        case DbError::FieldRequired:
            text = QStringLiteral("Field '%1' must have a value");
            break;
        case DbError::IndexNotFound:
            text = QStringLiteral("Index does not exist");
            break;
        case DbError::NoIndexActive:
            text = QStringLiteral("No index currently active");
            break;
        case DbError::NotEditing:
            text = QStringLiteral("Dataset not in edit or insert mode");
            break;
        case DbError::EmptyDataSet:
            text = QStringLiteral("Cannot perform this operation on an empty dataset");
            break;
        case DbError::ClosedDataSet:
            text = QStringLiteral("Cannot perform this operation on a closed dataset");
            break;
        case DbError::OpenDataSet:
            text = QStringLiteral("Cannot perform this operation on an open dataset");
            break;
        case DbError::ReadOnly:
            text = QStringLiteral("Cannot modify a read-only dataset");
            break;
        case DbError::InvalidValue:
            text = QStringLiteral("'%1' is not a valid value");
            break;
        case DbError::FilterError:
            text = QStringLiteral("Type mismatch in expression");
            break;
        case DbError::SqlError:
            text = arg;
            break;
        case DbError::NoSqlStatement:
            text = QStringLiteral("No SQL statement available");
            break;
        case DbError::TransactionActive:
            text = QStringLiteral("Database already has an active transaction");
            break;
        case DbError::NotInTransaction:
            text = QStringLiteral("No active transaction");
            break;
        case DbError::ConnectionFailed:
            text = QStringLiteral("Unable to open database");
            break;
        case DbError::DatabaseNotFound:
            text = QStringLiteral("Path not found");
            break;
        case DbError::InvalidBookmark:
            text = QStringLiteral("Invalid bookmark");
            break;
        case DbError::UnsupportedEngine:
            text = QStringLiteral("Engine not available");
            break;
        case DbError::ConnectionLost:
            text = QStringLiteral("Connection to the database server lost");
            break;
        case DbError::NotPlainTable:
            text = arg;
            break;
    }
    if (text.contains(QLatin1String("%1"))) text = text.arg(arg);
    return text;
}
