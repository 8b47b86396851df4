#include "app/form1.h"

#include "platform/app_info.h"

Form1::Form1(Module1& state, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    m_titleText = app_info::captionText();
    setWindowTitle(m_titleText);
    resize(812, 611);
}
