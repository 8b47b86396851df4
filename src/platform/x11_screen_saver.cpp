#include "platform/x11_screen_saver.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace x11_screen_saver {

namespace {

Display* display() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->display();
}

}  // namespace

std::optional<Settings> current() {
    Display* dpy = display();
    if (dpy == nullptr) {
        return std::nullopt;
    }
    Settings settings;
    XGetScreenSaver(dpy, &settings.timeout, &settings.interval, &settings.preferBlanking,
                    &settings.allowExposures);
    return settings;
}

bool apply(const Settings& settings) {
    Display* dpy = display();
    if (dpy == nullptr) {
        return false;
    }
    XSetScreenSaver(dpy, settings.timeout, settings.interval, settings.preferBlanking,
                    settings.allowExposures);
    XFlush(dpy);
    return true;
}

}  // namespace x11_screen_saver
