#pragma once

#include <QString>

// The platform layer's own texts, word for word.
namespace platform_msg {

inline QString screenSaverError() {
    return QStringLiteral("スクリーンセーバーON/OFF設定でエラー");
}

// Why the program keeps the screen saver away, as the desktop may show it.
inline QString screenSaverInhibitReason() {
    return QStringLiteral("スクリーンセーバーOFF設定");
}

}  // namespace platform_msg

// The shell operations: what the program says when one fails, and what the operations
// themselves ask and explain on the way.
namespace platform_msg {

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
inline QString renameTitle() {
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
inline QString progressCancel() {
    return QStringLiteral("キャンセル");
}

inline QString openFailed(const QString& path) {
    return u"「" + path +
           u"」を開けませんでした。\r関連付けられたプログラムがないか、起動できません。";
}

}  // namespace platform_msg
