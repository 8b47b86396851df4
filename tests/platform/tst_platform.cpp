#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/error_box.h"
#include "platform/file_name_codec.h"
#include "platform/instance_channel.h"
#include "platform/os_version.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/single_instance.h"
#include "platform/text_codec.h"
#include "settings/module1.h"

Q_DECLARE_METATYPE(WinVersionRecord)

namespace {

WinVersionRecord record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                        std::uint32_t build, const QString& csd = {}, std::uint8_t productType = 0,
                        std::uint16_t suiteMask = 0, bool extendedOk = true) {
    WinVersionRecord r;
    r.plainOk = true;
    r.extendedOk = extendedOk;
    r.platformId = platform;
    r.major = major;
    r.minor = minor;
    r.build = build;
    r.csd = csd;
    r.productType = productType;
    r.suiteMask = suiteMask;
    return r;
}

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void windowsNames_data();
    void windowsNames();
    void iconSetFollowsTheSystemName();
    void linuxNames_data();
    void linuxNames();
    void shellVersion();
    void errorBox();
    void errorNumbers();
    void cp932();
    void singleInstanceGuard();
    void instanceChannelHandsOverAPath();
};

void TestPlatform::windowsNames_data() {
    QTest::addColumn<WinVersionRecord>("version");
    QTest::addColumn<QString>("name");

    QTest::newRow("95 with its CSD text straight after")
        << record(1, 4, 0, 0x040003B6, QStringLiteral("B")) << "Windows 95B Build: 950";
    QTest::newRow("95 without CSD") << record(1, 4, 0, 950) << "Windows 95 Build: 950";
    QTest::newRow("98 takes the low word, never CSD")
        << record(1, 4, 10, 0x040A08AE, QStringLiteral(" A ")) << "Windows 98 Build: 2222";
    QTest::newRow("98 low word is signed")
        << record(1, 4, 10, 0x0000C000) << "Windows 98 Build: -16384";
    QTest::newRow("Me") << record(1, 4, 90, 0x045A0BB8) << "Windows Me Build: 3000";
    QTest::newRow("Me later (minor)") << record(1, 4, 91, 7) << "Windows Me later Build: 7";
    QTest::newRow("Me later (major)") << record(1, 5, 0, 7) << "Windows Me later Build: 7";

    QTest::newRow("2000 Professional") << record(2, 5, 0, 2195, QStringLiteral("Service Pack 4"), 1)
                                       << "Windows 2000 Professional (Service Pack 4) Build: 2195";
    QTest::newRow("2000 Server") << record(2, 5, 0, 2195, {}, 3)
                                 << "Windows 2000 Server Build: 2195";
    QTest::newRow("2000 domain controller")
        << record(2, 5, 0, 2195, {}, 2) << "Windows 2000 Build: 2195";
    QTest::newRow("XP Home Edition")
        << record(2, 5, 1, 2600, QStringLiteral("Service Pack 2"), 1, 0x200)
        << "Windows XP Home Edition (Service Pack 2) Build: 2600";
    QTest::newRow("XP Home Edition without CSD")
        << record(2, 5, 1, 2600, {}, 1, 0x300) << "Windows XP Home Edition Build: 2600";
    QTest::newRow("XP Professional") << record(2, 5, 1, 2600, QStringLiteral("SP1"), 1)
                                     << "Windows XP Professional (SP1) Build: 2600";
    QTest::newRow("2002 .NET Server")
        << record(2, 5, 1, 3663, {}, 3) << "Windows 2002 .NET Server Build: 3663";
    QTest::newRow("XP, other product type")
        << record(2, 5, 1, 2600, {}, 2) << "Windows XP Build: 2600";
    QTest::newRow("Whistlar later (5.2)") << record(2, 5, 2, 3790, QStringLiteral("SP2"), 3)
                                          << "Windows Whistlar later (SP2) Build: 3790";
    QTest::newRow("Whistlar later (6)")
        << record(2, 6, 1, 7601, {}, 1) << "Windows Whistlar later Build: 7601";
    QTest::newRow("NT 4.00 Workstation")
        << record(2, 4, 0, 1381, QStringLiteral("Service Pack 6"), 1)
        << "Windows NT Version 4.00 Workstation (Service Pack 6) Build: 1381";
    QTest::newRow("NT 3.51 Server")
        << record(2, 3, 51, 1057, {}, 3) << "Windows NT Version 3.51 Server Build: 1057";
    QTest::newRow("NT without the extended record")
        << record(2, 4, 0, 1381, QStringLiteral("Service Pack 3"), 1, 0, false)
        << "Windows NT Version 4.00 (Service Pack 3) Build: 1381";

    QTest::newRow("other platform") << record(3, 4, 0, 1) << "";
    QTest::newRow("Win32s platform") << record(0, 3, 10, 1) << "";
    WinVersionRecord failed = record(2, 5, 1, 2600, {}, 1);
    failed.plainOk = false;
    QTest::newRow("failed plain query") << failed << "";
}

void TestPlatform::windowsNames() {
    QFETCH(WinVersionRecord, version);
    QFETCH(QString, name);
    QCOMPARE(windowsOsName(version), name);
}

void TestPlatform::iconSetFollowsTheSystemName() {
    const IconKeySet xp =
        IconKeySet::forOsName(QStringLiteral("Windows XP Home Edition (SP2) Build: 2600"));
    QCOMPARE(xp.FolderClose, QStringLiteral("FolderClose"));
    QCOMPARE(xp.FolderOpen, QStringLiteral("FolderOpen"));
    QCOMPARE(xp.DeskTop, QStringLiteral("DeskTopXp"));
    QCOMPARE(xp.MyNet, QStringLiteral("MyNetXp"));
    QCOMPARE(xp.MyDoc, QStringLiteral("MyDocXp"));
    QCOMPARE(xp.UpOne, QStringLiteral("UpOneXp"));
    QCOMPARE(xp.Favorites, QStringLiteral("FavoritesXp"));
    QCOMPARE(xp.MyMusic, QStringLiteral("MyMusicXp"));
    QCOMPARE(xp.MyPicture, QStringLiteral("MyPictureXp"));
    QCOMPARE(xp.MyVideo, QStringLiteral("MyVideoXp"));

    for (const QString& other :
         {QStringLiteral("Windows 2000 Professional Build: 2195"),
          QStringLiteral("Windows 2002 .NET Server Build: 3663"), QString(),
          QStringLiteral("windows xp"), QStringLiteral("Debian GNU/Linux 12 (bookworm)")}) {
        const IconKeySet plain = IconKeySet::forOsName(other);
        QCOMPARE(plain.FolderClose, QStringLiteral("FolderClose98"));
        QCOMPARE(plain.FolderOpen, QStringLiteral("FolderOpen98"));
        QCOMPARE(plain.DeskTop, QStringLiteral("DeskTop98"));
        QCOMPARE(plain.MyNet, QStringLiteral("MyNet98"));
        QCOMPARE(plain.MyDoc, QStringLiteral("MyDoc98"));
        QCOMPARE(plain.UpOne, QStringLiteral("UpOne98"));
        QCOMPARE(plain.Favorites, QStringLiteral("Favorites98"));
        QCOMPARE(plain.MyMusic, QStringLiteral("FolderClose98"));
        QCOMPARE(plain.MyPicture, QStringLiteral("MyPicture98"));
        QCOMPARE(plain.MyVideo, QStringLiteral("FolderClose98"));
    }
    QCOMPARE(IconKeySet::forOsName(QStringLiteral("Microsoft Windows XP")).DeskTop,
             QStringLiteral("DeskTopXp"));
}

void TestPlatform::linuxNames_data() {
    QTest::addColumn<QString>("osRelease");
    QTest::addColumn<QString>("kernel");
    QTest::addColumn<QString>("name");
    const QString debian = QStringLiteral(
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
        "VERSION_ID=\"12\"\nID=debian\n");
    QTest::newRow("Debian") << debian << "6.1.0-18-amd64"
                            << "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64)";
    QTest::newRow("no kernel") << debian << ""
                               << "Debian GNU/Linux 12 (bookworm)";
    QTest::newRow("NAME only, single quotes, CRLF")
        << "# comment\r\nNAME='Arch Linux'\r\nID=arch\r\n"
        << "6.7.1"
        << "Arch Linux (Linux 6.7.1)";
    QTest::newRow("PRETTY_NAME after NAME, unquoted")
        << "NAME=Fedora\nPRETTY_NAME=Fedora Linux 39\n"
        << ""
        << "Fedora Linux 39";
    QTest::newRow("nothing known") << ""
                                   << ""
                                   << "";
    QTest::newRow("kernel only") << "garbage without equals\n=x\n"
                                 << "5.10.0"
                                 << "Linux 5.10.0";
}

void TestPlatform::linuxNames() {
    QFETCH(QString, osRelease);
    QFETCH(QString, kernel);
    QFETCH(QString, name);
    QCOMPARE(linuxOsName(osRelease, kernel), name);
}

void TestPlatform::shellVersion() {
    const QString version = GetShellVersion();
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+$")).match(version).hasMatch());
    QVERIFY(QString::fromLatin1(qVersion()).startsWith(version + u'.'));
    // This machine has a name: at least its kernel.
    QVERIFY(GetOSName().contains(u"Linux"));
}

void TestPlatform::errorBox() {
    ScriptedDialogs dialogs;
    ErrMsgDsp(dialogs, 53);
    QCOMPARE(dialogs.calls().size(), 2);
    const ScriptedDialogs::Call box = dialogs.calls().at(0);
    QVERIFY(box.kind == ScriptedDialogs::Kind::Message);
    QCOMPARE(box.text,
             QStringLiteral("(エラー番号):  53\r(エラー内容):  ファイルが見つかりません。"));
    QCOMPARE(box.title, QStringLiteral("Quorvaneエラー"));
    QCOMPARE(toString(box.icon), QStringLiteral("critical"));
    QCOMPARE(toString(box.buttons), QStringLiteral("ok"));
    QVERIFY(dialogs.calls().at(1).kind == ScriptedDialogs::Kind::Beep);
    QCOMPARE(dialogs.beeps(), 1);

    // Through the exception a failing procedure caught.
    dialogs.clear();
    ErrMsgDsp(dialogs, std::filesystem::filesystem_error(
                           "open", std::filesystem::path("/x"),
                           std::make_error_code(std::errc::permission_denied)));
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().at(0).text,
             QStringLiteral("(エラー番号):  70\r(エラー内容):  書き込みできません。"));
    QCOMPARE(dialogs.beeps(), 1);

    QCOMPARE(errorBoxText(-5),
             QStringLiteral("(エラー番号):  -5\r(エラー内容):  "
                            "アプリケーション定義またはオブジェクト定義のエラーです。"));
    QCOMPARE(errorBoxTitle(), QStringLiteral("Quorvaneエラー"));
}

void TestPlatform::errorNumbers() {
    QCOMPARE(runErrorFromErrno(ENOENT), 53);
    QCOMPARE(runErrorFromErrno(EACCES), 70);
    QCOMPARE(runErrorFromErrno(EPERM), 70);
    QCOMPARE(runErrorFromErrno(EROFS), 70);
    QCOMPARE(runErrorFromErrno(EEXIST), 58);
    QCOMPARE(runErrorFromErrno(ENOSPC), 61);
    QCOMPARE(runErrorFromErrno(EIO), 57);
    QCOMPARE(runErrorFromErrno(ENOTDIR), 76);
    QCOMPARE(runErrorFromErrno(EXDEV), 74);
    QCOMPARE(runErrorFromErrno(ENOMEDIUM), 68);
    QCOMPARE(runErrorFromErrno(12345), 75);

    using std::filesystem::filesystem_error;
    const std::filesystem::path p("/x");
    QCOMPARE(runErrorFromException(filesystem_error(
                 "x", p, std::make_error_code(std::errc::no_such_file_or_directory))),
             53);
    QCOMPARE(runErrorFromException(
                 filesystem_error("x", p, std::make_error_code(std::errc::no_space_on_device))),
             61);
    QCOMPARE(runErrorFromException(std::system_error(std::make_error_code(std::errc::file_exists))),
             58);
    QCOMPARE(runErrorFromException(std::system_error(EIO, std::system_category())), 57);
    QCOMPARE(runErrorFromException(RunError(71)), 71);
    QCOMPARE(runErrorFromException(std::bad_alloc()), 7);
    QCOMPARE(runErrorFromException(std::out_of_range("i")), 9);
    QCOMPARE(runErrorFromException(std::runtime_error("?")), 51);
    try {
        throwErrno(EACCES);
        QFAIL("throwErrno returned");
    } catch (const RunError& e) {
        QCOMPARE(e.number(), 70);
    }
    QCOMPARE(runErrorText(58), QStringLiteral("既に同名のファイルが存在しています。"));
}

void TestPlatform::cp932() {
    text_codec::Cp932 codec;
    const QByteArray test("\x83\x65\x83\x58\x83\x67");
    QCOMPARE(codec.decode(test), QStringLiteral("テスト"));
    QCOMPARE(codec.encode(u"テスト"), test);

    // Half-width katakana, the NEC and IBM extensions and the wave dash as CP932 maps them.
    const QString mixed = QStringLiteral("ｱｲｳ ①Ⅹ～ abc 表");
    const QByteArray bytes = codec.encode(mixed);
    QCOMPARE(bytes, QByteArray("\xB1\xB2\xB3 \x87\x40\x87\x5D\x81\x60 abc \x95\x5C"));
    QCOMPARE(codec.decode(bytes), mixed);

    // What cannot be converted is replaced, never dropped silently or fatal.
    QCOMPARE(codec.decode(QByteArray("a\x83")), QStringLiteral("a\uFFFD"));
    QCOMPARE(codec.decode(QByteArray("\x83\x20x")), QStringLiteral("\uFFFD x"));
    QCOMPARE(codec.encode(QStringLiteral("a\U0001F600b\u00E9")), QByteArray("a?b?"));
    QCOMPARE(codec.decode(QByteArray()), QString());

    QVERIFY(text_codec::isValidUtf8("plain"));
    QVERIFY(text_codec::isValidUtf8(QStringLiteral("テスト").toUtf8()));
    QVERIFY(!text_codec::isValidUtf8(test));
    QVERIFY(!text_codec::isValidUtf8("\xE3\x83"));
}

void TestPlatform::singleInstanceGuard() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString lock = dir.filePath(QStringLiteral("quorvane.lock"));
    auto first = std::make_unique<SingleInstanceGuard>(lock);
    QVERIFY(first->tryAcquire());
    QVERIFY(first->tryAcquire());
    QVERIFY(QFile::exists(lock));
    {
        SingleInstanceGuard second(lock);
        QVERIFY(!second.tryAcquire());
        QVERIFY(!second.tryAcquire());
    }
    QVERIFY(QFile::exists(lock));
    SingleInstanceGuard other(dir.filePath(QStringLiteral("renamed.lock")));
    QVERIFY(other.tryAcquire());

    first.reset();
    QVERIFY(!QFile::exists(lock));
    SingleInstanceGuard third(lock);
    QVERIFY(third.tryAcquire());

    // The lock's place: the runtime folder, else the temp folder with the user id.
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QCOMPARE(SingleInstanceGuard::defaultLockPath(QStringLiteral("Quorvane")),
             QString(dir.path() + u"/Quorvane.lock"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath(QStringLiteral("missing"))));
    const QString fallback = SingleInstanceGuard::defaultLockPath(QStringLiteral("Quorvane"));
    QVERIFY(fallback.startsWith(QDir::tempPath() + u"/Quorvane-"));
    QVERIFY(fallback.endsWith(u".lock"));
    if (hadRuntime) {
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
    }
}

void TestPlatform::instanceChannelHandsOverAPath() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = InstanceChannel::nameForLock(dir.filePath(QStringLiteral("q.lock")));
    QCOMPARE(name, dir.filePath(QStringLiteral("q.socket")));
    // Nobody listens: the second start gives up once its time is over.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!InstanceChannel::send(name, QStringLiteral("/x"), 300));
    QVERIFY(clock.elapsed() < 3000);

    // A copy that is still starting listens a moment after the second start asked (and a socket
    // file left by a copy that died keeps neither from it): the path arrives all the same.
    QFile stale(name);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    // A name that is not UTF-8 arrives with its bytes.
    const QString path = decodeFileName(QByteArray("/tmp/a\xff b/\xe5\x8b\x95\xe7\x94\xbb.avi"));
    bool taken = false;
    std::thread second([&] { taken = InstanceChannel::send(name, path); });
    QThread::msleep(300);
    InstanceChannel channel;
    QVERIFY(channel.listen(name));
    QSignalSpy received(&channel, &InstanceChannel::pathReceived);
    QVERIFY(received.wait(5000));
    second.join();
    QVERIFY(taken);
    QCOMPARE(received.at(0).at(0).toString(), path);
    QCOMPARE(received.at(0).at(1).toString(), QString());

    // A start the desktop gave an activation token hands it over with the path, so the window
    // can come forward; both arrive whole.
    const QString token = QStringLiteral("weston-7f3a:1234");
    std::thread third([&] { taken = InstanceChannel::send(name, path, 3000, token); });
    QVERIFY(received.wait(5000));
    third.join();
    QVERIFY(taken);
    QCOMPARE(received.at(1).at(0).toString(), path);
    QCOMPARE(received.at(1).at(1).toString(), token);

    // A token no desktop would give is refused with the hand-over, not taken for a path.
    std::atomic<bool> answered = false;
    std::thread fourth([&] {
        taken = InstanceChannel::send(name, path, 3000, QString(8192, QLatin1Char('t')));
        answered = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 5000);
    fourth.join();
    QVERIFY(!taken);
    QCOMPARE(received.size(), 2);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
