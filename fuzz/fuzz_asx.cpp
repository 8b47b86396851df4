// The reader of ASX XML (asx, wax): an entry is named by a ref or an entryref.
// Property: see metafile_property.h.

#include "metafile_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkMetafileReader(MetafileFormat::Asx, data, size,
                        [](const QByteArray& input) { return occurrences(input, "ref"); });
    return 0;
}
