#include "io/mailrequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QUuid>

#include "io/paths.h"
#include "io/textfile.h"

namespace {

// Every line break becomes "·", so that each value stays on its one line.
QString oneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QStringLiteral("\u00B7"));
    value.replace(QLatin1Char('\r'), QChar(0x00B7));
    value.replace(QLatin1Char('\n'), QChar(0x00B7));
    return value;
}

QString requestText(const MailRequest& r) {
    const std::pair<const char*, QString> lines[] = {
        {"Asunto", r.subject},
        {"Texto", r.body},
        {"ArchivosAdjuntos", r.attachments.join(QLatin1Char('|'))},
        {"NombreRemitente", r.senderName},
        {"EMailRemitente", r.senderAddress},
        {"NombreDestinatario", r.recipientName},
        {"EMailDestinatario", r.recipientAddress},
        {"NombreDestinatarioCC", r.ccName},
        {"EMailDestinatarioCC", r.ccAddress},
        {"Opciones", r.options},
    };
    QString text;
    for (const auto& [key, value] : lines)
        text += QLatin1String(key) + QLatin1Char('=') + oneLine(value) + QLatin1String("\r\n");
    return text;
}

}  // namespace

bool WriteMailRequest(const QString& fileName, const MailRequest& request, QString* errorText) {
    QFile file(NativePath(fileName));
    // Created for its owner alone from the start, never widened afterwards.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (errorText)
            *errorText = QStringLiteral("Cannot write the mail request %1: %2")
                             .arg(file.fileName(), file.errorString());
        return false;
    }
    const QByteArray bytes = EncodeText(requestText(request), TextEncoding::Windows1252);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (errorText)
            *errorText = QStringLiteral("Cannot write the mail request %1: %2")
                             .arg(file.fileName(), file.errorString());
        file.remove();
        return false;
    }
    return true;
}

int SendMailRequest(const QString& command, const MailRequest& request, QString* errorText) {
    if (command.trimmed().isEmpty()) {
        if (errorText) *errorText = QStringLiteral("No mail command is configured");
        return -1;
    }
    const QString path =
        QDir(QDir::tempPath())
            .filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                      QLatin1String(".INI"));
    if (!WriteMailRequest(path, request, errorText)) return -1;

    QProcess process;
    process.setProgram(NativePath(command.trimmed()));
    process.setArguments({path});
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    int status = -1;
    if (!process.waitForStarted(-1)) {
        if (errorText)
            *errorText = QStringLiteral("Cannot start the mail command %1: %2")
                             .arg(process.program(), process.errorString());
    } else {
        if (QCoreApplication::instance()) {
            // The mail program may wait for its user; our windows keep being
            // painted meanwhile, but take no input.
            QEventLoop loop;
            QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
            if (process.state() != QProcess::NotRunning)
                loop.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            process.waitForFinished(-1);
        }
        if (process.exitStatus() == QProcess::NormalExit) {
            status = process.exitCode();
        } else if (errorText) {
            *errorText = QStringLiteral("The mail command %1 ended abnormally: %2")
                             .arg(process.program(), process.errorString());
        }
    }
    QFile::remove(path);
    return status;
}
