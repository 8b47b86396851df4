#include "platform/shell_execute.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/run_error.h"
#include "platform/volumes.h"

namespace {

// "http://…", "mailto:…": an address rather than a path.
bool isAddress(const QString& text) {
    static const QRegularExpression kScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return !text.startsWith(u'/') && kScheme.match(text).hasMatch();
}

bool isFileIn(const QString& folder, const QString& name) {
    const QFileInfo info(QDir(folder.isEmpty() ? QStringLiteral(".") : folder), name);
    return info.exists() && !info.isDir();
}

}  // namespace

int ShellOpen(Dialogs& dialogs, const UrlOpener& openUrl, const QString& path) {
    QUrl url;
    if (isAddress(path)) {
        url = QUrl(path);
    } else {
        const QFileInfo info(path);
        if (!info.isAbsolute() || !info.exists()) {
            dialogs.messageBox(platform_msg::openFailed(path), MsgIcon::Exclamation, MsgButtons::Ok,
                               app_info::title());
            return run_error::kFileNotFound;
        }
        // A program started for the file begins in its folder; a network folder is left alone,
        // as it may be slow to answer.
        if (info.isFile()) {
            const QList<Volume> volumes = listVolumes();
            const Volume* volume = volumeOf(info.absoluteFilePath(), volumes);
            if (volume == nullptr || volume->type != DriveType::Remote) {
                QDir::setCurrent(info.absolutePath());
            }
        }
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    if (!openUrl || !openUrl(url)) {
        dialogs.messageBox(platform_msg::openFailed(path), MsgIcon::Exclamation, MsgButtons::Ok,
                           app_info::title());
        return run_error::kApplicationDefined;
    }
    return 0;
}

bool IsOnSearchPath(const QString& name) {
    return IsOnSearchPath(name, qEnvironmentVariable("PATH"));
}

bool IsOnSearchPath(const QString& name, const QString& searchPath) {
    if (name.isEmpty()) {
        return false;
    }
    if (name.contains(u'/')) {
        return isFileIn(QString(), name);
    }
    if (QCoreApplication::instance() != nullptr &&
        isFileIn(QCoreApplication::applicationDirPath(), name)) {
        return true;
    }
    // An empty entry of PATH stands for the current folder.
    const QStringList folders = searchPath.split(u':');
    for (const QString& folder : folders) {
        if (isFileIn(folder, name)) {
            return true;
        }
    }
    return false;
}

QString BrowseForFolder(Dialogs& dialogs, const QString& caption, const QString& initialFolder,
                        const QString& rootFolder) {
    const QString chosen = dialogs.browseForFolder(caption, initialFolder, rootFolder);
    if (chosen.isEmpty() || !QDir::isAbsolutePath(chosen)) {
        return {};
    }
    return QDir::cleanPath(chosen);
}
