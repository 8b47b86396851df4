#pragma once

#include <QStringList>

// What the command line asks of the program before anything else starts. Every option is the
// first argument; anything else there is a folder or file to start in.
enum class CommandOption {
    None,         // start the window (with the folder or file given, if any)
    Help,         // --help, -h: print the usage and end
    Version,      // --version: print the version and end
    ExtractHere,  // --extract-here FILE...: extract without the window
    Unknown,      // another "--" word: say so and end
};

CommandOption commandOptionOf(const QStringList& arguments);

// Answers --help, --version and an unknown option on the terminal. Returns the exit code, or
// -1 when the option is not one of those three (the program then starts as usual).
int answerOnTerminal(CommandOption option, const QStringList& arguments);
