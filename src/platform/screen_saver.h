#pragma once

#include <QString>
#include <optional>

#include "platform/x11_screen_saver.h"

class Dialogs;

// Keeps the screen saver away while the program asks it to, and gives it back afterwards. The
// desktop's org.freedesktop.ScreenSaver service is asked first (its inhibit cookie is kept for
// the release); where the bus has no such service (Wayland compositors such as weston or sway),
// the desktop portal's Inhibit is asked to keep the session from going idle (its request handle
// is closed for the release); without either the X server's own screen saver is switched off and
// its settings restored later. When none of them can be reached the user gets the program's
// message.
class ScreenSaverControl {
public:
    explicit ScreenSaverControl(Dialogs& dialogs);
    // Gives back whatever is still held, without messages.
    ~ScreenSaverControl();
    ScreenSaverControl(const ScreenSaverControl&) = delete;
    ScreenSaverControl& operator=(const ScreenSaverControl&) = delete;

    // on = false keeps the screen saver from starting, on = true lets it start again. False, after
    // the message, when that could not be done.
    bool SetScreenSaver(bool on);

    // True while the screen saver is held off.
    bool isHeldOff() const {
        return m_cookie.has_value() || !m_portalHandle.isEmpty() || m_x11Saved.has_value();
    }

    // How long a call to the desktop's service may take before it counts as failed.
    static constexpr int kBusTimeoutMs = 1000;

private:
    bool openBus();
    bool holdOffOverBus();
    bool releaseOverBus(bool wait);
    bool holdOffOverPortal();
    bool releaseOverPortal(bool wait);
    bool holdOffOnX11();
    bool releaseOnX11();

    Dialogs& m_dialogs;
    QString m_busName;  // our own connection to the session bus, opened on first use
    bool m_busOpened = false;
    std::optional<uint> m_cookie;
    QString m_cookiePath;    // the object that gave the cookie takes it back
    QString m_portalHandle;  // the portal's request that holds the session awake
    std::optional<x11_screen_saver::Settings> m_x11Saved;
};
