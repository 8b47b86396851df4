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

// The unit of a size under one kilobyte.
inline QString bytesUnit() {
    return QStringLiteral("バイト");
}

// The cancel button of a long file operation's progress.
inline QString progressCancel() {
    return QStringLiteral("キャンセル");
}

// Opening a file with the program the desktop associates with it.
inline QString openFailed(const QString& path) {
    return u"「" + path +
           u"」を開けませんでした。\r関連付けられたプログラムがないか、起動できません。";
}

}  // namespace platform_msg
