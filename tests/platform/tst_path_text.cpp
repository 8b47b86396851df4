#include <QtTest>

#include "platform/path_text.h"

using namespace Qt::StringLiterals;

namespace {

// A byte of a name that is not UTF-8, as decodeFileName keeps it.
QString kept(char16_t byte) {
    return QString(QChar(char16_t(0xDC00 + byte)));
}

// What each helper makes of one path.
struct PathRow {
    QString path;
    QString name;         // GetFileNm
    QString ext;          // GetExtName
    QString base;         // GetBaseNm
    QString parent;       // GetParentFolder
    QString noExtension;  // RemoveExtension
    QString prefix;       // folderPrefix
    QString key;          // folderKey
    bool clean;           // isCleanPath
    QString cleaned;      // cleanedPath
};

}  // namespace

Q_DECLARE_METATYPE(PathRow)

class TestPathText : public QObject {
    Q_OBJECT

private slots:
    void parts_data();
    void parts();
    void childKeys_data();
    void childKeys();
};

void TestPathText::parts_data() {
    QTest::addColumn<PathRow>("row");
    const QString folder = u"/d"_s + kept(0xE9) + u'r';
    const QString name = u'f' + kept(0x82) + u".o" + kept(0xFF) + u'g';
    const QString keptPath = folder + u'/' + name;
    const PathRow rows[] = {
        // The root and the paths next to it.
        {u"/"_s, u""_s, u""_s, u""_s, u""_s, u"/"_s, u"/"_s, u"/"_s, true, u"/"_s},
        {u"//"_s, u""_s, u""_s, u""_s, u""_s, u"//"_s, u"//"_s, u"/"_s, false, u"/"_s},
        {u"/a"_s, u"a"_s, u""_s, u"a"_s, u"/"_s, u"/a"_s, u"/a/"_s, u"/a"_s, true, u"/a"_s},
        {u"/a/"_s, u"a"_s, u""_s, u"a"_s, u"/"_s, u"/a/"_s, u"/a/"_s, u"/a"_s, false, u"/a"_s},
        {u""_s, u""_s, u""_s, u""_s, u""_s, u""_s, u"/"_s, u""_s, false, u""_s},

        // Files and folders.
        {u"/a/b.mp3"_s, u"b.mp3"_s, u"mp3"_s, u"b"_s, u"/a"_s, u"/a/b"_s, u"/a/b.mp3/"_s,
         u"/a/b.mp3"_s, true, u"/a/b.mp3"_s},
        {u"/a/b.tar.gz"_s, u"b.tar.gz"_s, u"gz"_s, u"b.tar"_s, u"/a"_s, u"/a/b.tar"_s,
         u"/a/b.tar.gz/"_s, u"/a/b.tar.gz"_s, true, u"/a/b.tar.gz"_s},
        {u"/a/README"_s, u"README"_s, u""_s, u"README"_s, u"/a"_s, u"/a/README"_s, u"/a/README/"_s,
         u"/a/README"_s, true, u"/a/README"_s},
        {u"/a/b"_s, u"b"_s, u""_s, u"b"_s, u"/a"_s, u"/a/b"_s, u"/a/b/"_s, u"/a/b"_s, true,
         u"/a/b"_s},
        {u"/a/b."_s, u"b."_s, u""_s, u"b"_s, u"/a"_s, u"/a/b"_s, u"/a/b./"_s, u"/a/b."_s, true,
         u"/a/b."_s},
        {u"/x/folder.d"_s, u"folder.d"_s, u"d"_s, u"folder"_s, u"/x"_s, u"/x/folder"_s,
         u"/x/folder.d/"_s, u"/x/folder.d"_s, true, u"/x/folder.d"_s},
        {u"/x.y/file"_s, u"file"_s, u""_s, u"file"_s, u"/x.y"_s, u"/x.y/file"_s, u"/x.y/file/"_s,
         u"/x.y/file"_s, true, u"/x.y/file"_s},
        {u"/a.b/c"_s, u"c"_s, u""_s, u"c"_s, u"/a.b"_s, u"/a.b/c"_s, u"/a.b/c/"_s, u"/a.b/c"_s,
         true, u"/a.b/c"_s},
        {u"/.hidden/a..b"_s, u"a..b"_s, u"b"_s, u"a."_s, u"/.hidden"_s, u"/.hidden/a."_s,
         u"/.hidden/a..b/"_s, u"/.hidden/a..b"_s, true, u"/.hidden/a..b"_s},
        {u"/home/u/.bashrc"_s, u".bashrc"_s, u"bashrc"_s, u""_s, u"/home/u"_s, u"/home/u/"_s,
         u"/home/u/.bashrc/"_s, u"/home/u/.bashrc"_s, true, u"/home/u/.bashrc"_s},
        // A closing "/" belongs to no name; an extension is taken off names only.
        {u"/music/album.v2/"_s, u"album.v2"_s, u"v2"_s, u"album"_s, u"/music"_s,
         u"/music/album.v2/"_s, u"/music/album.v2/"_s, u"/music/album.v2"_s, false,
         u"/music/album.v2"_s},
        {u"/a/b//"_s, u"b"_s, u""_s, u"b"_s, u"/a"_s, u"/a/b//"_s, u"/a/b//"_s, u"/a/b"_s, false,
         u"/a/b"_s},

        // Paths as they are written: only folderKey and cleanedPath make them plain.
        {u"//server/share"_s, u"share"_s, u""_s, u"share"_s, u"//server"_s, u"//server/share"_s,
         u"//server/share/"_s, u"/server/share"_s, false, u"/server/share"_s},
        {u"//server"_s, u"server"_s, u""_s, u"server"_s, u"/"_s, u"//server"_s, u"//server/"_s,
         u"/server"_s, false, u"/server"_s},
        {u"/a//b.c"_s, u"b.c"_s, u"c"_s, u"b"_s, u"/a/"_s, u"/a//b"_s, u"/a//b.c/"_s, u"/a/b.c"_s,
         false, u"/a/b.c"_s},
        {u"/a/./b"_s, u"b"_s, u""_s, u"b"_s, u"/a/."_s, u"/a/./b"_s, u"/a/./b/"_s, u"/a/./b"_s,
         false, u"/a/b"_s},
        {u"/a/../b"_s, u"b"_s, u""_s, u"b"_s, u"/a/.."_s, u"/a/../b"_s, u"/a/../b/"_s, u"/a/../b"_s,
         false, u"/b"_s},
        {u"dir/song.ogg"_s, u"song.ogg"_s, u"ogg"_s, u"song"_s, u"dir"_s, u"dir/song"_s,
         u"dir/song.ogg/"_s, u"dir/song.ogg"_s, false, u"dir/song.ogg"_s},
        {u"song.ogg"_s, u"song.ogg"_s, u"ogg"_s, u"song"_s, u""_s, u"song"_s, u"song.ogg/"_s,
         u"song.ogg"_s, false, u"song.ogg"_s},
        {u"x.txt"_s, u"x.txt"_s, u"txt"_s, u"x"_s, u""_s, u"x"_s, u"x.txt/"_s, u"x.txt"_s, false,
         u"x.txt"_s},

        // Names are text: Japanese and bytes kept from names that are not UTF-8 come through.
        {u"/音楽/曲.フラック"_s, u"曲.フラック"_s, u"フラック"_s, u"曲"_s, u"/音楽"_s,
         u"/音楽/曲"_s, u"/音楽/曲.フラック/"_s, u"/音楽/曲.フラック"_s, true,
         u"/音楽/曲.フラック"_s},
        {keptPath, name, u"o" + kept(0xFF) + u'g', u'f' + kept(0x82), folder,
         folder + u"/f" + kept(0x82), keptPath + u'/', keptPath, true, keptPath},
    };
    for (const PathRow& row : rows) {
        QTest::newRow(qPrintable(row.path.isEmpty() ? u"(empty)"_s : row.path)) << row;
    }
}

void TestPathText::parts() {
    QFETCH(PathRow, row);
    QCOMPARE(GetFileNm(row.path), row.name);
    QCOMPARE(GetExtName(row.path), row.ext);
    QCOMPARE(GetBaseNm(row.path), row.base);
    QCOMPARE(GetParentFolder(row.path), row.parent);
    QCOMPARE(RemoveExtension(row.path), row.noExtension);
    QCOMPARE(folderPrefix(row.path), row.prefix);
    QCOMPARE(folderKey(row.path), row.key);
    QCOMPARE(isCleanPath(row.path), row.clean);
    QCOMPARE(cleanedPath(row.path), row.cleaned);
}

void TestPathText::childKeys_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");

    QTest::newRow("under the root") << u"/"_s << u"usr"_s << u"/usr"_s;
    QTest::newRow("under a folder") << u"/media/usb"_s << u"Music"_s << u"/media/usb/Music"_s;
    QTest::newRow("folder given closed") << u"/a/"_s << u"b"_s << u"/a/b"_s;
    QTest::newRow("no folder") << u""_s << u"x"_s << u"/x"_s;
    QTest::newRow("kept bytes") << u"/a"_s << QString(u'n' + kept(0xE9))
                                << QString(u"/a/n" + kept(0xE9));
}

void TestPathText::childKeys() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, key);
    QCOMPARE(childKey(folder, name), key);
    // A child's parent is the folder it was made in.
    QCOMPARE(GetParentFolder(key), folder.isEmpty() ? u"/"_s : folderKey(folder));
    QCOMPARE(GetFileNm(key), name);
}

QTEST_APPLESS_MAIN(TestPathText)
#include "tst_path_text.moc"
