#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QTimer;

// StatusBar1: eight panels of fixed widths (in twips) from left to right, each with its own text
// and tool tip; the date and time panels keep time by themselves. Panels that do not fit are cut
// off at the window's edge, so the bar never makes the window wider. A right-button press asks
// for the options menu.
class StatusBar1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 8;
    // The panels by what they show (1-based, left to right).
    enum PanelIndex {
        FilesPanel = 1,  // "N個のﾌｧｲﾙ(M個のﾌｫﾙﾀﾞ)" of the listing, or what an undo did
        DatePanel,
        TimePanel,
        DisplaySizePanel,
        MutePanel,
        OnTopPanel,
        RatePanel,
    };

    explicit StatusBar1(float twipsPerPixel, QWidget* parent = nullptr);

    // Panels are numbered 1-8.
    QString panelText(int panel) const { return m_panels.at(panel - 1).text; }
    void setPanelText(int panel, const QString& text);
    QString panelToolTip(int panel) const { return m_panels.at(panel - 1).toolTip; }
    int panelWidthTwips(int panel) const { return m_panels.at(panel - 1).widthTwips; }
    // The panel under a point of the widget, 0 for none.
    int panelAt(const QPoint& pos) const;
    QRect panelRect(int panel) const;

    // Puts the current date and time into panels 2 and 3.
    void updateClock();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void rightButtonPressed(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Panel {
        QString text;
        QString toolTip;
        int widthTwips;
    };
    QList<Panel> m_panels;
    float m_twipsPerPixel;
    QTimer* m_clock;
};
