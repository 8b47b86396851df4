#include "archive/entry_path.h"

#include <QStringList>

namespace {

bool hasDrive(const QString& name) {
    return name.size() >= 2 && name[1] == u':' && name[0].isLetter() && name[0].unicode() < 128;
}

bool looksAbsolute(const QString& name) {
    return name.startsWith(u'/') || hasDrive(name);
}

}  // namespace

EntryPath checkEntryPath(const QString& name) {
    EntryPath result;
    // Empty parts are skipped below, which drops the leading separators with them.
    const QString inside = hasDrive(name) ? name.mid(2) : name;
    QStringList parts;
    for (const QString& part : inside.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            result.verdict = EntryPathVerdict::DotDot;
            return result;
        }
        if (part != u".") {
            parts << part;
        }
    }
    result.relative = parts.join(u'/');
    result.verdict = parts.isEmpty() ? EntryPathVerdict::Empty : EntryPathVerdict::Ok;
    return result;
}

bool linkStaysInside(const QString& entryRelative, const QString& target) {
    if (target.isEmpty() || looksAbsolute(target)) {
        return false;
    }
    QStringList place = entryRelative.split(u'/', Qt::SkipEmptyParts);
    if (!place.isEmpty()) {
        place.removeLast();  // the link's own name
    }
    // ".." may only lead the target: it then climbs real folders (the disk writer never makes
    // an entry through a link). After a name it would climb from wherever that name leads, and
    // the name may be another link of the archive ("x/l" -> "..", then "y" -> "x/l/.."): no
    // reading of the text alone can tell where that ends.
    bool named = false;
    for (const QString& part : target.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            if (named || place.isEmpty()) {
                return false;
            }
            place.removeLast();
        } else if (part != u".") {
            place << part;
            named = true;
        }
    }
    return true;
}

QString withoutControlCharacters(QString name) {
    for (QChar& c : name) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
            c = u'_';
        }
    }
    return name;
}
