#pragma once

#include <QKeyEvent>

// A key press that types a character (a letter, a digit, Space, a sign), not a command key or a
// Ctrl combination. The program's lists and bars give such keys no meaning of their own.
inline bool isTypedCharacter(const QKeyEvent& event) {
    return !(event.modifiers() & Qt::ControlModifier) && !event.text().isEmpty() &&
           event.text().at(0).isPrint();
}
