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

// Status panels 5 and 6: the mute and always-on-top options.
inline QString mutePanel(bool on) {
    return on ? QStringLiteral("ミュートON") : QStringLiteral("ミュートOFF");
}
inline QString onTopPanel(bool on) {
    return on ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF");
}

}  // namespace app_msg
