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

}  // namespace fileops_msg
