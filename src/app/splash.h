#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// frmSplash: the window shown while the main window loads. A key press or a click on its frame
// closes it early.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* lblProductName() const { return m_productName; }
    QLabel* lblVersion() const { return m_version; }
    QLabel* label1() const { return m_label1; }
    QFrame* frame1() const { return m_frame; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* m_frame;
    QLabel* m_logo;
    QLabel* m_label1;
    QLabel* m_productName;
    QLabel* m_version;
};
