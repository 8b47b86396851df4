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
// What a screen reader calls the window's controls that show no text of their own.
inline QString treeName() {
    return QStringLiteral("フォルダ");
}
inline QString listName() {
    return QStringLiteral("ファイル");
}
inline QString locationBoxName() {
    return QStringLiteral("場所");
}
inline QString pictureName() {
    return QStringLiteral("映像");
}
inline QString rateSliderName() {
    return QStringLiteral("再生スピード");
}
inline QString rateOneName() {
    return QStringLiteral("再生スピードを通常(1.0)にする");
}
inline QString moreButtonsName() {
    return QStringLiteral("その他のボタン");
}
inline QString verticalScrollBarName() {
    return QStringLiteral("縦スクロールバー");
}
inline QString horizontalScrollBarName() {
    return QStringLiteral("横スクロールバー");
}

// The command line's answers on the terminal.
inline QString programSummary() {
    return QStringLiteral("メディアプレーヤーと一体になった2ペインのファイルブラウザ");
}
inline QString commandLineHelp() {
    return QStringLiteral(
               "使い方: quorvane [フォルダ | ファイル]\n"
               "        quorvane --extract-here ファイル...\n"
               "        quorvane --help | --version\n"
               "\n") +
           programSummary() +
           QStringLiteral(
               "です。\n"
               "\n"
               "  フォルダ        そのフォルダを開いて起動します。\n"
               "  ファイル        ファイルのあるフォルダを開いて起動し、\n"
               "                  そのファイルを再生します。\n"
               "  --extract-here ファイル...\n"
               "                  LZH、ZIP の書庫を、書庫のあるフォルダに解凍します\n"
               "                  （メイン ウィンドウは開きません）。\n"
               "  -h, --help      この説明を表示して終了します。\n"
               "  --version       バージョンを表示して終了します。\n"
               "\n"
               "設定ファイル:\n"
               "  実行ファイルのフォルダ（/usr の下を除く）に書き込めるとき、\n"
               "  またはそこに既にあるときは、実行ファイルの隣の quorvane.ini。\n"
               "  それ以外は $XDG_CONFIG_HOME/quorvane/quorvane.ini\n"
               "  （既定は ~/.config/quorvane/quorvane.ini）。\n");
}
inline QString versionText(const QString& caption) {
    return caption + u'\n' + programSummary() + u'\n';
}
inline QString unknownOption(const QString& option) {
    return QStringLiteral("quorvane: 不明なオプションです: ") + option +
           QStringLiteral("\n使い方は quorvane --help で表示します。\n");
}

}  // namespace app_msg
