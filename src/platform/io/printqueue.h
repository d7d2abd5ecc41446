#pragma once
// Files and raw byte streams handed to a CUPS print queue through `lp`, or
// written to the file the print dialog chose ("print to file"). A raw stream
// goes to the printer as it is (`-o raw`): the printer's own control codes and
// character set, for text printers.

#include <QByteArray>
#include <QString>
#include <functional>

class QPrinter;

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

// Tests take the jobs meant for a queue: the queue, the bytes, whether raw.
// An empty function restores `lp`.
using TPrintQueueSeam =
    std::function<bool(const QString& Queue, const QByteArray& Data, bool Raw, QString* Reason)>;
void SetPrintQueueSeam(TPrintQueueSeam Seam);
