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

inline const char16_t* const kBytes = u"バイト";

}  // namespace browser_msg
