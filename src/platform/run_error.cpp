#include "platform/run_error.h"

#include <QHash>
#include <cerrno>
#include <filesystem>
#include <new>

QString runErrorText(int number) {
    static const QHash<int, QString> kTexts = {
        {3, QStringLiteral("Return に対応する GoSub がありません。")},
        {5, QStringLiteral("プロシージャの呼び出し、または引数が不正です。")},
        {6, QStringLiteral("オーバーフローしました。")},
        {7, QStringLiteral("メモリが不足しています。")},
        {9, QStringLiteral("インデックスが有効範囲にありません。")},
        {10, QStringLiteral("この配列は固定されているか、または一時的にロックされています。")},
        {11, QStringLiteral("0 で除算しました。")},
        {13, QStringLiteral("型が一致しません。")},
        {14, QStringLiteral("文字列領域が不足しています。")},
        {16, QStringLiteral("式が複雑すぎます。")},
        {17, QStringLiteral("要求された操作は実行できません。")},
        {18, QStringLiteral("ユーザーによって割り込みが発生しました。")},
        {20, QStringLiteral("エラーが発生していないときに Resume を実行することはできません。")},
        {28, QStringLiteral("スタック領域が不足しています。")},
        {35, QStringLiteral("Sub または Function が定義されていません。")},
        {47, QStringLiteral("DLL アプリケーションのクライアントが多すぎます。")},
        {48, QStringLiteral("DLL 読み込み時のエラーです。")},
        {49, QStringLiteral("DLL の呼び出し規約が不正です。")},
        {51, QStringLiteral("内部エラーです。")},
        {52, QStringLiteral("ファイル名または番号が不正です。")},
        {53, QStringLiteral("ファイルが見つかりません。")},
        {54, QStringLiteral("ファイル モードが不正です。")},
        {55, QStringLiteral("ファイルは既に開かれています。")},
        {57, QStringLiteral("デバイス I/O エラーです。")},
        {58, QStringLiteral("既に同名のファイルが存在しています。")},
        {59, QStringLiteral("レコード長が一致しません。")},
        {61, QStringLiteral("ディスクの空き容量が不足しています。")},
        {62, QStringLiteral("ファイルにこれ以上データがありません。")},
        {63, QStringLiteral("レコード番号が不正です。")},
        {67, QStringLiteral("ファイルが多すぎます。")},
        {68, QStringLiteral("デバイスが準備されていません。")},
        {70, QStringLiteral("書き込みできません。")},
        {71, QStringLiteral("ディスクが準備されていません。")},
        {74, QStringLiteral("別のディスクを指定して名前を変更することはできません。")},
        {75, QStringLiteral("パス名が無効です。")},
        {76, QStringLiteral("パスが見つかりません。")},
        {91, QStringLiteral("オブジェクト変数または With ブロック変数が設定されていません。")},
        {92, QStringLiteral("For ループが初期化されていません。")},
        {93, QStringLiteral("パターン文字列が不正です。")},
        {94, QStringLiteral("Null の使い方が不正です。")},
        {380, QStringLiteral("プロパティの値が不正です。")},
        {424, QStringLiteral("オブジェクトが必要です。")},
        {429, QStringLiteral("ActiveX コンポーネントはオブジェクトを作成できません。")},
        {438, QStringLiteral("オブジェクトは、このプロパティまたはメソッドをサポートしていません。")},
        {440, QStringLiteral("オートメーション エラーです。")},
        {481, QStringLiteral("ピクチャが不正です。")},
    };
    const auto it = kTexts.constFind(number);
    if (it != kTexts.constEnd()) {
        return *it;
    }
    return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
}

int runErrorFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return run_error::kFileNotFound;
        case ENOTDIR:
            return run_error::kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return run_error::kPermissionDenied;
        case EEXIST:
        case ENOTEMPTY:
            return run_error::kFileAlreadyExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:  // larger than the file system (or the process) lets a file grow
            return run_error::kDiskFull;
        case EIO:
            return run_error::kDeviceIo;
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return run_error::kDeviceUnavailable;
        case EMFILE:
        case ENFILE:
            return run_error::kTooManyFiles;
        case EXDEV:
            return run_error::kRenameAcrossDisks;
        case EBUSY:
            return run_error::kFileAlreadyOpen;
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR:
        case ELOOP:
            return run_error::kPathFileAccess;
        case ENOMEM:
            return run_error::kOutOfMemory;
        case EBADF:
            return run_error::kBadFileName;
        default:
            return run_error::kPathFileAccess;
    }
}

int runErrorFromException(const std::exception& e) {
    if (const auto* runError = dynamic_cast<const RunError*>(&e)) {
        return runError->number();
    }
    if (const auto* fsError = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        return runErrorFromErrno(fsError->code().value());
    }
    if (const auto* sysError = dynamic_cast<const std::system_error*>(&e)) {
        if (sysError->code().category() == std::generic_category() ||
            sysError->code().category() == std::system_category()) {
            return runErrorFromErrno(sysError->code().value());
        }
    }
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return run_error::kOutOfMemory;
    }
    if (dynamic_cast<const std::out_of_range*>(&e) != nullptr) {
        return run_error::kSubscriptOutOfRange;
    }
    return run_error::kInternal;
}

void throwErrno(int err) { throw RunError(runErrorFromErrno(err)); }
