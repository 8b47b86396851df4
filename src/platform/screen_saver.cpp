#include "platform/screen_saver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <utility>

#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/messages.h"

using namespace Qt::StringLiterals;

namespace {

const QString kService = u"org.freedesktop.ScreenSaver"_s;
const QString kInterface = u"org.freedesktop.ScreenSaver"_s;
// Desktops differ in where they put the object; a wrong one answers at once.
const QStringList kObjectPaths = {u"/org/freedesktop/ScreenSaver"_s, u"/ScreenSaver"_s};

const QString kPortalService = u"org.freedesktop.portal.Desktop"_s;
const QString kPortalPath = u"/org/freedesktop/portal/desktop"_s;
const QString kPortalInhibit = u"org.freedesktop.portal.Inhibit"_s;
const QString kPortalRequest = u"org.freedesktop.portal.Request"_s;
// The portal's flag for the session going idle (the screen saver and the screen's blanking).
constexpr uint kInhibitIdle = 8;

bool isWrongObject(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == u"org.freedesktop.DBus.Error.UnknownObject" ||
           name == u"org.freedesktop.DBus.Error.UnknownInterface" ||
           name == u"org.freedesktop.DBus.Error.UnknownMethod";
}

}  // namespace

ScreenSaverControl::ScreenSaverControl(Dialogs& dialogs)
    : m_dialogs(dialogs),
      m_busName(u"quorvane-screensaver-"_s + QString::number(quintptr(this), 16)) {}

ScreenSaverControl::~ScreenSaverControl() {
    if (m_cookie) {
        releaseOverBus(false);
    }
    if (!m_portalHandle.isEmpty()) {
        releaseOverPortal(false);
    }
    if (m_x11Saved) {
        releaseOnX11();
    }
    if (m_busOpened) {
        // Closing the connection also ends any inhibit the service still holds for it.
        QDBusConnection::disconnectFromBus(m_busName);
    }
}

bool ScreenSaverControl::SetScreenSaver(bool on) {
    bool done = true;
    if (on) {
        if (m_cookie) {
            done = releaseOverBus(true) && done;
        }
        if (!m_portalHandle.isEmpty()) {
            done = releaseOverPortal(true) && done;
        }
        if (m_x11Saved) {
            done = releaseOnX11() && done;
        }
    } else if (!isHeldOff()) {
        done = holdOffOverBus() || holdOffOverPortal() || holdOffOnX11();
    }
    if (!done) {
        m_dialogs.message(platform_msg::screenSaverError(), MsgIcon::None);
    }
    return done;
}

bool ScreenSaverControl::openBus() {
    if (!m_busOpened) {
        // The address as the environment has it now: the bus library would keep the first one
        // it ever read for the whole process.
        const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        if (address.isEmpty()) {
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_busName);
        } else {
            QDBusConnection::connectToBus(address, m_busName);
        }
        m_busOpened = true;
    }
    return QDBusConnection(m_busName).isConnected();
}

bool ScreenSaverControl::holdOffOverBus() {
    if (!openBus()) {
        return false;
    }
    QDBusConnection bus(m_busName);
    for (const QString& path : kObjectPaths) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, path, kInterface, u"Inhibit"_s);
        call << app_info::title() << platform_msg::screenSaverInhibitReason();
        const QDBusMessage reply = bus.call(call, QDBus::Block, kBusTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
            bool ok = false;
            const uint cookie = reply.arguments().constFirst().toUInt(&ok);
            if (ok) {
                m_cookie = cookie;
                m_cookiePath = path;
                return true;
            }
        }
        if (!isWrongObject(reply)) {
            return false;
        }
    }
    return false;
}

bool ScreenSaverControl::releaseOverBus(bool wait) {
    const uint cookie = *m_cookie;
    m_cookie.reset();
    QDBusConnection bus(m_busName);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, m_cookiePath, kInterface, u"UnInhibit"_s);
    call << cookie;
    if (!wait) {
        return bus.send(call);
    }
    return bus.call(call, QDBus::Block, kBusTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool ScreenSaverControl::holdOffOverPortal() {
    if (!openBus()) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInhibit, u"Inhibit"_s);
    QVariantMap options;
    options.insert(u"reason"_s, platform_msg::screenSaverInhibitReason());
    // No parent window: the portal needs none for a hold that asks the user nothing.
    call << QString() << kInhibitIdle << options;
    const QDBusMessage reply = QDBusConnection(m_busName).call(call, QDBus::Block, kBusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        return false;
    }
    const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
    if (handle.isEmpty()) {
        return false;
    }
    m_portalHandle = handle;
    return true;
}

bool ScreenSaverControl::releaseOverPortal(bool wait) {
    const QString handle = std::exchange(m_portalHandle, QString());
    QDBusConnection bus(m_busName);
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, handle, kPortalRequest, u"Close"_s);
    if (!wait) {
        return bus.send(call);
    }
    return bus.call(call, QDBus::Block, kBusTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool ScreenSaverControl::holdOffOnX11() {
    const std::optional<x11_screen_saver::Settings> saved = x11_screen_saver::current();
    if (!saved) {
        return false;
    }
    x11_screen_saver::Settings off = *saved;
    off.timeout = 0;
    if (!x11_screen_saver::apply(off)) {
        return false;
    }
    m_x11Saved = saved;
    return true;
}

bool ScreenSaverControl::releaseOnX11() {
    const x11_screen_saver::Settings saved = *m_x11Saved;
    m_x11Saved.reset();
    return x11_screen_saver::apply(saved);
}
