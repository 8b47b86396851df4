#include "player/midi_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 bpm
constexpr std::uint8_t kSysex = 0xF0;
constexpr std::uint8_t kEscape = 0xF7;
constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;

bool hasId(Bytes b, std::size_t at, const char* id) {
    return at + 4 <= b.size() && std::memcmp(b.data() + at, id, 4) == 0;
}

std::uint32_t be32(Bytes b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

std::uint32_t le32(Bytes b, std::size_t at) {
    return std::uint32_t(b[at + 3]) << 24 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 1]) << 8 | b[at];
}

// A chunk name is four printable characters.
bool looksLikeChunkId(Bytes b, std::size_t at) {
    if (at + 8 > b.size()) {
        return false;
    }
    return std::all_of(b.begin() + at, b.begin() + at + 4,
                       [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

// An event as a track gives it: its tick, and either a message or a tempo.
struct TrackEvent {
    std::uint64_t tick = 0;
    bool tempo = false;
    std::uint32_t microsPerQuarter = 0;
    MidiEvent event;
};

class TrackReader {
public:
    TrackReader(Bytes track, std::vector<TrackEvent>& out, std::vector<std::uint8_t>& sysex)
        : m_b(track), m_out(out), m_sysex(sysex) {}

    // False when the track is damaged.
    bool read(std::uint64_t& endTick) {
        std::uint64_t tick = 0;
        std::uint8_t running = 0;
        while (m_at < m_b.size()) {
            std::uint32_t delta = 0;
            if (!number(delta)) {
                return false;
            }
            tick += delta;
            if (m_at >= m_b.size()) {
                return false;
            }
            std::uint8_t status = m_b[m_at];
            if (status < 0x80) {
                if (running == 0) {
                    return false;  // a data byte with no status before it
                }
                status = running;
            } else {
                ++m_at;
            }
            if (status == kMeta) {
                std::uint8_t type = 0;
                std::uint32_t length = 0;
                if (!byte(type) || !number(length) || length > m_b.size() - m_at) {
                    return false;
                }
                if (type == kMetaEndOfTrack) {
                    endTick = tick;
                    return true;
                }
                if (type == kMetaTempo && length >= 3) {
                    const std::uint32_t tempo = std::uint32_t(m_b[m_at]) << 16 |
                                                std::uint32_t(m_b[m_at + 1]) << 8 | m_b[m_at + 2];
                    if (tempo > 0) {
                        TrackEvent e;
                        e.tick = tick;
                        e.tempo = true;
                        e.microsPerQuarter = tempo;
                        if (!push(e)) {
                            return false;
                        }
                    }
                }
                m_at += length;
            } else if (status == kSysex || status == kEscape) {
                std::uint32_t length = 0;
                if (!number(length) || length > m_b.size() - m_at) {
                    return false;
                }
                // A complete message goes to the synthesizer; packets of a divided one and
                // escaped bytes are left out.
                if (status == kSysex && length > 1 && m_b[m_at + length - 1] == 0xF7) {
                    TrackEvent e;
                    e.tick = tick;
                    e.event.status = kSysex;
                    e.event.sysexOffset = static_cast<std::uint32_t>(m_sysex.size());
                    e.event.sysexLength = length - 1;
                    m_sysex.insert(m_sysex.end(), m_b.begin() + m_at,
                                   m_b.begin() + m_at + length - 1);
                    if (!push(e)) {
                        return false;
                    }
                }
                m_at += length;
            } else if (status >= 0xF0) {
                return false;  // real-time and common messages have no place in a file
            } else {
                running = status;
                TrackEvent e;
                e.tick = tick;
                e.event.status = status;
                if (!data(e.event.data1)) {
                    return false;
                }
                const std::uint8_t kind = status & 0xF0;
                if (kind != 0xC0 && kind != 0xD0 && !data(e.event.data2)) {
                    return false;
                }
                if (!push(e)) {
                    return false;
                }
            }
            endTick = tick;
        }
        return true;  // a track may end without its end-of-track event
    }

private:
    bool byte(std::uint8_t& v) {
        if (m_at >= m_b.size()) {
            return false;
        }
        v = m_b[m_at++];
        return true;
    }
    bool data(std::uint8_t& v) { return byte(v) && v < 0x80; }
    // A variable-length number: at most four bytes of seven bits.
    bool number(std::uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t c = 0;
            if (!byte(c)) {
                return false;
            }
            v = (v << 7) | (c & 0x7F);
            if ((c & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    bool push(const TrackEvent& e) {
        if (m_out.size() >= kMaxMidiEvents) {
            return false;
        }
        m_out.push_back(e);
        return true;
    }

    Bytes m_b;
    std::size_t m_at = 0;
    std::vector<TrackEvent>& m_out;
    std::vector<std::uint8_t>& m_sysex;
};

std::optional<MidiSong> readSmf(Bytes b) {
    if (!hasId(b, 0, "MThd") || b.size() < 14) {
        return std::nullopt;
    }
    const std::uint32_t headerLength = be32(b, 4);
    if (headerLength < 6 || headerLength > b.size() - 8) {
        return std::nullopt;
    }
    const int tracks = b[10] << 8 | b[11];
    const int division = b[12] << 8 | b[13];
    if (division == 0) {
        return std::nullopt;
    }
    // Seconds per tick: fixed for SMPTE time, else from the tempo.
    double smpteTick = 0;
    if ((division & 0x8000) != 0) {
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const int perFrame = division & 0xFF;
        if (perFrame == 0 || (fps != 24 && fps != 25 && fps != 29 && fps != 30)) {
            return std::nullopt;
        }
        smpteTick = 1.0 / ((fps == 29 ? 29.97 : fps) * perFrame);
    }

    std::vector<TrackEvent> events;
    MidiSong song;
    std::uint64_t endTick = 0;
    std::size_t at = 8 + std::size_t(headerLength);
    int found = 0;
    while (found < tracks && at + 8 <= b.size()) {
        const std::uint32_t length = be32(b, at + 4);
        if (length > b.size() - at - 8) {
            return std::nullopt;  // cut short
        }
        if (hasId(b, at, "MTrk")) {
            std::uint64_t trackEnd = 0;
            TrackReader reader(b.subspan(at + 8, length), events, song.sysex);
            if (!reader.read(trackEnd)) {
                return std::nullopt;
            }
            endTick = std::max(endTick, trackEnd);
            ++found;
        }
        at += 8 + std::size_t(length);
    }
    if (found == 0) {
        return std::nullopt;
    }

    // One timeline: by tick, the tracks' order kept among equal ticks.
    std::stable_sort(events.begin(), events.end(),
                     [](const TrackEvent& x, const TrackEvent& y) { return x.tick < y.tick; });
    std::uint64_t tempoTick = 0;
    double tempoSeconds = 0;
    double secondsPerTick = smpteTick > 0 ? smpteTick : kDefaultTempo / (1e6 * division);
    const auto secondsAt = [&](std::uint64_t tick) {
        return tempoSeconds + double(tick - tempoTick) * secondsPerTick;
    };
    song.events.reserve(events.size());
    for (const TrackEvent& e : events) {
        if (e.tempo) {
            if (smpteTick == 0) {
                tempoSeconds = secondsAt(e.tick);
                tempoTick = e.tick;
                secondsPerTick = e.microsPerQuarter / (1e6 * division);
            }
            continue;
        }
        MidiEvent m = e.event;
        m.seconds = secondsAt(e.tick);
        song.events.push_back(m);
    }
    const double end = secondsAt(std::max(endTick, tempoTick));
    if (!std::isfinite(end) || end > kMaxMidiSeconds) {
        return std::nullopt;
    }
    song.length = end + kMidiTailSeconds;
    return song;
}

}  // namespace

std::span<const std::uint8_t> unwrapRmi(std::span<const std::uint8_t> b) {
    if (!hasId(b, 0, "RIFF")) {
        return b;
    }
    if (!hasId(b, 8, "RMID")) {
        return {};
    }
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = le32(b, at + 4);
        const std::size_t start = at + 8;
        const std::size_t available = b.size() - start;
        if (hasId(b, at, "data")) {
            // A size past the end of the file gives what is there; the song's own chunks say
            // whether that is enough.
            return b.subspan(start, std::min<std::size_t>(size, available));
        }
        if (size > available) {
            return {};
        }
        std::size_t next = start + size;
        // Chunks are padded to an even size, but not every writer pads.
        if (size % 2 == 1 && !looksLikeChunkId(b, next) && looksLikeChunkId(b, next + 1)) {
            ++next;
        }
        at = next;
    }
    return {};
}

std::optional<MidiSong> readMidi(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxMidiBytes) {
        return std::nullopt;
    }
    const Bytes smf = unwrapRmi(bytes);
    if (smf.empty()) {
        return std::nullopt;
    }
    return readSmf(smf);
}

std::int64_t midiFrameOf(double seconds) {
    return static_cast<std::int64_t>(std::llround(std::max(0.0, seconds) * kMidiSampleRate));
}

std::int64_t midiFrameCount(const MidiSong& song) {
    return midiFrameOf(song.length);
}

std::size_t midiEventIndexAt(const MidiSong& song, std::int64_t frame) {
    const auto it = std::partition_point(
        song.events.begin(), song.events.end(),
        [frame](const MidiEvent& e) { return midiFrameOf(e.seconds) < frame; });
    return static_cast<std::size_t>(it - song.events.begin());
}
