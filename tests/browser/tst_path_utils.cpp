#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

#include "browser/drive_ready.h"
#include "browser/messages.h"
#include "browser/path_utils.h"
#include "browser/special_folder.h"
#include "platform/app_info.h"
#include "platform/byte_size_text.h"
#include "platform/file_exist.h"
#include "platform/scripted_dialogs.h"
#include "platform/volumes.h"

namespace {

Volume volume(const QString& mountPoint, DriveType type, bool mounted = true,
              const QString& fsType = QStringLiteral("ext4")) {
    return {mountPoint, fsType, QStringLiteral("/dev/sda1"), type, mounted};
}

// Sets environment variables for the life of the object and puts the old values back.
class EnvOverride {
public:
    ~EnvOverride() {
        for (auto it = m_old.crbegin(); it != m_old.crend(); ++it) {
            if (it->second.has_value()) {
                qputenv(it->first.constData(), *it->second);
            } else {
                qunsetenv(it->first.constData());
            }
        }
    }
    void set(const char* name, const QString& value) {
        m_old.emplace_back(QByteArray(name), qEnvironmentVariableIsSet(name)
                                                 ? std::optional<QByteArray>(qgetenv(name))
                                                 : std::nullopt);
        qputenv(name, QFile::encodeName(value));
    }
    void unset(const char* name) {
        m_old.emplace_back(QByteArray(name), qEnvironmentVariableIsSet(name)
                                                 ? std::optional<QByteArray>(qgetenv(name))
                                                 : std::nullopt);
        qunsetenv(name);
    }

private:
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_old;
};

const QByteArray kMountInfo =
    "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
    "22 21 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "23 21 0:22 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,size=812k\n"
    "40 21 8:17 / /media/user/My\\040Disk rw,nosuid shared:40 - vfat /dev/sdb1 rw\n"
    "41 23 8:33 / /run/media/alice/USB rw,nosuid shared:41 - exfat /dev/sdc1 rw\n"
    "42 23 0:50 / /run/media/alice rw shared:42 - tmpfs tmpfs rw\n"
    "43 21 0:51 / /srv/export rw shared:43 - nfs4 server:/export rw\n"
    "44 21 0:52 / /mnt/share rw shared:44 - cifs //server/share rw\n"
    "45 21 8:2 / /home rw,relatime shared:45 - ext4 /dev/sda2 rw\n"
    "46 21 0:53 / /mnt/ram rw shared:46 - tmpfs tmpfs rw\n"
    "47 21 11:0 / /media/cdrom0 ro shared:47 - iso9660 /dev/sr0 ro\n"
    "broken line\n"
    "48 21 8:3 / /var/lib/docker rw shared:48 - ext4 /dev/sda3 rw\n";

const QByteArray kFstab =
    "# /etc/fstab: static file system information.\n"
    "UUID=1234 /               ext4    errors=remount-ro 0       1\n"
    "UUID=5678 none            swap    sw              0       0\n"
    "/dev/sr1        /media/cdrom1   udf,iso9660 user,noauto     0       0\n"
    "/dev/sdd1       /mnt/backup\\040disk ext4 noauto 0 2\n"
    "/dev/sdb1       /media/user/My\\040Disk vfat noauto 0 0\n"
    "   \n";

}  // namespace

class TestPathUtils : public QObject {
    Q_OBJECT

private slots:
    void driveName();
    void existenceTests();
    void uncPaths();
    void byteSizes_data();
    void byteSizes();
    void sizeText_data();
    void sizeText();
    void fileTimeText();
    void driveReady();
    void driveNotReady_data();
    void driveNotReady();
    void mountTables();
    void volumeSelection();
    void volumeOfPath();
    void specialFolders();
};

void TestPathUtils::driveName() {
    const QList<Volume> volumes = {volume(QStringLiteral("/"), DriveType::Fixed),
                                   volume(QStringLiteral("/home"), DriveType::Fixed),
                                   volume(QStringLiteral("/media/cd"), DriveType::CdRom, false)};
    QCOMPARE(GetDriveNm(QStringLiteral("/media/cd/track.wav"), volumes),
             QStringLiteral("/media/cd"));
    QCOMPARE(GetDriveNm(QStringLiteral("/media/cd"), volumes), QStringLiteral("/media/cd"));
    QCOMPARE(GetDriveNm(QStringLiteral("/home/u/x"), volumes), QStringLiteral("/home"));
    QCOMPARE(GetDriveNm(QStringLiteral("/homework/x"), volumes), QStringLiteral("/"));
    QCOMPARE(GetDriveNm(QStringLiteral("/usr"), volumes), QStringLiteral("/"));
    QCOMPARE(GetDriveNm(QStringLiteral("relative/x"), volumes), QString());
    // However short, a path's volume is its mount point: "/x" is no root of its own.
    QCOMPARE(GetDriveNm(QStringLiteral("/x"), volumes), QStringLiteral("/"));
    QCOMPARE(GetDriveNm(QStringLiteral("/x/"), volumes), QStringLiteral("/"));
    QCOMPARE(GetDriveNm(QStringLiteral("ab"), volumes), QString());
    QCOMPARE(GetDriveNm(QString(), volumes), QString());
    QCOMPARE(GetDriveNm(QStringLiteral("/"), volumes), QStringLiteral("/"));
    // The machine's own volumes always start with "/".
    QCOMPARE(GetDriveNm(QStringLiteral("/usr/bin")).isEmpty(), false);
}

void TestPathUtils::existenceTests() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("フォルダ"));
    const QString file = dir.filePath(QStringLiteral("a file.txt"));
    QVERIFY(QDir().mkdir(folder));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();

    QVERIFY(FolderExist(folder));
    QVERIFY(FolderExist(folder + u'/'));
    QVERIFY(FolderExist(QStringLiteral("/")));
    QVERIFY(!FolderExist(QString()));
    QVERIFY(!FolderExist(file));
    QVERIFY(!FolderExist(dir.filePath(QStringLiteral("missing"))));

    QVERIFY(FileExist(file));
    QVERIFY(!FileExist(file + u'/'));
    QVERIFY(!FileExist(folder));
    QVERIFY(!FileExist(QString()));
    QVERIFY(!FileExist(dir.filePath(QStringLiteral("missing.txt"))));

    // The bytes of a path end at a NUL: what comes before it is not what was asked about.
    QVERIFY(!FolderExist(folder + QChar(0) + u"x"));
    QVERIFY(!FileExist(file + QChar(0) + u"x"));
}

void TestPathUtils::uncPaths() {
    const QList<Volume> volumes = {volume(QStringLiteral("/"), DriveType::Fixed),
                                   volume(QStringLiteral("/mnt/share"), DriveType::Remote)};
    QVERIFY(IsUNCPath(QStringLiteral("//server/share/dir"), volumes));
    QVERIFY(IsUNCPath(QStringLiteral("/mnt/share/dir/file"), volumes));
    QVERIFY(IsUNCPath(QStringLiteral("/mnt/share"), volumes));
    QVERIFY(!IsUNCPath(QStringLiteral("/mnt/shared/x"), volumes));
    QVERIFY(!IsUNCPath(QStringLiteral("/home/u"), volumes));
    QVERIFY(!IsUNCPath(QStringLiteral("///x"), volumes));
    QVERIFY(!IsUNCPath(QStringLiteral("//"), volumes));
    QVERIFY(!IsUNCPath(QString(), volumes));
}

void TestPathUtils::byteSizes_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << qint64(0) << "0 バイト";
    QTest::newRow("1023") << qint64(1023) << "1023 バイト";
    QTest::newRow("1024") << qint64(1024) << "1.00 KB";
    QTest::newRow("1536") << qint64(1536) << "1.50 KB";
    QTest::newRow("cut, not rounded") << qint64(2047) << "1.99 KB";
    QTest::newRow("12.3 KB") << qint64(12600) << "12.3 KB";
    QTest::newRow("980 KB") << qint64(980 * 1024) << "980 KB";
    QTest::newRow("999 KB") << qint64(999 * 1024 + 1023) << "999 KB";
    QTest::newRow("1000 KB") << qint64(1000 * 1024) << "0.97 MB";
    QTest::newRow("5 MB") << qint64(5) * 1024 * 1024 << "5.00 MB";
    QTest::newRow("123 MB") << qint64(123) * 1024 * 1024 + 5 << "123 MB";
    QTest::newRow("1 GB") << (qint64(1) << 30) << "1.00 GB";
    QTest::newRow("4.5 GB") << (qint64(9) << 29) << "4.50 GB";
    QTest::newRow("2 TB") << (qint64(2) << 40) << "2.00 TB";
}

void TestPathUtils::byteSizes() {
    QFETCH(qint64, bytes);
    QFETCH(QString, expected);
    QCOMPARE(FormatByteSize(bytes), expected);
}

void TestPathUtils::sizeText_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << "0"
                       << "        0 バイト";
    QTest::newRow("1536") << "1536"
                          << "      1.50 KB";
    QTest::newRow("blanks") << " 1024 "
                            << "      1.00 KB";
    QTest::newRow("large") << "5368709120"
                           << "      5.00 GB";
    QTest::newRow("not a number") << "abc"
                                  << "0";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("negative") << "-5"
                              << "0";
}

void TestPathUtils::sizeText() {
    QFETCH(QString, count);
    QFETCH(QString, expected);
    const QString text = SizeText(count);
    QCOMPARE(text, expected);
    if (expected != u"0") {
        QCOMPARE(text.size(), 13);
    }
}

void TestPathUtils::fileTimeText() {
    struct tm local {};
    local.tm_year = 2004 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    const time_t t = mktime(&local);
    QCOMPARE(FileTimeText(t), QStringLiteral("2004/03/05 07:08:09"));

    struct tm late {};
    late.tm_year = 2021 - 1900;
    late.tm_mon = 11;
    late.tm_mday = 31;
    late.tm_hour = 23;
    late.tm_min = 59;
    late.tm_sec = 58;
    late.tm_isdst = -1;
    QCOMPARE(FileTimeText(mktime(&late)), QStringLiteral("2021/12/31 23:59:58"));
}

void TestPathUtils::driveReady() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedDialogs dialogs;
    const QList<Volume> volumes = {
        volume(QStringLiteral("/"), DriveType::Fixed),
        volume(dir.path(), DriveType::Removable),
        volume(dir.filePath(QStringLiteral("odd")), DriveType::Unknown),
    };

    QVERIFY(DriveReady(dialogs, dir.filePath(QStringLiteral("sub/file.mp3")), volumes));
    QVERIFY(DriveReady(dialogs, dir.path(), volumes));
    QVERIFY(dialogs.calls().isEmpty());

    QVERIFY(!DriveReady(dialogs, QStringLiteral("relative/path"), volumes));
    QVERIFY(!DriveReady(dialogs, QString(), volumes));
    QVERIFY(!DriveReady(dialogs, dir.filePath(QStringLiteral("odd/x")), volumes));
    const QList<ScriptedDialogs::Call> calls = dialogs.messages();
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls[0].text, QStringLiteral("ドライブ relative/pathは存在しません。"));
    QCOMPARE(toString(calls[0].icon), QStringLiteral("critical"));
    QCOMPARE(toString(calls[0].buttons), QStringLiteral("ok"));
    QCOMPARE(calls[0].title, app_info::title());
    QCOMPARE(calls[1].text, QStringLiteral("ドライブ は存在しません。"));
    QCOMPARE(calls[2].text, browser_msg::driveTypeUnknown(dir.filePath(QStringLiteral("odd"))));
    QVERIFY(calls[2].text.endsWith(u"はドライブの種類が判定できません。"));
    QCOMPARE(toString(calls[2].icon), QStringLiteral("critical"));
    QCOMPARE(dialogs.beeps(), 0);
}

void TestPathUtils::driveNotReady_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typeName");
    QTest::newRow("removable") << int(DriveType::Removable)
                               << "フロッピーディスク又はリムーバブル ディスク";
    QTest::newRow("hard disk") << int(DriveType::Fixed) << "ハード ディスク";
    QTest::newRow("network") << int(DriveType::Remote) << "ネットワーク ドライブ";
    QTest::newRow("CD-ROM") << int(DriveType::CdRom) << "CD-ROM";
    QTest::newRow("RAM disk") << int(DriveType::RamDisk) << "RAMディスク";
}

void TestPathUtils::driveNotReady() {
    QFETCH(int, type);
    QFETCH(QString, typeName);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedDialogs dialogs;
    const QString mountPoint = QStringLiteral("/media/cdrom0");
    const QList<Volume> volumes = {
        volume(QStringLiteral("/"), DriveType::Fixed),
        volume(mountPoint, static_cast<DriveType>(type), false),
        // Mounted, but its root is gone: not ready either.
        volume(dir.filePath(QStringLiteral("gone")), static_cast<DriveType>(type), true),
    };
    QVERIFY(!DriveReady(dialogs, mountPoint + u"/track01.cda", volumes));
    QVERIFY(!DriveReady(dialogs, dir.filePath(QStringLiteral("gone/x")), volumes));
    const QList<ScriptedDialogs::Call> calls = dialogs.messages();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].text,
             QString(u"ドライブ /media/cdrom0: - " + typeName + u"\r\nの準備ができていません。"));
    QCOMPARE(toString(calls[0].icon), QStringLiteral("information"));
    QCOMPARE(toString(calls[0].buttons), QStringLiteral("ok"));
    QCOMPARE(calls[0].title, QStringLiteral("Quorvane"));
    QCOMPARE(calls[1].text, QString(u"ドライブ " + dir.filePath(QStringLiteral("gone")) + u": - " +
                                    typeName + u"\r\nの準備ができていません。"));
    QCOMPARE(driveTypeName(static_cast<DriveType>(type)), typeName);
}

void TestPathUtils::mountTables() {
    const QList<MountEntry> mounts = parseMountInfo(kMountInfo);
    QCOMPARE(mounts.size(), 12);
    QCOMPARE(mounts[0].mountPoint, QStringLiteral("/"));
    QCOMPARE(mounts[0].fsType, QStringLiteral("ext4"));
    QCOMPARE(mounts[0].device, QStringLiteral("/dev/sda1"));
    QCOMPARE(mounts[3].mountPoint, QStringLiteral("/media/user/My Disk"));
    QCOMPARE(mounts[6].device, QStringLiteral("server:/export"));
    QCOMPARE(mounts[11].mountPoint, QStringLiteral("/var/lib/docker"));

    // Optional fields of any number before the separator; escapes of tab, backslash and UTF-8.
    const QList<MountEntry> odd = parseMountInfo(
        "50 21 8:5 / /media/a\\011b\\134c rw - vfat /dev/sde1 rw\n"
        "51 21 8:6 / /media/\\346\\227\\245 rw shared:1 master:2 propagate_from:3 - ext4 /dev/x "
        "rw\n"
        "52 21 8:7 / /media/end\\04 rw - ext4 /dev/y rw\n");
    QCOMPARE(odd.size(), 3);
    QCOMPARE(odd[0].mountPoint, QStringLiteral("/media/a\tb\\c"));
    QCOMPARE(odd[1].mountPoint, QStringLiteral("/media/日"));
    QCOMPARE(odd[1].fsType, QStringLiteral("ext4"));
    QCOMPARE(odd[2].mountPoint, QStringLiteral("/media/end\\04"));

    const QList<MountEntry> fstab = parseFstab(kFstab);
    QCOMPARE(fstab.size(), 5);
    QCOMPARE(fstab[2].mountPoint, QStringLiteral("/media/cdrom1"));
    QCOMPARE(fstab[2].fsType, QStringLiteral("udf,iso9660"));
    QCOMPARE(fstab[2].device, QStringLiteral("/dev/sr1"));
    QCOMPARE(fstab[3].mountPoint, QStringLiteral("/mnt/backup disk"));
}

void TestPathUtils::volumeSelection() {
    const auto removable = [](const QString& device) { return device == u"/dev/sdb1"; };
    const QList<Volume> volumes =
        selectVolumes(parseMountInfo(kMountInfo), parseFstab(kFstab), removable);
    QStringList points;
    for (const Volume& v : volumes) {
        points << v.mountPoint;
    }
    QCOMPARE(
        points,
        (QStringList{QStringLiteral("/"), QStringLiteral("/home"),
                     QStringLiteral("/media/user/My Disk"), QStringLiteral("/run/media/alice/USB"),
                     QStringLiteral("/srv/export"), QStringLiteral("/mnt/share"),
                     QStringLiteral("/mnt/ram"), QStringLiteral("/media/cdrom0"),
                     QStringLiteral("/media/cdrom1"), QStringLiteral("/mnt/backup disk")}));
    QCOMPARE(int(volumes[0].type), int(DriveType::Fixed));
    QCOMPARE(int(volumes[2].type), int(DriveType::Removable));
    QCOMPARE(int(volumes[3].type), int(DriveType::Fixed));
    QCOMPARE(int(volumes[4].type), int(DriveType::Remote));
    QCOMPARE(int(volumes[5].type), int(DriveType::Remote));
    QCOMPARE(int(volumes[6].type), int(DriveType::RamDisk));
    QCOMPARE(int(volumes[7].type), int(DriveType::CdRom));
    for (int i = 0; i < 8; ++i) {
        QVERIFY(volumes[i].mounted);
    }
    // The empty CD drive and the unmounted disk of fstab.
    QCOMPARE(int(volumes[8].type), int(DriveType::CdRom));
    QVERIFY(!volumes[8].mounted);
    QVERIFY(!volumes[9].mounted);
    QCOMPARE(int(volumes[9].type), int(DriveType::Fixed));

    // Without its own mount /home is no volume; "/" comes first even when it is mounted late or
    // the table cannot be read at all.
    const QList<Volume> plain =
        selectVolumes(parseMountInfo("30 21 0:9 / /mnt/x rw - ext4 /dev/sdz1 rw\n"
                                     "31 1 8:1 / / rw - btrfs /dev/nvme0n1p2 rw\n"),
                      {}, {});
    QCOMPARE(plain.size(), 2);
    QCOMPARE(plain[0].mountPoint, QStringLiteral("/"));
    QCOMPARE(plain[0].fsType, QStringLiteral("btrfs"));
    QCOMPARE(plain[1].mountPoint, QStringLiteral("/mnt/x"));
    const QList<Volume> none = selectVolumes({}, {}, {});
    QCOMPARE(none.size(), 1);
    QCOMPARE(none[0].mountPoint, QStringLiteral("/"));
    QVERIFY(none[0].mounted);

    // This machine: "/" first and ready.
    const QList<Volume> here = listVolumes();
    QVERIFY(!here.isEmpty());
    QCOMPARE(here[0].mountPoint, QStringLiteral("/"));
    QVERIFY(isVolumeReady(here[0]));
}

void TestPathUtils::volumeOfPath() {
    const QList<Volume> volumes = {volume(QStringLiteral("/"), DriveType::Fixed),
                                   volume(QStringLiteral("/media/u"), DriveType::Fixed),
                                   volume(QStringLiteral("/media/u/disk"), DriveType::Removable),
                                   volume(QStringLiteral("/media/u/disk2"), DriveType::Removable)};
    auto mountOf = [&volumes](const QString& path) {
        const Volume* v = volumeOf(path, volumes);
        return v ? v->mountPoint : QStringLiteral("<none>");
    };
    QCOMPARE(mountOf(QStringLiteral("/media/u/disk/a/b")), QStringLiteral("/media/u/disk"));
    QCOMPARE(mountOf(QStringLiteral("/media/u/disk2")), QStringLiteral("/media/u/disk2"));
    QCOMPARE(mountOf(QStringLiteral("/media/u/disk3/x")), QStringLiteral("/media/u"));
    QCOMPARE(mountOf(QStringLiteral("/media/user")), QStringLiteral("/"));
    QCOMPARE(mountOf(QStringLiteral("/")), QStringLiteral("/"));
    QCOMPARE(mountOf(QStringLiteral("media/u")), QStringLiteral("<none>"));
    QCOMPARE(mountOf(QString()), QStringLiteral("<none>"));
    QCOMPARE(volumeOf(QStringLiteral("/x"), {}), nullptr);
}

void TestPathUtils::specialFolders() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(config));
    QVERIFY(QDir().mkpath(home + u"/デスクトップ"));
    QVERIFY(QDir().mkpath(home + u"/文書"));
    QVERIFY(QDir().mkpath(runtime + u"/gvfs"));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QFile dirs(config + u"/user-dirs.dirs");
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write(
        "XDG_DESKTOP_DIR=\"$HOME/\xE3\x83\x87\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\x88\xE3\x83"
        "\x83\xE3\x83\x97\"\nXDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\x9B\xB8\"\n");
    dirs.close();

    EnvOverride env;
    env.set("HOME", home);
    env.set("XDG_CONFIG_HOME", config);
    env.set("XDG_RUNTIME_DIR", runtime);
    env.set("TMPDIR", dir.path());
    env.unset("XDG_DATA_HOME");

    ClsGetSpecialFolder folders;
    QCOMPARE(folders.DesktopPath(), QString(home + u"/デスクトップ"));
    QCOMPARE(folders.MyDocumentPath(), QString(home + u"/文書"));
    QCOMPARE(folders.NetWorkPath(), QString(runtime + u"/gvfs"));
    QCOMPARE(folders.TempPath(), QString(dir.path() + u'/'));
    QVERIFY(folders.ProgramsDirPath().startsWith(home));
    QCOMPARE(folders.SendToPath(), QString());
    QCOMPARE(folders.FavoritesDirPath(), QString());
    QCOMPARE(folders.WindowsPath(), QString());
    QCOMPARE(folders.SystemPath(), QString());

    // Without user-dirs.dirs: the usual names under the home folder.
    QVERIFY(QFile::remove(config + u"/user-dirs.dirs"));
    QCOMPARE(folders.DesktopPath(), QString(home + u"/Desktop"));
    QCOMPARE(folders.MyDocumentPath(), QString(home + u"/Documents"));
}

QTEST_GUILESS_MAIN(TestPathUtils)
#include "tst_path_utils.moc"
