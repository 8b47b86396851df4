#include "browser/find_files_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "browser/file_name_codec.h"
#include "browser/file_search.h"
#include "browser/messages.h"
#include "browser/path_utils.h"
#include "platform/byte_size_text.h"
#include "platform/dialogs.h"

namespace {

enum Column { NameColumn, FolderColumn, SizeColumn, TimeColumn };

// A slice is short enough that typing and clicks in either window are never held up.
constexpr int kSliceEntries = 20000;
constexpr qint64 kSliceMilliseconds = 30;
constexpr std::chrono::milliseconds kFolderLookWait{100};

constexpr int SizeRole = Qt::UserRole + 2;
constexpr int TimeRole = Qt::UserRole + 3;

// Sizes and times sort by value, not by their text.
class ResultItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : NameColumn;
        if (column == SizeColumn || column == TimeColumn) {
            const int role = column == SizeColumn ? SizeRole : TimeRole;
            return data(0, role).toLongLong() < other.data(0, role).toLongLong();
        }
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

FindFilesWindow::FindFilesWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs) {
    setWindowTitle(QString::fromUtf16(browser_msg::kFindTitle));

    m_pattern = new QLineEdit(this);
    m_pattern->setToolTip(QString::fromUtf16(browser_msg::kFindNameHint));
    m_folder = new QLineEdit(this);
    m_browseButton = new QPushButton(QString::fromUtf16(browser_msg::kFindBrowse), this);
    m_subFolders = new QCheckBox(QString::fromUtf16(browser_msg::kFindSubFolders), this);
    m_subFolders->setChecked(true);
    m_searchButton = new QPushButton(QString::fromUtf16(browser_msg::kFindStart), this);
    m_stopButton = new QPushButton(QString::fromUtf16(browser_msg::kFindStop), this);
    m_openButton = new QPushButton(QString::fromUtf16(browser_msg::kFindOpenFolder), this);

    auto* nameLabel = new QLabel(QString::fromUtf16(browser_msg::kFindNameLabel), this);
    nameLabel->setBuddy(m_pattern);
    auto* folderLabel = new QLabel(QString::fromUtf16(browser_msg::kFindFolderLabel), this);
    folderLabel->setBuddy(m_folder);

    m_results = new QTreeWidget(this);
    QStringList titles;
    for (const char16_t* title : browser_msg::kFindColumnTitles) {
        titles << QString::fromUtf16(title);
    }
    m_results->setHeaderLabels(titles);
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->header()->setSectionsClickable(true);
    m_results->setColumnWidth(NameColumn, 200);
    m_results->setColumnWidth(FolderColumn, 280);

    // The status line shows long folder paths; it must not widen the window.
    m_status = new QLabel(this);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_pattern, 0, 1, 1, 2);
    fields->addWidget(folderLabel, 1, 0);
    fields->addWidget(m_folder, 1, 1);
    fields->addWidget(m_browseButton, 1, 2);
    fields->addWidget(m_subFolders, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_searchButton);
    buttons->addWidget(m_stopButton);
    buttons->addStretch();
    buttons->addWidget(m_openButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_status);
    resize(720, 480);

    connect(m_searchButton, &QPushButton::clicked, this, &FindFilesWindow::startSearch);
    connect(m_pattern, &QLineEdit::returnPressed, this, &FindFilesWindow::startSearch);
    connect(m_stopButton, &QPushButton::clicked, this, &FindFilesWindow::stopSearch);
    connect(m_browseButton, &QPushButton::clicked, this, &FindFilesWindow::browseFolder);
    connect(m_openButton, &QPushButton::clicked, this,
            [this] { openResult(m_results->currentItem()); });
    connect(m_results, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openResult(item); });
    connect(m_results, &QTreeWidget::currentItemChanged, this, &FindFilesWindow::updateButtons);
    connect(m_results->header(), &QHeaderView::sectionClicked, this, &FindFilesWindow::sortBy);
    updateButtons();
}

FindFilesWindow::~FindFilesWindow() = default;

void FindFilesWindow::openOn(const QString& folder) {
    if (!isSearching()) {
        setFolder(folder);
    }
    show();
    raise();
    activateWindow();
    m_pattern->setFocus();
}

void FindFilesWindow::startSearch() {
    stopSearch();
    // The field shows names that are not valid UTF-8 as Qt shows them; unless the user changed
    // the field, search the real folder it was given.
    QString folder = m_folder->text().trimmed();
    if (!m_folderPath.isEmpty() && displayFileName(m_folderPath) == folder) {
        folder = m_folderPath;
    }
    // The folder is looked at off the window's thread: one on a share that does not answer at
    // once is searched when it answers (Stop forgets it).
    auto look = BackgroundCall<bool>::start([folder] { return folderExistsOnDisk(folder); });
    if (look->waitFor(kFolderLookWait)) {
        searchIn(folder, look->take());
        return;
    }
    m_folderLook = look;
    look->whenDone(this, [this, look, folder] {
        if (m_folderLook == look) {
            m_folderLook.reset();
            searchIn(folder, look->take());
        }
    });
    m_status->setText(browser_msg::findProgress(displayFileName(folderKey(folder)), 0));
    updateButtons();
}

void FindFilesWindow::searchIn(const QString& folder, bool there) {
    if (!there) {
        m_dialogs.message(browser_msg::findFolderMissing(folder), MsgIcon::Exclamation);
        updateButtons();
        return;
    }
    m_results->clear();
    m_count = 0;
    // The search reads the folders on a thread of its own and hands on what each step found.
    auto search = std::make_shared<FileSearch>(folder, m_pattern->text(), m_subFolders->isChecked(),
                                               m_filter);
    m_search = SteppedCall<Found>::start(
        this,
        [search](Found& found) {
            const bool more = search->step(kSliceEntries, kSliceMilliseconds, found.files);
            found.folder = search->currentFolder();
            return more;
        },
        [this](Found found, bool more) { takeFound(std::move(found), more); });
    m_status->setText(browser_msg::findProgress(displayFileName(folderKey(folder)), 0));
    updateButtons();
}

void FindFilesWindow::stopSearch() {
    if (isSearching()) {
        finishSearch(true);
    }
}

void FindFilesWindow::takeFound(Found found, bool more) {
    addResults(found.files);
    if (more) {
        m_status->setText(browser_msg::findProgress(displayFileName(found.folder), m_count));
    } else {
        m_search.reset();
        finishSearch(false);
    }
}

void FindFilesWindow::addResults(const QList<FoundFile>& files) {
    if (files.isEmpty()) {
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(files.size());
    for (const FoundFile& file : files) {
        auto* item = new ResultItem;
        item->setText(NameColumn, displayFileName(file.name));
        item->setText(FolderColumn, displayFileName(file.folder));
        item->setText(SizeColumn, FormatByteSize(file.size));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(TimeColumn, FileTimeText(file.modified));
        item->setData(0, FolderRole, file.folder);
        item->setData(0, NameRole, file.name);
        item->setData(0, SizeRole, file.size);
        item->setData(0, TimeRole, file.modified);
        items << item;
    }
    m_results->addTopLevelItems(items);
    m_count += files.size();
}

void FindFilesWindow::finishSearch(bool stopped) {
    if (m_folderLook) {
        m_folderLook->cancel();
        m_folderLook.reset();
    }
    if (m_search) {
        m_search->cancel();
        m_search.reset();
    }
    m_status->setText(stopped ? browser_msg::findStopped(m_count) : browser_msg::findDone(m_count));
    updateButtons();
}

void FindFilesWindow::openResult(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    emit openInBrowser(item->data(0, FolderRole).toString(), item->data(0, NameRole).toString());
}

void FindFilesWindow::browseFolder() {
    const QString chosen = m_dialogs.browseForFolder(
        QString::fromUtf16(browser_msg::kFindBrowseCaption), m_folder->text(), QString());
    if (!chosen.isEmpty()) {
        setFolder(chosen);
    }
}

void FindFilesWindow::setFolder(const QString& folder) {
    m_folderPath = folder;
    m_folder->setText(displayFileName(folder));
}

void FindFilesWindow::sortBy(int column) {
    m_sortOrder = (column == m_sortColumn && m_sortOrder == Qt::AscendingOrder)
                      ? Qt::DescendingOrder
                      : Qt::AscendingOrder;
    m_sortColumn = column;
    m_results->header()->setSortIndicatorShown(true);
    m_results->header()->setSortIndicator(column, m_sortOrder);
    m_results->sortItems(column, m_sortOrder);
}

void FindFilesWindow::updateButtons() {
    const bool searching = isSearching();
    m_searchButton->setEnabled(!searching);
    m_stopButton->setEnabled(searching);
    m_openButton->setEnabled(m_results->currentItem() != nullptr);
}

void FindFilesWindow::closeEvent(QCloseEvent* event) {
    stopSearch();
    QWidget::closeEvent(event);
}
