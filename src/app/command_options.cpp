#include "app/command_options.h"

#include <cstdio>

#include "app/messages.h"
#include "platform/app_info.h"

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

}  // namespace

CommandOption commandOptionOf(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return CommandOption::None;
    }
    const QString& first = arguments.first();
    if (first == u"--help" || first == u"-h") {
        return CommandOption::Help;
    }
    if (first == u"--version") {
        return CommandOption::Version;
    }
    if (first == u"--extract-here") {
        return CommandOption::ExtractHere;
    }
    // A name with a single dash, or "--" alone, is taken as a path.
    if (first.startsWith(u"--") && first.size() > 2) {
        return CommandOption::Unknown;
    }
    return CommandOption::None;
}

int answerOnTerminal(CommandOption option, const QStringList& arguments) {
    switch (option) {
        case CommandOption::Help:
            print(stdout, app_msg::commandLineHelp());
            return 0;
        case CommandOption::Version:
            print(stdout, app_msg::versionText(app_info::captionText()));
            return 0;
        case CommandOption::Unknown:
            print(stderr, app_msg::unknownOption(arguments.first()));
            return 2;
        case CommandOption::None:
        case CommandOption::ExtractHere:
            break;
    }
    return -1;
}
