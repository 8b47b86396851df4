#include "platform/dialogs_factory.h"

#include "platform/qt_dialogs.h"
#include "platform/scripted_dialogs.h"

std::unique_ptr<Dialogs> makeDialogs(QWidget* parent) {
    const QString log = qEnvironmentVariable("QUORVANE_DIALOG_LOG");
    if (!log.isEmpty()) {
        return std::make_unique<ScriptedDialogs>(log);
    }
    return std::make_unique<QtDialogs>(parent);
}
