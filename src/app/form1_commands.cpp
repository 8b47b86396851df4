// Form1: the command table. Each part registers the commands it carries out; the window binds the
// menu items, the toolbar buttons and the keys and gestures (through the input map) to the
// commands they name.
#include "app/form1.h"
#include "app/play_memory.h"
#include "app/toolbar1.h"
#include "app/window_options.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "fileops/file_commands.h"
#include "platform/command_actions.h"
#include "player/play_list.h"
#include "player/player_set.h"
#include "settings/live_settings.h"

void Form1::registerCommands() {
    m_navigation->registerCommands(m_commands);
    m_list->registerCommands(m_commands);
    m_tree->registerCommands(m_commands);
    m_fileCommands->registerCommands(m_commands);
    m_playList->registerCommands(m_commands);
    m_playMemory->registerCommands(m_commands);
    m_players->registerCommands(m_commands);

    m_options->registerCommands(m_commands);
}

void Form1::wireCommands() {
    registerCommands();
    m_actions = std::make_unique<CommandActions>(m_commands, this);
    for (const MenuCommand& binding : m_menus.commands()) {
        m_actions->bindItem(binding.item, binding.command, binding.held);
    }
    m_toolbar->bindCommands(*m_actions);
    // The ticks follow every command and the settings, whoever changes them.
    connect(m_settings, &LiveSettings::changed, m_actions.get(), &CommandActions::refresh);
    connect(m_playList.get(), &PlayList::stopAfterCurrentChanged, m_actions.get(),
            &CommandActions::refresh);
}
