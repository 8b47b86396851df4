#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>

#include "platform/file_mover.h"
#include "platform/file_name_codec.h"
#include "platform/file_op_progress.h"
#include "platform/file_transfer.h"
#include "platform/scripted_dialogs.h"
#include "platform/trash.h"

// What the file operation tests share: files made and read back, a second file system, a
// progress that stops where a test wants it to, and conflict answers given in advance.
namespace file_fixtures {

// Files are written and read by their bytes on disk, so names that are not UTF-8 work too.
inline void writeFile(const QString& path, const QByteArray& data) {
    QCOMPARE(file_transfer::makeFolders(path.left(path.lastIndexOf(u'/'))), 0);
    const int fd = ::open(encodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const ssize_t written = ::write(fd, data.constData(), static_cast<size_t>(data.size()));
    ::close(fd);
    QCOMPARE(written, static_cast<ssize_t>(data.size()));
}

// The file's bytes; "missing" when there is none.
inline QByteArray readFile(const QString& path) {
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY);
    if (fd < 0) {
        return QByteArrayLiteral("missing");
    }
    QByteArray data;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
        data.append(buffer, got);
    }
    ::close(fd);
    return data;
}

// The names in a folder, hidden ones too, sorted.
inline QStringList namesIn(const QString& folder) {
    QStringList names;
    file_transfer::namesIn(folder, names);
    names.sort();
    return names;
}

inline dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(encodeFileName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

inline QByteArray randomBytes(qsizetype size, quint32 seed = 42) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

// Removes a test's folder, names that are not UTF-8 too (QTemporaryDir cannot).
inline void removeFolder(const std::unique_ptr<QTemporaryDir>& dir) {
    if (dir) {
        file_transfer::removeTree(dir->path());
    }
}

// A temporary folder in /dev/shm when that is another file system than besides; null when not.
inline std::unique_ptr<QTemporaryDir> otherFileSystem(const QString& besides) {
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        return nullptr;
    }
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quorvane-test-XXXXXX"));
    if (!dir->isValid() || deviceOf(dir->path()) == deviceOf(besides)) {
        return nullptr;
    }
    return dir;
}

// Stops the operation at the chosen advance and remembers what it was told.
class StoppingProgress : public FileOpProgress {
public:
    explicit StoppingProgress(int stopAt = -1) : m_stopAt(stopAt) {}
    void begin(const QString& title, qint64 totalWork) override {
        ++begins;
        this->title = title;
        total = totalWork;
    }
    bool advance(const QString& label, qint64 done) override {
        ++advances;
        lastLabel = label;
        lastDone = done;
        return advances != m_stopAt;
    }
    void end() override { ++ends; }

    int begins = 0;
    int advances = 0;
    int ends = 0;
    QString title;
    QString lastLabel;
    qint64 total = 0;
    qint64 lastDone = 0;

private:
    int m_stopAt;
};

// Answers the conflict questions from a queue (Cancel when it is empty) and notes each one.
class ScriptedQuestions : public MoveQuestions {
public:
    void answer(ConflictAnswer answer) { m_answers.push_back(answer); }

    ConflictAnswer replaceFile(const QString& target) override {
        asked.append(u"replace " + target);
        return next();
    }
    ConflictAnswer mergeFolder(const QString& target) override {
        asked.append(u"merge " + target);
        return next();
    }

    QStringList asked;

private:
    ConflictAnswer next() {
        if (m_answers.empty()) {
            return ConflictAnswer::Cancel;
        }
        const ConflictAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::deque<ConflictAnswer> m_answers;
};

// A trash under home that knows no other volume, so that nothing of a test ends in a real trash;
// without a trash on other volumes at all when volumesToo is false.
inline std::unique_ptr<Trash> testTrash(const QString& home, bool volumesToo = true) {
    if (!volumesToo) {
        return std::make_unique<Trash>(
            home, [](const QString&) { return QString(); }, [] { return QStringList(); });
    }
    return std::make_unique<Trash>(home, Trash::mountTopDir, [] { return QStringList(); });
}

// The base of an operation test: a temporary folder with its own trash (data/Trash), dialogs
// that nobody sees and a progress that never stops, made afresh for each test function.
class WorkbenchTest : public QObject {
protected:
    bool makeWorkbench() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_trash = testTrash(path(QStringLiteral("data/Trash")));
        m_progress = StoppingProgress();
        return m_dir->isValid();
    }
    void clearWorkbench() {
        m_trash.reset();
        m_dialogs.reset();
        removeFolder(m_dir);
        m_dir.reset();
    }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    int messageCount() const { return static_cast<int>(m_dialogs->messages().size()); }
    QString message(int i) const { return m_dialogs->messages().value(i).text; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Trash> m_trash;
    StoppingProgress m_progress;
};

}  // namespace file_fixtures
