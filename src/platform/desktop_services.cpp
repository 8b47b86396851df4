#include "platform/desktop_services.h"

#include <QDesktopServices>

UrlOpener desktopUrlOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}
