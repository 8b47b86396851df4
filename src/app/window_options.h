#pragma once

#include <functional>

#include <QPointer>
#include <QString>

class CommandTable;
class Dialogs;
class FileList;
class FolderTree;
class Form2;
class IntervalTimer;
class LiveSettings;
class PlayList;
class PlaybackHold;
class Toolbar1;
class QWidget;
struct Module1;

// The options menu and the views' styles: the display size, mute, always on top, the slide show,
// the quick-path play, the options dialog, the list's grid lines and icon view, the tree's
// styles, the file view and the program's end. Each command changes the setting through the live
// settings (the menus, the toolbar and the status bar follow them) and applies it to the players
// and the views.
class WindowOptions {
public:
    struct Parts {
        Module1& state;
        LiveSettings& settings;
        const PlaybackHold& hold;
        IntervalTimer& timer1;
        PlayList& playList;
        FileList& list;
        FolderTree& tree;
        Toolbar1& toolbar;
        Dialogs& dialogs;
        QWidget& window;
        QString iniPath;
        // "履歴を消去" in the options dialog, once the user said yes.
        std::function<void()> clearHistory = {};
    };
    explicit WindowOptions(const Parts& parts) : m(parts) {}

    void registerCommands(CommandTable& table);

    // A display size (DspsizeItem), an option of the options menu (OptItem; Options opens the
    // options dialog).
    void Dspsize_Click(int index);
    void Opt_Click(int index);
    // The window over or among the others.
    void applyOnTop(bool on);
    // The options dialog while it is open.
    Form2* optionsDialog() const;

private:
    void treeViewStyle(bool lineItem);
    void toggleFileView();
    void openOptions();

    Parts m;
    QPointer<Form2> m_options;
};
