#include "platform/byte_size_text.h"

#include <cmath>

#include "platform/messages.h"

QString FormatByteSize(std::int64_t bytes) {
    if (bytes < 1024) {
        return QString::number(bytes) + u' ' + platform_msg::bytesUnit();
    }
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1000.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, cut rather than rounded so a size never reads larger than it is.
    QString number;
    if (value < 10.0) {
        number = QString::number(std::floor(value * 100.0) / 100.0, 'f', 2);
    } else if (value < 100.0) {
        number = QString::number(std::floor(value * 10.0) / 10.0, 'f', 1);
    } else {
        number = QString::number(std::floor(value), 'f', 0);
    }
    return number + u' ' + QLatin1StringView(kUnits[unit]);
}
