#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "player/midi_file.h"

struct mpv_handle;
class MidiSynth;

// The sound of MIDI songs handed to libmpv as WAV streams of known size, through a protocol of
// our own ("quorvane-midi://N"), so that libmpv plays, seeks and times a song as any sound file:
// a byte offset is a frame, and so a musical time. One object per libmpv handle, living longer
// than the handle; libmpv calls the streams from its own threads.
class MidiStreams {
public:
    explicit MidiStreams(MidiSynth& synth) : m_synth(synth) {}
    MidiStreams(const MidiStreams&) = delete;
    MidiStreams& operator=(const MidiStreams&) = delete;

    static constexpr const char* kProtocol = "quorvane-midi";
    static constexpr int kWaveHeaderBytes = 44;

    // Makes the protocol known to the handle.
    bool attach(mpv_handle* handle);
    // What libmpv opens to play the song; the song stays reachable until it is dropped.
    QByteArray add(std::shared_ptr<const MidiSong> song);
    void drop(const QByteArray& target);

    MidiSynth& synth() const { return m_synth; }

    // The 44-byte header of a WAV file holding `frames` frames of the synthesizer's sound.
    static QByteArray waveHeader(std::int64_t frames);

private:
    static int open(void* self, char* uri, struct mpv_stream_cb_info* info);

    MidiSynth& m_synth;
    std::mutex m_mutex;
    std::map<std::uint64_t, std::shared_ptr<const MidiSong>> m_songs;
    std::uint64_t m_nextId = 1;
};
