#include "archive/extract_archive.h"

#include <unistd.h>
#include <QDir>
#include <cerrno>
#include <optional>

#include "archive/archive_codes.h"
#include "archive/archive_reader.h"
#include "archive/lha_zip.h"
#include "archive/messages.h"
#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/file_exist.h"
#include "platform/file_name_codec.h"
#include "platform/path_text.h"

namespace {

// What an extension names: a ZIP, an LHA archive, or nothing extracted. LArc (".lzs") and PMarc
// (".pma") archives are LHA archives of their own methods; only the command line takes them.
std::optional<ArchiveKind> kindOf(const QString& name, bool otherLhaNames) {
    const QString extension = GetExtName(name).toLower();
    if (extension == u"zip") {
        return ArchiveKind::Zip;
    }
    if (extension == u"lzh" || extension == u"lha" ||
        (otherLhaNames && (extension == u"lzs" || extension == u"pma"))) {
        return ArchiveKind::Lha;
    }
    return std::nullopt;
}

bool extractKind(Dialogs& dialogs, ExtractionPrompts& prompts, const QString& path,
                 const QString& destination, ArchiveKind kind) {
    const bool zip = kind == ArchiveKind::Zip;
    // An archive this user may not read is not a damaged one: the library's word for an archive
    // it cannot open, and the run goes on.
    if (::access(encodeFileName(path).constData(), R_OK) != 0 && errno == EACCES) {
        dialogs.message(zip ? LhaZip::ZipErrorText(archive_code::kCannotOpenArchive)
                            : LhaZip::LzhErrorText(archive_code::kCannotOpenArchive),
                        MsgIcon::Exclamation);
        return false;
    }
    LhaZip::Melt melt = LhaZip::Melt::NotValid;
    if (zip) {
        const qint16 encrypted = LhaZip::ZipFirstEntryEncrypted(&prompts, path);
        // An encrypted archive cannot be checked without its password: the run asks for it.
        if (encrypted == 1) {
            return LhaZip::ZipMelt(dialogs, &prompts, path, destination, LhaZip::kZipSwitches) == 0;
        }
        if (encrypted == 0) {
            melt = LhaZip::ZipMeltChecked(dialogs, &prompts, path, destination);
        }
    } else {
        melt = LhaZip::LzhMeltChecked(dialogs, &prompts, path, destination);
    }
    if (melt != LhaZip::Melt::NotValid) {
        return melt == LhaZip::Melt::Extracted;
    }
    dialogs.messageBox(archive_msg::notAnArchive(displayFileName(path)), MsgIcon::None,
                       MsgButtons::Ok, app_info::title());
    return false;
}

}  // namespace

bool isArchiveName(const QString& name) {
    return kindOf(name, false).has_value();
}

bool extractArchive(Dialogs& dialogs, ExtractionPrompts& prompts, const QString& path,
                    const QString& destination) {
    // The check of the archive runs in the same pass as its extraction, which lands only when
    // the archive proved whole: the same outcome as checking first, in one reading.
    const std::optional<ArchiveKind> kind = kindOf(path, false);
    return kind && extractKind(dialogs, prompts, path, destination, *kind);
}

int extractHere(Dialogs& dialogs, ExtractionPrompts& prompts, const QStringList& paths) {
    bool all = !paths.isEmpty();
    for (const QString& given : paths) {
        const QString path = QDir::cleanPath(
            QDir::isAbsolutePath(given) ? given : QDir::currentPath() + u'/' + given);
        const std::optional<ArchiveKind> kind = kindOf(path, true);
        if (!kind || FolderExist(path)) {
            dialogs.messageBox(archive_msg::notAnArchive(displayFileName(path)), MsgIcon::None,
                               MsgButtons::Ok, app_info::title());
            all = false;
            continue;
        }
        all = extractKind(dialogs, prompts, path, GetParentFolder(path), *kind) && all;
    }
    return all ? 0 : 1;
}
