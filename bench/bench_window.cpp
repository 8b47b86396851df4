#include "bench_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <filesystem>

#include "app/toolbar1.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"

namespace bench {

namespace {

Form1PlayerSetup quietPlayers() {
    Form1PlayerSetup setup;
    setup.options.audioOutput = QStringLiteral("null");
    setup.waveVolume.get = [] { return quint32{0}; };
    setup.waveVolume.set = [](quint32) {};
    setup.historyFile = QString();  // no history: nothing of a run outlives it
    return setup;
}

}  // namespace

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double elapsedMs(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

QString figure(double value) {
    return QString::number(value, 'f', 2);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

void removeTree(const QString& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(native(path).toStdString()), ignored);
}

void writeStartIni(const QString& path, const QString& startFolder) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("[Boot]\r\nSearchPath=1\r\n[FilePath]\r\nPath=" + startFolder.toUtf8() + "\r\n");
    }
}

Window::Window(const QString& ini, bool fileView, const std::function<void(Window&)>& beforeLoad)
    : form(state, dialogs, ini, quietPlayers()) {
    if (beforeLoad) {
        beforeLoad(*this);
    }
    form.Form_Load();
    form.showAsLoaded();
    if (fileView) {
        parts.toolbar()->button(7)->trigger();
    }
}

bool Window::open(const QString& folder, int rows) {
    parts.navigation().GoToPath(folder, true);
    QCoreApplication::processEvents();
    return parts.tree().SelectedFolderPath() == folder && parts.list().rowCount() == rows;
}

WorkFolder::WorkFolder(const QString& tag)
    : m_dir(QCoreApplication::applicationDirPath() + u'/' + tag + u"-XXXXXX"),
      m_oldDataHome(qgetenv("XDG_DATA_HOME")),
      m_hadDataHome(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", native(m_dir.path() + u"/data"));
}

WorkFolder::~WorkFolder() {
    if (m_hadDataHome) {
        qputenv("XDG_DATA_HOME", m_oldDataHome);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}

bool caseWanted(const char* name) {
    const QString only = QCoreApplication::arguments().value(2);
    return only.isEmpty() || only == QLatin1String(name);
}

}  // namespace bench
