#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

// The kinds of file the list shows: wildcard patterns separated by ";" ("*.mpg;*.avi"), as the
// settings keep them. A name matches a pattern when the whole name fits it, letters compared
// without case, so "*.mpg" takes a.MPG but not a.mpga, and looks at the name only, never at the
// folders above it. Nearly every pattern is "*.ext"; those are tested on the raw bytes of the
// name, so a folder of files that do not match costs no text conversion.
class FilePatterns {
public:
    explicit FilePatterns(const QString& patternText);
    // Every name: the file-view mode.
    static FilePatterns everything();

    bool isEmpty() const { return m_patterns.empty(); }
    int size() const { return static_cast<int>(m_patterns.size()); }

    // The index of the first pattern the name matches, or -1. When the test needed the name as
    // text, *decoded receives it (see file_name_codec.h), else it is left alone.
    int match(const char* name, qsizetype size, QString* decoded) const;
    int match(const QString& name) const;

private:
    enum class Kind { All, Extension, Wildcard };
    struct Pattern {
        Kind kind = Kind::Wildcard;
        QString text;           // Extension: the extension in lower case; Wildcard: the pattern
        QByteArray asciiLower;  // Extension with only ASCII letters: its bytes, else empty
    };
    FilePatterns() = default;
    bool matchesText(const Pattern& pattern, QStringView name) const;

    std::vector<Pattern> m_patterns;
};

// Whole-name wildcard match ("*" any run, "?" one character), letters compared without case.
bool wildcardMatch(QStringView pattern, QStringView name);
