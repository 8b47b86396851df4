#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

#include "settings/settings_catalogue.h"

class clsIniFile;

// The settings of the options dialog, as its controls show them.
struct OptionsValues {
    // The file types ticked as playable, by their number N - 1 (extension order).
    std::array<bool, kPlayFileCount> played{};
    // The extra file types ticked, by their place in extraFileTypes().
    QList<bool> extraPlayed = QList<bool>(kExtraFileCount, true);
    QString slideTime = QStringLiteral("1");  // the interval box's text
    int slideType = 0;                        // 0 pictures only, 1 every playable file
    // Check box states (0 clear, 1 ticked, 2 greyed) in the order of bootChecks() and
    // fileViewChecks().
    std::array<int, 5> boot{};
    std::array<int, 5> fileView{};
    int selectFolder = 0;      // the extraction tab's box, as the check boxes above
    bool resumePlay = true;    // "続きから再生する"
    bool naturalOrder = true;  // "数字を数の大きさで並べる"
};

// The keys of the dialog's two groups of check boxes, box by box.
inline constexpr std::array<Setting, 5> kBootChecks = {Setting::SearchPath, Setting::BootPosition,
                                                       Setting::ScreenSaver, Setting::QuickPathLoad,
                                                       Setting::mousePlay};
inline constexpr std::array<Setting, 5> kFileViewChecks = {Setting::HiddenAtr, Setting::SystemAtr,
                                                           Setting::ReadOnlyAtr, Setting::FolderDsp,
                                                           Setting::AutoColumFlg};

// Reads what the dialog shows when it opens; bad values give their defaults and are listed. An
// OK without a change is never refused: before the first OK stored them, the forty are ticked as
// the list's file kinds say, and the interval box shows the stored interval, or the shortest it
// offers when none is stored.
OptionsValues readOptions(clsIniFile& ini, QList<BadSetting>& bad);

// The slide-show interval typed, when it is a whole number of seconds from 1 to 30.
std::optional<int> slideInterval(const QString& text);

// Why OK cannot be taken: no file type ticked (patterns empty), or an interval that is no
// whole number from 1 to 30.
enum class OptionsRefusal { None, NoPlayFile, BadInterval };
OptionsRefusal checkOptions(const QString& patterns, const QString& slideTime);

// Writes the dialog's sections in its order: [PlayFile] (every type's tick, extension and
// description by number), [ListFile] (the patterns of the ticked types of the forty, as shown),
// [SlideShow], [Boot], [FileView], [ExtraFileType] (the extra types' ticks), [Extract], then
// [PlayHistory] and [NameOrder] each only once its tick differs from the default or the file holds
// it already, so that a file without them keeps its bytes. The values must have passed
// checkOptions. False when the file could not be written.
bool saveOptions(clsIniFile& ini, const OptionsValues& values, const QString& patterns);

// What takes effect at once: the slide show's interval and kind, the list's filters and the file
// kinds (the forty's patterns, then the extra types ticked), the extraction's folder choice, the
// resume, the name order. [Boot] is read only at the next start.
void applyOptions(const OptionsValues& values, const QString& patterns, Module1& module);
