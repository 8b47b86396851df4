#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "settings/ini_document.h"
#include "settings/ini_file.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// DeleteKey and DeleteSection take their arguments by reference only.
bool deleteKey(clsIniFile& ini, QString path, QString section, QString key) {
    return ini.DeleteKey(path, section, key);
}
bool deleteSection(clsIniFile& ini, QString path, QString section) {
    return ini.DeleteSection(path, section);
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// "テスト" and other texts as a Japanese system writes them.
const QByteArray kTestCp932 = QByteArrayLiteral("\x83\x65\x83\x58\x83\x67");
const QByteArray kSettingCp932 = QByteArrayLiteral("\x90\xdd\x92\xe8");               // 設定
const QByteArray kNameCp932 = QByteArrayLiteral("\x96\xbc\x91\x4f");                  // 名前
const QByteArray kFileCp932 = QByteArrayLiteral("\x83\x74\x83\x40\x83\x43\x83\x8b");  // ファイル
const QByteArray kCommentCp932 = QByteArrayLiteral("\x83\x52\x83\x81\x83\x93\x83\x67");  // コメント

}  // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void init();

    void lookupIgnoresCase();
    void replacementKeepsEveryOtherLine_data();
    void replacementKeepsEveryOtherLine();
    void emptyValueIsNotMissing();
    void getIntValueReadsLeadingDigits_data();
    void getIntValueReadsLeadingDigits();
    void valuesAreWrittenInTheirTextForm_data();
    void valuesAreWrittenInTheirTextForm();
    void emptyArgumentsAreFilledInForTheCaller();
    void propertiesRefreshFromTheFile();
    void deleteKeyAndSection();
    void longValueIsReadWhole();
    void lineBreaksInValuesBecomeBlanks();
    void loneCrAtTheEndIsALineEnd_data();
    void loneCrAtTheEndIsALineEnd();
    void cp932FileStaysCp932();
    void cp932TextKeepsItsMeaningWhenTheFileTurnsUtf8_data();
    void cp932TextKeepsItsMeaningWhenTheFileTurnsUtf8();
    void fileWithoutSections();
    void duplicateSectionsAndKeys();
    void binaryJunkIsKept();
    void largeFileIsReadAndWrittenQuickly();
    void largeJunkFileIsReadAndWrittenQuickly();
    void writesReplaceTheFileAtomically();
    void refusedWritesReturnFalse();
    void iniFileLocation();

private:
    QString file(const QString& name = QStringLiteral("Quorvane.ini")) const {
        return m_dir->filePath(name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::lookupIgnoresCase() {
    writeBytes(file(), "[General]\nStartPath=/home/user/Music\n[日本語]\nキー=値\n");
    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("general"), QStringLiteral("STARTPATH"),
                             QStringLiteral("0")),
             QStringLiteral("/home/user/Music"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral(" GENERAL "), QStringLiteral("startpath"),
                             QStringLiteral("0")),
             QStringLiteral("/home/user/Music"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("日本語"), QStringLiteral("キー"),
                             QStringLiteral("0")),
             QStringLiteral("値"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("General"), QStringLiteral("Start"),
                             QStringLiteral("0")),
             QStringLiteral("0"));
}

void TestIniFile::replacementKeepsEveryOtherLine_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray lf =
        "; written by hand\n[General]\nStartPath=/a\n  ; note\nUnknown = keep  me \n\n"
        "[Other]\nx=1\n";
    QByteArray lfAfter = lf;
    lfAfter.replace("StartPath=/a", "StartPath=/b/c");
    QTest::newRow("LF, comments and unknown keys") << lf << "General"
                                                   << "StartPath"
                                                   << "/b/c" << lfAfter;

    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    QByteArray crlfAfter = lfAfter;
    crlfAfter.replace("\n", "\r\n");
    QTest::newRow("CRLF") << crlf << "General"
                          << "StartPath"
                          << "/b/c" << crlfAfter;
    QTest::newRow("CRLF with BOM") << QByteArray("\xEF\xBB\xBF" + crlf) << "General"
                                   << "StartPath"
                                   << "/b/c" << QByteArray("\xEF\xBB\xBF" + crlfAfter);
    QTest::newRow("other letter case keeps the file's spelling") << lf << "GENERAL"
                                                                 << "startpath"
                                                                 << "/b/c" << lfAfter;
    QTest::newRow("blanks around the equals sign")
        << QByteArray("[A]\n  key = old value \nz=0\n") << "a"
        << "KEY"
        << "new" << QByteArray("[A]\nkey=new\nz=0\n");
    QTest::newRow("last line without line end") << QByteArray("[A]\r\nk=1") << "A"
                                                << "k"
                                                << "22" << QByteArray("[A]\r\nk=22");
    QTest::newRow("new key goes after the section's last line")
        << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n") << "A"
        << "new"
        << "3" << QByteArray("[A]\r\nk=1\r\nnew=3\r\n\r\n[B]\r\nj=2\r\n");
    QTest::newRow("new key in the last section without line end")
        << QByteArray("[A]\nk=1\n[B]") << "b"
        << "j"
        << "2" << QByteArray("[A]\nk=1\n[B]\nj=2\n");
    QTest::newRow("new section at the end, CRLF kept")
        << QByteArray("[A]\r\nk=1") << "New"
        << "x"
        << "y" << QByteArray("[A]\r\nk=1\r\n[New]\r\nx=y\r\n");
    QTest::newRow("Japanese names and value") << QByteArray("[一般]\nパス=/旧\n") << "一般"
                                              << "パス"
                                              << "/新しい" << QByteArray("[一般]\nパス=/新しい\n");
}

void TestIniFile::replacementKeepsEveryOtherLine() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    writeBytes(file(), before);
    clsIniFile ini(file());
    QVERIFY(ini.SetValue(value, file(), section, key));
    QCOMPARE(readBytes(file()), after);

    clsIniFile fresh(file());
    QCOMPARE(fresh.GetStrValue(file(), section, key, QStringLiteral("0")), value);
}

void TestIniFile::emptyValueIsNotMissing() {
    clsIniFile ini(file());
    QVERIFY(ini.SetValue(QString(), file(), QStringLiteral("A"), QStringLiteral("empty")));
    QCOMPARE(readBytes(file()), QByteArray("[A]\nempty=\n"));
    QCOMPARE(
        ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("empty"), QStringLiteral("0")),
        QString());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("missing"),
                             QStringLiteral("0")),
             QStringLiteral("0"));
    QCOMPARE(ini.GetStrValue(file(QStringLiteral("none.ini")), QStringLiteral("A"),
                             QStringLiteral("empty"), QStringLiteral("def")),
             QStringLiteral("def"));
    QVERIFY(!QFile::exists(file(QStringLiteral("none.ini"))));
}

void TestIniFile::getIntValueReadsLeadingDigits_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("number") << "n" << 42;
    QTest::newRow("blanks around") << "blank" << 17;
    QTest::newRow("the word True") << "flag" << 0;
    QTest::newRow("digits then letters") << "neg" << -12;
    QTest::newRow("letters") << "text" << 0;
    QTest::newRow("decimal point") << "real" << 3;
    QTest::newRow("missing key") << "nothing" << 7;
    QTest::newRow("too large") << "big" << 2147483647;
}

void TestIniFile::getIntValueReadsLeadingDigits() {
    QFETCH(QString, key);
    QFETCH(qint32, expected);
    writeBytes(file(),
               "[N]\nn=42\nblank=  17  \nflag=True\nneg=-12abc\ntext=abc\nreal=3.9\n"
               "big=99999999999999\n");
    clsIniFile ini(file());
    QCOMPARE(ini.GetIntValue(file(), QStringLiteral("n"), key, 7), expected);
    QCOMPARE(ini.GetIntValue(file(QStringLiteral("none.ini")), QStringLiteral("N"), key, 7), 7);
}

void TestIniFile::valuesAreWrittenInTheirTextForm_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("number");
    QTest::newRow("True") << QVariant(true) << "True" << 0;
    QTest::newRow("False") << QVariant(false) << "False" << 0;
    QTest::newRow("short 2") << QVariant::fromValue<short>(2) << "2" << 2;
    QTest::newRow("short -300") << QVariant::fromValue<short>(-300) << "-300" << -300;
    QTest::newRow("int") << QVariant(qint32(-2147483647)) << "-2147483647" << -2147483647;
    QTest::newRow("float 1.5") << QVariant(1.5f) << "1.5" << 2;
    QTest::newRow("float 2.5 ties to even") << QVariant(2.5f) << "2.5" << 2;
    QTest::newRow("float integral") << QVariant(4215.0f) << "4215" << 4215;
    QTest::newRow("float 0.1") << QVariant(0.1f) << "0.1" << 0;
    QTest::newRow("float 123456") << QVariant(123456.0f) << "123456" << 123456;
    QTest::newRow("float -0.75") << QVariant(-0.75f) << "-0.75" << -1;
    QTest::newRow("string") << QVariant(QStringLiteral("/home/ユーザー")) << "/home/ユーザー" << 0;
    QTest::newRow("numeric string") << QVariant(QStringLiteral("3.5")) << "3.5" << 4;
}

void TestIniFile::valuesAreWrittenInTheirTextForm() {
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(qint32, number);
    clsIniFile ini(file());
    QVERIFY(ini.SetValue(value, file(), QStringLiteral("V"), QStringLiteral("k")));
    QCOMPARE(QString::fromUtf8(readBytes(file())), QString(u"[V]\nk=" + text + u'\n'));
    QCOMPARE(ini.strValue(), text);
    QCOMPARE(ini.lngValue(), number);
}

void TestIniFile::emptyArgumentsAreFilledInForTheCaller() {
    writeBytes(file(), "[Sec]\nKey=5\nOther=x\n");
    clsIniFile ini(QStringLiteral("/nonexistent/elsewhere.ini"));
    ini.setPathIniFile(file());
    ini.setSection(QStringLiteral("Sec"));
    ini.setKey(QStringLiteral("Key"));
    QCOMPARE(ini.strValue(), QStringLiteral("5"));
    QCOMPARE(ini.lngValue(), 5);

    QString path;
    QString section;
    QString key;
    QCOMPARE(ini.GetStrValue(path, section, key, QStringLiteral("0")), QStringLiteral("5"));
    QCOMPARE(path, file());
    QCOMPARE(section, QStringLiteral("Sec"));
    QCOMPARE(key, QStringLiteral("Key"));

    // Only the empty ones are replaced.
    path.clear();
    section.clear();
    key = QStringLiteral("Other");
    QCOMPARE(ini.GetStrValue(path, section, key, QStringLiteral("0")), QStringLiteral("x"));
    QCOMPARE(path, file());
    QCOMPARE(section, QStringLiteral("Sec"));
    QCOMPARE(key, QStringLiteral("Other"));

    path.clear();
    section.clear();
    key.clear();
    QCOMPARE(ini.GetIntValue(path, section, key, -1), 5);
    QCOMPARE(section, QStringLiteral("Sec"));
    QCOMPARE(key, QStringLiteral("Key"));

    path.clear();
    section.clear();
    key = QStringLiteral("New");
    QVERIFY(ini.SetValue(8, path, section, key));
    QCOMPARE(path, file());
    QCOMPARE(section, QStringLiteral("Sec"));
    QCOMPARE(readBytes(file()), QByteArray("[Sec]\nKey=5\nOther=x\nNew=8\n"));

    path.clear();
    section.clear();
    key.clear();
    QVERIFY(ini.DeleteKey(path, section, key));
    QCOMPARE(key, QStringLiteral("Key"));
    QCOMPARE(readBytes(file()), QByteArray("[Sec]\nOther=x\nNew=8\n"));

    path.clear();
    section.clear();
    QVERIFY(ini.DeleteSection(path, section));
    QCOMPARE(path, file());
    QCOMPARE(section, QStringLiteral("Sec"));
    QCOMPARE(readBytes(file()), QByteArray());
}

void TestIniFile::propertiesRefreshFromTheFile() {
    const QString path = file(QStringLiteral("later.ini"));
    clsIniFile ini(path);
    QCOMPARE(ini.PathIniFile(), path);
    QCOMPARE(ini.Section(), QString());
    QCOMPARE(ini.Key(), QString());

    // Setting the section on a file that is not there yet reads nothing and writes nothing.
    ini.setSection(QStringLiteral("Player"));
    ini.setKey(QStringLiteral("Volume"));
    QCOMPARE(ini.strValue(), QString());
    QCOMPARE(ini.lngValue(), 0);
    QVERIFY(!QFile::exists(path));

    ini.setLngValue(75);
    QCOMPARE(readBytes(path), QByteArray("[Player]\nVolume=75\n"));
    QCOMPARE(ini.strValue(), QStringLiteral("75"));

    ini.setStrValue(QStringLiteral("loud"));
    QCOMPARE(readBytes(path), QByteArray("[Player]\nVolume=loud\n"));
    QCOMPARE(ini.lngValue(), 0);

    ini.setValue(QVariant(true));
    QCOMPARE(readBytes(path), QByteArray("[Player]\nVolume=True\n"));

    // Another writer changes the file: the next property change reads it afresh.
    writeBytes(path, "[Player]\nVolume=30\nRate=1.25\n[Other]\nVolume=abc\n");
    ini.setKey(QStringLiteral("Rate"));
    QCOMPARE(ini.strValue(), QStringLiteral("1.25"));
    QCOMPARE(ini.lngValue(), 1);
    ini.setSection(QStringLiteral("Other"));
    QCOMPARE(ini.strValue(), QString());
    ini.setKey(QStringLiteral("Volume"));
    QCOMPARE(ini.strValue(), QStringLiteral("abc"));
    QCOMPARE(ini.lngValue(), 0);
    ini.setPathIniFile(file(QStringLiteral("gone.ini")));
    QCOMPARE(ini.strValue(), QString());
    QCOMPARE(ini.lngValue(), 0);
}

void TestIniFile::deleteKeyAndSection() {
    const QByteArray text =
        "; top\r\n[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\nx=1\r\n; tail\r\n[C]\r\ny=2\r\n";
    writeBytes(file(), text);
    clsIniFile ini(file());
    QVERIFY(deleteKey(ini, file(), QStringLiteral("a"), QStringLiteral("K")));
    QCOMPARE(readBytes(file()),
             QByteArray("; top\r\n[A]\r\nj=2\r\n\r\n[B]\r\nx=1\r\n; tail\r\n[C]\r\ny=2\r\n"));
    QCOMPARE(ini.strValue(), QString());
    QCOMPARE(ini.lngValue(), 0);

    // The section goes with everything up to the next header, its comments included.
    QVERIFY(deleteSection(ini, file(), QStringLiteral("b")));
    QCOMPARE(readBytes(file()), QByteArray("; top\r\n[A]\r\nj=2\r\n\r\n[C]\r\ny=2\r\n"));

    // Deleting what is not there changes nothing and creates nothing.
    const ino_t before = inodeOf(file());
    QVERIFY(deleteKey(ini, file(), QStringLiteral("A"), QStringLiteral("missing")));
    QVERIFY(deleteSection(ini, file(), QStringLiteral("missing")));
    QCOMPARE(inodeOf(file()), before);
    QVERIFY(
        deleteKey(ini, file(QStringLiteral("none.ini")), QStringLiteral("A"), QStringLiteral("k")));
    QVERIFY(deleteSection(ini, file(QStringLiteral("none.ini")), QStringLiteral("A")));
    QVERIFY(!QFile::exists(file(QStringLiteral("none.ini"))));
}

void TestIniFile::longValueIsReadWhole() {
    const QString ascii(1000, u'x');
    const QString japanese(300, u'あ');  // 900 bytes on disk
    clsIniFile ini(file());
    QVERIFY(ini.SetValue(ascii, file(), QStringLiteral("L"), QStringLiteral("ascii")));
    QVERIFY(ini.SetValue(japanese, file(), QStringLiteral("L"), QStringLiteral("japanese")));
    clsIniFile fresh(file());
    QCOMPARE(fresh.GetStrValue(file(), QStringLiteral("L"), QStringLiteral("ascii"), {}), ascii);
    QCOMPARE(fresh.GetStrValue(file(), QStringLiteral("L"), QStringLiteral("japanese"), {}),
             japanese);
}

void TestIniFile::lineBreaksInValuesBecomeBlanks() {
    clsIniFile ini(file());
    QVERIFY(ini.SetValue(QStringLiteral("one\r\ntwo\nthree\r[X]"), file(), QStringLiteral("A"),
                         QStringLiteral("k")));
    QVERIFY(
        ini.SetValue(QStringLiteral("after"), file(), QStringLiteral("A"), QStringLiteral("next")));
    QCOMPARE(readBytes(file()), QByteArray("[A]\nk=one  two three [X]\nnext=after\n"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("next"), {}),
             QStringLiteral("after"));
    QCOMPARE(
        ini.GetStrValue(file(), QStringLiteral("X"), QStringLiteral("next"), QStringLiteral("0")),
        QStringLiteral("0"));
}

void TestIniFile::loneCrAtTheEndIsALineEnd_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QByteArray>("after");

    // A file cut between the CR and the LF of its last line, or written with old Mac line ends:
    // what is written after the CR must not join the last line.
    QTest::newRow("lone CR, new section")
        << QByteArray("[a]\r") << "FormPos" << QByteArray("[a]\r\n[FormPos]\r\nWidth=12180\r\n");
    QTest::newRow("lone CR, into its section")
        << QByteArray("[a]\r") << "A" << QByteArray("[a]\r\nWidth=12180\r\n");
    QTest::newRow("CRLF file cut before its last LF, new section")
        << QByteArray("[a]\r\nb=c\r") << "FormPos"
        << QByteArray("[a]\r\nb=c\r\n[FormPos]\r\nWidth=12180\r\n");
    QTest::newRow("CRLF file cut before its last LF, into its section")
        << QByteArray("[a]\r\nb=c\r") << "a" << QByteArray("[a]\r\nb=c\r\nWidth=12180\r\n");
    QTest::newRow("LF file ending in a CR") << QByteArray("[a]\nb=c\r") << "FormPos"
                                            << QByteArray("[a]\nb=c\n[FormPos]\nWidth=12180\n");
}

void TestIniFile::loneCrAtTheEndIsALineEnd() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QByteArray, after);

    writeBytes(file(), before);
    {
        clsIniFile ini(file());
        QVERIFY(ini.SetValue(12180, file(), section, QStringLiteral("Width")));
        QCOMPARE(ini.GetIntValue(file(), section, QStringLiteral("Width"), 0), 12180);
    }
    QCOMPARE(readBytes(file()), after);

    clsIniFile fresh(file());
    QCOMPARE(fresh.GetIntValue(file(), section, QStringLiteral("Width"), 0), 12180);
    const QString b = fresh.GetStrValue(file(), QStringLiteral("a"), QStringLiteral("b"), {});
    QCOMPARE(b, before.contains("b=c") ? QStringLiteral("c") : QString());
}

void TestIniFile::cp932FileStaysCp932() {
    const QByteArray before = "; " + kCommentCp932 + "\r\n[" + kSettingCp932 + "]\r\n" +
                              kNameCp932 + "=" + kTestCp932 +
                              "\r\nOther=1\r\n\r\n[B]\r\nx=" + kCommentCp932 + "\r\n";
    writeBytes(file(), before);
    QCOMPARE(IniDocument::fromBytes(before).encoding(), IniDocument::Encoding::Cp932);
    QCOMPARE(IniDocument::fromBytes(before).toBytes(), before);

    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("設定"), QStringLiteral("名前"), {}),
             QStringLiteral("テスト"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("b"), QStringLiteral("X"), {}),
             QStringLiteral("コメント"));

    QVERIFY(ini.SetValue(QStringLiteral("ファイル"), file(), QStringLiteral("設定"),
                         QStringLiteral("名前")));
    QVERIFY(
        ini.SetValue(QStringLiteral("テスト"), file(), QStringLiteral("B"), QStringLiteral("新")));
    QByteArray after = before;
    after.replace(QByteArray(kNameCp932 + "=" + kTestCp932),
                  QByteArray(kNameCp932 + "=" + kFileCp932));
    after.append("\x90\x56=" + kTestCp932 + "\r\n");  // 新=テスト
    QCOMPARE(readBytes(file()), after);

    clsIniFile fresh(file());
    QCOMPARE(fresh.GetStrValue(file(), QStringLiteral("設定"), QStringLiteral("名前"), {}),
             QStringLiteral("ファイル"));
}

void TestIniFile::cp932TextKeepsItsMeaningWhenTheFileTurnsUtf8_data() {
    QTest::addColumn<int>("change");  // 0 SetValue, 1 DeleteKey, 2 DeleteSection
    QTest::newRow("value replaced") << 0;
    QTest::newRow("key deleted") << 1;
    QTest::newRow("section deleted") << 2;
}

void TestIniFile::cp932TextKeepsItsMeaningWhenTheFileTurnsUtf8() {
    QFETCH(int, change);
    // Only the [Path] line is not UTF-8; the half-width "ﾏｲ" (CF B2) is UTF-8 "ϲ" too. Once the
    // [Path] line is gone, the file must not read "ϲ" where it said "ﾏｲ".
    writeBytes(file(), "[Path]\r\nStart=" + kTestCp932 + "\r\n[A]\r\nName=\xCF\xB2\r\n");
    {
        clsIniFile ini(file());
        QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("Name"), {}),
                 QStringLiteral("ﾏｲ"));
        QString path = file();
        QString section = QStringLiteral("Path");
        QString key = QStringLiteral("Start");
        switch (change) {
            case 0:
                QVERIFY(ini.SetValue(QStringLiteral("/home"), path, section, key));
                break;
            case 1:
                QVERIFY(ini.DeleteKey(path, section, key));
                break;
            default:
                QVERIFY(ini.DeleteSection(path, section));
        }
    }
    clsIniFile fresh(file());
    QCOMPARE(fresh.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("Name"), {}),
             QStringLiteral("ﾏｲ"));
    QCOMPARE(IniDocument::fromBytes(readBytes(file())).encoding(), IniDocument::Encoding::Utf8);
    QVERIFY(readBytes(file()).endsWith("[A]\r\nName=ﾏｲ\r\n"));
}

void TestIniFile::fileWithoutSections() {
    const QByteArray before = "k=1\nj=2\n";
    writeBytes(file(), before);
    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("0")),
             QStringLiteral("0"));
    QCOMPARE(ini.GetIntValue(file(), QStringLiteral("A"), QStringLiteral("k"), 9), 9);
    QVERIFY(ini.SetValue(5, file(), QStringLiteral("A"), QStringLiteral("k")));
    QCOMPARE(readBytes(file()), QByteArray("k=1\nj=2\n[A]\nk=5\n"));
    QCOMPARE(ini.GetIntValue(file(), QStringLiteral("A"), QStringLiteral("k"), 9), 5);
}

void TestIniFile::duplicateSectionsAndKeys() {
    const QByteArray before = "[A]\nk=1\nk=2\n[B]\nx=0\n[a]\nk=3\nm=4\n";
    writeBytes(file(), before);
    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("k"), {}),
             QStringLiteral("1"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("m"), QStringLiteral("0")),
             QStringLiteral("0"));

    QVERIFY(ini.SetValue(9, file(), QStringLiteral("a"), QStringLiteral("K")));
    QCOMPARE(readBytes(file()), QByteArray("[A]\nk=9\nk=2\n[B]\nx=0\n[a]\nk=3\nm=4\n"));
    QVERIFY(ini.SetValue(5, file(), QStringLiteral("A"), QStringLiteral("m")));
    QCOMPARE(readBytes(file()), QByteArray("[A]\nk=9\nk=2\nm=5\n[B]\nx=0\n[a]\nk=3\nm=4\n"));
}

void TestIniFile::binaryJunkIsKept() {
    const QByteArray before = QByteArray("\x00\x01garbage\xFF\xFE\x00 line\n", 18) + "[A]\nk=1\n" +
                              QByteArray("\x00\x00\x00=\xFF\x80\n", 7) + "[B]\r\nj=2\r\n" +
                              QByteArray("\xFF\x00", 2);
    writeBytes(file(), before);
    QCOMPARE(IniDocument::fromBytes(before).toBytes(), before);

    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("k"), {}),
             QStringLiteral("1"));
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("B"), QStringLiteral("j"), {}),
             QStringLiteral("2"));
    QVERIFY(ini.SetValue(3, file(), QStringLiteral("B"), QStringLiteral("j")));
    QByteArray after = before;
    after.replace("j=2", "j=3");
    QCOMPARE(readBytes(file()), after);
}

void TestIniFile::largeFileIsReadAndWrittenQuickly() {
    QByteArray text;
    text.reserve(11 * 1024 * 1024);
    int section = 0;
    while (text.size() < 10 * 1024 * 1024) {
        text += "[Section" + QByteArray::number(section) + "]\r\n";
        for (int k = 0; k < 20; ++k) {
            text += "Key" + QByteArray::number(k) + "=value " + QByteArray::number(section) +
                    " of a fairly long line in a very large settings file\r\n";
        }
        text += "; comment\r\n\r\n";
        ++section;
    }
    writeBytes(file(), text);

    QElapsedTimer timer;
    timer.start();
    clsIniFile ini(file());
    const QString last = QStringLiteral("Section") + QString::number(section - 1);
    QCOMPARE(ini.GetStrValue(file(), last, QStringLiteral("key19"), {}),
             QString(u"value " + QString::number(section - 1) +
                     u" of a fairly long line in a very large settings file"));
    const QString middle = QStringLiteral("Section") + QString::number(section / 2);
    QVERIFY(ini.SetValue(QStringLiteral("changed"), file(), middle, QStringLiteral("Key7")));
    clsIniFile fresh(file());
    QCOMPARE(fresh.GetStrValue(file(), middle, QStringLiteral("Key7"), {}),
             QStringLiteral("changed"));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));

    const QByteArray oldLine = "Key7=value " + QByteArray::number(section / 2) +
                               " of a fairly long line in a very large settings file\r\n";
    const qsizetype at = text.indexOf(QByteArray("[" + middle.toUtf8() + "]\r\n"));
    QVERIFY(at > 0);
    const qsizetype lineAt = text.indexOf(oldLine, at);
    QByteArray expected = text;
    expected.replace(lineAt, oldLine.size(), "Key7=changed\r\n");
    QVERIFY(readBytes(file()) == expected);
}

void TestIniFile::largeJunkFileIsReadAndWrittenQuickly() {
    // Megabytes that are not text at all, then a section: every junk line is decoded as CP932.
    QByteArray junk(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32*>(junk.data()), junk.size() / 4);
    const QByteArray text = junk + "\n[A]\nk=1\n";
    writeBytes(file(), text);

    QElapsedTimer timer;
    timer.start();
    clsIniFile ini(file());
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("k"), {}),
             QStringLiteral("1"));
    QVERIFY(ini.SetValue(2, file(), QStringLiteral("A"), QStringLiteral("k")));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(readBytes(file()) == junk + "\n[A]\nk=2\n");
}

void TestIniFile::writesReplaceTheFileAtomically() {
    writeBytes(file(), "[A]\nk=1\n");
    QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const ino_t before = inodeOf(file());
    QVERIFY(before != 0);

    clsIniFile ini(file());
    QVERIFY(ini.SetValue(2, file(), QStringLiteral("A"), QStringLiteral("k")));
    QCOMPARE(readBytes(file()), QByteArray("[A]\nk=2\n"));
    QVERIFY(inodeOf(file()) != before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Quorvane.ini")});
    QCOMPARE(QFile::permissions(file()) & 0x7077,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    // A missing folder is made on the first write.
    const QString nested = m_dir->filePath(QStringLiteral("a/b/c.ini"));
    QVERIFY(ini.SetValue(1, nested, QStringLiteral("S"), QStringLiteral("k")));
    QCOMPARE(readBytes(nested), QByteArray("[S]\nk=1\n"));
}

void TestIniFile::refusedWritesReturnFalse() {
    const QByteArray text = "[A]\nk=1\n";
    writeBytes(file(), text);
    QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const ino_t before = inodeOf(file());

    clsIniFile ini(file());
    QVERIFY(!ini.SetValue(2, file(), QStringLiteral("A"), QStringLiteral("k")));
    QVERIFY(!ini.SetValue(2, file(), QStringLiteral("A"), QStringLiteral("new")));
    QVERIFY(!deleteKey(ini, file(), QStringLiteral("A"), QStringLiteral("k")));
    QVERIFY(!deleteSection(ini, file(), QStringLiteral("A")));
    QCOMPARE(readBytes(file()), text);
    QCOMPARE(inodeOf(file()), before);
    QCOMPARE(ini.GetStrValue(file(), QStringLiteral("A"), QStringLiteral("k"), {}),
             QStringLiteral("1"));
    QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner));

    // A folder that cannot hold the file.
    writeBytes(file(QStringLiteral("plain")), "x");
    QVERIFY(!ini.SetValue(1, file(QStringLiteral("plain/sub.ini")), QStringLiteral("A"),
                          QStringLiteral("k")));
    QVERIFY(!ini.SetValue(1, m_dir->path(), QStringLiteral("A"), QStringLiteral("k")));

    if (geteuid() != 0) {
        const QString locked = m_dir->filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!ini.SetValue(1, locked + u"/x.ini", QStringLiteral("A"), QStringLiteral("k")));
        QVERIFY(!QFile::exists(locked + u"/x.ini"));
        QVERIFY(
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
}

void TestIniFile::iniFileLocation() {
    const QString exeDir = m_dir->filePath(QStringLiteral("bin"));
    const QString config = m_dir->filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(exeDir));

    // Writable folder: beside the executable, one file per base name.
    const QString a = iniFilePathFor(exeDir, QStringLiteral("Quorvane"), config);
    const QString b = iniFilePathFor(exeDir, QStringLiteral("Renamed"), config);
    QCOMPARE(a, QString(exeDir + u"/Quorvane.ini"));
    QCOMPARE(b, QString(exeDir + u"/Renamed.ini"));
    clsIniFile ini(a);
    QVERIFY(ini.SetValue(1, a, QStringLiteral("S"), QStringLiteral("k")));
    QVERIFY(ini.SetValue(2, b, QStringLiteral("S"), QStringLiteral("k")));
    QCOMPARE(ini.GetIntValue(a, QStringLiteral("S"), QStringLiteral("k"), 0), 1);
    QCOMPARE(ini.GetIntValue(b, QStringLiteral("S"), QStringLiteral("k"), 0), 2);

    // A folder that cannot be written to: the user's config folder.
    const QString missingDir = m_dir->filePath(QStringLiteral("nowhere"));
    QCOMPARE(iniFilePathFor(missingDir, QStringLiteral("Quorvane"), config),
             QString(config + u"/quorvane/Quorvane.ini"));

    // Installed into the system's folders: per user, even for root, who could write there.
    for (const char* systemDir : {"/usr/bin", "/usr/local/bin", "/usr", "/bin"}) {
        QCOMPARE(iniFilePathFor(QString::fromLatin1(systemDir), QStringLiteral("quorvane"), config),
                 QString(config + u"/quorvane/quorvane.ini"));
    }

    if (geteuid() != 0) {
        QVERIFY(QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(iniFilePathFor(exeDir, QStringLiteral("Quorvane"), config), a);  // already there
        QCOMPARE(iniFilePathFor(exeDir, QStringLiteral("Other"), config),
                 QString(config + u"/quorvane/Other.ini"));
        QVERIFY(
            QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
