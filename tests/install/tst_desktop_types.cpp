#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <QtTest>

#include "player/media_kinds.h"

// The menu entries offer Quorvane in a file manager's "open with" for what it plays and for the
// archives it extracts: every playable extension the MIME database knows is covered by the main
// entry, both archive kinds by both entries, and every type named is one the database knows.
class TestDesktopTypes : public QObject {
    Q_OBJECT

private:
    // The MimeType list of a menu entry, each type and its aliases resolved to the database's name.
    static QSet<QString> typesOf(const QString& fileName, QStringList* unknown) {
        QFile file(QStringLiteral(QUORVANE_DATA_DIR "/") + fileName);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return {};
        }
        QSet<QString> types;
        const QMimeDatabase database;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.startsWith("MimeType=")) {
                continue;
            }
            const QStringList names =
                QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
            for (const QString& name : names) {
                const QMimeType type = database.mimeTypeForName(name);
                if (type.isValid()) {
                    types.insert(type.name());
                } else {
                    unknown->append(name);
                }
            }
        }
        return types;
    }

    static bool covered(const QSet<QString>& types, const QString& fileName) {
        const QList<QMimeType> candidates = QMimeDatabase().mimeTypesForFileName(fileName);
        for (const QMimeType& type : candidates) {
            if (types.contains(type.name())) {
                return true;
            }
        }
        return candidates.isEmpty();  // a name the database has no type for cannot be offered
    }

private slots:
    void entriesCoverWhatIsPlayedAndExtracted() {
        QStringList unknown;
        const QSet<QString> main =
            typesOf(QStringLiteral("org.quorvane.Quorvane.desktop"), &unknown);
        const QSet<QString> extract =
            typesOf(QStringLiteral("org.quorvane.Quorvane.ExtractHere.desktop"), &unknown);
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(u' ')));
        QVERIFY(!main.isEmpty());

        const QStringList played =
            mediaPlayerExtensions() + addedMediaExtensions() + realAudioExtensions();
        for (const QString& extension : played) {
            QVERIFY2(covered(main, u"clip." + extension), qPrintable(extension));
        }
        for (const char* type : {"inode/directory", "video/mp4", "audio/flac", "video/webm"}) {
            QVERIFY2(main.contains(QString::fromLatin1(type)), type);
        }

        for (const char* archive : {"a.zip", "a.lzh", "a.LZH", "a.lha"}) {
            const QString name = QString::fromLatin1(archive);
            QVERIFY2(covered(main, name) && covered(extract, name), archive);
            QVERIFY(!QMimeDatabase().mimeTypesForFileName(name).isEmpty());
        }
        // "ここに展開" is offered for archives only.
        QCOMPARE(extract.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDesktopTypes)
#include "tst_desktop_types.moc"
