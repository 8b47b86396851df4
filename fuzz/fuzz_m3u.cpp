// The reader of M3U play lists: one path or address a line.
// Property: see metafile_property.h.

#include "metafile_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkMetafileReader(MetafileFormat::M3u, data, size,
                        [](const QByteArray& input) { return input.count('\n') + 1; });
    return 0;
}
