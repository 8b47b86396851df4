// The reader of RAM files: one address a line.
// Property: see metafile_property.h.

#include "metafile_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkMetafileReader(MetafileFormat::Ram, data, size,
                        [](const QByteArray& input) { return input.count('\n') + 1; });
    return 0;
}
