#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <mutex>

struct MidiSong;
struct _fluid_synth_t;

// The one FluidSynth synthesizer of the session, with its General MIDI SoundFont. The SoundFont
// is loaded once, for the first song, and kept; a different path loads that one instead. Songs take
// the synthesizer in turn through a Lease: the synthesizer remembers whose state it holds, so a
// song that finds another's state in it starts over. Every member may be called from any thread.
class MidiSynth {
public:
    MidiSynth();
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // The SoundFont to use; empty: the system's (systemSoundFont()).
    void setSoundFontPath(const QString& path);
    // The SoundFont that is used: the one set, else the system's.
    QString soundFontPath() const;

    // The system's General MIDI SoundFont: the first of the candidates that is a readable file,
    // the larger sets first; "" when there is none.
    static QString systemSoundFont(const QStringList& candidates = systemSoundFonts());
    static QStringList systemSoundFonts();

    // Loads the SoundFont unless it is loaded already. False when it cannot be read.
    bool load();

    // The synthesizer for one song's turn: locked while the lease lives. `fresh` says that it
    // holds another song's state (or none) and must be reset before this song goes on.
    class Lease {
    public:
        _fluid_synth_t* synth() const { return m_synth; }
        bool fresh() const { return m_fresh; }

    private:
        friend class MidiSynth;
        Lease(std::mutex& m, _fluid_synth_t* synth, bool fresh)
            : m_lock(m), m_synth(synth), m_fresh(fresh) {}
        std::unique_lock<std::mutex> m_lock;
        _fluid_synth_t* m_synth;
        bool m_fresh;
    };
    // Null synthesizer in the lease when no SoundFont could be loaded.
    Lease take(const void* owner);
    // The owner lets go: its state is no longer worth keeping.
    void release(const void* owner);

private:
    bool loadLocked();

    struct Fluid;
    std::unique_ptr<Fluid> m_fluid;  // the synthesizer with the SoundFont loaded, or null
    mutable std::mutex m_mutex;
    QString m_path;
    const void* m_owner = nullptr;
};

// Sends one song's events to the synthesizer and renders its sound, from any frame. A seek to a
// frame resets the synthesizer, replays what changes its state (programs, controllers, pitch
// bends, system-exclusive messages) up to there without sounding a note, and renders on from
// exactly that frame.
class MidiRenderer {
public:
    MidiRenderer(std::shared_ptr<const MidiSong> song, MidiSynth& synth);
    ~MidiRenderer();
    MidiRenderer(const MidiRenderer&) = delete;
    MidiRenderer& operator=(const MidiRenderer&) = delete;

    std::int64_t frames() const { return m_frames; }
    // Renders `count` frames from `frame` as interleaved 16-bit stereo. False when there is no
    // synthesizer.
    bool render(std::int64_t frame, std::int16_t* out, int count);

private:
    void seek(_fluid_synth_t* synth, std::int64_t frame);
    void send(_fluid_synth_t* synth, std::size_t index, bool notes);

    std::shared_ptr<const MidiSong> m_song;
    MidiSynth& m_synth;
    std::int64_t m_frames = 0;
    std::int64_t m_frame = -1;  // where the synthesizer stands for this song; -1: nowhere
    std::size_t m_next = 0;     // the next event to send
};
