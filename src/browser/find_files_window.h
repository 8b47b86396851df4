#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "browser/file_search.h"
#include "browser/folder_scan.h"
#include "platform/background_call.h"
#include "platform/stepped_call.h"

class Dialogs;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct FoundFile;

// FindFilesWindow: the program's own find-files window, opened on the tree's folder and left
// open beside the main window. It searches by name patterns below a folder, in short slices
// from the event loop, so the window answers and can stop the search at any time while a large
// tree is read; the status line shows the folder being read and the count. A result that is
// double-clicked (or opened with the button) is handed to the browser through openInBrowser.
class FindFilesWindow : public QWidget {
    Q_OBJECT
public:
    explicit FindFilesWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~FindFilesWindow() override;

    // Puts the folder in the location field, then shows the window and brings it to the front.
    void openOn(const QString& folder);
    // Which entries count (hidden, system, read-only), as the browser shows them.
    void setAttributeFilter(const AttributeFilter& filter) { m_filter = filter; }

    void startSearch();
    void stopSearch();
    bool isSearching() const { return m_search != nullptr || m_folderLook != nullptr; }

    // The controls, for the window's own use and for tests.
    QLineEdit* patternEdit() const { return m_pattern; }
    QLineEdit* folderEdit() const { return m_folder; }
    QPushButton* browseButton() const { return m_browseButton; }
    QCheckBox* subFoldersBox() const { return m_subFolders; }
    QPushButton* searchButton() const { return m_searchButton; }
    QPushButton* stopButton() const { return m_stopButton; }
    QPushButton* openButton() const { return m_openButton; }
    QTreeWidget* resultList() const { return m_results; }
    QLabel* statusLabel() const { return m_status; }

    // The role of a result row's folder and file name (as the disk knows them) in column 0.
    static constexpr int FolderRole = Qt::UserRole;
    static constexpr int NameRole = Qt::UserRole + 1;

signals:
    void openInBrowser(const QString& folderPath, const QString& fileName);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What one step of the search found, on the search's thread.
    struct Found {
        QList<FoundFile> files;
        QString folder;  // the folder being read
    };
    void searchIn(const QString& folder, bool there);
    void takeFound(Found found, bool more);
    void addResults(const QList<FoundFile>& files);
    void finishSearch(bool stopped);
    void openResult(QTreeWidgetItem* item);
    void browseFolder();
    void setFolder(const QString& folder);
    void sortBy(int column);
    void updateButtons();

    Dialogs& m_dialogs;
    AttributeFilter m_filter;
    QLineEdit* m_pattern = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browseButton = nullptr;
    QCheckBox* m_subFolders = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_openButton = nullptr;
    QTreeWidget* m_results = nullptr;
    QLabel* m_status = nullptr;
    std::shared_ptr<BackgroundCall<bool>> m_folderLook;  // is the folder there?
    std::shared_ptr<SteppedCall<Found>> m_search;
    QString m_folderPath;  // the folder the field was last given
    qsizetype m_count = 0;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
