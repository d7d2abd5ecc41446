#include "io/inifile.h"

#include <QFile>

#include "io/paths.h"
#include "io/textfile.h"

namespace {

// The file as lines, with what is needed to write it back as it was.
struct Contenido {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Windows1252;
    QString eol = QStringLiteral("\r\n");
    bool finalEol = true;
    bool exists = false;
};

Contenido Cargar(const QString& path) {
    Contenido c;
    QString text;
    if (!ReadTextFile(path, text, &c.encoding)) return c;
    c.exists = true;
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    if (lf >= 0)
        c.eol = lf > 0 && text.at(lf - 1) == QLatin1Char('\r') ? QStringLiteral("\r\n")
                                                               : QStringLiteral("\n");
    c.finalEol = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
    if (text.isEmpty() && !c.finalEol) return c;
    c.lines = text.split(QLatin1Char('\n'));
    for (QString& line : c.lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (c.lines.size() == 1 && c.lines.first().isEmpty()) c.lines.clear();
    return c;
}

bool Guardar(const QString& path, const Contenido& c, bool ownerOnly) {
    QString text = c.lines.join(c.eol);
    if (c.finalEol && !c.lines.isEmpty()) text += c.eol;
    return ownerOnly ? WriteOwnerOnlyTextFile(path, text, c.encoding)
                     : WriteTextFile(path, text, c.encoding);
}

// "[name]" gives name; any other line gives a null string.
QString Seccion(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return QString();
    return t.mid(1, t.size() - 2).trimmed();
}

bool EsComentario(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

// The key of a "key=value" line; false for other lines.
bool Clave(const QString& line, QString& key, QString& value) {
    if (EsComentario(line)) return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1);
    return !key.isEmpty();
}

bool Mismo(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The line span [begin, end) of the first section of that name: begin is the
// header; -1 when there is none.
qsizetype BuscarSeccion(const QStringList& lines, const QString& section, qsizetype& end) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString s = Seccion(lines.at(i));
        if (s.isNull() || !Mismo(s, section.trimmed())) continue;
        end = i + 1;
        while (end < lines.size() && Seccion(lines.at(end)).isNull()) ++end;
        return i;
    }
    end = -1;
    return -1;
}

qsizetype BuscarClave(const QStringList& lines, qsizetype begin, qsizetype end,
                      const QString& key) {
    QString k, v;
    for (qsizetype i = begin + 1; i < end; ++i)
        if (Clave(lines.at(i), k, v) && Mismo(k, key.trimmed())) return i;
    return -1;
}

QString Limpiar(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool LeerEntero(const QString& text, int& value) {
    const QString t = text.trimmed();
    bool ok = false;
    if (t.startsWith(QLatin1Char('$')))
        value = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = t.mid(2).toInt(&ok, 16);
    else
        value = t.toInt(&ok, 10);
    return ok;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : fileName_(NativePath(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Contenido c = Cargar(fileName_);
    qsizetype end;
    const qsizetype begin = BuscarSeccion(c.lines, section, end);
    if (begin < 0) return def;
    const qsizetype i = BuscarClave(c.lines, begin, end, key);
    if (i < 0) return def;
    QString k, v;
    Clave(c.lines.at(i), k, v);
    return Limpiar(v);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = 0;
    return LeerEntero(ReadString(section, key, QString()), value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    int value = 0;
    return LeerEntero(ReadString(section, key, QString()), value) ? value != 0 : def;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Contenido c = Cargar(fileName_);
    // A value is one line: a line break would start a stray line.
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype end;
    const qsizetype begin = BuscarSeccion(c.lines, section, end);
    if (begin < 0) {
        if (!c.lines.isEmpty() && !c.lines.last().trimmed().isEmpty()) c.lines.append(QString());
        c.lines.append(QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
        c.lines.append(key.trimmed() + QLatin1Char('=') + v);
        return Guardar(fileName_, c, ownerOnly_);
    }
    const qsizetype i = BuscarClave(c.lines, begin, end, key);
    if (i >= 0) {
        QString k, old;
        Clave(c.lines.at(i), k, old);
        c.lines[i] = k + QLatin1Char('=') + v;  // the key keeps its spelling
    } else {
        // After the section's last non-blank line.
        qsizetype at = end;
        while (at > begin + 1 && c.lines.at(at - 1).trimmed().isEmpty()) --at;
        c.lines.insert(at, key.trimmed() + QLatin1Char('=') + v);
    }
    return Guardar(fileName_, c, ownerOnly_);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::SectionExists(const QString& section) const {
    qsizetype end;
    return BuscarSeccion(Cargar(fileName_).lines, section, end) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    const Contenido c = Cargar(fileName_);
    qsizetype end;
    const qsizetype begin = BuscarSeccion(c.lines, section, end);
    return begin >= 0 && BuscarClave(c.lines, begin, end, key) >= 0;
}

void TIniFile::ReadSections(QStringList& sections) const {
    sections.clear();
    for (const QString& line : Cargar(fileName_).lines) {
        const QString s = Seccion(line);
        if (!s.isNull() && !sections.contains(s, Qt::CaseInsensitive)) sections.append(s);
    }
}

void TIniFile::ReadSection(const QString& section, QStringList& keys) const {
    keys.clear();
    QStringList values;
    ReadSectionValues(section, values);
    for (const QString& line : values) keys.append(line.left(line.indexOf(QLatin1Char('='))));
}

void TIniFile::ReadSectionValues(const QString& section, QStringList& values) const {
    values.clear();
    const Contenido c = Cargar(fileName_);
    qsizetype end;
    const qsizetype begin = BuscarSeccion(c.lines, section, end);
    if (begin < 0) return;
    QString k, v;
    for (qsizetype i = begin + 1; i < end; ++i)
        if (Clave(c.lines.at(i), k, v)) values.append(k + QLatin1Char('=') + Limpiar(v));
}

bool TIniFile::EraseSection(const QString& section) {
    Contenido c = Cargar(fileName_);
    bool changed = false;
    qsizetype end;
    for (qsizetype begin; (begin = BuscarSeccion(c.lines, section, end)) >= 0;) {
        c.lines.remove(begin, end - begin);
        changed = true;
    }
    return !changed || Guardar(fileName_, c, ownerOnly_);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    Contenido c = Cargar(fileName_);
    qsizetype end;
    const qsizetype begin = BuscarSeccion(c.lines, section, end);
    if (begin < 0) return true;
    const qsizetype i = BuscarClave(c.lines, begin, end, key);
    if (i < 0) return true;
    c.lines.removeAt(i);
    return Guardar(fileName_, c, ownerOnly_);
}
