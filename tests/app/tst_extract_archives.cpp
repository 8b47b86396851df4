// Extracting archives from the file view as a user does: the two toolbar buttons, the question,
// the checks, the offer to put the extracted archives in the trash, and the list read again;
// with real archives made by zip and jlha, and the real trash in a temporary folder.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "app/form1_parts.h"
#include "app/toolbar1.h"
#include "archive/messages.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "platform/file_name_codec.h"
#include "platform/scripted_dialogs.h"
#include "test_files.h"
#include "test_list_rows.h"
#include "test_player_setup.h"

using namespace Qt::StringLiterals;

namespace {

// Runs a packing tool in folder; false when it is missing or fails.
bool pack(const QString& folder, const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

struct Window {
    // more: further sections of the settings file.
    Window(const QString& ini, const QString& folder, const QByteArray& more = {})
        : form(state, dialogs, ini, testPlayerSetup()) {
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("[Boot]\nSearchPath=1\n[FilePath]\nPath=" + encodeFileName(folder) + "\n" +
                       more);
        }
        file.close();
        patientWindow(parts);
        form.Form_Load();
        form.showAsLoaded();
        form.openStartFolder();
        parts.toolbar()->button(7)->trigger();  // file view, where the two buttons are
    }
    FileList& list() { return parts.list(); }
    QStringList names() { return rowNames(list()); }
    void select(const QStringList& names) { selectNames(list(), names); }
    Module1 state;
    ScriptedDialogs dialogs;
    Form1 form;
    Form1Parts parts{form};
};

}  // namespace

class TestExtractArchives : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"data"_s)));
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>(m_home.filePath(u"work-XXXXXX"_s));
        QVERIFY(m_dir->isValid());
        m_root = m_dir->filePath(u"root"_s);
        m_ini = m_dir->filePath(u"quorvane.ini"_s);
        const QString source = m_dir->filePath(u"source"_s);
        writeFile(source + u"/zipped.txt", "from the zip");
        writeFile(source + u"/sub/inner.txt", "inner");
        writeFile(source + u"/lzhed.txt", "from the lzh");
        QVERIFY(QDir().mkpath(m_root));
        QVERIFY(pack(source, u"zip"_s,
                     {u"-q"_s, u"-r"_s, m_root + u"/a.zip", u"zipped.txt"_s, u"sub"_s}));
        QVERIFY(pack(source, u"jlha"_s, {u"a"_s, m_root + u"/b.lzh", u"lzhed.txt"_s}));
        writeFile(m_root + u"/one.mp3", "1");
        writeFile(m_root + u"/two.txt", "2");
        writeFile(m_root + u"/three.avi", "3");
    }
    void cleanup() {
        std::error_code ignored;
        std::filesystem::remove_all(encodeFileName(m_dir->path()).toStdString(), ignored);
    }

    void selectAllAsksOnceAndExtractsEveryArchive() {
        Window w(m_ini, m_root);
        w.select({u"two.txt"_s});
        w.dialogs.answerMessage(MsgResult::Ok);  // extract the two
        w.dialogs.answerMessage(MsgResult::No);  // keep the archives
        w.parts.toolbar()->button(9)->trigger();
        QCOMPARE(w.dialogs.messages().at(0).text,
                 u"書庫ファイルが、2個選択されました。\r解凍しますか？"_s);
        QCOMPARE(readFile(m_root + u"/zipped.txt"), QByteArray("from the zip"));
        QCOMPARE(readFile(m_root + u"/sub/inner.txt"), QByteArray("inner"));
        QVERIFY(w.parts.tree().Node(m_root + u"/sub") != nullptr);
        QCOMPARE(readFile(m_root + u"/lzhed.txt"), QByteArray("from the lzh"));
        // The offer to put both in the trash, declined; the list shows what came out.
        QCOMPARE(w.dialogs.messages().size(), 2);
        QVERIFY(QFile::exists(m_root + u"/a.zip"));
        QVERIFY(w.names().contains(u"zipped.txt"_s));
        QVERIFY(w.names().contains(u"lzhed.txt"_s));

        // Cancelled at the question: nothing happens.
        QVERIFY(QFile::remove(m_root + u"/zipped.txt"));
        w.dialogs.clear();
        w.dialogs.answerMessage(MsgResult::Cancel);
        w.parts.toolbar()->button(9)->trigger();
        QCOMPARE(w.dialogs.messages().size(), 1);
        QVERIFY(!QFile::exists(m_root + u"/zipped.txt"));
    }

    void noArchiveKeepsTheSelectionAndAsksNothing() {
        QVERIFY(QFile::remove(m_root + u"/a.zip"));
        QVERIFY(QFile::remove(m_root + u"/b.lzh"));
        Window w(m_ini, m_root);
        w.select({u"two.txt"_s});
        w.parts.toolbar()->button(9)->trigger();
        QCOMPARE(w.dialogs.calls().size(), 0);
        QCOMPARE(w.list().SelectedPath(), m_root + u"/two.txt");
    }

    void selectedRowsAnyCaseAndBadArchives() {
        QVERIFY(QFile::rename(m_root + u"/a.zip", m_root + u"/A.ZIP"));
        writeFile(m_root + u"/noise.zip", QByteArray(300, 'x'));
        writeFile(m_root + u"/empty.lzh", QByteArray());
        // Damaged in its second entry: nothing of it may land, not even its first entry.
        QVERIFY(pack(m_root, u"python3"_s,
                     {u"-c"_s,
                      u"import zipfile\n"
                      u"with zipfile.ZipFile('damaged.zip', 'w') as z:\n"
                      u"    z.writestr('first-of-damaged.txt', 'whole')\n"
                      u"    z.writestr('second.txt', 'bbbb')\n"
                      u"data = open('damaged.zip', 'rb').read().replace(b'bbbb', b'bbbc', 1)\n"
                      u"open('damaged.zip', 'wb').write(data)\n"_s}));
        Window w(m_ini, m_root);
        w.select({u"A.ZIP"_s, u"damaged.zip"_s, u"noise.zip"_s, u"empty.lzh"_s, u"one.mp3"_s});
        w.dialogs.answerMessage(MsgResult::Ok);   // damaged.zip is no whole archive
        w.dialogs.answerMessage(MsgResult::Ok);   // empty.lzh is no archive (rows in list order)
        w.dialogs.answerMessage(MsgResult::Ok);   // neither is noise.zip
        w.dialogs.answerMessage(MsgResult::Yes);  // A.ZIP to the trash
        w.parts.toolbar()->button(8)->trigger();
        const QList<ScriptedDialogs::Call> said = w.dialogs.messages();
        QCOMPARE(said.size(), 4);
        QCOMPARE(said.at(0).text, archive_msg::notAnArchive(m_root + u"/damaged.zip"));
        QCOMPARE(said.at(1).text, archive_msg::notAnArchive(m_root + u"/empty.lzh"));
        QCOMPARE(said.at(2).text, archive_msg::notAnArchive(m_root + u"/noise.zip"));
        QCOMPARE(readFile(m_root + u"/zipped.txt"), QByteArray("from the zip"));
        QVERIFY(!QFile::exists(m_root + u"/first-of-damaged.txt"));
        QVERIFY(QFile::exists(m_root + u"/damaged.zip"));
        QCOMPARE(QDir(m_root).entryList({u".quorvane-extract-*"_s}, QDir::Hidden | QDir::Dirs),
                 QStringList());
        // Only the archive extracted whole goes to the trash.
        QVERIFY(!QFile::exists(m_root + u"/A.ZIP"));
        QVERIFY(QFile::exists(m_root + u"/noise.zip"));
        QVERIFY(QFile::exists(m_home.filePath(u"data/Trash/files/A.ZIP"_s)));
        QVERIFY(!w.names().contains(u"A.ZIP"_s));

        // When nothing is extracted, nothing is offered and the list is not read again.
        w.dialogs.clear();
        w.select({u"noise.zip"_s});
        w.parts.toolbar()->button(8)->trigger();
        QCOMPARE(w.dialogs.messages().size(), 1);
    }

    // "解凍時にフォルダを選択する。" ticked: the folder picker asks where to, once a run; a cancel
    // extracts nothing and says nothing; with nothing to extract it does not ask.
    void theOptionsAskForTheFolder() {
        const QString elsewhere = m_dir->filePath(u"elsewhere"_s);
        QVERIFY(QDir().mkpath(elsewhere));
        Window w(m_ini, m_root, "[Extract]\nSelectFolder=1\n");
        w.select({u"two.txt"_s});
        w.parts.toolbar()->button(8)->trigger();
        QVERIFY(w.dialogs.calls().isEmpty());

        w.select({u"a.zip"_s, u"b.lzh"_s});
        w.dialogs.answerFolder(QString());  // cancelled
        w.parts.toolbar()->button(8)->trigger();
        QCOMPARE(w.dialogs.calls().size(), 1);
        QCOMPARE(w.dialogs.calls().first().kind, ScriptedDialogs::Kind::Folder);
        QCOMPARE(w.dialogs.calls().first().text, archive_msg::chooseExtractFolder());
        QCOMPARE(w.dialogs.calls().first().title, m_root + u'/');
        QVERIFY(!QFile::exists(m_root + u"/zipped.txt") && QDir(elsewhere).isEmpty());

        w.dialogs.clear();
        w.dialogs.answerFolder(elsewhere);
        w.dialogs.answerMessage(MsgResult::No);  // keep the archives
        w.parts.toolbar()->button(8)->trigger();
        QCOMPARE(w.dialogs.calls().size(), 2);
        QCOMPARE(readFile(elsewhere + u"/zipped.txt"), QByteArray("from the zip"));
        QCOMPARE(readFile(elsewhere + u"/sub/inner.txt"), QByteArray("inner"));
        QCOMPARE(readFile(elsewhere + u"/lzhed.txt"), QByteArray("from the lzh"));
        QVERIFY(!QFile::exists(m_root + u"/zipped.txt"));
        QCOMPARE(w.names().size(), 5);
    }

    void extractHereFromTheCommandLine() {
        // A hostile archive beside a good one: an entry that climbs out of the folder.
        const QString hostile = m_root + u"/hostile.zip";
        QVERIFY(pack(m_root, u"python3"_s,
                     {u"-c"_s,
                      u"import zipfile\n"
                      u"with zipfile.ZipFile('hostile.zip', 'w') as z:\n"
                      u"    z.writestr('../escaped.txt', 'out')\n"
                      u"    z.writestr('kept.txt', 'in')\n"_s}));
        const QString log = m_dir->filePath(u"dialogs.log"_s);
        QProcess quorvane;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QUORVANE_DIALOG_LOG"_s, log);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        quorvane.setProcessEnvironment(environment);
        quorvane.setWorkingDirectory(m_root);
        quorvane.start(QStringLiteral(QUORVANE_BIN), {u"--extract-here"_s, u"a.zip"_s});
        QVERIFY(quorvane.waitForFinished(60000));
        QCOMPARE(quorvane.exitCode(), 0);
        QCOMPARE(readFile(m_root + u"/zipped.txt"), QByteArray("from the zip"));

        quorvane.start(QStringLiteral(QUORVANE_BIN), {u"--extract-here"_s, hostile});
        QVERIFY(quorvane.waitForFinished(60000));
        QCOMPARE(quorvane.exitCode(), 1);
        QVERIFY(!QFile::exists(m_dir->filePath(u"escaped.txt"_s)));
        QCOMPARE(readFile(m_root + u"/kept.txt"), QByteArray("in"));
        QVERIFY(QString::fromUtf8(readFile(log)).contains(u"hostile.zip"_s));
    }

    // The archives of every kind (see make_lha_kinds.py): through the window's "解凍" the LZH
    // (".lzh", ".lha") and ZIP rows, through --extract-here every one, LArc and PMarc included.
    void everyKindThroughTheWindowAndTheCommandLine() {
        const QString script = QStringLiteral(ARCHIVE_TEST_TOOLS) + u"/make_lha_kinds.py";
        const QString shown = m_dir->filePath(u"kinds-window"_s);
        const QString here = m_dir->filePath(u"kinds-here"_s);
        QVERIFY(pack(m_root, u"python3"_s, {script, shown}));
        QVERIFY(pack(m_root, u"python3"_s, {script, here}));
        QFile manifest(shown + u"/kinds.json"_s);
        QVERIFY(manifest.open(QIODevice::ReadOnly));
        const QJsonArray kinds = QJsonDocument::fromJson(manifest.readAll()).array();
        QStringList rows;
        QStringList all;
        for (const QJsonValue& kind : kinds) {
            const QString archive = kind[u"archive"].toString();
            all << archive;
            if (!archive.endsWith(u".lzs"_s) && !archive.endsWith(u".pma"_s)) {
                rows << archive;
            }
        }
        QVERIFY(rows.contains(u"amiga-l1.lha"_s));
        QVERIFY(all.contains(u"larc.lzs"_s) && all.contains(u"pmarc.pma"_s));

        Window w(m_ini, shown);
        w.select(rows);
        w.dialogs.answerMessage(MsgResult::No);  // keep the archives
        w.parts.toolbar()->button(8)->trigger();
        QCOMPARE(w.dialogs.messages().size(), 1);

        QProcess quorvane;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QUORVANE_DIALOG_LOG"_s, m_dir->filePath(u"kinds.log"_s));
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        quorvane.setProcessEnvironment(environment);
        quorvane.setWorkingDirectory(here);
        quorvane.start(QStringLiteral(QUORVANE_BIN), QStringList{u"--extract-here"_s} + all);
        QVERIFY(quorvane.waitForFinished(60000));
        QCOMPARE(quorvane.exitCode(), 0);

        for (const QJsonValue& kind : kinds) {
            const QString archive = kind[u"archive"].toString();
            const QJsonObject files = kind[u"files"].toObject();
            for (const QString& file : files.keys()) {
                const QByteArray content = files[file].toString().toUtf8();
                const QByteArray where = (archive + u": "_s + file).toUtf8();
                QVERIFY2(readFile(here + u'/' + file) == content, where.constData());
                if (rows.contains(archive)) {
                    QVERIFY2(readFile(shown + u'/' + file) == content, where.constData());
                }
            }
        }
        QVERIFY(!QFile::exists(shown + u"/larc/s.txt"_s));
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QString m_ini;
};

QTEST_MAIN(TestExtractArchives)
#include "tst_extract_archives.moc"
