#pragma once

#include <QString>
#include <exception>

class Dialogs;

// The one error box for unexpected failures: the error number and its standard text under the
// title "Quorvaneエラー", a critical icon, OK, then one beep.
QString errorBoxText(int number);
QString errorBoxTitle();
void ErrMsgDsp(Dialogs& dialogs, int number);
void ErrMsgDsp(Dialogs& dialogs, const std::exception& error);
