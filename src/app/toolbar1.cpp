#include "app/toolbar1.h"

#include <QAction>
#include <QActionGroup>

#include "browser/image_list.h"
#include "platform/command_actions.h"

using S = Toolbar1::Style;
using C = CommandId;

// The buttons' tips are their commands' (registered by the parts that carry them out).
const Toolbar1::ButtonSpec Toolbar1::kButtons[kButtonCount] = {
    {u"デスクトップ", S::Normal, 19, false, C::GoDeskTop},
    {u"マイドキュメント", S::Normal, 21, false, C::GoMydoc},
    {u"ネットワーク", S::Normal, 20, false, C::GoNetWtok},
    {u"", S::Separator, 0, false, C::None},
    {u"1つ上に", S::Normal, 1, false, C::GoUpFolder},
    {u"最新更新", S::Normal, 7, false, C::Refresh},
    {u"ファイルビュー", S::Check, 14, false, C::FileView},
    {u"解凍", S::Normal, 17, false, C::ExtractArchives},
    {u"選択解凍", S::Normal, 18, false, C::SelectExtract},
    {u"", S::Separator, 0, false, C::None},
    {u"再生", S::Normal, 6, false, C::PlayButton},
    {u"停止", S::Normal, 4, false, C::Stop},
    {u"", S::Separator, 0, false, C::None},
    {u"1つ戻る", S::Normal, 9, false, C::PlayPrevious},
    {u"1つ次へ", S::Normal, 8, false, C::PlayNext},
    {u"", S::Separator, 0, false, C::None},
    {u"リピート再生", S::Check, 5, false, {C::ToggleLoop, 0}},
    {u"", S::Separator, 0, false, C::None},
    {u"昇順", S::Group, 3, true, C::Ascending},
    {u"降順", S::Group, 2, false, C::Descending},
    {u"", S::Separator, 0, false, C::None},
    {u"RateOne", S::Normal, 12, false, C::RateOne},
};

QString Toolbar1::imageKeyFor(int imageNumber) {
    return QStringLiteral("Toolbar%1").arg(imageNumber, 2, 10, QLatin1Char('0'));
}

Toolbar1::Toolbar1(const ImageList& images, QWidget* parent)
    : QToolBar(parent), m_images(images), m_order(new QActionGroup(this)) {
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    m_order->setExclusive(true);
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonSpec& button = kButtons[i];
        QAction* action = nullptr;
        if (button.style == S::Separator) {
            action = addSeparator();
            m_imageKeys.append(QString());
        } else {
            const QString key = QString::fromUtf16(button.key);
            const QString imageKey = imageKeyFor(button.image);
            action = addAction(m_images.icon(imageKey), key);
            action->setCheckable(button.style != S::Normal);
            action->setChecked(button.pressed);
            if (button.style == S::Group) {
                m_order->addAction(action);
            }
            m_imageKeys.append(imageKey);
        }
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(i + 1));
        m_buttons.append(action);
    }
}

void Toolbar1::bindCommands(CommandActions& actions) const {
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].style != Style::Separator) {
            actions.bindButton(m_buttons.at(i), kButtons[i].command);
        }
    }
}

QAction* Toolbar1::buttonByKey(const QString& key) const {
    const int index = indexOf(key);
    return index > 0 ? button(index) : nullptr;
}

int Toolbar1::indexOf(const QString& key) const {
    if (key.isEmpty()) {
        return 0;
    }
    for (int i = 0; i < kButtonCount; ++i) {
        if (key == QStringView(kButtons[i].key)) {
            return i + 1;
        }
    }
    return 0;
}

void Toolbar1::setButtonImage(int index, const QString& imageKey) {
    m_imageKeys[index - 1] = imageKey;
    button(index)->setIcon(m_images.icon(imageKey));
}
