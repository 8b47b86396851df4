#pragma once

#include <QGuiApplication>

// What the display server the program runs on does not do for it. Wayland tells a client neither
// where its window stands nor lets it raise itself without a token, and Qt's client ends the
// process at once when the compositor goes away, with no exit to save in.
namespace display_platform {

inline bool isWayland() {
    return QGuiApplication::platformName().startsWith(u"wayland");
}

// False where a window's place on the screen is never told to the program.
inline bool reportsWindowPlace() {
    return !isWayland();
}

// True where the process may end without its exit sequence when the display goes away.
inline bool mayEndWithoutExit() {
    return isWayland();
}

}  // namespace display_platform
