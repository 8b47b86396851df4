#pragma once

#include <QList>
#include <QObject>

#include "platform/command_table.h"

class QAction;
class QWidget;

// The menu items and toolbar buttons that run the table's commands. Binding an item gives it its
// command's caption, shortcut and tick (a toolbar button its tip); a click runs the command. The
// ticks follow the program's state: refresh() sets them again from the commands, as it is done
// after every command the table runs and whenever a setting they show changes.
class CommandActions : public QObject {
    Q_OBJECT
public:
    // window: where the menu items' shortcuts work, whether their menus are open or not (most
    // menus are only ever context menus). The table must outlive the binding.
    CommandActions(CommandTable& table, QWidget* window);
    ~CommandActions() override;

    // A menu item. held: the slide show is held before the command runs.
    void bindItem(QAction* item, CommandRef command, bool held = false);
    // A toolbar button: it keeps its own picture and its own pressed state; it takes the
    // command's tip, and a click runs the command with the slide show held.
    void bindButton(QAction* button, CommandRef command);

    // Every bound item's tick set from its command.
    void refresh();

private:
    struct Bound {
        QAction* item;
        CommandRef command;
    };
    CommandTable& m_table;
    QWidget* m_window;
    QList<Bound> m_items;
};
