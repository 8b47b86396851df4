#include "app/startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>

#include "app/form1.h"
#include "app/messages.h"
#include "app/splash.h"
#include "app/ui_setup.h"
#include "platform/app_info.h"
#include "platform/dialogs_factory.h"
#include "platform/os_version.h"
#include "platform/single_instance.h"
#include "settings/module1.h"

int Main(QApplication& app) {
    installJapaneseUi(app);
    std::unique_ptr<Dialogs> dialogs = makeDialogs();

    const QString baseName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
    SingleInstanceGuard guard(SingleInstanceGuard::defaultLockPath(baseName));
    if (!guard.tryAcquire()) {
        dialogs->messageBox(app_msg::alreadyRunning(), MsgIcon::Exclamation, MsgButtons::Ok,
                            app_info::title());
        return 0;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    Module1 state;
    state.icons = IconKeySet::forOsName(GetOSName());

    Form1 form(state, *dialogs);
    if (splash) {
        splash->close();
    }
    form.show();
    QApplication::restoreOverrideCursor();
    return QApplication::exec();
}
