#pragma once

#include "platform/shell_execute.h"

// The desktop's own handler for URLs (xdg-open and its kind), for ShellOpen and the commands
// that show a folder in the desktop's file manager.
UrlOpener desktopUrlOpener();
