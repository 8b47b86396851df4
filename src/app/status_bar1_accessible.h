#pragma once

#include <QAccessibleWidget>
#include <QList>

class StatusBar1;

// What a screen reader finds in StatusBar1, whose panels are painted rather than made of
// widgets: the bar as a status bar with one text per panel that tells the program's state (the
// listing, the display size, mute, always on top, the rate), each with its tool tip as its
// description. The date and the clock are left out: they change every minute and are the
// desktop's to tell. A panel whose text changes says so, so a reader can announce it.
class StatusBar1Accessible : public QAccessibleWidget {
public:
    explicit StatusBar1Accessible(StatusBar1* bar);
    ~StatusBar1Accessible() override;

    // Makes the accessible views of every StatusBar1; once per process is enough.
    static void install();
    // Tells the readers that a panel's text has changed (nothing while no reader listens).
    static void panelTextChanged(StatusBar1* bar, int panel);
    // The panels offered, 1-based as the bar numbers them.
    static const QList<int>& offeredPanels();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    QAccessibleInterface* panelChild(int index) const;

    mutable QList<QAccessible::Id> m_panels;  // made on first asking, one per offered panel
};
