// Form1: the command table. Each part registers the commands it carries out; the window adds the
// options it shows itself, and binds the menu items, the toolbar buttons and the keys and gestures
// (through the input map) to the commands they name.
#include <QAction>

#include "app/form1.h"
#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "fileops/archive_commands.h"
#include "fileops/list_commands.h"
#include "fileops/shell_commands.h"
#include "fileops/tree_commands.h"
#include "fileops/undo_command.h"
#include "platform/error_box.h"
#include "player/play_list.h"
#include "settings/live_settings.h"

void Form1::registerCommands() {
    using C = CommandId;
    m_navigation->registerCommands(m_commands);
    m_list->registerCommands(m_commands);
    m_tree->registerCommands(m_commands);
    m_listCommands->registerCommands(m_commands);
    m_treeCommands->registerCommands(m_commands);
    m_undo->registerCommands(m_commands);
    m_archiveCommands->registerCommands(m_commands);
    m_shellCommands->registerCommands(m_commands, [this] {
        // The selected row, or the folder on show when no row is selected.
        const QString row = m_list->SelectedPath();
        return row.isEmpty() ? m_tree->SelectedFolderPath() : row;
    });
    m_playList->registerCommands(m_commands);

    // The options the window shows.
    m_commands.add(C::Dspsize, [this](int index) { Dspsize_Click(index); });
    m_commands.add(C::Mute, [this] { Opt_Click(OptItem::Mute); });
    m_commands.add(C::OnTop, [this] { Opt_Click(OptItem::OnTop); });
    m_commands.add(C::SlideShow, [this] { Opt_Click(OptItem::SlideShow); });
    m_commands.add(C::QuickPathPlay, [this] { Opt_Click(OptItem::QuickPathPlay); });
    m_commands.add(C::Options, [this] { Opt_Click(OptItem::Options); });
    m_commands.add(C::MnuGrid, [this] { m_settings->setGridLines(!m_state.mGridLine); });
    m_commands.add(C::MnuIconSet, [this] {
        const bool on = !m_state.mIconDsp;
        m_settings->setIconView(on);
        m_list->ListFolder(m_tree->SelectedFolderPath(), on);
    });
    m_commands.add(C::TreeViewLine, [this] { TreeViewStyle_Click(m_menus.TreeViewLine); });
    m_commands.add(C::TreeViewIcon, [this] { TreeViewStyle_Click(m_menus.TreeViewIcon); });
    m_commands.add(C::FileView, [this] {
        m_settings->setFileView(!m_state.mFileView);
        ToggleFileView();
    });
    m_commands.add(C::ExitQuorvane, [this] { close(); });
}

void Form1::wireCommands() {
    registerCommands();
    for (const MenuCommand& binding : m_menus.commands()) {
        QAction* item = binding.item;
        connect(item, &QAction::triggered, this, [this, binding, item](bool checked) {
            // A ticked item shows the program's state: the command sets the tick itself.
            if (item->isCheckable()) {
                item->setChecked(!checked);
            }
            binding.held ? m_commands.runHeld(binding.command) : m_commands.run(binding.command);
        });
    }
    connect(m_toolbar, &Toolbar1::ButtonClick, this, &Form1::Toolbar1_ButtonClick);
}
