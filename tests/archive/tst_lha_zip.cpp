// The archive module's contract with its entry points: the command lines as text, the result
// codes' texts, and the messages of a missing archive.
#include <QTemporaryDir>
#include <QtTest>

#include "archive/lha_zip.h"
#include "archive/messages.h"
#include "platform/scripted_dialogs.h"

using namespace Qt::StringLiterals;

class TestLhaZip : public QObject {
    Q_OBJECT

private slots:
    void commandLinesAreBuiltAsTheEntryPointsReadThem() {
        QCOMPARE(LhaZip::QuoteIfNeeded(u"/dl/a.lzh"_s), u"\"/dl/a.lzh\""_s);
        QCOMPARE(LhaZip::QuoteIfNeeded(u"/my files/x"_s), u"\"/my files/x\""_s);
        QCOMPARE(LhaZip::QuoteIfNeeded(u"/dl/archive"_s), u"/dl/archive"_s);
        QCOMPARE(LhaZip::AddTrailingSep(u"/dl"_s), u"/dl/"_s);
        QCOMPARE(LhaZip::AddTrailingSep(u"/dl/"_s), u"/dl/"_s);
        // A folder's trailing blank is part of its name here.
        QCOMPARE(LhaZip::AddTrailingSep(u"/dl "_s), u"/dl /"_s);

        QCOMPARE(LhaZip::LzhCommandLine(LhaZip::kLzhCommand, LhaZip::kLzhSwitches, u"/dl/a.lzh"_s,
                                        u"/dl"_s),
                 u"e -x1m1 \"/dl/a.lzh\" /dl/ "_s);
        QCOMPARE(LhaZip::ZipCommandLine(LhaZip::kZipSwitches, u"/dl/a b"_s, u"/my dl"_s),
                 u"-x -s -V -i -C \"/dl/a b\" \"/my dl/\" "_s);
        QCOMPARE(LhaZip::ZipCommandLine(LhaZip::kZipSwitches, u"/dl/archive"_s, u"/v1.2"_s),
                 u"-x -s -V -i -C /dl/archive \"/v1.2/\" "_s);
    }

    void codesHaveTheirTexts() {
        QCOMPARE(LhaZip::LzhErrorText(0), QString());
        QCOMPARE(LhaZip::ZipErrorText(0x8005), u"展開する為のﾃﾞｨｽｸの空きが足りません。"_s);
        QCOMPARE(LhaZip::LzhErrorText(0x8009),
                 u"UnLHA32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"_s);
        QCOMPARE(LhaZip::ZipErrorText(0x8009),
                 u"UnZip32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"_s);
        QCOMPARE(LhaZip::LzhErrorText(0x801B), u"指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。"_s);
        QCOMPARE(LhaZip::ZipErrorText(0x801B), u"指定されたﾌｧｲﾙはZipﾌｧｲﾙではありません。"_s);
        QCOMPARE(LhaZip::ZipErrorText(0x8020), u"ﾕｰｻﾞｰによって解凍を中断されました。"_s);
        QCOMPARE(LhaZip::LzhErrorText(0x8025), u"作業ﾌｧｲﾙがｵｰﾌﾟﾝできません。"_s);
        // Codes between the known ones, and past them, are unknown.
        QCOMPARE(LhaZip::ZipErrorText(0x8021), u"未知のｴﾗｰです。&H8021"_s);
        QCOMPARE(LhaZip::LzhErrorText(0x8024), u"未知のｴﾗｰです。&H8024"_s);
        QCOMPARE(LhaZip::LzhErrorText(0x1abc), u"未知のｴﾗｰです。&H1ABC"_s);
        // Every code of the table from 0x8005 to 0x8020, and 0x8025, has a text of its own.
        for (qint32 code = 0x8005; code <= 0x8025; ++code) {
            const bool known = code <= 0x8020 || code == 0x8025;
            QCOMPARE(!LhaZip::ZipErrorText(code).startsWith(u"未知"_s), known);
        }
    }

    void aMissingArchiveIsSaidInItsOwnWords() {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        QCOMPARE(LhaZip::LzhMelt(dialogs, nullptr, dir.filePath(u"gone.lzh"_s), dir.path(),
                                 LhaZip::kLzhCommand, LhaZip::kLzhSwitches),
                 qint16(1));
        QCOMPARE(LhaZip::ZipMelt(dialogs, nullptr, dir.filePath(u"gone.zip"_s), dir.path(),
                                 LhaZip::kZipSwitches),
                 qint16(1));
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.messages().at(0).text, u"ファイルが見つかりません。No.4"_s);
        QCOMPARE(dialogs.messages().at(0).title, u"LzhMeltエラー"_s);
        QCOMPARE(dialogs.messages().at(1).text, u"ファイルが存在しません。No.9"_s);
        QCOMPARE(dialogs.messages().at(1).title, u"ZipMeltエラー"_s);
        QCOMPARE(LhaZip::ZipFirstEntryEncrypted(nullptr, dir.filePath(u"gone.zip"_s)), qint16(-1));
        QVERIFY(!LhaZip::IsValidZip(dir.path()));
        QVERIFY(!LhaZip::IsValidLzh(dir.filePath(u"gone.lzh"_s)));
    }
};

QTEST_GUILESS_MAIN(TestLhaZip)
#include "tst_lha_zip.moc"
