#pragma once

#include <QString>

// The texts of navigation and the quick paths, word for word.
namespace nav_msg {

inline QString cannotMove() {
    return QStringLiteral("選択されたパスに移動できません。");
}
inline QString pathMissing() {
    return QStringLiteral("パスは、存在しません。");
}
inline QString chooseNetwork() {
    return QStringLiteral("ネットワークを指定してください。");
}
inline QString chooseFolder() {
    return QStringLiteral("フォルダーを選択してください");
}
inline QString clearQuickPaths() {
    return QStringLiteral("クイックパスをクリアします。よろしいですか?");
}
inline QString fileManagerFailed(const QString& folder) {
    return folder + u"をファイル マネージャで開けませんでした。";
}

}  // namespace nav_msg
