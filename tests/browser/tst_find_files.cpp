#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "browser/file_name_codec.h"
#include "browser/file_search.h"
#include "browser/find_files_window.h"
#include "browser/messages.h"
#include "platform/scripted_dialogs.h"
#include "quiet_share.h"

using namespace Qt::StringLiterals;

namespace {

constexpr AttributeFilter kShowAll{true, true, true};

void writeFile(const QString& path, const QByteArray& content = "x") {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

// The found files as paths below root ("sub/d.txt"), sorted; the search runs to its end in
// bounded steps. files, when given, holds what was found before and receives every file.
QStringList runToEnd(FileSearch& search, const QString& root, QList<FoundFile>* files = nullptr) {
    QList<FoundFile> found = files ? *files : QList<FoundFile>();
    for (int i = 0; i < 10000 && search.step(1000, 1000, found); ++i) {
    }
    if (!search.isFinished()) {
        return {u"<search did not finish>"_s};
    }
    QStringList paths;
    for (const FoundFile& file : found) {
        paths << QDir(root).relativeFilePath(file.folder + u'/' + file.name);
    }
    paths.sort();
    if (files) {
        *files = found;
    }
    return paths;
}

QStringList searchFor(const QString& root, const QString& pattern, bool subFolders = true,
                      const AttributeFilter& filter = kShowAll) {
    FileSearch search(root, pattern, subFolders, filter);
    return runToEnd(search, root);
}

}  // namespace

class TestFindFiles : public QObject {
    Q_OBJECT

private slots:
    void patterns_data();
    void patterns();
    void walksTheTree();
    void neverFollowsFolderLinks();
    void folderGoneDuringTheWalkIsSkipped();
    void unreadableFolderIsSkipped();
    void stopsMidWay();
    void windowSearchesAndOpensResults();
    void windowStopAndMissingFolder();
    void aShareThatDoesNotAnswerKeepsTheWindowLive();
};

void TestFindFiles::patterns_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("extension without case") << u"*.TXT"_s << u"a.txt"_s << true;
    QTest::newRow("extension is whole") << u"*.mp3"_s << u"a.mp3.part"_s << false;
    QTest::newRow("question mark is one") << u"?.mp3"_s << u"x.mp3"_s << true;
    QTest::newRow("question mark not two") << u"?.mp3"_s << u"xy.mp3"_s << false;
    QTest::newRow("second of several") << u"*.log ; a*"_s << u"Abc.doc"_s << true;
    QTest::newRow("none of several") << u"*.log;a*"_s << u"bcd.doc"_s << false;
    QTest::newRow("plain word is contained") << u"Report"_s << u"my_report_2.doc"_s << true;
    QTest::newRow("plain word missing") << u"report"_s << u"summary.doc"_s << false;
    QTest::newRow("japanese") << u"*写真*"_s << u"夏の写真.jpg"_s << true;
    QTest::newRow("nothing typed") << u"  ;  "_s << u"anything"_s << true;
}

void TestFindFiles::patterns() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(searchPatterns(pattern).match(name) >= 0, matches);
}

void TestFindFiles::walksTheTree() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    writeFile(root + u"/a.TXT"_s);
    writeFile(root + u"/b.txt"_s, "12345");
    writeFile(root + u"/c.log"_s);
    writeFile(root + u"/sub/d.txt"_s);
    writeFile(root + u"/sub/deeper/E.Txt"_s);
    writeFile(root + u"/.hid/f.txt"_s);
    writeFile(root + u"/.g.txt"_s);
    writeFile(root + u"/ro.txt"_s);
    writeFile(root + u"/rodir/h.txt"_s);
    QVERIFY(QDir(root).mkpath(u"sub/emptydir"_s));
    QVERIFY(::mkfifo(QFile::encodeName(root + u"/pipe.txt"_s).constData(), 0644) == 0);
    QVERIFY(::chmod(QFile::encodeName(root + u"/ro.txt"_s).constData(), 0444) == 0);
    const QByteArray roDir = QFile::encodeName(root + u"/rodir"_s);
    QVERIFY(::chmod(roDir.constData(), 0555) == 0);
    const auto restore = qScopeGuard([&roDir] { ::chmod(roDir.constData(), 0755); });
    // A name that is not UTF-8 is found and leads back to its file.
    const QByteArray badName = QFile::encodeName(root) + "/bad\xff.txt";
    const int fd = ::open(badName.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    // QDir cannot remove a name it cannot decode.
    const auto removeBad = qScopeGuard([&badName] { ::unlink(badName.constData()); });

    const QString bad = decodeFileName(QByteArray("bad\xff.txt"));
    QList<FoundFile> files;
    FileSearch all(root, u"*.txt"_s, true, kShowAll);
    QCOMPARE(runToEnd(all, root, &files),
             QStringList({u".g.txt"_s, u".hid/f.txt"_s, u"a.TXT"_s, u"b.txt"_s, bad, u"ro.txt"_s,
                          u"rodir/h.txt"_s, u"sub/d.txt"_s, u"sub/deeper/E.Txt"_s}));
    for (const FoundFile& file : files) {
        QVERIFY2(::access(encodeFileName(QString(file.folder + u'/' + file.name)).constData(),
                          F_OK) == 0,
                 qPrintable(file.name));
        if (file.name == u"b.txt") {
            QCOMPARE(file.folder, root);
            QCOMPARE(file.size, 5);
            QCOMPARE(file.modified,
                     QFileInfo(root + u"/b.txt"_s).lastModified().toSecsSinceEpoch());
        }
        if (file.name == u"E.Txt") {
            QCOMPARE(file.folder, root + u"/sub/deeper"_s);  // as the tree keys folders
        }
    }
    QCOMPARE(all.foldersSearched(), 6);
    QCOMPARE(all.foldersSkipped(), 0);

    // Only the top folder.
    QCOMPARE(searchFor(root, u"*.TXT"_s, false).filter(u"/"_s), QStringList());
    QCOMPARE(searchFor(root, u"*.TXT"_s, false).size(), 5);
    // With the browser's default settings hidden and read-only entries stay out, as in the list.
    QCOMPARE(searchFor(root, u"*.txt"_s, true, AttributeFilter{}),
             QStringList({u"a.TXT"_s, u"b.txt"_s, bad, u"sub/d.txt"_s, u"sub/deeper/E.Txt"_s}));
    // A folder given with a trailing slash is the same folder.
    QCOMPARE(searchFor(root + u"/sub/"_s, u"d*"_s), QStringList({u"d.txt"_s}));
}

void TestFindFiles::neverFollowsFolderLinks() {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    QVERIFY(dir.isValid() && elsewhere.isValid());
    const QString root = dir.path();
    writeFile(root + u"/real.txt"_s);
    writeFile(elsewhere.path() + u"/z.txt"_s);
    QVERIFY(QDir(root).mkpath(u"x"_s));
    QVERIFY(QFile::link(root, root + u"/x/loop"_s));
    QVERIFY(QFile::link(u".."_s, root + u"/x/up"_s));
    QVERIFY(QFile::link(u"."_s, root + u"/x/self"_s));
    QVERIFY(QFile::link(u"../real.txt"_s, root + u"/x/link.txt"_s));
    QVERIFY(QFile::link(u"../missing.txt"_s, root + u"/x/dangling.txt"_s));
    QVERIFY(QFile::link(elsewhere.path(), root + u"/outside"_s));

    FileSearch search(root, u"*"_s, true, kShowAll);
    // A file reached through a link to a file is found under the link's name; nothing behind a
    // folder link is.
    QCOMPARE(runToEnd(search, root), QStringList({u"real.txt"_s, u"x/link.txt"_s}));
    QCOMPARE(search.foldersSearched(), 2);
}

void TestFindFiles::folderGoneDuringTheWalkIsSkipped() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    writeFile(root + u"/a/x.txt"_s);
    writeFile(root + u"/gone/y.txt"_s);
    writeFile(root + u"/z.txt"_s);

    FileSearch search(root, u"*.txt"_s, true, kShowAll);
    QList<FoundFile> found;
    // One entry at a time until both subfolders wait; neither has been opened yet.
    for (int i = 0; i < 20 && search.pendingFolders() < 2; ++i) {
        QVERIFY(search.step(1, 1000, found));
        QCOMPARE(search.currentFolder(), root);
    }
    QCOMPARE(search.pendingFolders(), 2);
    QVERIFY(QDir(root + u"/gone"_s).removeRecursively());

    QStringList paths = runToEnd(search, root, &found);
    QCOMPARE(paths, QStringList({u"a/x.txt"_s, u"z.txt"_s}));
    QCOMPARE(search.foldersSkipped(), 1);
    QCOMPARE(search.foldersSearched(), 2);

    // A start folder that is not there finds nothing and ends at once.
    FileSearch missing(root + u"/gone"_s, u"*"_s, true, kShowAll);
    QCOMPARE(runToEnd(missing, root), QStringList());
    QCOMPARE(missing.foldersSkipped(), 1);
}

void TestFindFiles::unreadableFolderIsSkipped() {
    if (::geteuid() == 0) {
        QSKIP("root reads every folder; the folder that goes away covers the skipping");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    writeFile(root + u"/open/a.txt"_s);
    writeFile(root + u"/locked/b.txt"_s);
    const QByteArray locked = QFile::encodeName(root + u"/locked"_s);
    QVERIFY(::chmod(locked.constData(), 0) == 0);
    FileSearch search(root, u"*.txt"_s, true, kShowAll);
    QCOMPARE(runToEnd(search, root), QStringList({u"open/a.txt"_s}));
    QCOMPARE(search.foldersSkipped(), 1);
    QVERIFY(::chmod(locked.constData(), 0755) == 0);
}

void TestFindFiles::stopsMidWay() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    for (int i = 0; i < 40; ++i) {
        writeFile(root + u"/d%1/f.txt"_s.arg(i));
    }
    FileSearch search(root, u"f.txt"_s, true, kShowAll);
    QList<FoundFile> found;
    for (int i = 0; i < 1000 && search.foldersSearched() < 5; ++i) {
        QVERIFY(search.step(1, 1000, found));
    }
    QVERIFY(!search.currentFolder().isEmpty());
    search.stop();
    QVERIFY(search.isFinished());
    QCOMPARE(search.pendingFolders(), 0);
    QCOMPARE(search.currentFolder(), QString());
    const qsizetype before = found.size();
    QVERIFY(before <= 4);
    QVERIFY(!search.step(1000, 1000, found));
    QCOMPARE(found.size(), before);
}

void TestFindFiles::windowSearchesAndOpensResults() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    writeFile(root + u"/one.txt"_s, QByteArray(2048, 'x'));
    writeFile(root + u"/two.TXT"_s);
    writeFile(root + u"/sub/three.txt"_s);
    writeFile(root + u"/sub/other.log"_s);

    ScriptedDialogs dialogs;
    FindFilesWindow window(dialogs);
    window.setAttributeFilter(kShowAll);
    QSignalSpy open(&window, &FindFilesWindow::openInBrowser);
    window.openOn(root);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QString::fromUtf16(browser_msg::kFindTitle));
    QCOMPARE(window.folderEdit()->text(), root);
    QVERIFY(window.subFoldersBox()->isChecked());
    QVERIFY(!window.stopButton()->isEnabled());
    QVERIFY(!window.openButton()->isEnabled());

    QTest::keyClicks(window.patternEdit(), u"*.txt"_s);
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QVERIFY(window.isSearching());
    QVERIFY(window.stopButton()->isEnabled());
    QVERIFY(!window.searchButton()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLabel()->text(), browser_msg::findDone(3), 5000);
    QVERIFY(!window.isSearching());
    QVERIFY(window.searchButton()->isEnabled());
    QVERIFY(!window.stopButton()->isEnabled());

    QTreeWidget* list = window.resultList();
    QCOMPARE(list->topLevelItemCount(), 3);
    const QList<QTreeWidgetItem*> hits = list->findItems(u"three.txt"_s, Qt::MatchExactly, 0);
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.at(0)->text(1), root + u"/sub"_s);
    QTreeWidgetItem* big = list->findItems(u"one.txt"_s, Qt::MatchExactly, 0).value(0);
    QVERIFY(big);
    QCOMPARE(big->text(2), u"2.00 KB"_s);

    // Clicking the size title orders by size, largest last.
    QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
                      QPoint(list->header()->sectionViewportPosition(2) + 5, 5));
    QCOMPARE(list->topLevelItem(2)->text(0), u"one.txt"_s);

    list->scrollToItem(hits.at(0));
    const QPoint centre = list->visualItemRect(hits.at(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), root + u"/sub"_s);
    QCOMPARE(open.at(0).at(1).toString(), u"three.txt"_s);

    list->setCurrentItem(big);
    QVERIFY(window.openButton()->isEnabled());
    QTest::mouseClick(window.openButton(), Qt::LeftButton);
    QCOMPARE(open.count(), 2);
    QCOMPARE(open.at(1).at(0).toString(), root);
    QCOMPARE(open.at(1).at(1).toString(), u"one.txt"_s);

    // Without subfolders, and started with Enter in the name field.
    window.subFoldersBox()->setChecked(false);
    QTest::keyClick(window.patternEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLabel()->text(), browser_msg::findDone(2), 5000);
    QCOMPARE(list->topLevelItemCount(), 2);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFindFiles::windowStopAndMissingFolder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (int i = 0; i < 20; ++i) {
        writeFile(dir.path() + u"/d%1/f.txt"_s.arg(i));
    }
    ScriptedDialogs dialogs;
    FindFilesWindow window(dialogs);
    window.openOn(dir.path());

    // Stopped before the first slice ran: nothing found, and the window is ready again.
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QTest::mouseClick(window.stopButton(), Qt::LeftButton);
    QVERIFY(!window.isSearching());
    QCOMPARE(window.statusLabel()->text(), browser_msg::findStopped(0));
    QTest::qWait(50);
    QCOMPARE(window.resultList()->topLevelItemCount(), 0);
    QCOMPARE(window.statusLabel()->text(), browser_msg::findStopped(0));

    // Closing the window ends a search too.
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QVERIFY(window.isSearching());
    window.close();
    QVERIFY(!window.isSearching());

    const QString missing = dir.path() + u"/nope"_s;
    window.folderEdit()->setText(missing);
    window.show();
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QVERIFY(!window.isSearching());
    const QList<ScriptedDialogs::Call> messages = dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).text, browser_msg::findFolderMissing(missing));
    QCOMPARE(toString(messages.at(0).icon), toString(MsgIcon::Exclamation));

    // A folder chosen in the picker is searched.
    dialogs.answerFolder(dir.path() + u"/d3"_s);
    QTest::mouseClick(window.browseButton(), Qt::LeftButton);
    QCOMPARE(dialogs.calls().last().text, QString::fromUtf16(browser_msg::kFindBrowseCaption));
    QCOMPARE(window.folderEdit()->text(), dir.path() + u"/d3"_s);
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLabel()->text(), browser_msg::findDone(1), 5000);
}

QTEST_MAIN(TestFindFiles)
// The search reads on a thread of its own: on a share that has stopped answering it starts and
// stops at once, and once the share answers it searches as usual.
void TestFindFiles::aShareThatDoesNotAnswerKeepsTheWindowLive() {
    QuietShare share({.delay = 30, .quiet = true});
    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    ScriptedDialogs dialogs;
    FindFilesWindow window(dialogs);
    window.setAttributeFilter(kShowAll);  // the share is read-only
    window.openOn(share.path());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    QVERIFY(window.isSearching());
    QTest::qWait(200);
    QTest::mouseClick(window.stopButton(), Qt::LeftButton);
    QVERIFY(clock.elapsed() < 10000);  // far less than the share's wait
    QVERIFY(!window.isSearching());
    QCOMPARE(window.statusLabel()->text(), browser_msg::findStopped(0));

    QVERIFY(share.setQuiet(false));
    QTest::mouseClick(window.searchButton(), Qt::LeftButton);
    // Three files at the top and three in each of its two folders.
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLabel()->text(), browser_msg::findDone(9), 10000);
    QCOMPARE(window.resultList()->topLevelItemCount(), 9);
    QVERIFY(dialogs.calls().isEmpty());
}

#include "tst_find_files.moc"
