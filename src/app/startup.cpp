#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSessionManager>

#include "app/form1.h"
#include "app/messages.h"
#include "app/session_end.h"
#include "app/splash.h"
#include "app/startup_markers.h"
#include "app/toolbar1.h"
#include "app/ui_setup.h"
#include "archive/dialog_extraction_prompts.h"
#include "archive/extract_archive.h"
#include "platform/app_info.h"
#include "platform/dialogs_factory.h"
#include "platform/file_exist.h"
#include "platform/file_name_codec.h"
#include "platform/instance_channel.h"
#include "platform/os_version.h"
#include "platform/path_text.h"
#include "platform/progress_dialog.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"
#include "settings/ini_file.h"
#include "settings/module1.h"

namespace {

// What the command line names: a folder to start in, and a file to play in it.
struct StartPath {
    QString folder;
    QString file;
    // What a second start hands to the copy that runs: the file, else the folder.
    QString given() const { return file.isEmpty() ? folder : file; }
};

StartPath startPathOf(Dialogs& dialogs, const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return {};
    }
    const QString given = arguments.first();
    const QString path =
        QDir::cleanPath(QDir::isAbsolutePath(given) ? given : QDir::currentPath() + u'/' + given);
    // A path on a share that does not answer within a few seconds is gone to as a folder: the
    // tree shows it pending, and the start says when it does not answer. Once the path has
    // answered, asking whether it is a file waits on nothing new.
    constexpr std::chrono::milliseconds kGivenPathWait{3000};
    const std::optional<bool> folder = FolderExistWithin(path, kGivenPathWait);
    if (!folder || *folder) {
        return {path, {}};
    }
    if (FileExist(path)) {
        return {GetParentFolder(path), path};
    }
    dialogs.messageBox(app_msg::startPathMissing(displayFileName(path)), MsgIcon::Exclamation,
                       MsgButtons::Ok, app_info::title());
    return {};
}

}  // namespace

int Main(QApplication& app, const QStringList& arguments) {
    installJapaneseUi(app);
    // Asked to end by the session (logout, shutdown, kill), from the first moment on: a box on
    // show closes, and once a window is loaded it unloads the ordinary way, saving the settings.
    SessionEnd session(app);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &session,
                     &SessionEnd::request);
    std::unique_ptr<Dialogs> dialogs = makeDialogs();

    const StartPath start = startPathOf(*dialogs, arguments);
    const QString baseName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
    SingleInstanceGuard guard(SingleInstanceGuard::defaultLockPath(baseName));
    const QString channelName = InstanceChannel::nameForLock(guard.lockPath());
    if (!guard.tryAcquire()) {
        // A path goes to the copy that runs, which shows it; a bare start is refused.
        // The token the desktop gave this start lets the running copy's window come forward.
        const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
        if (start.given().isEmpty() ||
            !InstanceChannel::send(channelName, start.given(), 3000, token)) {
            dialogs->messageBox(app_msg::alreadyRunning(), MsgIcon::Exclamation, MsgButtons::Ok,
                                app_info::title());
        }
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

    // The session beside the window: the state, the services and the settings file.
    Session root(state, *dialogs, iniFilePath());
    Form1 form(root);
    InstanceChannel channel;
    channel.listen(channelName);
    QObject::connect(
        &channel, &InstanceChannel::pathReceived, &form,
        [&form](const QString& path, const QString& token) { form.openGivenPath(path, token); });
    StartupMarkers markers(form);
    form.setStartFolderOverride(start.folder);
    QObject::connect(&form, &Form1::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    session.watch(form);
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
    if (!session.requested()) {
        form.showAsLoaded();
        form.openStartFolder();
        if (!start.file.isEmpty()) {
            form.playListedFile(start.file);
        }
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
