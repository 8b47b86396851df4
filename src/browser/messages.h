#pragma once

#include <QString>

// The browser's own texts, word for word.
namespace browser_msg {

inline QString driveTypeUnknown(const QString& drive) {
    return u"ドライブ " + drive + u"はドライブの種類が判定できません。";
}
inline QString driveMissing(const QString& drive) {
    return u"ドライブ " + drive + u"は存在しません。";
}
inline QString driveNotReady(const QString& drive, const QString& typeName) {
    return u"ドライブ " + drive + u": - " + typeName + u"\r\n" + u"の準備ができていません。";
}

inline const char16_t* const kDriveTypeNames[] = {
    u"未知",
    u"存在しない",
    u"フロッピーディスク又はリムーバブル ディスク",
    u"ハード ディスク",
    u"ネットワーク ドライブ",
    u"CD-ROM",
    u"RAMディスク",
};

// The file list: column titles, the texts that size the columns at start, and the fixed texts of
// its rows and of the status bar.
inline const char16_t* const kListColumnTitles[] = {
    u"名前", u"拡張子", u"サイズ(KB)", u"更新日付", u"種類",
};
inline const char16_t* const kListColumnWidthTexts[] = {
    u"名前名前名前", u"拡張子拡", u"サイズサイズ(KB)", u"更新日付更新日付", u"種類種類",
};
inline const char16_t* const kNoExtension = u"<拡張子なし>";
inline const char16_t* const kFolderExtension = u"--";
inline const char16_t* const kFolderSize = u"フォルダ";
// The size text of folder rows added by the create-folder command; still a folder row.
inline const char16_t* const kFolderSizeAdded = u"フォルダﾞ";
inline const char16_t* const kFolderType = u"ファイル フォルダ";
inline const char16_t* const kFolderTypeAdded = u"ファイル フォルダﾞ";
inline const char16_t* const kSortMarkAscending = u"▲ ";
inline const char16_t* const kSortMarkDescending = u"▼ ";

// Status panel 1 while a folder takes long to read.
inline QString listReading() {
    return QStringLiteral("読み込み中…");
}

inline QString listStatus(qsizetype files, qsizetype folders) {
    return QString::number(files) + u"個のﾌｧｲﾙ(" + QString::number(folders) + u"個のﾌｫﾙﾀﾞ)";
}
inline QString listIconFailed(const QString& path) {
    return path + u"のアイコンファイルの取得に失敗しました。";
}
// The type name of a file kind the MIME database does not know: "XYZ ファイル", or "ファイル"
// for a name without extension.
inline QString unknownFileType(const QString& upperExtension) {
    return upperExtension.isEmpty() ? QStringLiteral("ファイル") : upperExtension + u" ファイル";
}

// The location box: its two fixed items, and the names it gives volumes ("ルート (/)").
inline const char16_t* const kLocationDeskTop = u"デスクトップ";
inline const char16_t* const kLocationMyDocuments = u"マイドキュメント";
inline const char16_t* const kVolumeRootName = u"ルート";
inline const char16_t* const kVolumeHomeName = u"ホーム";
inline QString volumeName(const QString& name, const QString& mountPoint) {
    return name + u" (" + mountPoint + u')';
}

// The find-files window.
inline const char16_t* const kFindTitle = u"ファイルの検索";
inline const char16_t* const kFindNameLabel = u"ファイル名(&N):";
inline const char16_t* const kFindNameHint =
    u"ワイルドカード * と ? が使えます。「;」で区切って複数指定できます。"
    u"ワイルドカードのない名前は、その文字を含むファイルを探します。";
inline const char16_t* const kFindFolderLabel = u"探す場所(&L):";
inline const char16_t* const kFindBrowse = u"参照(&R)...";
inline const char16_t* const kFindBrowseCaption = u"検索する場所を選択してください。";
inline const char16_t* const kFindSubFolders = u"サブフォルダも検索する(&S)";
inline const char16_t* const kFindStart = u"検索開始(&F)";
inline const char16_t* const kFindStop = u"中止(&T)";
inline const char16_t* const kFindOpenFolder = u"フォルダを開く(&O)";
inline const char16_t* const kFindColumnTitles[] = {u"名前", u"フォルダ", u"サイズ", u"更新日時"};
inline QString findFolderMissing(const QString& folder) {
    return u"検索する場所 " + folder + u" が見つかりません。";
}
inline QString findProgress(const QString& folder, qsizetype count) {
    return u"検索中: " + folder + u"  (" + QString::number(count) + u" 個見つかりました)";
}
inline QString findDone(qsizetype count) {
    return QString::number(count) + u" 個のファイルが見つかりました。";
}
inline QString findStopped(qsizetype count) {
    return u"検索を中止しました。(" + QString::number(count) + u" 個のファイルが見つかりました)";
}

}  // namespace browser_msg
