// The command table and the items bound to it: one registration gives a menu item its caption,
// shortcut and tick and a toolbar button its tip; the ticks show the program's state, not the
// clicks; a failing command is reported and the program goes on.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <stdexcept>

#include "platform/command_actions.h"

class TstCommandActions : public QObject {
    Q_OBJECT
private slots:
    void itemsShowTheirCommands() {
        QWidget window;
        QMenu menu;
        CommandTable table;
        int size = 0;
        bool mute = false;
        table.add(CommandId::Dspsize, [&size](int index) { size = index; })
            .captions({QStringLiteral("ウィンドウに合わせる"), QStringLiteral("50%")})
            .shortcut(Qt::Key_F11, 0)
            .checked([&size](int index) { return size == index; });
        table.add(CommandId::Mute, [&mute] { mute = !mute; })
            .caption(QStringLiteral("ミュート"))
            .shortcut(Qt::Key_F1)
            .checked([&mute] { return mute; });
        table.add(CommandId::Stop, [] {})
            .caption(QStringLiteral("停止"))
            .toolTip(QStringLiteral("再生を停止します。(Shift+Space）"));

        CommandActions actions(table, &window);
        QAction* fit = menu.addAction(QString());
        QAction* half = menu.addAction(QString());
        QAction* muteItem = menu.addAction(QString());
        QAction* stopItem = menu.addAction(QString());
        QAction stopButton(QStringLiteral("停止"));
        actions.bindItem(fit, {CommandId::Dspsize, 0});
        actions.bindItem(half, {CommandId::Dspsize, 1});
        actions.bindItem(muteItem, CommandId::Mute);
        actions.bindItem(stopItem, CommandId::Stop);
        actions.bindButton(&stopButton, CommandId::Stop);

        QCOMPARE(fit->text(), QStringLiteral("ウィンドウに合わせる"));
        QCOMPARE(half->text(), QStringLiteral("50%"));
        QCOMPARE(fit->shortcut(), QKeySequence(Qt::Key_F11));
        QVERIFY(half->shortcut().isEmpty());
        // The keys work while the menus are closed: the window carries the items with keys.
        QVERIFY(window.actions().contains(fit));
        QVERIFY(window.actions().contains(muteItem));
        QVERIFY(!window.actions().contains(half));
        QVERIFY(fit->isCheckable() && fit->isChecked() && !half->isChecked());
        QVERIFY(!stopItem->isCheckable());
        QCOMPARE(stopButton.toolTip(), QStringLiteral("再生を停止します。(Shift+Space）"));
        QCOMPARE(stopButton.text(), QStringLiteral("停止"));

        // Choosing an element moves the tick with the state.
        half->trigger();
        QCOMPARE(size, 1);
        QVERIFY(!fit->isChecked() && half->isChecked());
        // A key or a gesture runs the command by its id: the ticks follow as well.
        table.run({CommandId::Dspsize, 0});
        QVERIFY(fit->isChecked() && !half->isChecked());
        // A tick follows the state when something else changes it, once refreshed.
        size = 1;
        actions.refresh();
        QVERIFY(!fit->isChecked() && half->isChecked());
        // A tick set on the item alone is no state: the next refresh takes it back.
        muteItem->setChecked(true);
        actions.refresh();
        QVERIFY(!muteItem->isChecked());
        muteItem->trigger();
        QVERIFY(mute && muteItem->isChecked());
    }

    void clicksHoldTheSlideShowAndFailuresAreReported() {
        QWidget window;
        CommandTable table;
        QStringList log;
        table.setHold([&log] { log << QStringLiteral("hold"); });
        table.setErrorHandler(
            [&log](const std::exception& e) { log << QString::fromUtf8(e.what()); });
        table.add(CommandId::DelFile, [&log] { log << QStringLiteral("delete"); });
        table.add(CommandId::GoExp, [] { throw std::runtime_error("no file manager"); });

        CommandActions actions(table, &window);
        QAction item;
        QAction button;
        QAction failing;
        actions.bindItem(&item, CommandId::DelFile, true);
        actions.bindButton(&button, CommandId::DelFile);
        actions.bindItem(&failing, CommandId::GoExp);

        item.trigger();
        button.trigger();
        failing.trigger();
        QCOMPARE(log, (QStringList{u"hold"_qs, u"delete"_qs, u"hold"_qs, u"delete"_qs,
                                   u"no file manager"_qs}));
        // A command nobody registered does nothing, and has an empty face.
        log.clear();
        table.run(CommandId::Undo);
        QVERIFY(log.isEmpty());
        QVERIFY(!table.has(CommandId::Undo));
        QVERIFY(table.command(CommandId::Undo).captionOf(0).isEmpty());
    }
};

QTEST_MAIN(TstCommandActions)
#include "tst_command_actions.moc"
