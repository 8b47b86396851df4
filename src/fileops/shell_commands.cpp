#include "fileops/shell_commands.h"

#include <QApplication>
#include <QUrl>
#include <exception>

#include "fileops/messages.h"
#include "platform/busy_cursor.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/messages.h"
#include "platform/trash.h"

ShellCommands::ShellCommands(Dialogs& dialogs, Trash& trash, UrlOpener openUrl, QWidget* window)
    : m_dialogs(dialogs), m_trash(trash), m_openUrl(std::move(openUrl)), m_window(window) {}

void ShellCommands::ClsRecycle() {
    try {
        const int count = m_trash.itemCount();
        if (count == 0) {
            return;
        }
        if (m_dialogs.messageBox(fileops_msg::confirmEmptyRecycle(count), MsgIcon::Question,
                                 MsgButtons::YesNo,
                                 fileops_msg::emptyRecycleTitle()) != MsgResult::Yes) {
            return;
        }
        int result = 0;
        {
            const BusyCursor busy;
            result = m_trash.empty();
        }
        if (result != 0) {
            m_dialogs.message(fileops_msg::emptyRecycleFailed(), MsgIcon::None);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void ShellCommands::OpenRecycle() {
    if (m_openUrl && m_openUrl(QUrl(QStringLiteral("trash:///")))) {
        return;
    }
    const QString files = m_trash.homeTrash() + u"/files";
    m_trash.makeHomeTrash();
    if (!m_openUrl || !m_openUrl(QUrl::fromLocalFile(files))) {
        m_dialogs.message(platform_msg::openFailed(files), MsgIcon::Exclamation);
    }
}

void ShellCommands::FilePopa(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    try {
        if (ShowFileProperties(path, m_window, m_propertyRows) <= 32) {
            m_dialogs.message(fileops_msg::propertiesFailed(), MsgIcon::Critical);
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
    }
}

void ShellCommands::registerCommands(CommandTable& table, std::function<QString()> selectedPath) {
    table.add(CommandId::ClsRecycle, [this] { ClsRecycle(); })
        .caption(QStringLiteral("ごみ箱を空にする"));
    table.add(CommandId::OpenRecycle, [this] { OpenRecycle(); })
        .caption(QStringLiteral("ごみ箱を開く"));
    table
        .add(CommandId::FilePopa,
             [this, selectedPath = std::move(selectedPath)] { FilePopa(selectedPath()); })
        .caption(QStringLiteral("プロパティ(&R)"));
}
