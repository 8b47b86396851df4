#include "browser/location_box.h"

#include <QComboBox>
#include <exception>

#include "browser/image_list.h"
#include "browser/messages.h"
#include "browser/volume_icons.h"
#include "browser/volume_names.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "settings/module1.h"

LocationBox::LocationBox(QComboBox& combo, const Module1& module, ImageList& images,
                         Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_combo(combo), m_module(module), m_images(images), m_dialogs(dialogs) {
    connect(&m_combo, &QComboBox::activated, this, [this](int index) {
        const QString key = m_combo.itemData(index, KeyRole).toString();
        if (!key.isEmpty()) {
            emit itemChosen(key);
        }
    });
}

void LocationBox::FillLocationBox() {
    QList<Volume> volumes;
    QHash<QString, QString> labels;
    try {
        volumes = listVolumes();
        labels = readVolumeLabels();
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
        return;
    }
    FillLocationBox(volumes, labels);
}

void LocationBox::FillLocationBox(const QList<Volume>& volumes,
                                  const QHash<QString, QString>& labels) {
    try {
        m_combo.clear();
        addItem(DeskTopKey(), QString::fromUtf16(browser_msg::kLocationDeskTop),
                m_module.icons.DeskTop);
        addItem(MyDocumentsKey(), QString::fromUtf16(browser_msg::kLocationMyDocuments),
                m_module.icons.MyDoc);
    } catch (const std::exception& e) {
        ErrMsgDsp(m_dialogs, e);
        return;
    }
    // From the first picture on, a volume that fails is left out and the next one goes on.
    for (const Volume& volume : volumes) {
        try {
            const QString imageKey = ensureVolumeIcon(m_images, volume.mountPoint, volume.type);
            if (m_images.icon(imageKey).isNull()) {
                m_dialogs.message(browser_msg::listIconFailed(volume.mountPoint),
                                  MsgIcon::Information);
            }
            addItem(volume.mountPoint, volumeDisplayName(volume, labels), imageKey);
        } catch (const std::exception&) {
        }
    }
}

void LocationBox::addItem(const QString& key, const QString& text, const QString& imageKey) {
    m_combo.addItem(m_images.icon(imageKey), text, key);
    m_combo.setItemData(m_combo.count() - 1, imageKey, ImageKeyRole);
}

int LocationBox::indexOfKey(const QString& key) const {
    return m_combo.findData(key, KeyRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

bool LocationBox::selectKey(const QString& key) {
    const int index = indexOfKey(key);
    if (index < 0) {
        return false;
    }
    m_combo.setCurrentIndex(index);
    return true;
}

void LocationBox::clearText() {
    m_combo.setCurrentIndex(-1);
    if (m_combo.isEditable()) {
        m_combo.clearEditText();
    }
}

QString LocationBox::currentKey() const {
    const int index = m_combo.currentIndex();
    return index < 0 ? QString() : m_combo.itemData(index, KeyRole).toString();
}

QString LocationBox::itemText(const QString& key) const {
    const int index = indexOfKey(key);
    return index < 0 ? QString() : m_combo.itemText(index);
}

void LocationBox::setItemText(const QString& key, const QString& text) {
    const int index = indexOfKey(key);
    if (index >= 0) {
        m_combo.setItemText(index, text);
    }
}
