#pragma once
// A full disk for the files a test writes: while a TDiscoLleno lives, a write
// that would make any file of this process larger than the limit fails with
// EFBIG (SIGXFSZ ignored, so the process goes on) and the writer must say so.
// Set it only around the write under test: the databases' files are files of
// this process too.

#include <sys/resource.h>
#include <QString>
#include <QStringList>

class TDiscoLleno {
public:
    explicit TDiscoLleno(rlim_t bytes);
    ~TDiscoLleno();
    TDiscoLleno(const TDiscoLleno&) = delete;
    TDiscoLleno& operator=(const TDiscoLleno&) = delete;

private:
    struct rlimit previo_;
    void (*senal_)(int);
};

// The entries of a folder, hidden ones too: a failed write must leave no
// temporary file behind.
QStringList EntradasCarpeta(const QString& carpeta);
