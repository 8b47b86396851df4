#pragma once

#include <QString>
#include <cstdint>

// Names of the running system and of the UI toolkit version, as the about box and the start-up
// choice of icons use them.

// A Windows version record as the system reports it (the program's naming rules were made for
// these; they are kept so the names stay the same where such a record is known).
struct WinVersionRecord {
    bool plainOk = false;     // the plain record could be read
    bool extendedOk = false;  // the extended record (product type, suite mask) could be read
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;  // 1: Windows 95 family, 2: NT family
    QString csd;                   // service-pack text
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;  // 1: workstation, 3: server
};

QString windowsOsName(const WinVersionRecord& record);

// "<PRETTY_NAME of os-release> (Linux <kernel release>)", or as much of it as is known.
QString linuxOsName(const QString& osReleaseText, const QString& kernelRelease);

// The name of the system this program runs on; empty when it cannot be found.
QString GetOSName();

// The UI toolkit's version as major.minor, or "不明".
QString GetShellVersion();
