#pragma once

#include <QtGlobal>
#include <functional>

// The sound card's playback volume, read and written as one 32-bit value: the low word is the
// left channel and the high word the right, each 0-65535. It is the first playback control with
// a volume on the system's mixer; without a sound card reading gives 0 and writing does nothing.
quint32 GetWaveVolume();
void SetWaveVolume(quint32 volume);

// A mixer level between min and max as 0-65535, and back.
quint16 waveLevelFromMixer(long value, long min, long max);
long mixerFromWaveLevel(quint16 level, long min, long max);

// How the player reaches the volume; the program uses the two functions above.
struct WaveVolumeAccess {
    std::function<quint32()> get = GetWaveVolume;
    std::function<void(quint32)> set = SetWaveVolume;
};
