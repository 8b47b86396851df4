#pragma once

#include <QString>

// The play history's own texts, word for word.
namespace history_msg {

// Status panel 1 when a file starts where it was left, before its time ("続きから再生 12:34").
inline QString resumeFrom() {
    return QStringLiteral("続きから再生");
}

// Why the program goes on without history (said once a run); path: the store file.
inline QString cannotCreate(const QString& path) {
    return u"再生履歴のファイルを作れません（" + path + u"）。履歴なしで続けます。";
}
inline QString locked(const QString& path) {
    return u"再生履歴のファイルは別のプログラムが使っています（" + path +
           u"）。履歴なしで続けます。";
}
inline QString corrupt(const QString& path) {
    return u"再生履歴のファイルが壊れています（" + path +
           u"）。ファイルはそのまま残し、履歴なしで続けます。";
}
inline QString newer(const QString& path) {
    return u"再生履歴のファイルは新しい版で作られたため使えません（" + path +
           u"）。ファイルはそのまま残し、履歴なしで続けます。";
}
inline QString writeFailed(const QString& path) {
    return u"再生履歴を書き込めません（" + path + u"）。履歴なしで続けます。";
}

}  // namespace history_msg
