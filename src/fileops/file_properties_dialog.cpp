#include "fileops/file_properties_dialog.h"
#include "platform/file_name_codec.h"

#include <sys/stat.h>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/path_utils.h"
#include "fileops/messages.h"
#include "platform/byte_size_text.h"

namespace {

constexpr int kShown = 33;
constexpr int kFileNotFound = 2;

QString timeText(const QDateTime& time) {
    return time.isValid() ? FileTimeText(time.toSecsSinceEpoch()) : QString();
}

}  // namespace

QString propertiesSizeText(qint64 bytes) {
    const QString shortForm = FormatByteSize(bytes);
    if (bytes < 1024) {
        return shortForm;
    }
    return fileops_msg::sizeWithBytes(shortForm,
                                      QLocale(QLocale::Japanese, QLocale::Japan).toString(bytes));
}

QString permissionsText(unsigned mode) {
    static const char kLetters[] = "rwxrwxrwx";
    QString text;
    for (int bit = 0; bit < 9; ++bit) {
        text += (mode & (0400u >> bit)) != 0 ? QChar(QLatin1Char(kLetters[bit])) : QChar(u'-');
    }
    return text + u" (" + QString::number(mode & 0777u, 8) + u')';
}

FilePropertiesDialog::FilePropertiesDialog(const QString& path,
                                           const PropertyRowsProvider& extraRows, QWidget* parent)
    : QDialog(parent) {
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    setWindowTitle(fileops_msg::propertiesTitle(name));

    auto* layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);

    struct stat st {};
    const bool haveStat = ::lstat(encodeFileName(path).constData(), &st) == 0;
    const bool isFolder = info.isDir() && !info.isSymLink();

    addRow(fileops_msg::labelName(), name);
    addRow(fileops_msg::labelKind(), QMimeDatabase().mimeTypeForFile(info).comment());
    if (info.isSymLink()) {
        addRow(fileops_msg::labelLinkTarget(), info.symLinkTarget());
    }
    addRow(fileops_msg::labelLocation(), info.absolutePath());
    if (isFolder) {
        m_size = addRow(fileops_msg::labelSize(), fileops_msg::stillCounting().trimmed());
        m_contents = addRow(fileops_msg::labelContents(), QString());
    } else {
        m_size = addRow(fileops_msg::labelSize(),
                        propertiesSizeText(haveStat ? static_cast<qint64>(st.st_size) : 0));
    }
    addRow(fileops_msg::labelModified(), timeText(info.lastModified()));
    addRow(fileops_msg::labelAccessed(), timeText(info.lastRead()));
    addRow(fileops_msg::labelPermissions(), haveStat ? permissionsText(st.st_mode) : QString());
    addRow(fileops_msg::labelOwner(), fileops_msg::ownerAndGroup(info.owner(), info.group()));

    const QList<PropertyRow> extra = extraRows ? extraRows(path) : QList<PropertyRow>();
    if (!extra.isEmpty()) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        m_form->addRow(line);
        for (const PropertyRow& row : extra) {
            addRow(row.label, row.value);
        }
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(fileops_msg::closeButton(), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    if (isFolder) {
        connect(&m_counter, &FolderSizeCounter::progressed, this,
                [this](const FolderSizeCounter::Totals& totals) {
                    showTotals(totals, fileops_msg::stillCounting());
                });
        connect(&m_counter, &FolderSizeCounter::finished, this,
                [this](const FolderSizeCounter::Totals& totals, bool complete) {
                    showTotals(totals, complete ? QString() : fileops_msg::countCapped());
                });
        m_counter.start(path);
    }
}

QLabel* FilePropertiesDialog::addRow(const QString& label, const QString& value) {
    auto* text = new QLabel(value, this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setWordWrap(true);
    m_form->addRow(label, text);
    return text;
}

void FilePropertiesDialog::showTotals(const FolderSizeCounter::Totals& totals,
                                      const QString& suffix) {
    m_size->setText(propertiesSizeText(totals.bytes) + suffix);
    m_contents->setText(fileops_msg::contents(totals.files, totals.folders) + suffix);
}

QString FilePropertiesDialog::rowText(const QString& label) const {
    for (int row = 0; row < m_form->rowCount(); ++row) {
        const QLayoutItem* labelItem = m_form->itemAt(row, QFormLayout::LabelRole);
        const QLayoutItem* fieldItem = m_form->itemAt(row, QFormLayout::FieldRole);
        const auto* labelWidget =
            labelItem != nullptr ? qobject_cast<const QLabel*>(labelItem->widget()) : nullptr;
        const auto* field =
            fieldItem != nullptr ? qobject_cast<const QLabel*>(fieldItem->widget()) : nullptr;
        if (labelWidget != nullptr && field != nullptr && labelWidget->text() == label) {
            return field->text();
        }
    }
    return {};
}

int ShowFileProperties(const QString& path, QWidget* parent,
                       const PropertyRowsProvider& extraRows) {
    struct stat st {};
    if (path.isEmpty() || ::lstat(encodeFileName(path).constData(), &st) != 0) {
        return kFileNotFound;
    }
    auto* dialog = new FilePropertiesDialog(path, extraRows, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    return kShown;
}
