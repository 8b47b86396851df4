#pragma once

#include <QString>
#include <array>
#include <functional>

class SettingValues;

// The main window's own keys: where it stood and how ([FormPos]), the players' last sizes
// ([RealSize], [MediaSize]) and the splitters' lines ([SpPos]), in twips as the file keeps them.
struct WindowSettings {
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
    int windowState = 0;  // 0 normal, 1 minimised, 2 maximised
    bool centre = false;  // [Boot] BootPosition: always in the middle of the screen
    std::array<float, 2> realAudioHeight{};
    std::array<float, 2> realAudioWidth{};
    float mediaHeight = 0;
    float mediaWidth = 0;
    float splitterLeft = 0;  // 0: where the layout puts it
    float splitterTop = 0;
};

WindowSettings windowSettingsOf(const SettingValues& values);
// The exit save's window keys (the size is the shared state's, written with it).
void storeWindowSettings(const WindowSettings& window, SettingValues& values);

// Where the browser starts, and the volume it is on (a network volume also as netDrive).
struct StartFolder {
    QString path;
    QString drive;
    QString netDrive;  // empty unless the stored folder on a network volume is taken
};

// What choosing the start folder asks of the disk.
struct StartFolderChecks {
    std::function<QString(const QString& path)> driveOf;
    // The volume is ready and the folder is there (telling the user when the volume is not).
    std::function<bool(const QString& path)> reachable;
    std::function<bool(const QString& path)> onNetwork;
};

// The folder named on the command line, whatever the settings say; else the stored folder when
// "前回の再生フォルダを開く。" is ticked and it can be reached; else the current folder.
StartFolder chooseStartFolder(const SettingValues& values, const QString& given,
                              const QString& current, const StartFolderChecks& checks);
