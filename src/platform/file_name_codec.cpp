#include "platform/file_name_codec.h"

#include <QFile>

namespace {

constexpr char16_t kKeptFirst = 0xDC80;
constexpr char16_t kKeptLast = 0xDCFF;

bool isKept(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < kKeptFirst || c > kKeptLast) {
        return false;
    }
    // The low half of a real surrogate pair is a character, not a kept byte.
    return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
}

// The length of the valid UTF-8 sequence at p (at most end - p bytes), or 0 when it is not one.
int validSequenceLength(const unsigned char* p, const unsigned char* end, char32_t& code) {
    const unsigned char b = p[0];
    int length = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

QString decodeFileName(const char* bytes, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* const end = p + size;
    const unsigned char* q = p;
    while (q < end && *q < 0x80) {
        ++q;
    }
    if (q == end) {
        return QString::fromLatin1(bytes, size);
    }
    QString text;
    text.reserve(size);
    text.append(QLatin1StringView(bytes, q - p));
    while (q < end) {
        if (*q < 0x80) {
            text.append(QChar(char16_t(*q)));
            ++q;
            continue;
        }
        char32_t code = 0;
        const int length = validSequenceLength(q, end, code);
        if (length == 0) {
            text.append(QChar(char16_t(0xDC00 + *q)));
            ++q;
            continue;
        }
        if (code >= 0x10000) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
        q += length;
    }
    if (text.capacity() - text.size() > 8) {
        text.squeeze();  // several bytes made one character; a listing keeps many names
    }
    return text;
}

bool hasKeptBytes(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isKept(text, i)) {
            return true;
        }
    }
    return false;
}

QByteArray encodeFileName(QStringView text) {
    // Qt's 8-bit encoding of file names is UTF-8 on Linux; going straight to it spares a copy
    // of every path on its way to the disk.
    if (!hasKeptBytes(text)) {
        return text.toUtf8();
    }
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isKept(text, i)) {
            bytes.append(text.mid(runStart, i - runStart).toUtf8());
            bytes.append(char(text[i].unicode() - 0xDC00));
            runStart = i + 1;
        }
    }
    bytes.append(text.mid(runStart).toUtf8());
    return bytes;
}

QString displayFileName(const QString& text) {
    return hasKeptBytes(text) ? QFile::decodeName(encodeFileName(text)) : text;
}
