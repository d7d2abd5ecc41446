#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

#include "io/mailrequest.h"
#include "io/smtp.h"

namespace {

// An SMTP server on the loopback that serves one connection in its own
// thread: enough of the protocol for a client, answers set by the test, and a
// record of the commands and of the message it got. It offers no STARTTLS.
class FakeSmtp : public QThread {
public:
    bool greet = true;
    QByteArray rcptAnswer = "250 2.1.5 Ok";
    QByteArray dataAnswer = "250 2.0.0 Ok: queued";
    QByteArray authAnswer = "535 5.7.8 Authentication credentials invalid";

    QStringList commands;
    QByteArray message;

    quint16 start() {
        QThread::start();
        ready_.acquire();
        return port_;
    }
    ~FakeSmtp() override { wait(20000); }

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port_ = server.serverPort();
        ready_.release();
        if (!server.waitForNewConnection(20000)) return;
        std::unique_ptr<QTcpSocket> s(server.nextPendingConnection());
        auto send = [&](const QByteArray& line) {
            s->write(line + "\r\n");
            s->waitForBytesWritten(5000);
        };
        if (!greet) {
            // Silent until the client gives up.
            while (s->state() == QAbstractSocket::ConnectedState) s->waitForReadyRead(100);
            return;
        }
        send("220 correo.prueba ESMTP");
        bool inData = false;
        while (s->state() == QAbstractSocket::ConnectedState) {
            if (!s->canReadLine() && !s->waitForReadyRead(20000)) break;
            while (s->canReadLine()) {
                const QByteArray line = s->readLine();
                if (inData) {
                    if (line == ".\r\n") {
                        inData = false;
                        send(dataAnswer);
                    } else {
                        message += line.startsWith("..") ? line.mid(1) : line;
                    }
                    continue;
                }
                const QByteArray command = line.trimmed();
                commands.append(QString::fromUtf8(command));
                const QByteArray verb = command.left(4).toUpper();
                if (verb == "EHLO") {
                    send("250-correo.prueba");
                    send("250-AUTH PLAIN LOGIN");
                    send("250 8BITMIME");
                } else if (verb == "HELO" || verb == "MAIL") {
                    send("250 2.1.0 Ok");
                } else if (verb == "AUTH") {
                    send(authAnswer);
                } else if (verb == "RCPT") {
                    send(rcptAnswer);
                } else if (verb == "DATA") {
                    inData = true;
                    send("354 End data with <CR><LF>.<CR><LF>");
                } else if (verb == "QUIT") {
                    send("221 2.0.0 Bye");
                    s->disconnectFromHost();
                    return;
                } else {
                    send("502 5.5.2 Error: command not recognized");
                }
            }
        }
    }

private:
    QSemaphore ready_;
    quint16 port_ = 0;
};

// The received message split into its header (unfolded, by lower-case name)
// and its body.
struct Parsed {
    QMultiMap<QByteArray, QByteArray> headers;
    QByteArray body;
};

Parsed parse(const QByteArray& data) {
    Parsed p;
    const qsizetype end = data.indexOf("\r\n\r\n");
    QByteArray head = data.left(end);
    p.body = data.mid(end + 4);
    head.replace("\r\n ", " ");
    head.replace("\r\n\t", " ");
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        p.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    return p;
}

QString decodeWords(QByteArray text) {
    // Blanks between two encoded words are not part of the text.
    static const QRegularExpression between(QStringLiteral("\\?=\\s+=\\?"));
    QString s = QString::fromLatin1(text).replace(between, QStringLiteral("?==?"));
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    QString out;
    qsizetype last = 0;
    for (auto m = word.globalMatch(s); m.hasNext();) {
        const auto match = m.next();
        out += s.mid(last, match.capturedStart() - last);
        out += QString::fromUtf8(QByteArray::fromBase64(match.captured(1).toLatin1()));
        last = match.capturedEnd();
    }
    return out + s.mid(last);
}

QByteArray decodeQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
        } else if (in.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

QByteArray parameter(const QByteArray& header, const QByteArray& name) {
    const QRegularExpression re(
        QStringLiteral("%1=\"?([^\";]*)\"?").arg(QString::fromLatin1(name)));
    return re.match(QString::fromLatin1(header)).captured(1).toLatin1();
}

SmtpSettings local(quint16 port) {
    SmtpSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.connectTimeoutMs = 5000;
    s.timeoutMs = 15000;
    return s;
}

MailMessage simple() {
    MailMessage m;
    m.fromAddress = QStringLiteral("personal@empresa.prueba");
    m.to = QStringList{QStringLiteral("ana@empresa.prueba")};
    m.subject = QStringLiteral("Aviso");
    m.body = QStringLiteral("Hola");
    return m;
}

}  // namespace

class TestSmtp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole message as the server gets it: envelope, encoded headers,
    // body and attachments, and blind copies kept out of the headers.
    void mensajeCompleto() {
        QTemporaryDir dir;
        QByteArray binary;
        for (int i = 0; i < 3000; ++i) binary.append(char(i * 7 % 256));
        const QString pdfPath = dir.filePath(QStringLiteral("Nómina marzo.pdf"));
        const QString txtPath = dir.filePath(QStringLiteral("notas.txt"));
        QFile pdf(pdfPath), txt(txtPath);
        QVERIFY(pdf.open(QIODevice::WriteOnly) && pdf.write("%PDF-1.4\n" + binary) > 0);
        QVERIFY(txt.open(QIODevice::WriteOnly) && txt.write(".\r\nfin\r\n") > 0);
        pdf.close();
        txt.close();

        FakeSmtp server;
        const quint16 port = server.start();
        MailMessage m;
        m.fromName = QStringLiteral("Dirección de Personal");
        m.fromAddress = QStringLiteral("personal@empresa.prueba");
        m.to = QStringList{QStringLiteral("Ana Pérez <ana@empresa.prueba>"),
                           QStringLiteral("luis@empresa.prueba")};
        m.cc = QStringList{QStringLiteral("\"Gomez, Eva\" <eva@empresa.prueba>")};
        m.bcc = QStringList{QStringLiteral("oculto@empresa.prueba")};
        m.subject = QStringLiteral(
            "Recibo de salario de marzo — año 2024 — con acentos: áéíóú ñ € y una línea larga");
        const QString body = QStringLiteral(
            "Estimada Ana:\n.línea que empieza por punto\r\nfin con blancos   \n"
            "=igual y una línea muy larga que pasa de setenta y seis caracteres sin dudarlo "
            "ni un momento: ñññññññññññññññññññññññ");
        m.body = body;
        m.attachments = QStringList{pdfPath, txtPath};
        QString error;
        QVERIFY2(SendSmtpMail(local(port), m, &error), qPrintable(error));
        server.wait();

        QVERIFY(server.commands.contains(QStringLiteral("MAIL FROM:<personal@empresa.prueba>")));
        for (const char* rcpt : {"ana", "luis", "eva", "oculto"})
            QVERIFY2(server.commands.contains(
                         QStringLiteral("RCPT TO:<%1@empresa.prueba>").arg(QLatin1String(rcpt))),
                     rcpt);
        for (const QString& c : server.commands) QVERIFY(!c.startsWith(QLatin1String("AUTH")));
        QVERIFY(!server.message.contains("oculto"));

        // Lines keep within the limits, whatever the text.
        for (const QByteArray& line : server.message.split('\n'))
            QVERIFY2(line.size() <= 78, line.constData());

        const Parsed mail = parse(server.message);
        QCOMPARE(decodeWords(mail.headers.value("subject")), m.subject);
        QCOMPARE(decodeWords(mail.headers.value("from")),
                 QStringLiteral("Dirección de Personal <personal@empresa.prueba>"));
        QCOMPARE(decodeWords(mail.headers.value("to")),
                 QStringLiteral("Ana Pérez <ana@empresa.prueba>, luis@empresa.prueba"));
        QCOMPARE(mail.headers.value("cc"), QByteArray("\"Gomez, Eva\" <eva@empresa.prueba>"));
        QVERIFY(!mail.headers.contains("bcc"));
        QVERIFY(mail.headers.contains("date"));
        QVERIFY(mail.headers.value("message-id").endsWith("@empresa.prueba>"));

        const QByteArray boundary = parameter(mail.headers.value("content-type"), "boundary");
        QVERIFY(!boundary.isEmpty());
        QList<QByteArray> parts;
        const QByteArray marker = "--" + boundary;
        for (qsizetype from = 0;;) {
            const qsizetype at = mail.body.indexOf(marker, from);
            parts.append(mail.body.mid(from, at < 0 ? -1 : at - from));
            if (at < 0) break;
            from = at + marker.size();
        }
        // Preamble, text, two attachments, closing "--".
        QCOMPARE(parts.size(), 5);
        QVERIFY(parts[4].startsWith("--"));

        const Parsed text = parse(parts[1].mid(2));
        QCOMPARE(text.headers.value("content-type"), QByteArray("text/plain; charset=UTF-8"));
        QCOMPARE(text.headers.value("content-transfer-encoding"), QByteArray("quoted-printable"));
        QString expected = body;
        expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        expected.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        QCOMPARE(QString::fromUtf8(decodeQuotedPrintable(text.body.chopped(2))), expected);

        const Parsed first = parse(parts[2].mid(2));
        QCOMPARE(first.headers.value("content-transfer-encoding"), QByteArray("base64"));
        QVERIFY(first.headers.value("content-type").startsWith("application/pdf"));
        const QByteArray encodedName =
            parameter(first.headers.value("content-disposition"), "filename\\*");
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(encodedName.mid(7))),
                 QStringLiteral("Nómina marzo.pdf"));
        QCOMPARE(decodeWords(parameter(first.headers.value("content-type"), "name")),
                 QStringLiteral("Nómina marzo.pdf"));
        QCOMPARE(QByteArray::fromBase64(first.body), "%PDF-1.4\n" + binary);

        const Parsed second = parse(parts[3].mid(2));
        QCOMPARE(parameter(second.headers.value("content-disposition"), "filename"),
                 QByteArray("notas.txt"));
        QCOMPARE(QByteArray::fromBase64(second.body), QByteArray(".\r\nfin\r\n"));
    }

    // Line breaks in a subject or a name cannot add headers.
    void cabecerasSinInyeccion() {
        FakeSmtp server;
        const quint16 port = server.start();
        MailMessage m = simple();
        m.fromName = QStringLiteral("Personal\r\nBcc: intruso@fuera.prueba");
        m.subject = QStringLiteral("Aviso\r\nBcc: intruso@fuera.prueba");
        QString error;
        QVERIFY2(SendSmtpMail(local(port), m, &error), qPrintable(error));
        server.wait();
        for (const QByteArray& line : server.message.split('\n'))
            QVERIFY2(!line.startsWith("Bcc"), line.constData());
        QCOMPARE(parse(server.message).headers.value("subject"),
                 QByteArray("Aviso  Bcc: intruso@fuera.prueba"));
    }

    // With a user and a password the server must offer STARTTLS: this one
    // does not, so neither the login nor the message is sent.
    void credencialesSoloConTls() {
        FakeSmtp server;
        const quint16 port = server.start();
        SmtpSettings s = local(port);
        s.user = QStringLiteral("personal@empresa.prueba");
        s.password = QStringLiteral("Secreta#2024");
        QString error;
        QVERIFY(!SendSmtpMail(s, simple(), &error));
        server.wait();
        QVERIFY(!server.commands.isEmpty());
        for (const QString& c : server.commands) {
            QVERIFY2(!c.startsWith(QLatin1String("AUTH")), qPrintable(c));
            QVERIFY2(!c.startsWith(QLatin1String("MAIL")), qPrintable(c));
        }
        QVERIFY2(error.contains(QLatin1String("STARTTLS")), qPrintable(error));
        QVERIFY(!error.contains(s.password));
    }

    void rechazoDelServidor_data() {
        QTest::addColumn<QByteArray>("rcpt");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("texto");
        QTest::newRow("destinatario")
            << QByteArray("550 5.1.1 <ana@empresa.prueba>: Recipient address rejected")
            << QByteArray("250 Ok")
            << QStringLiteral("550 5.1.1 <ana@empresa.prueba>: Recipient address rejected");
        QTest::newRow("mensaje") << QByteArray("250 Ok")
                                 << QByteArray("554 5.7.1 Message rejected as spam")
                                 << QStringLiteral("554 5.7.1 Message rejected as spam");
        QTest::newRow("temporal") << QByteArray("451 4.3.0 Try again later") << QByteArray("250 Ok")
                                  << QStringLiteral("451 4.3.0 Try again later");
    }
    void rechazoDelServidor() {
        QFETCH(QByteArray, rcpt);
        QFETCH(QByteArray, data);
        QFETCH(QString, texto);
        FakeSmtp server;
        server.rcptAnswer = rcpt;
        server.dataAnswer = data;
        const quint16 port = server.start();
        QString error;
        QVERIFY(!SendSmtpMail(local(port), simple(), &error));
        QVERIFY2(error.contains(texto), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("127.0.0.1:%1").arg(port)), qPrintable(error));
    }

    // A server that accepts the connection and never answers, and a port where
    // nobody listens: both end within their limits.
    void tiempoLimite() {
        FakeSmtp server;
        server.greet = false;
        const quint16 port = server.start();
        SmtpSettings s = local(port);
        s.timeoutMs = 1500;
        QElapsedTimer clock;
        clock.start();
        QString error;
        QVERIFY(!SendSmtpMail(s, simple(), &error));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(error.contains(QLatin1String("timed out"), Qt::CaseInsensitive),
                 qPrintable(error));
        server.wait();

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 unused = closed.serverPort();
        closed.close();
        QVERIFY(!SendSmtpMail(local(unused), simple(), &error));
        QVERIFY(!error.isEmpty());
    }

    // Bad input is refused before any connection is made.
    void datosNoValidos_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("texto");
        QTest::newRow("destinatario con salto")
            << "to"
            << "ana@empresa.prueba>\r\nRCPT TO:<intruso@fuera.prueba"
            << "Invalid e-mail address";
        QTest::newRow("destinatario sin arroba") << "to"
                                                 << "ana"
                                                 << "Invalid e-mail address";
        QTest::newRow("sin destinatarios") << "to"
                                           << ""
                                           << "The message has no recipients";
        QTest::newRow("remitente vacio") << "from"
                                         << ""
                                         << "The message has no sender address";
        QTest::newRow("remitente con salto") << "from"
                                             << "a@b.prueba\r\nRSET"
                                             << "Invalid e-mail address";
        QTest::newRow("adjunto que no existe") << "attachment"
                                               << "/no/existe/informe.pdf"
                                               << "/no/existe/informe.pdf";
        QTest::newRow("sin servidor") << "host"
                                      << ""
                                      << "No SMTP server is configured";
        QTest::newRow("servidor con ruta") << "host"
                                           << "mail.prueba/x@y"
                                           << "Invalid SMTP server name";
    }
    void datosNoValidos() {
        QFETCH(QString, campo);
        QFETCH(QString, valor);
        QFETCH(QString, texto);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        SmtpSettings s = local(listener.serverPort());
        MailMessage m = simple();
        if (campo == QLatin1String("to")) m.to = QStringList{valor};
        if (campo == QLatin1String("from")) m.fromAddress = valor;
        if (campo == QLatin1String("attachment")) m.attachments = QStringList{valor};
        if (campo == QLatin1String("host")) s.host = valor;
        QString error;
        QVERIFY(!SendSmtpMail(s, m, &error));
        QVERIFY2(error.contains(texto), qPrintable(error));
        QVERIFY(!listener.waitForNewConnection(200));
    }

    // The request file that the mail command reads, and the command's status.
    void peticionDeCorreo() {
        QTemporaryDir dir;
        MailRequest r;
        r.subject = QStringLiteral("Nómina");
        r.body = QStringLiteral("Línea 1\r\nLínea 2\nLínea 3");
        r.attachments = QStringList{QStringLiteral("/tmp/a.pdf"), QStringLiteral("/tmp/b.pdf")};
        r.senderName = QStringLiteral("Personal");
        r.senderAddress = QStringLiteral("personal@empresa.prueba");
        r.recipientName = QStringLiteral("Ana");
        r.recipientAddress = QStringLiteral("ana@empresa.prueba");
        r.ccAddress = QStringLiteral("copias@empresa.prueba");
        r.options = QStringLiteral("SinDialogo");
        const QByteArray expected =
            "Asunto=N\xF3mina\r\n"
            "Texto=L\xEDnea 1\xB7L\xEDnea 2\xB7L\xEDnea 3\r\n"
            "ArchivosAdjuntos=/tmp/a.pdf|/tmp/b.pdf\r\n"
            "NombreRemitente=Personal\r\n"
            "EMailRemitente=personal@empresa.prueba\r\n"
            "NombreDestinatario=Ana\r\n"
            "EMailDestinatario=ana@empresa.prueba\r\n"
            "NombreDestinatarioCC=\r\n"
            "EMailDestinatarioCC=copias@empresa.prueba\r\n"
            "Opciones=SinDialogo\r\n";

        const QString file = dir.filePath(QStringLiteral("peticion.ini"));
        QString error;
        QVERIFY2(WriteMailRequest(file, r, &error), qPrintable(error));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), expected);
        QCOMPARE(written.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        // An existing file is never taken over.
        QVERIFY(!WriteMailRequest(file, r, &error));
        QVERIFY(error.contains(file));

        // The command gets the path as its only argument; its status comes back
        // and the request file is gone afterwards.
        const QString script = dir.filePath(QStringLiteral("correo.sh"));
        const QString copy = dir.filePath(QStringLiteral("copia.ini"));
        QFile sh(script);
        QVERIFY(sh.open(QIODevice::WriteOnly));
        sh.write(QStringLiteral("#!/bin/sh\n"
                                "[ $# -eq 1 ] || exit 9\n"
                                "cp \"$1\" '%1'\n"
                                "stat -c %a \"$1\" > '%1.modo'\n"
                                "echo \"$1\" > '%1.ruta'\n"
                                "exit 3\n")
                     .arg(copy)
                     .toUtf8());
        sh.close();
        QVERIFY(sh.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(SendMailRequest(script, r, &error), 3);
        QFile copied(copy);
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), expected);
        QFile mode(copy + QLatin1String(".modo")), path(copy + QLatin1String(".ruta"));
        QVERIFY(mode.open(QIODevice::ReadOnly) && path.open(QIODevice::ReadOnly));
        QCOMPARE(mode.readAll().trimmed(), QByteArray("600"));
        const QString requestPath = QString::fromLocal8Bit(path.readAll().trimmed());
        QVERIFY2(requestPath.endsWith(QLatin1String(".INI")), qPrintable(requestPath));
        QVERIFY(!QFile::exists(requestPath));

        error.clear();
        QCOMPARE(SendMailRequest(dir.filePath(QStringLiteral("no-existe")), r, &error), -1);
        QVERIFY(error.contains(QLatin1String("no-existe")));
        QCOMPARE(SendMailRequest(QString(), r, &error), -1);
        QCOMPARE(error, QStringLiteral("No mail command is configured"));
    }
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
