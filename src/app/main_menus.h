#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <array>

#include "platform/command_table.h"
#include "settings/module1.h"

class QAction;
class QMenu;
class QWidget;

// The elements of the options menu's Opt array (there is no element 0).
struct OptItem {
    enum : int {
        Mute = 1,           // "ミュート" (F1)
        OnTop = 2,          // "常に手前に表示" (F2)
        SlideShow = 3,      // "スライドショーを行う"
        QuickPathPlay = 4,  // "クイックパス連続再生"
        Bar = 5,            // separator
        Options = 6,        // "環境設定": the options dialog
    };
};

// A menu item and the command it runs. held: the slide show is held before the command (the file
// and folder commands and the emptying of the trash; the other items' commands hold it
// themselves where they must).
struct MenuCommand {
    QAction* item = nullptr;
    CommandRef command;
    bool held = false;
};

// The main window's menus: quickAccess (the tree's menu), DspOption (the status bar's menu) and
// MnuPlayOpt (the file list's menu), every item under its own name. Control arrays keep their
// indices: pass 0-6, QuickPathSet 0-2, Dspsize 0-5, Opt 1-6 (Opt has no element 0).
struct MainMenus {
    QMenu* quickAccess = nullptr;
    std::array<QAction*, 7> pass{};
    QAction* bar2 = nullptr;
    QMenu* QuickPathOnOff = nullptr;
    std::array<QAction*, 3> QuickPathSet{};
    QAction* QuickPathAdd = nullptr;
    QAction* QuickPathClear = nullptr;
    QAction* bar1 = nullptr;
    QAction* GoMydoc = nullptr;
    QAction* GoDeskTop = nullptr;
    QAction* GoNetWtok = nullptr;
    QAction* GoFolder = nullptr;
    QAction* Bar3 = nullptr;
    QAction* GoExp = nullptr;
    QAction* GoSearch = nullptr;
    QAction* bar8 = nullptr;
    QAction* MnuMakeFolder = nullptr;
    QAction* MnuMovFolder = nullptr;
    QAction* MnuReNameFolder = nullptr;
    QAction* MnuDelFolder4 = nullptr;
    QAction* bar4 = nullptr;
    QMenu* MnuTreeView = nullptr;
    QAction* TreeViewLine = nullptr;
    QAction* TreeViewIcon = nullptr;

    QMenu* DspOption = nullptr;
    QMenu* DspOpt = nullptr;
    std::array<QAction*, 6> Dspsize{};  // indexed by DspsizeItem
    std::array<QAction*, 7> Opt{};      // indexed by OptItem; Opt[0] stays null

    QMenu* MnuPlayOpt = nullptr;
    QAction* MnuMoviePlay = nullptr;
    QAction* MnuMovieStop = nullptr;
    QAction* MnuPrevios = nullptr;
    QAction* MunNext = nullptr;
    QAction* MnuLoop = nullptr;
    QAction* MunOpen = nullptr;
    QAction* PlayFromStart = nullptr;
    QAction* PlayUnplayed = nullptr;
    QAction* ClearPlayMarks = nullptr;
    QAction* StopAfterCurrent = nullptr;
    QAction* bar = nullptr;
    QMenu* MnuListView = nullptr;
    QAction* MnuGrid = nullptr;
    QAction* MnuIconSet = nullptr;
    QAction* bar5 = nullptr;
    QAction* ReFileNameFile = nullptr;
    QAction* ReNameFile = nullptr;
    QAction* MoveFile = nullptr;
    QAction* DelFile = nullptr;
    QAction* bar11 = nullptr;
    QAction* OpenRecycle = nullptr;
    QAction* ClsRecycle = nullptr;
    QAction* bar7 = nullptr;
    QAction* Listkousin = nullptr;
    QAction* FilePopa = nullptr;
    QAction* bar6 = nullptr;
    QAction* ExitQuorvane = nullptr;

    // Builds every menu; the menus' shortcuts are made to work anywhere in the window.
    static MainMenus build(QWidget* window);
    // Every item that runs a command, with its command.
    QList<MenuCommand> commands() const;
    // The list's menu for the row it opens on: the play items and the file items shown or not.
    void showListItems(bool playItems, bool fileItems) const;

    // The index of the first ticked item of an array, -1 when none is ticked.
    template <typename Array>
    static int firstChecked(const Array& items, int from = 0);
    // Ticks exactly one item of an array.
    template <typename Array>
    static void checkOnly(const Array& items, int index);
};

template <typename Array>
int MainMenus::firstChecked(const Array& items, int from) {
    for (int i = from; i < static_cast<int>(items.size()); ++i) {
        if (items[i] != nullptr && items[i]->isChecked()) {
            return i;
        }
    }
    return -1;
}

template <typename Array>
void MainMenus::checkOnly(const Array& items, int index) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[i] != nullptr) {
            items[i]->setChecked(i == index);
        }
    }
}
