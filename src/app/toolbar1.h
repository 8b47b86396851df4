#pragma once

#include <QList>
#include <QString>
#include <QToolBar>

#include "platform/command_table.h"

class QAction;
class QActionGroup;
class CommandActions;
class ImageList;

// Toolbar1: the navigation and player buttons, addressed by their 1-based index or by their key
// as the commands know them. Each button runs the command of its row in kButtons.
class Toolbar1 : public QToolBar {
    Q_OBJECT
public:
    enum class Style { Normal, Check, Group, Separator };
    struct ButtonSpec {
        const char16_t* key;
        Style style;
        int image;  // number of its picture in the toolbar images, 0 for a separator
        bool pressed;
        CommandRef command;  // what a click runs (its tip is the command's), the slide show held
    };
    // The buttons by index, 1-based from the left; 4, 10, 13, 16, 18 and 21 are separators.
    enum ButtonIndex {
        DeskTopButton = 1,        // "デスクトップ"
        MyDocButton = 2,          // "マイドキュメント"
        NetworkButton = 3,        // "ネットワーク"
        UpOneButton = 5,          // "1つ上に"
        RefreshButton = 6,        // "最新更新"
        FileViewButton = 7,       // "ファイルビュー" (stays pressed)
        ExtractButton = 8,        // "解凍"
        SelectExtractButton = 9,  // "選択解凍"
        PlayButton = 11,          // "再生"
        StopButton = 12,          // "停止"
        PreviousButton = 14,      // "1つ戻る"
        NextButton = 15,          // "1つ次へ"
        RepeatButton = 17,        // "リピート再生" (stays pressed)
        AscendingButton = 19,     // "昇順" (one of the order pair)
        DescendingButton = 20,    // "降順"
        RateOneButton = 22,       // "RateOne"
    };
    static constexpr int kButtonCount = 22;
    static const ButtonSpec kButtons[kButtonCount];

    explicit Toolbar1(const ImageList& images, QWidget* parent = nullptr);
    // Each button takes its command's tip, and a click runs the command.
    void bindCommands(CommandActions& actions) const;

    QAction* button(int index) const { return m_buttons.at(index - 1); }
    QAction* buttonByKey(const QString& key) const;
    int indexOf(const QString& key) const;
    // Shows the picture of the given image key on a button (e.g. "Play" / "Pause").
    void setButtonImage(int index, const QString& imageKey);
    QString buttonImage(int index) const { return m_imageKeys.at(index - 1); }

    // The image key of toolbar picture number n.
    static QString imageKeyFor(int imageNumber);

private:
    const ImageList& m_images;
    QList<QAction*> m_buttons;
    QList<QString> m_imageKeys;
    QActionGroup* m_order = nullptr;
};
