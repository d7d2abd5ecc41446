#pragma once
// Shared by the file writers of this folder (workbooks, joined PDFs): the
// typed error they raise, and the rule that a target file is either written
// whole or left as it was. A writer fills a temporary file beside the target
// and renames it over the target at the end, so that a failure, a crash or a
// reader looking in the meantime never sees half a file.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <exception>
#include <string>

// A file that could not be written or read. Message() is a complete English
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

// The temporary file beside a target, under a hidden random name chosen at
// construction. Create() makes it (empty, with the permissions a new file of
// the user gets, or the target's own when the target exists); Commit() renames
// it over the target; the destructor removes it when it was not committed.
class TemporaryTarget {
public:
    explicit TemporaryTarget(const QString& target);
    ~TemporaryTarget();
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;

    const QString& Target() const { return target_; }
    const QString& Path() const { return path_; }
    // False with a reason when the folder does not take a new file.
    bool Create(QString* reason);
    bool Commit(QString* reason);

private:
    QString target_;
    QString path_;
    bool created_ = false;
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

// The bytes as the whole new content of the target; false with the reason.
bool WriteWholeFile(const QString& target, const QByteArray& bytes, QString* reason = nullptr,
                    bool ownerOnly = false);
