#include "browser/file_patterns.h"

#include <QList>
#include <cstring>

#include "browser/file_name_codec.h"

namespace {

char16_t fold(char16_t c) {
    if (c < 0x80) {
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    }
    return QChar::toCaseFolded(c);
}

bool asciiEqualNoCase(const char* a, const char* lowerB, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') {
            c = char(c + 32);
        }
        if (c != lowerB[i]) {
            return false;
        }
    }
    return true;
}

bool isPlainExtension(QStringView ext) {
    return !ext.isEmpty() && !ext.contains(u'*') && !ext.contains(u'?') && !ext.contains(u'.');
}

}  // namespace

bool wildcardMatch(QStringView pattern, QStringView name) {
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || fold(pattern[p].unicode()) == fold(name[n].unicode()))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

FilePatterns::FilePatterns(const QString& patternText) {
    for (const QStringView part : QStringView(patternText).split(u';')) {
        const QStringView text = part.trimmed();
        if (text.isEmpty() || text.contains(u'/')) {
            continue;
        }
        Pattern pattern;
        if (text == u"*" || text == u"*.*") {
            pattern.kind = Kind::All;
        } else if (text.startsWith(u"*.") && isPlainExtension(text.mid(2))) {
            pattern.kind = Kind::Extension;
            pattern.text = text.mid(2).toString().toCaseFolded();
            bool ascii = true;
            for (const QChar c : pattern.text) {
                ascii = ascii && c.unicode() < 0x80;
            }
            if (ascii) {
                pattern.asciiLower = pattern.text.toLatin1();
            }
        } else {
            pattern.kind = Kind::Wildcard;
            pattern.text = text.toString();
        }
        m_patterns.push_back(std::move(pattern));
    }
}

FilePatterns FilePatterns::everything() {
    FilePatterns patterns;
    patterns.m_patterns.push_back({Kind::All, {}, {}});
    return patterns;
}

bool FilePatterns::matchesText(const Pattern& pattern, QStringView name) const {
    switch (pattern.kind) {
        case Kind::All:
            return true;
        case Kind::Extension: {
            const qsizetype dot = name.lastIndexOf(u'.');
            if (dot < 0) {
                return false;
            }
            const QStringView ext = name.mid(dot + 1);
            if (ext.size() != pattern.text.size()) {
                // Case folding keeps lengths for all but a few letters; compare folded copies.
                return ext.toString().toCaseFolded() == pattern.text;
            }
            for (qsizetype i = 0; i < ext.size(); ++i) {
                if (fold(ext[i].unicode()) != pattern.text[i].unicode()) {
                    return ext.toString().toCaseFolded() == pattern.text;
                }
            }
            return true;
        }
        case Kind::Wildcard:
            return wildcardMatch(pattern.text, name);
    }
    return false;
}

int FilePatterns::match(const QString& name) const {
    for (size_t i = 0; i < m_patterns.size(); ++i) {
        if (matchesText(m_patterns[i], name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FilePatterns::match(const char* name, qsizetype size, QString* decoded) const {
    const char* dot = static_cast<const char*>(memrchr(name, '.', static_cast<size_t>(size)));
    const char* ext = dot ? dot + 1 : nullptr;
    const qsizetype extSize = dot ? size - (ext - name) : 0;
    bool extAscii = true;
    for (qsizetype i = 0; i < extSize; ++i) {
        extAscii = extAscii && static_cast<unsigned char>(ext[i]) < 0x80;
    }
    QString text;
    auto nameText = [&]() -> const QString& {
        if (text.isNull()) {
            text = decodeFileName(name, size);
            if (decoded) {
                *decoded = text;
            }
        }
        return text;
    };
    for (size_t i = 0; i < m_patterns.size(); ++i) {
        const Pattern& pattern = m_patterns[i];
        if (pattern.kind == Kind::All) {
            return static_cast<int>(i);
        }
        if (pattern.kind == Kind::Extension && !pattern.asciiLower.isEmpty() && extAscii) {
            if (extSize == pattern.asciiLower.size() &&
                asciiEqualNoCase(ext, pattern.asciiLower.constData(), extSize)) {
                return static_cast<int>(i);
            }
            continue;
        }
        if (pattern.kind == Kind::Extension && !pattern.asciiLower.isEmpty() && !dot) {
            continue;
        }
        if (matchesText(pattern, nameText())) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
