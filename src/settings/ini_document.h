#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace text_codec {
class Cp932;
}

// The text of one INI file, held line by line as the bytes that stand on disk, so that a change
// of one key rewrites that one line and leaves every other byte as it was: comments, unknown
// keys, blank lines, line ends, even lines that are not text at all.
//
// Lookups ignore letter case, take the first of duplicate sections and keys, and ignore keys
// before the first section. A file that is valid UTF-8 is read and written as UTF-8 (a byte-order
// mark is kept); any other file is taken to be CP932 and written back as CP932, until a change
// leaves nothing in it that is not UTF-8: then it turns UTF-8 so that its text reads the same.
class IniDocument {
public:
    enum class Encoding { Utf8, Cp932 };

    IniDocument();
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;

    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    Encoding encoding() const { return m_encoding; }

    // The value of a key (blanks around it and one pair of enclosing quotes removed), or
    // std::nullopt when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the key's value in place, or adds the key at the end of its section (the section at
    // the end of the file when it is new). Line breaks in the value become blanks: they would
    // split the line.
    void setValue(const QString& section, const QString& key, const QString& value);

    bool removeKey(const QString& section, const QString& key);
    bool removeSection(const QString& section);

private:
    struct Line {
        QByteArray bytes;  // without its line end
        QByteArray eol;    // "\n" or "\r\n"; the last line's may be "\r" or empty
        enum Kind { Other, Section, Key } kind = Other;
        QString name;      // case-folded section or key name
        qsizetype valueStart = 0;  // Key lines: index of the first character after '='
    };

    QString decode(const QByteArray& bytes) const;
    QByteArray encode(const QString& text) const;
    void classify(Line& line) const;
    // [header, end) of the first section of that name; header = -1 when there is none.
    std::pair<qsizetype, qsizetype> findSection(const QString& foldedName) const;
    qsizetype findKey(qsizetype begin, qsizetype end, const QString& foldedKey) const;
    // The line end of new lines: the file's own (CR LF when its one line end is a CR at its end),
    // LF in a file that has none.
    QByteArray newLineEnding() const;
    // Gives the line a line end the reader sees before a line is written after it.
    static void endLine(Line& line, const QByteArray& eol);

    // A CP932 line that is not valid UTF-8 too: the lines that keep the file CP932.
    bool isCp932Only(const Line& line) const;
    // A file is read as CP932 only while some of its bytes are not UTF-8. When a change took the
    // last of them away, the next read would take the rest for UTF-8, where some CP932 text
    // stands for other characters ("ﾏｲ", CF B2, reads "ϲ"): the document turns UTF-8 then, each
    // line keeping its text.
    void keepText();

    QList<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    bool m_bom = false;
    std::unique_ptr<text_codec::Cp932> m_cp932;
};
