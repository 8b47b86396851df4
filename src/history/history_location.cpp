#include "history/history_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString historyFilePathFor(const QString& iniPath, const QString& exeDir,
                           const QString& exeBaseName, const QString& stateHome) {
    const QString fileName = exeBaseName + u"-history.sqlite";
    const QString iniDir = QFileInfo(iniPath).absolutePath();
    if (QDir::cleanPath(iniDir) == QDir::cleanPath(exeDir)) {
        return QDir::cleanPath(exeDir) + u'/' + fileName;
    }
    return QDir::cleanPath(stateHome) + u"/quorvane/" + fileName;
}

QString stateHome() {
    const QString set = qEnvironmentVariable("XDG_STATE_HOME");
    if (!set.isEmpty() && QDir::isAbsolutePath(set)) {
        return set;
    }
    return QDir::homePath() + u"/.local/state";
}

QString historyFilePath(const QString& iniPath) {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return historyFilePathFor(iniPath, exe.absolutePath(), exe.completeBaseName(), stateHome());
}
