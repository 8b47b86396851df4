// The extraction engine on real archives: names in CP932 and UTF-8, LHA header levels and
// methods, passwords, hostile and damaged archives, the disk reserve, progress, cancel and the
// overwrite answers. Archives come from zip, jlha (jlha-utils) and a small script for raw header
// bytes.

#include "archive/archive_codes.h"
#include "archive/archiver_entries.h"
#include "archive/command_line.h"
#include "archive/engine_messages.h"
#include "archive/secure_extractor.h"
#include "archive/staging_folder.h"
#include "platform/file_name_codec.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Answers the engine's questions from a script and records what it was told.
class ScriptedPrompts : public ExtractionPrompts {
public:
    QList<Overwrite> overwriteAnswers;
    QStringList passwords;  // answers in order; when used up, nullopt
    int cancelAtAdvance = -1;

    int overwriteQuestions = 0;
    int passwordQuestions = 0;
    int advances = 0;
    int begins = 0;
    int ends = 0;
    QStringList refused;  // "entry|reason"

    Overwrite askOverwrite(const QString&) override {
        ++overwriteQuestions;
        return overwriteAnswers.isEmpty() ? Overwrite::Skip : overwriteAnswers.takeFirst();
    }
    std::optional<QString> askPassword(const QString&, int attempt) override {
        ++passwordQuestions;
        if (attempt - 1 < passwords.size()) {
            return passwords[attempt - 1];
        }
        return std::nullopt;
    }
    void begin(const QString&, qint64) override { ++begins; }
    bool advance(const QString&, qint64) override { return ++advances != cancelAtAdvance; }
    void end() override { ++ends; }
    void entryRefused(const QString& entry, const QString& reason) override {
        refused << entry + u'|' + reason;
    }
};

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

QJsonObject item(const QByteArray& name, const QByteArray& data = "x") {
    return QJsonObject{{QStringLiteral("name"), hex(name)}, {QStringLiteral("data"), hex(data)}};
}

QJsonObject with(QJsonObject object, const QString& key, const QJsonValue& value) {
    object.insert(key, value);
    return object;
}

bool runTool(const QString& program, const QStringList& arguments, const QString& folder = {}) {
    QProcess process;
    if (!folder.isEmpty()) {
        process.setWorkingDirectory(folder);
    }
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QByteArray readBytes(const QString& path) {
    // By bytes: QFile would not find a name that is not UTF-8.
    FILE* file = std::fopen(encodeFileName(path).constData(), "rb");
    if (file == nullptr) {
        return "<missing>";
    }
    QByteArray bytes;
    char block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.append(block, static_cast<qsizetype>(got));
    }
    std::fclose(file);
    return bytes;
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(encodeFileName(path).constData(), &info) == 0;
}

// Whether a password gets past the one-byte check of the old ZIP encryption on the first entry
// of a ZIP (libarchive tests no more than that before it decrypts).
bool passesZipCryptoCheck(const QByteArray& zip, const QByteArray& password) {
    quint32 keys[3] = {0x12345678, 0x23456789, 0x34567890};
    const auto crc = [](quint32 value, quint8 byte) {
        value ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1) != 0 ? (value >> 1) ^ 0xEDB88320U : value >> 1;
        }
        return value;
    };
    const auto update = [&](quint8 byte) {
        keys[0] = crc(keys[0], byte);
        keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813U + 1;
        keys[2] = crc(keys[2], static_cast<quint8>(keys[1] >> 24));
    };
    for (const char c : password) {
        update(static_cast<quint8>(c));
    }
    const auto at = [&](int offset) { return static_cast<quint8>(zip.at(offset)); };
    const int data = 30 + (at(26) | at(27) << 8) + (at(28) | at(29) << 8);
    quint8 plain = 0;
    for (int i = 0; i < 12; ++i) {
        const quint32 temp = static_cast<quint16>(keys[2] | 2);
        plain = static_cast<quint8>(at(data + i) ^ ((temp * (temp ^ 1u)) >> 8));
        update(plain);
    }
    const quint8 check = (at(6) & 8) != 0 ? at(11) : at(17);
    return plain == check;
}

// Everything in a folder, hidden names too, sorted.
QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every file and folder under a folder, relative, folders with "/" at their end, sorted.
QStringList treeOf(const QString& folder) {
    QStringList tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = it.filePath().mid(folder.size() + 1);
        tree << (it.fileInfo().isDir() ? relative + u'/' : relative);
    }
    tree.sort();
    return tree;
}

QJsonObject packed(QJsonObject entry, const char* method) {
    entry.insert(QStringLiteral("method"), QString::fromLatin1(method));
    return entry;
}

}  // namespace

class TestArchiverEntries : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    QString fresh(const QString& stem) {
        const QString path = m_dir.filePath(stem + QString::number(++m_serial));
        QDir().mkpath(path);
        return path;
    }
    // An archive from the script: kind "zip" or "lzh".
    QString scripted(const QString& kind, const QJsonArray& items) {
        const QString out = m_dir.filePath(QStringLiteral("s%1.%2").arg(++m_serial).arg(kind));
        const QString entriesFile = out + QStringLiteral(".json");
        QFile file(entriesFile);
        if (!file.open(QIODevice::WriteOnly)) {
            return {};
        }
        file.write(QJsonDocument(items).toJson());
        file.close();
        const QString script = QString::fromUtf8(ARCHIVE_TEST_TOOLS) + u"/make_archive.py";
        return runTool(QStringLiteral("python3"), {script, kind, out, entriesFile}) ? out
                                                                                    : QString();
    }
    static QString zipLine(const QString& archive, const QString& dest) {
        return u"-x -s -V -i -C \"" + archive + u"\" " + dest + u"/ ";
    }
    static QString lhaLine(const QString& archive, const QString& dest) {
        return u"e -x1m1 \"" + archive + u"\" " + dest + u"/ ";
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty()) {
            QSKIP("python3 and zip make the test archives");
        }
    }
    void cleanup() { setDiskReserveOverride(0); }
    void init() { setDiskReserveOverride(0); }

    void commandLines() {
        const QString odd = u"/t/a \"b\"" + QChar(0xDC81) + u".lzh";
        ParsedCommand lha = parseLhaCommand(u"e -x1m1 \"" + odd + u"\" /t/out/ ");
        QCOMPARE(lha.error, 0);
        QCOMPARE(lha.request.archive, odd);
        QCOMPARE(lha.request.destination, QStringLiteral("/t/out/"));
        QVERIFY(lha.request.keepPaths);
        QVERIFY(!parseLhaCommand(QStringLiteral("e -m1 a.lzh /t/")).request.keepPaths);
        QCOMPARE(parseLhaCommand(QString()).error, archive_code::kBadCommand);
        QCOMPARE(parseLhaCommand(QStringLiteral("e -x1m1 ")).error, archive_code::kNoArchiveName);
        QCOMPARE(parseLhaCommand(QStringLiteral("e \"/t/a.lzh /t/")).error,
                 archive_code::kBadCommand);
        QCOMPARE(parseLhaCommand(QStringLiteral("a -x1 a.lzh /t/")).error,
                 archive_code::kBadCommand);
        QCOMPARE(parseLhaCommand(QStringLiteral("e a.lzh /t/dest")).error,
                 archive_code::kBadCommand);
        const ParsedCommand zip = parseZipCommand(QStringLiteral("-x -s -V -i -C /t/a /t/ "));
        QCOMPARE(zip.error, 0);
        QCOMPARE(zip.request.archive, QStringLiteral("/t/a"));
        QCOMPARE(parseZipCommand(QStringLiteral("-x -Z a.zip /t/")).error,
                 archive_code::kBadCommand);
        QCOMPARE(parseZipCommand(QStringLiteral("-x -s")).error, archive_code::kNoArchiveName);
        // The entry points answer the same, before touching any file.
        QCOMPARE(Unlha(nullptr, QString()), archive_code::kBadCommand);
        QCOMPARE(UnZip(nullptr, QStringLiteral("-x ")), archive_code::kNoArchiveName);
        QVERIFY(archiveEntriesBuiltIn());
    }

    void namesInCp932AndUtf8() {
        const QByteArray sjis = QByteArray::fromHex("93fa967b8cea837483408343838b2e747874");
        const QString sjisText = QStringLiteral("日本語ファイル.txt");
        const QByteArray bad("bad\x81\x20\xff.txt");
        const QString zip = scripted(QStringLiteral("zip"),
                                     {item(sjis, "sjis"),
                                      with(item(QStringLiteral("ユニコード.txt").toUtf8(), "utf8"),
                                           QStringLiteral("utf8"), true),
                                      item(bad, "kept")});
        QVERIFY(!zip.isEmpty());
        const QString dest = fresh(QStringLiteral("names"));
        QCOMPARE(UnZip(nullptr, zipLine(zip, dest)), 0);
        QCOMPARE(readBytes(dest + u'/' + sjisText), QByteArray("sjis"));
        QCOMPARE(readBytes(dest + QStringLiteral("/ユニコード.txt")), QByteArray("utf8"));
        QCOMPARE(readBytes(dest + u'/' + decodeFileName(bad)), QByteArray("kept"));
        // QDir cannot remove a name that is not UTF-8: the test does.
        QCOMPARE(::unlink(encodeFileName(QString(dest + u'/' + decodeFileName(bad))).constData()),
                 0);

        const QString lzh = scripted(QStringLiteral("lzh"), {item("dir\\" + sjis, "lzh-sjis")});
        const QString lzhDest = fresh(QStringLiteral("lzhnames"));
        QCOMPARE(UnlhaCheckArchive(lzh, 2), 1);
        QCOMPARE(Unlha(nullptr, u"x -x1 \"" + lzh + u"\" " + lzhDest + u"/ "), 0);
        QCOMPARE(readBytes(lzhDest + u"/dir/" + sjisText), QByteArray("lzh-sjis"));
    }

    void lhaLevelsAndMethods() {
        if (QStandardPaths::findExecutable(QStringLiteral("jlha")).isEmpty()) {
            QSKIP("jlha (jlha-utils) makes the LZH archives");
        }
        const QString source = fresh(QStringLiteral("lhasrc"));
        QByteArray text;
        for (int i = 0; i < 4000; ++i) {
            text += "line " + QByteArray::number(i * 7919 % 1000) + " of the sample\n";
        }
        QFile file(source + QStringLiteral("/sample.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        // lh0 (z: stored), lh5, lh6, lh7 at header levels 0, 1 and 2.
        for (const QString& level :
             {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}) {
            for (const QString& method : {QStringLiteral("z"), QStringLiteral("o5"),
                                          QStringLiteral("o6"), QStringLiteral("o7")}) {
                const QString lzh = source + u"/l" + level + method + u".lzh";
                QVERIFY(runTool(QStringLiteral("jlha"),
                                {u"c" + level + method + u"q", lzh, QStringLiteral("sample.txt")},
                                source));
                QCOMPARE(UnlhaCheckArchive(lzh, 2), 1);
                const QString dest = fresh(QStringLiteral("lha"));
                QCOMPARE(Unlha(nullptr, lhaLine(lzh, dest)), 0);
                QCOMPARE(readBytes(dest + QStringLiteral("/sample.txt")), text);
            }
        }
    }

    void encryptedZip() {
        const QString source = fresh(QStringLiteral("encsrc"));
        QFile file(source + QStringLiteral("/secret.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100000, 's'));
        file.close();
        const QString zip = source + QStringLiteral("/enc.zip");
        QVERIFY(runTool(QStringLiteral("zip"),
                        {QStringLiteral("-q"), QStringLiteral("-P"), QStringLiteral("right"), zip,
                         QStringLiteral("secret.txt")},
                        source));
        ZipHandle handle = UnZipOpenArchive(nullptr, zip, 0);
        QVERIFY(handle != nullptr);
        QCOMPARE(UnZipFindFirst(handle, QStringLiteral("*.*")), 0);
        QVERIFY(UnZipGetAttribute(handle) & 0x40);
        QCOMPARE(UnZipCloseArchive(handle), 0);

        const QString nobody = fresh(QStringLiteral("enc"));
        QCOMPARE(UnZip(nullptr, zipLine(zip, nobody)), archive_code::kPassword);
        ScriptedPrompts wrong;
        wrong.passwords = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("right")};
        const QString wrongDest = fresh(QStringLiteral("enc"));
        // The old ZIP encryption checks a password against one byte only: a wrong one gets past
        // it once in 256 and then fails on the data instead.
        const QList<int> wrongCodes = {archive_code::kPassword, archive_code::kBadData,
                                       archive_code::kChecksum};
        QVERIFY(wrongCodes.contains(UnZip(&wrong, zipLine(zip, wrongDest))));
        QVERIFY(wrong.passwordQuestions <= 3);
        QVERIFY(!exists(wrongDest + QStringLiteral("/secret.txt")));
        ScriptedPrompts right;
        right.passwords = {QStringLiteral("right")};
        const QString rightDest = fresh(QStringLiteral("enc"));
        QCOMPARE(UnZip(&right, zipLine(zip, rightDest)), 0);
        QCOMPARE(readBytes(rightDest + QStringLiteral("/secret.txt")), QByteArray(100000, 's'));

        // A wrong password that gets past the check is asked again; given twice it is taken
        // for the right one on damaged data; three wrong ones end in the password's code.
        const QByteArray bytes = readBytes(zip);
        QString lucky;
        for (int i = 0; i < 20000 && lucky.isEmpty(); ++i) {
            if (passesZipCryptoCheck(bytes, "w" + QByteArray::number(i))) {
                lucky = u"w"_s + QString::number(i);
            }
        }
        QVERIFY(!lucky.isEmpty());
        struct Case {
            QStringList answers;
            int result;
            int questions;
        };
        for (const Case& c : {Case{{lucky, u"right"_s}, 0, 2}, Case{{lucky, lucky}, -1, 2},
                              Case{{lucky, u"x"_s, u"y"_s}, archive_code::kPassword, 3}}) {
            ScriptedPrompts prompts;
            prompts.passwords = c.answers;
            const QString dest = fresh(QStringLiteral("lucky"));
            const int result = UnZip(&prompts, zipLine(zip, dest));
            if (c.result >= 0) {
                QCOMPARE(result, c.result);
            } else {
                QVERIFY(result == archive_code::kChecksum || result == archive_code::kBadData);
            }
            QCOMPARE(prompts.passwordQuestions, c.questions);
            QCOMPARE(readBytes(dest + u"/secret.txt"_s),
                     c.result == 0 ? QByteArray(100000, 's') : QByteArray("<missing>"));
        }

        // A password made on a Japanese system is CP932 ("パス"); it is typed as text.
        const QString cp932Zip = source + u"/cp932.zip"_s;
        QVERIFY(runTool(
            u"bash"_s,
            {u"-c"_s, u"zip -q -P \"$(printf '\\x83\\x70\\x83\\x58')\" cp932.zip secret.txt"_s},
            source));
        ScriptedPrompts japanese;
        japanese.passwords = {u"パス"_s};
        const QString japaneseDest = fresh(QStringLiteral("cp932"));
        QCOMPARE(UnZip(&japanese, zipLine(cp932Zip, japaneseDest)), 0);
        QCOMPARE(japanese.passwordQuestions, 1);
        QCOMPARE(readBytes(japaneseDest + u"/secret.txt"_s), QByteArray(100000, 's'));
    }

    void hostileEntriesStayInside() {
        const QString zip =
            scripted(QStringLiteral("zip"),
                     {item("../escaped.txt"), item("/tmp/absolute-quorvane.txt"),
                      item("sub/../../up.txt"), item("../esc\x1b[2J.txt"),
                      with(item("out", "../.."), QStringLiteral("kind"), QStringLiteral("symlink")),
                      with(item("here", "."), QStringLiteral("kind"), QStringLiteral("symlink")),
                      item("here/through.txt"),
                      with(item("pipe"), QStringLiteral("kind"), QStringLiteral("fifo")),
                      item("good.txt", "good")});
        QVERIFY(!zip.isEmpty());
        const QString parent = fresh(QStringLiteral("hostile"));
        const QString dest = parent + QStringLiteral("/dest");
        ScriptedPrompts prompts;
        QCOMPARE(UnZip(&prompts, zipLine(zip, dest)), archive_code::kCannotOpenForWrite);
        QCOMPARE(readBytes(dest + QStringLiteral("/good.txt")), QByteArray("good"));
        QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList{QStringLiteral("dest")});
        // A leading separator is dropped: the entry lands inside.
        QVERIFY(!exists(QStringLiteral("/tmp/absolute-quorvane.txt")));
        QCOMPARE(readBytes(dest + QStringLiteral("/tmp/absolute-quorvane.txt")), QByteArray("x"));
        QVERIFY(!exists(dest + QStringLiteral("/out")));
        QVERIFY(!exists(dest + QStringLiteral("/through.txt")));
        const QStringList expected = {u"../escaped.txt|" + engine_msg::refusedDotDot(),
                                      u"sub/../../up.txt|" + engine_msg::refusedDotDot(),
                                      u"../esc_[2J.txt|" + engine_msg::refusedDotDot(),
                                      u"out|" + engine_msg::refusedLinkOutside(),
                                      u"here/through.txt|" + engine_msg::refusedThroughSymlink()};
        QCOMPARE(prompts.refused, expected);

        // Neither reader hands out pipes or devices (both make plain files of them), so the
        // refusal of special files cannot be reached from here; set-user-id bits are dropped.
        const QString lzh = scripted(QStringLiteral("lzh"),
                                     {with(item("setuid", "s"), QStringLiteral("mode"), 0104755)});
        const QString lzhDest = fresh(QStringLiteral("special"));
        QCOMPARE(Unlha(nullptr, lhaLine(lzh, lzhDest)), 0);
        struct stat info {};
        QCOMPARE(
            ::stat(encodeFileName(QString(lzhDest + QStringLiteral("/setuid"))).constData(), &info),
            0);
        QCOMPARE(info.st_mode & 07777, 0755u);
    }

    void linkChainsStayInside() {
        // "x/l" leads to the destination itself, so "x/l/.." would be its parent: a ".." after a
        // name cannot be judged from the text, whatever it seems to cancel.
        const auto link = [](const QByteArray& name, const QByteArray& target) {
            return with(item(name, target), QStringLiteral("kind"), QStringLiteral("symlink"));
        };
        const QString zip =
            scripted(QStringLiteral("zip"),
                     {link("x/l", ".."), link("y", "x/l/.."), link("z", "x/l/../in.txt"),
                      link("w/up", "../x/l"), item("in.txt", "in")});
        QVERIFY(!zip.isEmpty());
        const QString parent = fresh(QStringLiteral("chain"));
        const QString dest = parent + QStringLiteral("/dest");
        ScriptedPrompts prompts;
        QCOMPARE(UnZip(&prompts, zipLine(zip, dest)), archive_code::kCannotOpenForWrite);
        QCOMPARE(prompts.refused, (QStringList{u"y|" + engine_msg::refusedLinkOutside(),
                                               u"z|" + engine_msg::refusedLinkOutside()}));
        QVERIFY(!exists(dest + QStringLiteral("/y")));
        QVERIFY(!exists(dest + QStringLiteral("/z")));
        QCOMPARE(QFileInfo(dest + QStringLiteral("/x/l")).symLinkTarget(),
                 QFileInfo(dest).canonicalFilePath());
        QCOMPARE(readBytes(dest + QStringLiteral("/w/up/in.txt")), QByteArray("in"));
        QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList{QStringLiteral("dest")});
    }

    void damagedAndNonArchives() {
        // A bad CRC in the second entry: the first stays, the second is removed.
        const QString lzh =
            scripted(QStringLiteral("lzh"),
                     {item("first.txt", "whole"),
                      with(item("second.txt", "damaged"), QStringLiteral("badcrc"), true)});
        const QString lzhDest = fresh(QStringLiteral("crc"));
        QCOMPARE(UnlhaCheckArchive(lzh, 2), 0);
        QCOMPARE(Unlha(nullptr, lhaLine(lzh, lzhDest)), archive_code::kChecksum);
        QCOMPARE(readBytes(lzhDest + QStringLiteral("/first.txt")), QByteArray("whole"));
        QVERIFY(!exists(lzhDest + QStringLiteral("/second.txt")));

        const QString zip = scripted(
            QStringLiteral("zip"),
            {item("a.txt", QByteArray(50000, 'a')), item("b.txt", QByteArray(50000, 'b'))});
        QByteArray bytes = readBytes(zip);
        QCOMPARE(UnZipCheckArchive(zip, 2), 1);
        // Damage the stored CRC of b.txt in its local header (14 bytes into it).
        const qsizetype local = bytes.indexOf("PK\x03\x04", 10);
        QVERIFY(local > 0);
        QByteArray badCrc = bytes;
        badCrc[local + 14] = static_cast<char>(badCrc[local + 14] ^ 0x5A);
        const qsizetype central = badCrc.lastIndexOf("b.txt") - 46;
        badCrc[central + 16] = static_cast<char>(badCrc[central + 16] ^ 0x5A);
        const QString badZip = m_dir.filePath(QStringLiteral("badcrc.zip"));
        QFile out(badZip);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(badCrc);
        out.close();
        const QString zipDest = fresh(QStringLiteral("zipcrc"));
        QCOMPARE(UnZipCheckArchive(badZip, 2), 0);
        QCOMPARE(UnZip(nullptr, zipLine(badZip, zipDest)), archive_code::kChecksum);
        QCOMPARE(readBytes(zipDest + QStringLiteral("/a.txt")), QByteArray(50000, 'a'));
        QVERIFY(!exists(zipDest + QStringLiteral("/b.txt")));

        // Checked in the same pass, a damaged archive leaves nothing, not even its staging.
        for (const auto& [archive, isZip, code] :
             {std::tuple{badZip, true, archive_code::kChecksum},
              std::tuple{lzh, false, archive_code::kChecksum},
              std::tuple{m_dir.filePath(QStringLiteral("missing.zip")), true,
                         archive_code::kCannotOpenArchive}}) {
            const QString dest = fresh(QStringLiteral("whole"));
            bool damaged = false;
            QCOMPARE(isZip ? UnZipChecked(nullptr, zipLine(archive, dest), &damaged)
                           : UnlhaChecked(nullptr, lhaLine(archive, dest), &damaged),
                     code);
            QVERIFY(damaged);
            QCOMPARE(entriesOf(dest), QStringList());
        }

        struct Case {
            const char* name;
            QByteArray content;
        };
        const QList<Case> cases = {{"truncated.zip", bytes.left(bytes.size() / 2)},
                                   {"noise.zip", QByteArray(3000, '\x5C')},
                                   {"empty.zip", QByteArray()}};
        for (const Case& c : cases) {
            const QString path = m_dir.filePath(QString::fromUtf8(c.name));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(c.content);
            f.close();
            const QString dest = fresh(QStringLiteral("bad"));
            QVERIFY2(UnZipCheckArchive(path, 2) == 0, c.name);
            const int code = UnZip(nullptr, zipLine(path, dest));
            QVERIFY2(code != 0, c.name);
            QVERIFY2(UnlhaCheckArchive(path, 2) == 0, c.name);
            QVERIFY2(Unlha(nullptr, lhaLine(path, dest)) != 0, c.name);
            QVERIFY2(UnZipOpenArchive(nullptr, path, 0) == nullptr || c.content.size() > 10,
                     c.name);
        }
        const QString folder = fresh(QStringLiteral("x.zip"));
        QCOMPARE(UnZipCheckArchive(folder, 2), 0);
        QCOMPARE(UnZip(nullptr, zipLine(folder, fresh(QStringLiteral("d")))),
                 archive_code::kCannotOpenArchive);
        QCOMPARE(UnZip(nullptr, zipLine(m_dir.filePath(QStringLiteral("missing.zip")), folder)),
                 archive_code::kCannotOpenArchive);
        QCOMPARE(UnZipOpenArchive(nullptr, folder, 0), nullptr);
    }

    void checkedRunMergesAndRefuses() {
        // The destination holds a folder of the archive's and a link where the archive has a
        // folder: the folder is merged, nothing goes through the link.
        const QString dest = fresh(QStringLiteral("merge"));
        const QString outside = fresh(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(dest + QStringLiteral("/d")));
        QVERIFY(QFile(dest + QStringLiteral("/d/keep.txt")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(outside, dest + QStringLiteral("/l")));
        const QString zip = scripted(
            QStringLiteral("zip"),
            {item("d/new.txt", "new"), item("l/evil.txt", "evil"), item("top.txt", "top")});
        ScriptedPrompts prompts;
        bool damaged = true;
        QCOMPARE(UnZipChecked(&prompts, zipLine(zip, dest), &damaged),
                 archive_code::kCannotOpenForWrite);
        QVERIFY(!damaged);
        QCOMPARE(entriesOf(dest), (QStringList{u"d"_s, u"l"_s, u"top.txt"_s}));
        QCOMPARE(entriesOf(dest + QStringLiteral("/d")),
                 (QStringList{u"keep.txt"_s, u"new.txt"_s}));
        QCOMPARE(readBytes(dest + QStringLiteral("/d/new.txt")), QByteArray("new"));
        QCOMPARE(entriesOf(outside), QStringList());
        QCOMPARE(prompts.refused, QStringList(u"l|"_s + engine_msg::refusedThroughSymlink()));

        // A cancel is the user's, not the archive's: nothing lands either.
        const QString cancelled = fresh(QStringLiteral("cancelled"));
        ScriptedPrompts cancel;
        cancel.cancelAtAdvance = 2;
        QCOMPARE(UnZipChecked(&cancel, zipLine(zip, cancelled), &damaged),
                 archive_code::kCancelled);
        QVERIFY(!damaged);
        QCOMPARE(entriesOf(cancelled), QStringList());
    }

    void methodsAndNamesThroughLhasa() {
        // Methods libarchive does not decode, names with a CP932 "表" and "ソ" (their second
        // byte is "\\"), and a name valid in neither CP932 nor UTF-8 even in an lh0 archive.
        const QByteArray hyou("\x95\x5C");  // 表
        const QByteArray so("\x83\x5C");    // ソ
        const QByteArray odd("odd\x81\x20name");
        const QByteArray text = "LArc and PMarc, stored and packed. " + QByteArray(300, 'z');
        const QString lzh =
            scripted(QStringLiteral("lzh"), {packed(item("lzs.txt", text), "lzs"),
                                             packed(item("dir\\" + hyou + ".txt", text), "lz5"),
                                             packed(item(so + ".txt", text), "pm0"),
                                             packed(item("lz4.txt", text), "lz4")});
        QCOMPARE(UnlhaCheckArchive(lzh, 2), 1);
        const QString dest = fresh(QStringLiteral("lhasa"));
        QCOMPARE(Unlha(nullptr, lhaLine(lzh, dest)), 0);
        QCOMPARE(entriesOf(dest), (QStringList{u"dir"_s, u"lz4.txt"_s, u"lzs.txt"_s, u"ソ.txt"_s}));
        for (const QString& name : {u"lzs.txt"_s, u"dir/表.txt"_s, u"ソ.txt"_s, u"lz4.txt"_s}) {
            QCOMPARE(readBytes(dest + u'/' + name), text);
        }
        const QString oddLzh = scripted(QStringLiteral("lzh"), {item(odd, "odd")});
        const QString oddDest = fresh(QStringLiteral("odd"));
        QCOMPARE(Unlha(nullptr, lhaLine(oddLzh, oddDest)), 0);
        QCOMPARE(readBytes(oddDest + u'/' + decodeFileName(odd)), QByteArray("odd"));
        std::remove(encodeFileName(QString(oddDest + u'/' + decodeFileName(odd))).constData());

        // Damage read by liblhasa: a bad CRC, data cut short, a broken second header.
        const QString badCrc = scripted(
            QStringLiteral("lzh"), {with(packed(item("a.txt", text), "lz5"), u"badcrc"_s, true)});
        QCOMPARE(Unlha(nullptr, lhaLine(badCrc, fresh(u"crc"_s))), archive_code::kChecksum);
        const QByteArray whole =
            readBytes(scripted(QStringLiteral("lzh"), {packed(item("a.txt", text), "lzs"),
                                                       packed(item("b.txt", text), "lzs")}));
        QByteArray cut = whole.left(whole.size() - 40);
        QByteArray broken = whole;
        const qsizetype second = whole.indexOf("-lzs-", 10);
        broken[second - 1] = static_cast<char>(broken[second - 1] ^ 0x33);  // header sum
        for (const auto& [name, bytes] :
             {std::pair{"cut.lzh", cut}, std::pair{"broken.lzh", broken}}) {
            const QString path = m_dir.filePath(QString::fromLatin1(name));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();
            QVERIFY2(UnlhaCheckArchive(path, 2) == 0, name);
            const QString where = fresh(u"damaged"_s);
            QVERIFY2(Unlha(nullptr, lhaLine(path, where)) != 0, name);
            QVERIFY2(!exists(where + u"/b.txt"_s), name);
        }

        // Broken streams for liblhasa's decoders are damaged at once and leave nothing: -pm1-
        // reads a few zero bytes past its data, no more (a header claims 512 MiB for a few
        // bytes), a -pm2- table of 31 codes (there are 29) is refused, and so is LHark's
        // distance code 62, far past its 64 KiB.
        const QString pm1Padded = scripted(
            QStringLiteral("lzh"), {with(packed(item("p.txt", text), "pm1"), u"size"_s, 1 << 29)});
        const QString pm2Codes = scripted(
            QStringLiteral("lzh"),
            {with(packed(item("q.txt", text), "pm2"), u"packed"_s, u"7e9fffffffe4803def7bfffc"_s)});
        QJsonObject lhark =
            with(packed(item("r.txt", text), "lh7"), u"packed"_s, u"0001000010003efffffffc"_s);
        lhark = with(with(lhark, u"level"_s, 1), u"os"_s, u" "_s);
        const QString lharkFar = scripted(QStringLiteral("lzh"), {lhark});
        for (const QString& archive : {pm1Padded, pm2Codes, lharkFar}) {
            ScriptedPrompts prompts;
            bool damaged = false;
            const QString pmDest = fresh(u"pmarc"_s);
            QVERIFY(UnlhaChecked(&prompts, lhaLine(archive, pmDest), &damaged) != 0);
            QVERIFY(damaged);
            QVERIFY(prompts.advances < 4);
            QCOMPARE(entriesOf(pmDest), QStringList());
        }
    }

    // Every kind of LHA archive the script makes (see make_lha_kinds.py), and ZIP names with a
    // leading separator: through the checked run the window uses, the right files and folders
    // with their contents and times, and nothing else; cut short, nothing lands and the archive
    // is called damaged.
    void everyKindOfArchive() {
        const QString folder = m_dir.filePath(u"kinds"_s);
        const QString script = QString::fromUtf8(ARCHIVE_TEST_TOOLS) + u"/make_lha_kinds.py";
        QVERIFY(runTool(u"python3"_s, {script, folder}));
        QFile manifest(folder + u"/kinds.json"_s);
        QVERIFY(manifest.open(QIODevice::ReadOnly));
        const QJsonArray kinds = QJsonDocument::fromJson(manifest.readAll()).array();
        QVERIFY(kinds.size() >= 15);
        for (const QJsonValue& value : kinds) {
            const QJsonObject kind = value.toObject();
            const QString archive = folder + u'/' + kind[u"archive"].toString();
            const QByteArray label = kind[u"archive"].toString().toUtf8();
            const bool zip = archive.endsWith(u".zip"_s);
            const QString dest = fresh(u"kind"_s);
            bool damaged = true;
            QCOMPARE(zip ? UnZipChecked(nullptr, zipLine(archive, dest), &damaged)
                         : UnlhaChecked(nullptr, lhaLine(archive, dest), &damaged),
                     0);
            const QJsonObject files = kind[u"files"].toObject();
            QStringList expected = files.keys();
            for (const QJsonValue& made : kind[u"folders"].toArray()) {
                expected << made.toString() + u'/';
            }
            for (const QString& file : files.keys()) {
                for (qsizetype at = file.indexOf(u'/'); at > 0; at = file.indexOf(u'/', at + 1)) {
                    expected << file.left(at + 1);
                }
            }
            expected.removeDuplicates();
            expected.sort();
            QVERIFY2(treeOf(dest) == expected,
                     QByteArray(label + ": " + treeOf(dest).join(u' ').toUtf8()).constData());
            for (const QString& file : files.keys()) {
                QVERIFY2(readBytes(dest + u'/' + file) == files[file].toString().toUtf8(),
                         QByteArray(label + ": " + file.toUtf8()).constData());
            }
            const QJsonObject times = kind[u"times"].toObject();
            for (const QString& file : times.keys()) {
                QVERIFY2(QFileInfo(dest + u'/' + file).lastModified().toSecsSinceEpoch() ==
                             times[file].toInteger(),
                         QByteArray(label + ": " + file.toUtf8()).constData());
            }
            if (zip) {
                continue;
            }
            QByteArray cut = readBytes(archive);
            cut.chop(3);
            const QString cutPath = archive + u".cut"_s;
            QFile cutFile(cutPath);
            QVERIFY(cutFile.open(QIODevice::WriteOnly));
            cutFile.write(cut);
            cutFile.close();
            const QString cutDest = fresh(u"cut"_s);
            QVERIFY2(UnlhaChecked(nullptr, lhaLine(cutPath, cutDest), &damaged) != 0,
                     label.constData());
            QVERIFY2(damaged, label.constData());
            QVERIFY2(entriesOf(cutDest).isEmpty(), label.constData());
        }
    }

    // A staging folder left by a killed extraction goes with the next extraction into its folder;
    // one that a running extraction holds stays, and so does what a link of that name leads to.
    void staleStagingIsRemoved() {
        const QString dest = fresh(u"stale"_s);
        const QString outside = fresh(u"outside"_s);
        QVERIFY(QDir().mkpath(dest + u"/.quorvane-extract-dead01/sub"_s));
        QFile part(dest + u"/.quorvane-extract-dead01/sub/part.txt"_s);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.close();
        QFile kept(outside + u"/kept.txt"_s);
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();
        QVERIFY(QFile::link(outside, dest + u"/.quorvane-extract-link"_s));
        const StagingFolder running(QFileInfo(dest).canonicalFilePath().toUtf8());
        QVERIFY(!running.path().isEmpty());
        const QString runningName = QFileInfo(QString::fromUtf8(running.path())).fileName();
        const QString zip = scripted(u"zip"_s, {item("new.txt", "new")});
        bool damaged = true;
        QCOMPARE(UnZipChecked(nullptr, zipLine(zip, dest), &damaged), 0);
        QStringList left = entriesOf(dest);
        left.sort();
        QStringList expected = {u".quorvane-extract-link"_s, runningName, u"new.txt"_s};
        expected.sort();
        QCOMPARE(left, expected);
        QCOMPARE(entriesOf(outside), QStringList(u"kept.txt"_s));
    }

    // An LZMA entry whose dictionary would have the decoder reserve gigabytes is refused with
    // the disk's code before it is read, and the archive is not called damaged; a dictionary
    // of the usual size is read.
    void lzmaDictionaryWithinReason() {
        const QByteArray text = QByteArray("lzma in a zip. ").repeated(200);
        const QString usual =
            scripted(u"zip"_s, {with(item("usual.txt", text), u"dictionary"_s, 8 << 20)});
        const QString usualDest = fresh(u"lzma"_s);
        bool damaged = true;
        QCOMPARE(UnZipChecked(nullptr, zipLine(usual, usualDest), &damaged), 0);
        QCOMPARE(readBytes(usualDest + u"/usual.txt"_s), text);

        const QString huge =
            scripted(u"zip"_s, {item("first.txt", "first"),
                                with(item("huge.txt", text), u"dictionary"_s, qint64(0xFFFFFFF0))});
        const QString hugeDest = fresh(u"lzma"_s);
        QCOMPARE(UnZipChecked(nullptr, zipLine(huge, hugeDest), &damaged), archive_code::kDiskFull);
        QVERIFY(!damaged);
        QCOMPARE(entriesOf(hugeDest), QStringList());
        QCOMPARE(UnZipCheckArchive(huge, 2), 0);
    }

    void bombStopsAtReserve() {
        const QString dest = fresh(QStringLiteral("bomb"));
        const QString zip = scripted(
            QStringLiteral("zip"), {item("small.txt", "s"),
                                    with(item("bomb.bin", {}), QStringLiteral("zeros"), 16 << 20)});
        // Measured just before the run: other programs write to the same disk meanwhile.
        struct statvfs fs {};
        QCOMPARE(::statvfs(encodeFileName(dest).constData(), &fs), 0);
        const qint64 free = static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
        setDiskReserveOverride(free - (4 << 20));
        QCOMPARE(UnZip(nullptr, zipLine(zip, dest)), archive_code::kDiskFull);
        QVERIFY(!exists(dest + QStringLiteral("/bomb.bin")));
        QCOMPARE(readBytes(dest + QStringLiteral("/small.txt")), QByteArray("s"));
    }

    void progressCancelAndOverwrite() {
        const QString zip = scripted(
            QStringLiteral("zip"),
            {item("one.txt", QByteArray(300000, '1')), item("two.txt", QByteArray(300000, '2'))});
        ScriptedPrompts cancel;
        cancel.cancelAtAdvance = 2;
        const QString cancelled = fresh(QStringLiteral("cancel"));
        QCOMPARE(UnZip(&cancel, zipLine(zip, cancelled)), archive_code::kCancelled);
        QCOMPARE(cancel.begins, 1);
        QCOMPARE(cancel.ends, 1);
        QVERIFY(!exists(cancelled + QStringLiteral("/one.txt")));

        const auto seeded = [this]() {
            const QString dest = fresh(QStringLiteral("over"));
            for (const QString& name : {QStringLiteral("one.txt"), QStringLiteral("two.txt")}) {
                QFile f(dest + u'/' + name);
                if (f.open(QIODevice::WriteOnly)) {
                    f.write("old");
                }
            }
            return dest;
        };
        using O = ExtractionPrompts::Overwrite;
        struct Case {
            QList<O> answers;
            int result;
            int questions;
            QByteArray one;
            QByteArray two;
        };
        const QByteArray new1(300000, '1');
        const QByteArray new2(300000, '2');
        const QList<Case> cases = {
            {{O::Skip, O::Replace}, archive_code::kSkipped, 2, "old", new2},
            {{O::ReplaceAll}, 0, 1, new1, new2},
            {{O::Replace, O::Cancel}, archive_code::kCancelled, 2, new1, "old"},
        };
        for (const Case& c : cases) {
            ScriptedPrompts prompts;
            prompts.overwriteAnswers = c.answers;
            const QString dest = seeded();
            QCOMPARE(UnZip(&prompts, zipLine(zip, dest)), c.result);
            QCOMPARE(prompts.overwriteQuestions, c.questions);
            QCOMPARE(readBytes(dest + QStringLiteral("/one.txt")), c.one);
            QCOMPARE(readBytes(dest + QStringLiteral("/two.txt")), c.two);
        }
        const QString untouched = seeded();
        QCOMPARE(UnZip(nullptr, zipLine(zip, untouched)), archive_code::kExists);
        QCOMPARE(readBytes(untouched + QStringLiteral("/one.txt")), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestArchiverEntries)
#include "tst_archiver_entries.moc"
