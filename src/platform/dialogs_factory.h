#pragma once

#include <memory>

#include "platform/dialogs.h"

class QWidget;

// Picks the dialogs of this run: the real ones, or, when QUORVANE_DIALOG_LOG names a file, the
// scripted ones that answer every box with its first button and log it there (for tests that
// start the whole program).
std::unique_ptr<Dialogs> makeDialogs(QWidget* parent = nullptr);
