#pragma once

// What the benches that drive the real main window share: timing helpers, a window on quiet
// players with its dialogs answered by script, and a work folder on the build folder's file
// system with the window's trash in it.
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "app/form1_parts.h"
#include "platform/scripted_dialogs.h"
#include "settings/module1.h"

namespace bench {

double median(std::vector<double> values);
double elapsedMs(const QElapsedTimer& timer);
QString figure(double value);
QByteArray native(const QString& path);
void removeTree(const QString& path);
// A settings file that starts the window in a folder.
void writeStartIni(const QString& path, const QString& startFolder);

// The main window on a settings file of its own, loaded as the program loads it; fileView
// presses the file-view button (every file and the extraction buttons); beforeLoad, when given,
// runs on the built window just before its load sequence.
struct Window {
    Window(const QString& ini, bool fileView,
           const std::function<void(Window&)>& beforeLoad = nullptr);
    // Goes to a folder as the user does; false when the list does not show that many rows of it.
    bool open(const QString& folder, int rows);

    Module1 state;
    ScriptedDialogs dialogs;
    Form1 form;
    Form1Parts parts{form};
};

// A temporary folder beside the bench program (not a tmpfs /tmp) holding the data and, through
// XDG_DATA_HOME, the window's trash; the variable is put back when it goes.
class WorkFolder {
public:
    explicit WorkFolder(const QString& tag);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldDataHome;
    bool m_hadDataHome = false;
};

// "quorvane-bench SUBCOMMAND [CASE]": whether a case is to run (all when none is named).
bool caseWanted(const char* name);

}  // namespace bench
