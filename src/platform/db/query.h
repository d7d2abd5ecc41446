#pragma once
// TQuery: a statement on a named database with ":name" parameters. Open
// reads a result forward as navigation needs it and keeps what it read;
// a plain single-table SELECT that includes the table's primary key gives a
// live (editable) result whose posts go to the table by key. ExecSQL runs a
// statement without a result.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "db/dataset.h"

class QDateTime;
class QDate;
class QSqlQuery;
class TDatabase;

// The SQL text as lines (the runtime's string list).
class TSQLStrings {
public:
    void Add(const QString& line);
    void Clear();
    int Count() const { return int(lines_.size()); }
    QString operator[](int i) const { return lines_.value(i); }
    QString Strings(int i) const { return lines_.value(i); }
    // The lines each followed by CR LF; setText splits on any line break.
    QString Text() const;
    void setText(const QString& text);
    const QStringList& Lines() const { return lines_; }
    void setLines(const QStringList& lines);

private:
    friend class TQuery;
    void changed();
    QStringList lines_;
    std::function<void()> onChange_;
};

class TParam {
public:
    explicit TParam(const QString& name) : name_(name) {}
    QString Name() const { return name_; }
    TFieldType DataType() const { return dataType_; }
    void setDataType(TFieldType type) { dataType_ = type; }

    // Setters give the parameter the type of what they set.
    QVariant Value() const { return value_; }
    void setValue(const QVariant& value);
    QString AsString() const;
    void setAsString(const QString& v);
    int AsInteger() const;
    void setAsInteger(int v);
    double AsFloat() const;
    void setAsFloat(double v);
    double AsCurrency() const { return AsFloat(); }
    void setAsCurrency(double v);
    QDateTime AsDateTime() const;
    void setAsDateTime(const QDateTime& v);
    void setAsDate(const QDate& v);
    bool AsBoolean() const;
    void setAsBoolean(bool v);
    void setAsBlob(const QByteArray& v);
    bool IsNull() const { return !value_.isValid() || value_.isNull(); }
    void Clear() { value_ = QVariant(); }

private:
    QString name_;
    TFieldType dataType_ = ftUnknown;
    QVariant value_;
};

class TParams {
public:
    TParams() = default;
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;
    int Count() const { return int(list_.size()); }
    TParam* operator[](int i) const { return list_[i].get(); }
    TParam* Items(int i) const { return list_[i].get(); }
    TParam* FindParam(const QString& name) const;    // case-insensitive; nullptr when missing
    TParam* ParamByName(const QString& name) const;  // raises "Parameter 'X' not found"
    // Removes every parameter: the statement then runs with its ":name"
    // texts as typed (a user's SQL whose colons are not parameters).
    void Clear();

private:
    friend class TQuery;
    std::vector<std::unique_ptr<TParam>> list_;
};

class TQuery : public TDBDataSet {
    Q_OBJECT
public:
    explicit TQuery(QObject* parent = nullptr);
    ~TQuery() override;

    // Changing the text closes the query; parameters are rebuilt from it,
    // keeping the values of those whose names remain.
    TSQLStrings& SQL() { return sql_; }
    TParams& Params() { return params_; }
    TParam* ParamByName(const QString& name) const { return params_.ParamByName(name); }
    int ParamCount() const { return params_.Count(); }

    void Prepare();
    void Unprepare();
    bool Prepared() const { return prepared_; }
    // Runs a statement that gives no result; RowsAffected tells how many rows
    // it changed.
    void ExecSQL();
    int RowsAffected() const { return rowsAffected_; }

    // Whether a result may be live (default true): with false every result is
    // read-only. Takes effect at the next Open.
    bool RequestLive() const { return requestLive_; }
    void setRequestLive(bool v) { requestLive_ = v; }

    // A statement a user typed (default false), confined by the engine
    // (TDatabase::ExecuteUser): Open only reads, ExecSQL may also change
    // rows and tables of its database. On PostgreSQL it runs on the
    // database's connection for users' statements
    // (TDatabase::UserStatements), a result opened from it read whole in a
    // read-only transaction (PacketRecords aside), and what it left in that
    // session ends with it; a live result still writes through the database
    // itself. Takes effect at the next Open or ExecSQL.
    bool UserStatement() const { return userStatement_; }
    void setUserStatement(bool v) { userStatement_ = v; }

    // Rows read from the engine at a time: -1 (the default) reads the whole
    // result at Open; more than 0 reads that many at Open and the rest as
    // navigation needs them (any other statement on the connection has the
    // rest read first). Takes effect at the next Open.
    int PacketRecords() const { return packetRecords_; }
    void setPacketRecords(int n) { packetRecords_ = n; }
    // Rows of the open result read from the engine and kept so far.
    int RowsHeld() const;
    // Hands the open result over and closes: its columns (`defs`), the rows
    // read so far moved into `rows` (in order, values in the columns' types)
    // and the source of the rest (null when every row is read). An edit is
    // posted first.
    std::unique_ptr<TRowSource> TakeResult(TFieldDefs& defs, std::vector<QVector<QVariant>>& rows);
    // Where an open live result writes: its one table, the table column of
    // each result column (an alias resolved) and the key's columns. Empty
    // when the result is read-only. `leftOut`: the result columns of fields
    // hidden from the user, read as NULL, never written nor matched by.
    struct LiveTarget {
        QString table;
        QStringList columns;
        QStringList keyFields;
        QVector<bool> leftOut;
    };
    LiveTarget Target() const;

    // The parameter names of a statement in order of first appearance
    // (":name" outside quotes and comments; "::" is not a parameter), and the
    // statement with each parameter that `bind` accepts (all without it)
    // written as a positional "?" (with `numbered`, "$1", "$2", ...), with
    // those names in order.
    static QStringList ParamNames(const QString& sql, QString* positional = nullptr,
                                  QStringList* occurrences = nullptr,
                                  const std::function<bool(const QString&)>& bind = nullptr,
                                  bool numbered = false);

protected:
    std::unique_ptr<TCursor> CreateCursor() override;
    void InternalClose() override;

private:
    void sqlChanged();
    QString text() const;
    // The positional statement and its bound values.
    QString bindStatement(QVariantList& binds, const TDatabase* db) const;
    // `readOnly`: a user's statement may only read (see TDatabase::ExecuteUser).
    QSqlQuery execute(TDatabase* db, const QString& sql, const QVariantList& binds,
                      bool readOnly) const;

    TSQLStrings sql_;
    TParams params_;
    bool prepared_ = false;
    bool requestLive_ = true;
    bool userStatement_ = false;
    int packetRecords_ = -1;
    int rowsAffected_ = -1;
};
