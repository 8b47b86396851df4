#pragma once

#include <QString>

// The program's identity: its title and version, and the texts built from them.
namespace app_info {

inline QString title() { return QStringLiteral("Quorvane"); }
inline constexpr int kMajor = QUORVANE_VERSION_MAJOR;
inline constexpr int kMinor = QUORVANE_VERSION_MINOR;
inline constexpr int kRevision = QUORVANE_VERSION_PATCH;

// "Quorvane Ver1.1.6": the main window's caption.
inline QString captionText() {
    return title() + u" Ver" + QString::number(kMajor) + u'.' + QString::number(kMinor) + u'.' +
           QString::number(kRevision);
}

// "V1.1.6": the version label of the splash window.
inline QString versionLabel() {
    return u'V' + QString::number(kMajor) + u'.' + QString::number(kMinor) + u'.' +
           QString::number(kRevision);
}

}  // namespace app_info
