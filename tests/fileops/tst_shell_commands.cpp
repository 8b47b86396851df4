#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

#include "browser/icon_to_picture.h"
#include "fileops/file_properties_dialog.h"
#include "fileops/messages.h"
#include "fileops/operation_messages.h"
#include "fileops/shell_commands.h"
#include "platform/app_info.h"
#include "platform/folder_size.h"
#include "platform/messages.h"
#include "platform/progress_dialog.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/shell_execute.h"
#include "platform/trash.h"
#include "test_files.h"

using namespace Qt::StringLiterals;

namespace {

// Hands URLs to nobody, answering as told, and remembers them.
struct UrlRecorder {
    QList<QUrl> urls;
    QList<bool> answers;  // one per call; true when they run out
    UrlOpener opener() {
        return [this](const QUrl& url) {
            urls.append(url);
            return answers.isEmpty() ? true : answers.takeFirst();
        };
    }
};

bool setImmutable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

FilePropertiesDialog* openPropertiesDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<FilePropertiesDialog*>(widget);
            dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

}  // namespace

class TstShellCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clsRecycleEmptiesAfterOneQuestion();
    void clsRecycleReportsFailure();
    void openRecycleFallsBackToTheFolder();
    void filePopaShowsFileProperties();
    void filePopaCountsFolders();
    void filePopaFailsForMissingItems();
    void folderCountStopsAtItsCap();
    void shellOpenHandsOverFilesAndAddresses();
    void searchPathLookup();
    void browseForFolderGivesCleanPathOrNothing();
    void iconsAreAddedOncePerKey();
    void progressDialogOffersCancel();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Trash> m_trash;
    UrlRecorder m_urls;
    std::unique_ptr<ShellCommands> m_commands;
};

void TstShellCommands::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_trash = std::make_unique<Trash>(path(u"data/Trash"_s), Trash::mountTopDir,
                                      [] { return QStringList(); });
    m_urls = UrlRecorder();
    m_commands = std::make_unique<ShellCommands>(*m_dialogs, *m_trash, m_urls.opener());
}

void TstShellCommands::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<FilePropertiesDialog*>(widget) != nullptr) {
            delete widget;
        }
    }
    m_commands.reset();
    m_trash.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void TstShellCommands::clsRecycleEmptiesAfterOneQuestion() {
    // An empty trash: nothing to ask.
    m_commands->ClsRecycle();
    QVERIFY(m_dialogs->calls().isEmpty());

    writeFile(path(u"a.txt"_s), "a");
    writeFile(path(u"folder/b.txt"_s), "b");
    QCOMPARE(m_trash->put(path(u"a.txt"_s)).error, 0);
    QCOMPARE(m_trash->put(path(u"folder"_s)).error, 0);

    m_dialogs->answerMessage(MsgResult::No);
    m_commands->ClsRecycle();
    QCOMPARE(m_dialogs->messages().size(), 1);
    const ScriptedDialogs::Call question = m_dialogs->messages().at(0);
    QCOMPARE(question.text, u"ごみ箱の 2 個の項目を完全に削除しますか?"_s);
    QCOMPARE(question.title, u"ごみ箱を空にする"_s);
    QCOMPARE(toString(question.buttons), toString(MsgButtons::YesNo));
    QCOMPARE(m_trash->itemCount(), 2);

    m_dialogs->clear();
    m_dialogs->answerMessage(MsgResult::Yes);
    m_commands->ClsRecycle();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_trash->itemCount(), 0);
    QVERIFY(QDir(path(u"data/Trash/info"_s)).isEmpty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TstShellCommands::clsRecycleReportsFailure() {
    writeFile(path(u"a.txt"_s), "a");
    QCOMPARE(m_trash->put(path(u"a.txt"_s)).error, 0);
    // An item the trash cannot let go of: immutable for root, in a locked folder for others.
    const QString item = path(u"data/Trash/files/a.txt"_s);
    const QString files = path(u"data/Trash/files"_s);
    const bool root = ::geteuid() == 0;
    if (root ? !setImmutable(item, true)
             : ::chmod(QFile::encodeName(files).constData(), 0500) != 0) {
        QSKIP("this file system cannot keep a file from being deleted");
    }
    m_dialogs->answerMessage(MsgResult::Yes);
    m_commands->ClsRecycle();
    if (root) {
        setImmutable(item, false);
    } else {
        ::chmod(QFile::encodeName(files).constData(), 0700);
    }
    QCOMPARE(m_dialogs->messages().size(), 2);
    QCOMPARE(m_dialogs->messages().at(1).text, u"ごみ箱削除に失敗しました。"_s);
    QCOMPARE(m_dialogs->messages().at(1).title, app_info::title());
    QCOMPARE(m_trash->itemCount(), 1);
    QCOMPARE(m_trash->list().size(), 1);  // its info file stays with it
}

void TstShellCommands::openRecycleFallsBackToTheFolder() {
    m_commands->OpenRecycle();
    QCOMPARE(m_urls.urls, QList<QUrl>{QUrl(u"trash:///"_s)});

    m_urls.urls.clear();
    m_urls.answers = {false, true};
    m_commands->OpenRecycle();
    const QString files = path(u"data/Trash/files"_s);
    QCOMPARE(m_urls.urls, (QList<QUrl>{QUrl(u"trash:///"_s), QUrl::fromLocalFile(files)}));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(files).constData(), &st) == 0 && S_ISDIR(st.st_mode));
    QCOMPARE(st.st_mode & 0777, 0700u);  // made as a trash: for its owner only
    QVERIFY(m_dialogs->calls().isEmpty());

    m_urls.answers = {false, false};
    m_commands->OpenRecycle();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().at(0).text, platform_msg::openFailed(files));
}

void TstShellCommands::filePopaShowsFileProperties() {
    const QString file = path(u"曲 1.mp3"_s);
    writeFile(file, QByteArray(1536, 'x'));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    m_commands->setPropertyRowsProvider([](const QString& p) {
        return QList<PropertyRow>{{u"再生時間:"_s, QFileInfo(p).fileName() + u" 3:15"}};
    });

    m_commands->FilePopa(file);
    QVERIFY(m_dialogs->calls().isEmpty());
    FilePropertiesDialog* dialog = openPropertiesDialog();
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->windowTitle(), u"曲 1.mp3 のプロパティ"_s);
    QCOMPARE(dialog->rowText(u"名前:"_s), u"曲 1.mp3"_s);
    QCOMPARE(dialog->rowText(u"場所:"_s), m_dir->path());
    QCOMPARE(dialog->rowText(u"サイズ:"_s), u"1.50 KB (1,536 バイト)"_s);
    QCOMPARE(dialog->rowText(u"アクセス権:"_s), u"rw-r----- (640)"_s);
    QVERIFY(!dialog->rowText(u"種類:"_s).isEmpty());
    QVERIFY(!dialog->rowText(u"更新日時:"_s).isEmpty());
    QVERIFY(dialog->rowText(u"所有者:"_s).contains(u"グループ:"_s));
    QVERIFY(dialog->rowText(u"内容:"_s).isEmpty());  // files have no contents line
    QCOMPARE(dialog->rowText(u"再生時間:"_s), u"曲 1.mp3 3:15"_s);

    QCOMPARE(propertiesSizeText(532), u"532 バイト"_s);
    QCOMPARE(propertiesSizeText(12345678), u"11.7 MB (12,345,678 バイト)"_s);
}

void TstShellCommands::filePopaCountsFolders() {
    const QString folder = path(u"box"_s);
    writeFile(folder + u"/a.bin", QByteArray(1000, 'a'));
    writeFile(folder + u"/sub/b.bin", QByteArray(24, 'b'));
    writeFile(folder + u"/sub/deeper/.hidden", QByteArray(1024, 'c'));
    QVERIFY(QFile::link(folder + u"/a.bin", folder + u"/link"));

    m_commands->FilePopa(folder);
    FilePropertiesDialog* dialog = openPropertiesDialog();
    QVERIFY(dialog != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isCounting(), 5000);
    QCOMPARE(dialog->rowText(u"内容:"_s), u"ファイル 4 個、フォルダ 2 個"_s);
    QCOMPARE(dialog->rowText(u"サイズ:"_s), u"2.00 KB (2,048 バイト)"_s);

    // Closing the window stops a count that is still running.
    dialog->close();
    QTRY_VERIFY(openPropertiesDialog() == nullptr);
}

void TstShellCommands::filePopaFailsForMissingItems() {
    m_commands->FilePopa(QString());
    QVERIFY(m_dialogs->calls().isEmpty());

    m_commands->FilePopa(path(u"missing.txt"_s));
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().at(0).text, u"プロパティの表示に失敗しました。"_s);
    QCOMPARE(toString(m_dialogs->messages().at(0).icon), toString(MsgIcon::Critical));
    QVERIFY(openPropertiesDialog() == nullptr);
    QVERIFY(ShowFileProperties(path(u"missing.txt"_s), nullptr) <= 32);
}

void TstShellCommands::folderCountStopsAtItsCap() {
    for (int i = 0; i < 10; ++i) {
        writeFile(path(u"many/f"_s + QString::number(i)), "x");
    }
    FolderSizeCounter counter;
    counter.setCap(4);
    QSignalSpy finished(&counter, &FolderSizeCounter::finished);
    counter.start(path(u"many"_s));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(1).toBool(), false);
    QCOMPARE(counter.totals().files, 4);
    QCOMPARE(counter.totals().bytes, 4);
}

void TstShellCommands::shellOpenHandsOverFilesAndAddresses() {
    const QString file = path(u"sub/movie.xyz"_s);
    writeFile(file, "m");
    const QString before = QDir::currentPath();

    QCOMPARE(ShellOpen(*m_dialogs, m_urls.opener(), file), 0);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(before);
    QCOMPARE(m_urls.urls, QList<QUrl>{QUrl::fromLocalFile(file)});
    QCOMPARE(cwd, path(u"sub"_s));  // the program starts in the file's folder

    m_urls.urls.clear();
    QCOMPARE(ShellOpen(*m_dialogs, m_urls.opener(), u"https://example.com/a b"_s), 0);
    QCOMPARE(m_urls.urls, QList<QUrl>{QUrl(u"https://example.com/a b"_s)});
    QVERIFY(m_dialogs->calls().isEmpty());

    // Nothing at the path: said so, and nothing is started.
    m_urls.urls.clear();
    const QString missing = path(u"missing.xyz"_s);
    QCOMPARE(ShellOpen(*m_dialogs, m_urls.opener(), missing), run_error::kFileNotFound);
    QVERIFY(m_urls.urls.isEmpty());
    QCOMPARE(m_dialogs->messages().at(0).text, platform_msg::openFailed(missing));

    // Nothing could be started for it.
    m_dialogs->clear();
    m_urls.answers = {false};
    QVERIFY(ShellOpen(*m_dialogs, m_urls.opener(), file) != 0);
    QDir::setCurrent(before);
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().at(0).text, platform_msg::openFailed(file));
}

void TstShellCommands::searchPathLookup() {
    writeFile(path(u"bin/UnZip32.DLL"_s), "dll");
    QVERIFY(QDir().mkpath(path(u"bin/folder.dll"_s)));
    const QString searchPath = u"/nonexistent::"_s + path(u"bin"_s);
    QVERIFY(IsOnSearchPath(u"UnZip32.DLL"_s, searchPath));
    QVERIFY(!IsOnSearchPath(u"unzip32.dll"_s, searchPath));  // names are exact
    QVERIFY(!IsOnSearchPath(u"folder.dll"_s, searchPath));
    QVERIFY(!IsOnSearchPath(u"Unlha32.DLL"_s, searchPath));
    QVERIFY(!IsOnSearchPath(QString(), searchPath));
    QVERIFY(IsOnSearchPath(path(u"bin/UnZip32.DLL"_s), QString()));
    QVERIFY(IsOnSearchPath(u"sh"_s));  // the real PATH
}

void TstShellCommands::browseForFolderGivesCleanPathOrNothing() {
    m_dialogs->answerFolder(path(u"x//y/"_s));
    QCOMPARE(BrowseForFolder(*m_dialogs, u"フォルダーを選択してください"_s, path(u"x/"_s)),
             path(u"x/y"_s));
    const ScriptedDialogs::Call call = m_dialogs->calls().at(0);
    QCOMPARE(call.text, u"フォルダーを選択してください"_s);
    QCOMPARE(call.title, path(u"x/"_s));  // the initial folder, passed on

    // Cancelled: empty; the network command's root reaches the picker.
    QCOMPARE(BrowseForFolder(*m_dialogs, u"ネットワークを指定してください。"_s, path(u"x"_s),
                             u"/run/user/1/gvfs"_s),
             QString());
    QCOMPARE(m_dialogs->calls().at(1).extra, u"/run/user/1/gvfs"_s);
    m_dialogs->answerFolder(u"relative/folder"_s);
    QCOMPARE(BrowseForFolder(*m_dialogs, u"t"_s, QString()), QString());
}

void TstShellCommands::iconsAreAddedOncePerKey() {
    ImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    QVERIFY(IconToPicture(images, u"ICON:mp3"_s, QIcon(red)));
    QVERIFY(IconToPicture(images, u"ICON:mp3"_s, QIcon(blue)));
    QCOMPARE(images.size(), 1);
    QCOMPARE(images.icon(u"ICON:mp3"_s).pixmap(16, 16).toImage().pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(!IconToPicture(images, u"ICON:avi"_s, QIcon()));
    QVERIFY(!images.contains(u"ICON:avi"_s));
}

void TstShellCommands::progressDialogOffersCancel() {
    ProgressDialogProgress progress;
    progress.begin(fileops_msg::moveTitle(), 1000);
    auto dialog = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<QProgressDialog*>(widget)) {
                return found;
            }
        }
        return static_cast<QProgressDialog*>(nullptr);
    };
    QVERIFY(dialog() != nullptr);
    // It shows itself only once the work has gone on for a while.
    qint64 done = 0;
    QTRY_VERIFY_WITH_TIMEOUT(progress.advance(u"a"_s, ++done) && dialog()->isVisible(), 5000);
    QCOMPARE(dialog()->windowTitle(), fileops_msg::moveTitle());
    QCOMPARE(dialog()->labelText(), u"a"_s);
    QTest::qWait(60);  // reports that come close together are shown together
    QVERIFY(progress.advance(fileops_msg::progressLabel(u"b.bin"_s), 500));
    QCOMPARE(dialog()->value(), 500);
    QCOMPARE(dialog()->labelText(), u"「b.bin」を移動しています..."_s);

    dialog()->cancel();
    QVERIFY(!progress.advance(u"b"_s, 600));
    progress.end();
    QVERIFY(dialog() == nullptr);
}

QTEST_MAIN(TstShellCommands)
#include "tst_shell_commands.moc"
