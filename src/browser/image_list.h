#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

// An image list: pictures looked up by key, as the tree, the file list, the location box, the
// toolbar and the play marks use them. The program's own pictures are there from the start;
// icons of file types and volumes are added by key as they are first needed.
class ImageList {
public:
    // A list that holds the program's own pictures (see builtin keys in images.qrc).
    static ImageList withBuiltinImages();

    bool contains(const QString& key) const { return m_icons.contains(key); }
    QIcon icon(const QString& key) const { return m_icons.value(key); }
    void add(const QString& key, const QIcon& icon) { m_icons.insert(key, icon); }
    qsizetype size() const { return m_icons.size(); }

private:
    QHash<QString, QIcon> m_icons;
};
