#include <sys/inotify.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "platform/error_box.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "settings/ini_file.h"
#include "settings/settings_catalogue.h"

using namespace Qt::StringLiterals;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the times a file in a folder is replaced or created, as the kernel reports them.
class ReplaceCounter {
public:
    explicit ReplaceCounter(const QString& folder) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        m_watch =
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CREATE);
    }
    ~ReplaceCounter() { close(m_fd); }
    bool isValid() const { return m_fd >= 0 && m_watch >= 0; }

    int count(const QString& fileName) {
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t length = read(m_fd, buffer, sizeof buffer);
            if (length <= 0) {
                break;
            }
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && QFile::decodeName(event->name) == fileName) {
                    ++m_count;
                }
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        return m_count;
    }

private:
    int m_fd = -1;
    int m_watch = -1;
    int m_count = 0;
};

// A file as a user or an older copy of the program may leave it: keys in other cases, blanks,
// comments and keys the program does not know.
const QByteArray kHandWritten = QByteArrayLiteral(
    "; settings kept by hand\r\n"
    "[boot]\r\n"
    "searchpath=1\r\n"
    "BootPosition = 1\r\n"
    "ScreenSaver=1\r\n"
    "QuickPathLoad=0\r\n"
    "MOUSEPLAY=1\r\n"
    "Unknown=keep me\r\n"
    "\r\n"
    "[FORMPOS]\r\n"
    "XPosition=1200\r\n"
    "YPosition=-300\r\n"
    "Width=12180\r\n"
    "Height=9165\r\n"
    "WindowState=2\r\n"
    "[MoviePlay]\r\n"
    "ScreenSize=3\r\n"
    "MuteState=true\r\n"
    "ScreenState=FALSE\r\n"
    "SlideState=True\r\n"
    "[ListView]\r\n"
    "GridLine=True\r\n"
    "IConDsp=False\r\n"
    "# another comment\r\n"
    "[FilePath]\r\n"
    "Path=/home/@@@/video\r\n"
    "[QuickPath]\r\n"
    "Path1=/home/@@@/a\r\n"
    "Path2=/srv/b\r\n"
    "Path3=\r\n"
    "Path4=0\r\n"
    "QuickPathValue=1\r\n"
    "[RealSize]\r\n"
    "RealSizeHeight1=1234.5\r\n"
    "RealSizeWidth1=4815\r\n"
    "RealSizeHeight2=0.1\r\n"
    "RealSizeWidth2=-7\r\n"
    "[MediaSize]\r\n"
    "MediaSizeHeight=3600\r\n"
    "MediaSizeWidth=4800\r\n"
    "[SpPos]\r\n"
    "SpLeft=3045\r\n"
    "SpTop=0\r\n"
    "[ListFile]\r\n"
    "DspFile=*.avi;*.mp3;\r\n"
    "[SlideShow]\r\n"
    "SlideTime=12\r\n"
    "SlideType=1\r\n"
    "[TreeView]\r\n"
    "TreeViewLine=True\r\n"
    "[FileView]\r\n"
    "HiddenAtr=1\r\n"
    "SystemAtr=0\r\n"
    "ReadOnlyAtr=1\r\n"
    "FolderDsp=1\r\n"
    "AutoColumFlg=1\r\n"
    "[PlayFile]\r\n"
    "Value1=True\r\n"
    "kakuchosi1=avi\r\n"
    "[KakuchoushiConv]\r\n"
    "SelectOpton=2\r\n"
    "KakuchoushiName=MPG\r\n");

const QString kJapanese = u"テスト"_s;
const QByteArray kJapaneseCp932 = QByteArrayLiteral("\x83\x65\x83\x58\x83\x67");

BadSetting bad(const QString& section, const QString& key, int number) {
    return {section, key, number};
}

std::array<QString, kQuickPathCount> quickPaths(const SettingValues& values) {
    std::array<QString, kQuickPathCount> paths;
    for (int k = 0; k < kQuickPathCount; ++k) {
        paths[k] = values.text(Setting::QuickPath, k);
    }
    return paths;
}

}  // namespace

bool operator==(const BadSetting& a, const BadSetting& b) {
    return a.section == b.section && a.key == b.key && a.number == b.number;
}

namespace QTest {
template <>
char* toString(const BadSetting& b) {
    return qstrdup(
        QStringLiteral("[%1] %2 (%3)").arg(b.section, b.key).arg(b.number).toUtf8().constData());
}
}  // namespace QTest

class TestSettingsCatalogue : public QObject {
    Q_OBJECT

private slots:
    void init();

    void firstStartGivesEveryDefault();
    void handWrittenFileLoads_data();
    void handWrittenFileLoads();
    void badValuesAreReportedOnceAndTheRestLoads();
    void int16Conversion_data();
    void int16Conversion();
    void boolConversion_data();
    void boolConversion();
    void singleConversion_data();
    void singleConversion();
    void dspFileRule_data();
    void dspFileRule();
    void quickPathLoadLeavesTheSlotsEmpty();
    void saveWritesTheExitKeysInTheirTextForms();
    void saveKeepsEverythingElse();
    void saveThenLoadRoundTrips();
    void updateWritesTheFileOnce();
    void refusedSaveReturnsFalse();
    void everyKeyRoundTrips();
    void refusedValuesAreNeverWrittenBack();

private:
    QString file() const { return m_dir->filePath(u"Quorvane.ini"_s); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsCatalogue::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsCatalogue::firstStartGivesEveryDefault() {
    clsIniFile ini(file());
    QList<BadSetting> bad;
    const SettingValues s = readStartSettings(ini, bad);
    QVERIFY(bad.isEmpty());
    QVERIFY(!QFile::exists(file()));

    // What the window needs to tell a first start: no size stored, nothing to restore.
    QCOMPARE(s.number(Setting::SearchPath), 0);
    QCOMPARE(s.number(Setting::ScreenSaver), 0);
    QVERIFY(s.number(Setting::XPosition) == 0 && s.number(Setting::YPosition) == 0 &&
            s.number(Setting::Width) == 0 && s.number(Setting::Height) == 0 &&
            s.number(Setting::WindowState) == 0);
    QCOMPARE(s.number(Setting::ScreenSize), 0);
    QVERIFY(!s.flag(Setting::MuteState) && !s.flag(Setting::SlideState) &&
            !s.flag(Setting::GridLine));
    QCOMPARE(s.text(Setting::FilePath), u"0"_s);
    QCOMPARE(quickPaths(s), (std::array<QString, kQuickPathCount>{}));
    QVERIFY(s.single(Setting::SpLeft) == 0 && s.single(Setting::SpTop) == 0);
    QCOMPARE(s.text(Setting::DspFile), defaultDspFile());
    QCOMPARE(s.number(Setting::AutoColumFlg), 0);
    QVERIFY(s.flag(Setting::ResumePlay));

    // The resume is on until its own section turns it off.
    writeBytes(file(), "[PlayHistory]\nResume=0\n");
    Module1 module;
    QVERIFY(module.mResumePlay);
    storeInModule(readStartSettings(ini, bad), module);
    QVERIFY(bad.isEmpty());
    QVERIFY(!module.mResumePlay);
}

void TestSettingsCatalogue::handWrittenFileLoads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray utf8 = kHandWritten;
    QTest::newRow("utf-8") << utf8.replace("@@@", kJapanese.toUtf8());
    QByteArray cp932 = kHandWritten;
    QTest::newRow("cp932") << cp932.replace("@@@", kJapaneseCp932);
}

void TestSettingsCatalogue::handWrittenFileLoads() {
    QFETCH(QByteArray, bytes);
    writeBytes(file(), bytes);
    clsIniFile ini(file());
    QList<BadSetting> bad;
    const SettingValues s = readStartSettings(ini, bad);
    QCOMPARE(bad, QList<BadSetting>());

    QCOMPARE(s.number(Setting::SearchPath), 1);
    QCOMPARE(s.number(Setting::BootPosition), 1);
    QCOMPARE(s.number(Setting::ScreenSaver), 1);
    QCOMPARE(s.number(Setting::mousePlay), 1);
    QCOMPARE(s.number(Setting::XPosition), 1200);
    QCOMPARE(s.number(Setting::YPosition), -300);
    QCOMPARE(s.number(Setting::Width), 12180);
    QCOMPARE(s.number(Setting::Height), 9165);
    QCOMPARE(s.number(Setting::WindowState), 2);
    QCOMPARE(s.number(Setting::ScreenSize), 3);
    QVERIFY(s.flag(Setting::MuteState));
    QVERIFY(!s.flag(Setting::ScreenState));
    QVERIFY(s.flag(Setting::SlideState));
    QVERIFY(s.flag(Setting::GridLine));
    QVERIFY(!s.flag(Setting::IConDsp));
    QCOMPARE(s.text(Setting::FilePath), u"/home/" + kJapanese + u"/video");
    const std::array<QString, kQuickPathCount> paths = {
        u"/home/" + kJapanese + u"/a", u"/srv/b"_s, {}, {}, {}, {}, {}};
    QCOMPARE(quickPaths(s), paths);
    QCOMPARE(s.number(Setting::QuickPathValue), 1);
    QCOMPARE(s.single(Setting::RealSizeHeight1), 1234.5f);
    QCOMPARE(s.single(Setting::RealSizeWidth1), 4815.0f);
    QCOMPARE(s.single(Setting::RealSizeHeight2), 0.1f);
    QCOMPARE(s.single(Setting::RealSizeWidth2), -7.0f);
    QCOMPARE(s.single(Setting::MediaSizeHeight), 3600.0f);
    QCOMPARE(s.single(Setting::MediaSizeWidth), 4800.0f);
    QCOMPARE(s.single(Setting::SpLeft), 3045.0f);
    QCOMPARE(s.single(Setting::SpTop), 0.0f);  // 0: the splitter stays where the layout puts it
    QCOMPARE(s.text(Setting::DspFile), u"*.avi;*.mp3"_s);
    QCOMPARE(s.number(Setting::SlideTime), 12);
    QCOMPARE(s.number(Setting::SlideType), 1);
    QVERIFY(s.flag(Setting::TreeViewLine));
    QCOMPARE(s.number(Setting::HiddenAtr), 1);
    QCOMPARE(s.number(Setting::SystemAtr), 0);
    QCOMPARE(s.number(Setting::ReadOnlyAtr), 1);
    QCOMPARE(s.number(Setting::FolderDsp), 1);
    QCOMPARE(s.number(Setting::AutoColumFlg), 1);

    Module1 module;
    storeInModule(s, module);
    QCOMPARE(module.mScreenSaver, 1);
    QCOMPARE(module.mMousePlay, 1);
    QCOMPARE(module.mScreenSize, 3);
    QVERIFY(module.mSlideShow);
    QCOMPARE(module.mQuickPathValue, 1);
    QCOMPARE(module.mDspFile, u"*.avi;*.mp3"_s);
    QCOMPARE(module.mSlideTime, 12);
    QCOMPARE(module.mSlideType, 1);
    QCOMPARE(module.mHiddenAtr, 1);
    QCOMPARE(module.mReadOnlyAtr, 1);
    QCOMPARE(module.mFolderDsp, 1);
    QCOMPARE(module.mAutoColumFlg, 1);
    // Reading never writes.
    QCOMPARE(readBytes(file()), bytes);
}

void TestSettingsCatalogue::badValuesAreReportedOnceAndTheRestLoads() {
    writeBytes(file(),
               "[Boot]\nSearchPath=\nBootPosition=40000\nScreenSaver=1\nmousePlay=70000\n"
               "[FormPos]\nXPosition=70000\nYPosition=-40000\nWidth=99999\nHeight=9165\n"
               "WindowState=5\n"
               "[MoviePlay]\nScreenSize=9\nMuteState=yes\nScreenState=True\n"
               "[ListView]\nGridLine=True\n"
               "[FilePath]\nPath=/srv/media\n"
               "[QuickPath]\nPath1=/srv/a\nQuickPathValue=3\n"
               "[RealSize]\nRealSizeHeight1=1e39\nRealSizeWidth1=480\n"
               "[SpPos]\nSpLeft=abc\nSpTop=2500\n"
               "[ListFile]\nDspFile=*.avi;\n"
               "[SlideShow]\nSlideTime=abc\nSlideType=2\n"
               "[TreeView]\nTreeViewLine=True\n"
               "[FileView]\nHiddenAtr=1\nAutoColumFlg=1\n");
    clsIniFile ini(file());
    QList<BadSetting> found;
    const SettingValues s = readStartSettings(ini, found);

    const QList<BadSetting> expected = {
        bad(u"Boot"_s, u"SearchPath"_s, run_error::kTypeMismatch),
        bad(u"Boot"_s, u"BootPosition"_s, run_error::kOverflow),
        bad(u"Boot"_s, u"mousePlay"_s, run_error::kOverflow),
        bad(u"FormPos"_s, u"WindowState"_s, 380),
        bad(u"MoviePlay"_s, u"ScreenSize"_s, run_error::kSubscriptOutOfRange),
        bad(u"MoviePlay"_s, u"MuteState"_s, run_error::kTypeMismatch),
        bad(u"QuickPath"_s, u"QuickPathValue"_s, run_error::kSubscriptOutOfRange),
        bad(u"RealSize"_s, u"RealSizeHeight1"_s, run_error::kOverflow),
        bad(u"SpPos"_s, u"SpLeft"_s, run_error::kTypeMismatch),
        bad(u"SlideShow"_s, u"SlideTime"_s, run_error::kTypeMismatch),
        bad(u"SlideShow"_s, u"SlideType"_s, run_error::kSubscriptOutOfRange),
    };
    QCOMPARE(found, expected);

    // Bad keys take their defaults; positions beyond 16 bits are fine; everything else loads.
    QCOMPARE(s.number(Setting::SearchPath), 0);
    QCOMPARE(s.number(Setting::BootPosition), 0);
    QCOMPARE(s.number(Setting::ScreenSaver), 1);
    QCOMPARE(s.number(Setting::mousePlay), 0);
    QCOMPARE(s.number(Setting::XPosition), 70000);
    QCOMPARE(s.number(Setting::YPosition), -40000);
    QCOMPARE(s.number(Setting::Width), 99999);
    QCOMPARE(s.number(Setting::WindowState), 0);
    QCOMPARE(s.number(Setting::ScreenSize), 0);
    QVERIFY(!s.flag(Setting::MuteState));
    QVERIFY(s.flag(Setting::ScreenState));
    QVERIFY(s.flag(Setting::GridLine));
    QCOMPARE(s.text(Setting::FilePath), u"/srv/media"_s);
    QCOMPARE(s.text(Setting::QuickPath, 0), u"/srv/a"_s);
    QCOMPARE(s.number(Setting::QuickPathValue), 0);
    QCOMPARE(s.single(Setting::RealSizeHeight1), 0.0f);
    QCOMPARE(s.single(Setting::RealSizeWidth1), 480.0f);
    QCOMPARE(s.single(Setting::SpLeft), 0.0f);
    QCOMPARE(s.single(Setting::SpTop), 2500.0f);
    QCOMPARE(s.text(Setting::DspFile), u"*.avi"_s);
    QCOMPARE(s.number(Setting::SlideTime), 0);
    QCOMPARE(s.number(Setting::SlideType), 0);
    QVERIFY(s.flag(Setting::TreeViewLine));
    QCOMPARE(s.number(Setting::HiddenAtr), 1);
    QCOMPARE(s.number(Setting::AutoColumFlg), 1);

    // One error box for the whole load, with the number of the first bad key.
    ScriptedDialogs dialogs;
    reportBadSettings(dialogs, found);
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().text, errorBoxText(run_error::kTypeMismatch));
    QCOMPARE(dialogs.messages().first().title, errorBoxTitle());
    QCOMPARE(dialogs.beeps(), 1);

    ScriptedDialogs quiet;
    reportBadSettings(quiet, {});
    QVERIFY(quiet.calls().isEmpty());
}

void TestSettingsCatalogue::int16Conversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("plain") << u"12"_s << 12 << 0;
    QTest::newRow("blanks and sign") << u"  -7 "_s << -7 << 0;
    QTest::newRow("blank after sign") << u"+ 3"_s << 3 << 0;
    QTest::newRow("2.5 to even") << u"2.5"_s << 2 << 0;
    QTest::newRow("3.5 to even") << u"3.5"_s << 4 << 0;
    QTest::newRow("-2.5 to even") << u"-2.5"_s << -2 << 0;
    QTest::newRow("2.51") << u"2.51"_s << 3 << 0;
    QTest::newRow("exponent") << u"1e3"_s << 1000 << 0;
    QTest::newRow("largest") << u"32767"_s << 32767 << 0;
    QTest::newRow("smallest") << u"-32768"_s << -32768 << 0;
    QTest::newRow("too large") << u"32768"_s << 0 << run_error::kOverflow;
    QTest::newRow("too small") << u"-32769"_s << 0 << run_error::kOverflow;
    QTest::newRow("rounds past the end") << u"32767.5"_s << 0 << run_error::kOverflow;
    QTest::newRow("huge") << u"1e400"_s << 0 << run_error::kOverflow;
    QTest::newRow("empty") << QString() << 0 << run_error::kTypeMismatch;
    QTest::newRow("word") << u"abc"_s << 0 << run_error::kTypeMismatch;
    QTest::newRow("trailing junk") << u"12abc"_s << 0 << run_error::kTypeMismatch;
    QTest::newRow("two signs") << u"--1"_s << 0 << run_error::kTypeMismatch;
    QTest::newRow("inf") << u"inf"_s << 0 << run_error::kTypeMismatch;
    QTest::newRow("True") << u"True"_s << 0 << run_error::kTypeMismatch;
}

void TestSettingsCatalogue::int16Conversion() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(int, error);
    const Converted<qint16> result = textToInt16(text);
    QCOMPARE(result.value, value);
    QCOMPARE(result.error, error);
}

void TestSettingsCatalogue::boolConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("True") << u"True"_s << true << 0;
    QTest::newRow("False") << u"False"_s << false << 0;
    QTest::newRow("upper") << u"TRUE"_s << true << 0;
    QTest::newRow("lower") << u"false"_s << false << 0;
    QTest::newRow("-1") << u"-1"_s << true << 0;
    QTest::newRow("1") << u"1"_s << true << 0;
    QTest::newRow("0") << u"0"_s << false << 0;
    QTest::newRow("0.4") << u"0.4"_s << true << 0;
    QTest::newRow("yes") << u"yes"_s << false << run_error::kTypeMismatch;
    QTest::newRow("empty") << QString() << false << run_error::kTypeMismatch;
}

void TestSettingsCatalogue::boolConversion() {
    QFETCH(QString, text);
    QFETCH(bool, value);
    QFETCH(int, error);
    const Converted<bool> result = textToBool(text);
    QCOMPARE(result.value, value);
    QCOMPARE(result.error, error);

    // The same through a file, as a hand-edited tick.
    writeBytes(file(), QByteArray("[MoviePlay]\nMuteState=" + text.toUtf8() + '\n'));
    clsIniFile ini(file());
    QList<BadSetting> found;
    QCOMPARE(readStartSettings(ini, found).flag(Setting::MuteState), value);
    QCOMPARE(found.size(), error == 0 ? 0 : 1);
}

void TestSettingsCatalogue::singleConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("integral") << u"4815"_s << 4815.0f << 0;
    QTest::newRow("fraction") << u"-0.25"_s << -0.25f << 0;
    QTest::newRow("0.1") << u"0.1"_s << 0.1f << 0;
    QTest::newRow("too small to hold") << u"1e-50"_s << 0.0f << 0;
    QTest::newRow("too large") << u"1e39"_s << 0.0f << run_error::kOverflow;
    QTest::newRow("word") << u"x"_s << 0.0f << run_error::kTypeMismatch;
}

void TestSettingsCatalogue::singleConversion() {
    QFETCH(QString, text);
    QFETCH(float, value);
    QFETCH(int, error);
    const Converted<float> result = textToSingle(text);
    QCOMPARE(result.value, value);
    QCOMPARE(result.error, error);
}

void TestSettingsCatalogue::dspFileRule_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("dspFile");
    QTest::newRow("stored list") << QByteArray("[ListFile]\nDspFile=*.avi;*.mp3;\n")
                                 << u"*.avi;*.mp3"_s;
    QTest::newRow("empty") << QByteArray("[ListFile]\nDspFile=\n") << defaultDspFile();
    QTest::newRow("zero") << QByteArray("[ListFile]\nDspFile=0\n") << defaultDspFile();
    QTest::newRow("missing") << QByteArray("[ListFile]\n") << defaultDspFile();
    // A hand-written list without the final ";" keeps its last pattern whole.
    QTest::newRow("no final semicolon")
        << QByteArray("[ListFile]\nDspFile=*.avi;*.mp3\n") << u"*.avi;*.mp3"_s;
}

void TestSettingsCatalogue::dspFileRule() {
    QFETCH(QByteArray, content);
    QFETCH(QString, dspFile);
    writeBytes(file(), content);
    clsIniFile ini(file());
    QList<BadSetting> found;
    QCOMPARE(readStartSettings(ini, found).text(Setting::DspFile), dspFile);
    QVERIFY(found.isEmpty());
}

void TestSettingsCatalogue::quickPathLoadLeavesTheSlotsEmpty() {
    writeBytes(file(),
               "[Boot]\nQuickPathLoad=1\n[QuickPath]\nPath1=/srv/a\nPath2=/srv/b\n"
               "QuickPathValue=2\n");
    clsIniFile ini(file());
    QList<BadSetting> found;
    const SettingValues s = readStartSettings(ini, found);
    for (const QString& path : quickPaths(s)) {
        QVERIFY(path.isEmpty());
    }
    QCOMPARE(s.number(Setting::QuickPathValue), 2);
}

namespace {

SettingValues sampleSave() {
    SettingValues s;
    s.set(Setting::XPosition, nearestInt32(1234.5));  // halves go to the even neighbour
    s.set(Setting::YPosition, nearestInt32(70001.5));
    s.set(Setting::Width, 40000);
    s.set(Setting::Height, 9165);
    s.set(Setting::WindowState, 2);
    s.set(Setting::FilePath, QString(u"/home/" + kJapanese + u"/video"));
    const QString paths[kQuickPathCount] = {u"/srv/a"_s, u"/srv/b"_s, u"/srv/c"_s};
    for (int k = 0; k < kQuickPathCount; ++k) {
        s.set(Setting::QuickPath, paths[k], k);
    }
    s.set(Setting::QuickPathValue, 1);
    s.set(Setting::RealSizeHeight1, 1234.5f);
    s.set(Setting::RealSizeWidth1, 4815.0f);
    s.set(Setting::RealSizeHeight2, 0.1f);
    s.set(Setting::RealSizeWidth2, 0.0f);
    s.set(Setting::MediaSizeHeight, 3600.25f);
    s.set(Setting::MediaSizeWidth, 4800.0f);
    s.set(Setting::SpLeft, 3045.0f);
    s.set(Setting::SpTop, 0.0f);
    s.set(Setting::GridLine, true);
    s.set(Setting::IConDsp, false);
    s.set(Setting::ScreenSize, 5);
    s.set(Setting::MuteState, true);
    s.set(Setting::ScreenState, false);
    s.set(Setting::SlideState, true);
    s.set(Setting::TreeViewLine, true);
    return s;
}

}  // namespace

void TestSettingsCatalogue::saveWritesTheExitKeysInTheirTextForms() {
    clsIniFile ini(file());
    QVERIFY(writeExitSettings(ini, sampleSave()));
    const QString expected =
        u"[FormPos]\n"
        "XPosition=1234\n"
        "YPosition=70002\n"
        "Width=40000\n"
        "Height=9165\n"
        "WindowState=2\n"
        "[FilePath]\n"
        "Path=/home/テスト/video\n"
        "[QuickPath]\n"
        "Path1=/srv/a\n"
        "Path2=/srv/b\n"
        "Path3=/srv/c\n"
        "Path4=\n"
        "Path5=\n"
        "Path6=\n"
        "Path7=\n"
        "QuickPathValue=1\n"
        "[RealSize]\n"
        "RealSizeHeight1=1234.5\n"
        "RealSizeWidth1=4815\n"
        "RealSizeHeight2=0.1\n"
        "RealSizeWidth2=0\n"
        "[MediaSize]\n"
        "MediaSizeHeight=3600.25\n"
        "MediaSizeWidth=4800\n"
        "[SpPos]\n"
        "SpLeft=3045\n"
        "SpTop=0\n"
        "[ListView]\n"
        "GridLine=True\n"
        "IConDsp=False\n"
        "[MoviePlay]\n"
        "ScreenSize=5\n"
        "MuteState=True\n"
        "ScreenState=False\n"
        "SlideState=True\n"
        "[TreeView]\n"
        "TreeViewLine=True\n"_s;
    QCOMPARE(QString::fromUtf8(readBytes(file())), expected);

    // Keys that hold no value keep what the file held.
    writeBytes(file(), "[QuickPath]\nQuickPathValue=2\n[MoviePlay]\nScreenSize=3\n");
    SettingValues unticked = sampleSave();
    unticked.unset(Setting::QuickPathValue);
    unticked.unset(Setting::ScreenSize);
    QVERIFY(writeExitSettings(ini, unticked));
    QCOMPARE(ini.GetStrValue(file(), u"QuickPath"_s, u"QuickPathValue"_s, {}), u"2"_s);
    QCOMPARE(ini.GetStrValue(file(), u"MoviePlay"_s, u"ScreenSize"_s, {}), u"3"_s);
}

void TestSettingsCatalogue::saveKeepsEverythingElse() {
    QByteArray bytes = kHandWritten;
    bytes.replace("@@@", kJapaneseCp932);
    writeBytes(file(), bytes);
    clsIniFile ini(file());
    QVERIFY(writeExitSettings(ini, sampleSave()));

    const QByteArray after = readBytes(file());
    // Still CP932, and the new folder is written in it.
    QVERIFY(after.contains(QByteArray("Path=/home/" + kJapaneseCp932 + "/video\r\n")));
    // Every line the exit save does not own is still there, byte for byte: comments, unknown
    // keys and the sections only the dialogs write.
    const QList<QByteArray> kept = {
        "; settings kept by hand\r\n",
        "[boot]\r\nsearchpath=1\r\nBootPosition = 1\r\nScreenSaver=1\r\nQuickPathLoad=0\r\n"
        "MOUSEPLAY=1\r\nUnknown=keep me\r\n\r\n[FORMPOS]\r\n",
        "# another comment\r\n",
        "[ListFile]\r\nDspFile=*.avi;*.mp3;\r\n[SlideShow]\r\nSlideTime=12\r\nSlideType=1\r\n",
        "[FileView]\r\nHiddenAtr=1\r\nSystemAtr=0\r\nReadOnlyAtr=1\r\nFolderDsp=1\r\n"
        "AutoColumFlg=1\r\n[PlayFile]\r\nValue1=True\r\nkakuchosi1=avi\r\n[KakuchoushiConv]\r\n"
        "SelectOpton=2\r\nKakuchoushiName=MPG\r\n",
    };
    for (const QByteArray& part : kept) {
        QVERIFY2(after.contains(part), part.constData());
    }
    // Keys are replaced in place, in the spelling the file uses.
    QVERIFY(after.contains("[FORMPOS]\r\nXPosition=1234\r\nYPosition=70002\r\n"));
    QVERIFY(after.contains("Path3=/srv/c\r\nPath4=\r\n"));

    // A save into a file without those sections does not create them.
    writeBytes(file(), "[Other]\nkey=1\n");
    QVERIFY(writeExitSettings(ini, sampleSave()));
    const QString text = QString::fromUtf8(readBytes(file()));
    QVERIFY(text.startsWith(u"[Other]\nkey=1\n[FormPos]\n"));
    for (const char16_t* section :
         {u"[Boot]", u"[ListFile]", u"[SlideShow]", u"[FileView]", u"[PlayFile]",
          u"[KakuchoushiConv]", u"[PlayHistory]", u"[NameOrder]"}) {
        QVERIFY(!text.contains(QStringView(section), Qt::CaseInsensitive));
    }
}

void TestSettingsCatalogue::saveThenLoadRoundTrips() {
    const SettingValues saved = sampleSave();
    clsIniFile ini(file());
    QVERIFY(writeExitSettings(ini, saved));

    clsIniFile reader(file());
    QList<BadSetting> found;
    const SettingValues s = readStartSettings(reader, found);
    QVERIFY(found.isEmpty());
    QCOMPARE(s.number(Setting::XPosition), 1234);
    QCOMPARE(s.number(Setting::YPosition), 70002);
    QCOMPARE(s.number(Setting::Width), saved.number(Setting::Width));
    QCOMPARE(s.number(Setting::Height), saved.number(Setting::Height));
    QCOMPARE(s.number(Setting::WindowState), saved.number(Setting::WindowState));
    QCOMPARE(s.text(Setting::FilePath), saved.text(Setting::FilePath));
    QCOMPARE(quickPaths(s), quickPaths(saved));
    QCOMPARE(s.number(Setting::QuickPathValue), saved.number(Setting::QuickPathValue));
    QCOMPARE(s.single(Setting::RealSizeHeight1), saved.single(Setting::RealSizeHeight1));
    QCOMPARE(s.single(Setting::RealSizeWidth1), saved.single(Setting::RealSizeWidth1));
    QCOMPARE(s.single(Setting::RealSizeHeight2), saved.single(Setting::RealSizeHeight2));
    QCOMPARE(s.single(Setting::RealSizeWidth2), saved.single(Setting::RealSizeWidth2));
    QCOMPARE(s.single(Setting::MediaSizeHeight), saved.single(Setting::MediaSizeHeight));
    QCOMPARE(s.single(Setting::MediaSizeWidth), saved.single(Setting::MediaSizeWidth));
    QCOMPARE(s.single(Setting::SpLeft), saved.single(Setting::SpLeft));
    QCOMPARE(s.single(Setting::SpTop), 0.0f);
    QCOMPARE(s.flag(Setting::GridLine), saved.flag(Setting::GridLine));
    QCOMPARE(s.flag(Setting::IConDsp), saved.flag(Setting::IConDsp));
    QCOMPARE(s.number(Setting::ScreenSize), saved.number(Setting::ScreenSize));
    QCOMPARE(s.flag(Setting::MuteState), saved.flag(Setting::MuteState));
    QCOMPARE(s.flag(Setting::ScreenState), saved.flag(Setting::ScreenState));
    QCOMPARE(s.flag(Setting::SlideState), saved.flag(Setting::SlideState));
    QCOMPARE(s.flag(Setting::TreeViewLine), saved.flag(Setting::TreeViewLine));
}

void TestSettingsCatalogue::updateWritesTheFileOnce() {
    writeBytes(file(), "; mine\n[Boot]\nSearchPath=1\n");
    const QByteArray before = readBytes(file());
    ReplaceCounter counter(m_dir->path());
    QVERIFY(counter.isValid());

    clsIniFile ini(file());
    ini.beginUpdate();
    QVERIFY(ini.SetValue(u"/srv/a"_s, file(), u"FilePath"_s, u"Path"_s));
    QVERIFY(ini.SetValue(7, file(), u"Boot"_s, u"SearchPath"_s));
    QString path = file();
    QString section = u"Boot"_s;
    QString key = u"SearchPath"_s;
    QVERIFY(ini.DeleteKey(path, section, key));
    QVERIFY(ini.SetValue(true, file(), u"TreeView"_s, u"TreeViewLine"_s));
    // Nothing on disk yet, but reads see the changes.
    QCOMPARE(readBytes(file()), before);
    QCOMPARE(counter.count(u"Quorvane.ini"_s), 0);
    QCOMPARE(ini.GetStrValue(file(), u"FilePath"_s, u"Path"_s, {}), u"/srv/a"_s);
    QCOMPARE(ini.GetIntValue(file(), u"Boot"_s, u"SearchPath"_s, -1), -1);
    QVERIFY(ini.endUpdate());
    QCOMPARE(counter.count(u"Quorvane.ini"_s), 1);
    QCOMPARE(QString::fromUtf8(readBytes(file())),
             u"; mine\n[Boot]\n[FilePath]\nPath=/srv/a\n[TreeView]\nTreeViewLine=True\n"_s);

    // A whole exit save is one replacement too, and leaves no temporary file behind.
    QVERIFY(writeExitSettings(ini, sampleSave()));
    QCOMPARE(counter.count(u"Quorvane.ini"_s), 2);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Quorvane.ini"_s});

    // Outside an update every write goes to disk at once, as before.
    QVERIFY(ini.SetValue(1, file(), u"Boot"_s, u"SearchPath"_s));
    QCOMPARE(counter.count(u"Quorvane.ini"_s), 3);
    QVERIFY(readBytes(file()).contains("[Boot]\nSearchPath=1\n"));

    // An update on a file that does not exist yet creates it once, at the end.
    const QString fresh = m_dir->filePath(u"fresh.ini"_s);
    clsIniFile other(fresh);
    other.beginUpdate();
    other.setSection(u"S"_s);
    QVERIFY(other.SetValue(1, fresh, {}, u"a"_s));
    other.setKey(u"a"_s);
    QCOMPARE(other.strValue(), u"1"_s);
    QVERIFY(!QFile::exists(fresh));
    QVERIFY(other.endUpdate());
    QCOMPARE(readBytes(fresh), QByteArray("[S]\na=1\n"));
}

void TestSettingsCatalogue::refusedSaveReturnsFalse() {
    // The folder that should hold the file is a file: nothing can be written there.
    writeBytes(m_dir->filePath(u"blocked"_s), "x");
    const QString path = m_dir->filePath(u"blocked/Quorvane.ini"_s);
    clsIniFile ini(path);
    QVERIFY(!writeExitSettings(ini, sampleSave()));
    QList<BadSetting> found;
    QCOMPARE(readStartSettings(ini, found).text(Setting::DspFile), defaultDspFile());
    QVERIFY(found.isEmpty());
    // The object is usable afterwards: a later update on a good file works.
    ini.setPathIniFile(file());
    QVERIFY(writeExitSettings(ini, sampleSave()));
    QVERIFY(QFile::exists(file()));
}

namespace {

// Every section of the file, the start's first.
QList<const char16_t*> allSections() {
    QList<const char16_t*> sections(settings_pass::start().begin(), settings_pass::start().end());
    sections << u"PlayFile" << u"KakuchoushiConv";
    return sections;
}

// A value of each key that is not its default and that it accepts, different for each index.
QVariant sampleValue(const SettingEntry& entry, int index) {
    switch (entry.reading) {
        case Reading::Text:
        case Reading::Path:
            return QString(u"/srv/" + QString::fromUtf16(entry.key) + QString::number(index));
        case Reading::PatternList:
            return u"*.avi;*.mp3"_s;
        case Reading::TextBool:
            return index % 2 == 0;
        case Reading::TextSingle:
            return 12.5f + static_cast<float>(index);
        case Reading::NotRead:
            return QString(u"x"_s + QString::number(index));
        default:
            break;
    }
    if (std::isinf(entry.high)) {
        return static_cast<int>(std::isinf(entry.low) ? -1234 : entry.low + 1234) + index;
    }
    return static_cast<int>(entry.high);
}

}  // namespace

void TestSettingsCatalogue::everyKeyRoundTrips() {
    const QList<const char16_t*> sections = allSections();
    SettingValues written;
    for (const SettingEntry& entry : settingsSchema()) {
        for (int index = 0; index < entry.count; ++index) {
            written.set(entry.id, sampleValue(entry, index), index);
        }
    }
    clsIniFile ini(file());
    QVERIFY(writeSettings(ini, written, sections));
    const QByteArray first = readBytes(file());
    // The stored pattern list keeps its final ";".
    QVERIFY(first.contains("\nDspFile=*.avi;*.mp3;\n"));
    // Numbered keys of one section go number by number.
    QVERIFY(first.contains("[PlayFile]\nValue1=True\nkakuchosi1=x0\nsetumei1=x0\nValue2=False\n"));

    QList<BadSetting> bad;
    const SettingValues read = readSettings(ini, sections, bad);
    QCOMPARE(bad, QList<BadSetting>());
    for (const SettingEntry& entry : settingsSchema()) {
        for (int index = 0; index < entry.count; ++index) {
            const QString where = keyName(entry, index);
            if (entry.reading == Reading::NotRead) {
                QVERIFY2(!read.has(entry.id, index), qPrintable(where));
                continue;
            }
            QVERIFY2(read.has(entry.id, index), qPrintable(where));
            QVERIFY2(read.value(entry.id, index) == written.value(entry.id, index),
                     qPrintable(where + u" = "_s + read.value(entry.id, index).toString()));
        }
    }
    // What was read writes back the same file.
    QFile::remove(file());
    SettingValues again = read;
    for (const SettingEntry& entry : settingsSchema()) {
        for (int index = 0; entry.reading == Reading::NotRead && index < entry.count; ++index) {
            again.set(entry.id, written.value(entry.id, index), index);
        }
    }
    QVERIFY(writeSettings(ini, again, sections));
    QCOMPARE(readBytes(file()), first);
}

void TestSettingsCatalogue::refusedValuesAreNeverWrittenBack() {
    writeBytes(file(),
               "[FormPos]\nXPosition=99999999\nWidth=-5\nHeight=abc\n"
               "[MoviePlay]\nScreenSize=9\nMuteState=yes\n"
               "[QuickPath]\nQuickPathValue=77\n"
               "[SlideShow]\nSlideTime=45\n[FileView]\nHiddenAtr=7\n");
    clsIniFile ini(file());
    QList<BadSetting> found;
    const SettingValues s = readStartSettings(ini, found);
    const QList<BadSetting> expected = {
        bad(u"FormPos"_s, u"Width"_s, run_error::kInvalidPropertyValue),
        bad(u"MoviePlay"_s, u"ScreenSize"_s, run_error::kSubscriptOutOfRange),
        bad(u"MoviePlay"_s, u"MuteState"_s, run_error::kTypeMismatch),
        bad(u"QuickPath"_s, u"QuickPathValue"_s, run_error::kSubscriptOutOfRange),
        bad(u"SlideShow"_s, u"SlideTime"_s, run_error::kInvalidPropertyValue),
        bad(u"FileView"_s, u"HiddenAtr"_s, run_error::kInvalidPropertyValue),
    };
    QCOMPARE(found, expected);
    // "abc" has no leading digits: 0, which is the default and so no error.
    QCOMPARE(s.number(Setting::Height), 0);
    QCOMPARE(s.number(Setting::XPosition), 99999999);

    // The exit save writes what the program works with, never the refused text.
    Module1 module;
    storeInModule(s, module);
    QCOMPARE(module.mSlideTime, 0);
    QCOMPARE(module.mHiddenAtr, 0);
    module.mFormWidth = 12180;
    module.mFormHeight = 9165;
    SettingValues exit;
    takeFromModule(module, exit);
    QVERIFY(writeExitSettings(ini, exit));
    const QString text = QString::fromUtf8(readBytes(file()));
    for (const char16_t* line : {u"Width=12180\n", u"Height=9165\n", u"ScreenSize=0\n",
                                 u"MuteState=False\n", u"QuickPathValue=0\n"}) {
        QVERIFY2(text.contains(QStringView(line)), qPrintable(text));
    }
    // Keys only the options dialog writes are left for it.
    QVERIFY(text.contains(u"SlideTime=45\n"));
}

QTEST_GUILESS_MAIN(TestSettingsCatalogue)
#include "tst_settings_catalogue.moc"
