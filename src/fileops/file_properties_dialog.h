#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

#include "platform/folder_size.h"

class QFormLayout;
class QLabel;

// One more line for the properties window, as "label: value".
struct PropertyRow {
    QString label;
    QString value;
};
// Lines that other parts of the program add about a file (the player adds what it knows about
// a media file); empty when it has nothing to say.
using PropertyRowsProvider = std::function<QList<PropertyRow>(const QString& path)>;

// The properties of one file or folder: name, kind, place, size, times, permissions and owner,
// and for a folder what it holds, counted while the window is open.
class FilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    FilePropertiesDialog(const QString& path, const PropertyRowsProvider& extraRows,
                         QWidget* parent = nullptr);

    // The value shown beside a label; empty when the window has no such line.
    QString rowText(const QString& label) const;
    bool isCounting() const { return m_counter.isRunning(); }

private:
    QLabel* addRow(const QString& label, const QString& value);
    void showTotals(const FolderSizeCounter::Totals& totals, const QString& suffix);

    QFormLayout* m_form = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_contents = nullptr;
    FolderSizeCounter m_counter;
};

// The short size with the exact byte count: "1.50 KB (1,536 バイト)", or "532 バイト".
QString propertiesSizeText(qint64 bytes);
// "rwxr-xr-x (755)".
QString permissionsText(unsigned mode);

// Opens the properties window of path beside parent; the window lives until the user closes it.
// Returns a value above 32 when it is shown, 2 when there is nothing at path.
int ShowFileProperties(const QString& path, QWidget* parent,
                       const PropertyRowsProvider& extraRows = {});
