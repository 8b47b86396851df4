#pragma once

#include <cstdint>

#include <QString>

// A short size text with three significant digits, as the desktop shell words sizes: "532 バイト",
// "1.50 KB", "980 KB", "12.3 MB".
QString FormatByteSize(std::int64_t bytes);
