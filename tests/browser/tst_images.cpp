#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>

#include "browser/image_list.h"

namespace {

// Every picture the program looks up by key: both icon-key sets, the volume kinds, the generic
// file icons of the icon view, the play marks and the player images, and the toolbar images.
QStringList builtinKeys() {
    QStringList keys = {
        QStringLiteral("FolderClose"),    QStringLiteral("FolderOpen"),
        QStringLiteral("DeskTopXp"),      QStringLiteral("MyNetXp"),
        QStringLiteral("MyDocXp"),        QStringLiteral("UpOneXp"),
        QStringLiteral("FavoritesXp"),    QStringLiteral("MyMusicXp"),
        QStringLiteral("MyPictureXp"),    QStringLiteral("MyVideoXp"),
        QStringLiteral("FolderClose98"),  QStringLiteral("FolderOpen98"),
        QStringLiteral("DeskTop98"),      QStringLiteral("MyNet98"),
        QStringLiteral("MyDoc98"),        QStringLiteral("UpOne98"),
        QStringLiteral("Favorites98"),    QStringLiteral("MyPicture98"),
        QStringLiteral("DriveRoot"),      QStringLiteral("DriveFixed"),
        QStringLiteral("DriveRemovable"), QStringLiteral("DriveCdrom"),
        QStringLiteral("DriveNetwork"),   QStringLiteral("DriveRamdisk"),
        QStringLiteral("DriveHome"),      QStringLiteral("FileGeneric"),
        QStringLiteral("FileAudio"),      QStringLiteral("FileVideo"),
        QStringLiteral("FileImage"),      QStringLiteral("FileArchive"),
        QStringLiteral("FileText"),       QStringLiteral("FileExecutable"),
        QStringLiteral("FileLink"),       QStringLiteral("PlayDwn"),
        QStringLiteral("PlayUp"),         QStringLiteral("NextDwn"),
        QStringLiteral("NextUp"),         QStringLiteral("PLAY_END_KEY"),
        QStringLiteral("LOOP_KEY"),       QStringLiteral("Play"),
        QStringLiteral("Pause"),
    };
    for (int n = 1; n <= 21; ++n) {
        keys << QStringLiteral("Toolbar%1").arg(n, 2, 10, QLatin1Char('0'));
    }
    return keys;
}

}  // namespace

class TestImages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_images = ImageList::withBuiltinImages(); }
    void everyKeyIsBuiltIn();
    void everyPictureDraws_data();
    void everyPictureDraws();
    void pictureFilesUseOneDrawingGrid();

private:
    ImageList m_images;
};

void TestImages::everyKeyIsBuiltIn() {
    QStringList missing;
    for (const QString& key : builtinKeys()) {
        if (!m_images.contains(key)) {
            missing << key;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void TestImages::everyPictureDraws_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("extent");
    for (const QString& key : builtinKeys()) {
        for (const int extent : {16, 24}) {
            QTest::addRow("%s@%d", qPrintable(key), extent) << key << extent;
        }
    }
}

void TestImages::everyPictureDraws() {
    QFETCH(QString, key);
    QFETCH(int, extent);
    const QIcon icon = m_images.icon(key);
    QVERIFY(!icon.isNull());

    const QImage image =
        icon.pixmap(QSize(extent, extent)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(extent, extent));
    int painted = 0;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            painted += alpha > 0 ? 1 : 0;
            opaque += alpha == 255 ? 1 : 0;
        }
    }
    // A picture that fails to parse or draws off the canvas leaves the pixmap (almost) empty; every
    // real one covers a good part of its square with solid colour.
    QVERIFY2(painted * 5 >= extent * extent, qPrintable(QString::number(painted)));
    QVERIFY2(opaque > 0, qPrintable(key));
}

void TestImages::pictureFilesUseOneDrawingGrid() {
    // Anything the SVG renderer cannot draw it only warns about, so warnings count as failures.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    for (const QString& key : builtinKeys()) {
        const QSvgRenderer renderer(QStringLiteral(":/images/%1.svg").arg(key));
        QVERIFY2(renderer.isValid(), qPrintable(key));
        QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 16, 16));
    }
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
