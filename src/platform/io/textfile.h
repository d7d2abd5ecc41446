#pragma once
// Text files of the system (dictionary, settings, help map, imports, exports):
// read as UTF-8 when the bytes are valid UTF-8, else as Windows-1252, and
// rewritten in the encoding they were read in. A file of plain ASCII counts as
// Windows-1252, the encoding of the programs that share these files.

#include <QByteArray>
#include <QString>

enum class TextEncoding { Windows1252, Utf8, Utf8Bom };

QString DecodeText(const QByteArray& bytes, TextEncoding* detected = nullptr);
// Characters that Windows-1252 cannot hold are written as "?".
QByteArray EncodeText(const QString& text, TextEncoding encoding);
// The bytes as Windows-1252 whatever they hold (for files whose format says so).
QString DecodeWindows1252(const QByteArray& bytes);
// True when Windows-1252 holds every character of the text.
bool FitsWindows1252(const QString& text);

// False when the file cannot be read (text and encoding are then left as they were).
bool ReadTextFile(const QString& path, QString& text, TextEncoding* detected = nullptr);
// Replaces the file as a whole (an existing file keeps its permissions); false
// with the reason when it could not be written, the old file then unchanged.
bool WriteTextFile(const QString& path, const QString& text, TextEncoding encoding,
                   QString* reason = nullptr);
// The same for a file that holds a secret: a new file readable by its owner
// alone (0600) from before its first byte, renamed over the old one.
bool WriteOwnerOnlyTextFile(const QString& path, const QString& text, TextEncoding encoding);

// Code page 850, the printers' own character set for text sent to them raw.
// Characters that it cannot hold are written as "?".
QByteArray EncodeCp850(const QString& text);
QString DecodeCp850(const QByteArray& bytes);
