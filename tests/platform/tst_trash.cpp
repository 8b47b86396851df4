#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/file_name_codec.h"
#include "platform/trash.h"
#include "test_files.h"

namespace {

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString uid() {
    return QString::number(::geteuid());
}

}  // namespace

class TstTrash : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void putWritesInfoAndMovesItem();
    void homeTrashFollowsEnvironmentAndIsMadeWhenMissing();
    void namesThatAreTakenGetNumbers();
    void veryLongNamesStillFit();
    void restorePutsBackAndNeverReplaces();
    void failedMoveLeavesNoInfoFile();
    void emptyDeletesEverything();
    void otherVolumeUsesItsOwnTrash();
    void sharedTrashOnlyWhenStickyAndReal();
    void volumeWithoutTrashIsLeftAlone();
    void nameThatIsNotUtf8GoesAndComesBack();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_shm;  // on another file system, when the machine has one
    QString m_home;
    bool haveOtherFileSystem();
};

void TstTrash::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_home = m_dir->filePath(QStringLiteral("data/Trash"));
}

void TstTrash::cleanup() {
    m_shm.reset();
    m_dir.reset();
}

bool TstTrash::haveOtherFileSystem() {
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        return false;
    }
    m_shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quorvane-trash-XXXXXX"));
    return m_shm->isValid() && deviceOf(m_shm->path()) != deviceOf(m_dir->path());
}

void TstTrash::putWritesInfoAndMovesItem() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    const QString original = m_dir->filePath(QStringLiteral("music/日本 語 #1.mp3"));
    writeFile(original, "abc");

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const Trash::PutResult put = trash.put(original);
    QCOMPARE(put.error, 0);
    QVERIFY(!QFile::exists(original));
    QCOMPARE(readFile(m_home + u"/files/日本 語 #1.mp3"), QByteArray("abc"));

    const QByteArray info = readFile(m_home + u"/info/日本 語 #1.mp3.trashinfo");
    const QList<QByteArray> lines = info.split('\n');
    QCOMPARE(lines.size(), 4);  // three lines and the final newline
    QCOMPARE(lines[0], QByteArray("[Trash Info]"));
    const QByteArray expectedPath =
        "Path=" + QFile::encodeName(QDir(m_dir->path()).canonicalPath()).toPercentEncoding("/") +
        "/music/%E6%97%A5%E6%9C%AC%20%E8%AA%9E%20%231.mp3";
    QCOMPARE(lines[1], expectedPath);
    QVERIFY(lines[2].startsWith("DeletionDate="));
    QCOMPARE(lines[2].size(), qsizetype(13 + 19));  // local time, no zone
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate);
    QVERIFY(when >= before && when <= QDateTime::currentDateTime().addSecs(1));

    const QList<TrashEntry> entries = trash.list();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].originalPath,
             QString(QDir(m_dir->path()).canonicalPath() + u"/music/日本 語 #1.mp3"));
    QCOMPARE(trash.itemCount(), 1);
}

void TstTrash::homeTrashFollowsEnvironmentAndIsMadeWhenMissing() {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString dataHome = m_dir->filePath(QStringLiteral("not/yet"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString home = Trash::homeTrashFromEnvironment();
    qputenv("XDG_DATA_HOME", "relative/path");
    const QString fallback = Trash::homeTrashFromEnvironment();
    if (saved.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", saved);
    }
    QCOMPARE(home, QString(dataHome + u"/Trash"));
    QCOMPARE(fallback, QString(QDir::homePath() + u"/.local/share/Trash"));

    Trash trash(home, Trash::mountTopDir, [] { return QStringList(); });
    const QString file = m_dir->filePath(QStringLiteral("a.txt"));
    writeFile(file, "x");
    QCOMPARE(trash.put(file).error, 0);
    for (const QString& folder : QStringList{home, home + u"/files", home + u"/info"}) {
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }
    QCOMPARE(namesIn(home + u"/files"), QStringList{QStringLiteral("a.txt")});
}

void TstTrash::namesThatAreTakenGetNumbers() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    const QString first = m_dir->filePath(QStringLiteral("one/a.txt"));
    const QString second = m_dir->filePath(QStringLiteral("two/a.txt"));
    const QString folder = m_dir->filePath(QStringLiteral("three/a.txt"));
    writeFile(first, "1");
    writeFile(second, "2");
    QVERIFY(QDir().mkpath(folder));
    // An item left without its info file still holds its name.
    writeFile(m_home + u"/files/a.3.txt", "stray");

    QCOMPARE(trash.put(first).entry.name, QStringLiteral("a.txt"));
    QCOMPARE(trash.put(second).entry.name, QStringLiteral("a.2.txt"));
    QCOMPARE(trash.put(folder).entry.name, QStringLiteral("a.4.txt"));
    QCOMPARE(readFile(m_home + u"/files/a.2.txt"), QByteArray("2"));
    QVERIFY(QFileInfo(m_home + u"/files/a.4.txt").isDir());

    QMap<QString, QString> originals;
    for (const TrashEntry& entry : trash.list()) {
        originals.insert(entry.name, QFileInfo(entry.originalPath).path());
    }
    QCOMPARE(originals.size(), 3);
    const QString root = QDir(m_dir->path()).canonicalPath();
    QCOMPARE(originals.value(QStringLiteral("a.txt")), QString(root + u"/one"));
    QCOMPARE(originals.value(QStringLiteral("a.2.txt")), QString(root + u"/two"));
    QCOMPARE(originals.value(QStringLiteral("a.4.txt")), QString(root + u"/three"));
}

void TstTrash::veryLongNamesStillFit() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    // 80 characters of 3 bytes each: 240 bytes, too long once ".trashinfo" is added.
    const QString name = QString(80, QChar(u'あ')) + u".mp3";
    const QString file = m_dir->filePath(name);
    writeFile(file, "long");
    const Trash::PutResult put = trash.put(file);
    QCOMPARE(put.error, 0);
    QVERIFY(QFile::encodeName(put.entry.name + u".trashinfo").size() <= 255);
    QVERIFY(put.entry.name.endsWith(u".mp3"));
    QCOMPARE(trash.list().value(0).originalPath,
             QString(QDir(m_dir->path()).canonicalPath() + u'/' + name));
    QCOMPARE(trash.restore(trash.list().value(0)), 0);
    QCOMPARE(readFile(file), QByteArray("long"));
}

void TstTrash::restorePutsBackAndNeverReplaces() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    const QString file = m_dir->filePath(QStringLiteral("gone/deeper/a.txt"));
    writeFile(file, "old");
    QCOMPARE(trash.put(file).error, 0);

    // Its place taken: nothing moves.
    writeFile(file, "new");
    TrashEntry entry = trash.list().value(0);
    QCOMPARE(trash.restore(entry), EEXIST);
    QCOMPARE(readFile(file), QByteArray("new"));
    QCOMPARE(trash.itemCount(), 1);

    // Its folder gone: made again.
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("gone"))).removeRecursively());
    QCOMPARE(trash.restore(entry), 0);
    QCOMPARE(readFile(file), QByteArray("old"));
    QCOMPARE(trash.itemCount(), 0);
    QVERIFY(namesIn(m_home + u"/info").isEmpty());
}

void TstTrash::failedMoveLeavesNoInfoFile() {
    // A folder that holds the trash cannot go into it.
    const QString holder = m_dir->filePath(QStringLiteral("holder"));
    const QString home = holder + u"/data/Trash";
    Trash trash(home, Trash::mountTopDir, [] { return QStringList(); });
    writeFile(holder + u"/keep.txt", "k");
    QVERIFY(QDir().mkpath(home + u"/info"));
    QVERIFY(QDir().mkpath(home + u"/files"));

    const Trash::PutResult put = trash.put(holder);
    QVERIFY(put.error != 0);
    QCOMPARE(readFile(holder + u"/keep.txt"), QByteArray("k"));
    QVERIFY(namesIn(home + u"/info").isEmpty());
    QVERIFY(namesIn(home + u"/files").isEmpty());
}

void TstTrash::emptyDeletesEverything() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    writeFile(folder + u"/locked/inner.txt", "i");
    // A folder its owner may not write into is still emptied.
    QVERIFY(::chmod(QFile::encodeName(folder + u"/locked").constData(), 0500) == 0);
    const QString file = m_dir->filePath(QStringLiteral("b.txt"));
    writeFile(file, "b");
    QCOMPARE(trash.put(folder).error, 0);
    QCOMPARE(trash.put(file).error, 0);
    writeFile(m_home + u"/info/orphan.trashinfo", "[Trash Info]\nPath=/x\n");
    QCOMPARE(trash.itemCount(), 2);

    QCOMPARE(trash.empty(), 0);
    QCOMPARE(trash.itemCount(), 0);
    QVERIFY(namesIn(m_home + u"/files").isEmpty());
    QVERIFY(namesIn(m_home + u"/info").isEmpty());
    QVERIFY(trash.list().isEmpty());
}

void TstTrash::otherVolumeUsesItsOwnTrash() {
    if (!haveOtherFileSystem()) {
        QSKIP("no second file system (/dev/shm) to try a volume's own trash on");
    }
    // The test's folder on that file system plays its top folder.
    const QString top = m_shm->path();
    Trash trash(
        m_home, [top](const QString&) { return top; }, [top] { return QStringList{top}; });
    const QString file = top + u"/sub dir/x.txt";
    writeFile(file, "x");

    const Trash::PutResult put = trash.put(file);
    QCOMPARE(put.error, 0);
    const QString trashDir = top + u"/.Trash-" + uid();
    QCOMPARE(put.entry.trashDir, trashDir);
    QCOMPARE(readFile(trashDir + u"/files/x.txt"), QByteArray("x"));
    // Written relative to the top folder, so the volume may be mounted elsewhere later.
    QVERIFY(readFile(trashDir + u"/info/x.txt.trashinfo").contains("\nPath=sub%20dir/x.txt\n"));
    struct stat st {};
    QVERIFY(::lstat(QFile::encodeName(trashDir).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);

    const QList<TrashEntry> entries = trash.list();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].originalPath, file);
    QCOMPARE(trash.restore(entries[0]), 0);
    QCOMPARE(readFile(file), QByteArray("x"));

    QCOMPARE(trash.put(file).error, 0);
    QCOMPARE(trash.empty(), 0);
    QVERIFY(namesIn(trashDir + u"/files").isEmpty());
}

void TstTrash::sharedTrashOnlyWhenStickyAndReal() {
    if (!haveOtherFileSystem()) {
        QSKIP("no second file system (/dev/shm) to try a volume's own trash on");
    }
    const QString top = m_shm->path();
    Trash trash(
        m_home, [top](const QString&) { return top; }, [top] { return QStringList{top}; });
    const QString shared = top + u"/.Trash";
    QVERIFY(QDir().mkpath(shared));

    // Not sticky: ignored.
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
    writeFile(top + u"/a.txt", "a");
    QCOMPARE(trash.put(top + u"/a.txt").entry.trashDir, QString(top + u"/.Trash-" + uid()));

    // Sticky: each user's own folder in it.
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    writeFile(top + u"/b.txt", "b");
    QCOMPARE(trash.put(top + u"/b.txt").entry.trashDir, QString(shared + u'/' + uid()));
    QCOMPARE(trash.list().size(), 2);

    // A link to a sticky folder is not a trash anybody set up.
    QVERIFY(QDir(shared).removeRecursively());
    const QString elsewhere = top + u"/elsewhere";
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(::chmod(QFile::encodeName(elsewhere).constData(), 01777) == 0);
    QVERIFY(QFile::link(elsewhere, shared));
    writeFile(top + u"/c.txt", "c");
    QCOMPARE(trash.put(top + u"/c.txt").entry.trashDir, QString(top + u"/.Trash-" + uid()));
    QVERIFY(namesIn(elsewhere).isEmpty());
}

void TstTrash::volumeWithoutTrashIsLeftAlone() {
    if (!haveOtherFileSystem()) {
        QSKIP("no second file system (/dev/shm) to try a volume's own trash on");
    }
    // The item's top folder is said to lie on the home file system: a trash there would need a
    // copy, so there is no usable trash for it.
    const QString wrongTop = m_dir->path();
    Trash trash(
        m_home, [wrongTop](const QString&) { return wrongTop; }, [] { return QStringList(); });
    const QString file = m_shm->path() + u"/x.txt";
    writeFile(file, "x");
    QVERIFY(trash.trashDirFor(file).isEmpty());
    QCOMPARE(trash.put(file).error, Trash::kNoUsableTrash);
    QCOMPARE(readFile(file), QByteArray("x"));
    QVERIFY(namesIn(m_home + u"/files").isEmpty());
    QVERIFY(namesIn(m_home + u"/info").isEmpty());
    QVERIFY(!QFile::exists(wrongTop + u"/.Trash-" + uid() + u"/files/x.txt"));

    // Neither when the volume has no top folder to hold one.
    Trash noTop(
        m_home, [](const QString&) { return QString(); }, [] { return QStringList(); });
    QCOMPARE(noTop.put(file).error, Trash::kNoUsableTrash);
    QCOMPARE(readFile(file), QByteArray("x"));
}

void TstTrash::nameThatIsNotUtf8GoesAndComesBack() {
    Trash trash(m_home, Trash::mountTopDir, [] { return QStringList(); });
    // A name written on another system: Latin-1 bytes, not UTF-8.
    const QByteArray folder = QFile::encodeName(m_dir->path());
    const QByteArray raw = folder + "/caf\xe9.wav";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    const QString path = decodeFileName(raw);
    const Trash::PutResult put = trash.put(path);
    QCOMPARE(put.error, 0);
    QVERIFY(::access(raw.constData(), F_OK) != 0);
    const QList<TrashEntry> entries = trash.list();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(trash.restore(entries.first()), 0);
    QVERIFY(::access(raw.constData(), F_OK) == 0);
    // The temporary folder cannot remove a name Qt cannot spell.
    ::unlink(raw.constData());
}

QTEST_GUILESS_MAIN(TstTrash)
#include "tst_trash.moc"
