#include "app/status_bar1_accessible.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>

#include "app/status_bar1.h"

namespace {

// One painted panel: its text as its name, its tool tip as its description.
class PanelAccessible : public QAccessibleInterface {
public:
    PanelAccessible(StatusBar1* bar, int panel, QAccessibleInterface* parent)
        : m_bar(bar), m_panel(panel), m_parent(parent) {}

    bool isValid() const override { return !m_bar.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_parent->window(); }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return m_parent; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::StaticText; }

    QString text(QAccessible::Text t) const override {
        if (m_bar.isNull()) {
            return {};
        }
        switch (t) {
            case QAccessible::Name:
                return m_bar->panelText(m_panel);
            case QAccessible::Description:
                return m_bar->panelToolTip(m_panel);
            default:
                return {};
        }
    }

    QRect rect() const override {
        if (m_bar.isNull()) {
            return {};
        }
        const QRect r = m_bar->panelRect(m_panel).intersected(m_bar->rect());
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        // A panel cut off at the window's edge, or all but a sliver of it, is not on show.
        if (m_bar.isNull() || !m_bar->isVisible()) {
            s.invisible = true;
        } else {
            const QRect panel = m_bar->panelRect(m_panel);
            s.invisible = m_bar->rect().intersected(panel).width() * 2 < panel.width();
        }
        return s;
    }

private:
    QPointer<StatusBar1> m_bar;
    int m_panel;
    QAccessibleInterface* m_parent;
};

QAccessibleInterface* makeStatusBarAccessible(const QString& className, QObject* object) {
    if (className == u"StatusBar1" && object != nullptr && object->isWidgetType()) {
        return new StatusBar1Accessible(static_cast<StatusBar1*>(object));
    }
    return nullptr;
}

}  // namespace

StatusBar1Accessible::StatusBar1Accessible(StatusBar1* bar)
    : QAccessibleWidget(bar, QAccessible::StatusBar) {}

StatusBar1Accessible::~StatusBar1Accessible() {
    for (const QAccessible::Id id : std::as_const(m_panels)) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void StatusBar1Accessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(&makeStatusBarAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

const QList<int>& StatusBar1Accessible::offeredPanels() {
    static const QList<int> panels = {StatusBar1::FilesPanel, StatusBar1::DisplaySizePanel,
                                      StatusBar1::MutePanel, StatusBar1::OnTopPanel,
                                      StatusBar1::RatePanel};
    return panels;
}

void StatusBar1Accessible::panelTextChanged(StatusBar1* bar, int panel) {
    const int index = offeredPanels().indexOf(panel);
    if (index < 0 || !QAccessible::isActive()) {
        return;
    }
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(bar);
    if (view == nullptr) {
        return;
    }
    if (QAccessibleInterface* child = view->child(index)) {
        QAccessibleEvent event(child, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

int StatusBar1Accessible::childCount() const {
    return static_cast<int>(offeredPanels().size());
}

QAccessibleInterface* StatusBar1Accessible::panelChild(int index) const {
    if (m_panels.isEmpty()) {
        auto* bar = static_cast<StatusBar1*>(widget());
        auto* self = const_cast<StatusBar1Accessible*>(this);
        for (const int panel : offeredPanels()) {
            m_panels.append(
                QAccessible::registerAccessibleInterface(new PanelAccessible(bar, panel, self)));
        }
    }
    return QAccessible::accessibleInterface(m_panels.at(index));
}

QAccessibleInterface* StatusBar1Accessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    return panelChild(index);
}

int StatusBar1Accessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < childCount(); ++i) {
        if (panelChild(i) == child) {
            return i;
        }
    }
    return -1;
}

QAccessibleInterface* StatusBar1Accessible::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface* panel = panelChild(i);
        if (panel->rect().contains(x, y)) {
            return panel;
        }
    }
    return nullptr;
}
