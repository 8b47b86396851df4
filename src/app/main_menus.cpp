#include "app/main_menus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {

// Adds one item named after the program's name for it; its caption, shortcut and tick are its
// command's, given when the item is bound to it.
QAction* item(QMenu* menu, const char* name) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* arrayItem(QMenu* menu, const char* name, int index) {
    QAction* action = item(menu, name);
    action->setObjectName(QString::fromLatin1(name) + u'(' + QString::number(index) + u')');
    action->setData(index);
    return action;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* topMenu(QWidget* window, const char* name, const QString& caption) {
    auto* menu = new QMenu(caption, window);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

}  // namespace

MainMenus MainMenus::build(QWidget* window) {
    MainMenus m;

    m.quickAccess = topMenu(window, "quickAccess", QStringLiteral("クイックパスアクセス(&Q)"));
    for (int k = 0; k < 7; ++k) {
        m.pass[k] = arrayItem(m.quickAccess, "pass", k);
        m.pass[k]->setVisible(false);
    }
    m.bar2 = separator(m.quickAccess, "bar2");
    m.QuickPathOnOff = submenu(m.quickAccess, "QuickPathOnOff", QStringLiteral("クイックパス記録"));
    for (int i = 0; i < 3; ++i) {
        m.QuickPathSet[i] = arrayItem(m.QuickPathOnOff, "QuickPathSet", i);
    }
    m.QuickPathAdd = item(m.quickAccess, "QuickPathAdd");
    m.QuickPathClear = item(m.quickAccess, "QuickPathClear");
    m.bar1 = separator(m.quickAccess, "bar1(0)");
    m.GoMydoc = item(m.quickAccess, "GoMydoc");
    m.GoDeskTop = item(m.quickAccess, "GoDeskTop");
    m.GoNetWtok = item(m.quickAccess, "GoNetWtok");
    m.GoFolder = item(m.quickAccess, "GoFolder");
    m.Bar3 = separator(m.quickAccess, "Bar3");
    m.GoExp = item(m.quickAccess, "GoExp");
    m.GoSearch = item(m.quickAccess, "GoSearch");
    m.bar8 = separator(m.quickAccess, "bar8");
    m.MnuMakeFolder = item(m.quickAccess, "MnuMakeFolder");
    m.MnuMovFolder = item(m.quickAccess, "MnuMovFolder");
    m.MnuReNameFolder = item(m.quickAccess, "MnuReNameFolder");
    m.MnuDelFolder4 = item(m.quickAccess, "MnuDelFolder4");
    m.bar4 = separator(m.quickAccess, "bar4");
    m.MnuTreeView = submenu(m.quickAccess, "MnuTreeView", QStringLiteral("ツリービュー"));
    m.TreeViewLine = item(m.MnuTreeView, "TreeViewLine");
    m.TreeViewIcon = item(m.MnuTreeView, "TreeViewIcon");

    m.DspOption = topMenu(window, "DspOption", QStringLiteral("オプション(&O)"));
    m.DspOpt = submenu(m.DspOption, "DspOpt", QStringLiteral("画面サイズ"));
    for (int i = 0; i < DspsizeItem::kCount; ++i) {
        m.Dspsize[i] = arrayItem(m.DspOpt, "Dspsize", i);
    }
    for (int i = OptItem::Mute; i <= OptItem::Options; ++i) {
        m.Opt[i] =
            i == OptItem::Bar ? separator(m.DspOption, "Opt(5)") : arrayItem(m.DspOption, "Opt", i);
    }

    m.MnuPlayOpt = topMenu(window, "MnuPlayOpt", QStringLiteral("再生オプション"));
    m.MnuMoviePlay = item(m.MnuPlayOpt, "MnuMoviePlay");
    m.MnuMovieStop = item(m.MnuPlayOpt, "MnuMovieStop");
    m.MnuPrevios = item(m.MnuPlayOpt, "MnuPrevios");
    m.MunNext = item(m.MnuPlayOpt, "MunNext");
    m.MnuLoop = item(m.MnuPlayOpt, "MnuLoop");
    m.StopAfterCurrent = item(m.MnuPlayOpt, "StopAfterCurrent");
    m.MunOpen = item(m.MnuPlayOpt, "MunOpen");
    m.PlayFromStart = item(m.MnuPlayOpt, "PlayFromStart");
    m.PlayUnplayed = item(m.MnuPlayOpt, "PlayUnplayed");
    m.ClearPlayMarks = item(m.MnuPlayOpt, "ClearPlayMarks");
    m.bar = separator(m.MnuPlayOpt, "bar");
    m.MnuListView = submenu(m.MnuPlayOpt, "MnuListView", QStringLiteral("リストビュー"));
    m.MnuGrid = item(m.MnuListView, "MnuGrid");
    m.MnuIconSet = item(m.MnuListView, "MnuIconSet");
    m.bar5 = separator(m.MnuPlayOpt, "bar5");
    m.ReFileNameFile = item(m.MnuPlayOpt, "ReFileNameFile");
    m.ReNameFile = item(m.MnuPlayOpt, "ReNameFile");
    m.MoveFile = item(m.MnuPlayOpt, "MoveFile");
    m.DelFile = item(m.MnuPlayOpt, "DelFile");
    m.bar11 = separator(m.MnuPlayOpt, "bar11");
    m.OpenRecycle = item(m.MnuPlayOpt, "OpenRecycle");
    m.ClsRecycle = item(m.MnuPlayOpt, "ClsRecycle");
    m.bar7 = separator(m.MnuPlayOpt, "bar7");
    m.Listkousin = item(m.MnuPlayOpt, "Listkousin");
    m.FilePopa = item(m.MnuPlayOpt, "FilePopa");
    m.bar6 = separator(m.MnuPlayOpt, "bar6");
    m.ExitQuorvane = item(m.MnuPlayOpt, "ExitQuorvane");
    return m;
}

QList<MenuCommand> MainMenus::commands() const {
    using C = CommandId;
    QList<MenuCommand> items = {
        {QuickPathAdd, C::QuickPathAdd},
        {QuickPathClear, C::QuickPathClear},
        {GoMydoc, C::GoMydoc},
        {GoDeskTop, C::GoDeskTop},
        {GoNetWtok, C::GoNetWtok},
        {GoFolder, C::GoFolder},
        {GoExp, C::GoExp},
        {GoSearch, C::GoSearch},
        {MnuMakeFolder, C::MnuMakeFolder, true},
        {MnuMovFolder, C::MnuMovFolder, true},
        {MnuReNameFolder, C::MnuReNameFolder, true},
        {MnuDelFolder4, C::MnuDelFolder4, true},
        {TreeViewLine, C::TreeViewLine},
        {TreeViewIcon, C::TreeViewIcon},
        {Opt[OptItem::Mute], C::Mute},
        {Opt[OptItem::OnTop], C::OnTop},
        {Opt[OptItem::SlideShow], C::SlideShow},
        {Opt[OptItem::QuickPathPlay], C::QuickPathPlay},
        {Opt[OptItem::Options], C::Options},
        {MnuMoviePlay, C::MnuMoviePlay},
        {MnuMovieStop, C::Stop},
        {MnuPrevios, C::PlayPrevious},
        {MunNext, C::PlayNext},
        {MnuLoop, {C::ToggleLoop, 0}},
        {MunOpen, C::MunOpen},
        {PlayFromStart, C::PlayFromStart},
        {PlayUnplayed, C::PlayUnplayed},
        {ClearPlayMarks, C::ClearPlayMarks},
        {StopAfterCurrent, C::StopAfterCurrent},
        {MnuGrid, C::MnuGrid},
        {MnuIconSet, C::MnuIconSet},
        {ReFileNameFile, C::ReFileNameFile, true},
        {ReNameFile, C::ReNameFile, true},
        {MoveFile, C::MoveFile, true},
        {DelFile, C::DelFile, true},
        {OpenRecycle, C::OpenRecycle},
        {ClsRecycle, C::ClsRecycle, true},
        {Listkousin, C::Refresh},
        {FilePopa, C::FilePopa},
        {ExitQuorvane, C::ExitQuorvane},
    };
    for (int k = 0; k < static_cast<int>(pass.size()); ++k) {
        items.append({pass[k], {C::QuickPath, k}});
    }
    for (int i = 0; i < static_cast<int>(QuickPathSet.size()); ++i) {
        items.append({QuickPathSet[i], {C::QuickPathSet, i}});
    }
    for (int i = 0; i < static_cast<int>(Dspsize.size()); ++i) {
        items.append({Dspsize[i], {C::Dspsize, i}});
    }
    return items;
}

void MainMenus::showListItems(bool playItems, bool fileItems) const {
    for (QAction* item :
         {MnuMoviePlay, MnuMovieStop, MnuPrevios, MunNext, MnuLoop, StopAfterCurrent}) {
        item->setVisible(playItems);
    }
    // The grid-line item stays: only the icon-view item of the sub-menu goes with the list.
    for (QAction* item : {MunOpen, PlayFromStart, PlayUnplayed, ClearPlayMarks, MnuIconSet,
                          FilePopa, DelFile, bar, MoveFile, ReNameFile}) {
        item->setVisible(fileItems);
    }
}
