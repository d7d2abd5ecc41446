#pragma once
// Settings files in the Windows INI format, read and written by us: other
// keys, comments, blank lines and order are kept; section and key names are
// compared without regard to case; the file keeps its encoding (textfile.h)
// and its line ends. Every call reads the file afresh and every change is
// written at once, so several objects on one file never undo each other.

#include <QString>
#include <QStringList>

class TIniFile {
public:
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    // Values lose the blanks around them and one pair of enclosing quotes.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // A number other than 0 is true; a value that is not a number gives def.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // False when the file could not be written.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    void ReadSections(QStringList& sections) const;
    void ReadSection(const QString& section, QStringList& keys) const;
    // "key=value" lines of the section.
    void ReadSectionValues(const QString& section, QStringList& values) const;
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);
    // Changes are written as they are made; kept for the callers that flush.
    bool UpdateFile() { return true; }
    // For a file that holds a secret: every write makes it its owner's alone
    // (0600) before the text is in it.
    void SetOwnerOnly(bool ownerOnly) { ownerOnly_ = ownerOnly; }

private:
    QString fileName_;
    bool ownerOnly_ = false;
};
