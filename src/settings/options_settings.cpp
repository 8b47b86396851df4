#include "settings/options_settings.h"

#include <algorithm>

#include "settings/file_types.h"
#include "settings/ini_file.h"

namespace {

// True when the file holds the key, whatever its value.
bool keyStored(clsIniFile& ini, Setting setting, int index = 0) {
    const SettingEntry& entry = entryOf(setting);
    const QString missing = QStringLiteral("\n");  // no stored text holds a line break
    return ini.GetStrValue(QString(), QString::fromUtf16(entry.section), keyName(entry, index),
                           missing) != missing;
}

// A tick of a section of this program's own: a file without it stays without it until the tick
// differs from its default.
void setOwnFlag(clsIniFile& ini, SettingValues& stored, Setting setting, bool on) {
    if (on != SettingValues::defaultOf(setting).toBool() || keyStored(ini, setting)) {
        stored.set(setting, on ? 1 : 0);
    }
}

// True when the file holds a tick of the forty: the dialog's OK writes every one of them.
bool playFileTicksStored(clsIniFile& ini) {
    for (int n = 0; n < kPlayFileCount; ++n) {
        if (keyStored(ini, Setting::PlayFileValue, n)) {
            return true;
        }
    }
    return false;
}

// The forty ticked as the list's file kinds say (the stored ones, or the default kinds).
void tickListedKinds(clsIniFile& ini, OptionsValues& values) {
    static constexpr std::array<const char16_t*, 1> kListFile = {u"ListFile"};
    QList<BadSetting> ignored;
    const QStringList patterns = readSettings(ini, kListFile, ignored)
                                     .text(Setting::DspFile)
                                     .split(u';', Qt::SkipEmptyParts);
    const QList<FileType>& types = fileTypesByExtension();
    for (int n = 0; n < kPlayFileCount; ++n) {
        values.played[n] = patterns.contains(u"*." + types.at(n).extension, Qt::CaseInsensitive);
    }
}

}  // namespace

OptionsValues readOptions(clsIniFile& ini, QList<BadSetting>& bad) {
    const SettingValues stored = readSettings(ini, settings_pass::optionsLoad(), bad);
    OptionsValues values;
    for (int n = 0; n < kPlayFileCount; ++n) {
        values.played[n] = stored.flag(Setting::PlayFileValue, n);
    }
    // Before the first OK the file holds no ticks: the dialog shows the kinds the list uses.
    if (!playFileTicksStored(ini)) {
        tickListedKinds(ini, values);
    }
    values.extraPlayed = extraFileTicks(stored);
    // A first start stores no interval (0): the box shows the shortest it offers.
    values.slideTime = QString::number(std::max(stored.number(Setting::SlideTime), kSlideTimeLow));
    values.slideType = stored.number(Setting::SlideType);
    for (std::size_t i = 0; i < kBootChecks.size(); ++i) {
        values.boot[i] = stored.number(kBootChecks[i]);
        values.fileView[i] = stored.number(kFileViewChecks[i]);
    }
    values.selectFolder = stored.number(Setting::SelectFolder);
    values.resumePlay = stored.flag(Setting::ResumePlay);
    values.naturalOrder = stored.flag(Setting::NaturalOrder);
    return values;
}

std::optional<int> slideInterval(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 2 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    const int seconds = digits.toInt();
    if (seconds < kSlideTimeLow || seconds > kSlideTimeHigh) {
        return std::nullopt;
    }
    return seconds;
}

OptionsRefusal checkOptions(const QString& patterns, const QString& slideTime) {
    if (patterns.isEmpty()) {
        return OptionsRefusal::NoPlayFile;
    }
    if (!slideInterval(slideTime)) {
        return OptionsRefusal::BadInterval;
    }
    return OptionsRefusal::None;
}

bool saveOptions(clsIniFile& ini, const OptionsValues& values, const QString& patterns) {
    SettingValues stored;
    const QList<FileType>& types = fileTypesByExtension();
    for (int n = 0; n < kPlayFileCount; ++n) {
        stored.set(Setting::PlayFileValue, values.played[n], n);
        stored.set(Setting::PlayFileExtension, types.at(n).extension, n);
        stored.set(Setting::PlayFileDescription, types.at(n).description, n);
    }
    // Kept without its final ";", as the program holds it; the writer puts it back.
    stored.set(Setting::DspFile, patterns.endsWith(u';') ? patterns.chopped(1) : patterns);
    stored.set(Setting::SlideTime, slideInterval(values.slideTime).value_or(0));
    stored.set(Setting::SlideType, values.slideType);
    for (std::size_t i = 0; i < kBootChecks.size(); ++i) {
        stored.set(kBootChecks[i], values.boot[i]);
        stored.set(kFileViewChecks[i], values.fileView[i]);
    }
    for (int n = 0; n < kExtraFileCount && n < values.extraPlayed.size(); ++n) {
        stored.set(Setting::ExtraFileValue, values.extraPlayed[n], n);
    }
    stored.set(Setting::SelectFolder, values.selectFolder);
    setOwnFlag(ini, stored, Setting::ResumePlay, values.resumePlay);
    setOwnFlag(ini, stored, Setting::NaturalOrder, values.naturalOrder);
    return writeSettings(ini, stored, settings_pass::optionsSave());
}

void applyOptions(const OptionsValues& values, const QString& patterns, Module1& module) {
    const QString dspFile = patterns.endsWith(u';') ? patterns.chopped(1) : patterns;
    if (dspFile != module.mDspFile) {
        module.mDspFile = dspFile;
    }
    module.mExtraFile = extraPlayKinds(values.extraPlayed);
    module.mSlideTime = static_cast<qint16>(slideInterval(values.slideTime).value_or(0));
    module.mSlideType = static_cast<qint16>(values.slideType);
    module.mHiddenAtr = static_cast<qint16>(values.fileView[0]);
    module.mSystemAtr = static_cast<qint16>(values.fileView[1]);
    module.mReadOnlyAtr = static_cast<qint16>(values.fileView[2]);
    module.mFolderDsp = static_cast<qint16>(values.fileView[3]);
    module.mAutoColumFlg = static_cast<qint16>(values.fileView[4]);
    module.mSelectFolder = static_cast<qint16>(values.selectFolder);
    module.mResumePlay = values.resumePlay;
    module.mNaturalOrder = values.naturalOrder;
}
