#pragma once

#include "app/form1.h"

// Players for a window under test: no sound leaves the machine and the sound card's volume is
// neither read nor written.
inline Form1PlayerSetup testPlayerSetup() {
    Form1PlayerSetup setup;
    setup.options.audioOutput = QStringLiteral("null");
    setup.waveVolume.get = [] { return quint32{0}; };
    setup.waveVolume.set = [](quint32) {};
    return setup;
}
