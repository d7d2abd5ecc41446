#include "io/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <iterator>

#include "io/outputfile.h"
#include "io/paths.h"

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 codes,
// as Windows itself maps them.
const char16_t kAlto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Bytes from 0x80 on through the table of a code page (n entries); the
// others are their own code.
QString DesdeTabla(const QByteArray& bytes, const char16_t* alto, int n) {
    QString texto(bytes.size(), Qt::Uninitialized);
    QChar* destino = texto.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *destino++ = QChar(b >= 0x80 && b < 0x80 + n ? alto[b - 0x80] : char16_t(b));
    }
    return texto;
}

QString DesdeWindows1252(const QByteArray& bytes) {
    return DesdeTabla(bytes, kAlto, 32);
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

// 0x80..0xFF of code page 850.
const char16_t k850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

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

QString DecodeWindows1252(const QByteArray& bytes) {
    return DesdeWindows1252(bytes);
}

// What AWindows1252 writes back as the same character: asked of every value
// an export writes, so answered without building the bytes.
bool FitsWindows1252(const QString& text) {
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) continue;
        if (std::find(std::begin(kAlto), std::end(kAlto), u) == std::end(kAlto)) return false;
    }
    return true;
}

bool ReadTextFile(const QString& path, QString& text, TextEncoding* detected) {
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    text = DecodeText(file.readAll(), detected);
    return true;
}

namespace {

bool WriteWhole(const QString& path, const QString& text, TextEncoding encoding, bool ownerOnly,
                QString* reason) {
    return WriteWholeFile(NativePath(path), EncodeText(text, encoding), reason, ownerOnly);
}

}  // namespace

bool WriteTextFile(const QString& path, const QString& text, TextEncoding encoding,
                   QString* reason) {
    return WriteWhole(path, text, encoding, false, reason);
}

bool WriteOwnerOnlyTextFile(const QString& path, const QString& text, TextEncoding encoding) {
    return WriteWhole(path, text, encoding, true, nullptr);
}

QByteArray EncodeCp850(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            bytes.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 128; ++i)
            if (k850[i] == u) {
                b = char(0x80 + i);
                break;
            }
        bytes.append(b);
    }
    return bytes;
}

QString DecodeCp850(const QByteArray& bytes) {
    return DesdeTabla(bytes, k850, 128);
}
