#include "platform/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

CommandActions::CommandActions(CommandTable& table, QWidget* window)
    : m_table(table), m_window(window) {
    // Whatever runs a command (an item, a button, a key, a gesture), the ticks follow.
    m_table.setAfterRun([this] { refresh(); });
}

CommandActions::~CommandActions() {
    m_table.setAfterRun({});
}

void CommandActions::bindItem(QAction* item, CommandRef command, bool held) {
    const Command& face = m_table.command(command.id);
    const QString text = face.captionOf(command.index);
    if (!text.isEmpty()) {
        item->setText(text);
    }
    const QKeyCombination key = face.shortcutOf(command.index);
    if (key.toCombined() != 0) {
        item->setShortcut(QKeySequence(key));
        item->setShortcutContext(Qt::WindowShortcut);
        m_window->addAction(item);
    }
    item->setCheckable(face.isCheckable());
    item->setChecked(face.isChecked(command.index));
    m_items.append({item, command});
    connect(item, &QAction::triggered, this, [this, item, command, held] {
        // The tick shows the program's state, not the click: the command decides it.
        if (item->isCheckable()) {
            item->setChecked(m_table.command(command.id).isChecked(command.index));
        }
        held ? m_table.runHeld(command) : m_table.run(command);
    });
}

void CommandActions::bindButton(QAction* button, CommandRef command) {
    const QString tip = m_table.command(command.id).toolTipText();
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
    }
    connect(button, &QAction::triggered, this, [this, command] { m_table.runHeld(command); });
}

void CommandActions::refresh() {
    for (const Bound& bound : std::as_const(m_items)) {
        const Command& face = m_table.command(bound.command.id);
        if (face.isCheckable()) {
            bound.item->setChecked(face.isChecked(bound.command.index));
        }
    }
}
