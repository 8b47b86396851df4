#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "platform/volumes.h"

class Dialogs;
class ImageList;
class QComboBox;
struct Module1;

// LocationBox: the items of the location box ImageCombo1 (the window owns the combo box): the
// desktop, My Documents, then every volume of the machine, each item holding its key (the item
// data), its text and its picture. It selects items by key for the navigation, empties the text
// while a network folder is on show, and tells the window when the user picks an item. The
// volume list is read once: a volume mounted later is reached through the folder picker.
class LocationBox : public QObject {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ImageKeyRole = Qt::UserRole + 1;
    static QString DeskTopKey() { return QStringLiteral("DeskTop"); }
    static QString MyDocumentsKey() { return QStringLiteral("MyDocments"); }

    LocationBox(QComboBox& combo, const Module1& module, ImageList& images, Dialogs& dialogs,
                QObject* parent = nullptr);

    // Builds the items for this machine's volumes now.
    void FillLocationBox();
    // Builds the items for the given volumes, named with the given file-system labels.
    void FillLocationBox(const QList<Volume>& volumes, const QHash<QString, QString>& labels = {});

    // Shows the item of key; false (and the box unchanged) when there is none. Does not count as
    // the user's choice.
    bool selectKey(const QString& key);
    // Leaves the box showing no item (a folder that is not on one of the listed volumes).
    void clearText();
    // The key of the item on show; empty when none is.
    QString currentKey() const;
    int indexOfKey(const QString& key) const;
    QString itemText(const QString& key) const;
    void setItemText(const QString& key, const QString& text);

    QComboBox& combo() const { return m_combo; }

signals:
    // The user picked the item of key (also when it was already on show).
    void itemChosen(const QString& key);

private:
    void addItem(const QString& key, const QString& text, const QString& imageKey);

    QComboBox& m_combo;
    const Module1& m_module;
    ImageList& m_images;
    Dialogs& m_dialogs;
};
