#include "settings/window_settings.h"

#include "settings/settings_catalogue.h"

WindowSettings windowSettingsOf(const SettingValues& values) {
    WindowSettings w;
    w.left = values.number(Setting::XPosition);
    w.top = values.number(Setting::YPosition);
    w.width = values.number(Setting::Width);
    w.height = values.number(Setting::Height);
    w.windowState = values.number(Setting::WindowState);
    w.centre = values.number(Setting::BootPosition) == 1;
    w.realAudioHeight = {values.single(Setting::RealSizeHeight1),
                         values.single(Setting::RealSizeHeight2)};
    w.realAudioWidth = {values.single(Setting::RealSizeWidth1),
                        values.single(Setting::RealSizeWidth2)};
    w.mediaHeight = values.single(Setting::MediaSizeHeight);
    w.mediaWidth = values.single(Setting::MediaSizeWidth);
    w.splitterLeft = values.single(Setting::SpLeft);
    w.splitterTop = values.single(Setting::SpTop);
    return w;
}

void storeWindowSettings(const WindowSettings& w, SettingValues& values) {
    values.set(Setting::XPosition, w.left);
    values.set(Setting::YPosition, w.top);
    values.set(Setting::WindowState, w.windowState);
    values.set(Setting::RealSizeHeight1, w.realAudioHeight[0]);
    values.set(Setting::RealSizeWidth1, w.realAudioWidth[0]);
    values.set(Setting::RealSizeHeight2, w.realAudioHeight[1]);
    values.set(Setting::RealSizeWidth2, w.realAudioWidth[1]);
    values.set(Setting::MediaSizeHeight, w.mediaHeight);
    values.set(Setting::MediaSizeWidth, w.mediaWidth);
    values.set(Setting::SpLeft, w.splitterLeft);
    values.set(Setting::SpTop, w.splitterTop);
}

StartFolder chooseStartFolder(const SettingValues& values, const QString& given,
                              const QString& current, const StartFolderChecks& checks) {
    const QString stored = values.text(Setting::FilePath);
    if (!given.isEmpty()) {
        return {given, checks.driveOf(given), {}};
    }
    // "0" is the file's word for a folder never stored.
    const bool storedPath = !stored.isEmpty() && stored != u"0";
    if (values.number(Setting::SearchPath) == 1 && storedPath && checks.reachable(stored)) {
        const QString drive = checks.driveOf(stored);
        return {stored, drive, checks.onNetwork(stored) ? drive : QString()};
    }
    return {current, checks.driveOf(current), {}};
}
