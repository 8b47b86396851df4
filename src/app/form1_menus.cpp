#include "app/form1_menus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {

// Adds one item named after the program's name for it; a caption "-" makes a separator.
QAction* item(QMenu* menu, const char* name, const QString& caption, bool checkable = false,
              const QKeySequence& shortcut = {}) {
    QAction* action = nullptr;
    if (caption == u"-") {
        action = menu->addSeparator();
    } else {
        action = menu->addAction(caption);
        action->setCheckable(checkable);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
    }
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* arrayItem(QMenu* menu, const char* name, int index, const QString& caption,
                   bool checkable = false, const QKeySequence& shortcut = {}) {
    QAction* action = item(menu, name, caption, checkable, shortcut);
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

Form1Menus Form1Menus::build(QWidget* window) {
    Form1Menus m;

    m.quickAccess = topMenu(window, "quickAccess", QStringLiteral("クイックパスアクセス(&Q)"));
    for (int k = 0; k < 7; ++k) {
        m.pass[k] = arrayItem(m.quickAccess, "pass", k, QString());
        m.pass[k]->setVisible(false);
    }
    m.bar2 = item(m.quickAccess, "bar2", QStringLiteral("-"));
    m.QuickPathOnOff = submenu(m.quickAccess, "QuickPathOnOff", QStringLiteral("クイックパス記録"));
    m.QuickPathSet[0] =
        arrayItem(m.QuickPathOnOff, "QuickPathSet", 0, QStringLiteral("毎回記録する。"), true);
    m.QuickPathSet[1] = arrayItem(m.QuickPathOnOff, "QuickPathSet", 1,
                                  QStringLiteral("最後まで見た時、記録する。"), true);
    m.QuickPathSet[2] = arrayItem(m.QuickPathOnOff, "QuickPathSet", 2,
                                  QStringLiteral("まったく登録しない。"), true);
    m.QuickPathAdd =
        item(m.quickAccess, "QuickPathAdd", QStringLiteral("クイックパスに現在のパスを追加"));
    m.QuickPathClear =
        item(m.quickAccess, "QuickPathClear", QStringLiteral("クイックパスクリア(&C)"));
    m.bar1 = arrayItem(m.quickAccess, "bar1", 0, QStringLiteral("-"));
    m.GoMydoc = item(m.quickAccess, "GoMydoc", QStringLiteral("マイドキュメント(&M)"), false,
                     QKeySequence(Qt::Key_F6));
    m.GoDeskTop = item(m.quickAccess, "GoDeskTop", QStringLiteral("デスクトップ(&D)"), false,
                       QKeySequence(Qt::Key_F7));
    m.GoNetWtok = item(m.quickAccess, "GoNetWtok", QStringLiteral("ネットワーク"), false,
                       QKeySequence(Qt::Key_F8));
    m.GoFolder = item(m.quickAccess, "GoFolder", QStringLiteral("フォルダ選択"));
    m.Bar3 = item(m.quickAccess, "Bar3", QStringLiteral("-"));
    m.GoExp = item(m.quickAccess, "GoExp", QStringLiteral("エクスプローラ(&X)"));
    m.GoSearch = item(m.quickAccess, "GoSearch", QStringLiteral("検索(&F)"));
    m.bar8 = item(m.quickAccess, "bar8", QStringLiteral("-"));
    m.MnuMakeFolder = item(m.quickAccess, "MnuMakeFolder", QStringLiteral("フォルダ作成(K)"));
    m.MnuMovFolder = item(m.quickAccess, "MnuMovFolder", QStringLiteral("フォルダ移動(M)"));
    m.MnuReNameFolder =
        item(m.quickAccess, "MnuReNameFolder", QStringLiteral("フォルダ名前変更(R)"));
    m.MnuDelFolder4 = item(m.quickAccess, "MnuDelFolder4", QStringLiteral("フォルダ削除(DEL)"));
    m.bar4 = item(m.quickAccess, "bar4", QStringLiteral("-"));
    m.MnuTreeView = submenu(m.quickAccess, "MnuTreeView", QStringLiteral("ツリービュー"));
    m.TreeViewLine = item(m.MnuTreeView, "TreeViewLine", QStringLiteral("ライン表示"), true);
    m.TreeViewIcon = item(m.MnuTreeView, "TreeViewIcon", QStringLiteral("アイコン表示"), true);

    m.DspOption = topMenu(window, "DspOption", QStringLiteral("オプション(&O)"));
    m.DspOpt = submenu(m.DspOption, "DspOpt", QStringLiteral("画面サイズ"));
    const QString sizes[6] = {QStringLiteral("ウィンドウに合わせる"),
                              QStringLiteral("50%"),
                              QStringLiteral("100%"),
                              QStringLiteral("200%"),
                              QStringLiteral("フルスクリーン"),
                              QStringLiteral("100% - フォーム連動")};
    for (int i = 0; i < DspsizeItem::kCount; ++i) {
        const QKeySequence key = i == DspsizeItem::FitWindow    ? QKeySequence(Qt::Key_F11)
                                 : i == DspsizeItem::FullScreen ? QKeySequence(Qt::Key_F12)
                                                                : QKeySequence();
        m.Dspsize[i] = arrayItem(m.DspOpt, "Dspsize", i, sizes[i], true, key);
    }
    const auto opt = [&m](int index, const QString& caption, bool checkable = false,
                          const QKeySequence& key = {}) {
        m.Opt[index] = arrayItem(m.DspOption, "Opt", index, caption, checkable, key);
    };
    opt(OptItem::Mute, QStringLiteral("ミュート"), true, QKeySequence(Qt::Key_F1));
    opt(OptItem::OnTop, QStringLiteral("常に手前に表示"), true, QKeySequence(Qt::Key_F2));
    opt(OptItem::SlideShow, QStringLiteral("スライドショーを行う"), true);
    opt(OptItem::QuickPathPlay, QStringLiteral("クイックパス連続再生"), true);
    opt(OptItem::Bar, QStringLiteral("-"));
    opt(OptItem::Options, QStringLiteral("環境設定"));

    m.MnuPlayOpt = topMenu(window, "MnuPlayOpt", QStringLiteral("再生オプション"));
    m.MnuMoviePlay = item(m.MnuPlayOpt, "MnuMoviePlay", QStringLiteral("再生/一時停止(&P)"));
    m.MnuMovieStop = item(m.MnuPlayOpt, "MnuMovieStop", QStringLiteral("停止"));
    m.MnuPrevios = item(m.MnuPlayOpt, "MnuPrevios", QStringLiteral("１つ前へ↑(&F)"));
    m.MunNext = item(m.MnuPlayOpt, "MunNext", QStringLiteral("１つ次へ↓(&N)"));
    m.MnuLoop = item(m.MnuPlayOpt, "MnuLoop", QStringLiteral("リピート再生"), true);
    m.MunOpen = item(m.MnuPlayOpt, "MunOpen", QStringLiteral("開く"));
    m.bar = item(m.MnuPlayOpt, "bar", QStringLiteral("-"));
    m.MnuListView = submenu(m.MnuPlayOpt, "MnuListView", QStringLiteral("リストビュー"));
    m.MnuGrid = item(m.MnuListView, "MnuGrid", QStringLiteral("グリッド線"), true);
    m.MnuIconSet = item(m.MnuListView, "MnuIconSet", QStringLiteral("アイコン表示"), true);
    m.bar5 = item(m.MnuPlayOpt, "bar5", QStringLiteral("-"));
    m.ReFileNameFile = item(m.MnuPlayOpt, "ReFileNameFile", QStringLiteral("ファイル名の変更(R)"));
    m.ReNameFile = item(m.MnuPlayOpt, "ReNameFile", QStringLiteral("拡張子の変更"));
    m.MoveFile = item(m.MnuPlayOpt, "MoveFile", QStringLiteral("ファイル移動(M)"));
    m.DelFile = item(m.MnuPlayOpt, "DelFile", QStringLiteral("ファイル削除(Del)"));
    m.bar11 = item(m.MnuPlayOpt, "bar11", QStringLiteral("-"));
    m.OpenRecycle = item(m.MnuPlayOpt, "OpenRecycle", QStringLiteral("ごみ箱を開く"));
    m.ClsRecycle = item(m.MnuPlayOpt, "ClsRecycle", QStringLiteral("ごみ箱を空にする"));
    m.bar7 = item(m.MnuPlayOpt, "bar7", QStringLiteral("-"));
    m.Listkousin = item(m.MnuPlayOpt, "Listkousin", QStringLiteral("最新の情報に更新"));
    m.FilePopa = item(m.MnuPlayOpt, "FilePopa", QStringLiteral("プロパティ(&R)"));
    m.bar6 = item(m.MnuPlayOpt, "bar6", QStringLiteral("-"));
    m.ExitQuorvane = item(m.MnuPlayOpt, "ExitQuorvane", QStringLiteral("Quorvaneを終了する"));

    // Shortcuts of menus that are only ever shown as context menus must work without them.
    for (QMenu* menu : {m.quickAccess, m.DspOption, m.DspOpt, m.MnuPlayOpt}) {
        for (QAction* action : menu->actions()) {
            if (!action->shortcut().isEmpty()) {
                window->addAction(action);
            }
        }
    }
    return m;
}

QList<MenuCommand> Form1Menus::commands() const {
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
