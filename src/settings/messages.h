#pragma once

#include <QString>

// The options dialog's own texts, word for word.
namespace settings_msg {

inline QString optionsTitle() {
    return QStringLiteral("環境設定");
}

// Tabs and their tool tips.
inline QString tabAction() {
    return QStringLiteral("動作");
}
inline QString tabActionTip() {
    return QStringLiteral("プレイヤーの動作を設定します。");
}
inline QString tabFiles() {
    return QStringLiteral("ファイル設定");
}
inline QString tabFilesTip() {
    return QStringLiteral("再生するファイルの設定をします。");
}
inline QString tabExtract() {
    return QStringLiteral("解凍の設定");
}
inline QString tabVersion() {
    return QStringLiteral("バージョン情報");
}

// The action tab.
inline QString bootFrame() {
    return QStringLiteral("起動時の動作（再起動後に有効）");
}
inline QString bootCheck(int index) {
    static const char16_t* const kCaptions[] = {
        u"前回の再生フォルダを開く。", u"常に中央に表示する。", u"スクリーンセーバーを無効にする。",
        u"クイックパスを読み込まない。", u"マウスジェスチャーを有効にする。"};
    return QString::fromUtf16(kCaptions[index]);
}
inline QString slideFrame() {
    return QStringLiteral("スライドショー");
}
inline QString slidePictures() {
    return QStringLiteral("画像ファイル(jpg,gif,bmp)のみ");
}
inline QString slideAll() {
    return QStringLiteral("すべて（動画、画像ファイル等）");
}
inline QString slideFilesLabel() {
    return QStringLiteral("該当ファイル");
}
inline QString slideIntervalLabel() {
    return QStringLiteral("表示間隔");
}
inline QString slideSecondsLabel() {
    return QStringLiteral("秒(1～30秒)");
}
inline QString viewFrame() {
    return QStringLiteral("ツリービュー・ファイルビューの表示（チェックで表示する。）");
}
inline QString viewCheck(int index) {
    static const char16_t* const kCaptions[] = {
        u"隠しファイル", u"システムファイル", u"読取専用ファイル",
        u"ファイルビューにフォルダを表示する。", u"ファイルビューのカラム幅を自動的に合わせない。"};
    return QString::fromUtf16(kCaptions[index]);
}

// The list's name order, in the view frame.
inline QString naturalOrder() {
    return QStringLiteral("数字を数の大きさで並べる");
}

// The play history, on the action tab.
inline QString historyFrame() {
    return QStringLiteral("再生の履歴");
}
inline QString resumePlay() {
    return QStringLiteral("続きから再生する");
}
inline QString clearHistoryButton() {
    return QStringLiteral("履歴を消去");
}
inline QString confirmClearHistory() {
    return QStringLiteral("再生の履歴をすべて消去しますか?");
}

// The file-type tab.
inline QString extensionColumn() {
    return QStringLiteral("拡張子");
}
inline QString descriptionColumn() {
    return QStringLiteral("説明");
}
inline QString tickAll() {
    return QStringLiteral("全選択");
}
inline QString untickAll() {
    return QStringLiteral("全解除");
}

// The extraction tab.
inline QString chooseFolderOnExtract() {
    return QStringLiteral("解凍時にフォルダを選択する。");
}

// The version tab.
inline QString versionNotice() {
    return QStringLiteral(" このソフトウェアはフリーソフトです。");
}
inline QString shellLine(const QString& version) {
    return QStringLiteral("Shell32.dll Ver") + version;
}
inline QString versionHistory() {
    return QStringLiteral(
        "（バージョン履歴) \n"
        "2023.04.02 1.0.0　初公開\n"
        "2023.06.18 1.0.1\n"
        "2023.11.05 1.1.0\n"
        "2024.03.24 1.1.3\n"
        "2024.09.29 1.1.6\n");
}
inline QString mailButton() {
    return QStringLiteral("メール");
}
inline QString homePageButton() {
    return QStringLiteral("ホームページ");
}
inline QString mailAddress() {
    return QStringLiteral("mailto:quorvane@example.org");
}
inline QString homePageAddress() {
    return QStringLiteral("https://quorvane.example.org/");
}

inline QString okButton() {
    return QStringLiteral("OK");
}
inline QString cancelButton() {
    return QStringLiteral("キャンセル");
}

// OK refused.
inline QString noPlayFile() {
    return QStringLiteral("再生ファイルのチェックを、すべてはずすことはできません。");
}
inline QString badSlideInterval() {
    return QStringLiteral("スライドショーの表示間隔は、1～30の数字で入力してください。");
}

}  // namespace settings_msg
