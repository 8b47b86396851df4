#include "platform/error_box.h"

#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/run_error.h"

QString errorBoxText(int number) {
    return u"(エラー番号):  " + QString::number(number) + u'\r' + u"(エラー内容):  " +
           runErrorText(number);
}

QString errorBoxTitle() { return app_info::title() + u"エラー"; }

void ErrMsgDsp(Dialogs& dialogs, int number) {
    dialogs.messageBox(errorBoxText(number), MsgIcon::Critical, MsgButtons::Ok, errorBoxTitle());
    dialogs.beep();
}

void ErrMsgDsp(Dialogs& dialogs, const std::exception& error) {
    ErrMsgDsp(dialogs, runErrorFromException(error));
}
