#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractItemModelTester>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>

#include "browser/drop_data.h"
#include "browser/file_icon_source.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/file_name_codec.h"
#include "browser/file_patterns.h"
#include "browser/image_list.h"
#include "browser/listing_batches.h"
#include "browser/messages.h"
#include "browser/name_order.h"
#include "browser/path_utils.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/scripted_dialogs.h"
#include "quiet_share.h"
#include "settings/module1.h"

using namespace Qt::StringLiterals;

namespace {

QString msg(const char16_t* text) {
    return QString::fromUtf16(text);
}

// An empty (or sparse) file with a given size and last-write time.
void makeFile(const QString& path, qint64 bytes = 0, qint64 mtime = -1) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    if (bytes > 0) {
        QVERIFY(file.resize(bytes));
    }
    file.close();
    if (mtime >= 0) {
        const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
        QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
}

// Counts the questions a listing asks (on the listing's thread), and can be told to fail.
class CountingSource : public FileIconSource {
public:
    enum class Mode { Answer, NoIcon, Throw };
    explicit CountingSource(const ImageList& images, Mode mode = Mode::Answer)
        : m_real(images), m_mode(mode) {}
    FileIconType typeOf(const FileIconQuery& query) const override {
        (query.perFile ? perFile : byExtension) += 1;
        if (m_mode == Mode::Throw) {
            throw std::runtime_error("icon source broke");
        }
        return m_real.typeOf(query);
    }
    QIcon iconOf(const FileIconType& type) override {
        return m_mode == Mode::NoIcon ? QIcon() : m_real.iconOf(type);
    }
    mutable std::atomic<int> perFile = 0;
    mutable std::atomic<int> byExtension = 0;

private:
    MimeIconSource m_real;
    Mode m_mode;
};

// The list as the window has it: real view, real model, dialogs that record.
struct Fixture {
    Module1 state;
    ScriptedDialogs dialogs;
    ImageList images = ImageList::withBuiltinImages();
    FileListView view;
    FileList list{state, dialogs, images, view};
    QAbstractItemModelTester tester{&list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest};

    // A listing that takes longer than the window's short wait shows later; under a loaded test
    // run a small folder may, so the tests that look at the rows at once let it wait (those of
    // slow listings set the times they test).
    Fixture() {
        list.setListDeadline(std::chrono::seconds(10));
        list.setListWait(std::chrono::seconds(10));
    }

    QStringList names() const {
        QStringList result;
        for (int r = 0; r < list.rowCount(); ++r) {
            result << list.model().row(r).text;
        }
        return result;
    }
    QString cell(int row, int column) const {
        return list.model().data(list.model().index(row, column)).toString();
    }
    const FileRow& rowOf(const QString& key) const { return list.model().row(list.rowOfKey(key)); }
    QString title(int section) const {
        return list.model().headerData(section, Qt::Horizontal).toString();
    }
};

}  // namespace

class TestFileList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void patterns_data();
    void patterns();
    void normalModeListsPlayableKindsOnly();
    void fileViewListsEveryFileAndFolders();
    void attributesDecideShowingAndColour();
    void iconViewAsksOncePerKindAndRegistersIcons();
    void iconFailuresAreToldOnce();
    void failureGoesToErrorBoxAndListRecovers();
    void sortMarksAndOrders();
    void nameSortGroupsByType();
    void naturalOrderOfNames();
    void foldersThatCannotBeListedGiveEmptyList();
    void keysFindTheirRowsThroughEveryChange();
    void batchesComeOnTimeAndStopWhenLarge();
    void slowFolderFillsLaterWithoutHoldingTheWindow();
    void longListingShowsBatchesWhereTheUserIs();
    void rowsFollowWhatOtherProgramsDo();
    void undecodableNameLeadsBackToFile();
    void clicksAndKeysBecomeRequests();
    void columnsAndGridLines();
    void rowEditsByKey();
    void goneRowsLeaveInRunsOrAtOnce();
    void dragDataKeepsNameBytes();
};

void TestFileList::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void TestFileList::patterns_data() {
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("index");
    QTest::addRow("exact") << u"*.mpg"_s << QByteArray("a.mpg") << 0;
    QTest::addRow("other case") << u"*.mpg"_s << QByteArray("a.MPG") << 0;
    QTest::addRow("longer extension") << u"*.mpg"_s << QByteArray("a.mpga") << -1;
    QTest::addRow("extension inside") << u"*.mpg"_s << QByteArray("a.mpg.txt") << -1;
    QTest::addRow("twice") << u"*.mpg"_s << QByteArray("a.mpg.mpg") << 0;
    QTest::addRow("no dot") << u"*.mpg"_s << QByteArray("mpg") << -1;
    QTest::addRow("second pattern") << u"*.mpg;*.avi"_s << QByteArray("b.AVI") << 1;
    QTest::addRow("first pattern wins") << u"*.avi;*.*;*.avi"_s << QByteArray("b.avi") << 0;
    QTest::addRow("everything") << u"*.*"_s << QByteArray("README") << 0;
    QTest::addRow("spaces") << u" *.avi ; *.mpg"_s << QByteArray("x.mpg") << 1;
    QTest::addRow("wildcards") << u"a*.mp?"_s << QByteArray("abc.MP3") << 0;
    QTest::addRow("wildcards miss") << u"a*.mp?"_s << QByteArray("b.mp3") << -1;
    QTest::addRow("two-part extension") << u"*.tar.gz"_s << QByteArray("x.TAR.gz") << 0;
    QTest::addRow("not UTF-8") << u"*.mpg"_s << QByteArray("\xff\xfe.mpg") << 0;
    QTest::addRow("letters beyond ASCII") << u"*.ÄB"_s
                                          << QByteArray(
                                                 "x.\xc3\xa4"
                                                 "b")
                                          << 0;
    QTest::addRow("empty list") << u""_s << QByteArray("a.mpg") << -1;
}

void TestFileList::patterns() {
    QFETCH(QString, patterns);
    QFETCH(QByteArray, name);
    QFETCH(int, index);
    const FilePatterns set(patterns);
    QString decoded;
    QCOMPARE(set.match(name.constData(), name.size(), &decoded), index);
    // The text test agrees with the byte test.
    QCOMPARE(set.match(decodeFileName(name)), index);
}

void TestFileList::normalModeListsPlayableKindsOnly() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    for (const char* name : {"a.mpg", "b.MPG", "c.mpga", "d.avi", "e.txt", "noext", "x.mpg.mpg"}) {
        makeFile(p + QLatin1StringView(name));
    }
    makeFile(p + u"big.avi", 5LL << 30);
    QVERIFY(QDir().mkdir(p + u"folder.mpg"));
    makeFile(p + u"folder.mpg/inner.mpg", 1536 * 1024, 1700000000);
    QVERIFY(QFile::link(p + u"missing", p + u"dead.mpg"));  // a link to nothing: no row

    Fixture f;
    f.state.mDspFile = QStringLiteral("*.mpg;*.avi;*.MPG");
    f.state.mFolderDsp = 1;  // no effect outside the file view
    QSignalSpy status(&f.list, &FileList::statusTextChanged);
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.names(),
             QStringList({u"a.mpg"_s, u"b.MPG"_s, u"big.avi"_s, u"d.avi"_s, u"x.mpg.mpg"_s}));
    QCOMPARE(f.list.StatusText(), u"5個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QCOMPARE(status.count(), 1);
    QCOMPARE(f.list.model().columnCount(), 5);

    const FileRow& b = f.rowOf(p + u"b.MPG");
    QCOMPARE(b.ext, u"MPG"_s);
    QCOMPARE(b.type, u" "_s);
    QVERIFY(b.iconKey.isEmpty());
    QCOMPARE(f.cell(f.list.rowOfKey(p + u"b.MPG"), FileListModel::SizeColumn),
             u"        0 バイト"_s);
    QCOMPARE(f.cell(f.list.rowOfKey(p + u"big.avi"), FileListModel::SizeColumn),
             u"      5.00 GB"_s);

    // A folder whose own name carries a listed extension lists its files all the same, and the
    // folder given with or without its "/" gives the same keys.
    f.list.ListFolder(p + u"folder.mpg/", false);
    QCOMPARE(f.list.keyOfRow(0), QString(p + u"folder.mpg/inner.mpg"));
    f.list.ListFolder(p + u"folder.mpg", false);
    QCOMPARE(f.list.keyOfRow(0), QString(p + u"folder.mpg/inner.mpg"));
    QCOMPARE(f.cell(0, FileListModel::SizeColumn), u"      1.50 MB"_s);
    QCOMPARE(f.cell(0, FileListModel::DateColumn), FileTimeText(1700000000));
    QCOMPARE(f.list.selectedRow(), 0);

    // An empty folder: nothing selected.
    QVERIFY(QDir().mkdir(p + u"empty"));
    f.list.ListFolder(p + u"empty", false);
    QCOMPARE(f.list.rowCount(), 0);
    QCOMPARE(f.list.StatusText(), u"0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QCOMPARE(f.list.selectedRow(), -1);
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestFileList::fileViewListsEveryFileAndFolders() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"a.mpg");
    makeFile(p + u"notes.txt");
    makeFile(p + u"README");
    QVERIFY(QDir().mkdir(p + u"sub"));
    QVERIFY(QDir().mkdir(p + u"Musik"));
    QCOMPARE(chmod(QFile::encodeName(p + u"Musik").constData(), 0555), 0);

    Fixture f;
    SpecialFolderNames special;
    special.music = u"Musik"_s;  // this desktop's music folder, as the tree knows it too
    f.list.setSpecialFolders(special);
    f.list.setFileViewPressed(true);
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.rowCount(), 3);
    QCOMPARE(f.list.StatusText(), u"3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QCOMPARE(f.rowOf(p + u"README").ext, msg(browser_msg::kNoExtension));

    f.state.mFolderDsp = 1;
    f.state.mReadOnlyAtr = 1;
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.StatusText(), u"3個のﾌｧｲﾙ(2個のﾌｫﾙﾀﾞ)"_s);
    const int sub = f.list.rowOfKey(p + u"sub");
    QVERIFY(sub >= 0);
    QVERIFY(f.list.model().isFolderRow(sub));
    QCOMPARE(f.cell(sub, FileListModel::ExtColumn), u"--"_s);
    QCOMPARE(f.cell(sub, FileListModel::SizeColumn), u"フォルダ"_s);
    QCOMPARE(f.cell(sub, FileListModel::TypeColumn), u"ファイル フォルダ"_s);
    QCOMPARE(f.list.model().row(sub).iconKey, f.state.icons.FolderClose);
    QVERIFY(!f.list.model()
                 .data(f.list.model().index(sub, 0), Qt::DecorationRole)
                 .value<QIcon>()
                 .isNull());
    // A read-only folder with a special folder's name gets its own picture, in the read-only
    // colour; a writable one is a plain folder.
    const FileRow& music = f.rowOf(p + u"Musik");
    QCOMPARE(music.iconKey, f.state.icons.MyMusic);
    QCOMPARE(music.foreColor, qRgb(0, 128, 0));
    special.music = u"sub"_s;
    f.list.setSpecialFolders(special);
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.rowOf(p + u"sub").iconKey, f.state.icons.FolderClose);

    // By size, folders come after every file.
    f.list.ColumnClick(3);  // descending
    f.list.ColumnClick(3);  // ascending
    QVERIFY(f.list.model().isFolderRow(3) && f.list.model().isFolderRow(4));

    // The normal mode never lists folders.
    f.list.setFileViewPressed(false);
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.StatusText(), u"1個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
}

void TestFileList::attributesDecideShowingAndColour() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"plain.mpg");
    makeFile(p + u".hidden.mpg");
    makeFile(p + u"locked.mpg");
    makeFile(p + u".hiddenlocked.mpg");
    for (const char16_t* name : {u"locked.mpg", u".hiddenlocked.mpg"}) {
        QCOMPARE(chmod(QFile::encodeName(p + QStringView(name)).constData(), 0444), 0);
    }
    QCOMPARE(mkfifo(QFile::encodeName(p + u"pipe.mpg").constData(), 0644), 0);

    struct Case {
        qint16 system, hidden, readOnly;
        QStringList shown;
    };
    const QList<Case> cases = {
        {0, 0, 0, {u"plain.mpg"_s}},
        {1, 0, 0, {u"pipe.mpg"_s, u"plain.mpg"_s}},
        {0, 1, 0, {u".hidden.mpg"_s, u".hiddenlocked.mpg"_s, u"plain.mpg"_s}},
        {0, 0, 1, {u"locked.mpg"_s, u"plain.mpg"_s}},
    };
    Fixture f;
    for (const Case& c : cases) {
        f.state.mSystemAtr = c.system;
        f.state.mHiddenAtr = c.hidden;
        f.state.mReadOnlyAtr = c.readOnly;
        f.list.ListFolder(dir.path(), false);
        QCOMPARE(f.names(), c.shown);
    }
    // The attribute found first decides the colour: a hidden read-only file is hidden.
    f.state.mSystemAtr = f.state.mHiddenAtr = f.state.mReadOnlyAtr = 1;
    f.list.ListFolder(dir.path(), true);  // icon view: a pipe is never opened
    QCOMPARE(f.list.rowCount(), 5);
    QCOMPARE(f.rowOf(p + u"pipe.mpg").foreColor, qRgb(0, 0, 192));
    QCOMPARE(f.rowOf(p + u".hiddenlocked.mpg").foreColor, qRgb(128, 0, 128));
    QCOMPARE(f.rowOf(p + u"locked.mpg").foreColor, qRgb(0, 128, 0));
    QCOMPARE(f.rowOf(p + u"plain.mpg").foreColor, qRgb(0, 0, 0));
    const int locked = f.list.rowOfKey(p + u"locked.mpg");
    QCOMPARE(f.list.model()
                 .data(f.list.model().index(locked, 2), Qt::ForegroundRole)
                 .value<QBrush>()
                 .color(),
             QColor(0, 128, 0));
}

void TestFileList::iconViewAsksOncePerKindAndRegistersIcons() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    for (const char16_t* name : {u"a.mpg", u"b.mpg", u"C.MPG", u"d.avi", u"Tool", u"Run.desktop",
                                 u"game.exe", u"pic.ico", u"script.sh"}) {
        makeFile(p + QStringView(name));
    }
    QCOMPARE(chmod(QFile::encodeName(p + u"script.sh").constData(), 0755), 0);

    Fixture f;
    auto source = std::make_unique<CountingSource>(f.images);
    CountingSource& counts = *source;
    f.list.setIconSource(std::move(source));
    f.list.setFileViewPressed(true);
    f.list.ListFolder(dir.path(), true);
    QCOMPARE(f.list.rowCount(), 9);
    // One question per extension (any case), one per file for the kinds with their own icon.
    QCOMPARE(counts.byExtension, 2);
    QCOMPARE(counts.perFile, 5);
    const FileRow& a = f.rowOf(p + u"a.mpg");
    QCOMPARE(a.iconKey, u"tmpgt"_s);
    QCOMPARE(f.rowOf(p + u"C.MPG").iconKey, u"tmpgt"_s);
    QCOMPARE(f.rowOf(p + u"C.MPG").type, a.type);
    QVERIFY(a.type.startsWith(u' ') && a.type.size() > 1);
    QCOMPARE(f.rowOf(p + u"Tool").iconKey, u't' + (p + u"Tool").toLower() + u't');
    QCOMPARE(f.rowOf(p + u"Tool").ext, msg(browser_msg::kNoExtension));
    QCOMPARE(f.rowOf(p + u"script.sh").iconKey, u't' + (p + u"script.sh").toLower() + u't');
    for (int r = 0; r < f.list.rowCount(); ++r) {
        QVERIFY(f.images.contains(f.list.model().row(r).iconKey));
        QVERIFY(!f.list.model()
                     .data(f.list.model().index(r, 0), Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
    }
    QVERIFY(f.dialogs.calls().isEmpty());

    // The icon view follows the disk too: a file made by another program comes with its icon.
    makeFile(p + u"e.ogg");
    QTRY_COMPARE(f.list.rowCount(), 10);
    QVERIFY(f.images.contains(f.rowOf(p + u"e.ogg").iconKey));

    // Icons off: no icon and an empty type.
    f.list.ListFolder(dir.path(), false);
    QVERIFY(f.rowOf(p + u"a.mpg").iconKey.isEmpty());
    QCOMPARE(f.rowOf(p + u"a.mpg").type, u" "_s);
}

void TestFileList::iconFailuresAreToldOnce() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"a.mpg");
    makeFile(p + u"b.mpg");
    Fixture f;
    f.list.setIconSource(std::make_unique<CountingSource>(f.images, CountingSource::Mode::NoIcon));
    f.list.ListFolder(dir.path(), true);
    QCOMPARE(f.list.rowCount(), 2);
    const QList<ScriptedDialogs::Call> messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].text == p + u"a.mpgのアイコンファイルの取得に失敗しました。" ||
            messages[0].text == p + u"b.mpgのアイコンファイルの取得に失敗しました。");
    QVERIFY(messages[0].icon == MsgIcon::Information);
    QVERIFY(f.list.model().row(0).iconKey.isEmpty());
    QVERIFY(f.list.model().row(1).iconKey.isEmpty());
}

void TestFileList::failureGoesToErrorBoxAndListRecovers() {
    QTemporaryDir dir;
    makeFile(dir.path() + u"/a.mpg");
    Fixture f;
    f.list.setIconSource(std::make_unique<CountingSource>(f.images, CountingSource::Mode::Throw));
    f.list.ListFolder(dir.path(), true);
    const QList<ScriptedDialogs::Call> messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, errorBoxTitle());
    QVERIFY(messages[0].icon == MsgIcon::Critical);
    QCOMPARE(f.dialogs.beeps(), 1);
    QVERIFY(f.view.updatesEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // The next listing works as before.
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.rowCount(), 1);
}

void TestFileList::sortMarksAndOrders() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"a.mpg", 1536 * 1024, 2001);  // "1.50 MB"
    makeFile(p + u"b.mpg", 980 * 1024, 2003);   // "980 KB"
    makeFile(p + u"C.mpg", 10, 2002);
    makeFile(p + u"d.mpg", 0, 2000);

    Fixture f;
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.names(), QStringList({u"a.mpg"_s, u"b.mpg"_s, u"C.mpg"_s, u"d.mpg"_s}));
    QCOMPARE(f.title(0), u"▲ 名前"_s);
    f.list.selectRow(f.list.rowOfKey(p + u"b.mpg"));

    struct Step {
        int column;
        QStringList names;
        QString title;
    };
    // Every click flips the order; a click on a new title moves the mark there.
    const QList<Step> steps = {
        {3, {u"a.mpg"_s, u"b.mpg"_s, u"C.mpg"_s, u"d.mpg"_s}, u"▼ サイズ(KB)"_s},
        {3, {u"d.mpg"_s, u"C.mpg"_s, u"b.mpg"_s, u"a.mpg"_s}, u"▲ サイズ(KB)"_s},
        {4, {u"b.mpg"_s, u"C.mpg"_s, u"a.mpg"_s, u"d.mpg"_s}, u"▼ 更新日付"_s},
        {5, {u"a.mpg"_s, u"b.mpg"_s, u"C.mpg"_s, u"d.mpg"_s}, u"▲ 種類"_s},
        {5, {u"d.mpg"_s, u"C.mpg"_s, u"b.mpg"_s, u"a.mpg"_s}, u"▼ 種類"_s},
        {1, {u"a.mpg"_s, u"b.mpg"_s, u"C.mpg"_s, u"d.mpg"_s}, u"▲ 名前"_s},
    };
    for (const Step& step : steps) {
        f.list.ColumnClick(step.column);
        QCOMPARE(f.names(), step.names);
        QCOMPARE(f.title(step.column - 1), step.title);
        int marks = 0;
        for (int section = 0; section < 5; ++section) {
            marks += f.title(section).contains(u'▲') || f.title(section).contains(u'▼');
        }
        QCOMPARE(marks, 1);
        QCOMPARE(int(f.state.mSortColumn), step.column);
        QCOMPARE(int(f.state.mSortOrder), step.title.startsWith(u'▲') ? 0 : 1);
        // The selection follows its row.
        QCOMPARE(f.list.SelectedPath(), QString(p + u"b.mpg"));
        QCOMPARE(f.list.rowOfKey(p + u"b.mpg"), step.names.indexOf(u"b.mpg"_s));
    }

    // Every listing sorts as the last click asked.
    f.state.mSortColumn = 3;
    f.state.mSortOrder = 1;
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.names(), QStringList({u"a.mpg"_s, u"b.mpg"_s, u"C.mpg"_s, u"d.mpg"_s}));
    QCOMPARE(f.title(2), u"▼ サイズ(KB)"_s);
    QCOMPARE(f.title(0), u"名前"_s);
}

void TestFileList::nameSortGroupsByType() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    for (const char16_t* name : {u"a.mpg", u"b.avi", u"c.mpg", u"d.avi"}) {
        makeFile(p + QStringView(name));
    }
    Fixture f;
    f.list.ListFolder(dir.path(), true);
    // Name first, then type: the rows come grouped by type, by name within each type.
    const QString avi = f.rowOf(p + u"b.avi").type;
    const QString mpg = f.rowOf(p + u"a.mpg").type;
    QVERIFY(avi != mpg);
    const QStringList aviFirst = {u"b.avi"_s, u"d.avi"_s, u"a.mpg"_s, u"c.mpg"_s};
    const QStringList mpgFirst = {u"a.mpg"_s, u"c.mpg"_s, u"b.avi"_s, u"d.avi"_s};
    QCOMPARE(f.names(), compareListText(avi, mpg) < 0 ? aviFirst : mpgFirst);
    // The extension title breaks ties by name.
    f.list.ColumnClick(2);
    QCOMPARE(f.names(), QStringList({u"c.mpg"_s, u"a.mpg"_s, u"d.avi"_s, u"b.avi"_s}));
}

// Names in their natural order on the model as every sort uses it: numbers by value in both
// widths, case and kana width together, the name pass of the other columns, names renamed or
// added later, a long list sorted in halves, and the plain order when it is off.
void TestFileList::naturalOrderOfNames() {
    const auto rowsOf = [](const QStringList& names) {
        std::vector<FileRow> rows;
        for (const QString& name : names) {
            FileRow row;
            row.key = u"/f/"_s + name;
            row.text = name;
            row.ext = name.section(u'.', -1);
            row.type = u" "_s;
            rows.push_back(row);
        }
        return rows;
    };
    const auto namesOf = [](const FileListModel& model) {
        QStringList names;
        for (int r = 0; r < model.count(); ++r) {
            names << model.row(r).text;
        }
        return names;
    };
    const QStringList given = {u"ｶﾞｲﾄﾞ 2.mp3"_s, u"x10.avi"_s,  u"ガイド 1.mp3"_s,
                               u"X9.mpg"_s,      u"x010.avi"_s, u"ガイド １０.mp3"_s,
                               u"b.avi"_s,       u"A.avi"_s};
    FileListModel model;
    model.setNaturalOrder(true);
    model.setRows(rowsOf(given));
    model.sortRows(1, 0);
    const QStringList natural = {u"A.avi"_s,       u"b.avi"_s,          u"X9.mpg"_s,
                                 u"x010.avi"_s,    u"x10.avi"_s,        u"ガイド 1.mp3"_s,
                                 u"ｶﾞｲﾄﾞ 2.mp3"_s, u"ガイド １０.mp3"_s};
    QCOMPARE(namesOf(model), natural);
    model.sortRows(1, 1);
    QStringList down = natural;
    std::reverse(down.begin(), down.end());
    QCOMPARE(namesOf(model), down);
    // The extension sort breaks its ties by the natural name.
    model.sortRows(2, 0);
    QCOMPARE(namesOf(model),
             QStringList({u"A.avi"_s, u"b.avi"_s, u"x010.avi"_s, u"x10.avi"_s, u"ガイド 1.mp3"_s,
                          u"ｶﾞｲﾄﾞ 2.mp3"_s, u"ガイド １０.mp3"_s, u"X9.mpg"_s}));
    // A renamed row sorts by its new name; a row added later finds its place.
    model.setText(model.rowOfKey(u"/f/A.avi"_s), u"x100.avi"_s);
    QVERIFY(model.addRow(rowsOf({u"x11.avi"_s}).front()));
    model.sortRows(1, 0);
    QCOMPARE(namesOf(model).mid(1, 5),
             QStringList({u"X9.mpg"_s, u"x010.avi"_s, u"x10.avi"_s, u"x11.avi"_s, u"x100.avi"_s}));

    // Off: the plain text order, exactly as before.
    model.setNaturalOrder(false);
    model.sortRows(1, 0);
    QStringList plain = namesOf(model);
    QStringList expected = plain;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QString& a, const QString& b) { return compareListText(a, b) < 0; });
    QCOMPARE(plain, expected);
    QCOMPARE(plain.indexOf(u"x100.avi"_s) < plain.indexOf(u"X9.mpg"_s), true);
    QVERIFY(compareNaturalNames(u"第2話", u"第１０話") < 0);
    QVERIFY(compareNaturalNames(u"track2", u"Track10") < 0);

    // A long list (sorted in two halves, its keys made on two threads) as a short one would be.
    QStringList many;
    for (int i = 0; i < 100000; ++i) {
        many << u"clip %1.avi"_s.arg((i * 7919) % 100000);
    }
    std::vector<FileRow> rows = rowsOf(many);
    FileListModel::sortFileRows(rows, 1, 0, true);
    for (size_t i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].text, u"clip %1.avi"_s.arg(i));
    }
}

void TestFileList::foldersThatCannotBeListedGiveEmptyList() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"a.mpg");
    Fixture f;
    for (const QString& path : QStringList{p + u"a.mpg", p + u"missing"}) {
        f.list.ListFolder(p, false);
        QCOMPARE(f.list.rowCount(), 1);
        f.list.ListFolder(path, false);
        QCOMPARE(f.list.rowCount(), 0);
        QCOMPARE(f.list.StatusText(), u"0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    }
    QVERIFY(f.dialogs.calls().isEmpty());

    if (geteuid() == 0) {
        QSKIP("the superuser reads a folder whatever its mode");
    }
    QVERIFY(QDir().mkdir(p + u"closed"));
    makeFile(p + u"closed/b.mpg");
    QCOMPARE(chmod(QFile::encodeName(p + u"closed").constData(), 0), 0);
    f.list.ListFolder(p + u"closed", false);
    chmod(QFile::encodeName(p + u"closed").constData(), 0755);
    QCOMPARE(f.list.rowCount(), 0);
    QCOMPARE(f.list.StatusText(), u"0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
}

// The key -> row look-up after every change a model sees: a listing's own index, rows added past
// the table's growth, taken out singly and in bulk, renamed, resorted and replaced.
void TestFileList::keysFindTheirRowsThroughEveryChange() {
    FileListModel model;
    const auto rowsOf = [](int from, int count) {
        std::vector<FileRow> rows;
        for (int i = from; i < from + count; ++i) {
            FileRow row;
            row.key = u"/f/%1.mpg"_s.arg(i, 5, 10, QChar(u'0'));
            row.text = row.key.mid(3);
            row.type = u" "_s;
            rows.push_back(row);
        }
        return rows;
    };
    std::vector<FileRow> rows = rowsOf(0, 100);
    RowKeyIndex index = RowKeyIndex::of(rows);
    model.setSortedRows(std::move(rows), 1, 0, std::move(index));
    QCOMPARE(model.rowOfKey(u"/f/00042.mpg"_s), 42);
    QCOMPARE(model.rowOfKey(u"/f/00100.mpg"_s), -1);
    for (FileRow& row : rowsOf(100, 200)) {  // grows the table twice
        QVERIFY(model.addRow(std::move(row)));
    }
    QVERIFY(!model.addRow(rowsOf(7, 1).front()));
    QCOMPARE(model.rowOfKey(u"/f/00299.mpg"_s), 299);
    QVERIFY(model.removeKey(u"/f/00000.mpg"_s));
    QCOMPARE(model.rowOfKey(u"/f/00299.mpg"_s), 298);
    QCOMPARE(model.removeKeys({u"/f/00001.mpg"_s, u"/f/00150.mpg"_s, u"/f/nothing"_s}), 2);
    QCOMPARE(model.rowOfKey(u"/f/00001.mpg"_s), -1);
    QCOMPARE(model.rowOfKey(u"/f/00151.mpg"_s), 148);
    QVERIFY(model.setKey(0, u"/f/renamed.mpg"_s));
    model.setText(0, u"renamed.mpg"_s);
    QCOMPARE(model.rowOfKey(u"/f/00002.mpg"_s), -1);
    QCOMPARE(model.rowOfKey(u"/f/renamed.mpg"_s), 0);
    QVERIFY(!model.setKey(1, u"/f/renamed.mpg"_s));
    model.sortRows(1, 1);
    QCOMPARE(model.rowOfKey(u"/f/renamed.mpg"_s), 0);  // "r" after the digits
    QCOMPARE(model.rowOfKey(u"/f/00299.mpg"_s), 1);
    const std::vector<int> found =
        model.rowsOfKeys({u"/f/00299.mpg"_s, u"/f/none"_s, u"/f/00299.mpg"_s});
    QCOMPARE(found, (std::vector<int>{1, -1, 1}));
    const std::vector<FileRow> given = model.replaceSortedRows(rowsOf(500, 3), 1, 0);
    QCOMPARE(given.size(), size_t(297));
    QCOMPARE(model.rowOfKey(u"/f/00502.mpg"_s), 2);
    QCOMPARE(model.rowOfKey(u"/f/00299.mpg"_s), -1);
}

// A long listing's batches: the first a little before the deadline, each later one after the
// listing has run as long again, none without new rows, none once the rows are many, and nothing
// more once the listing is given up.
void TestFileList::batchesComeOnTimeAndStopWhenLarge() {
    using namespace std::chrono;
    const ListingBatches::Clock::time_point start{};
    auto shared = std::make_shared<ListingBatches>(milliseconds(120), 1, 1, start);
    ListingBatches& batches = *shared;
    // Batches are sorted on a thread of their own: a take waits for it.
    const auto settle = [&batches] {
        for (int i = 0; i < 1000 && batches.preparing(); ++i) {
            QTest::qWait(5);
        }
    };
    const auto take = [&batches, &settle] {
        settle();
        return batches.take();
    };
    Listing soFar;
    const auto add = [&soFar](int count) {
        for (int i = 0; i < count; ++i) {
            FileRow row;
            row.key = u"/f/%1"_s.arg(soFar.rows.size());
            row.text = row.key.mid(3);
            soFar.rows.push_back(row);
            ++soFar.files;
        }
    };
    add(10);
    QVERIFY(batches.offer(soFar, start + milliseconds(50)));
    QVERIFY(!take().fresh);
    QVERIFY(batches.offer(soFar, start + milliseconds(80)));
    ListingBatches::Batch first = take();
    QVERIFY(first.fresh);
    QCOMPARE(first.rows.size(), size_t(10));
    QCOMPARE(first.rows.front().text, u"9"_s);  // sorted by name, descending
    QCOMPARE(first.keyRows.size(), size_t(10));
    add(5);
    QVERIFY(batches.offer(soFar, start + milliseconds(150)));  // before 160: too soon
    QVERIFY(!take().fresh);
    QVERIFY(batches.offer(soFar, start + milliseconds(170)));
    QCOMPARE(take().rows.size(), size_t(15));
    QVERIFY(batches.offer(soFar, start + milliseconds(400)));  // nothing new
    QVERIFY(!take().fresh);
    // Two batches the window did not take: the later one stands.
    add(1);
    QVERIFY(batches.offer(soFar, start + milliseconds(400)));
    settle();
    add(1);
    QVERIFY(batches.offer(soFar, start + milliseconds(900)));
    QCOMPARE(take().rows.size(), size_t(17));
    add(250000);
    QVERIFY(batches.offer(soFar, start + seconds(60)));
    QVERIFY(!take().fresh);
    batches.cancel();
    QVERIFY(!batches.offer(soFar, start + seconds(61)));
}

// A folder on a share that has stopped answering: the list says it is being read and the window
// goes on; the rows come when the share answers, and what waited for them runs then. A folder
// listed meanwhile wins over one still being read.
void TestFileList::slowFolderFillsLaterWithoutHoldingTheWindow() {
    QuietShare share({.delay = 30, .quiet = true});
    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    QTemporaryDir dir;
    makeFile(dir.path() + u"/local.mpg");
    Fixture f;
    f.state.mDspFile = u"*.mp3;*.mpg"_s;
    f.state.mReadOnlyAtr = 1;  // the share is read-only
    f.list.setListDeadline(std::chrono::milliseconds(50));
    const QString slow = share.path() + u"/folder1";

    QElapsedTimer clock;
    clock.start();
    f.list.ListFolder(slow, false);
    QVERIFY(clock.elapsed() < 10000);  // far less than the share's wait
    QVERIFY(f.list.isReading());
    QCOMPARE(f.list.rowCount(), 0);
    // The list keeps its last picture until the deadline, then says the folder is being read.
    QVERIFY(!f.list.view().updatesEnabled());
    QTRY_COMPARE(f.list.StatusText(), u"読み込み中…"_s);
    QVERIFY(f.list.view().updatesEnabled());
    QStringList steps;
    f.list.whenListed([&] { steps << u"listed %1"_s.arg(f.list.rowCount()); });
    QVERIFY(steps.isEmpty());
    share.setQuiet(false);
    QTRY_COMPARE_WITH_TIMEOUT(steps, QStringList{u"listed 3"_s}, 20000);
    QVERIFY(!f.list.isReading());
    QCOMPARE(f.names(), (QStringList{u"clip001.mp3"_s, u"clip002.mp3"_s, u"clip003.mp3"_s}));
    QCOMPARE(f.list.StatusText(), u"3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QVERIFY(f.list.selectedRow() == 0);

    // A file asked after while the share is quiet: no answer in time, and the window goes on.
    share.setQuiet(true);
    clock.restart();
    QCOMPARE(FileExistWithin(slow + u"/gone.mp3", std::chrono::milliseconds(25)), std::nullopt);
    QVERIFY(clock.elapsed() < 5000);
    share.setQuiet(false);
    QCOMPARE(FileExistWithin(slow + u"/gone.mp3", std::chrono::seconds(10)), false);

    // Going elsewhere while the share is quiet: the other folder shows at once, and neither the
    // share's rows nor the step that waited for them come later.
    share.setQuiet(true);
    f.list.ListFolder(share.path() + u"/folder2", false);
    QVERIFY(f.list.isReading());
    f.list.whenListed([&] { steps << u"forgotten"_s; });
    f.list.ListFolder(dir.path(), false);
    QVERIFY(!f.list.isReading());
    QCOMPARE(f.names(), QStringList{u"local.mpg"_s});
    share.setQuiet(false);
    QTest::qWait(1500);
    QCOMPARE(f.names(), QStringList{u"local.mpg"_s});
    QCOMPARE(steps, QStringList{u"listed 3"_s});
    QVERIFY(f.dialogs.calls().isEmpty());
}

// A folder that takes seconds to read shows its rows in batches as they come, sorted; a row the
// user selects meanwhile stays selected, and what waits for the listing runs once, at its end.
void TestFileList::longListingShowsBatchesWhereTheUserIs() {
    QuietShare share({.delay = 0.02, .quiet = true, .files = 120, .folders = 0});
    if (!share.available()) {
        QSKIP(qPrintable(share.whyNot()));
    }
    Fixture f;
    f.list.setListDeadline(std::chrono::milliseconds(120));
    f.list.setListWait(std::chrono::milliseconds(15));
    f.state.mDspFile = u"*.mp3"_s;
    f.state.mReadOnlyAtr = 1;  // the share is read-only
    f.state.mSortColumn = 1;
    f.state.mSortOrder = 1;  // by name, descending
    QStringList steps;
    f.list.ListFolder(share.path(), false);
    f.list.whenListed([&] { steps << u"listed %1"_s.arg(f.list.rowCount()); });
    QTRY_VERIFY_WITH_TIMEOUT(f.list.rowCount() >= 2, 10000);
    QVERIFY(f.list.isReading());
    QVERIFY(f.list.rowCount() < 120);
    QCOMPARE(f.list.StatusText(), u"読み込み中…"_s);
    QVERIFY(steps.isEmpty());
    const QStringList firstBatch = f.names();
    QStringList sorted = firstBatch;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    QCOMPARE(firstBatch, sorted);
    QCOMPARE(f.list.selectedRow(), 0);

    // The user picks a row below the first while the rest comes (the first row, untouched,
    // stays first).
    const QString picked = f.list.keyOfRow(f.list.rowCount() - 1);
    f.list.selectRow(f.list.rowCount() - 1);
    QTRY_VERIFY_WITH_TIMEOUT(f.list.rowCount() > firstBatch.size(), 10000);
    QCOMPARE(f.list.SelectedPath(), picked);
    share.setQuiet(false);
    QTRY_COMPARE_WITH_TIMEOUT(steps, QStringList{u"listed 120"_s}, 20000);
    QVERIFY(!f.list.isReading());
    QCOMPARE(f.names().first(), u"clip120.mp3"_s);
    QCOMPARE(f.names().last(), u"clip001.mp3"_s);
    QCOMPARE(f.list.SelectedPath(), picked);
    QCOMPARE(f.list.selectedRows().size(), 1);
    QCOMPARE(f.list.StatusText(), u"120個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QCOMPARE(f.list.model().columnTitle(0).left(2), u"▼ "_s);
    QVERIFY(f.dialogs.calls().isEmpty());
}

// Files made, renamed and deleted by another program show within half a second or so, in the
// list's sort order; the selected row, the current row and a row's marks stay.
void TestFileList::rowsFollowWhatOtherProgramsDo() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"b.mpg");
    makeFile(p + u"d.mpg");
    Fixture f;
    f.list.ListFolder(dir.path(), false);
    f.list.ColumnClick(1);  // by name, descending
    QCOMPARE(f.names(), (QStringList{u"d.mpg"_s, u"b.mpg"_s}));
    f.list.selectRow(f.list.rowOfKey(p + u"b.mpg"));
    f.list.model().setForeColor(f.list.rowOfKey(p + u"b.mpg"), qRgb(255, 0, 0));
    const auto shell = [&dir](const QString& script) {
        QProcess sh;
        sh.setWorkingDirectory(dir.path());
        sh.start(u"/bin/sh"_s, {u"-c"_s, script});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.exitCode(), 0);
    };

    shell(u"touch c.mpg e.mpg skipped.txt; mkdir sub"_s);
    QTRY_COMPARE_WITH_TIMEOUT(f.names(),
                              (QStringList{u"e.mpg"_s, u"d.mpg"_s, u"c.mpg"_s, u"b.mpg"_s}), 5000);
    QCOMPARE(f.list.StatusText(), u"4個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);
    QCOMPARE(f.list.SelectedPath(), p + u"b.mpg");
    QCOMPARE(f.list.selectedRows(), QList<int>{3});
    QCOMPARE(f.list.model().row(3).foreColor, qRgb(255, 0, 0));

    shell(u"mv e.mpg a.mpg; rm d.mpg; printf 12345 > c.mpg"_s);
    QTRY_COMPARE_WITH_TIMEOUT(f.names(), (QStringList{u"c.mpg"_s, u"b.mpg"_s, u"a.mpg"_s}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(f.list.model().row(0).bytes, qint64(5), 5000);
    QCOMPARE(f.list.SelectedPath(), p + u"b.mpg");
    QCOMPARE(f.list.model().row(1).foreColor, qRgb(255, 0, 0));
    QCOMPARE(f.list.StatusText(), u"3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);

    // A burst is taken in a few looks, never one listing per file.
    shell(u"i=0; while [ $i -lt 2000 ]; do : > burst$i.mpg; i=$((i+1)); done"_s);
    QTRY_COMPARE_WITH_TIMEOUT(f.list.rowCount(), 2003, 10000);
    QCOMPARE(f.list.SelectedPath(), p + u"b.mpg");

    // The folder itself goes: its rows go with it.
    QVERIFY(QDir(dir.path()).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(f.list.rowCount(), 0, 5000);
    QVERIFY(f.dialogs.calls().isEmpty());
}

void TestFileList::undecodableNameLeadsBackToFile() {
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path()) + "/caf\xe9 \xff.mpg";
    const int fd = open(raw.constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    close(fd);
    // QTemporaryDir cannot name this file to remove it.
    const auto removeFile = qScopeGuard([&] { unlink(raw.constData()); });

    Fixture f;
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.rowCount(), 1);
    const QString key = f.list.keyOfRow(0);
    QCOMPARE(encodeFileName(key), raw);
    QCOMPARE(access(encodeFileName(key).constData(), F_OK), 0);
    QCOMPARE(f.cell(0, FileListModel::NameColumn), u"caf\uFFFD \uFFFD.mpg"_s);
    QCOMPARE(f.cell(0, FileListModel::ExtColumn), u"mpg"_s);
}

void TestFileList::clicksAndKeysBecomeRequests() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    for (const char16_t* name : {u"a.mpg", u"b.mpg", u"c.mpg"}) {
        makeFile(p + QStringView(name));
    }
    QVERIFY(QDir().mkdir(p + u"sub"));

    Fixture f;
    QCOMPARE(f.list.menuState(), (ListMenuState{false, false}));
    f.view.resize(500, 300);
    f.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.menuState(), (ListMenuState{true, true}));
    QWidget* viewport = f.view.viewport();
    auto centre = [&](int row) { return f.view.visualRect(f.list.model().index(row, 0)).center(); };

    QSignalSpy play(&f.list, &FileList::playRequested);
    QSignalSpy open(&f.list, &FileList::openFolderRequested);
    QSignalSpy menu(&f.list, &FileList::contextMenuRequested);
    QSignalSpy focus(&f.list, &FileList::gotFocus);

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(1));
    QCOMPARE(play.count(), 1);
    QCOMPARE(play.at(0).at(0).toInt(), 2);
    QCOMPARE(f.list.SelectedPath(), QString(p + u"b.mpg"));

    QTest::mousePress(viewport, Qt::RightButton, {}, centre(2));
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(1).value<ListMenuState>(), (ListMenuState{true, true}));
    QCOMPARE(f.list.SelectedPath(), QString(p + u"c.mpg"));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, centre(2));

    // The cursor over a row: the hit test finds it, for the list only.
    QCursor::setPos(viewport->mapToGlobal(centre(0)));
    QCOMPARE(f.list.ListHitTest(&f.view), 0);
    QCOMPARE(f.list.ListHitTest(nullptr), -1);

    f.view.setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(focus.count() >= 1 || f.view.hasFocus(), 2000);
    const QModelIndex current = f.view.currentIndex();
    // Typing does not jump to a row (the window's keys are the input map's).
    QTest::keyClick(&f.view, Qt::Key_C);
    QCOMPARE(f.view.currentIndex(), current);
    f.list.SetAllListItemsState(true);
    QCOMPARE(f.list.selectedRows().size(), 3);
    f.list.SetAllListItemsState(false);
    QCOMPARE(f.list.selectedRows().size(), 0);

    // A folder row opens the folder; the file-view menu hides the playback items.
    f.state.mFolderDsp = 1;
    f.list.setFileViewPressed(true);
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.menuState(), (ListMenuState{false, true}));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(f.list.rowOfKey(p + u"sub")));
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), QString(p + u"sub"));
    QCOMPARE(play.count(), 1);
}

void TestFileList::columnsAndGridLines() {
    QTemporaryDir dir;
    const QString longName = u"a rather long name of a film clip, for the width.mpg"_s;
    makeFile(dir.path() + u'/' + longName);
    Fixture f;
    f.view.resize(500, 300);
    f.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    f.list.CreateColumns();
    const QFontMetrics metrics = f.view.fontMetrics();
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(f.view.header()->sectionSize(c),
                 metrics.horizontalAdvance(msg(browser_msg::kListColumnWidthTexts[c])));
        QCOMPARE(f.title(c), msg(browser_msg::kListColumnTitles[c]));
    }
    const auto alignment = [&](int c) {
        return f.list.model().headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
               Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(1), int(Qt::AlignRight));
    QCOMPARE(alignment(2), int(Qt::AlignRight));
    QCOMPARE(alignment(3), int(Qt::AlignLeft));

    f.state.mAutoColumFlg = 1;  // widths kept
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.view.header()->sectionSize(0),
             metrics.horizontalAdvance(msg(browser_msg::kListColumnWidthTexts[0])));
    f.state.mAutoColumFlg = 0;  // fitted to the rows
    f.list.ListFolder(dir.path(), false);
    QVERIFY(f.view.header()->sectionSize(0) >= metrics.horizontalAdvance(longName));

    const QImage plain = f.view.viewport()->grab().toImage();
    f.list.setGridLines(true);
    QVERIFY(f.view.gridLines());
    const QImage grid = f.view.viewport()->grab().toImage();
    QVERIFY(plain != grid);
    f.list.setGridLines(false);
    QCOMPARE(f.view.viewport()->grab().toImage(), plain);
}

void TestFileList::rowEditsByKey() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    makeFile(p + u"a.mpg");
    makeFile(p + u"b.mpg");
    Fixture f;
    f.list.ListFolder(dir.path(), false);
    FileListModel& model = f.list.model();

    FileRow added;
    added.key = p + u"new";
    added.text = u"new"_s;
    added.folder = true;
    added.sizeText = msg(browser_msg::kFolderSizeAdded);
    QVERIFY(model.addRow(added));
    QVERIFY(!model.addRow(added));  // its key is taken
    QCOMPARE(model.rowOfKey(p + u"new"), 2);
    QCOMPARE(f.cell(2, FileListModel::SizeColumn), u"フォルダﾞ"_s);

    FileRow other;
    other.key = p + u"x";
    other.sizeText = u"フォルダﾞ"_s;
    QVERIFY(model.addRow(other));
    QVERIFY(model.isFolderRow(3));  // told by its size text alone

    QVERIFY(!model.setKey(0, p + u"b.mpg"));
    QVERIFY(model.setKey(0, p + u"z.mpg"));
    QCOMPARE(model.rowOfKey(p + u"z.mpg"), 0);
    QCOMPARE(model.rowOfKey(p + u"a.mpg"), -1);
    QVERIFY(model.removeKey(p + u"b.mpg"));
    QCOMPARE(model.rowOfKey(p + u"new"), 1);
    QVERIFY(!model.removeKey(p + u"b.mpg"));

    model.setForeColor(0, qRgb(255, 0, 0));
    model.setBold(0, true);
    model.setToolTip(0, u"a.mpgは、再生しています。"_s);
    model.setIconKey(0, u"PlayDwn"_s);
    const QModelIndex first = model.index(0, 0);
    QCOMPARE(model.data(first, Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    QVERIFY(model.data(first, Qt::FontRole).value<QFont>().bold());
    QCOMPARE(model.data(first, Qt::ToolTipRole).toString(), u"a.mpgは、再生しています。"_s);
    QVERIFY(!model.data(first, Qt::DecorationRole).value<QIcon>().isNull());
}

void TestFileList::goneRowsLeaveInRunsOrAtOnce() {
    QTemporaryDir dir;
    const QString p = dir.path() + u'/';
    for (int i = 0; i < 60; ++i) {
        makeFile(p + QString::asprintf("f%02d.mpg", i));
    }
    Fixture f;
    f.list.ListFolder(dir.path(), false);
    QCOMPARE(f.list.rowCount(), 60);

    // A few runs go one by one; a key not listed and a file still there are passed over.
    QStringList keys = {p + u"f03.mpg", p + u"f04.mpg", p + u"f10.mpg", p + u"nothing.mpg"};
    for (const QString& key : keys.mid(0, 3)) {
        QVERIFY(QFile::remove(key));
    }
    keys << p + u"f20.mpg";
    QCOMPARE(f.list.removeGoneRows(keys), 3);
    QCOMPARE(f.list.rowCount(), 57);
    QCOMPARE(f.list.rowOfKey(p + u"f05.mpg"), 3);
    QCOMPARE(f.list.StatusText(), u"57個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"_s);

    // Every other row: many runs, taken out at once; the key index follows.
    keys.clear();
    for (int i = 21; i < 60; i += 2) {
        keys << p + QString::asprintf("f%02d.mpg", i);
        QVERIFY(QFile::remove(keys.last()));
    }
    QCOMPARE(f.list.removeGoneRows(keys), 20);
    QCOMPARE(f.list.rowCount(), 37);
    QCOMPARE(f.list.rowOfKey(p + u"f59.mpg"), -1);
    QCOMPARE(f.list.rowOfKey(p + u"f58.mpg"), 36);
    QCOMPARE(f.list.keyOfRow(17), p + u"f20.mpg");
}

void TestFileList::dragDataKeepsNameBytes() {
    const QString odd = decodeFileName(QByteArray("/tmp/caf\xe9 #1.mpg"));
    const QString plain = u"/tmp/日本語 a%b.mpg"_s;
    std::unique_ptr<QMimeData> rows(makeDragData(DropKind::ListRows, {odd, plain}));
    QCOMPARE(dropKindOf(rows.get()), DropKind::ListRows);
    QCOMPARE(droppedPaths(rows.get()), (QStringList{odd, plain}));
    QCOMPARE(rows->urls().at(1).toLocalFile(), plain);  // other programs read the same path
    std::unique_ptr<QMimeData> folder(makeDragData(DropKind::TreeFolder, {plain}));
    QCOMPARE(dropKindOf(folder.get()), DropKind::TreeFolder);

    // From elsewhere: local files only; nothing usable is no drop at all.
    QMimeData outside;
    outside.setUrls({QUrl(u"https://example.org/a.mpg"_s), QUrl::fromLocalFile(plain)});
    QCOMPARE(dropKindOf(&outside), DropKind::OutsideItems);
    QCOMPARE(droppedPaths(&outside), QStringList{plain});
    QMimeData text;
    text.setText(u"/tmp/a.mpg"_s);
    QCOMPARE(dropKindOf(&text), DropKind::None);
}

QTEST_MAIN(TestFileList)
#include "tst_file_list.moc"
