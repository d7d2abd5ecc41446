#pragma once
// Mail handed to an outside program instead of a workstation mail client: the
// message goes into a request file of Name=Value lines (the format the mail
// utility reads: Windows-1252, one line per value, line breaks inside a value
// written as "·"), and the configured command is started with the path of
// that file as its only argument.

#include <QString>
#include <QStringList>

struct MailRequest {
    QString subject;
    QString body;
    QStringList attachments;  // written joined by "|"
    QString senderName;
    QString senderAddress;
    QString recipientName;
    QString recipientAddress;
    QString ccName;
    QString ccAddress;
    QString options;
};

// Writes the request to a new file readable by its owner only (it holds the
// whole message). False, with the reason, when it could not be written.
bool WriteMailRequest(const QString& fileName, const MailRequest& request, QString* errorText);

// Writes the request to a new file in the temporary folder, starts command
// (no shell) with that path as its only argument, waits for it while the
// windows keep being painted, removes the file and returns the command's exit
// status. -1, with the reason in errorText, when the file could not be
// written, or the command could not be started or did not end normally.
int SendMailRequest(const QString& command, const MailRequest& request, QString* errorText);
