#include "io/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include "io/paths.h"

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 codes,
// as Windows itself maps them.
const char16_t kAlto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DesdeWindows1252(const QByteArray& bytes) {
    QString texto(bytes.size(), Qt::Uninitialized);
    QChar* destino = texto.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *destino++ = QChar(b >= 0x80 && b <= 0x9F ? kAlto[b - 0x80] : char16_t(b));
    }
    return texto;
}

QByteArray AWindows1252(const QString& texto) {
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (QChar ch : texto) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (kAlto[i] == u) b = char(0x80 + i);
        bytes.append(b);
    }
    return bytes;
}

bool EsAscii(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

QString DecodeText(const QByteArray& bytes, TextEncoding* detected) {
    TextEncoding encoding = TextEncoding::Windows1252;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (!EsAscii(bytes)) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = DesdeWindows1252(bytes);
        else
            encoding = TextEncoding::Utf8;
    } else {
        text = QString::fromLatin1(bytes);
    }
    if (detected) *detected = encoding;
    return text;
}

QByteArray EncodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return text.toUtf8();
        case TextEncoding::Utf8Bom:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case TextEncoding::Windows1252:
            break;
    }
    return AWindows1252(text);
}

bool ReadTextFile(const QString& path, QString& text, TextEncoding* detected) {
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    text = DecodeText(file.readAll(), detected);
    return true;
}

bool WriteTextFile(const QString& path, const QString& text, TextEncoding encoding) {
    const QString native = NativePath(path);
    const QFileInfo info(native);
    const bool existed = info.exists();
    const QFile::Permissions permissions = info.permissions();
    QSaveFile file(native);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = EncodeText(text, encoding);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) return false;
    if (existed) QFile::setPermissions(native, permissions);
    return true;
}
