// Arbitrary bytes as an INI file through IniDocument, with one to three writes the input chooses.
// Whatever the bytes:
//  - a document read and written back unchanged gives back its exact bytes;
//  - a written key reads back at once and after the written bytes are read again, whatever the
//    letter case of the section and key names it is asked by;
//  - every other key keeps the value it had, at once and after that reload.
// Duplicate sections and keys need no care here: the first one counts both when reading and when
// writing. Names come from a small set (ASCII, Japanese, full-width, Cyrillic, inner blanks) that
// the seeds use, so that mutations keep hitting them; values come from characters CP932 can hold,
// line breaks, blanks and quotes among them.
//
// Input: byte 0 = number of writes - 1 (its low two bits; 3 counts as 2), then per write a
// section byte, a key byte (each: bits 0-2 the name, bits 3-4 the letter case it is written in,
// bits 5-6 the case it is read back in), a value length byte and that many value bytes
// (printable ASCII stands for itself, any other byte for one of kOtherValueChars). The rest of the
// input is the document.

#include "settings/ini_document.h"

#include "property.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

constexpr int kNames = 6;
const std::array<QString, kNames> kSections = {
    QStringLiteral("a"),      QStringLiteral("FormPos"),
    QStringLiteral("設定"),   QStringLiteral("Ｓｅｃｔｉｏｎ"),
    QStringLiteral("Раздел"), QStringLiteral("two  words")};
const std::array<QString, kNames> kKeys = {QStringLiteral("b"),    QStringLiteral("Width"),
                                           QStringLiteral("名前"), QStringLiteral("Ｋｅｙ"),
                                           QStringLiteral("Ключ"), QStringLiteral("ｶﾅ key")};
const QString kOtherValueChars = QStringLiteral("\t\r\n値テスト設定ｱｲｳ　①ⅰ￢～");

using Table = std::array<std::array<std::optional<QString>, kNames>, kNames>;

QString inCase(const QString& name, int letterCase) {
    switch (letterCase & 3) {
        case 1:
            return name.toUpper();
        case 2:
            return name.toLower();
        case 3:
            return QStringLiteral(" \t") + name.toCaseFolded() + u' ';
        default:
            return name;
    }
}

// What a read gives back of a written value: line breaks became blanks, blanks around it and one
// pair of enclosing quotes are dropped.
QString readBack(QString value) {
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

Table readAll(const IniDocument& document) {
    Table table;
    for (int s = 0; s < kNames; ++s) {
        for (int k = 0; k < kNames; ++k) {
            table[s][k] = document.value(kSections[s], kKeys[k]);
        }
    }
    return table;
}

struct Write {
    int section = 0;
    int key = 0;
    int writeCase[2] = {0, 0};  // section, key
    int readCase[2] = {0, 0};
    QString value;
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }
    QByteArray rest() const {
        return QByteArray(reinterpret_cast<const char*>(m_data + m_at),
                          static_cast<qsizetype>(m_size - m_at));
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

Write readWrite(Input& input) {
    Write write;
    const uint8_t section = input.next();
    const uint8_t key = input.next();
    write.section = (section & 7) % kNames;
    write.key = (key & 7) % kNames;
    write.writeCase[0] = (section >> 3) & 3;
    write.writeCase[1] = (key >> 3) & 3;
    write.readCase[0] = (section >> 5) & 3;
    write.readCase[1] = (key >> 5) & 3;
    const int length = input.next();
    for (int i = 0; i < length; ++i) {
        const uint8_t c = input.next();
        write.value.append(c >= 0x20 && c < 0x7F ? QChar(char16_t(c))
                                                 : kOtherValueChars[c % kOtherValueChars.size()]);
    }
    return write;
}

std::optional<QString> readIn(const IniDocument& document, const Write& write) {
    return document.value(inCase(kSections[write.section], write.readCase[0]),
                          inCase(kKeys[write.key], write.readCase[1]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    const int count = std::min(input.next() & 3, 2) + 1;
    std::array<Write, 3> writes;
    for (int i = 0; i < count; ++i) {
        writes[i] = readWrite(input);
    }
    const QByteArray bytes = input.rest();

    IniDocument document = IniDocument::fromBytes(bytes);
    require(document.toBytes() == bytes, "an unchanged document writes back its exact bytes");

    Table expected = readAll(document);
    for (int i = 0; i < count; ++i) {
        const Write& write = writes[i];
        document.setValue(inCase(kSections[write.section], write.writeCase[0]),
                          inCase(kKeys[write.key], write.writeCase[1]), write.value);
        expected[write.section][write.key] = readBack(write.value);
        require(readIn(document, write) == expected[write.section][write.key],
                "a written key reads back");
        require(readAll(document) == expected, "keys not written keep their values");
    }

    const QByteArray written = document.toBytes();
    const IniDocument reloaded = IniDocument::fromBytes(written);
    require(reloaded.toBytes() == written, "a reloaded document writes back its exact bytes");
    for (int i = 0; i < count; ++i) {
        require(readIn(reloaded, writes[i]) == expected[writes[i].section][writes[i].key],
                "a written key reads back after a reload");
    }
    require(readAll(reloaded) == expected, "keys not written keep their values after a reload");
    return 0;
}
