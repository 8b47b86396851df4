#pragma once

#include <QString>

class Dialogs;
class ExtractionPrompts;

// LhaZip: the program's calls of the two extraction entry points (Unlha for LHA, UnZip for ZIP):
// the command lines they take, the checks before a run, and the texts of their result codes.
// Nothing here keeps state. prompts is what the entry points ask the user through (overwrite,
// password, progress); messages of this module go through dialogs.
namespace LhaZip {

// What the program passes: LHA "e" with "-x1m1" (keep folders, no library messages), ZIP
// "-x -s -V -i -C".
inline const QString kLzhCommand = QStringLiteral("e");
inline const QString kLzhSwitches = QStringLiteral("-x1m1");
inline const QString kZipSwitches = QStringLiteral("-x -s -V -i -C");

// The text in double quotes when it contains "." or a blank, else as it is.
QString QuoteIfNeeded(const QString& text);
// The folder with "/" at its end.
QString AddTrailingSep(const QString& folder);

// command + " " + switches + " " + archive + " " + destination/ + " ", paths quoted as needed.
QString LzhCommandLine(const QString& command, const QString& switches, const QString& archive,
                       const QString& destination);
// switches + " " + archive + " " + destination/ + " ".
QString ZipCommandLine(const QString& switches, const QString& archive, const QString& destination);

// Extracts an archive into destination: 0 when it was extracted, 1 when not (the reason has been
// shown: a missing archive, or the text of the entry point's code).
qint16 LzhMelt(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
               const QString& destination, const QString& command, const QString& switches);
qint16 ZipMelt(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
               const QString& destination, const QString& switches);

// LzhMelt and ZipMelt with IsValidLzh and IsValidZip in the same pass (one reading of the
// archive instead of two): NotValid when the file is no whole archive of its kind (nothing was
// extracted, nothing shown); Failed when it could not be extracted for another reason (shown).
enum class Melt { Extracted, NotValid, Failed };
Melt LzhMeltChecked(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
                    const QString& destination);
Melt ZipMeltChecked(Dialogs& dialogs, ExtractionPrompts* prompts, const QString& archive,
                    const QString& destination);

// Whether the file is an archive whose every entry reads back whole.
bool IsValidLzh(const QString& path);
bool IsValidZip(const QString& path);
// 1 when the ZIP's first entry is encrypted, 0 when not, -1 when the archive cannot be read.
qint16 ZipFirstEntryEncrypted(ExtractionPrompts* prompts, const QString& path);

// The text of a result code (empty for 0).
QString LzhErrorText(qint32 code);
QString ZipErrorText(qint32 code);

}  // namespace LhaZip
