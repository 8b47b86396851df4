#include "app/startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSessionManager>

#include "app/form1.h"
#include "app/messages.h"
#include "app/session_end.h"
#include "app/splash.h"
#include "app/toolbar1.h"
#include "app/ui_setup.h"
#include "archive/dialog_extraction_prompts.h"
#include "archive/extract_archive.h"
#include "platform/app_info.h"
#include "platform/dialogs_factory.h"
#include "platform/os_version.h"
#include "platform/progress_dialog.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"
#include "settings/ini_file.h"
#include "settings/module1.h"

int Main(QApplication& app) {
    installJapaneseUi(app);
    // Asked to end by the session (logout, shutdown, kill), from the first moment on: a box on
    // show closes, and once a window is loaded it unloads the ordinary way, saving the settings.
    SessionEnd session(app);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &session,
                     &SessionEnd::request);
    std::unique_ptr<Dialogs> dialogs = makeDialogs();

    const QString baseName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
    SingleInstanceGuard guard(SingleInstanceGuard::defaultLockPath(baseName));
    if (!guard.tryAcquire()) {
        dialogs->messageBox(app_msg::alreadyRunning(), MsgIcon::Exclamation, MsgButtons::Ok,
                            app_info::title());
        return 0;
    }
    if (session.requested()) {
        return 0;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    Module1 state;
    state.icons = IconKeySet::forOsName(GetOSName());

    Form1 form(state, *dialogs, iniFilePath());
    QObject::connect(&form, &Form1::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    session.watch(form);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.Form_Unload(); });
    form.Form_Load();

    if (splash) {
        splash->close();
    }
    Toolbar1* toolbar = form.toolbar();
    toolbar->setButtonImage(1, state.icons.DeskTop);
    toolbar->setButtonImage(2, state.icons.MyDoc);
    toolbar->setButtonImage(3, state.icons.MyNet);
    toolbar->setButtonImage(5, state.icons.UpOne);
    if (!session.requested()) {
        form.showAsLoaded();
        form.openStartFolder();
    }
    QApplication::restoreOverrideCursor();
    return session.exec();
}

int ExtractHereMain(QApplication& app, const QStringList& files) {
    installJapaneseUi(app);
    std::unique_ptr<Dialogs> dialogs = makeDialogs();
    ProgressDialogProgress progress;
    DialogExtractionPrompts prompts(*dialogs, progress);
    return extractHere(*dialogs, prompts, files);
}
