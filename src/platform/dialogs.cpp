#include "platform/dialogs.h"

#include "platform/app_info.h"

MsgResult Dialogs::message(const QString& text, MsgIcon icon) {
    return messageBox(text, icon, MsgButtons::Ok, app_info::title());
}

MsgResult defaultResultFor(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
        case MsgButtons::OkCancel:
            return MsgResult::Ok;
        case MsgButtons::AbortRetryIgnore:
            return MsgResult::Abort;
        case MsgButtons::YesNoCancel:
        case MsgButtons::YesNo:
            return MsgResult::Yes;
        case MsgButtons::RetryCancel:
            return MsgResult::Retry;
    }
    return MsgResult::Ok;
}
