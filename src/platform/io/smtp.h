#pragma once
// Mail sent straight to an SMTP server. Port 465 speaks TLS from the start;
// any other port (25, 587...) upgrades with STARTTLS, which is required before
// a user name or password is sent: without it the send fails and nothing of
// the credentials leaves the machine. Without credentials the connection is
// encrypted when the server offers it and plain otherwise. Server certificates
// are verified. Every step has a time limit.

#include <QString>
#include <QStringList>

// Addresses are "name@host" or "Display Name <name@host>".
struct MailMessage {
    QString fromName;
    QString fromAddress;
    QStringList to;
    QStringList cc;
    QStringList bcc;  // receive the message but appear in no header
    QString subject;
    QString body;             // plain text, any line ends
    QStringList attachments;  // file paths, sent under their file names
};

struct SmtpSettings {
    QString host;
    int port = 25;
    QString user;
    QString password;
    int connectTimeoutMs = 30000;
    // The whole exchange, from connecting to the server's last answer.
    int timeoutMs = 300000;
};

// True when the server accepted the message for every recipient. Otherwise
// errorText says what failed, with the server's answer when there was one
// (never the password). A missing or unreadable attachment fails the send.
bool SendSmtpMail(const SmtpSettings& settings, const MailMessage& message, QString* errorText);
