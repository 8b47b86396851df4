// The CP932 codec of INI files and archive names. Whatever the bytes:
//  - decoding gives well-formed text, one character at most per byte; U+FFFD stands for bytes
//    that are not CP932 (CP932 has no U+FFFD of its own);
//  - valid CP932 survives decode and encode: the same text, and the same bytes but where a
//    character has two codes (the NEC and IBM extension rows repeat some), which become the code
//    Windows writes for it;
//  - the same bytes read as UTF-16 text encode to what encoding each character alone gives (a
//    character CP932 cannot hold becomes '?' without harm to its neighbours), and that encoding
//    decodes without a bad byte.

#include "platform/text_codec.h"

#include "property.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

text_codec::Cp932& codec() {
    static text_codec::Cp932 instance;
    return instance;
}

qsizetype charLength(uchar lead) {
    return lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF) ? 1 : 2;
}

// Lead bytes of the rows where CP932 repeats characters: NEC row 13, the NEC-selected IBM
// extensions and the IBM extensions.
bool isRepeatRow(uchar lead) {
    return lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA;
}

void checkDecode(const QByteArray& bytes) {
    const QString text = codec().decode(bytes);
    require(text.isValidUtf16(), "decoded text is well-formed");
    require(text.size() <= bytes.size(), "decoding gives at most one character per byte");
    if (text.contains(QChar::ReplacementCharacter)) {
        return;
    }
    const QByteArray again = codec().encode(text);
    require(codec().decode(again) == text, "valid CP932 keeps its text through encode");
    // Walk both codes character by character.
    qsizetype at = 0;
    qsizetype againAt = 0;
    for (const QChar c : text) {
        require(at < bytes.size() && againAt < again.size(), "one code per character");
        const qsizetype length = charLength(uchar(bytes[at]));
        const qsizetype againLength = charLength(uchar(again[againAt]));
        const QByteArray code = bytes.mid(at, length);
        const QByteArray againCode = again.mid(againAt, againLength);
        if (code != againCode) {
            require(length == 2 && isRepeatRow(uchar(code[0])),
                    "valid CP932 keeps its bytes but for repeated characters");
            require(codec().decode(againCode) == QString(c), "a repeated character keeps its text");
        }
        at += length;
        againAt += againLength;
    }
    require(at == bytes.size() && againAt == again.size(), "one code per character");
}

void checkEncode(const QByteArray& bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), static_cast<size_t>(text.size()) * 2);
    const QByteArray encoded = codec().encode(text);
    QByteArray oneByOne;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        oneByOne += codec().encode(QStringView(text).mid(i, length));
        i += length;
    }
    require(encoded == oneByOne, "text encodes as its characters do one by one");
    require(!codec().decode(encoded).contains(QChar::ReplacementCharacter),
            "encoded text is valid CP932");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkDecode(bytes);
    checkEncode(bytes);
    return 0;
}
