#pragma once

#include <QString>

// The delete, move and rename operations and their undo: what the program says when one fails,
// and what the operations ask and explain on the way. Word for word.
namespace fileops_msg {

inline QString deleteFailed() {
    return QStringLiteral("ファイル削除に失敗しました。");
}
inline QString moveFailed() {
    return QStringLiteral("ファイル移動に失敗しました。");
}
inline QString renameFailed() {
    return QStringLiteral("ファイル名の変更に失敗しました。");
}

inline QString deleteTitle() {
    return QStringLiteral("ファイルの削除");
}
inline QString moveTitle() {
    return QStringLiteral("ファイルの移動");
}
inline QString renameItemTitle() {
    return QStringLiteral("名前の変更");
}

// name: the one item's name; count: how many items there are.
inline QString confirmDelete(qsizetype count, const QString& name) {
    if (count == 1) {
        return u"「" + name + u"」をごみ箱に移動しますか?";
    }
    return QString::number(count) + u" 個の項目をごみ箱に移動しますか?";
}
inline QString confirmMove(qsizetype count, const QString& name, const QString& destination) {
    if (count == 1) {
        return u"「" + name + u"」を「" + destination + u"」に移動しますか?";
    }
    return QString::number(count) + u" 個の項目を「" + destination + u"」に移動しますか?";
}
inline QString replaceFile(const QString& name, const QString& folder) {
    return u"「" + name + u"」という名前のファイルが移動先に既にあります。\r(場所: " + folder +
           u")\r\r移動するファイルで置き換えますか?"
           u"\r「いいえ」を選ぶと、このファイルは移動しません。";
}
inline QString mergeFolder(const QString& name, const QString& folder) {
    return u"「" + name + u"」という名前のフォルダが移動先に既にあります。\r(場所: " + folder +
           u")\r\r中身をこのフォルダにまとめますか?\r同じ名前のファイルがあれば一つずつ確認します。"
           u"「いいえ」を選ぶと、このフォルダは移動しません。";
}

inline QString noPathsGiven() {
    return QStringLiteral("対象のファイルが指定されていません。");
}
inline QString notFullPath(const QString& path) {
    return u"「" + path + u"」は完全なパスではありません。";
}
inline QString cannotTrash(const QString& path, const QString& reason) {
    return u"「" + path + u"」をごみ箱に移動できません。\r" + reason;
}
inline QString noUsableTrash(const QString& path) {
    return u"「" + path + u"」はごみ箱を使えない場所にあるため、ごみ箱に移動できません。";
}
inline QString cannotMove(const QString& path, const QString& reason) {
    return u"「" + path + u"」を移動できません。\r" + reason;
}
inline QString destinationMissing(const QString& destination) {
    return u"移動先のフォルダ「" + destination + u"」が見つかりません。";
}
inline QString moveIntoItself(const QString& path) {
    return u"フォルダ「" + path + u"」を、そのフォルダ自身の中には移動できません。";
}
inline QString kindConflict(const QString& target) {
    return u"移動先に種類の違う同じ名前の項目「" + target + u"」があるため、移動できません。";
}
inline QString sourceLeftBehind(const QString& path, const QString& reason) {
    return u"「" + path + u"」は移動先にコピーできましたが、元の場所から削除できませんでした。\r" +
           reason;
}
inline QString cannotRename(const QString& path, const QString& reason) {
    return u"「" + path + u"」の名前を変更できません。\r" + reason;
}
inline QString nameTaken(const QString& path) {
    return u"「" + path + u"」は既に存在します。";
}

inline QString progressLabel(const QString& name) {
    return u"「" + name + u"」を移動しています...";
}

// What an operation is called in the undo history when no command named it.
inline QString deleteStep() {
    return QStringLiteral("ファイル削除");
}
inline QString moveStep() {
    return QStringLiteral("ファイル移動");
}
inline QString renameStep() {
    return QStringLiteral("名前の変更");
}

// Undo.
inline QString undoTitle() {
    return QStringLiteral("元に戻す");
}
inline QString undoPlaceTaken(const QString& path) {
    return u"元の場所「" + path +
           u"」には、既に同じ名前の項目があります。\r\rその項目をごみ箱に移動して、元に戻しますか?"
           u"\r「いいえ」を選ぶと、この項目は今の場所に残ります。";
}
inline QString cannotUndo(const QString& path, const QString& reason) {
    return u"「" + path + u"」を元に戻せません。\r" + reason;
}
inline QString undoProgressLabel(const QString& name) {
    return u"「" + name + u"」を元の場所に戻しています...";
}
// description: what was undone, e.g. "ファイル削除"; count: how many items came back.
inline QString undoDone(const QString& description, qsizetype count) {
    return u"元に戻しました: " + description + u" (" + QString::number(count) + u" 個)";
}
inline QString undoPartly(const QString& description, qsizetype count, qsizetype left) {
    return u"元に戻しました: " + description + u" (" + QString::number(count) + u" 個、" +
           QString::number(left) + u" 個はそのまま)";
}
inline QString undoDeclined(const QString& description) {
    return u"元に戻しませんでした: " + description;
}
inline QString undoStopped(const QString& description) {
    return u"元に戻す途中で中止しました: " + description;
}

}  // namespace fileops_msg
