#include "archive/command_line.h"

#include "archive/archive_codes.h"

std::optional<QStringList> splitCommandLine(const QString& line) {
    QStringList tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (line[i] == u' ' || line[i] == u'\t') {
            ++i;
            continue;
        }
        QString token;
        while (i < n && line[i] != u' ' && line[i] != u'\t') {
            if (line[i] == u'"') {
                // The quote that closes is one followed by a blank or the end: a name may hold
                // quotes of its own.
                qsizetype close = line.indexOf(u'"', i + 1);
                while (close >= 0 && close + 1 < n && line[close + 1] != u' ' &&
                       line[close + 1] != u'\t') {
                    close = line.indexOf(u'"', close + 1);
                }
                if (close < 0) {
                    return std::nullopt;
                }
                token += QStringView(line).mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                token += line[i];
                ++i;
            }
        }
        tokens << token;
    }
    return tokens;
}

namespace {

bool isSwitch(const QString& token) {
    return token.size() > 1 && token.startsWith(u'-');
}

// The archive and the destination after the switches; a destination must name a folder.
int takePaths(const QStringList& tokens, qsizetype first, ExtractionRequest& request) {
    const qsizetype left = tokens.size() - first;
    if (left <= 0 || tokens[first].isEmpty()) {
        return archive_code::kNoArchiveName;
    }
    if (left != 2 || !tokens[first + 1].endsWith(u'/')) {
        // Lists of entries to pick and a missing destination are not something the program
        // asks for; refuse rather than guess.
        return archive_code::kBadCommand;
    }
    request.archive = tokens[first];
    request.destination = tokens[first + 1];
    return archive_code::kOk;
}

// One LHA switch group such as "-x1m1": letters, each with an optional digit.
bool applyLhaSwitches(QStringView group, ExtractionRequest& request) {
    for (qsizetype i = 1; i < group.size(); ++i) {
        const QChar letter = group[i].toLower();
        int level = -1;
        if (i + 1 < group.size() && group[i + 1].isDigit()) {
            level = group[i + 1].digitValue();
            ++i;
        }
        if (letter == u'x') {
            request.keepPaths = level != 0;
        } else if (letter == u'o') {
            request.overwriteAll = level != 0;
        } else if (letter == u'm' || letter == u'n' || letter == u'q') {
            // Quiet switches: the engine shows nothing of its own anyway.
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

ParsedCommand parseLhaCommand(const QString& line) {
    ParsedCommand parsed;
    const std::optional<QStringList> tokens = splitCommandLine(line);
    if (!tokens || tokens->isEmpty()) {
        parsed.error = archive_code::kBadCommand;
        return parsed;
    }
    const QString command = tokens->first().toLower();
    if (command != u"e" && command != u"x") {
        parsed.error = archive_code::kBadCommand;
        return parsed;
    }
    parsed.request.keepPaths = command == u"x";
    qsizetype i = 1;
    for (; i < tokens->size() && isSwitch(tokens->at(i)); ++i) {
        if (!applyLhaSwitches(tokens->at(i), parsed.request)) {
            parsed.error = archive_code::kBadCommand;
            return parsed;
        }
    }
    parsed.error = takePaths(*tokens, i, parsed.request);
    return parsed;
}

ParsedCommand parseZipCommand(const QString& line) {
    ParsedCommand parsed;
    const std::optional<QStringList> tokens = splitCommandLine(line);
    if (!tokens || tokens->isEmpty()) {
        parsed.error = archive_code::kBadCommand;
        return parsed;
    }
    qsizetype i = 0;
    for (; i < tokens->size() && isSwitch(tokens->at(i)); ++i) {
        const QString& token = tokens->at(i);
        if (token == u"-j") {
            parsed.request.keepPaths = false;
        } else if (token == u"-o") {
            parsed.request.overwriteAll = true;
        } else if (token != u"-x" && token != u"-s" && token != u"-V" && token != u"-i" &&
                   token != u"-C" && token != u"-n" && token != u"-q") {
            parsed.error = archive_code::kBadCommand;
            return parsed;
        }
    }
    parsed.error = takePaths(*tokens, i, parsed.request);
    return parsed;
}
