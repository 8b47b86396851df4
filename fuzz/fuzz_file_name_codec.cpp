// Arbitrary bytes as a file name through the file-name codec. Whatever the bytes:
//  - decoding and encoding give back the same bytes, also for a path joined from two decoded
//    names (the input is split at its first NUL, or in the middle);
//  - a name that is valid UTF-8 decodes as Qt decodes it and holds no kept bytes; any other name
//    holds some, and is shown as Qt shows its bytes.

#include "platform/file_name_codec.h"
#include "platform/text_codec.h"

#include "property.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString name = decodeFileName(bytes);
    require(encodeFileName(name) == bytes, "the bytes of a name survive decode and encode");

    if (text_codec::isValidUtf8(bytes)) {
        require(!hasKeptBytes(name), "a UTF-8 name holds no kept bytes");
        require(name == QString::fromUtf8(bytes), "a UTF-8 name decodes as Qt decodes it");
        require(displayFileName(name) == name, "a UTF-8 name is shown as it is");
    } else {
        require(hasKeptBytes(name), "a name that is not UTF-8 holds kept bytes");
        require(displayFileName(name) == QFile::decodeName(bytes),
                "a name that is not UTF-8 is shown as Qt shows its bytes");
    }

    qsizetype split = bytes.indexOf('\0');
    if (split < 0) {
        split = bytes.size() / 2;
    }
    const QByteArray folder = bytes.left(split);
    const QByteArray child = bytes.mid(split + (split < bytes.size() && bytes[split] == '\0'));
    const QString path = decodeFileName(folder) + u'/' + decodeFileName(child);
    require(encodeFileName(path) == folder + '/' + child,
            "a path joined from decoded names encodes to the joined bytes");
    return 0;
}
