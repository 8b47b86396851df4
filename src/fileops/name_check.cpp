#include "fileops/name_check.h"

#include <unistd.h>
#include <climits>

#include "fileops/messages.h"
#include "platform/file_name_codec.h"

QString newNameProblem(const QString& name, const QString& folder) {
    if (name.contains(u'/')) {
        return fileops_msg::badNameSlash();
    }
    if (name.contains(QChar(0))) {
        return fileops_msg::badNameNul();
    }
    if (name == u"." || name == u"..") {
        return fileops_msg::badNameDots();
    }
    long maxBytes = ::pathconf(encodeFileName(folder).constData(), _PC_NAME_MAX);
    if (maxBytes <= 0) {
        maxBytes = NAME_MAX;
    }
    if (encodeFileName(name).size() > maxBytes) {
        return fileops_msg::badNameTooLong(static_cast<int>(maxBytes));
    }
    return {};
}
