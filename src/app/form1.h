#pragma once

#include <QMainWindow>

#include "settings/module1.h"

class Dialogs;

// Form1: the main window. It owns the controls and hands each part of the program the controls
// and services it works on.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(Module1& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // The caption text the playing file's captions are built on.
    QString TitleText() const { return m_titleText; }

private:
    Module1& m_state;
    Dialogs& m_dialogs;
    QString m_titleText;
};
