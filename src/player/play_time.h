#pragma once

#include <QString>

// A play time as the control bars show it: "m:ss", or "h:mm:ss" from one hour on. Negative and
// unknown times show as 0:00.
QString formatPlayTime(double seconds);
