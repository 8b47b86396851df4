#pragma once

#include <QString>
#include <array>

// The names of the images the tree, the list and the location box use for special folders. One
// set is chosen at start from the name of the running system and kept for the whole run.
struct IconKeySet {
    QString FolderClose;
    QString FolderOpen;
    QString DeskTop;
    QString MyNet;
    QString MyDoc;
    QString UpOne;
    QString Favorites;
    QString MyMusic;
    QString MyPicture;
    QString MyVideo;

    // The XP-style set when the system's name contains "Windows XP", else the plain set.
    static IconKeySet forOsName(const QString& osName);
};

inline IconKeySet IconKeySet::forOsName(const QString& osName) {
    if (osName.contains(u"Windows XP")) {
        return {QStringLiteral("FolderClose"), QStringLiteral("FolderOpen"),
                QStringLiteral("DeskTopXp"),   QStringLiteral("MyNetXp"),
                QStringLiteral("MyDocXp"),     QStringLiteral("UpOneXp"),
                QStringLiteral("FavoritesXp"), QStringLiteral("MyMusicXp"),
                QStringLiteral("MyPictureXp"), QStringLiteral("MyVideoXp")};
    }
    return {QStringLiteral("FolderClose98"), QStringLiteral("FolderOpen98"),
            QStringLiteral("DeskTop98"),     QStringLiteral("MyNet98"),
            QStringLiteral("MyDoc98"),       QStringLiteral("UpOne98"),
            QStringLiteral("Favorites98"),   QStringLiteral("FolderClose98"),
            QStringLiteral("MyPicture98"),   QStringLiteral("FolderClose98")};
}

// The display sizes of the options menu's Dspsize items, as mScreenSize holds them.
struct DspsizeItem {
    enum : int {
        FitWindow = 0,   // "ウィンドウに合わせる" (F11)
        Half = 1,        // "50%"
        Actual = 2,      // "100%"
        Double = 3,      // "200%"
        FullScreen = 4,  // "フルスクリーン" (F12)
        FollowForm = 5,  // "100% - フォーム連動"
    };
    static constexpr int kCount = 6;
};

// The default file kinds listed and played when the settings name none.
inline QString defaultDspFile() {
    return QStringLiteral("*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png");
}

// The patterns of every extra file type (those played since the forty of the options dialog).
QString allExtraFileKinds();

// The settings and flags every part of the program shares. One instance lives as long as the
// main window and is handed by reference to whoever needs it; the settings load fills it. The
// options the menus show are changed through LiveSettings, which tells the menus.
struct Module1 {
    IconKeySet icons = IconKeySet::forOsName({});

    // Where the browser starts, and the volume it is on (a network volume also in mNetDrive).
    QString mStartPath;
    QString mStartDrive;
    QString mNetDrive;
    // The file kinds listed and played: patterns separated by ";", without a final ";".
    QString mDspFile = defaultDspFile();
    // The patterns of the extra file types ticked (all of them unless stored otherwise), listed
    // and played besides mDspFile; separated by ";", without a final ";".
    QString mExtraFile = allExtraFileKinds();
    qint16 mScreenSize = 0;      // display size 0-5 (the ticked Dspsize item)
    bool mMuteState = false;     // Opt(1) "ミュート"
    bool mScreenState = false;   // Opt(2) "常に手前に表示": the window stays on top
    bool mSlideShow = false;     // Opt(3) "スライドショーを行う"
    bool mGridLine = false;      // MnuGrid: grid lines in the file list
    bool mIconDsp = false;       // MnuIconSet: file icons in the list
    bool mTreeViewLine = false;  // TreeViewLine: lines in the folder tree
    qint16 mSlideTime = 0;       // slide-show interval in seconds
    qint16 mSlideType = 0;       // 0: pictures only, 1: every playable file
    qint16 mHiddenAtr = 0;
    qint16 mSystemAtr = 0;
    qint16 mReadOnlyAtr = 0;
    qint16 mFolderDsp = 0;
    qint16 mAutoColumFlg = 0;  // 1: do not fit the list's column widths
    qint16 mScreenSaver = 0;   // 1: the screen saver is off while the program runs
    qint16 mMousePlay = 0;     // nonzero: mouse gestures on
    // The quick paths of the tree's menu, most recent first (empty: a free slot), and the
    // recording mode (the ticked QuickPathSet item: 0 every time, 1 when played to the end, 2
    // never).
    std::array<QString, 7> mQuickPath;
    qint16 mQuickPathValue = 0;
    // The SoundFont MIDI files are played with; empty: the system's General MIDI set.
    QString mSoundFont;
    // Nonzero: the extraction asks for the folder to extract into (the options dialog's
    // "解凍時にフォルダを選択する。"); else it extracts into the folder on show.
    qint16 mSelectFolder = 0;
    // The options dialog's "続きから再生する": a file left before its end starts where it was left
    // the next time it plays ([PlayHistory] Resume).
    bool mResumePlay = true;
    // The options dialog's "数字を数の大きさで並べる": the list sorts names in their natural order
    // (numbers by value, Japanese collation); off, as plain text ([NameOrder] Natural).
    bool mNaturalOrder = true;

    // Kept for the run only, never stored: Opt(4) "クイックパス連続再生", a mark of its own;
    // TreeViewIcon "アイコン表示", the tree's other style item; toolbar button 7 "ファイルビュー",
    // the plain file view of the list (every file and folder, no play-list walk).
    bool mQuickPathPlay = false;
    bool mTreeViewIcon = false;
    bool mFileView = false;

    // The window's outer size in its normal state, in twips.
    qint32 mFormWidth = 0;
    qint32 mFormHeight = 0;

    // The file list's sort: column (1-based) and order (0 ascending).
    qint16 mSortColumn = 1;
    qint16 mSortOrder = 0;
    int mOldWaveVol = 0;
    // True while the end of a file may move the play list on.
    bool mPlayNextFlg = true;
};

// The file kinds the list shows and plays: those of the forty types, then the extra ones ticked.
inline QString listedFileKinds(const Module1& module) {
    if (module.mExtraFile.isEmpty()) {
        return module.mDspFile;
    }
    return module.mDspFile.isEmpty() ? module.mExtraFile
                                     : module.mDspFile + u';' + module.mExtraFile;
}
