#include "io/smtp.h"

#include <curl/curl.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>
#include <cstring>
#include <memory>
#include <mutex>

#include "io/paths.h"

namespace {

// ---------------------------------------------------------------------------
// Addresses

struct Mailbox {
    QString name;
    QString address;
};

// Header text must not carry line breaks: they would start new headers.
QString headerSafe(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
    return text;
}

bool validAddress(const QString& a) {
    const qsizetype at = a.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == a.size() - 1) return false;
    for (const QChar c : a) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F) return false;
        if (QStringView(u"<>,;\"()[]\\").contains(c)) return false;
    }
    return true;
}

bool parseMailbox(const QString& text, Mailbox& box) {
    const QString t = text.trimmed();
    const qsizetype open = t.lastIndexOf(QLatin1Char('<'));
    if (open >= 0 && t.endsWith(QLatin1Char('>'))) {
        box.address = t.mid(open + 1, t.size() - open - 2).trimmed();
        box.name = headerSafe(t.left(open)).trimmed();
        if (box.name.size() >= 2 && box.name.startsWith(QLatin1Char('"')) &&
            box.name.endsWith(QLatin1Char('"')))
            box.name = box.name.mid(1, box.name.size() - 2);
    } else {
        box.address = t;
        box.name.clear();
    }
    return validAddress(box.address);
}

// ---------------------------------------------------------------------------
// MIME

bool isPlainAscii(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return true;
}

// Encoded words of 64 characters at most, so that a header line with one
// stays short; each holds whole characters.
QByteArray encodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QList<QByteArray> words;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min<qsizetype>(start + 39, utf8.size());
        while (end < utf8.size() && (uchar(utf8[end]) & 0xC0) == 0x80) --end;
        words.append("=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=");
        start = end;
    }
    return words.join("\r\n ");
}

QByteArray phrase(const QString& name) {
    if (!isPlainAscii(name) || name.contains(QLatin1String("=?"))) return encodedWords(name);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    bool quote = false;
    for (const QChar c : name) quote = quote || specials.contains(c);
    if (!quote) return name.toLatin1();
    QByteArray out = "\"";
    for (const QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) out += '\\';
        out += char(c.unicode());
    }
    return out + '"';
}

QByteArray mailboxHeader(const Mailbox& box) {
    if (box.name.isEmpty()) return box.address.toUtf8();
    return phrase(box.name) + " <" + box.address.toUtf8() + '>';
}

// "Name: a, b" folded so that each address starts a line once the line is long.
QByteArray addressHeader(const char* name, const QList<Mailbox>& boxes) {
    QByteArray out = QByteArray(name) + ": ";
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const QByteArray item = mailboxHeader(boxes[i]);
        if (i > 0) {
            out += ',';
            if (out.size() - lineStart + 1 + item.size() > 76) {
                out += "\r\n";
                lineStart = out.size();
            }
            out += ' ';
        }
        out += item;
    }
    return out + "\r\n";
}

QByteArray unstructuredHeader(const char* name, const QString& value) {
    const QString text = headerSafe(value);
    QByteArray out = QByteArray(name) + ": ";
    if (!isPlainAscii(text) || text.contains(QLatin1String("=?")))
        return out + encodedWords(text) + "\r\n";
    // Folded at blanks; a word longer than a line stays whole.
    qsizetype lineLength = out.size();
    const QStringList words = text.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArray w = words[i].toLatin1();
        if (i > 0) {
            if (lineLength + 1 + w.size() > 78) {
                out += "\r\n";
                lineLength = 0;
            }
            out += ' ';
            ++lineLength;
        }
        out += w;
        lineLength += w.size();
    }
    return out + "\r\n";
}

QByteArray quotedPrintable(const QString& text) {
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray out;
    const QList<QByteArray> lines = normal.toUtf8().split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        const QByteArray& line = lines[l];
        qsizetype length = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const uchar c = uchar(line[i]);
            const bool last = i == line.size() - 1;
            QByteArray piece;
            // A blank at the end of a line would be lost on the way.
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                piece = QByteArray(1, char(c));
            else
                piece = '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            if (length + piece.size() > 75) {
                out += "=\r\n";
                length = 0;
            }
            out += piece;
            length += piece.size();
        }
        if (l < lines.size() - 1) out += "\r\n";
    }
    return out;
}

QByteArray base64Lines(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / 38 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76) out += b64.mid(i, 76) + "\r\n";
    return out;
}

// Content-Type and Content-Disposition of an attachment named fileName.
QByteArray attachmentHeaders(const QString& fileName, const QString& mimeType) {
    const QString name = headerSafe(fileName);
    QByteArray type = "Content-Type: " + mimeType.toLatin1();
    QByteArray disposition = "Content-Disposition: attachment";
    if (isPlainAscii(name) && !name.contains(QLatin1Char('"')) &&
        !name.contains(QLatin1Char('\\'))) {
        type += "; name=\"" + name.toLatin1() + '"';
        disposition += "; filename=\"" + name.toLatin1() + '"';
    } else {
        // The standard form, and the encoded word that older readers know.
        type += ";\r\n name=\"" + encodedWords(name) + '"';
        disposition += ";\r\n filename*=UTF-8''" + name.toUtf8().toPercentEncoding("!#$&+^`|");
    }
    return type + "\r\n" + disposition + "\r\nContent-Transfer-Encoding: base64\r\n";
}

QByteArray rfc2822Date(const QDateTime& now) {
    const int offset = now.offsetFromUtc() / 60;
    const int a = std::abs(offset);
    return QLocale::c().toString(now, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() +
           (offset < 0 ? " -" : " +") + QByteArray::number(a / 60).rightJustified(2, '0') +
           QByteArray::number(a % 60).rightJustified(2, '0');
}

struct Composed {
    QByteArray data;
    QString error;
};

Composed compose(const MailMessage& m, const Mailbox& from, const QList<Mailbox>& to,
                 const QList<Mailbox>& cc) {
    Composed c;
    QList<QPair<QString, QByteArray>> files;
    QMimeDatabase mimeTypes;
    for (const QString& a : m.attachments) {
        QFile f(NativePath(a));
        if (!f.open(QIODevice::ReadOnly)) {
            c.error = QStringLiteral("Cannot read the attachment %1: %2").arg(a, f.errorString());
            return c;
        }
        files.append({f.fileName(), f.readAll()});
        if (f.error() != QFile::NoError) {
            c.error = QStringLiteral("Cannot read the attachment %1: %2").arg(a, f.errorString());
            return c;
        }
    }

    const QString domain = from.address.mid(from.address.lastIndexOf(QLatin1Char('@')) + 1);
    QByteArray& out = c.data;
    out += "Date: " + rfc2822Date(QDateTime::currentDateTime()) + "\r\n";
    out += addressHeader("From", {from});
    if (!to.isEmpty()) out += addressHeader("To", to);
    if (!cc.isEmpty()) out += addressHeader("Cc", cc);
    out += unstructuredHeader("Subject", m.subject);
    out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
           domain.toUtf8() + ">\r\n";
    out += "MIME-Version: 1.0\r\n";

    const QByteArray textHeaders =
        "Content-Type: text/plain; charset=UTF-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n";
    if (files.isEmpty()) {
        out += textHeaders + "\r\n" + quotedPrintable(m.body) + "\r\n";
        return c;
    }
    const QByteArray boundary = "=_part_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
    out += "Content-Type: multipart/mixed;\r\n boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + "\r\n" + textHeaders + "\r\n" + quotedPrintable(m.body) + "\r\n";
    for (const auto& [path, bytes] : files) {
        const QString type = mimeTypes.mimeTypeForFileNameAndData(path, bytes).name();
        out += "--" + boundary + "\r\n" + attachmentHeaders(QFileInfo(path).fileName(), type) +
               "\r\n" + base64Lines(bytes);
    }
    out += "--" + boundary + "--\r\n";
    return c;
}

// ---------------------------------------------------------------------------
// Transfer

struct Upload {
    const QByteArray* data;
    qsizetype offset = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user) {
    auto* u = static_cast<Upload*>(user);
    const size_t n = std::min<size_t>(size * count, size_t(u->data->size() - u->offset));
    std::memcpy(buffer, u->data->constData() + u->offset, n);
    u->offset += qsizetype(n);
    return n;
}

// The server's answers, kept so that a failure can show the last refusal
// (the QUIT that follows it is answered too). Only what the server says is
// kept: what we send, the login among it, is not.
struct Transcript {
    QByteArray pending;
    QStringList current;
    QStringList lastRefusal;
};

int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN) return 0;
    auto* t = static_cast<Transcript*>(user);
    t->pending.append(data, qsizetype(size));
    qsizetype end;
    while ((end = t->pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(t->pending.left(end)).trimmed();
        t->pending.remove(0, end + 1);
        t->current.append(line);
        // "250-..." goes on, "250 ..." ends an answer.
        if (line.size() < 4 || line.at(3) != QLatin1Char('-')) {
            if (line.startsWith(QLatin1Char('4')) || line.startsWith(QLatin1Char('5')))
                t->lastRefusal = t->current;
            t->current.clear();
        }
    }
    return 0;
}

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool validHost(const QString& host) {
    if (host.isEmpty()) return false;
    for (const QChar c : host)
        if (c.unicode() <= 0x20 || QStringView(u"/@?#[]\\%").contains(c)) return false;
    return true;
}

}  // namespace

bool SendSmtpMail(const SmtpSettings& settings, const MailMessage& message, QString* errorText) {
    auto fail = [&](const QString& text) {
        if (errorText) *errorText = text;
        return false;
    };
    QString host = settings.host.trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) return fail(QStringLiteral("No SMTP server is configured"));
    if (!validHost(host)) return fail(QStringLiteral("Invalid SMTP server name '%1'").arg(host));
    const int port = settings.port > 0 ? settings.port : 25;
    if (port > 65535) return fail(QStringLiteral("Invalid SMTP port %1").arg(port));

    Mailbox from;
    from.name = headerSafe(message.fromName).trimmed();
    from.address = message.fromAddress.trimmed();
    if (from.address.isEmpty()) return fail(QStringLiteral("The message has no sender address"));
    if (!validAddress(from.address))
        return fail(QStringLiteral("Invalid e-mail address '%1'").arg(from.address));
    QList<Mailbox> to, cc, bcc;
    const std::pair<const QStringList*, QList<Mailbox>*> lists[] = {
        {&message.to, &to}, {&message.cc, &cc}, {&message.bcc, &bcc}};
    for (const auto& [texts, boxes] : lists) {
        for (const QString& text : *texts) {
            if (text.trimmed().isEmpty()) continue;
            Mailbox box;
            if (!parseMailbox(text, box))
                return fail(QStringLiteral("Invalid e-mail address '%1'").arg(text.trimmed()));
            boxes->append(box);
        }
    }
    if (to.isEmpty() && cc.isEmpty() && bcc.isEmpty())
        return fail(QStringLiteral("The message has no recipients"));

    const Composed mail = compose(message, from, to, cc);
    if (!mail.error.isEmpty()) return fail(mail.error);

    initCurl();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return fail(QStringLiteral("Cannot start the mail transfer"));
    CURL* c = curl.get();

    const QString bareHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    QString helo = QSysInfo::machineHostName();
    if (helo.isEmpty()) helo = QStringLiteral("localhost");
    // The path of the URL is the name we greet the server with.
    const QByteArray url = (port == 465 ? "smtps://" : "smtp://") + bareHost.toUtf8() + ':' +
                           QByteArray::number(port) + '/' + QUrl::toPercentEncoding(helo);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(std::max(1, settings.connectTimeoutMs)));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(std::max(1, settings.timeoutMs)));

    const QByteArray user = settings.user.toUtf8();
    const QByteArray password = settings.password.toUtf8();
    const bool login = !user.isEmpty() || !password.isEmpty();
    if (login) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    // Credentials only ever go over TLS; a message without them is encrypted
    // when the server can, and sent plain otherwise.
    curl_easy_setopt(c, CURLOPT_USE_SSL, long(login ? CURLUSESSL_ALL : CURLUSESSL_TRY));

    const QByteArray envelopeFrom = '<' + from.address.toUtf8() + '>';
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, envelopeFrom.constData());
    curl_slist* rcpt = nullptr;
    for (const QList<Mailbox>* boxes : {&to, &cc, &bcc})
        for (const Mailbox& box : *boxes)
            rcpt =
                curl_slist_append(rcpt, QByteArray('<' + box.address.toUtf8() + '>').constData());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipients(rcpt,
                                                                           curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt);

    Upload upload{&mail.data};
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(mail.data.size()));

    Transcript transcript;
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transcript);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    char curlError[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);

    const CURLcode result = curl_easy_perform(c);
    if (result == CURLE_OK) return true;

    QString text;
    if (result == CURLE_USE_SSL_FAILED)
        text = QStringLiteral(
            "the server offers no encrypted connection (STARTTLS), and the "
            "user name and password are not sent without one");
    else
        text = curlError[0] ? QString::fromUtf8(curlError)
                            : QString::fromUtf8(curl_easy_strerror(result));
    if (!transcript.lastRefusal.isEmpty())
        text += QStringLiteral(". The server answered: ") +
                transcript.lastRefusal.join(QLatin1Char(' '));
    // A server that repeats what it was sent must not bring the password
    // back into a message that may be shown or logged.
    if (!settings.password.isEmpty()) text.replace(settings.password, QStringLiteral("***"));
    return fail(
        QStringLiteral("Cannot send the message through %1:%2: %3").arg(host).arg(port).arg(text));
}
