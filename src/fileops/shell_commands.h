#pragma once

#include <QPointer>
#include <QString>

#include "fileops/file_properties_dialog.h"
#include "platform/shell_execute.h"

#include <functional>

class CommandTable;
class Dialogs;
class QWidget;
class Trash;

// The list menu's trash and properties commands: empty the trash, show it in the desktop's
// file manager, and show the properties of the selected item.
class ShellCommands {
public:
    ShellCommands(Dialogs& dialogs, Trash& trash, UrlOpener openUrl, QWidget* window = nullptr);

    // Lines the properties window adds for a file (the player's media details).
    void setPropertyRowsProvider(PropertyRowsProvider provider) {
        m_propertyRows = std::move(provider);
    }

    // Empties every trash of the user after one question.
    void ClsRecycle();
    // Shows the trash in the desktop's file manager, or its folder of items where the desktop
    // does not know the trash.
    void OpenRecycle();
    // Shows the properties of path (the selected row's item, or the folder shown); an empty
    // path (an empty list) does nothing.
    void FilePopa(const QString& path);

    // The trash commands, and the properties of what selectedPath gives.
    void registerCommands(CommandTable& table, std::function<QString()> selectedPath);

private:
    Dialogs& m_dialogs;
    Trash& m_trash;
    UrlOpener m_openUrl;
    QPointer<QWidget> m_window;
    PropertyRowsProvider m_propertyRows;
};
