#pragma once

#include <locale.h>
#include <QByteArray>
#include <QString>

// Entry names come from the archive as bytes: CP932 from Japanese Windows unless the entry says
// UTF-8. libarchive converts them for us, but only into the charset of LC_CTYPE, which is "C" in
// a program started without a UTF-8 locale. This scope gives the calling thread (and only it) a
// UTF-8 LC_CTYPE while an archive is read, so the rest of the program is untouched.
class Utf8CtypeScope {
public:
    Utf8CtypeScope();
    ~Utf8CtypeScope();
    Utf8CtypeScope(const Utf8CtypeScope&) = delete;
    Utf8CtypeScope& operator=(const Utf8CtypeScope&) = delete;

private:
    locale_t m_utf8 = nullptr;
    locale_t m_previous = nullptr;
};

// The name of an entry as the program's text. `converted` is libarchive's UTF-8 name (null when
// it could not convert the header's bytes); `raw` is the header's own bytes when known. A name
// that is valid in neither CP932 nor UTF-8 keeps its bytes (see file_name_codec.h). DOS folder
// separators become "/". A null QString: no name at all.
QString decodeEntryName(const char* converted, const QByteArray& raw);
