#include "archive/entry_path.h"

#include <QStringList>

namespace {

bool looksAbsolute(const QString& name) {
    return name.startsWith(u'/') ||
           (name.size() >= 2 && name[1] == u':' && name[0].isLetter() && name[0].unicode() < 128);
}

}  // namespace

EntryPath checkEntryPath(const QString& name) {
    EntryPath result;
    if (looksAbsolute(name)) {
        result.verdict = EntryPathVerdict::Absolute;
        return result;
    }
    QStringList parts;
    for (const QString& part : name.split(u'/', Qt::SkipEmptyParts)) {
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
    for (const QString& part : target.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            if (place.isEmpty()) {
                return false;
            }
            place.removeLast();
        } else if (part != u".") {
            place << part;
        }
    }
    return true;
}
