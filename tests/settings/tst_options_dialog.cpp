// The options dialog as a user meets it, on a real settings file: what it shows, what OK refuses,
// and what it stores and changes at once.
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "platform/app_info.h"
#include "platform/error_box.h"
#include "platform/os_version.h"
#include "platform/run_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/text_codec.h"
#include "settings/file_types.h"
#include "settings/ini_file.h"
#include "settings/messages.h"
#include "settings/module1.h"
#include "settings/options_dialog.h"
#include "settings/up_down.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void tick(Form2& dialog, const QStringList& extensions) {
    QTreeWidget* list = dialog.ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        item->setCheckState(0, extensions.contains(item->text(0)) ? Qt::Checked : Qt::Unchecked);
    }
}

void clickHeader(Form2& dialog, int column) {
    QHeaderView* header = dialog.ListView1()->header();
    const int x = header->sectionViewportPosition(column) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

}  // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_ini = m_dir->filePath(u"quorvane.ini"_s);
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_module = Module1{};
        m_opened.clear();
    }

    void fileTypesAreNumberedByExtension() {
        const QStringList expected =
            u"aifc asf asx au avi bmp dat gif jpeg jpg m1v m3u mid mnd mov "
            "mp2 mp3 mpa mpe mpeg mpg mpv mx3 ogg ogm png qt ra ram rm rmi "
            "rp swf tif tiff vob wav wax wma wmv"_s.split(u' ');
        QStringList extensions;
        for (const FileType& type : fileTypesByExtension()) {
            extensions << type.extension;
        }
        QCOMPARE(extensions, expected);
        QCOMPARE(fileTypesAsAdded().first().extension, u"rm"_s);
        QCOMPARE(fileTypesByExtension().at(0).description,
                 u"Apple QuickTime, Macintosh AIFF リソース ファイル"_s);
        QCOMPARE(playPatterns({u"avi"_s, u"mp3"_s}), u"*.avi;*.mp3;"_s);
        QCOMPARE(playPatterns({}), QString());
    }

    void freshFileShowsWhatIsInForceAndOkIsTaken() {
        Form2 dialog(m_module, services());
        QCOMPARE(dialog.windowTitle(), u"環境設定"_s);
        QTabBar* tabs = dialog.TabStrip1();
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), u"動作"_s);
        QCOMPARE(tabs->tabToolTip(0), u"プレイヤーの動作を設定します。"_s);
        QCOMPARE(tabs->tabText(1), u"ファイル設定"_s);
        QCOMPARE(tabs->tabToolTip(1), u"再生するファイルの設定をします。"_s);
        QCOMPARE(tabs->tabText(3), u"バージョン情報"_s);
        QVERIFY(tabs->tabToolTip(2).isEmpty() && tabs->tabToolTip(3).isEmpty());
        QCOMPARE(dialog.size(),
                 QSize(6390 * dialog.logicalDpiX() / 1440, 6300 * dialog.logicalDpiX() / 1440));

        // The kinds the list plays ticked, the shortest interval, pictures only, every box clear.
        QCOMPARE(dialog.ListView1()->topLevelItemCount(), 40);
        QCOMPARE(dialog.tickedExtensions(),
                 u"avi dat mov mpeg mpg png ra ram rm wav wmv"_s.split(u' '));
        QCOMPARE(dialog.shownExtensions().first(), u"aifc"_s);
        QCOMPARE(dialog.Text2()->text(), u"1"_s);
        QVERIFY(dialog.Option1(0)->isChecked());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(dialog.Check1(i)->checkState(), Qt::Unchecked);
            QCOMPARE(dialog.Check3(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(dialog.Check2()->checkState(), Qt::Unchecked);
        QVERIFY(m_dialogs->calls().isEmpty());

        // Every type unticked, then OK: refused with the message on the first tab; the dialog
        // stays, nothing is written.
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QTest::mouseClick(dialog.Command1(1), Qt::LeftButton);
        dialog.TabStrip1_Click(1);
        QVERIFY(dialog.Frame1(1)->isVisibleTo(&dialog));
        QTest::mouseClick(dialog.Command2(0), Qt::LeftButton);
        QCOMPARE(m_dialogs->messages().size(), 1);
        const ScriptedDialogs::Call box = m_dialogs->messages().first();
        QCOMPARE(box.text, u"再生ファイルのチェックを、すべてはずすことはできません。"_s);
        QVERIFY(box.icon == MsgIcon::Information);
        QCOMPARE(box.title, app_info::title());
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(dialog.Frame1(0)->isVisibleTo(&dialog));
        QVERIFY(!dialog.Frame1(1)->isVisibleTo(&dialog));
        QCOMPARE(accepted.size(), 0);
        QVERIFY(!QFile::exists(m_ini));

        // Cancel closes without a word and without writing.
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::mouseClick(dialog.Command2(1), Qt::LeftButton);
        QCOMPARE(rejected.size(), 1);
        QVERIFY(!QFile::exists(m_ini));

        // Opened again and OK at once: taken, and what was in force stays in force.
        Form2 again(m_module, services());
        QSignalSpy taken(&again, &QDialog::accepted);
        QTest::mouseClick(again.Command2(0), Qt::LeftButton);
        QCOMPARE(taken.size(), 1);
        QVERIFY(m_dialogs->messages().size() == 1);
        QCOMPARE(m_module.mSlideTime, 1);
        QCOMPARE(m_module.mDspFile,
                 u"*.avi;*.dat;*.mov;*.mpeg;*.mpg;*.png;*.ra;*.ram;*.rm;*.wav;*.wmv"_s);
        const QByteArray stored = readBytes(m_ini);
        QVERIFY(stored.contains("\nSlideTime=1\n") && stored.contains("\nValue5=True\n"));
        QVERIFY2(stored.contains("[Extract]\nSelectFolder=0\n"), stored.constData());
    }

    void intervalMustBeOneToThirty_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        QTest::newRow("0") << u"0"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("word") << u"abc"_s << false;
        QTest::newRow("31") << u"31"_s << false;
        QTest::newRow("fraction") << u"2.5"_s << false;
        QTest::newRow("negative") << u"-3"_s << false;
        QTest::newRow("1") << u"1"_s << true;
        QTest::newRow("30 with blanks") << u" 30 "_s << true;
    }

    void intervalMustBeOneToThirty() {
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        Form2 dialog(m_module, services());
        tick(dialog, {u"avi"_s});
        dialog.TabStrip1_Click(3);
        dialog.Text2()->setText(typed);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.Command2_Click(0);
        QCOMPARE(accepted.size(), taken ? 1 : 0);
        QCOMPARE(QFile::exists(m_ini), taken);
        if (taken) {
            QCOMPARE(m_module.mSlideTime, typed.trimmed().toShort());
            const QByteArray line = "\nSlideTime=" + typed.trimmed().toLatin1() + '\n';
            QVERIFY(readBytes(m_ini).contains(line));
            QVERIFY(m_dialogs->calls().isEmpty());
        } else {
            QCOMPARE(m_dialogs->messages().size(), 1);
            QCOMPARE(m_dialogs->messages().first().text, settings_msg::badSlideInterval());
            QCOMPARE(dialog.TabStrip1()->currentIndex(), 0);
            QCOMPARE(m_module.mSlideTime, 0);
        }
    }

    void okStoresInTheDialogsOrderAndActsAtOnce() {
        m_module.mScreenSaver = 0;
        m_module.mMousePlay = 0;
        Form2 dialog(m_module, services());
        // Only mp3 and avi, in the extension order.
        tick(dialog, {u"mp3"_s, u"avi"_s});
        dialog.Text2()->setText(u"12"_s);
        dialog.Option1(1)->setChecked(true);
        dialog.Check1(2)->setChecked(true);  // screen saver off: at the next start
        dialog.Check1(4)->setChecked(true);  // gestures: at the next start
        dialog.Check3(0)->setChecked(true);
        dialog.Check3(3)->setChecked(true);
        dialog.TabStrip1_Click(2);
        QTest::mouseClick(dialog.Check2(), Qt::LeftButton);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.Command2_Click(0);
        QCOMPARE(accepted.size(), 1);
        QVERIFY(m_dialogs->calls().isEmpty());

        const QString text = QString::fromUtf8(readBytes(m_ini));
        QVERIFY(
            text.startsWith(u"[PlayFile]\nValue1=False\nkakuchosi1=aifc\n"
                            "setumei1=Apple QuickTime, Macintosh AIFF リソース ファイル\n"
                            "Value2=False\nkakuchosi2=asf\n"_s));
        QVERIFY(text.contains(u"Value5=True\nkakuchosi5=avi\nsetumei5=aviファイル\n"_s));
        QVERIFY(text.contains(u"Value17=True\nkakuchosi17=mp3\nsetumei17=MPEG ファイル\n"_s));
        QCOMPARE(text.left(text.indexOf(u"[ListFile]"_s)).count(u"=True"_s), 2);
        QVERIFY(
            text.contains(u"Value40=False\nkakuchosi40=wmv\nsetumei40=Windows Media ファイル\n"
                          "[ListFile]\nDspFile=*.avi;*.mp3;\n"
                          "[SlideShow]\nSlideTime=12\nSlideType=1\n"
                          "[Boot]\nSearchPath=0\nBootPosition=0\nScreenSaver=1\n"
                          "QuickPathLoad=0\nmousePlay=1\n"
                          "[FileView]\nHiddenAtr=1\nSystemAtr=0\nReadOnlyAtr=0\nFolderDsp=1\n"
                          "AutoColumFlg=0\n"_s));
        QVERIFY(text.endsWith(u"[Extract]\nSelectFolder=1\n"_s));

        // The file kinds, the slide show and the filters take effect at once; [Boot] does not.
        QCOMPARE(m_module.mDspFile, u"*.avi;*.mp3"_s);
        QCOMPARE(m_module.mSlideTime, 12);
        QCOMPARE(m_module.mSlideType, 1);
        QCOMPARE(m_module.mHiddenAtr, 1);
        QCOMPARE(m_module.mFolderDsp, 1);
        QCOMPARE(m_module.mScreenSaver, 0);
        QCOMPARE(m_module.mMousePlay, 0);
        QCOMPARE(m_module.mSelectFolder, 1);

        // Opened again, the dialog shows what was stored.
        Form2 again(m_module, services());
        QCOMPARE(again.tickedExtensions(), QStringList({u"avi"_s, u"mp3"_s}));
        QCOMPARE(again.Text2()->text(), u"12"_s);
        QVERIFY(again.Option1(1)->isChecked());
        QVERIFY(again.Check1(4)->isChecked() && again.Check3(3)->isChecked());
        QVERIFY(again.Check2()->isChecked());
        QVERIFY(!again.Check1(0)->isChecked());
    }

    void columnClicksTurnTheOrderOver() {
        Form2 dialog(m_module, services());
        dialog.TabStrip1_Click(1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Extension: descending, then ascending again.
        clickHeader(dialog, 0);
        QCOMPARE(dialog.shownExtensions().first(), u"wmv"_s);
        QCOMPARE(dialog.shownExtensions().last(), u"aifc"_s);
        clickHeader(dialog, 0);
        QCOMPARE(dialog.shownExtensions().first(), u"aifc"_s);
        // Then the description: descending, whichever column was clicked before.
        clickHeader(dialog, 1);
        QTreeWidget* list = dialog.ListView1();
        for (int i = 1; i < list->topLevelItemCount(); ++i) {
            QVERIFY(list->topLevelItem(i - 1)->text(1).compare(list->topLevelItem(i)->text(1),
                                                               Qt::CaseInsensitive) >= 0);
        }
        QCOMPARE(list->topLevelItem(0)->text(1), u"ビデオCDファイル"_s);

        // OK with the list sorted by description: DspFile follows the order on show, the
        // numbered keys the extensions; the list is sorted by extension again.
        tick(dialog, {u"avi"_s, u"wav"_s, u"mp3"_s});
        const QStringList shown = dialog.tickedExtensions();
        QCOMPARE(shown, QStringList({u"wav"_s, u"mp3"_s, u"avi"_s}));
        dialog.Text2()->setText(u"5"_s);
        dialog.Command2_Click(0);
        QCOMPARE(dialog.shownExtensions().first(), u"aifc"_s);
        clsIniFile ini(m_ini);
        QCOMPARE(ini.GetStrValue(m_ini, u"ListFile"_s, u"DspFile"_s, {}), u"*.wav;*.mp3;*.avi;"_s);
        for (int n = 1; n <= 40; ++n) {
            const QString value =
                ini.GetStrValue(m_ini, u"PlayFile"_s, u"Value"_s + QString::number(n), {});
            QCOMPARE(value, n == 5 || n == 17 || n == 37 ? u"True"_s : u"False"_s);
        }
        QCOMPARE(m_module.mDspFile, u"*.wav;*.mp3;*.avi"_s);
    }

    void tickAllUntickAllAndTheSpinner() {
        Form2 dialog(m_module, services());
        QTest::mouseClick(dialog.Command1(0), Qt::LeftButton);
        QCOMPARE(dialog.tickedExtensions().size(), 40);
        QTest::mouseClick(dialog.Command1(1), Qt::LeftButton);
        QVERIFY(dialog.tickedExtensions().isEmpty());
        QCOMPARE(dialog.Command1(0)->text(), u"全選択"_s);
        QCOMPARE(dialog.Command1(1)->text(), u"全解除"_s);

        // The arrows keep the number in 1-30; typing is free.
        clsUpdown& updown = dialog.updown();
        QVERIFY(updown.spinner() != nullptr);
        QCOMPARE(dialog.Text2()->text(), u"1"_s);
        QTest::mouseClick(updown.upArrow(), Qt::LeftButton);
        QCOMPARE(dialog.Text2()->text(), u"2"_s);
        QTest::mouseClick(updown.downArrow(), Qt::LeftButton);
        QTest::mouseClick(updown.downArrow(), Qt::LeftButton);
        QCOMPARE(dialog.Text2()->text(), u"1"_s);
        dialog.Text2()->setText(u"30"_s);
        QTest::keyClick(dialog.Text2(), Qt::Key_Up);
        QCOMPARE(dialog.Text2()->text(), u"30"_s);
        QTest::keyClick(dialog.Text2(), Qt::Key_Down);
        QCOMPARE(dialog.Text2()->text(), u"29"_s);
        QTest::keyClicks(dialog.Text2(), u"x"_s);
        QCOMPARE(dialog.Text2()->text(), u"29x"_s);
        // Over the right end of the box.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect box = dialog.Text2()->geometry();
        QCOMPARE(updown.spinner()->geometry(),
                 QRect(box.x() + box.width() - 20, box.y() + 2, 18, box.height() - 4));
    }

    void storedValuesBadOnesAndTheVersionTab() {
        writeBytes(m_ini,
                   "[PlayFile]\nValue5=True\nValue40=-1\n[SlideShow]\nSlideTime=7\nSlideType=1\n"
                   "[Boot]\nSearchPath=1\nBootPosition=2\n"
                   "[FileView]\nHiddenAtr=7\nSystemAtr=1\n");
        OptionsDialogServices s = services();
        s.onTop = true;
        s.logo = QPixmap(32, 32);
        Form2 dialog(m_module, s);
        QCOMPARE(dialog.tickedExtensions(), QStringList({u"avi"_s, u"wmv"_s}));
        QCOMPARE(dialog.Text2()->text(), u"7"_s);
        QVERIFY(dialog.Option1(1)->isChecked());
        QCOMPARE(dialog.Check1(0)->checkState(), Qt::Checked);
        QCOMPARE(dialog.Check1(1)->checkState(), Qt::PartiallyChecked);
        // A value no box can show: one error box, and the box stays clear.
        QCOMPARE(m_dialogs->messages().size(), 1);
        QCOMPARE(m_dialogs->messages().first().text,
                 errorBoxText(run_error::kInvalidPropertyValue));
        QCOMPARE(dialog.Check3(0)->checkState(), Qt::Unchecked);
        QCOMPARE(dialog.Check3(1)->checkState(), Qt::Checked);
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);

        const QStringList version = dialog.VerLabel()->text().split(u'\n');
        QCOMPARE(version.size(), 4);
        QCOMPARE(version.at(0), app_info::captionText());
        QVERIFY(version.at(1).startsWith(u' '));
        QCOMPARE(version.at(2), GetOSName());
        QCOMPARE(version.at(3), u"Shell32.dll Ver"_s + GetShellVersion());
        const QStringList history = dialog.Text1()->toPlainText().split(u'\n');
        QCOMPARE(history.at(0), u"（バージョン履歴) "_s);
        QVERIFY(history.at(1).endsWith(u"　初公開"_s));
        QVERIFY(QRegularExpression(u"^\\d{4}\\.\\d\\d\\.\\d\\d \\d+\\.\\d+\\.\\d+"_s)
                    .match(history.at(1))
                    .hasMatch());
        QVERIFY(!dialog.Image1()->pixmap().isNull());

        QTest::mouseClick(dialog.Command3(0), Qt::LeftButton);
        QTest::mouseClick(dialog.Command3(1), Qt::LeftButton);
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened.at(0).scheme(), u"mailto"_s);
        QVERIFY(m_opened.at(1).scheme().startsWith(u"http"));
    }

    void extraTypesHaveTheirOwnListAndSection() {
        // An INI the forty-type program wrote on a Japanese system (CP932, CRLF), OK'd with avi
        // and mp3 ticked.
        QByteArray original = "[FormPos]\r\nXPosition=120\r\n[PlayFile]\r\n";
        const QList<FileType>& types = fileTypesByExtension();
        for (int n = 1; n <= 40; ++n) {
            const FileType& type = types.at(n - 1);
            const QString number = QString::number(n);
            const bool ticked = type.extension == u"avi" || type.extension == u"mp3";
            original += (u"Value"_s + number + (ticked ? u"=True"_s : u"=False"_s) +
                         u"\r\nkakuchosi"_s + number + u'=' + type.extension + u"\r\nsetumei"_s +
                         number + u'=' + type.description + u"\r\n"_s)
                            .toUtf8();
        }
        original +=
            "[ListFile]\r\nDspFile=*.avi;*.mp3;\r\n[SlideShow]\r\nSlideTime=5\r\nSlideType=0\r\n"
            "[Boot]\r\nSearchPath=0\r\nBootPosition=0\r\nScreenSaver=0\r\nQuickPathLoad=0\r\n"
            "mousePlay=0\r\n[FileView]\r\nHiddenAtr=0\r\nSystemAtr=0\r\nReadOnlyAtr=0\r\n"
            "FolderDsp=0\r\nAutoColumFlg=0\r\n";
        original = text_codec::Cp932().encode(QString::fromUtf8(original));
        writeBytes(m_ini, original);

        Form2 dialog(m_module, services());
        QCOMPARE(dialog.tickedExtensions(), QStringList({u"avi"_s, u"mp3"_s}));
        // The extra types: a list of their own, by extension, every one ticked while unstored.
        QTreeWidget* extra = dialog.ListView2();
        QCOMPARE(extra->topLevelItemCount(), 15);
        QCOMPARE(extra->topLevelItem(0)->text(0), u"3gp"_s);
        QCOMPARE(extra->topLevelItem(0)->text(1), u"3GPP ビデオ ファイル"_s);
        QTreeWidgetItem* mp4 = nullptr;
        for (int i = 0; i < extra->topLevelItemCount(); ++i) {
            QCOMPARE(extra->topLevelItem(i)->checkState(0), Qt::Checked);
            if (extra->topLevelItem(i)->text(0) == u"mp4") {
                mp4 = extra->topLevelItem(i);
            }
        }
        QVERIFY(mp4 != nullptr);
        dialog.TabStrip1_Click(1);
        QVERIFY(extra->isVisibleTo(&dialog));
        QVERIFY(!extra->geometry().intersects(dialog.ListView1()->geometry()));

        // OK as it stands: the original keys keep their bytes; the extra section follows.
        dialog.Command2_Click(0);
        const QByteArray saved = readBytes(m_ini);
        QVERIFY(saved.startsWith(original));
        const QByteArray added = saved.mid(original.size());
        QVERIFY2(added.startsWith("[ExtraFileType]\r\n3gp=True\r\naac=True\r\n"),
                 added.constData());
        QVERIFY(!added.contains("PlayHistory"));
        QCOMPARE(added.count("=True\r\n"), 15);
        QCOMPARE(m_module.mDspFile, u"*.avi;*.mp3"_s);
        QCOMPARE(m_module.mExtraFile, allExtraFileKinds());
        QCOMPARE(listedFileKinds(m_module), u"*.avi;*.mp3;"_s + allExtraFileKinds());

        // Unticked, mp4 leaves the kinds listed; the forty's keys are still as they were.
        Form2 again(m_module, services());
        QTreeWidgetItem* mp4Again =
            again.ListView2()->findItems(u"mp4"_s, Qt::MatchExactly).first();
        mp4Again->setCheckState(0, Qt::Unchecked);
        again.Command2_Click(0);
        const QByteArray unticked = readBytes(m_ini);
        QVERIFY(unticked.startsWith(original));
        QVERIFY(unticked.contains("\r\nmp4=False\r\n"));
        QVERIFY(!m_module.mExtraFile.contains(u"*.mp4"_s));
        QVERIFY(m_module.mExtraFile.contains(u"*.mkv"_s));
        Form2 third(m_module, services());
        QCOMPARE(third.ListView2()->findItems(u"mp4"_s, Qt::MatchExactly).first()->checkState(0),
                 Qt::Unchecked);

        // "全解除" and "全選択" take both lists. The forty cannot all be unticked, whatever the
        // extra types say: their pattern list would read back as the default kinds.
        third.Command1_Click(1);
        QVERIFY(third.tickedExtensions().isEmpty());
        QCOMPARE(third.ListView2()->topLevelItem(3)->checkState(0), Qt::Unchecked);
        third.Command1_Click(0);
        QCOMPARE(third.tickedExtensions().size(), 40);
        QCOMPARE(third.ListView2()->topLevelItem(3)->checkState(0), Qt::Checked);
        tick(third, {});
        third.Command2_Click(0);
        QCOMPARE(m_dialogs->messages().size(), 1);
        QCOMPARE(m_dialogs->messages().first().text, settings_msg::noPlayFile());
        QCOMPARE(readBytes(m_ini), unticked);
    }

    void resumeTickHasASectionOfItsOwnAndClearingAsksFirst() {
        // Ticked while nothing is stored, on the action tab with the button beside it.
        Form2 dialog(m_module, services());
        QCheckBox* resume = dialog.Check4();
        QCOMPARE(resume->text(), u"続きから再生する"_s);
        QVERIFY(resume->isChecked());
        QCOMPARE(dialog.Command4()->text(), u"履歴を消去"_s);
        QVERIFY(dialog.Frame1(0)->isAncestorOf(resume));
        QVERIFY(dialog.Frame1(0)->isAncestorOf(dialog.Command4()));

        // The button asks; only a yes asks for the history to be emptied. Nothing is written and
        // the dialog stays.
        QSignalSpy clear(&dialog, &Form2::clearHistoryRequested);
        m_dialogs->answerMessage(MsgResult::No);
        QTest::mouseClick(dialog.Command4(), Qt::LeftButton);
        QCOMPARE(m_dialogs->messages().size(), 1);
        const ScriptedDialogs::Call question = m_dialogs->messages().first();
        QCOMPARE(question.text, u"再生の履歴をすべて消去しますか?"_s);
        QVERIFY(question.icon == MsgIcon::Question && question.buttons == MsgButtons::YesNo);
        QCOMPARE(question.title, app_info::title());
        QCOMPARE(clear.size(), 0);
        m_dialogs->answerMessage(MsgResult::Yes);
        dialog.Command4_Click();
        QCOMPARE(clear.size(), 1);
        QVERIFY(!QFile::exists(m_ini));

        // Unticked and cancelled: nothing written, resume still on.
        resume->setChecked(false);
        dialog.Command2_Click(1);
        QVERIFY(!QFile::exists(m_ini));
        QVERIFY(m_module.mResumePlay);

        // OK with the default: no section of its own.
        Form2 unchanged(m_module, services());
        unchanged.Command2_Click(0);
        QVERIFY(!readBytes(m_ini).contains("PlayHistory"));

        // Unticked and OK: its section at the end, in effect at once, shown the next time.
        Form2 off(m_module, services());
        QVERIFY(off.Check4()->isChecked());
        off.Check4()->setChecked(false);
        off.Command2_Click(0);
        QVERIFY2(readBytes(m_ini).endsWith("[Extract]\nSelectFolder=0\n[PlayHistory]\nResume=0\n"),
                 readBytes(m_ini).constData());
        QVERIFY(!m_module.mResumePlay);
        // Ticked again: the section that is there says so.
        Form2 on(m_module, services());
        QVERIFY(!on.Check4()->isChecked());
        on.Check4()->setChecked(true);
        on.Command2_Click(0);
        QVERIFY(readBytes(m_ini).endsWith("[PlayHistory]\nResume=1\n"));
        QVERIFY(m_module.mResumePlay);
        Form2 again(m_module, services());
        QVERIFY(again.Check4()->isChecked());
    }

private:
    OptionsDialogServices services() {
        OptionsDialogServices s;
        s.iniPath = m_ini;
        s.dialogs = m_dialogs.get();
        s.openUrl = [this](const QUrl& url) {
            m_opened << url;
            return true;
        };
        return s;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    Module1 m_module;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
