#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <utility>

#include "settings/ini_document.h"

// clsIniFile: reads and writes the program's INI file. It remembers a file path, a current section
// and a current key, so a caller sets the section once and then reads or writes several keys.
// Wherever a method takes a path, section or key by reference, an empty argument means the
// object's current one, and that substitution is written back into the caller's variable.
//
// The file is read afresh whenever it changed on disk since the object last saw it, and every
// write replaces it atomically (a temporary file renamed over it), so a crash or a full disk never
// leaves half a file behind.
class clsIniFile {
public:
    // Starts on the program's INI file (iniFilePath()).
    clsIniFile();
    explicit clsIniFile(QString path);
    // An update left open lets the other writers of the file go on.
    ~clsIniFile();
    clsIniFile(const clsIniFile&) = delete;
    clsIniFile& operator=(const clsIniFile&) = delete;

    QString PathIniFile() const { return m_path; }
    void setPathIniFile(const QString& path);
    QString Section() const { return m_section; }
    void setSection(const QString& section);
    QString Key() const { return m_key; }
    void setKey(const QString& key);

    QString strValue() const { return m_strValue; }
    void setStrValue(const QString& value);
    qint32 lngValue() const { return m_lngValue; }
    void setLngValue(qint32 value);
    // Stores any value: its text form is written, its number when it is numeric.
    void setValue(const QVariant& value);

    // Writes the text form of value (numbers in decimal, booleans as True / False, strings as they
    // are). False when the file could not be written.
    bool SetValue(const QVariant& value, QString& iniFilePath, QString& sectionName,
                  QString& keyName);
    bool SetValue(const QVariant& value, const QString& iniFilePath, const QString& sectionName,
                  const QString& keyName);

    // The stored text, whole, or def when the file or the key is missing.
    QString GetStrValue(QString& iniFilePath, QString& sectionName, QString& keyName,
                        const QString& def);
    QString GetStrValue(const QString& iniFilePath, const QString& sectionName,
                        const QString& keyName, const QString& def);

    // The leading decimal digits of the stored text (a minus sign allowed), 0 when it does not
    // start with digits, def when the file or the key is missing.
    qint32 GetIntValue(QString& iniFilePath, QString& sectionName, QString& keyName, qint32 def);
    qint32 GetIntValue(const QString& iniFilePath, const QString& sectionName,
                       const QString& keyName, qint32 def);

    bool DeleteKey(QString& iniFilePath, QString& sectionName, QString& keyName);
    bool DeleteSection(QString& iniFilePath, QString& sectionName);

    // Gathers the writes that follow into one: until the matching endUpdate(), SetValue,
    // DeleteKey and DeleteSection change only this object's copy of the file (reads see the
    // changes), and the outermost endUpdate() writes the file once, still atomically. A save of
    // many keys then costs one write instead of one per key. endUpdate() is false when the file
    // could not be written or a change could not be made.
    void beginUpdate();
    bool endUpdate();

    // The text form a value is stored in.
    static QString textOf(const QVariant& value);
    // The number a stored text stands for when it is numeric (nearest integer, ties to even).
    static std::optional<qint32> numberOf(const QString& text);
    // The leading-digits reading of GetIntValue.
    static qint32 leadingInt(const QString& text);

private:
    void refresh();
    void substitute(QString& path, QString& section, QString& key) const;
    // The file's document, read again only when the file changed; nullptr when it cannot be read.
    IniDocument* load(const QString& path);
    // Writes the document and keeps it as the cached state of the file.
    bool store(const QString& path, IniDocument&& document);
    // Applies an edit to the file's document and writes it when the edit changed something.
    bool edit(const QString& path, bool createFile,
              const std::function<bool(IniDocument&)>& change);
    // Writes the changes gathered by an update, if any.
    bool flushPending();

    QString m_path;
    QString m_section;
    QString m_key;
    QString m_strValue;
    qint32 m_lngValue = 0;

    struct Cache {
        QString path;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        quint64 inode = 0;
        IniDocument document;
    };
    std::optional<Cache> m_cache;

    // The document an open update changes, not yet written.
    struct Pending {
        QString path;
        IniDocument document;
        bool changed = false;
    };
    std::optional<Pending> m_pending;
    int m_updateDepth = 0;
    bool m_updateOk = true;
};

// Keeps a clsIniFile update open for one scope (see beginUpdate()); commit() ends it early and
// tells whether the file was written.
class IniUpdateGuard {
public:
    explicit IniUpdateGuard(clsIniFile& ini) : m_ini(&ini) { ini.beginUpdate(); }
    ~IniUpdateGuard() { commit(); }
    IniUpdateGuard(const IniUpdateGuard&) = delete;
    IniUpdateGuard& operator=(const IniUpdateGuard&) = delete;

    bool commit() {
        clsIniFile* ini = std::exchange(m_ini, nullptr);
        return ini == nullptr || ini->endUpdate();
    }

private:
    clsIniFile* m_ini;
};

// Where the program's INI file lives: beside the executable when that folder is writable or the
// file is already there (portable use), otherwise in <configHome>/quorvane/. A program installed
// under /usr (or /bin, /sbin) always uses <configHome>. The executable's base name names the file
// in both places.
QString iniFilePathFor(const QString& exeDir, const QString& exeBaseName,
                       const QString& configHome);

// The INI file of the running program.
QString iniFilePath();
