#pragma once

#include <QString>
#include <QStringList>

// The archive module's own texts, word for word.
namespace archive_msg {

inline QString lzhMissing() {
    return QStringLiteral("ファイルが見つかりません。No.4");
}
inline QString lzhMeltTitle() {
    return QStringLiteral("LzhMeltエラー");
}
inline QString zipMissing() {
    return QStringLiteral("ファイルが存在しません。No.9");
}
inline QString zipMeltTitle() {
    return QStringLiteral("ZipMeltエラー");
}
inline QString unzipLibraryMissing() {
    return QStringLiteral("UnZip32.DLLが見つかりません");
}
inline QString unlhaLibraryMissing() {
    return QStringLiteral("Unlha32.DLLが見つかりません");
}
inline QString confirmExtract(int count) {
    return u"書庫ファイルが、" + QString::number(count) + u"個選択されました。\r解凍しますか？";
}
// The folder picker's caption when the options ask where to extract.
inline QString chooseExtractFolder() {
    return QStringLiteral("解凍先のフォルダを選択してください。");
}
inline QString notAnArchive(const QString& path) {
    return path + u"は、正常な書庫ファイルでは、ありません。";
}
// A code the tables do not know: "&H" and the code in upper-case hexadecimal.
inline QString unknownError(qint32 code) {
    return u"未知のｴﾗｰです。&H" + QString::number(static_cast<quint32>(code), 16).toUpper();
}

// The texts of the result codes; where the two libraries differ, the LHA and the ZIP wording.
struct ErrorText {
    qint32 code;
    const char16_t* lzh;
    const char16_t* zip;  // nullptr: as for LHA
};
inline constexpr ErrorText kErrorTexts[] = {
    {0x8005, u"展開する為のﾃﾞｨｽｸの空きが足りません。", nullptr},
    {0x8006, u"展開先のﾌｧｲﾙはﾘｰﾄﾞｵﾝﾘｰです。", nullptr},
    {0x8007, u"ﾕｰｻﾞｰによって展開をｽｷｯﾌﾟされました。", nullptr},
    {0x8008, u"格納ﾌｧｲﾙの種類がMS-DOSで扱える形式(BINARY 及び TEXT)以外です。", nullptr},
    {0x8009, u"UnLHA32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。",
     u"UnZip32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"},
    {0x800A, u"格納ﾌｧｲﾙにﾊﾟｽﾜｰﾄﾞがかかっています。", nullptr},
    {0x800B, u"格納ﾌｧｲﾙがUnLHA32.DLLが対応していないﾊﾞｰｼﾞｮﾝの形式です。",
     u"格納ﾌｧｲﾙがUnZip32.DLLが対応していないﾊﾞｰｼﾞｮﾝの形式です。"},
    {0x800C, u"格納ﾌｧｲﾙのﾁｪｯｸｻﾑが合っていません。", nullptr},
    {0x800D, u"展開時にﾌｧｲﾙを開けませんでした。", nullptr},
    {0x800E, u"より新しいﾌｧｲﾙが展開先に存在しています。", nullptr},
    {0x800F, u"ﾌｧｲﾙは解凍先に存在していません。", nullptr},
    {0x8010, u"ﾌｧｲﾙが展開先に既に存在しています。", nullptr},
    {0x8011,
     u"格納ﾌｧｲﾙ数が限界を超えている。処理は正常に行われているが、限界を超えた部分については"
     u"情報は選られない。",
     nullptr},
    {0x8012, u"ﾃﾞｨﾚｸﾄﾘが作成できません。", nullptr},
    {0x8013, u"展開中に書き込みｴﾗｰが生じました。", nullptr},
    {0x8014, u"Lzhﾌｧｲﾙのﾊﾌﾏﾝｺｰﾄﾞが壊れています。", u"Zipﾌｧｲﾙのﾊﾌﾏﾝｺｰﾄﾞが壊れています。"},
    {0x8015, u"Lzhﾌｧｲﾙのｺﾒﾝﾄﾍｯﾀﾞが壊れています。", u"Zipﾌｧｲﾙのｺﾒﾝﾄﾍｯﾀﾞが壊れています。"},
    {0x8016, u"Lzhﾌｧｲﾙのﾍｯﾀﾞのﾁｪｯｸｻﾑが合っていません。",
     u"Zipﾌｧｲﾙのﾍｯﾀﾞのﾁｪｯｸｻﾑが合っていません。"},
    {0x8017, u"Lzhﾌｧｲﾙのﾍｯﾀﾞが壊れています。", u"Zipﾌｧｲﾙのﾍｯﾀﾞが壊れています。"},
    {0x8018, u"Lzhﾌｧｲﾙを開く事が出来ません。", u"Zipﾌｧｲﾙを開く事が出来ません。"},
    {0x8019, u"Lzhﾌｧｲﾙ名の指定がされていません。", u"Zipﾌｧｲﾙ名の指定がされていません。"},
    {0x801A, u"Lzhﾌｧｲﾙの読み込み時に読み込みｴﾗｰが出ました。",
     u"Zipﾌｧｲﾙの読み込み時に読み込みｴﾗｰが出ました。"},
    {0x801B, u"指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。",
     u"指定されたﾌｧｲﾙはZipﾌｧｲﾙではありません。"},
    {0x801C, u"ｺﾏﾝﾄﾞ指定が間違っています。", nullptr},
    {0x801D, u"作業用のためのﾋｰﾌﾟﾒﾓﾘが不足しています。", nullptr},
    {0x801E, u"ｸﾞﾛｰﾊﾞﾙﾒﾓﾘが不足しています。", nullptr},
    {0x801F, u"既に別のﾌﾟﾛｾｽからUnLHA32.DLLが呼ばれています。",
     u"既に別のﾌﾟﾛｾｽからUnZip32.DLLが呼ばれています。"},
    {0x8020, u"ﾕｰｻﾞｰによって解凍を中断されました。", nullptr},
    {0x8025, u"作業ﾌｧｲﾙがｵｰﾌﾟﾝできません。", nullptr},
};

// What an extraction asks and says on the way.
inline QString overwriteQuestion(const QString& path) {
    return u"「" + path + u"」は既にあります。\r書庫の中のファイルで置き換えますか？";
}
inline QString overwriteTitle() {
    return QStringLiteral("上書きの確認");
}
inline QStringList overwriteButtons() {
    return {QStringLiteral("置き換える"), QStringLiteral("スキップ"),
            QStringLiteral("すべて置き換える"), QStringLiteral("キャンセル")};
}
inline QString passwordPrompt(const QString& archive, int attempt) {
    return (attempt > 1 ? QStringLiteral("パスワードが違います。\r") : QString()) + u"「" +
           archive + u"」はパスワードで保護されています。\rパスワードを入力してください。";
}
inline QString passwordTitle() {
    return QStringLiteral("パスワード");
}
inline QString progressTitle() {
    return QStringLiteral("解凍");
}
inline QString progressLabel(const QString& entry, const QString& done) {
    return u"「" + entry + u"」を解凍しています... (" + done + u")";
}
// Entries that were not written, told once at the end of their archive's run.
inline QString refusedEntries(const QString& archive, const QString& lines, qsizetype more) {
    return u"「" + archive + u"」の次の項目は安全のため展開しませんでした。\r" + lines +
           (more > 0 ? u"\rほか " + QString::number(more) + u" 件" : QString());
}
inline QString refusedLine(const QString& entry, const QString& reason) {
    return entry + u" : " + reason;
}
inline QString refusedTitle() {
    return QStringLiteral("解凍");
}

}  // namespace archive_msg
