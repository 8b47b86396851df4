// The list's name order through the window: numbered names in both widths, the column title
// clicked both ways, a relisting, the play list's next step, and the options dialog's tick.
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/main_menus.h"
#include "settings/options_dialog.h"
#include "test_media_window.h"

using namespace Qt::StringLiterals;

namespace {

QStringList shownNames(FileList& list) {
    QStringList names;
    for (int r = 0; r < list.rowCount(); ++r) {
        names << list.model().data(list.model().index(r, 0)).toString();
    }
    return names;
}

QStringList reversed(QStringList names) {
    std::reverse(names.begin(), names.end());
    return names;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestListOrder : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = freshFolder(m_dir, QStringLiteral("media"));
        m_ini = m_dir.filePath(QStringLiteral("quorvane.ini"));
        QFile::remove(m_ini);
        for (const QString& name : kNatural) {
            QVERIFY(QFile::copy(playerMedia("tone.wav"), m_folder + u'/' + name));
        }
    }

    void numbersSortByValueAndPlayInThatOrder() {
        MediaWindow w(m_ini, m_folder);
        QCOMPARE(shownNames(w.list()), kNatural);

        // The name title, clicked on screen, turns the order round, and again.
        QHeaderView* header = w.list().view().header();
        const QPoint nameTitle(header->sectionViewportPosition(0) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameTitle);
        QCOMPARE(shownNames(w.list()), reversed(kNatural));
        QCOMPARE(w.list().model().columnTitle(0), u"▼ 名前"_s);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameTitle);
        QCOMPARE(shownNames(w.list()), kNatural);

        // A relisting (F5) keeps it.
        w.key(Qt::Key_F5);
        QTRY_COMPARE(shownNames(w.list()), kNatural);

        // The next file is the next row shown: track10 follows Track2, 第2話 follows 第１話.
        w.list().SelectRowByKey(m_folder + u"/Track2.wav");
        w.key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), u"track10.wav"_s);
        w.list().SelectRowByKey(m_folder + u"/第１話.wav");
        w.key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), u"第2話.wav"_s);
        w.key(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(w.selectedName(), u"第１話.wav"_s);
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    void theOptionsTickTurnsItOffAndIsStoredOnlyOnChange() {
        {
            MediaWindow w(m_ini, m_folder);
            const MainMenus& m = w.parts.menus();
            // OK with the tick as it was: the file has no section for it.
            m.Opt[OptItem::Options]->trigger();
            Form2* dialog = w.parts.optionsDialog();
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->Check5()->text(), u"数字を数の大きさで並べる"_s);
            QVERIFY(dialog->Check5()->isChecked());
            QTest::mouseClick(dialog->Command2(0), Qt::LeftButton);
            QTRY_VERIFY(w.parts.optionsDialog() == nullptr);
            QVERIFY(!readBytes(m_ini).contains("NameOrder"));

            // Untick, cancel: nothing changes.
            m.Opt[OptItem::Options]->trigger();
            w.parts.optionsDialog()->Check5()->setChecked(false);
            QTest::mouseClick(w.parts.optionsDialog()->Command2(1), Qt::LeftButton);
            QTRY_VERIFY(w.parts.optionsDialog() == nullptr);
            QCOMPARE(shownNames(w.list()), kNatural);

            // Untick, OK: the list shows the names as plain text at once, and the file says so.
            m.Opt[OptItem::Options]->trigger();
            w.parts.optionsDialog()->Check5()->setChecked(false);
            QTest::mouseClick(w.parts.optionsDialog()->Command2(0), Qt::LeftButton);
            QTRY_VERIFY(w.parts.optionsDialog() == nullptr);
            QTRY_COMPARE(shownNames(w.list()), kPlain);
            QVERIFY(readBytes(m_ini).contains("[NameOrder]\r\nNatural=0\r\n") ||
                    readBytes(m_ini).contains("[NameOrder]\nNatural=0\n"));
            // Plain order plays in plain order too.
            w.list().SelectRowByKey(m_folder + u"/track10.wav");
            w.key(Qt::Key_Down, Qt::ControlModifier);
            QCOMPARE(w.selectedName(), u"Track2.wav"_s);
            w.form.close();
        }
        // A start on a file that says so keeps it off.
        MediaWindow again(m_ini, m_folder, "*.wav;", {}, {}, "[NameOrder]\nNatural=0\n");
        QVERIFY(!again.state.mNaturalOrder);
        QCOMPARE(shownNames(again.list()), kPlain);
    }

private:
    // The natural order: digit runs by value, full-width digits as digits, case together.
    const QStringList kNatural = {u"track1.wav"_s,  u"Track2.wav"_s, u"track10.wav"_s,
                                  u"第１話.wav"_s,  u"第2話.wav"_s,  u"第10話.wav"_s,
                                  u"第１１話.wav"_s};
    // The same names as plain text, case folded.
    const QStringList kPlain = {u"track1.wav"_s,  u"track10.wav"_s, u"Track2.wav"_s,
                                u"第10話.wav"_s,  u"第2話.wav"_s,   u"第１話.wav"_s,
                                u"第１１話.wav"_s};

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_ini;
};

QTEST_MAIN(TestListOrder)
#include "tst_list_order.moc"
