#pragma once

#include <optional>

// The X server's own screen-saver settings, reached through the display Qt opened. Kept apart
// because Xlib's headers define macros (None, Bool, Status) that clash with ordinary names.
namespace x11_screen_saver {

struct Settings {
    int timeout = 0;  // seconds of idle time before the saver starts; 0 keeps it off
    int interval = 0;
    int preferBlanking = 0;
    int allowExposures = 0;
};

// The current settings, or std::nullopt when the program is not shown on an X display (another
// platform, or one such as offscreen whose X11 interface has no display).
std::optional<Settings> current();

// Applies settings; false when there is no X display.
bool apply(const Settings& settings);

}  // namespace x11_screen_saver
