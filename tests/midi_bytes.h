#pragma once

// Standard MIDI files and RMI files written byte by byte, for the tests and the benchmarks.
#include <QByteArray>
#include <cstdint>
#include <initializer_list>

namespace midi_bytes {

inline QByteArray vlq(std::uint32_t value) {
    QByteArray out(1, char(value & 0x7F));
    while ((value >>= 7) != 0) {
        out.prepend(char(0x80 | (value & 0x7F)));
    }
    return out;
}

inline QByteArray be(std::uint32_t value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i) {
        out.append(char((value >> (8 * i)) & 0xFF));
    }
    return out;
}

inline QByteArray le32(std::uint32_t value) {
    QByteArray out;
    for (int i = 0; i < 4; ++i) {
        out.append(char((value >> (8 * i)) & 0xFF));
    }
    return out;
}

// One track's events; each call gives the delta time in ticks before the event.
struct Track {
    QByteArray bytes;
    Track& event(std::uint32_t delta, std::initializer_list<int> message) {
        bytes += vlq(delta);
        for (int b : message) {
            bytes.append(char(b));
        }
        return *this;
    }
    Track& tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        bytes += vlq(delta) + QByteArray("\xFF\x51\x03", 3) + be(microsPerQuarter, 3);
        return *this;
    }
    Track& meta(std::uint32_t delta, int type, const QByteArray& data) {
        bytes += vlq(delta) + char(0xFF) + char(type) + vlq(std::uint32_t(data.size())) + data;
        return *this;
    }
    // A system-exclusive message given without its leading F0.
    Track& sysex(std::uint32_t delta, const QByteArray& data) {
        bytes += vlq(delta) + char(0xF0) + vlq(std::uint32_t(data.size())) + data;
        return *this;
    }
    QByteArray chunk(bool endOfTrack = true) const {
        const QByteArray body = endOfTrack ? bytes + QByteArray("\x00\xFF\x2F\x00", 4) : bytes;
        return "MTrk" + be(std::uint32_t(body.size()), 4) + body;
    }
};

inline QByteArray smf(int format, int division, std::initializer_list<Track> tracks) {
    QByteArray out = "MThd" + be(6, 4) + be(std::uint32_t(format), 2) +
                     be(std::uint32_t(tracks.size()), 2) + be(std::uint32_t(division), 2);
    for (const Track& t : tracks) {
        out += t.chunk();
    }
    return out;
}

// The song wrapped as an RMI file. With `info`, an odd-sized chunk comes first, padded to an
// even size as it should be or, with `pad` false, not (as some writers leave it).
inline QByteArray rmi(const QByteArray& song, bool info = false, bool pad = true) {
    QByteArray body = "RMID";
    if (info) {
        body += "INFO" + le32(3) + "abc" + (pad ? QByteArray(1, '\0') : QByteArray());
    }
    body += "data" + le32(std::uint32_t(song.size())) + song;
    if (song.size() % 2 == 1) {
        body.append('\0');
    }
    return "RIFF" + le32(std::uint32_t(body.size())) + body;
}

// A short song of two notes with a rest between and a tempo change in the rest, at 480 ticks a
// quarter: the first note from 0 s to 0.5 s at 120 bpm; from tick 960 (1 s) 240 bpm, so the
// second note sounds from tick 1440 = 1.25 s to tick 1920 = 1.5 s. Running status, a
// system-exclusive message (GM on) and a text event are on the way.
inline QByteArray shortSong() {
    Track conductor;
    conductor.tempo(0, 500000).meta(0, 0x03, "test").tempo(960, 250000);
    Track notes;
    notes.sysex(0, QByteArray("\x7E\x7F\x09\x01\xF7", 5))
        .event(0, {0xC0, 0})
        .event(0, {0x90, 60, 100})
        .event(480, {60, 0})  // running status: a note-on of velocity 0
        .event(960, {64, 100})
        .event(480, {0x80, 64, 64});
    return smf(1, 480, {conductor, notes});
}
inline constexpr double kShortSongNotesEnd = 1.5;

}  // namespace midi_bytes
