#pragma once

#include <QString>
#include <QStringView>
#include <span>

// Every key of the settings file. The numbered keys (Path1 … Path7, Value1 … Value40, …) are one
// entry each, addressed with an index from 0.
enum class Setting {
    // [Boot]: read at start only, written by the options dialog.
    SearchPath,
    BootPosition,
    ScreenSaver,
    QuickPathLoad,
    mousePlay,
    // [FormPos]
    XPosition,
    YPosition,
    Width,
    Height,
    WindowState,
    // [MoviePlay]
    ScreenSize,
    MuteState,
    ScreenState,
    SlideState,
    // [ListView]
    GridLine,
    IConDsp,
    // [FilePath] Path
    FilePath,
    // [QuickPath] Path1 … Path7, QuickPathValue
    QuickPath,
    QuickPathValue,
    // [RealSize]
    RealSizeHeight1,
    RealSizeWidth1,
    RealSizeHeight2,
    RealSizeWidth2,
    // [MediaSize]
    MediaSizeHeight,
    MediaSizeWidth,
    // [SpPos]
    SpLeft,
    SpTop,
    // [ListFile]
    DspFile,
    // [SlideShow]
    SlideTime,
    SlideType,
    // [TreeView]
    TreeViewLine,
    // [FileView]
    HiddenAtr,
    SystemAtr,
    ReadOnlyAtr,
    FolderDsp,
    AutoColumFlg,
    // [PlayFile] Value N, kakuchosi N, setumei N: the file types of the options dialog
    PlayFileValue,
    PlayFileExtension,
    PlayFileDescription,
    // [ExtraFileType] one key per extension (mp4=True, …): the file types played since, ticked
    // unless stored otherwise
    ExtraFileValue,
    // [KakuchoushiConv]: the extension dialog
    SelectOpton,
    KakuchoushiName,
    // [Midi]: the General MIDI SoundFont MIDI files are played with; the system's when unset
    SoundFont,
    // [Extract]: the options dialog's "解凍時にフォルダを選択する。" (0 clear, 1 ticked)
    SelectFolder,
    // [PlayHistory] Resume: the options dialog's "続きから再生する" (1 ticked, the default; 0
    // clear)
    ResumePlay,
    // [NameOrder] Natural: the options dialog's "数字を数の大きさで並べる" (1 ticked, the
    // default; 0 clear)
    NaturalOrder,
};
inline constexpr int kSettingCount = static_cast<int>(Setting::NaturalOrder) + 1;

// How a stored text is read, and so the type of its value.
enum class Reading {
    Text,         // the text; "0" when missing
    Path,         // the text; empty when missing or "0" (a free slot)
    PatternList,  // the final ";" dropped; the default file kinds when empty, missing or "0"
    TextInt16,    // the text as a 16-bit number; a text that is no number is bad
    DigitsInt16,  // the leading decimal digits, 16-bit
    DigitsInt32,  // the leading decimal digits, 32-bit
    TextBool,     // True / False or a number (nonzero is true)
    TextSingle,   // the text as a single-precision number
    NotRead,      // written only
};

// One key: where it stands, how it is read, the value the program works with when it is missing,
// and the values it accepts. A stored value outside low … high is refused with the run-time error
// number `error` and the default is used instead; the default itself is always accepted.
struct SettingEntry {
    Setting id;
    const char16_t* section;
    const char16_t* key;  // the stem of numbered keys
    int count;            // 1, or how many numbered keys there are
    Reading reading;
    double fallback;  // the default of a number or a tick
    double low;
    double high;
    int error;
};

// The whole file, in the order the start reads it.
std::span<const SettingEntry> settingsSchema();
const SettingEntry& entryOf(Setting setting);
// The key's name in the file: the stem, followed by index + 1 for numbered keys; the extra file
// types' keys are their extensions.
QString keyName(const SettingEntry& entry, int index);

// The sections each pass over the file reads or writes, in its order.
namespace settings_pass {
// What the main window reads at start.
std::span<const char16_t* const> start();
// What the main window writes when it closes: its own state, nothing the dialogs own.
std::span<const char16_t* const> exit();
// What the options dialog reads when it opens and writes on OK.
std::span<const char16_t* const> optionsLoad();
std::span<const char16_t* const> optionsSave();
// The extension dialog's own section.
std::span<const char16_t* const> extension();
}  // namespace settings_pass

// The number of file types of the options dialog (Value1 … Value40).
inline constexpr int kPlayFileCount = 40;
// The number of extra file types, each its own key of [ExtraFileType].
inline constexpr int kExtraFileCount = 15;
inline constexpr int kQuickPathCount = 7;
// The slide-show interval the options dialog accepts, in seconds.
inline constexpr int kSlideTimeLow = 1;
inline constexpr int kSlideTimeHigh = 30;
