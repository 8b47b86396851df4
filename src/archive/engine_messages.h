#pragma once

#include <QString>

// Why the extraction left an entry out, as the user reads it beside the entry's name.
namespace engine_msg {

inline QString refusedDotDot() {
    return QStringLiteral("「..」で上のフォルダを指しているため、展開しませんでした。");
}

inline QString refusedThroughSymlink() {
    return QStringLiteral(
        "シンボリックリンクを経由して書き込むことになるため、展開しませんでした。");
}

inline QString refusedLinkOutside() {
    return QStringLiteral("展開先の外を指すリンクのため、展開しませんでした。");
}

inline QString refusedSpecialFile() {
    return QStringLiteral("デバイスなどの特殊なファイルのため、展開しませんでした。");
}

inline QString refusedOutsideDestination() {
    return QStringLiteral("展開先フォルダの外に出る名前のため、展開しませんでした。");
}

inline QString refusedUnreadableName() {
    return QStringLiteral("名前を読み取れないため、展開しませんでした。");
}

inline QString refusedCannotWrite() {
    return QStringLiteral("書き込めなかったため、展開しませんでした。");
}

}  // namespace engine_msg
