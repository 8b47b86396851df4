#pragma once

#include <QTimer>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "player/media_engine.h"
#include "player/metafile.h"
#include "player/request_entries.h"

struct mpv_handle;
class MidiStreams;
class MidiSynth;

struct MpvEngineOptions {
    // Draw the picture through libmpv's render API into a surface (vo=libmpv); otherwise no
    // picture is drawn at all (vo=null), as where there is no screen.
    bool renderApi = false;
    // libmpv's audio output; empty for its own choice, which falls back to no sound.
    QString audioOutput;
    // The synthesizer that plays MIDI files (mid, rmi); without one they are refused.
    MidiSynth* midiSynth = nullptr;
};

// A media engine on one libmpv handle. libmpv runs its own threads; its events are fetched on the
// UI thread only (the wakeup callback merely queues a call there), so everything this class does
// and signals happens on the UI thread. The handle is set up so that opening a file looks at that
// file only: nothing scans its folder for subtitles, sound tracks or cover pictures. A MIDI file
// is read here and its synthesized sound handed to libmpv as a stream of our own protocol.
class MpvEngine : public MediaEngine {
    Q_OBJECT
public:
    explicit MpvEngine(const MpvEngineOptions& options = {}, QObject* parent = nullptr);
    ~MpvEngine() override;
    MpvEngine(const MpvEngine&) = delete;
    MpvEngine& operator=(const MpvEngine&) = delete;

    // False when libmpv could not be started; then load() and play() fail with a run-time error.
    bool isValid() const { return m_handle != nullptr; }
    mpv_handle* handle() const { return m_handle; }
    bool usesRenderApi() const { return m_options.renderApi; }

    // The surface says when it can draw (its render context exists) and when it cannot any more.
    // With the render API a file is opened only once the surface can draw.
    void setVideoReady(bool ready);
    bool isVideoReady() const { return m_videoReady; }
    // What the surface runs to take a picture libmpv has ready while the UI thread waits on
    // libmpv: libmpv's picture thread waits for each picture to be taken (up to a fifth of a
    // second), and closing a file waits for that thread. Empty when nothing draws.
    void setFrameService(std::function<void()> service) { m_frameService = std::move(service); }

    // Lets go of libmpv for good (whatever draws with it lets go first); the engine then behaves
    // as one that could not be started. The destructor does the same.
    void release();

    void load(const QString& path) override;
    void unload() override;
    void play() override;
    void pause() override;
    void stop() override;
    QString fileName() const override { return m_fileName; }
    EngineState state() const override { return m_state; }
    double position() const override;
    void setPosition(double seconds) override;
    double duration() const override;
    double rate() const override;
    void setRate(double rate) override;
    bool isMuted() const override;
    void setMuted(bool muted) override;
    int volume() const override;
    void setVolume(int volume) override;
    QSize pictureSize() const override;
    // A plain file after a plain file is put after it in libmpv's own play list, which opens it
    // ahead of the end and goes on into it without a gap; a play list, a MIDI song or a file of
    // another engine is left to the ordinary load after the end.
    void setNext(const QString& path) override;
    QString next() const override { return m_next.path; }
    // How many loads found their file playing already, the end before having gone into it.
    int seamlessStarts() const { return m_seamlessStarts; }
    int errorCode() const override { return m_errorCode; }
    QString errorText() const override { return m_errorText; }

    // A libmpv property as text; "" when it cannot be read.
    QString mpvProperty(const char* name) const;

    // The program's text for one of libmpv's error codes.
    static QString errorTextFor(int mpvError);

    // How long unload() waits at most for libmpv to let go of the file.
    static constexpr int kReleaseWaitMs = 2000;
    // How long the surface waits at most for libmpv's video output to go before it lets go.
    static constexpr int kVideoOutputWaitMs = 500;
    // How long a file waits for the surface before it is opened without a picture.
    static constexpr int kVideoWaitMs = 1500;

signals:
    // Playback has (re)started after an open or a seek: its first picture or sound is ready,
    // and position() reads where it landed. The control bar reads the position again then, so
    // a seek shows where it landed (a video's key frame) also while the file is paused.
    void playbackRestarted();
    // The handle is about to go: whatever draws with it must let go of it now.
    void handleAboutToBeDestroyed();

private:
    // One libmpv event, copied out of libmpv's buffer.
    struct Event {
        int id = 0;
        std::int64_t entry = -1;
        int reason = 0;
        int error = 0;
        std::int64_t insertId = 0;
        int insertCount = 0;
        std::uint64_t reply = 0;
        std::int64_t replyEntry = -1;  // a loadfile's reply: the entry it made
    };
    // The next file in libmpv's play list: asked for (serial), then known by its entry; under
    // way once the file before ended into it, until a load takes it up.
    struct Next {
        QString path;
        std::uint64_t serial = 0;
        std::int64_t entry = -1;
        bool underway = false;
    };
    enum class Intent { Stop, Pause, Play };

    static void onWakeup(void* self);
    void scheduleDrain();
    void drainEvents();
    Event fetch(double timeoutSeconds);
    void dispatch(const Event& e);
    void onEndFile(const Event& e);
    void onFileLoaded();

    void requireHandle() const;
    void beginLoad();
    void startLoad(bool sameClip = false);
    void readMetafile();
    void readMidi();
    void dropMidi();
    [[noreturn]] void refuse(int mpvError, const QString& text);
    // A command that keeps taking frames while it waits, where a surface draws them.
    void runCommand(const char** args);
    std::int64_t loadEntry(const QByteArray& target, const char* flag, const QByteArray& options);
    void dropStandIns(std::int64_t entry);
    void reportEntryError(int mpvError);
    void endAfterFailedEntry(int mpvError);
    void abandonClip();
    void stopCurrent(bool waitForRelease);
    void issueSeek(double seconds);
    void setState(EngineState state);
    void updatePictureSize();
    void park();
    void awaitVideoOutputGone();
    void dropParked();
    void dropNext();
    void nextAdded(std::uint64_t serial, std::int64_t entry);
    void removeEntry(std::int64_t entry);
    bool adoptNext(const QString& path);
    void setPaused(bool paused);

    // Waits for the reply to a request sent with the tag while the surface takes its pictures;
    // the events met meanwhile are kept for the next drain. libmpv's result, or an error when no
    // reply came in time.
    int awaitReply(std::uint64_t tag);
    Event awaitReplyEvent(std::uint64_t tag);
    bool setMpvProperty(const char* name, int format, void* value);
    bool setFlag(const char* name, bool value);
    bool setDouble(const char* name, double value);
    bool flag(const char* name, bool fallback) const;
    double number(const char* name, double fallback) const;
    std::int64_t integer(const char* name, std::int64_t fallback) const;

    MpvEngineOptions m_options;
    mpv_handle* m_handle = nullptr;

    QString m_fileName;
    // What a metafile plays, in order, read when it is loaded; empty for a plain file.
    QList<MetafileEntry> m_entries;
    // The protocol that hands libmpv the synthesized sound of MIDI files (null without a
    // synthesizer), and the address of the current MIDI file's song ("" for any other file).
    std::unique_ptr<MidiStreams> m_midi;
    QByteArray m_midiTarget;
    EngineState m_state = EngineState::Closed;
    Intent m_intent = Intent::Stop;
    int m_errorCode = 0;
    QString m_errorText;
    QSize m_picture{0, 0};

    // The playlist entries of the current request (more than one when the file was a play list),
    // and the entry libmpv is on.
    RequestEntries m_request;
    std::int64_t m_currentEntry = -1;
    // Counts the requests (loads, unloads): what a listener started while a signal was out.
    std::uint64_t m_requestSerial = 0;
    bool m_open = false;  // libmpv has an entry of the request open
    // The request's clip was reported open and not yet closed; the clip of a request given up
    // before waits for libmpv to report its end.
    bool m_clipOpen = false;

    std::optional<double> m_pendingSeek;
    bool m_seekIssued = false;
    std::uint64_t m_seekSerial = 0;
    std::uint64_t m_seekReplied = 0;

    bool m_videoReady = false;
    std::function<void()> m_frameService;
    std::uint64_t m_servedSerial = 0;
    bool m_waitingForVideo = false;
    QTimer m_videoWait;
    // The file was closed while the surface had no render context (it moved to another window);
    // it is opened again at the pending position.
    bool m_parked = false;

    Next m_next;
    std::uint64_t m_nextSerial = 0;
    int m_seamlessStarts = 0;
    std::optional<bool> m_pauseSet;  // the pause flag as last set here

    std::deque<Event> m_stash;  // fetched while waiting for a release, not dispatched yet
    std::atomic<bool> m_drainQueued{false};
    bool m_draining = false;
};
