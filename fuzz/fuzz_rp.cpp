// The reader of RealPix shows: a picture is shown by an effect that targets it.
// Property: see metafile_property.h.

#include "metafile_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkMetafileReader(MetafileFormat::Rp, data, size,
                        [](const QByteArray& input) { return occurrences(input, "target"); });
    return 0;
}
