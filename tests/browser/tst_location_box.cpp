#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "browser/image_list.h"
#include "browser/location_box.h"
#include "browser/messages.h"
#include "browser/volume_names.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"

using namespace Qt::StringLiterals;

namespace {

struct Harness {
    Module1 module;
    ImageList images = ImageList::withBuiltinImages();
    ScriptedDialogs dialogs;
    QComboBox combo;
    LocationBox box{combo, module, images, dialogs};

    explicit Harness(const QString& osName = u"Windows XP"_s) {
        module.icons = IconKeySet::forOsName(osName);
    }
    QStringList column(int role) const {
        QStringList values;
        for (int i = 0; i < combo.count(); ++i) {
            values << (role == Qt::DisplayRole ? combo.itemText(i)
                                               : combo.itemData(i, role).toString());
        }
        return values;
    }
};

QString text(const char16_t* constant) {
    return QString::fromUtf16(constant);
}

// A machine with every kind of volume; the USB stick's label comes from labels.
QList<Volume> sampleVolumes(const QString& stickDevice) {
    return {
        {u"/"_s, u"ext4"_s, u"/dev/sda1"_s, DriveType::Fixed, true},
        {u"/home"_s, u"ext4"_s, u"/dev/sda2"_s, DriveType::Fixed, true},
        {u"/media/me/STICK"_s, u"vfat"_s, stickDevice, DriveType::Removable, true},
        {u"/mnt/nas"_s, u"cifs"_s, u"//server/music"_s, DriveType::Remote, true},
        {u"/mnt/cd"_s, u"iso9660"_s, u"/dev/sr0"_s, DriveType::CdRom, false},
    };
}

}  // namespace

class TestLocationBox : public QObject {
    Q_OBJECT

private slots:
    void itemsInOrderWithKeysTextsAndPictures();
    void labelsFromTheLabelFolder();
    void selectionByKeyAndUserChoice();
    void missingPictureIsToldAndTheItemStays();
    void thisMachine();
};

void TestLocationBox::itemsInOrderWithKeysTextsAndPictures() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString device = dir.filePath(u"sdz1"_s);
    QHash<QString, QString> labels{{device, u"Photos 2024"_s}};

    for (const QString& osName : {u"Windows XP"_s, u"Linux"_s}) {
        Harness h(osName);
        h.box.FillLocationBox(sampleVolumes(device), labels);
        // Filling again starts afresh.
        h.box.FillLocationBox(sampleVolumes(device), labels);

        QCOMPARE(h.column(LocationBox::KeyRole),
                 QStringList({u"DeskTop"_s, u"MyDocments"_s, u"/"_s, u"/home"_s,
                              u"/media/me/STICK"_s, u"/mnt/nas"_s, u"/mnt/cd"_s}));
        QCOMPARE(h.column(Qt::DisplayRole),
                 QStringList(
                     {text(browser_msg::kLocationDeskTop), text(browser_msg::kLocationMyDocuments),
                      browser_msg::volumeName(text(browser_msg::kVolumeRootName), u"/"_s),
                      browser_msg::volumeName(text(browser_msg::kVolumeHomeName), u"/home"_s),
                      u"Photos 2024 (/media/me/STICK)"_s, u"nas (/mnt/nas)"_s, u"cd (/mnt/cd)"_s}));
        QCOMPARE(
            h.column(LocationBox::ImageKeyRole),
            QStringList({h.module.icons.DeskTop, h.module.icons.MyDoc, u"ICON:root"_s,
                         u"ICON:home"_s, u"ICON:removable"_s, u"ICON:network"_s, u"ICON:cdrom"_s}));
        for (int i = 0; i < h.combo.count(); ++i) {
            QVERIFY2(!h.combo.itemIcon(i).isNull(), qPrintable(h.combo.itemText(i)));
        }
        QVERIFY(h.images.contains(u"ICON:network"_s));
        QVERIFY(h.dialogs.calls().isEmpty());
    }
}

void TestLocationBox::labelsFromTheLabelFolder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(u"by-label"_s));
    QVERIFY(QDir(dir.path()).mkpath(u"by-uuid"_s));
    const QString device = dir.filePath(u"sdz1"_s);
    const QString second = dir.filePath(u"sdz2"_s);
    for (const QString& path : {device, second}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // udev escapes blanks and slashes; a label may be Japanese.
    QVERIFY(QFile::link(u"../sdz1"_s, dir.filePath(u"by-label/MY\\x20DISK\\x2f1"_s)));
    QVERIFY(QFile::link(u"../sdz2"_s, dir.filePath(u"by-label/写真"_s)));
    QVERIFY(QFile::link(u"../sdz1"_s, dir.filePath(u"by-uuid/1234-ABCD"_s)));
    QVERIFY(QFile::link(u"../gone"_s, dir.filePath(u"by-label/ORPHAN"_s)));

    const QHash<QString, QString> labels = readVolumeLabels(dir.filePath(u"by-label"_s));
    QCOMPARE(labels.size(), 2);  // the dangling link names no device
    QCOMPARE(labels.value(second), u"写真"_s);
    const QString label = labels.value(device);
    QCOMPARE(label, u"MY DISK/1"_s);

    // fstab names devices through other links; the label is found all the same.
    Volume byUuid{u"/mnt/disk"_s, u"ext4"_s, dir.filePath(u"by-uuid/1234-ABCD"_s), DriveType::Fixed,
                  false};
    QCOMPARE(volumeLabel(byUuid, labels), label);
    QCOMPARE(volumeDisplayName(byUuid, labels), browser_msg::volumeName(label, u"/mnt/disk"_s));
    // Without a label the mount point's last part names it; a blank label counts as none.
    Volume plain{u"/media/me/Data Disk"_s, u"ext4"_s, u"/dev/sdq9"_s, DriveType::Fixed, true};
    QCOMPARE(volumeDisplayName(plain, labels), u"Data Disk (/media/me/Data Disk)"_s);
    QCOMPARE(volumeDisplayName(plain, {{u"/dev/sdq9"_s, u"  "_s}}),
             u"Data Disk (/media/me/Data Disk)"_s);
    // "/" and "/home" keep their role even when their file systems carry labels.
    Volume root{u"/"_s, u"ext4"_s, device, DriveType::Fixed, true};
    QCOMPARE(volumeDisplayName(root, labels), u"ルート (/)"_s);
}

void TestLocationBox::selectionByKeyAndUserChoice() {
    Harness h;
    h.box.FillLocationBox(sampleVolumes(u"/dev/sdb1"_s));
    QSignalSpy chosen(&h.box, &LocationBox::itemChosen);

    QVERIFY(h.box.selectKey(u"/home"_s));
    QCOMPARE(h.box.currentKey(), u"/home"_s);
    QCOMPARE(h.combo.currentText(), u"ホーム (/home)"_s);
    // Keys are exact: no prefix, no trailing slash, no other case.
    for (const QString& key : {u"/hom"_s, u"/home/"_s, u"/HOME"_s, u"deskTop"_s, QString()}) {
        QVERIFY2(!h.box.selectKey(key), qPrintable(key));
        QCOMPARE(h.box.currentKey(), u"/home"_s);
    }
    QVERIFY(h.box.selectKey(u"DeskTop"_s));
    QCOMPARE(h.combo.currentIndex(), 0);

    // A network folder on show: the box shows nothing, and a later selection still works.
    h.box.clearText();
    QCOMPARE(h.combo.currentText(), QString());
    QCOMPARE(h.box.currentKey(), QString());
    QVERIFY(h.box.selectKey(u"/mnt/nas"_s));
    QCOMPARE(chosen.count(), 0);  // the program's own selections are not the user's

    h.box.setItemText(u"/mnt/nas"_s, u"music"_s);
    QCOMPARE(h.box.itemText(u"/mnt/nas"_s), u"music"_s);
    QCOMPARE(h.box.itemText(u"/nowhere"_s), QString());
    QCOMPARE(h.box.currentKey(), u"/mnt/nas"_s);

    // The user moves to the next item: its key is reported.
    h.combo.show();
    QVERIFY(h.box.selectKey(u"/"_s));
    QTest::keyClick(&h.combo, Qt::Key_Down);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), u"/home"_s);

    // An editable box is emptied too.
    h.combo.setEditable(true);
    h.box.clearText();
    QCOMPARE(h.combo.currentText(), QString());
}

void TestLocationBox::missingPictureIsToldAndTheItemStays() {
    // No pictures of our own and no icon theme: every volume's picture is missing.
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"no-such-theme"_s);
    QIcon::setFallbackThemeName(u"no-such-theme"_s);
    Harness h;
    h.images = ImageList();
    h.box.FillLocationBox(sampleVolumes(u"/dev/sdb1"_s).mid(0, 3));

    QCOMPARE(h.combo.count(), 5);
    const QList<ScriptedDialogs::Call> messages = h.dialogs.messages();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages.at(0).text, browser_msg::listIconFailed(u"/"_s));
    QCOMPARE(messages.at(2).text, browser_msg::listIconFailed(u"/media/me/STICK"_s));
    QCOMPARE(toString(messages.at(0).icon), toString(MsgIcon::Information));
    QCOMPARE(h.combo.itemData(4, LocationBox::KeyRole).toString(), u"/media/me/STICK"_s);
}

void TestLocationBox::thisMachine() {
    Harness h;
    h.box.FillLocationBox();
    QVERIFY(h.combo.count() >= 3);
    QCOMPARE(h.combo.itemData(2, LocationBox::KeyRole).toString(), u"/"_s);
    QCOMPARE(h.combo.itemText(2), u"ルート (/)"_s);
    QVERIFY(h.dialogs.calls().isEmpty());
}

QTEST_MAIN(TestLocationBox)
#include "tst_location_box.moc"
