#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command lines the archiver entry points take, as the program builds them:
//   LHA: e -x1m1 "<archive>" <dest/>
//   ZIP: -x -s -V -i -C "<archive>" <dest/>
// Tokens are separated by blanks; a token in double quotes may hold blanks, and quotes that are
// not followed by a blank. Only extraction of
// the whole archive into one folder is understood; anything else is refused as a bad command.

// Splits a line into tokens; nullopt when a quote is left open.
std::optional<QStringList> splitCommandLine(const QString& line);

// What an extraction was asked to do.
struct ExtractionRequest {
    QString archive;
    QString destination;        // ends in "/"
    bool keepPaths = true;      // false: every file goes straight into the destination
    bool overwriteAll = false;  // replace existing files without asking
    // Check and extract in one pass: nothing lands in the destination unless the whole archive
    // read back whole (no command line asks for this; the program's own checked runs do).
    bool wholeOrNothing = false;
};

struct ParsedCommand {
    int error = 0;  // 0, or kBadCommand / kNoArchiveName
    ExtractionRequest request;
};

// LHA: the command "e" (or "x") first, then switches, the archive and the destination.
// Honoured: -x / -x1 keep folder paths (the default for "x"), -x0 drop them (the default for
// "e"); -m... (no messages of the library's own: we never show any) is accepted; -o / -o1
// overwrite without asking. Switches may be joined ("-x1m1").
ParsedCommand parseLhaCommand(const QString& line);

// ZIP: switches first, then the archive and the destination. Honoured: -x extract (the only
// command; also the default), -j drop folder paths, -o overwrite without asking. Accepted and
// without effect for us: -s -V -i -C -n -q.
ParsedCommand parseZipCommand(const QString& line);
