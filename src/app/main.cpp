#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstring>

#include "app/command_options.h"
#include "app/startup.h"
#include "platform/file_name_codec.h"
#include "player/player_set.h"

int main(int argc, char** argv) {
    // The arguments as their bytes: a file name need not be UTF-8.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << decodeFileName(argv[i], static_cast<qsizetype>(std::strlen(argv[i])));
    }
    // --help and --version answer on the terminal: no display, no window, no guard.
    const CommandOption option = commandOptionOf(arguments);
    if (const int code = answerOnTerminal(option, arguments); code >= 0) {
        return code;
    }
    prepareApplicationForVideo();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    // Ties the windows to the installed menu entry and its icon (task bars, Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/logo.svg")));
    if (option == CommandOption::ExtractHere) {
        return ExtractHereMain(app, arguments.mid(1));
    }
    return Main(app, arguments);
}
