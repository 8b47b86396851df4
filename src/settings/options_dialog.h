#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <memory>

#include "platform/shell_execute.h"

class Dialogs;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTreeWidget;
class clsUpdown;
struct Module1;
struct OptionsValues;

// What the options dialog works with, handed in by the window that opens it.
struct OptionsDialogServices {
    QString iniPath;             // the settings file it reads on opening and writes on OK
    Dialogs* dialogs = nullptr;  // its messages
    UrlOpener openUrl;           // the mail and home-page buttons
    QPixmap logo;                // the program's logo on the version tab
    bool onTop = false;          // the main window stays on top: so does the dialog
};

// Form2, "環境設定": the start-up behaviour, the slide show, the list's filters and name order, the
// play history, which file types are playable, and the version. It reads the settings file when
// it opens and writes it only on OK; then the slide show, the filters, the name order, the resume
// and the file kinds take effect at once (the window lists its folder again when the dialog is
// accepted), the start-up boxes at the next start. Emptying the play history is done at once, after
// a question.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(Module1& module, OptionsDialogServices services, QWidget* parent = nullptr);
    ~Form2() override;

    // Controls, by the program's names.
    QTabBar* TabStrip1() const { return m_tabs; }
    QWidget* Frame1(int index) const { return m_frames.at(static_cast<std::size_t>(index)); }
    QCheckBox* Check1(int index) const { return m_boot.at(static_cast<std::size_t>(index)); }
    QRadioButton* Option1(int index) const {
        return m_slideType.at(static_cast<std::size_t>(index));
    }
    QLineEdit* Text2() const { return m_text2; }
    clsUpdown& updown() const { return *m_updown; }
    QCheckBox* Check3(int index) const { return m_view.at(static_cast<std::size_t>(index)); }
    // "続きから再生する" and "履歴を消去", the play history's frame.
    QCheckBox* Check4() const { return m_check4; }
    // "数字を数の大きさで並べる", in the view frame.
    QCheckBox* Check5() const { return m_check5; }
    QPushButton* Command4() const { return m_command4; }
    QTreeWidget* ListView1() const { return m_list; }
    // The extra file types, beside the forty.
    QTreeWidget* ListView2() const { return m_extraList; }
    QPushButton* Command1(int index) const { return m_tick.at(static_cast<std::size_t>(index)); }
    QCheckBox* Check2() const { return m_check2; }
    QLabel* VerLabel() const { return m_verLabel; }
    QPlainTextEdit* Text1() const { return m_text1; }
    QLabel* Image1() const { return m_image; }
    QPushButton* Command3(int index) const { return m_links.at(static_cast<std::size_t>(index)); }
    QPushButton* Command2(int index) const {
        return m_okCancel.at(static_cast<std::size_t>(index));
    }

    // The extensions as the list of the forty shows them, from the top, and those of them ticked.
    QStringList shownExtensions() const;
    QStringList tickedExtensions() const;

    // The handlers, as the controls call them.
    void TabStrip1_Click(int index);  // 0-3
    void ListView1_ColumnClick(int column);
    // 0 ticks, 1 unticks every type of both lists.
    void Command1_Click(int index);
    void Command2_Click(int index);  // 0 OK, 1 cancel
    void Command3_Click(int index);  // 0 mail, 1 home page
    // Asks whether the play history is to be emptied; a yes says so through clearHistoryRequested.
    void Command4_Click();

signals:
    // The user confirmed "履歴を消去". Connected by the window to the play history.
    void clearHistoryRequested();

private:
    void buildActionTab();
    void buildFileTab();
    void buildExtractTab();
    void buildVersionTab();
    void loadFromIni();
    OptionsValues shownValues() const;
    void fitColumns();
    void refuse(const QString& text, QWidget* focus);
    int px(int twips) const;

    Module1& m_module;
    OptionsDialogServices m_services;
    std::unique_ptr<clsUpdown> m_updown;
    Qt::SortOrder m_order = Qt::AscendingOrder;

    QTabBar* m_tabs = nullptr;
    std::array<QWidget*, 4> m_frames{};
    std::array<QCheckBox*, 5> m_boot{};
    std::array<QRadioButton*, 2> m_slideType{};
    QLineEdit* m_text2 = nullptr;
    std::array<QCheckBox*, 5> m_view{};
    QCheckBox* m_check4 = nullptr;
    QCheckBox* m_check5 = nullptr;
    QPushButton* m_command4 = nullptr;
    QTreeWidget* m_list = nullptr;
    QTreeWidget* m_extraList = nullptr;
    std::array<QPushButton*, 2> m_tick{};
    QCheckBox* m_check2 = nullptr;
    QLabel* m_verLabel = nullptr;
    QPlainTextEdit* m_text1 = nullptr;
    QLabel* m_image = nullptr;
    std::array<QPushButton*, 2> m_links{};
    std::array<QPushButton*, 2> m_okCancel{};
};
