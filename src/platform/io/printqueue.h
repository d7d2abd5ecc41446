#pragma once
// Files and raw byte streams handed to a CUPS print queue through `lp`, or
// written to the file the print dialog chose ("print to file"). A raw stream
// goes to the printer as it is (`-o raw`): the printer's own control codes and
// character set, for text printers.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class TemporaryTarget;

// Sends Data to Queue ("" for the CUPS default queue). False with a Spanish
// reason when `lp` is missing or refuses the job.
bool SendToPrintQueue(const QString& Queue, const QByteArray& Data, bool Raw, QString* Reason);
// The same for a file (a PDF, or anything the queue's filters take).
bool SendFileToPrintQueue(const QString& Queue, const QString& File, bool Raw, QString* Reason);

// A raw stream written whole into File when one is given, else sent to Queue.
bool PrintRawTo(const QString& File, const QString& Queue, const QByteArray& Data, QString* Reason);
// To the printer the print dialog set up: its output file when it prints to a
// file (written whole), else its queue.
bool PrintRaw(const QPrinter& Printer, const QByteArray& Data, QString* Reason);
bool PrintFile(const QPrinter& Printer, const QString& File, QString* Reason);

// A printer set to print into a PDF file ("print to file" in the print
// dialog) writes it beside the target instead: Qt's own writer tells no failed
// write, so Commit, once the painter has ended, puts the file in place only
// when it is a whole PDF that reached the disk, and the target is otherwise
// left as it was. Nothing for a printer that prints. The printer names its
// target again when this ends.
class TPrinterFile {
public:
    explicit TPrinterFile(QPrinter& Printer);
    ~TPrinterFile();
    TPrinterFile(const TPrinterFile&) = delete;
    TPrinterFile& operator=(const TPrinterFile&) = delete;

    // The file the printer prints into ("" for a printer that prints).
    QString Target() const;
    // True at once for a printer that prints; false with a Spanish reason
    // when the file is not whole or could not be put in place.
    bool Commit(QString* Reason);
    // Why the file cannot be written, known before the printing starts ("" if
    // nothing stands in the way).
    const QString& Failure() const { return failure_; }

private:
    QPrinter& printer_;
    std::unique_ptr<TemporaryTarget> temp_;
    QString failure_;
};

// Tests take the jobs meant for a queue: the queue, the bytes, whether raw.
// An empty function restores `lp`.
using TPrintQueueSeam =
    std::function<bool(const QString& Queue, const QByteArray& Data, bool Raw, QString* Reason)>;
void SetPrintQueueSeam(TPrintQueueSeam Seam);
