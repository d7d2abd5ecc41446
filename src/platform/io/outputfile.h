#pragma once
// Shared by the file writers of this folder (workbooks, joined PDFs): the
// typed error they raise, and the rule that a target file is either written
// whole or left as it was. A writer fills a temporary file beside the target
// and renames it over the target at the end, so that a failure, a crash or a
// reader looking in the meantime never sees half a file.

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
