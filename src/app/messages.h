#pragma once

#include <QString>

// The application shell's own texts, word for word.
namespace app_msg {

inline QString startPathMissing(const QString& path) {
    return path + QStringLiteral("\rが見つかりません。");
}
inline QString alreadyRunning() {
    return QStringLiteral("既に起動しています。");
}
inline QString splashLabel() {
    return QStringLiteral("For Windows2000/XP フリーソフト");
}

}  // namespace app_msg
