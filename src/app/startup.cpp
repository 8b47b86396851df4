#include "app/startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSessionManager>

#include "app/form1.h"
#include "app/messages.h"
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

    Form1 form(state, *dialogs, iniFilePath());
    QObject::connect(&form, &Form1::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    // Asked to end by the session (logout, shutdown, kill): close the ordinary way, so the
    // settings are saved as on any close.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &form,
                     [&form] { form.close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.Form_Unload(); });
    form.Form_Load();

    if (splash) {
        splash->close();
    }
    Toolbar1* toolbar = form.toolbar();
    toolbar->setButtonImage(Toolbar1::DeskTopButton, state.icons.DeskTop);
    toolbar->setButtonImage(Toolbar1::MyDocButton, state.icons.MyDoc);
    toolbar->setButtonImage(Toolbar1::NetworkButton, state.icons.MyNet);
    toolbar->setButtonImage(Toolbar1::UpOneButton, state.icons.UpOne);
    form.showAsLoaded();
    form.openStartFolder();
    QApplication::restoreOverrideCursor();
    return QApplication::exec();
}

int ExtractHereMain(QApplication& app, const QStringList& files) {
    installJapaneseUi(app);
    std::unique_ptr<Dialogs> dialogs = makeDialogs();
    ProgressDialogProgress progress;
    DialogExtractionPrompts prompts(*dialogs, progress);
    return extractHere(*dialogs, prompts, files);
}
