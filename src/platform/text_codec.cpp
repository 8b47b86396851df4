#include "platform/text_codec.h"

#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>

namespace text_codec {

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    Q_UNUSED(ignored);
    return !decoder.hasError();
}

struct Cp932::Handles {
    iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
    iconv_t fromUtf8 = reinterpret_cast<iconv_t>(-1);
};

Cp932::Cp932() : m_handles(std::make_unique<Handles>()) {
    m_handles->toUtf8 = iconv_open("UTF-8", "CP932");
    m_handles->fromUtf8 = iconv_open("CP932", "UTF-8");
}

Cp932::~Cp932() {
    if (m_handles->toUtf8 != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(m_handles->toUtf8);
    }
    if (m_handles->fromUtf8 != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(m_handles->fromUtf8);
    }
}

namespace {

// Runs iconv over the whole input; a sequence it cannot convert is replaced by `replacement` and
// skipped (one byte of input when decoding, one UTF-8 character when encoding).
QByteArray convert(iconv_t cd, const QByteArray& in, const QByteArray& replacement,
                   bool skipUtf8Character) {
    QByteArray out;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return in;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 3 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL: put the replacement and step over the bad input.
        size_t skip = 1;
        if (skipUtf8Character) {
            const auto lead = static_cast<unsigned char>(*src);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = std::min(skip, srcLeft);
        }
        src += skip;
        srcLeft -= skip;
        if (dstLeft < static_cast<size_t>(replacement.size())) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2 + replacement.size());
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
        }
        memcpy(dst, replacement.constData(), static_cast<size_t>(replacement.size()));
        dst += replacement.size();
        dstLeft -= static_cast<size_t>(replacement.size());
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(dst - out.data());
    return out;
}

}  // namespace

QString Cp932::decode(const QByteArray& bytes) {
    return QString::fromUtf8(
        convert(m_handles->toUtf8, bytes, QByteArrayLiteral("\xEF\xBF\xBD"), false));
}

QByteArray Cp932::encode(QStringView text) {
    return convert(m_handles->fromUtf8, text.toUtf8(), QByteArrayLiteral("?"), true);
}

}  // namespace text_codec
