#pragma once
// Typed database errors. The message of each code is the English text that
// the exception translator recognises, spelled exactly as it expects it.

#include <QString>
#include <exception>
#include <string>

enum class DbError {
    General,            // any other engine error: message is the engine's text
    KeyViolation,       // "Key violation"
    RecordLocked,       // "Record locked by another user" (also a busy or locked database)
    RecordChanged,      // "A deadlock was detected" (changed by another user since read)
    RecordDeleted,      // "Record/Key Deleted" (deleted by another user since read)
    TableNotFound,      // "Table does not exist"
    FieldNotFound,      // "Field 'X' not found"
    FieldTypeMismatch,  // "Field 'X' is not of the expected type"
    FieldRequired,      // "Field 'X' must have a value"
    IndexNotFound,      // "Index does not exist"
    NoIndexActive,      // "No index currently active"
    NotEditing,         // "Dataset not in edit or insert mode"
    EmptyDataSet,       // "Cannot perform this operation on an empty dataset"
    ClosedDataSet,      // "Cannot perform this operation on a closed dataset"
    OpenDataSet,        // "Cannot perform this operation on an open dataset"
    ReadOnly,           // "Cannot modify a read-only dataset"
    InvalidValue,       // "'x' is not a valid integer value" and the like (conversion)
    FilterError,        // a filter expression that does not parse or bind
    SqlError,           // a statement the engine refused (syntax, missing column)
    NoSqlStatement,     // "No SQL statement available"
    TransactionActive,  // "already has an active transaction"
    NotInTransaction,   // "No active transaction"
    ConnectionFailed,   // could not open the database
    DatabaseNotFound,   // the database (file or schema) does not exist
    InvalidBookmark,    // "Invalid bookmark"
    UnsupportedEngine,  // an engine that is not available here
    ConnectionLost,     // the server ended the connection; the next action reconnects
    NotPlainTable,      // a view or the like under a program table's name: message in Spanish
};

// A database error with its code, its exact English message and, apart, the
// details a log or a developer wants (table name, engine text, statement).
class EDatabaseError : public std::exception {
public:
    EDatabaseError(DbError code, const QString& message, const QString& detail = QString());
    // The standard message of a code; %1 in it is replaced by arg.
    static EDatabaseError make(DbError code, const QString& arg = QString(),
                               const QString& detail = QString());

    DbError code() const { return code_; }
    const QString& Message() const { return message_; }
    const QString& detail() const { return detail_; }
    // The engine's own code for an error it raised (PostgreSQL's SQLSTATE,
    // SQLite's extended result code); empty for the errors of this layer.
    const QString& engineCode() const { return engineCode_; }
    EDatabaseError& setEngineCode(const QString& code) {
        engineCode_ = code;
        return *this;
    }
    // Whether the message is the engine's (or its driver's) own words, as
    // opposed to a code's standard text or this layer's reasons: set from
    // the engine's whole text of the error, which then holds the message.
    bool engineWords() const { return engineWords_; }
    EDatabaseError& setEngineText(const QString& text) {
        engineWords_ = !message_.isEmpty() && text.contains(message_);
        return *this;
    }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    DbError code_;
    QString message_;
    QString detail_;
    QString engineCode_;
    bool engineWords_ = false;
    std::string utf8_;
};

// A failed conversion of a text into a value ("'x' is not a valid integer value").
class EConvertError : public EDatabaseError {
public:
    explicit EConvertError(const QString& message)
        : EDatabaseError(DbError::InvalidValue, message) {}
};

// The silent abort: cancels the operation under way; nobody shows a message.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
[[noreturn]] void Abort();

// A user's statement that the user stopped while it ran: a silent abort to
// callers that do not look for it; the windows that run users' statements
// say that it was cancelled.
class EUserStatementCancelled : public EAbort {
public:
    const char* what() const noexcept override { return "Statement cancelled"; }
};

// Standard messages.
QString DbErrorText(DbError code, const QString& arg = QString());
