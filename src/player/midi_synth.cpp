#include "player/midi_synth.h"

#include <fluidsynth.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "player/midi_file.h"

namespace {

// The synthesizer's own gain: loud enough for a General MIDI song, with room for many voices.
constexpr double kGain = 0.4;
// Frames rendered between two looks at the next event.
constexpr int kRenderBlock = 4096;
// After a reset: the synthesizer's own block, and the most frames rendered for nothing.
constexpr int kFlushBlock = 64;
constexpr int kMaxFlushFrames = 2 * kMidiSampleRate;

// FluidSynth writes its complaints to the terminal; the player reports what went wrong itself.
void quietFluid() {
    static const bool once = [] {
        for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
        return true;
    }();
    (void)once;
}

}  // namespace

struct MidiSynth::Fluid {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    QString path;
    ~Fluid() {
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
        }
    }
};

MidiSynth::MidiSynth() = default;

MidiSynth::~MidiSynth() = default;

QStringList MidiSynth::systemSoundFonts() {
    return {QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
            QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"),
            QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")};
}

QString MidiSynth::systemSoundFont(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) {
            return info.canonicalFilePath();
        }
    }
    return {};
}

void MidiSynth::setSoundFontPath(const QString& path) {
    std::lock_guard lock(m_mutex);
    m_path = path;
}

QString MidiSynth::soundFontPath() const {
    std::lock_guard lock(m_mutex);
    return m_path.isEmpty() ? systemSoundFont() : m_path;
}

bool MidiSynth::load() {
    std::lock_guard lock(m_mutex);
    return loadLocked();
}

bool MidiSynth::loadLocked() {
    const QString path = m_path.isEmpty() ? systemSoundFont() : m_path;
    if (m_fluid && m_fluid->path == path) {
        return true;
    }
    m_fluid.reset();
    m_owner = nullptr;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    quietFluid();
    auto fluid = std::make_unique<Fluid>();
    fluid->path = path;
    fluid->settings = new_fluid_settings();
    if (fluid->settings == nullptr) {
        return false;
    }
    fluid_settings_setnum(fluid->settings, "synth.sample-rate", kMidiSampleRate);
    fluid_settings_setnum(fluid->settings, "synth.gain", kGain);
    // The lease is the lock; FluidSynth's own would only cost time.
    fluid_settings_setint(fluid->settings, "synth.threadsafe-api", 0);
    fluid->synth = new_fluid_synth(fluid->settings);
    if (fluid->synth == nullptr) {
        return false;
    }
    if (fluid_synth_sfload(fluid->synth, QFile::encodeName(path).constData(), 1) == FLUID_FAILED) {
        return false;
    }
    m_fluid = std::move(fluid);
    return true;
}

MidiSynth::Lease MidiSynth::take(const void* owner) {
    Lease lease(m_mutex, nullptr, true);
    if (!loadLocked()) {
        return lease;
    }
    lease.m_synth = m_fluid->synth;
    lease.m_fresh = m_owner != owner;
    m_owner = owner;
    return lease;
}

void MidiSynth::release(const void* owner) {
    std::lock_guard lock(m_mutex);
    if (m_owner == owner) {
        m_owner = nullptr;
    }
}

// ---- one song -----------------------------------------------------------------------------

MidiRenderer::MidiRenderer(std::shared_ptr<const MidiSong> song, MidiSynth& synth)
    : m_song(std::move(song)), m_synth(synth), m_frames(midiFrameCount(*m_song)) {}

MidiRenderer::~MidiRenderer() {
    m_synth.release(this);
}

void MidiRenderer::send(fluid_synth_t* synth, std::size_t index, bool notes) {
    const MidiEvent& e = m_song->events[index];
    const int channel = e.status & 0x0F;
    switch (e.status & 0xF0) {
        case 0x80:
            if (notes) {
                fluid_synth_noteoff(synth, channel, e.data1);
            }
            break;
        case 0x90:
            if (notes) {
                // A note-on of velocity 0 is a note-off.
                if (e.data2 == 0) {
                    fluid_synth_noteoff(synth, channel, e.data1);
                } else {
                    fluid_synth_noteon(synth, channel, e.data1, e.data2);
                }
            }
            break;
        case 0xA0:
            if (notes) {
                fluid_synth_key_pressure(synth, channel, e.data1, e.data2);
            }
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, e.data1, e.data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, e.data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, e.data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, e.data1 | (e.data2 << 7));
            break;
        case 0xF0:
            fluid_synth_sysex(synth,
                              reinterpret_cast<const char*>(m_song->sysex.data() + e.sysexOffset),
                              static_cast<int>(e.sysexLength), nullptr, nullptr, nullptr, 0);
            break;
        default:
            break;
    }
}

void MidiRenderer::seek(fluid_synth_t* synth, std::int64_t frame) {
    fluid_synth_system_reset(synth);
    m_next = midiEventIndexAt(*m_song, frame);
    for (std::size_t i = 0; i < m_next; ++i) {
        send(synth, i, false);
    }
    // FluidSynth lets the voices of the reset go by their quick release, and hands out what
    // it rendered ahead before: that sound is rendered here and thrown away.
    std::int16_t discard[kFlushBlock * kMidiChannels];
    for (int frames = 0; frames < kMaxFlushFrames; frames += kFlushBlock) {
        fluid_synth_write_s16(synth, kFlushBlock, discard, 0, kMidiChannels, discard, 1,
                              kMidiChannels);
        if (frames >= kFlushBlock * 3 && fluid_synth_get_active_voice_count(synth) == 0) {
            break;
        }
    }
    m_frame = frame;
}

bool MidiRenderer::render(std::int64_t frame, std::int16_t* out, int count) {
    MidiSynth::Lease lease = m_synth.take(this);
    fluid_synth_t* synth = lease.synth();
    if (synth == nullptr) {
        return false;
    }
    if (lease.fresh() || frame != m_frame) {
        seek(synth, frame);
    }
    const std::vector<MidiEvent>& events = m_song->events;
    int done = 0;
    while (done < count) {
        while (m_next < events.size() && midiFrameOf(events[m_next].seconds) <= m_frame) {
            send(synth, m_next++, true);
        }
        std::int64_t until = m_frame + std::min(count - done, kRenderBlock);
        if (m_next < events.size()) {
            until = std::min(until, midiFrameOf(events[m_next].seconds));
        }
        const int n = static_cast<int>(until - m_frame);
        std::int16_t* at = out + std::ptrdiff_t(done) * kMidiChannels;
        fluid_synth_write_s16(synth, n, at, 0, kMidiChannels, at, 1, kMidiChannels);
        done += n;
        m_frame = until;
    }
    return true;
}
