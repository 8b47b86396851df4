#include "archive/lha_zip.h"

#include "archive/archiver_entries.h"
#include "archive/messages.h"
#include "platform/dialogs.h"
#include "platform/file_exist.h"

namespace LhaZip {

namespace {

QString errorText(qint32 code, bool zip) {
    if (code == 0) {
        return {};
    }
    for (const archive_msg::ErrorText& entry : archive_msg::kErrorTexts) {
        if (entry.code == code) {
            return QString::fromUtf16(zip && entry.zip != nullptr ? entry.zip : entry.lzh);
        }
    }
    return archive_msg::unknownError(code);
}

}  // namespace

QString QuoteIfNeeded(const QString& text) {
    if (text.contains(u'.') || text.contains(u' ')) {
        return u'"' + text + u'"';
    }
    return text;
}

QString AddTrailingSep(const QString& folder) {
    // Not trimmed: here a folder's name may end in blanks, and trimming them would name another
    // folder.
    return folder.endsWith(u'/') ? folder : QString(folder + u'/');
}

QString LzhCommandLine(const QString& command, const QString& switches, const QString& archive,
                       const QString& destination) {
    return command + u' ' + switches + u' ' + QuoteIfNeeded(archive) + u' ' +
           QuoteIfNeeded(AddTrailingSep(destination)) + u' ';
}

QString ZipCommandLine(const QString& switches, const QString& archive,
                       const QString& destination) {
    return switches + u' ' + QuoteIfNeeded(archive) + u' ' +
           QuoteIfNeeded(AddTrailingSep(destination)) + u' ';
}

qint16 LzhMelt(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
               const QString& destination, const QString& command, const QString& switches) {
    if (!FileExist(archive)) {
        dialogs.messageBox(archive_msg::lzhMissing(), MsgIcon::None, MsgButtons::Ok,
                           archive_msg::lzhMeltTitle());
        return 1;
    }
    QString output;
    const int result =
        Unlha(prompts, LzhCommandLine(command, switches, archive, destination), &output);
    if (result != 0) {
        dialogs.message(LzhErrorText(result), MsgIcon::Exclamation);
        return 1;
    }
    return 0;
}

qint16 ZipMelt(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
               const QString& destination, const QString& switches) {
    if (!FileExist(archive)) {
        dialogs.messageBox(archive_msg::zipMissing(), MsgIcon::None, MsgButtons::Ok,
                           archive_msg::zipMeltTitle());
        return 1;
    }
    QString output;
    const int result = UnZip(prompts, ZipCommandLine(switches, archive, destination), &output);
    if (result != 0) {
        dialogs.message(ZipErrorText(result), MsgIcon::Exclamation);
        return 1;
    }
    return 0;
}

namespace {

Melt checkedResult(Dialogs& dialogs, int result, bool damaged, QString (*text)(qint32)) {
    if (result == 0) {
        return Melt::Extracted;
    }
    if (damaged) {
        return Melt::NotValid;
    }
    dialogs.message(text(result), MsgIcon::Exclamation);
    return Melt::Failed;
}

}  // namespace

Melt LzhMeltChecked(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
                    const QString& destination) {
    bool damaged = false;
    const int result = UnlhaChecked(
        prompts, LzhCommandLine(kLzhCommand, kLzhSwitches, archive, destination), &damaged);
    return checkedResult(dialogs, result, damaged, &LzhErrorText);
}

Melt ZipMeltChecked(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
                    const QString& destination) {
    bool damaged = false;
    const int result =
        UnZipChecked(prompts, ZipCommandLine(kZipSwitches, archive, destination), &damaged);
    return checkedResult(dialogs, result, damaged, &ZipErrorText);
}

bool IsValidLzh(const QString& path) {
    return UnlhaCheckArchive(path, 2) != 0;
}

bool IsValidZip(const QString& path) {
    return UnZipCheckArchive(path, 2) != 0;
}

qint16 ZipFirstEntryEncrypted(ExtractionPrompts* prompts, const QString& path) {
    const ZipHandle handle = UnZipOpenArchive(prompts, path, 0);
    if (!handle) {
        return -1;
    }
    if (UnZipFindFirst(handle, QStringLiteral("*.*")) != 0) {
        UnZipCloseArchive(handle);
        return -1;
    }
    const int attribute = UnZipGetAttribute(handle);
    UnZipCloseArchive(handle);
    if (attribute == -1) {
        return -1;
    }
    return (attribute & 0x40) != 0 ? 1 : 0;
}

QString LzhErrorText(qint32 code) {
    return errorText(code, false);
}

QString ZipErrorText(qint32 code) {
    return errorText(code, true);
}

}  // namespace LhaZip
