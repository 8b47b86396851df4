#include "app/window_options.h"

#include <QApplication>
#include <QWidget>

#include "app/logo.h"
#include "app/main_menus.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "platform/command_table.h"
#include "platform/desktop_services.h"
#include "platform/interval_timer.h"
#include "player/play_list.h"
#include "settings/live_settings.h"
#include "settings/options_dialog.h"
#include "settings/playback_hold.h"

void WindowOptions::registerCommands(CommandTable& table) {
    using C = CommandId;
    const Module1& s = m.state;
    table.add(C::Dspsize, [this](int index) { Dspsize_Click(index); })
        .captions({QStringLiteral("ウィンドウに合わせる"), QStringLiteral("50%"),
                   QStringLiteral("100%"), QStringLiteral("200%"), QStringLiteral("フルスクリーン"),
                   QStringLiteral("100% - フォーム連動")})
        .shortcut(Qt::Key_F11, DspsizeItem::FitWindow)
        .shortcut(Qt::Key_F12, DspsizeItem::FullScreen)
        .checked([&s](int index) { return s.mScreenSize == index; });
    table.add(C::Mute, [this] { Opt_Click(OptItem::Mute); })
        .caption(QStringLiteral("ミュート"))
        .shortcut(Qt::Key_F1)
        .checked([&s] { return s.mMuteState; });
    table.add(C::OnTop, [this] { Opt_Click(OptItem::OnTop); })
        .caption(QStringLiteral("常に手前に表示"))
        .shortcut(Qt::Key_F2)
        .checked([&s] { return s.mScreenState; });
    table.add(C::SlideShow, [this] { Opt_Click(OptItem::SlideShow); })
        .caption(QStringLiteral("スライドショーを行う"))
        .checked([&s] { return s.mSlideShow; });
    table.add(C::QuickPathPlay, [this] { Opt_Click(OptItem::QuickPathPlay); })
        .caption(QStringLiteral("クイックパス連続再生"))
        .checked([&s] { return s.mQuickPathPlay; });
    table.add(C::Options, [this] { Opt_Click(OptItem::Options); })
        .caption(QStringLiteral("環境設定"));
    table.add(C::MnuGrid, [this] { m.settings.setGridLines(!m.state.mGridLine); })
        .caption(QStringLiteral("グリッド線"))
        .checked([&s] { return s.mGridLine; });
    table
        .add(C::MnuIconSet,
             [this] {
                 const bool on = !m.state.mIconDsp;
                 m.settings.setIconView(on);
                 m.list.ListFolder(m.tree.SelectedFolderPath(), on);
             })
        .caption(QStringLiteral("アイコン表示"))
        .checked([&s] { return s.mIconDsp; });
    table.add(C::TreeViewLine, [this] { treeViewStyle(true); })
        .caption(QStringLiteral("ライン表示"))
        .checked([&s] { return s.mTreeViewLine; });
    table.add(C::TreeViewIcon, [this] { treeViewStyle(false); })
        .caption(QStringLiteral("アイコン表示"))
        .checked([&s] { return s.mTreeViewIcon; });
    table.add(C::FileView, [this] { toggleFileView(); })
        .toolTip(QStringLiteral("リストビューの表示ファイル切替"));
    table.add(C::ExitQuorvane, [this] { m.window.close(); })
        .caption(QStringLiteral("Quorvaneを終了する"));
}

void WindowOptions::Dspsize_Click(int index) {
    m.hold.holdSlideShow();
    m.settings.setScreenSize(index);
    m.playList.changeDisplaySize(index);
}

void WindowOptions::Opt_Click(int index) {
    m.hold.holdSlideShow();
    bool on = false;
    switch (index) {
        case OptItem::Options:
            openOptions();
            return;
        case OptItem::Mute:
            on = !m.state.mMuteState;
            m.settings.setMute(on);
            break;
        case OptItem::OnTop:
            on = !m.state.mScreenState;
            m.settings.setAlwaysOnTop(on);
            break;
        case OptItem::SlideShow:
            on = !m.state.mSlideShow;
            m.settings.setSlideShow(on);
            on ? m.timer1.start() : m.timer1.stop();
            break;
        case OptItem::QuickPathPlay:
            // A mark of its own that nothing else reads.
            on = !m.state.mQuickPathPlay;
            m.settings.setQuickPathPlay(on);
            break;
        default:
            return;
    }
    if (m.list.rowCount() > 0) {
        m.playList.showSelectedPath();
        if (index == OptItem::Mute) {
            m.playList.applyMute(on);
        } else if (index == OptItem::OnTop) {
            applyOnTop(on);
        }
    }
}

void WindowOptions::treeViewStyle(bool lineItem) {
    // Both items turn their own mark over and switch the lines: the style follows the mark of the
    // item just clicked. Only the line item's mark is kept in the settings file.
    if (lineItem) {
        m.settings.setTreeLines(!m.state.mTreeViewLine);
    } else {
        m.settings.setTreeIcons(!m.state.mTreeViewIcon);
        m.tree.setLinesVisible(m.state.mTreeViewIcon);
    }
}

void WindowOptions::toggleFileView() {
    m.settings.setFileView(!m.state.mFileView);
    QApplication::processEvents();
    const bool pressed = m.state.mFileView;
    m.list.ListFolder(m.tree.SelectedFolderPath(), m.state.mIconDsp);
    m.toolbar.button(Toolbar1::ExtractButton)->setVisible(pressed);
    m.toolbar.button(Toolbar1::SelectExtractButton)->setVisible(pressed);
}

void WindowOptions::applyOnTop(bool on) {
    const bool visible = m.window.isVisible();
    m.window.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        m.window.show();
    }
}

void WindowOptions::openOptions() {
    m.hold.holdSlideShow();
    if (m_options) {
        m_options->activateWindow();
        return;
    }
    OptionsDialogServices services;
    services.iniPath = m.iniPath;
    services.dialogs = &m.dialogs;
    services.openUrl = desktopUrlOpener();
    services.logo = appLogo(64);
    services.onTop = m.state.mScreenState;
    auto* dialog = new Form2(m.state, services, &m.window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_options = dialog;
    // The folder on show is listed again at once with the file kinds and filters just chosen.
    QObject::connect(dialog, &QDialog::accepted, &m.window,
                     [this] { m.list.ListFolder(m.tree.SelectedFolderPath(), m.state.mIconDsp); });
    if (m.clearHistory) {
        QObject::connect(dialog, &Form2::clearHistoryRequested, &m.window, m.clearHistory);
    }
    dialog->open();
}

Form2* WindowOptions::optionsDialog() const {
    return m_options;
}
