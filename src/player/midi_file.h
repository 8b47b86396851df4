#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Standard MIDI files (mid) and their RIFF wrapper (rmi), read into one timeline. The reader is
// pure: it takes the bytes of a file and gives every event the synthesizer needs, with its time
// in seconds from the start; the tracks are merged and the tempo map is applied, so the time of
// an event is exact across tempo changes. Hostile input is bounded: the file size, the number of
// events and the length of the song have limits, and anything malformed is refused as a whole.

// One event of the merged timeline: a channel message (status 0x80-0xEF with its data bytes) or
// a system-exclusive message (status 0xF0, its bytes in MidiSong::sysex without the F0).
struct MidiEvent {
    double seconds = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t sysexOffset = 0;
    std::uint32_t sysexLength = 0;
    friend bool operator==(const MidiEvent&, const MidiEvent&) = default;
};

struct MidiSong {
    // In time order; events at the same time in the order of their tracks, then of the file.
    std::vector<MidiEvent> events;
    std::vector<std::uint8_t> sysex;
    // Seconds from the start to the end of the last track, plus the tail that lets the last
    // notes die away.
    double length = 0;
    friend bool operator==(const MidiSong&, const MidiSong&) = default;
};

inline constexpr std::size_t kMaxMidiBytes = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxMidiEvents = 2'000'000;
// Longer songs are refused: nobody writes them, and the stream they make must stay addressable.
inline constexpr double kMaxMidiSeconds = 4 * 3600;
inline constexpr double kMidiTailSeconds = 1.0;

// The song in a standard MIDI file or an RMI file (told apart by their first bytes); nothing
// when the bytes are neither, are damaged, or pass a limit.
std::optional<MidiSong> readMidi(std::span<const std::uint8_t> bytes);

// The standard MIDI file inside an RMI file ("RIFF" … "RMID" with a "data" chunk); the bytes
// themselves when they are no RIFF file; empty when a RIFF file has no such chunk.
std::span<const std::uint8_t> unwrapRmi(std::span<const std::uint8_t> bytes);

// The sound the synthesizer makes of a song: 16-bit stereo at this rate.
inline constexpr int kMidiSampleRate = 44100;
inline constexpr int kMidiChannels = 2;
inline constexpr int kMidiBytesPerFrame = 2 * kMidiChannels;

// The frame at which something at `seconds` sounds, and the frames of the whole song.
std::int64_t midiFrameOf(double seconds);
std::int64_t midiFrameCount(const MidiSong& song);
// The first event that sounds at or after `frame`: where rendering from `frame` goes on, all
// events before it having been replayed without their notes.
std::size_t midiEventIndexAt(const MidiSong& song, std::int64_t frame);
