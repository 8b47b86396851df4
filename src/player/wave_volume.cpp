#include "player/wave_volume.h"

#include <alsa/asoundlib.h>

#include <QByteArray>
#include <algorithm>

#include <cmath>
#include <memory>

namespace {

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using Mixer = std::unique_ptr<snd_mixer_t, MixerCloser>;

// A mixer already loaded for the device name, or null.
Mixer openMixer(const char* device) {
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0) {
        return nullptr;
    }
    Mixer mixer(raw);
    if (snd_mixer_attach(raw, device) < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0 ||
        snd_mixer_load(raw) < 0) {
        return nullptr;
    }
    return mixer;
}

snd_mixer_elem_t* firstVolumeElement(snd_mixer_t* mixer) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e != nullptr;
         e = snd_mixer_elem_next(e)) {
        if (snd_mixer_selem_is_active(e) && snd_mixer_selem_has_playback_volume(e)) {
            return e;
        }
    }
    return nullptr;
}

bool hasSoundCard() {
    int card = -1;
    return snd_card_next(&card) >= 0 && card >= 0;
}

// Runs use on the first playback volume control: that of the default device, else that of the
// first card that has one. Nothing is opened when there is no card at all.
template <typename Use>
void withVolumeElement(Use use) {
    if (!hasSoundCard()) {
        return;
    }
    if (Mixer mixer = openMixer("default")) {
        if (snd_mixer_elem_t* e = firstVolumeElement(mixer.get())) {
            use(e);
            return;
        }
    }
    int card = -1;
    while (snd_card_next(&card) >= 0 && card >= 0) {
        QByteArray name("hw:");
        name += QByteArray::number(card);
        if (Mixer mixer = openMixer(name.constData())) {
            if (snd_mixer_elem_t* e = firstVolumeElement(mixer.get())) {
                use(e);
                return;
            }
        }
    }
}

}  // namespace

quint16 waveLevelFromMixer(long value, long min, long max) {
    if (max <= min) {
        return 0;
    }
    const double share = double(std::clamp(value, min, max) - min) / double(max - min);
    return static_cast<quint16>(std::lround(share * 65535.0));
}

long mixerFromWaveLevel(quint16 level, long min, long max) {
    if (max <= min) {
        return min;
    }
    return min + std::lround(double(level) / 65535.0 * double(max - min));
}

quint32 GetWaveVolume() {
    quint32 result = 0;
    withVolumeElement([&](snd_mixer_elem_t* e) {
        long min = 0;
        long max = 0;
        long left = 0;
        long right = 0;
        if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0 ||
            snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &left) < 0) {
            return;
        }
        if (snd_mixer_selem_is_playback_mono(e) ||
            snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, &right) < 0) {
            right = left;
        }
        result = quint32(waveLevelFromMixer(left, min, max)) |
                 (quint32(waveLevelFromMixer(right, min, max)) << 16);
    });
    return result;
}

void SetWaveVolume(quint32 volume) {
    withVolumeElement([&](snd_mixer_elem_t* e) {
        long min = 0;
        long max = 0;
        if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0) {
            return;
        }
        const long left = mixerFromWaveLevel(quint16(volume & 0xFFFF), min, max);
        const long right = mixerFromWaveLevel(quint16(volume >> 16), min, max);
        if (snd_mixer_selem_is_playback_mono(e)) {
            snd_mixer_selem_set_playback_volume_all(e, left);
            return;
        }
        snd_mixer_selem_set_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, left);
        snd_mixer_selem_set_playback_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, right);
    });
}
