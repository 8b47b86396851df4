#include "settings/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>

#include "platform/app_info.h"
#include "platform/busy_cursor.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/os_version.h"
#include "platform/run_error.h"
#include "settings/file_types.h"
#include "settings/ini_file.h"
#include "settings/messages.h"
#include "settings/module1.h"
#include "settings/options_settings.h"
#include "settings/up_down.h"

namespace {

// Where the controls stand, in twips.
constexpr int kWidth = 6390;
constexpr int kHeight = 6300;
constexpr QRect kTabs(240, 300, 5775, 420);
constexpr QRect kFrame(240, 720, 5775, 4000);
constexpr int kListBelowReserve = 700;
// The extra types' list stands at the right of the forty.
constexpr int kExtraListWidth = 2235;
constexpr int kListGap = 60;
constexpr QRect kOk(3360, 5280, 1215, 420);
constexpr QRect kCancel(4800, 5280, 1215, 420);

// A file type of the list; rows compare by the clicked column's text, letter case ignored.
class FileTypeItem : public QTreeWidgetItem {
public:
    FileTypeItem(const FileType& type, int number)
        : QTreeWidgetItem(QStringList{type.extension, type.description}) {
        setData(0, Qt::UserRole, number);
        setFlags(flags() | Qt::ItemIsUserCheckable);
        setCheckState(0, Qt::Unchecked);
    }
    int number() const { return data(0, Qt::UserRole).toInt(); }

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

// A check box's stored state: 0 clear, 1 ticked, 2 greyed.
Qt::CheckState checkStateOf(int stored) {
    return stored == 1 ? Qt::Checked : stored == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}
int storedStateOf(const QCheckBox* box) {
    const Qt::CheckState state = box->checkState();
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

QString indexedName(const char* name, int index) {
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

// A titled frame whose controls stand in a tight grid.
std::pair<QGroupBox*, QGridLayout*> titledFrame(const QString& title, const char* name,
                                                QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setSpacing(0);
    return {frame, grid};
}

// Check boxes name(0) … name(4) of a frame, captioned by caption(index).
std::array<QCheckBox*, 5> checkBoxes(QGroupBox* frame, const char* name, QString (*caption)(int)) {
    std::array<QCheckBox*, 5> boxes{};
    for (int i = 0; i < 5; ++i) {
        auto* check = new QCheckBox(caption(i), frame);
        check->setObjectName(indexedName(name, i));
        boxes[static_cast<std::size_t>(i)] = check;
    }
    return boxes;
}

QVBoxLayout* compactColumn(QWidget* parent) {
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(6, 2, 6, 2);
    column->setSpacing(0);
    return column;
}

}  // namespace

Form2::Form2(Module1& module, OptionsDialogServices services, QWidget* parent)
    : QDialog(parent), m_module(module), m_services(std::move(services)) {
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    setWindowTitle(settings_msg::optionsTitle());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // On top exactly when the main window is.
    setWindowFlag(Qt::WindowStaysOnTopHint, m_services.onTop);
    setFixedSize(px(kWidth), px(kHeight));

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setGeometry(px(kTabs.x()), px(kTabs.y()), px(kTabs.width()), px(kTabs.height()));
    m_tabs->addTab(settings_msg::tabAction());
    m_tabs->setTabToolTip(0, settings_msg::tabActionTip());
    m_tabs->addTab(settings_msg::tabFiles());
    m_tabs->setTabToolTip(1, settings_msg::tabFilesTip());
    m_tabs->addTab(settings_msg::tabExtract());
    m_tabs->addTab(settings_msg::tabVersion());
    for (int i = 0; i < 4; ++i) {
        auto* frame = new QWidget(this);
        frame->setObjectName(indexedName("Frame1", i));
        frame->setGeometry(px(kFrame.x()), px(kFrame.y()), px(kFrame.width()), px(kFrame.height()));
        frame->hide();
        m_frames[static_cast<std::size_t>(i)] = frame;
    }
    m_frames[0]->show();
    buildActionTab();
    buildFileTab();
    buildExtractTab();
    buildVersionTab();

    const QString labels[2] = {settings_msg::okButton(), settings_msg::cancelButton()};
    const QRect places[2] = {kOk, kCancel};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(labels[i], this);
        button->setObjectName(indexedName("Command2", i));
        button->setGeometry(px(places[i].x()), px(places[i].y()), px(places[i].width()),
                            px(places[i].height()));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
        m_okCancel[static_cast<std::size_t>(i)] = button;
    }
    m_okCancel[0]->setDefault(true);
    connect(m_tabs, &QTabBar::currentChanged, this, &Form2::TabStrip1_Click);

    loadFromIni();
    fitColumns();
}

Form2::~Form2() = default;

int Form2::px(int twips) const {
    return twips * logicalDpiX() / 1440;
}

void Form2::buildActionTab() {
    QWidget* frame = m_frames[0];
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    const auto [frame4, boot] = titledFrame(settings_msg::bootFrame(), "Frame4", frame);
    m_boot = checkBoxes(frame4, "Check1", settings_msg::bootCheck);
    // The two short ones share the first row.
    boot->addWidget(m_boot[0], 0, 0);
    boot->addWidget(m_boot[1], 0, 1);
    boot->addWidget(m_boot[2], 1, 0, 1, 2);
    boot->addWidget(m_boot[3], 2, 0, 1, 2);
    boot->addWidget(m_boot[4], 3, 0, 1, 2);
    column->addWidget(frame4);

    const auto [frame2, slide] = titledFrame(settings_msg::slideFrame(), "Frame2", frame);
    slide->setHorizontalSpacing(8);
    auto* kinds = new QButtonGroup(frame2);
    const QString captions[2] = {settings_msg::slidePictures(), settings_msg::slideAll()};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(captions[i], frame2);
        option->setObjectName(indexedName("Option1", i));
        kinds->addButton(option, i);
        m_slideType[static_cast<std::size_t>(i)] = option;
    }
    slide->addWidget(new QLabel(settings_msg::slideFilesLabel(), frame2), 0, 0);
    slide->addWidget(m_slideType[0], 0, 1, 1, 2);
    slide->addWidget(m_slideType[1], 1, 1, 1, 2);
    slide->addWidget(new QLabel(settings_msg::slideIntervalLabel(), frame2), 2, 0);
    m_text2 = new QLineEdit(QStringLiteral("1"), frame2);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setFixedWidth(px(900));
    m_text2->setAlignment(Qt::AlignRight);
    // The arrows stand over the box's right end: its text keeps clear of them.
    m_text2->setTextMargins(0, 0, 18, 0);
    slide->addWidget(m_text2, 2, 1);
    slide->addWidget(new QLabel(settings_msg::slideSecondsLabel(), frame2), 2, 2);
    slide->setColumnStretch(2, 1);
    column->addWidget(frame2);

    const auto [frame3, view] = titledFrame(settings_msg::viewFrame(), "Frame3", frame);
    m_view = checkBoxes(frame3, "Check3", settings_msg::viewCheck);
    // The three kinds of file side by side, then the two about the list.
    view->addWidget(m_view[0], 0, 0);
    view->addWidget(m_view[1], 0, 1);
    view->addWidget(m_view[2], 0, 2);
    view->addWidget(m_view[3], 1, 0, 1, 3);
    view->addWidget(m_view[4], 2, 0, 1, 3);
    // How the list orders names: numbers by value, or as plain text.
    m_check5 = new QCheckBox(settings_msg::naturalOrder(), frame3);
    m_check5->setObjectName(QStringLiteral("Check5"));
    view->addWidget(m_check5, 3, 0, 1, 3);
    column->addWidget(frame3);

    // The play history: whether files resume, and the button that empties it, on one row.
    const auto [frame5, history] = titledFrame(settings_msg::historyFrame(), "Frame5", frame);
    m_check4 = new QCheckBox(settings_msg::resumePlay(), frame5);
    m_check4->setObjectName(QStringLiteral("Check4"));
    m_command4 = new QPushButton(settings_msg::clearHistoryButton(), frame5);
    m_command4->setObjectName(QStringLiteral("Command4"));
    m_command4->setAutoDefault(false);
    connect(m_command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    history->addWidget(m_check4, 0, 0);
    history->addWidget(m_command4, 0, 1, Qt::AlignRight);
    column->addWidget(frame5);
    column->addStretch();

    m_updown = std::make_unique<clsUpdown>();
    m_updown->Create(m_text2, kSlideTimeHigh, kSlideTimeLow);
}

namespace {

// A list of file types with check boxes, columns "拡張子" and "説明" as wide as their captions.
QTreeWidget* fileTypeList(const char* name, QWidget* frame) {
    auto* list = new QTreeWidget(frame);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderLabels({settings_msg::extensionColumn(), settings_msg::descriptionColumn()});
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    for (int c = 0; c < 2; ++c) {
        header->resizeSection(
            c, header->fontMetrics().horizontalAdvance(list->headerItem()->text(c)) + 16);
    }
    return list;
}

}  // namespace

void Form2::buildFileTab() {
    QWidget* frame = m_frames[1];
    const int listHeight = px(kFrame.height() - kListBelowReserve);
    const int extraWidth = px(kExtraListWidth);
    m_list = fileTypeList("ListView1", frame);
    m_list->setGeometry(0, 0, frame->width() - extraWidth - px(kListGap), listHeight);
    QHeaderView* header = m_list->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    connect(header, &QHeaderView::sectionClicked, this, &Form2::ListView1_ColumnClick);
    const QList<FileType>& byExtension = fileTypesByExtension();
    for (const FileType& type : fileTypesAsAdded()) {
        int number = 0;
        while (byExtension.at(number).extension != type.extension) {
            ++number;
        }
        m_list->addTopLevelItem(new FileTypeItem(type, number));
    }
    m_list->sortItems(0, Qt::AscendingOrder);

    // The types played since: their own list, in the order of their extensions.
    m_extraList = fileTypeList("ListView2", frame);
    m_extraList->setGeometry(frame->width() - extraWidth, 0, extraWidth, listHeight);
    const QList<FileType>& extra = extraFileTypes();
    for (int n = 0; n < extra.size(); ++n) {
        auto* item = new FileTypeItem(extra.at(n), n);
        item->setCheckState(0, Qt::Checked);
        m_extraList->addTopLevelItem(item);
    }

    const QString captions[2] = {settings_msg::tickAll(), settings_msg::untickAll()};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(captions[i], frame);
        button->setObjectName(indexedName("Command1", i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        m_tick[static_cast<std::size_t>(i)] = button;
        row->addWidget(button);
    }
    row->addStretch();
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, px(kFrame.height() - kListBelowReserve) + 8, 0, 0);
    column->addLayout(row);
    column->addStretch();
}

void Form2::buildExtractTab() {
    QWidget* frame = m_frames[2];
    m_check2 = new QCheckBox(settings_msg::chooseFolderOnExtract(), frame);
    m_check2->setObjectName(QStringLiteral("Check2"));
    auto* column = compactColumn(frame);
    column->addWidget(m_check2);
    column->addStretch();
}

void Form2::buildVersionTab() {
    QWidget* frame = m_frames[3];
    m_image = new QLabel(frame);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(m_services.logo);
    m_verLabel = new QLabel(frame);
    m_verLabel->setObjectName(QStringLiteral("VerLabel"));
    m_verLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_verLabel->setWordWrap(true);
    m_verLabel->setText(app_info::captionText() + u'\n' + settings_msg::versionNotice() + u'\n' +
                        GetOSName() + u'\n' + settings_msg::shellLine(GetShellVersion()));
    m_text1 = new QPlainTextEdit(frame);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text1->setPlainText(settings_msg::versionHistory());

    const QString captions[2] = {settings_msg::mailButton(), settings_msg::homePageButton()};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(captions[i], frame);
        button->setObjectName(indexedName("Command3", i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
        m_links[static_cast<std::size_t>(i)] = button;
        buttons->addWidget(button);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(m_image, 0, Qt::AlignTop);
    top->addWidget(m_verLabel, 1);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(4, 4, 4, 4);
    column->addLayout(top);
    column->addWidget(m_text1, 1);
    column->addLayout(buttons);
}

void Form2::loadFromIni() {
    clsIniFile ini(m_services.iniPath);
    QList<BadSetting> bad;
    const OptionsValues values = readOptions(ini, bad);
    if (m_services.dialogs != nullptr) {
        reportBadSettings(*m_services.dialogs, bad);
    }
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        auto* item = static_cast<FileTypeItem*>(m_list->topLevelItem(i));
        item->setCheckState(0, values.played[static_cast<std::size_t>(item->number())]
                                   ? Qt::Checked
                                   : Qt::Unchecked);
    }
    for (int i = 0; i < m_extraList->topLevelItemCount(); ++i) {
        auto* item = static_cast<FileTypeItem*>(m_extraList->topLevelItem(i));
        item->setCheckState(
            0, values.extraPlayed.value(item->number(), true) ? Qt::Checked : Qt::Unchecked);
    }
    m_text2->setText(values.slideTime);
    m_slideType[static_cast<std::size_t>(values.slideType)]->setChecked(true);
    for (std::size_t i = 0; i < 5; ++i) {
        m_boot[i]->setCheckState(checkStateOf(values.boot[i]));
        m_view[i]->setCheckState(checkStateOf(values.fileView[i]));
    }
    m_check2->setCheckState(checkStateOf(values.selectFolder));
    m_check4->setChecked(values.resumePlay);
    m_check5->setChecked(values.naturalOrder);
}

OptionsValues Form2::shownValues() const {
    OptionsValues values;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const auto* item = static_cast<const FileTypeItem*>(m_list->topLevelItem(i));
        values.played[static_cast<std::size_t>(item->number())] =
            item->checkState(0) == Qt::Checked;
    }
    for (int i = 0; i < m_extraList->topLevelItemCount(); ++i) {
        const auto* item = static_cast<const FileTypeItem*>(m_extraList->topLevelItem(i));
        values.extraPlayed[item->number()] = item->checkState(0) == Qt::Checked;
    }
    values.slideTime = m_text2->text();
    values.slideType = m_slideType[1]->isChecked() ? 1 : 0;
    for (std::size_t i = 0; i < 5; ++i) {
        values.boot[i] = storedStateOf(m_boot[i]);
        values.fileView[i] = storedStateOf(m_view[i]);
    }
    values.selectFolder = storedStateOf(m_check2);
    values.resumePlay = m_check4->isChecked();
    values.naturalOrder = m_check5->isChecked();
    return values;
}

void Form2::fitColumns() {
    for (QTreeWidget* list : {m_list, m_extraList}) {
        list->setUpdatesEnabled(false);
        for (int c = 0; c < 2; ++c) {
            list->resizeColumnToContents(c);
        }
        list->setUpdatesEnabled(true);
    }
}

QStringList Form2::shownExtensions() const {
    QStringList extensions;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        extensions << m_list->topLevelItem(i)->text(0);
    }
    return extensions;
}

QStringList Form2::tickedExtensions() const {
    QStringList extensions;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) {
            extensions << item->text(0);
        }
    }
    return extensions;
}

void Form2::TabStrip1_Click(int index) {
    for (QWidget* frame : m_frames) {
        frame->hide();
    }
    m_frames.at(static_cast<std::size_t>(index))->show();
    if (m_tabs->currentIndex() != index) {
        m_tabs->setCurrentIndex(index);
    }
}

void Form2::ListView1_ColumnClick(int column) {
    // Every click turns the order over, whichever column it is on.
    m_order = m_order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_list->sortItems(column, m_order);
}

void Form2::Command1_Click(int index) {
    // Both lists: "all" is every type the tab shows.
    const Qt::CheckState state = index == 0 ? Qt::Checked : Qt::Unchecked;
    for (QTreeWidget* list : {m_list, m_extraList}) {
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            list->topLevelItem(i)->setCheckState(0, state);
        }
    }
}

void Form2::refuse(const QString& text, QWidget* focus) {
    TabStrip1_Click(0);
    if (m_services.dialogs != nullptr) {
        m_services.dialogs->messageBox(text, MsgIcon::Information, MsgButtons::Ok,
                                       app_info::title());
    }
    if (focus != nullptr) {
        focus->setFocus();
    }
}

void Form2::Command2_Click(int index) {
    if (index != 0) {
        reject();
        return;
    }
    std::optional<BusyCursor> busy(std::in_place);
    // The patterns follow the order on show; the numbered keys always follow the extensions.
    // Only the forty make the stored pattern list, which cannot be empty (an empty one reads
    // back as the default kinds): at least one of them must stay ticked, whatever the extra
    // types say.
    const QString patterns = playPatterns(tickedExtensions());
    switch (checkOptions(patterns, m_text2->text())) {
        case OptionsRefusal::NoPlayFile:
            busy.reset();
            refuse(settings_msg::noPlayFile(), nullptr);
            return;
        case OptionsRefusal::BadInterval:
            busy.reset();
            refuse(settings_msg::badSlideInterval(), m_text2);
            m_text2->selectAll();
            return;
        case OptionsRefusal::None:
            break;
    }
    m_order = Qt::AscendingOrder;
    m_list->sortItems(0, m_order);
    const OptionsValues values = shownValues();
    clsIniFile ini(m_services.iniPath);
    if (!saveOptions(ini, values, patterns)) {
        busy.reset();
        if (m_services.dialogs != nullptr) {
            ErrMsgDsp(*m_services.dialogs, run_error::kPermissionDenied);
        }
        return;
    }
    applyOptions(values, patterns, m_module);
    busy.reset();
    accept();
}

void Form2::Command3_Click(int index) {
    if (m_services.dialogs == nullptr || !m_services.openUrl) {
        return;
    }
    ShellOpen(*m_services.dialogs, m_services.openUrl,
              index == 0 ? settings_msg::mailAddress() : settings_msg::homePageAddress());
}

void Form2::Command4_Click() {
    if (m_services.dialogs != nullptr &&
        m_services.dialogs->messageBox(settings_msg::confirmClearHistory(), MsgIcon::Question,
                                       MsgButtons::YesNo, app_info::title()) == MsgResult::Yes) {
        emit clearHistoryRequested();
    }
}
