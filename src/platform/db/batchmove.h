#pragma once
// TBatchMove copies the records of a dataset into a table, possibly on
// another database: appending, updating by the destination's primary key,
// both, deleting what matches, or copying into a table created anew. The
// work runs in one transaction of the destination's database unless one is
// already running there.

#include <QObject>
#include <QStringList>

class TDataSet;
class TTable;

enum TBatchMode { batAppend, batUpdate, batAppendUpdate, batCopy, batDelete };

class TBatchMove : public QObject {
    Q_OBJECT
public:
    explicit TBatchMove(QObject* parent = nullptr);
    ~TBatchMove() override;

    TDataSet* Source() const { return source_; }
    void setSource(TDataSet* source) { source_ = source; }
    TTable* Destination() const { return destination_; }
    void setDestination(TTable* destination) { destination_ = destination; }
    TBatchMode Mode() const { return mode_; }
    void setMode(TBatchMode mode) { mode_ = mode; }
    // "Dest=Src" or "Name" lines; none: the fields both have, by name.
    QStringList& Mappings() { return mappings_; }
    void setMappings(const QStringList& mappings) { mappings_ = mappings; }
    // True (the default): the first key violation undoes the move and
    // raises; false: the record is skipped and counted.
    bool AbortOnKeyViol() const { return abortOnKeyViol_; }
    void setAbortOnKeyViol(bool v) { abortOnKeyViol_ = v; }

    // Raises NoIndexActive for the update and delete modes when the
    // destination has no primary key.
    void Execute();
    int MovedCount() const { return moved_; }
    int KeyViolCount() const { return keyViol_; }
    // Records skipped because a value did not convert to the destination's field.
    int ProblemCount() const { return problems_; }

private:
    TDataSet* source_ = nullptr;
    TTable* destination_ = nullptr;
    TBatchMode mode_ = batAppend;
    QStringList mappings_;
    bool abortOnKeyViol_ = true;
    int moved_ = 0;
    int keyViol_ = 0;
    int problems_ = 0;
};
