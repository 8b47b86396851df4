#pragma once

#include <QPixmap>

// The program's logo drawn at size × size pixels.
QPixmap appLogo(int size);
