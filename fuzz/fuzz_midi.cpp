// fuzz_midi: bytes as a MIDI file. The reader ends within its limits; a song it gives has a
// finite length, its events in time order within it, each a whole message; a seek to any time
// of the song starts rendering inside the song, at the first event not before it; and the same
// bytes wrapped as an RMI file read as the same song.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "player/midi_file.h"
#include "property.h"

namespace {

void putLe32(std::vector<std::uint8_t>& out, std::size_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

std::vector<std::uint8_t> wrapAsRmi(std::span<const std::uint8_t> song) {
    std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
    putLe32(out, 12 + song.size() + song.size() % 2);
    out.insert(out.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
    putLe32(out, song.size());
    out.insert(out.end(), song.begin(), song.end());
    if (song.size() % 2 == 1) {
        out.push_back(0);
    }
    return out;
}

void checkSeek(const MidiSong& song, double seconds, std::size_t& lastIndex) {
    const std::int64_t frame = midiFrameOf(seconds);
    require(frame >= 0 && frame <= midiFrameCount(song),
            "a seek inside the song renders inside it");
    const std::size_t index = midiEventIndexAt(song, frame);
    require(index <= song.events.size(), "the seek's event is one of the song's");
    require(index >= lastIndex, "a later seek never goes on from an earlier event");
    require(index == 0 || midiFrameOf(song.events[index - 1].seconds) < frame,
            "the events before a seek are before it");
    require(index == song.events.size() || midiFrameOf(song.events[index].seconds) >= frame,
            "rendering goes on from the first event not before the seek");
    lastIndex = index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::optional<MidiSong> song = readMidi(bytes);

    const bool riff = size >= 4 && std::memcmp(data, "RIFF", 4) == 0;
    if (!riff && size + 32 <= kMaxMidiBytes) {
        const std::vector<std::uint8_t> wrapped = wrapAsRmi(bytes);
        require(readMidi(wrapped) == song, "an RMI file reads as the song it wraps");
    }
    if (!song) {
        return 0;
    }

    require(std::isfinite(song->length) && song->length >= kMidiTailSeconds &&
                song->length <= kMaxMidiSeconds + kMidiTailSeconds,
            "the length is finite and within the limit");
    require(song->events.size() <= kMaxMidiEvents && song->events.size() <= size / 2,
            "every event took bytes of the file");
    require(song->sysex.size() <= size, "system-exclusive bytes come from the file");
    require(midiFrameCount(*song) * kMidiBytesPerFrame + 44 <= 0xFFFFFFFFLL,
            "the song's sound fits a WAV stream");
    double previous = 0;
    for (const MidiEvent& e : song->events) {
        require(std::isfinite(e.seconds) && e.seconds >= previous &&
                    e.seconds + kMidiTailSeconds <= song->length,
                "events are in time order within the song");
        previous = e.seconds;
        if (e.status == 0xF0) {
            require(std::size_t(e.sysexOffset) + e.sysexLength <= song->sysex.size(),
                    "a system-exclusive message lies in the song's bytes");
        } else {
            require(e.status >= 0x80 && e.status < 0xF0 && e.data1 < 0x80 && e.data2 < 0x80,
                    "a channel message has a status and data bytes");
        }
    }

    // Seeks: the start, the end, and times the input picks, in increasing order.
    std::size_t lastIndex = 0;
    checkSeek(*song, 0, lastIndex);
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 8); ++i) {
        checkSeek(*song, song->length * (i + 1) / 9.0, lastIndex);
    }
    checkSeek(*song, song->length, lastIndex);
    return 0;
}
