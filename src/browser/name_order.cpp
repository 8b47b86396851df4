#include "browser/name_order.h"

#include <unicode/ucol.h>
#include <algorithm>
#include <thread>

#include "browser/file_list_model.h"
#include "browser/file_row.h"

NameCollator::NameCollator() {
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open("ja", &status);
    if (U_FAILURE(status)) {
        m_collator = nullptr;
        return;
    }
    // Numbers by value; case and kana width only a tertiary difference, so left out: they sort
    // together, and the plain text order settles them.
    ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
}

NameCollator::~NameCollator() {
    if (m_collator) {
        ucol_close(m_collator);
    }
}

QByteArray NameCollator::sortKey(QStringView name) const {
    if (!m_collator) {
        return {};
    }
    const auto* text = reinterpret_cast<const UChar*>(name.utf16());
    const auto length = static_cast<int32_t>(name.size());
    // Most keys fit: a name's key is about as long as the name.
    constexpr int kGuess = 64;
    uint8_t buffer[kGuess];
    int32_t size = ucol_getSortKey(m_collator, text, length, buffer, kGuess);
    if (size <= kGuess) {
        return QByteArray(reinterpret_cast<const char*>(buffer), size);
    }
    QByteArray key(size, Qt::Uninitialized);
    size = ucol_getSortKey(m_collator, text, length, reinterpret_cast<uint8_t*>(key.data()), size);
    key.resize(size);
    return key;
}

namespace {

void fillRange(std::vector<FileRow>& rows, size_t from, size_t to) {
    const NameCollator collator;
    for (size_t i = from; i < to; ++i) {
        if (rows[i].nameKey.isNull()) {
            rows[i].nameKey = collator.sortKey(rows[i].text);
        }
    }
}

}  // namespace

void fillNameKeys(std::vector<FileRow>& rows) {
    const size_t missing = static_cast<size_t>(std::count_if(
        rows.cbegin(), rows.cend(), [](const FileRow& row) { return row.nameKey.isNull(); }));
    if (missing == 0) {
        return;
    }
    // A thread pays off only for many keys (about a microsecond each).
    constexpr size_t kSharedFrom = 20000;
    if (missing < kSharedFrom || std::thread::hardware_concurrency() < 2) {
        fillRange(rows, 0, rows.size());
        return;
    }
    const size_t middle = rows.size() / 2;
    std::thread other([&rows, middle] { fillRange(rows, middle, rows.size()); });
    fillRange(rows, 0, middle);
    other.join();
}

int compareNaturalNames(QStringView a, QStringView b) {
    const NameCollator collator;
    const int c = collator.sortKey(a).compare(collator.sortKey(b));
    return c != 0 ? c : compareListText(a, b);
}
