#include "app/toolbar1.h"

#include <QAction>
#include <QActionGroup>

#include "browser/image_list.h"

using S = Toolbar1::Style;
using C = CommandId;

// The tool tips are kept exactly as the program has always shown them, mixed full-width and
// half-width brackets included; the two navigation tips name the keys that go there (F7 the
// desktop, F6 the documents).
const Toolbar1::ButtonSpec Toolbar1::kButtons[kButtonCount] = {
    {u"デスクトップ", u"デスクトップ(F7)", S::Normal, 19, false, C::GoDeskTop},
    {u"マイドキュメント", u"マイドキュメント(F6)", S::Normal, 21, false, C::GoMydoc},
    {u"ネットワーク", u"ネットワーク(F8)", S::Normal, 20, false, C::GoNetWtok},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"1つ上に", u"1つ上に(BS)", S::Normal, 1, false, C::GoUpFolder},
    {u"最新更新", u"最新の情報に更新(F5)", S::Normal, 7, false, C::Refresh},
    {u"ファイルビュー", u"リストビューの表示ファイル切替", S::Check, 14, false, C::FileView},
    {u"解凍", u"LZH、ZIPを解凍する。", S::Normal, 17, false, C::ExtractArchives},
    {u"選択解凍", u"LZH、ZIPを選択した後、解凍する。", S::Normal, 18, false, C::SelectExtract},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"再生", u"再生を始めます。(Space）", S::Normal, 6, false, C::PlayButton},
    {u"停止", u"再生を停止します。(Shift+Space）", S::Normal, 4, false, C::Stop},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"1つ戻る", u"1つ戻る(Ctrl+矢印上）", S::Normal, 9, false, C::PlayPrevious},
    {u"1つ次へ", u"1つ次へ(Ctrl+矢印下）", S::Normal, 8, false, C::PlayNext},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"リピート再生",
     u"現在の動画をリピート再生します。（F9)",
     S::Check,
     5,
     false,
     {C::ToggleLoop, 0}},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"昇順", u"通常で連続再生", S::Group, 3, true, C::Ascending},
    {u"降順", u"逆順で連続再生", S::Group, 2, false, C::Descending},
    {u"", u"", S::Separator, 0, false, C::None},
    {u"RateOne", u"再生スピードを通常(1.0)にする", S::Normal, 12, false, C::RateOne},
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
            action->setToolTip(QString::fromUtf16(button.toolTip));
            action->setCheckable(button.style != S::Normal);
            action->setChecked(button.pressed);
            if (button.style == S::Group) {
                m_order->addAction(action);
            }
            const int index = i + 1;
            connect(action, &QAction::triggered, this,
                    [this, index, key] { emit ButtonClick(index, key); });
            m_imageKeys.append(imageKey);
        }
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(i + 1));
        m_buttons.append(action);
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
