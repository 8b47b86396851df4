#include "fileops/ext_change_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "fileops/messages.h"
#include "platform/path_text.h"
#include "settings/ini_file.h"
#include "settings/settings_catalogue.h"

namespace {

// What the settings file says for "not stored".
const QString kNotStored = QStringLiteral("0");

}  // namespace

bool typedExtensionValid(const QString& typed) {
    return !typed.isEmpty() && typed.size() <= 3;
}

QString changedExtensionName(const QString& name, int option, const QString& typed) {
    const QString ext = GetExtName(name);
    const QString base = GetBaseNm(name);
    QString newExt;
    switch (option) {
        case 0:
            newExt = ext.toUpper();
            break;
        case 1:
            newExt = ext.toLower();
            break;
        default:
            newExt = typed;
            break;
    }
    if (newExt.isEmpty()) {
        return {};  // no extension to change the case of
    }
    const QString changed = base + u'.' + newExt;
    return changed == name ? QString() : changed;
}

ExtChangeDialog::ExtChangeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(fileops_msg::extDialogTitle());
    setModal(true);
    auto* frame = new QGroupBox(fileops_msg::extFrame(), this);
    auto* options = new QVBoxLayout(frame);
    const QString captions[3] = {fileops_msg::extUpper(), fileops_msg::extLower(),
                                 fileops_msg::extTyped()};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(u"Option1(" + QString::number(i) + u')');
        m_options[static_cast<size_t>(i)] = option;
        options->addWidget(option);
    }
    m_text = new QLineEdit(frame);
    m_text->setObjectName(QStringLiteral("Text1"));
    options->addWidget(m_text);
    // The typed extension is used only with its option.
    m_text->setEnabled(false);
    connect(m_options[2], &QRadioButton::toggled, m_text, &QLineEdit::setEnabled);

    auto* buttons = new QHBoxLayout;
    const QString labels[2] = {fileops_msg::okButton(), fileops_msg::cancelButton()};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(labels[i], this);
        button->setObjectName(u"Command2(" + QString::number(i) + u')');
        m_buttons[static_cast<size_t>(i)] = button;
        buttons->addWidget(button);
    }
    m_buttons[0]->setDefault(true);
    connect(m_buttons[0], &QPushButton::clicked, this, &ExtChangeDialog::okClicked);
    connect(m_buttons[1], &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    checkOption(0);
}

int ExtChangeDialog::checkedOption() const {
    for (int i = 0; i < 3; ++i) {
        if (m_options[static_cast<size_t>(i)]->isChecked()) {
            return i;
        }
    }
    return 0;
}

void ExtChangeDialog::checkOption(int index) {
    m_options[static_cast<size_t>(index >= 0 && index <= 2 ? index : 0)]->setChecked(true);
}

void ExtChangeDialog::LoadExtChangeSetting(const QString& iniPath) {
    clsIniFile ini(iniPath);
    // A stored option the dialog does not have simply leaves the first one chosen.
    QList<BadSetting> bad;
    const SettingValues stored = readSettings(ini, settings_pass::extension(), bad);
    checkOption(stored.number(Setting::SelectOpton));
    const QString name = stored.text(Setting::KakuchoushiName);
    if (name != kNotStored) {
        m_text->setText(name);
    }
}

void ExtChangeDialog::SaveExtChangeSetting(const QString& iniPath) const {
    SettingValues values;
    values.set(Setting::SelectOpton, checkedOption());
    if (!m_text->text().isEmpty()) {
        values.set(Setting::KakuchoushiName, m_text->text());
    }
    clsIniFile ini(iniPath);
    writeSettings(ini, values, settings_pass::extension());
}
