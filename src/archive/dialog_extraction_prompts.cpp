#include "archive/dialog_extraction_prompts.h"

#include "archive/messages.h"
#include "platform/byte_size_text.h"
#include "platform/dialogs.h"
#include "platform/file_name_codec.h"
#include "platform/file_op_progress.h"

namespace {

// So many refused entries are named in the box; the rest are counted.
constexpr qsizetype kRefusedNamed = 10;

}  // namespace

DialogExtractionPrompts::DialogExtractionPrompts(Dialogs& dialogs, FileOpProgress& progress)
    : m_dialogs(dialogs), m_progress(progress) {}

ExtractionPrompts::Overwrite DialogExtractionPrompts::askOverwrite(const QString& path) {
    if (m_replaceAll) {
        return Overwrite::Replace;
    }
    const int answer =
        m_dialogs.choose(archive_msg::overwriteQuestion(displayFileName(path)), MsgIcon::Question,
                         archive_msg::overwriteButtons(), archive_msg::overwriteTitle());
    switch (answer) {
        case 0:
            return Overwrite::Replace;
        case 1:
            return Overwrite::Skip;
        case 2:
            m_replaceAll = true;
            return Overwrite::ReplaceAll;
        default:
            return Overwrite::Cancel;
    }
}

std::optional<QString> DialogExtractionPrompts::askPassword(const QString& archive, int attempt) {
    return m_dialogs.passwordBox(archive_msg::passwordPrompt(displayFileName(archive), attempt),
                                 archive_msg::passwordTitle());
}

void DialogExtractionPrompts::begin(const QString& archive, qint64 totalBytes) {
    m_archive = archive;
    m_refused.clear();
    m_refusedCount = 0;
    m_replaceAll = false;
    m_progress.begin(archive_msg::progressTitle(), totalBytes > 0 ? totalBytes : 0);
}

bool DialogExtractionPrompts::advance(const QString& entry, qint64 doneBytes) {
    return m_progress.advance(
        archive_msg::progressLabel(displayFileName(entry), FormatByteSize(doneBytes)), doneBytes);
}

void DialogExtractionPrompts::end() {
    m_progress.end();
    if (m_refusedCount > 0) {
        m_dialogs.messageBox(
            archive_msg::refusedEntries(displayFileName(m_archive), m_refused.join(u'\r'),
                                        m_refusedCount - m_refused.size()),
            MsgIcon::Exclamation, MsgButtons::Ok, archive_msg::refusedTitle());
    }
    m_refused.clear();
    m_refusedCount = 0;
}

void DialogExtractionPrompts::entryRefused(const QString& entry, const QString& reason) {
    ++m_refusedCount;
    if (m_refused.size() < kRefusedNamed) {
        m_refused.append(archive_msg::refusedLine(displayFileName(entry), reason));
    }
}
