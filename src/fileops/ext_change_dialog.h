#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

// The new name of a file whose extension changes: option 0 the extension in upper case, 1 in
// lower case, 2 the typed extension. Empty when the name stays as it is. A name without an
// extension gets one only from a typed extension.
QString changedExtensionName(const QString& name, int option, const QString& typed);
// The typed extension is usable: one to three characters.
bool typedExtensionValid(const QString& typed);

// Form3, "選択された拡張子の変更": three options (upper case, lower case, one typed extension), the
// typed extension and OK / Cancel. It holds no logic: OK is reported, and whoever opened it
// closes it when the change is done.
class ExtChangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExtChangeDialog(QWidget* parent = nullptr);

    // Option1(0-2) and Text1, Command2(0) OK and Command2(1) Cancel.
    QRadioButton* Option1(int index) const { return m_options.at(static_cast<size_t>(index)); }
    QLineEdit* Text1() const { return m_text; }
    QPushButton* Command2(int index) const { return m_buttons.at(static_cast<size_t>(index)); }

    int checkedOption() const;
    void checkOption(int index);

    // The dialog's settings in section KakuchoushiConv of the settings file.
    void LoadExtChangeSetting(const QString& iniPath);
    void SaveExtChangeSetting(const QString& iniPath) const;

signals:
    void okClicked();

private:
    std::array<QRadioButton*, 3> m_options{};
    QLineEdit* m_text = nullptr;
    std::array<QPushButton*, 2> m_buttons{};
};
