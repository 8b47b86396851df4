#include "archive/name_charset.h"

#include "platform/file_name_codec.h"

#include <langinfo.h>
#include <cstring>

namespace {

bool ctypeIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

Utf8CtypeScope::Utf8CtypeScope() {
    if (ctypeIsUtf8()) {
        return;
    }
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        m_utf8 = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
        if (m_utf8 != nullptr) {
            m_previous = uselocale(m_utf8);
            return;
        }
    }
}

Utf8CtypeScope::~Utf8CtypeScope() {
    if (m_utf8 != nullptr) {
        uselocale(m_previous);
        freelocale(m_utf8);
    }
}

QString decodeEntryName(const char* converted, const QByteArray& raw) {
    QString name;
    if (converted != nullptr) {
        name = decodeFileName(converted, static_cast<qsizetype>(std::strlen(converted)));
    } else if (!raw.isEmpty()) {
        name = decodeFileName(raw);
    } else {
        return {};
    }
    name.replace(u'\\', u'/');
    return name;
}
