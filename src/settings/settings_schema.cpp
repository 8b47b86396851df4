#include "settings/settings_schema.h"

#include <array>
#include <limits>

#include "platform/run_error.h"
#include "settings/file_types.h"

namespace {

constexpr double kAny = std::numeric_limits<double>::infinity();
// A check box stores 0 (clear), 1 (ticked) or 2 (greyed).
constexpr double kCheckHigh = 2;

using R = Reading;
using S = Setting;
constexpr int kRange = run_error::kSubscriptOutOfRange;
constexpr int kProperty = run_error::kInvalidPropertyValue;

// clang-format off
constexpr std::array kSchema = {
    SettingEntry{S::SearchPath,      u"Boot",      u"SearchPath",      1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::BootPosition,    u"Boot",      u"BootPosition",    1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::ScreenSaver,     u"Boot",      u"ScreenSaver",     1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::QuickPathLoad,   u"Boot",      u"QuickPathLoad",   1, R::DigitsInt16, 0, 0, kCheckHigh, kProperty},
    SettingEntry{S::mousePlay,       u"Boot",      u"mousePlay",       1, R::DigitsInt16, 0, 0, kCheckHigh, kProperty},
    SettingEntry{S::XPosition,       u"FormPos",   u"XPosition",       1, R::DigitsInt32, 0, -kAny, kAny, 0},
    SettingEntry{S::YPosition,       u"FormPos",   u"YPosition",       1, R::DigitsInt32, 0, -kAny, kAny, 0},
    SettingEntry{S::Width,           u"FormPos",   u"Width",           1, R::DigitsInt32, 0, 0, kAny, kProperty},
    SettingEntry{S::Height,          u"FormPos",   u"Height",          1, R::DigitsInt32, 0, 0, kAny, kProperty},
    SettingEntry{S::WindowState,     u"FormPos",   u"WindowState",     1, R::DigitsInt16, 0, 0, 2, kProperty},
    SettingEntry{S::ScreenSize,      u"MoviePlay", u"ScreenSize",      1, R::TextInt16,   0, 0, 5, kRange},
    SettingEntry{S::MuteState,       u"MoviePlay", u"MuteState",       1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::ScreenState,     u"MoviePlay", u"ScreenState",     1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::SlideState,      u"MoviePlay", u"SlideState",      1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::GridLine,        u"ListView",  u"GridLine",        1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::IConDsp,         u"ListView",  u"IConDsp",         1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::FilePath,        u"FilePath",  u"Path",            1, R::Text,        0, 0, 0, 0},
    SettingEntry{S::QuickPath,       u"QuickPath", u"Path",            kQuickPathCount, R::Path, 0, 0, 0, 0},
    SettingEntry{S::QuickPathValue,  u"QuickPath", u"QuickPathValue",  1, R::DigitsInt16, 0, 0, 2, kRange},
    SettingEntry{S::RealSizeHeight1, u"RealSize",  u"RealSizeHeight1", 1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::RealSizeWidth1,  u"RealSize",  u"RealSizeWidth1",  1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::RealSizeHeight2, u"RealSize",  u"RealSizeHeight2", 1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::RealSizeWidth2,  u"RealSize",  u"RealSizeWidth2",  1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::MediaSizeHeight, u"MediaSize", u"MediaSizeHeight", 1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::MediaSizeWidth,  u"MediaSize", u"MediaSizeWidth",  1, R::TextSingle,  0, -kAny, kAny, 0},
    // 0 (or "0") leaves the splitter where the layout puts it.
    SettingEntry{S::SpLeft,          u"SpPos",     u"SpLeft",          1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::SpTop,           u"SpPos",     u"SpTop",           1, R::TextSingle,  0, -kAny, kAny, 0},
    SettingEntry{S::DspFile,         u"ListFile",  u"DspFile",         1, R::PatternList, 0, 0, 0, 0},
    // A first start has no interval yet (0); a stored one is 1-30 seconds.
    SettingEntry{S::SlideTime,       u"SlideShow", u"SlideTime",       1, R::TextInt16,   0, kSlideTimeLow, kSlideTimeHigh, kProperty},
    SettingEntry{S::SlideType,       u"SlideShow", u"SlideType",       1, R::TextInt16,   0, 0, 1, kRange},
    SettingEntry{S::TreeViewLine,    u"TreeView",  u"TreeViewLine",    1, R::TextBool,    0, 0, 1, 0},
    SettingEntry{S::HiddenAtr,       u"FileView",  u"HiddenAtr",       1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::SystemAtr,       u"FileView",  u"SystemAtr",       1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::ReadOnlyAtr,     u"FileView",  u"ReadOnlyAtr",     1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::FolderDsp,       u"FileView",  u"FolderDsp",       1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::AutoColumFlg,    u"FileView",  u"AutoColumFlg",    1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    SettingEntry{S::PlayFileValue,       u"PlayFile", u"Value",     kPlayFileCount, R::TextBool, 0, 0, 1, 0},
    SettingEntry{S::PlayFileExtension,   u"PlayFile", u"kakuchosi", kPlayFileCount, R::NotRead,  0, 0, 0, 0},
    SettingEntry{S::PlayFileDescription, u"PlayFile", u"setumei",   kPlayFileCount, R::NotRead,  0, 0, 0, 0},
    SettingEntry{S::ExtraFileValue,  u"ExtraFileType",   u"",                kExtraFileCount, R::TextBool, 1, 0, 1, 0},
    SettingEntry{S::SelectOpton,     u"KakuchoushiConv", u"SelectOpton",     1, R::TextInt16, 0, 0, 2, kRange},
    SettingEntry{S::KakuchoushiName, u"KakuchoushiConv", u"KakuchoushiName", 1, R::Text,      0, 0, 0, 0},
    SettingEntry{S::SoundFont,       u"Midi",      u"SoundFont",       1, R::Path,        0, 0, 0, 0},
    SettingEntry{S::SelectFolder,    u"Extract",   u"SelectFolder",    1, R::TextInt16,   0, 0, kCheckHigh, kProperty},
    // Ticked while the file holds none: stored as 1 or 0, read as any tick is.
    SettingEntry{S::ResumePlay,      u"PlayHistory", u"Resume",        1, R::TextBool,    1, 0, 1, 0},
    SettingEntry{S::NaturalOrder,    u"NameOrder", u"Natural",         1, R::TextBool,    1, 0, 1, 0},
};
// clang-format on
static_assert(kSchema.size() == kSettingCount);

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kSchema.size(); ++i) {
        if (static_cast<std::size_t>(kSchema[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inIdOrder(), "the table is indexed by Setting");

constexpr std::array<const char16_t*, 18> kStart = {
    u"Boot",     u"FormPos",       u"MoviePlay", u"ListView", u"FilePath",    u"QuickPath",
    u"RealSize", u"MediaSize",     u"SpPos",     u"ListFile", u"SlideShow",   u"TreeView",
    u"FileView", u"ExtraFileType", u"Midi",      u"Extract",  u"PlayHistory", u"NameOrder"};
constexpr std::array<const char16_t*, 9> kExit = {u"FormPos",  u"FilePath",  u"QuickPath",
                                                  u"RealSize", u"MediaSize", u"SpPos",
                                                  u"ListView", u"MoviePlay", u"TreeView"};
constexpr std::array<const char16_t*, 8> kOptionsLoad = {
    u"PlayFile",      u"SlideShow", u"Boot",        u"FileView",
    u"ExtraFileType", u"Extract",   u"PlayHistory", u"NameOrder"};
constexpr std::array<const char16_t*, 9> kOptionsSave = {
    u"PlayFile",      u"ListFile", u"SlideShow",   u"Boot",     u"FileView",
    u"ExtraFileType", u"Extract",  u"PlayHistory", u"NameOrder"};
constexpr std::array<const char16_t*, 1> kExtension = {u"KakuchoushiConv"};

}  // namespace

std::span<const SettingEntry> settingsSchema() {
    return kSchema;
}

const SettingEntry& entryOf(Setting setting) {
    return kSchema[static_cast<std::size_t>(setting)];
}

QString keyName(const SettingEntry& entry, int index) {
    if (entry.id == Setting::ExtraFileValue) {
        return extraFileTypes().at(index).extension;
    }
    const QString stem = QString::fromUtf16(entry.key);
    return entry.count > 1 ? stem + QString::number(index + 1) : stem;
}

namespace settings_pass {
std::span<const char16_t* const> start() {
    return kStart;
}
std::span<const char16_t* const> exit() {
    return kExit;
}
std::span<const char16_t* const> optionsLoad() {
    return kOptionsLoad;
}
std::span<const char16_t* const> optionsSave() {
    return kOptionsSave;
}
std::span<const char16_t* const> extension() {
    return kExtension;
}
}  // namespace settings_pass
