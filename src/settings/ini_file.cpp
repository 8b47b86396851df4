#include "settings/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>

namespace {

// The settings file is written from the window's thread and, while the program runs, from the
// save's own thread: one reading-and-writing of a file at a time in the process, so neither
// writes back a copy read before the other's write and undoes it. An update holds it from its
// first change to its write; the same thread may write again meanwhile.
std::recursive_mutex& fileWriters() {
    static std::recursive_mutex writers;
    return writers;
}

}  // namespace

clsIniFile::clsIniFile() : clsIniFile(iniFilePath()) {}

clsIniFile::clsIniFile(QString path) : m_path(std::move(path)) {}

clsIniFile::~clsIniFile() {
    if (m_updateDepth > 0) {
        fileWriters().unlock();
    }
}

void clsIniFile::setPathIniFile(const QString& path) {
    m_path = path;
    refresh();
}

void clsIniFile::setSection(const QString& section) {
    m_section = section;
    refresh();
}

void clsIniFile::setKey(const QString& key) {
    m_key = key;
    refresh();
}

void clsIniFile::refresh() {
    if (!QFileInfo::exists(m_path) && !(m_pending && m_pending->path == m_path)) {
        m_strValue.clear();
        m_lngValue = 0;
        return;
    }
    QString path;
    QString section;
    QString key;
    m_strValue = GetStrValue(path, section, key, QString());
    m_lngValue = GetIntValue(path, section, key, 0);
}

void clsIniFile::setStrValue(const QString& value) {
    QString path;
    QString section;
    QString key;
    SetValue(value, path, section, key);
}

void clsIniFile::setLngValue(qint32 value) {
    QString path;
    QString section;
    QString key;
    SetValue(value, path, section, key);
}

void clsIniFile::setValue(const QVariant& value) {
    QString path;
    QString section;
    QString key;
    SetValue(value, path, section, key);
}

void clsIniFile::substitute(QString& path, QString& section, QString& key) const {
    if (path.isEmpty()) {
        path = m_path;
    }
    if (section.isEmpty()) {
        section = m_section;
    }
    if (key.isEmpty()) {
        key = m_key;
    }
}

QString clsIniFile::textOf(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Float: {
            // Shortest as a single: widened to a double first, 0.1 would read 0.10000000149011612.
            char text[32];
            const auto end =
                std::to_chars(text, text + sizeof text, value.toFloat(), std::chars_format::general)
                    .ptr;
            return QString::fromLatin1(text, end - text);
        }
        case QMetaType::Double:
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        default:
            return value.toString();
    }
}

std::optional<qint32> clsIniFile::numberOf(const QString& text) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(number);  // the default rounding mode: ties to even
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(rounded);
}

qint32 clsIniFile::leadingInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<qint64>(value * 10 + (text[i].unicode() - u'0'),
                                 qint64(std::numeric_limits<qint32>::max()) + 1);
    }
    value = negative ? -value : value;
    return static_cast<qint32>(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

IniDocument* clsIniFile::load(const QString& path) {
    if (m_pending && m_pending->path == path) {
        return &m_pending->document;
    }
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        m_cache.reset();
        return nullptr;
    }
    const qint64 mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (m_cache && m_cache->path == path && m_cache->size == st.st_size &&
        m_cache->mtimeNs == mtimeNs && m_cache->inode == st.st_ino) {
        return &m_cache->document;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_cache.reset();
        return nullptr;
    }
    m_cache = Cache{path, st.st_size, mtimeNs, st.st_ino, IniDocument::fromBytes(file.readAll())};
    return &m_cache->document;
}

bool clsIniFile::store(const QString& path, IniDocument&& document) {
    m_cache.reset();
    const QFileInfo info(path);
    // A read-only INI file is the user's way of keeping settings fixed: never replace it. The
    // mode bits count even where access rights would allow the write (for root).
    constexpr QFileDevice::Permissions kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && (!info.isWritable() || (info.permissions() & kAnyWrite) == 0)) {
        return false;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = document.toBytes();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return false;
    }
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) == 0) {
        const qint64 mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        m_cache = Cache{path, st.st_size, mtimeNs, st.st_ino, std::move(document)};
    }
    return true;
}

bool clsIniFile::edit(const QString& path, bool createFile,
                      const std::function<bool(IniDocument&)>& change) {
    if (m_updateDepth > 0) {
        if (m_pending && m_pending->path != path && !flushPending()) {
            m_updateOk = false;
        }
        if (!m_pending) {
            if (QFileInfo::exists(path)) {
                IniDocument* current = load(path);
                if (current == nullptr) {
                    m_updateOk = false;
                    return false;
                }
                m_pending = Pending{path, std::move(*current), false};
                m_cache.reset();
            } else if (createFile) {
                m_pending = Pending{path, IniDocument(), false};
            } else {
                return true;
            }
        }
        if (change(m_pending->document)) {
            m_pending->changed = true;
        }
        return true;
    }
    const std::lock_guard writing(fileWriters());
    if (!QFileInfo::exists(path)) {
        if (!createFile) {
            return true;
        }
        IniDocument fresh;
        change(fresh);
        return store(path, std::move(fresh));
    }
    IniDocument* current = load(path);
    if (current == nullptr) {
        return false;  // there but unreadable: writing would lose what it holds
    }
    if (!change(*current)) {
        return true;
    }
    IniDocument changed = std::move(*current);
    return store(path, std::move(changed));
}

bool clsIniFile::flushPending() {
    if (!m_pending) {
        return true;
    }
    Pending pending = std::move(*m_pending);
    m_pending.reset();
    return !pending.changed || store(pending.path, std::move(pending.document));
}

void clsIniFile::beginUpdate() {
    if (m_updateDepth++ == 0) {
        fileWriters().lock();
    }
}

bool clsIniFile::endUpdate() {
    if (m_updateDepth == 0 || --m_updateDepth > 0) {
        return true;
    }
    const bool written = flushPending();
    fileWriters().unlock();
    return std::exchange(m_updateOk, true) && written;
}

bool clsIniFile::SetValue(const QVariant& value, QString& iniFilePath, QString& sectionName,
                          QString& keyName) {
    substitute(iniFilePath, sectionName, keyName);
    const QString text = textOf(value);
    m_strValue = text;
    m_lngValue = numberOf(text).value_or(0);
    return edit(iniFilePath, true, [&](IniDocument& document) {
        document.setValue(sectionName, keyName, text);
        return true;
    });
}

bool clsIniFile::SetValue(const QVariant& value, const QString& iniFilePath,
                          const QString& sectionName, const QString& keyName) {
    QString path = iniFilePath;
    QString section = sectionName;
    QString key = keyName;
    return SetValue(value, path, section, key);
}

QString clsIniFile::GetStrValue(QString& iniFilePath, QString& sectionName, QString& keyName,
                                const QString& def) {
    substitute(iniFilePath, sectionName, keyName);
    const IniDocument* document = load(iniFilePath);
    if (document == nullptr) {
        return def;
    }
    return document->value(sectionName, keyName).value_or(def);
}

QString clsIniFile::GetStrValue(const QString& iniFilePath, const QString& sectionName,
                                const QString& keyName, const QString& def) {
    QString path = iniFilePath;
    QString section = sectionName;
    QString key = keyName;
    return GetStrValue(path, section, key, def);
}

qint32 clsIniFile::GetIntValue(QString& iniFilePath, QString& sectionName, QString& keyName,
                               qint32 def) {
    substitute(iniFilePath, sectionName, keyName);
    const IniDocument* document = load(iniFilePath);
    if (document == nullptr) {
        return def;
    }
    const std::optional<QString> text = document->value(sectionName, keyName);
    return text ? leadingInt(*text) : def;
}

qint32 clsIniFile::GetIntValue(const QString& iniFilePath, const QString& sectionName,
                               const QString& keyName, qint32 def) {
    QString path = iniFilePath;
    QString section = sectionName;
    QString key = keyName;
    return GetIntValue(path, section, key, def);
}

bool clsIniFile::DeleteKey(QString& iniFilePath, QString& sectionName, QString& keyName) {
    substitute(iniFilePath, sectionName, keyName);
    m_strValue.clear();
    m_lngValue = 0;
    return edit(iniFilePath, false,
                [&](IniDocument& document) { return document.removeKey(sectionName, keyName); });
}

bool clsIniFile::DeleteSection(QString& iniFilePath, QString& sectionName) {
    QString unusedKey = QStringLiteral("-");
    substitute(iniFilePath, sectionName, unusedKey);
    m_strValue.clear();
    m_lngValue = 0;
    return edit(iniFilePath, false,
                [&](IniDocument& document) { return document.removeSection(sectionName); });
}

namespace {

// The folders a system's packages install programs into. A user who can write there (root) still
// gets the per-user file: one run as root must not leave a file beside the program that every
// user would then read and none could save.
bool isSystemProgramFolder(const QString& dir) {
    return dir == u"/usr" || dir.startsWith(u"/usr/") || dir == u"/bin" || dir == u"/sbin";
}

}  // namespace

QString iniFilePathFor(const QString& exeDir, const QString& exeBaseName,
                       const QString& configHome) {
    const QString fileName = exeBaseName + u".ini";
    const QString beside = exeDir + u'/' + fileName;
    if (isSystemProgramFolder(exeDir)) {
        return configHome + u"/quorvane/" + fileName;
    }
    if (QFileInfo::exists(beside) ||
        access(QFile::encodeName(exeDir).constData(), W_OK | X_OK) == 0) {
        return beside;
    }
    return configHome + u"/quorvane/" + fileName;
}

QString iniFilePath() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return iniFilePathFor(exe.absolutePath(), exe.completeBaseName(),
                          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
