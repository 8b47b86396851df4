#pragma once

#include <QString>

// The file commands' own texts, word for word.
namespace fileops_msg {

inline QString emptyRecycleTitle() {
    return QStringLiteral("ごみ箱を空にする");
}
inline QString confirmEmptyRecycle(int count) {
    return u"ごみ箱の " + QString::number(count) + u" 個の項目を完全に削除しますか?";
}
inline QString emptyRecycleFailed() {
    return QStringLiteral("ごみ箱削除に失敗しました。");
}
inline QString propertiesFailed() {
    return QStringLiteral("プロパティの表示に失敗しました。");
}

// The properties window.
inline QString propertiesTitle(const QString& name) {
    return name + u" のプロパティ";
}
inline QString labelName() {
    return QStringLiteral("名前:");
}
inline QString labelKind() {
    return QStringLiteral("種類:");
}
inline QString labelLinkTarget() {
    return QStringLiteral("リンク先:");
}
inline QString labelLocation() {
    return QStringLiteral("場所:");
}
inline QString labelSize() {
    return QStringLiteral("サイズ:");
}
inline QString labelContents() {
    return QStringLiteral("内容:");
}
inline QString labelModified() {
    return QStringLiteral("更新日時:");
}
inline QString labelAccessed() {
    return QStringLiteral("アクセス日時:");
}
inline QString labelPermissions() {
    return QStringLiteral("アクセス権:");
}
inline QString labelOwner() {
    return QStringLiteral("所有者:");
}
inline QString closeButton() {
    return QStringLiteral("閉じる");
}

// "1.50 KB (1,536 バイト)"; sizes under 1 KB as the short form alone.
inline QString sizeWithBytes(const QString& shortForm, const QString& groupedBytes) {
    return shortForm + u" (" + groupedBytes + u" バイト)";
}
inline QString contents(qint64 files, qint64 folders) {
    return u"ファイル " + QString::number(files) + u" 個、フォルダ " + QString::number(folders) +
           u" 個";
}
inline QString stillCounting() {
    return QStringLiteral(" (計算中...)");
}
inline QString countCapped() {
    return QStringLiteral(" 以上 (項目が多すぎるため途中まで)");
}
inline QString ownerAndGroup(const QString& owner, const QString& group) {
    return owner + u" (グループ: " + group + u")";
}

// The file commands of the list.
inline QString renameTitle() {
    return QStringLiteral("ファイル名の変更");
}
inline QString renameFolderRequest() {
    return QStringLiteral("変更するフォルダ名を入力してください｡");
}
inline QString renameFileRequest() {
    return QStringLiteral("変更するファイル名を入力してください｡");
}
// The rename box's prompt: the request, an empty line, then the item's data, one per line.
inline QString renamePrompt(bool folder, const QString& name, const QString& size,
                            const QString& date, const QString& type) {
    return (folder ? renameFolderRequest() : renameFileRequest()) + u"\r\r" +
           (folder ? u"[フォルダ名] " : u"[ファイル名] ") + name + u"\r[サイズ] " + size +
           u"\r[日　付] " + date + u"\r[種　類] " + type;
}
inline QString nameExists() {
    return QStringLiteral("すでに同じフォルダ・ファイル名が存在します。");
}
inline QString moveFilesCaption(const QString& lastPath) {
    return u"'" + lastPath + u"他' ファイルを移動するフォルダを選択してください｡";
}

// A new name that cannot be a name here; nothing is renamed or made.
inline QString badName(const QString& name, const QString& reason) {
    return u"「" + name + u"」は名前に使えません。\r" + reason;
}
inline QString badNameSlash() {
    return QStringLiteral("「/」は名前に使えない文字です。");
}
inline QString badNameNul() {
    return QStringLiteral("名前に使えない文字 (NUL) が含まれています。");
}
inline QString badNameDots() {
    return QStringLiteral("「.」と「..」は名前に使えません。");
}
inline QString badNameTooLong(int maxBytes) {
    return u"名前が長すぎます。このファイルシステムでは " + QString::number(maxBytes) +
           u" バイトまでです。";
}

// The extension dialog.
inline QString extDialogTitle() {
    return QStringLiteral("選択された拡張子の変更");
}
inline QString extFrame() {
    return QStringLiteral("拡張子の変更");
}
inline QString extUpper() {
    return QStringLiteral("大文字に");
}
inline QString extLower() {
    return QStringLiteral("小文字に");
}
inline QString extTyped() {
    return QStringLiteral("統一");
}
inline QString okButton() {
    return QStringLiteral("OK");
}
inline QString cancelButton() {
    return QStringLiteral("キャンセル");
}
// The typed extension would give a file the name another file has: that file is left as it is.
inline QString extNameTaken(const QString& name, const QString& taken) {
    return u"「" + taken + u"」が既にあるため、「" + name + u"」の拡張子は変更しませんでした。";
}
inline QString undoExtChange() {
    return QStringLiteral("拡張子の変更");
}

// The folder commands of the tree.
inline QString makeFolderTitle() {
    return QStringLiteral("フォルダ作成");
}
inline QString makeFolderPrompt(const QString& parentKey) {
    return u"'" + parentKey + u"'\rの下に作成するフォルダ名を入力してください。";
}
inline QString folderExists() {
    return QStringLiteral("既にフォルダが存在しています。");
}
inline QString moveFolderCaption(const QString& key) {
    return u"'" + key + u"'　を移動するフォルダを選択してください。";
}
inline QString renameFolderTitle() {
    return QStringLiteral("フォルダ名の変更");
}
inline QString renameFolderPrompt(const QString& text) {
    return renameFolderRequest() + u"\r\r[フォルダ名] " + text;
}
inline QString folderNameExists() {
    return QStringLiteral("すでに同じフォルダ名が存在します。");
}

// Drag and drop: a tree drop that cannot be carried out.
inline QString cannotMoveThere() {
    return QStringLiteral("その移動は無理です。確認して適切な場所へ移動させてください。");
}

// What undo commands are called in the status bar, and what it says when there is none.
inline QString undoDelete() {
    return QStringLiteral("ファイル削除");
}
inline QString undoMove() {
    return QStringLiteral("ファイル移動");
}
inline QString undoRename() {
    return QStringLiteral("名前の変更");
}
inline QString undoFolderDelete() {
    return QStringLiteral("フォルダ削除");
}
inline QString undoFolderMove() {
    return QStringLiteral("フォルダ移動");
}
inline QString nothingToUndo() {
    return QStringLiteral("元に戻す操作はありません。");
}

}  // namespace fileops_msg
