#pragma once

#include <QString>

// The player's own texts, word for word.
namespace player_msg {

inline QString playerErrorTitle() {
    return QStringLiteral("プレイヤーエラー");
}

// PlayStart was given a file that is not there.
inline QString fileMissing(const QString& path) {
    return path + u"は、存在しないため再生できません。";
}

// The player error box of the media-player engine: its own error first, then the run-time error.
inline QString mediaPlayerError(int engineCode, const QString& engineText, int runNumber,
                                const QString& runText) {
    return u"(MediaPlayerエラー番号):  " + QString::number(engineCode) + u'\r' +
           u"(エラー内容):  " + engineText + u'\r' + u"(VBエラー番号):  " +
           QString::number(runNumber) + u'\r' + u"(エラー内容):  " + runText;
}

// A metafile that names itself, directly or through another.
inline QString metafileLoops() {
    return QStringLiteral(
        "このメタファイルは自分自身を再生するよう指定しているため、再生できません。");
}

// The player error box of the streaming engine: the run-time error only.
inline QString streamingError(int runNumber, const QString& runText) {
    return u"(エラー番号):  " + QString::number(runNumber) + u'\r' + u"(エラー内容):  " + runText;
}

// What the engine says about a file it could not play, by libmpv's error code.
inline QString engineLoadingFailed() {
    return QStringLiteral("ファイルを読み込めませんでした。");
}
inline QString engineUnknownFormat() {
    return QStringLiteral("ファイルの形式を認識できません。");
}
inline QString engineNothingToPlay() {
    return QStringLiteral("再生できる音声も映像もありません。");
}
inline QString engineAudioFailed() {
    return QStringLiteral("音声を出力できません。");
}
inline QString engineVideoFailed() {
    return QStringLiteral("映像を表示できません。");
}
inline QString engineUnsupported() {
    return QStringLiteral("この操作には対応していません。");
}
inline QString engineOutOfMemory() {
    return QStringLiteral("メモリが不足しています。");
}
inline QString engineNotReady() {
    return QStringLiteral("再生エンジンを起動できません。");
}
inline QString engineGeneric() {
    return QStringLiteral("再生中にエラーが発生しました。");
}
// A MIDI file needs a General MIDI SoundFont to be heard.
inline QString soundFontMissing(const QString& path) {
    return (path.isEmpty() ? QStringLiteral("SoundFont が見つかりません")
                           : u"SoundFont を読み込めません（" + path + u'）') +
           u"。MIDI ファイルを再生できません。";
}
inline QString seekFailed() {
    return QStringLiteral("この位置には移動できません。");
}

// Tool tips of the control bars.
inline QString tipPlay() {
    return QStringLiteral("再生");
}
inline QString tipPause() {
    return QStringLiteral("一時停止");
}
inline QString tipStop() {
    return QStringLiteral("停止");
}
inline QString tipSeek() {
    return QStringLiteral("再生位置");
}
inline QString tipVolume() {
    return QStringLiteral("音量");
}
inline QString tipLeaveFullScreen() {
    return QStringLiteral("Esc キーまたはダブルクリックで元の表示に戻ります。");
}

// Tool tips of a play-list row.
inline QString playingTip(const QString& name) {
    return name + u"は、再生しています。";
}
inline QString endedTip(const QString& name) {
    return name + u"は、最後まで見ました。";
}
inline QString repeatTip(const QString& name) {
    return name + u"は、リピート再生中です。";
}

// Window captions while a file plays.
inline QString pathCaption(const QString& title, const QString& path) {
    return title + u" - " + path;
}
// The list's size text carries its unit ("53.0 KB", "1.20 MB"); a bare number is in KB.
inline QString sizeWithUnit(const QString& sizeText) {
    return !sizeText.isEmpty() && sizeText.back().isDigit() ? sizeText + u"KB" : sizeText;
}
inline QString clipCaption(const QString& title, const QString& name, const QString& sizeText,
                           const QString& folder) {
    return title + u" - " + name + u'(' + sizeWithUnit(sizeText) + u") - " + folder;
}
inline QString clipCaption(const QString& title, const QString& name, int width, int height,
                           const QString& sizeText, const QString& folder) {
    return title + u" - " + name + u'(' + QString::number(width) + u'x' + QString::number(height) +
           u" - " + sizeWithUnit(sizeText) + u") - " + folder;
}

// The playback rate as the status bar and the slider show it: "1.0 x", "1.0".
inline QString rateText(double rate) {
    return QString::number(rate, 'f', 1);
}
inline QString ratePanelText(double rate) {
    return rateText(rate) + u" x";
}

}  // namespace player_msg
