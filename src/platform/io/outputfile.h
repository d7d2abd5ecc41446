#pragma once
// Shared by the file writers of this folder (workbooks, joined PDFs): the
// typed error they raise, and the rule that a target file is either written
// whole or left as it was. A writer fills a temporary file beside the target
// and renames it over the target at the end, so that a failure, a crash or a
// reader looking in the meantime never sees half a file. A target that is a
// symbolic link is the file the link names: the link stays a link.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <exception>
#include <string>

// A file that could not be written or read. Message() is a complete Spanish
// sentence that names the file; FileName() is the file concerned.
class EOutputError : public std::exception {
public:
    EOutputError(const QString& message, const QString& fileName);

    const QString& Message() const { return message_; }
    const QString& FileName() const { return fileName_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    QString fileName_;
    std::string utf8_;
};

// The Spanish reason of a failed file operation, from its errno.
QString FileErrorReason(int error);

// The temporary file beside a target (beside the file a link names, when the
// target is a link), under a hidden random name. Create() makes it (empty,
// with the permissions a new file of the user gets, or the target's own when
// the target exists); Commit() renames it over the target; the destructor
// removes it when it was not committed. Where the folder takes no new file but
// the target exists and may be written, Create() makes the temporary file in
// the system's temporary folder instead and Commit() copies it into the target
// in place, checking every write and the flush to disk. Path() is known after
// Create(). Reasons are Spanish.
class TemporaryTarget {
public:
    explicit TemporaryTarget(const QString& target);
    ~TemporaryTarget();
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;

    // The target as given, for messages.
    const QString& Target() const { return target_; }
    const QString& Path() const { return path_; }
    // The target's bytes become its owner's alone (0600), written in place too.
    void SetOwnerOnly() { ownerOnly_ = true; }
    // False with a reason when no temporary file can be made.
    bool Create(QString* reason);
    bool Commit(QString* reason);

private:
    bool commitInPlace(QString* reason);

    QString target_;
    QString file_;  // the target with its links followed
    QString path_;
    bool created_ = false;
    bool inPlace_ = false;
    bool ownerOnly_ = false;
};

// Every file the program writes goes through here: the bytes go into a
// TemporaryTarget, each write is checked, and Commit() writes out what is
// buffered, flushes it to the disk and checks the close before it renames the
// file over the target. A write past a full disk or a size limit thus fails
// where it happens and leaves the target as it was (no empty or partial file).
// A device, so that streaming writers (a PDF writer, a text export) can write
// into it straight.
class TOutputFile : public QIODevice {
public:
    // ownerOnly: the new file is readable by its owner alone (0600) from
    // before its first byte, whatever the target's mode was.
    explicit TOutputFile(const QString& target, bool ownerOnly = false);
    ~TOutputFile() override;

    const QString& Target() const { return temp_.Target(); }
    // Opens for writing only; errorString() says why it could not.
    bool open(OpenMode mode) override;
    void close() override;
    // False with errorString() when any write failed or the file could not be
    // completed; the target is then untouched.
    bool Commit();
    bool Failed() const { return failed_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override;

private:
    bool fail(const QString& reason);
    bool drain();

    TemporaryTarget temp_;
    bool ownerOnly_;
    int fd_ = -1;
    bool failed_ = false;
    QByteArray buffer_;
};

// The bytes as the whole new content of the target; false with the (Spanish) reason.
bool WriteWholeFile(const QString& target, const QByteArray& bytes, QString* reason = nullptr,
                    bool ownerOnly = false);
