#pragma once

#include <QString>

// ClsGetSpecialFolder: where the user's special folders are. A folder this system has no
// counterpart for comes back as an empty string.
class ClsGetSpecialFolder {
public:
    // The network places: the desktop's mounted network locations when there are any, else the
    // first network volume.
    QString NetWorkPath() const;
    QString MyDocumentPath() const;
    QString DesktopPath() const;
    QString SendToPath() const;
    QString FavoritesDirPath() const;
    // The user's application launchers.
    QString ProgramsDirPath() const;
    QString WindowsPath() const;
    QString SystemPath() const;
    // The temporary folder, with a trailing "/".
    QString TempPath() const;
};
