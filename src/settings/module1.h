#pragma once

#include <QString>

// The names of the images the tree, the list and the location box use for special folders. One
// set is chosen at start from the name of the running system and kept for the whole run.
struct IconKeySet {
    QString FolderClose;
    QString FolderOpen;
    QString DeskTop;
    QString MyNet;
    QString MyDoc;
    QString UpOne;
    QString Favorites;
    QString MyMusic;
    QString MyPicture;
    QString MyVideo;

    // The XP-style set when the system's name contains "Windows XP", else the plain set.
    static IconKeySet forOsName(const QString& osName);
};

inline IconKeySet IconKeySet::forOsName(const QString& osName) {
    if (osName.contains(u"Windows XP")) {
        return {QStringLiteral("FolderClose"), QStringLiteral("FolderOpen"),
                QStringLiteral("DeskTopXp"),   QStringLiteral("MyNetXp"),
                QStringLiteral("MyDocXp"),     QStringLiteral("UpOneXp"),
                QStringLiteral("FavoritesXp"), QStringLiteral("MyMusicXp"),
                QStringLiteral("MyPictureXp"), QStringLiteral("MyVideoXp")};
    }
    return {QStringLiteral("FolderClose98"), QStringLiteral("FolderOpen98"),
            QStringLiteral("DeskTop98"),     QStringLiteral("MyNet98"),
            QStringLiteral("MyDoc98"),       QStringLiteral("UpOne98"),
            QStringLiteral("Favorites98"),   QStringLiteral("FolderClose98"),
            QStringLiteral("MyPicture98"),   QStringLiteral("FolderClose98")};
}

// The settings and flags every part of the program shares. One instance lives as long as the
// main window and is handed by reference to whoever needs it.
struct Module1 {
    IconKeySet icons = IconKeySet::forOsName({});
};
