#include "player/mpv_engine.h"

#include <mpv/client.h>

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include "platform/file_name_codec.h"
#include "platform/run_error.h"
#include "player/messages.h"
#include "player/metafile_expander.h"
#include "player/midi_file.h"
#include "player/midi_stream.h"
#include "player/midi_synth.h"
#include "player/player_errors.h"

namespace {

constexpr std::uint64_t kSeekReplyTag = std::uint64_t(1) << 62;
// Requests whose reply the UI thread waits for while the surface takes its pictures.
constexpr std::uint64_t kServedReplyTag = std::uint64_t(1) << 61;
// The loadfile that puts the next file after the one playing.
constexpr std::uint64_t kNextReplyTag = std::uint64_t(1) << 60;
// How long one wait on libmpv lasts while the surface has pictures to take.
constexpr double kSliceSeconds = 0.005;

// libmpv reads a synthesized song only a little ahead: every second read ahead is synthesis
// done before it is heard, and thrown away by a seek.
constexpr const char* kMidiFileOptions = "demuxer-readahead-secs=0.5,cache=no";

// libmpv refuses to start unless numbers are read and written the C way.
// The play-list entry a loadfile's reply names; -1 when none.
std::int64_t entryIdOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP) {
        return -1;
    }
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64) {
            return map->values[i].u.int64;
        }
    }
    return -1;
}

void useCNumericLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current == nullptr || std::strcmp(current, "C") != 0) {
        std::setlocale(LC_NUMERIC, "C");
    }
}

}  // namespace

MpvEngine::MpvEngine(const MpvEngineOptions& options, QObject* parent)
    : MediaEngine(parent), m_options(options) {
    m_videoWait.setSingleShot(true);
    m_videoWait.setInterval(kVideoWaitMs);
    connect(&m_videoWait, &QTimer::timeout, this, [this] {
        // The surface never became ready (the window may be minimised): play without a picture
        // rather than not at all.
        if (!m_waitingForVideo) {
            return;
        }
        m_waitingForVideo = false;
        try {
            startLoad();
        } catch (const RunError&) {
            setState(EngineState::Closed);
        }
    });

    useCNumericLocale();
    m_handle = mpv_create();
    if (m_handle == nullptr) {
        return;
    }
    const QByteArray audioOutput = m_options.audioOutput.toUtf8();
    const std::pair<const char*, const char*> settings[] = {
        {"vo", m_options.renderApi ? "libmpv" : "null"},
        {"ao", audioOutput.isEmpty() ? nullptr : audioOutput.constData()},
        {"audio-fallback-to-null", "yes"},
        // Nothing may look beside the file: in a folder of 100,000 files every such scan costs
        // a tenth of a second, and a picture lying beside a sound file would give it a size.
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
        // A sound file shows the cover picture it carries itself, and nothing else.
        {"audio-display", "embedded-first"},
        {"resume-playback", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        // A file is played as itself, never as a list of other files: a sound file that holds a
        // play list, an EDL or CUE text or an archive would otherwise make libmpv open what it
        // names. Addresses a metafile names are let follow theirs (see startLoad).
        {"access-references", "no"},
        {"osc", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        // Decoding is done in software; loading every hardware interop only costs time.
        {"gpu-hwdec-interop", "no"},
        {"keep-open", "no"},
        // The next file of the list, once handed over (see setNext), is opened before the end
        // of the one playing, and its sound follows without the device being opened again
        // where the two have the same format.
        {"prefetch-playlist", "yes"},
        {"gapless-audio", "weak"},
        // A picture stays until the next file; the slide show decides when that is.
        {"image-display-duration", "inf"},
        // An address a metafile names that does not answer fails in a few seconds, not a minute.
        {"network-timeout", "10"},
        {"pause", "yes"},
    };
    for (const auto& [name, value] : settings) {
        if (value != nullptr) {
            mpv_set_option_string(m_handle, name, value);
        }
    }
    if (mpv_initialize(m_handle) < 0) {
        mpv_terminate_destroy(m_handle);
        m_handle = nullptr;
        return;
    }
    mpv_set_wakeup_callback(m_handle, &MpvEngine::onWakeup, this);
    if (m_options.midiSynth != nullptr) {
        m_midi = std::make_unique<MidiStreams>(*m_options.midiSynth);
        if (!m_midi->attach(m_handle)) {
            m_midi.reset();
        }
    }
}

MpvEngine::~MpvEngine() {
    release();
}

void MpvEngine::release() {
    m_videoWait.stop();
    m_waitingForVideo = false;
    if (m_handle == nullptr) {
        return;
    }
    mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    // The surface closes the file and frees its render context while the handle still lives.
    emit handleAboutToBeDestroyed();
    mpv_terminate_destroy(m_handle);
    m_handle = nullptr;
    m_frameService = nullptr;
    m_stash.clear();
    m_open = false;
    m_parked = false;
    m_pendingSeek.reset();
    m_request.clear();
    m_currentEntry = -1;
    m_next = {};
    m_pauseSet.reset();
    dropMidi();
}

// ---- events -------------------------------------------------------------------------------

void MpvEngine::onWakeup(void* self) {
    // libmpv's thread: it must not call libmpv, only ask the UI thread to.
    static_cast<MpvEngine*>(self)->scheduleDrain();
}

void MpvEngine::scheduleDrain() {
    if (!m_drainQueued.exchange(true)) {
        QMetaObject::invokeMethod(this, &MpvEngine::drainEvents, Qt::QueuedConnection);
    }
}

MpvEngine::Event MpvEngine::fetch(double timeoutSeconds) {
    Event e;
    const mpv_event* ev = mpv_wait_event(m_handle, timeoutSeconds);
    e.id = ev->event_id;
    e.error = ev->error;
    e.reply = ev->reply_userdata;
    if (ev->event_id == MPV_EVENT_START_FILE && ev->data != nullptr) {
        e.entry = static_cast<const mpv_event_start_file*>(ev->data)->playlist_entry_id;
    } else if (ev->event_id == MPV_EVENT_END_FILE && ev->data != nullptr) {
        const auto* end = static_cast<const mpv_event_end_file*>(ev->data);
        e.entry = end->playlist_entry_id;
        e.reason = end->reason;
        e.error = end->error;
        e.insertId = end->playlist_insert_id;
        e.insertCount = end->playlist_insert_num_entries;
    } else if (ev->event_id == MPV_EVENT_COMMAND_REPLY && ev->data != nullptr) {
        e.replyEntry = entryIdOf(static_cast<const mpv_event_command*>(ev->data)->result);
    }
    return e;
}

void MpvEngine::drainEvents() {
    m_drainQueued = false;
    // A handler may open a modal box, whose event loop would call this again.
    if (m_draining || m_handle == nullptr) {
        return;
    }
    m_draining = true;
    for (;;) {
        Event e;
        if (!m_stash.empty()) {
            e = m_stash.front();
            m_stash.pop_front();
        } else {
            e = fetch(0);
            if (e.id == MPV_EVENT_NONE) {
                break;
            }
        }
        try {
            dispatch(e);
        } catch (...) {
            // A failure in a handler must not stop the events that follow.
        }
    }
    m_draining = false;
}

void MpvEngine::dispatch(const Event& e) {
    switch (e.id) {
        case MPV_EVENT_START_FILE:
            if (m_request.contains(e.entry)) {
                m_currentEntry = e.entry;
            }
            break;
        case MPV_EVENT_FILE_LOADED:
            if (m_request.contains(m_currentEntry) && !m_open) {
                onFileLoaded();
            }
            break;
        case MPV_EVENT_END_FILE:
            onEndFile(e);
            break;
        case MPV_EVENT_VIDEO_RECONFIG:
            if (m_open) {
                updatePictureSize();
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (m_seekIssued && m_seekReplied == m_seekSerial) {
                m_pendingSeek.reset();
                m_seekIssued = false;
            }
            if (m_open) {
                emit playbackRestarted();
            }
            break;
        case MPV_EVENT_COMMAND_REPLY:
            if ((e.reply & kNextReplyTag) != 0) {
                nextAdded(e.reply & ~kNextReplyTag, e.error < 0 ? -1 : e.replyEntry);
            } else if ((e.reply & kSeekReplyTag) != 0) {
                const std::uint64_t serial = e.reply & ~kSeekReplyTag;
                m_seekReplied = std::max(m_seekReplied, serial);
                if (e.error < 0 && serial == m_seekSerial && m_open) {
                    m_pendingSeek.reset();
                    m_seekIssued = false;
                    emit warning(player_msg::seekFailed());
                }
            }
            break;
        default:
            break;
    }
}

void MpvEngine::onFileLoaded() {
    m_open = true;
    // This reference plays: the stand-ins for it are not wanted any more.
    dropStandIns(m_currentEntry);
    if (m_pendingSeek && !m_seekIssued) {
        issueSeek(*m_pendingSeek);
    }
    updatePictureSize();
    // A file libmpv went on into by itself plays only once asked to.
    setPaused(m_intent != Intent::Play);
    switch (m_intent) {
        case Intent::Play:
            setState(EngineState::Playing);
            break;
        case Intent::Pause:
            setState(EngineState::Paused);
            break;
        case Intent::Stop:
            setState(EngineState::Stopped);
            break;
    }
    // One clip per request: the entries of a play list, or a file opened again after the
    // surface moved, are not new clips.
    if (!m_clipOpen) {
        m_clipOpen = true;
        emit newStream();
        emit clipOpened();
    }
}

void MpvEngine::dropStandIns(std::int64_t entry) {
    QList<std::int64_t> standIns = m_request.takeStandInsAfter(entry);
    if (standIns.isEmpty()) {
        return;
    }
    // They follow the entry playing now in libmpv's play list.
    const std::int64_t count = integer("playlist-count", 0);
    for (std::int64_t i = integer("playlist-pos", -1) + 1;
         i >= 1 && i < count && !standIns.isEmpty();) {
        const QByteArray index = QByteArray::number(i);
        if (standIns.removeOne(integer(QByteArray("playlist/" + index + "/id").constData(), -1))) {
            const char* args[] = {"playlist-remove", index.constData(), nullptr};
            mpv_command(m_handle, args);
        } else {
            ++i;
        }
    }
}

void MpvEngine::reportEntryError(int mpvError) {
    m_errorCode = mpvError;
    m_errorText = errorTextFor(mpvError);
    emit error(m_errorCode, m_errorText);
}

void MpvEngine::endAfterFailedEntry(int mpvError) {
    m_pendingSeek.reset();
    m_seekIssued = false;
    m_intent = Intent::Stop;
    m_request.clear();
    setState(EngineState::Stopped);
    reportEntryError(mpvError);
    // The end comes after the failure has been told (its box is queued already), so that the
    // next file's start does not replace what the box reports.
    const std::uint64_t request = m_requestSerial;
    QMetaObject::invokeMethod(
        this,
        [this, request] {
            if (request != m_requestSerial) {
                return;  // something else was started meanwhile: that has replaced this end
            }
            if (m_clipOpen) {
                m_clipOpen = false;
                emit clipClosed();
            }
            if (request == m_requestSerial) {
                emit endOfStream();
            }
        },
        Qt::QueuedConnection);
}

void MpvEngine::onEndFile(const Event& e) {
    if (e.entry == m_currentEntry) {
        m_currentEntry = -1;
    }
    if (!m_request.contains(e.entry)) {
        if (e.entry == m_next.entry) {
            m_next = {};  // the next file ended before anyone took it up (it failed)
        }
        return;  // a file given up before: its clip was closed when it was given up
    }
    if (m_next.serial != 0 && m_request.isLast(e.entry) &&
        (e.reason == MPV_END_FILE_REASON_EOF || e.reason == MPV_END_FILE_REASON_ERROR)) {
        // libmpv goes on into the next file of its list: after an end it is the next load's,
        // if that asks for it, and stopped otherwise; after a failure it is stopped at once.
        m_next.underway = m_next.entry >= 0;
        if (e.reason == MPV_END_FILE_REASON_ERROR || !m_next.underway) {
            m_next.underway = true;
            dropNext();
        }
    }
    if (e.reason == MPV_END_FILE_REASON_REDIRECT) {
        // The entry was a play list (at an address): its entries take its place.
        m_request.replace(e.entry, e.insertId, e.insertCount);
        return;
    }
    m_open = false;
    const bool failed = e.reason == MPV_END_FILE_REASON_ERROR;
    if (!m_request.isLast(e.entry) && (e.reason == MPV_END_FILE_REASON_EOF || failed)) {
        // libmpv goes on with the next entry of the play list, a stand-in for this one first;
        // an entry of which nothing could be played is reported on the way.
        if (failed && m_request.isLastChoice(e.entry)) {
            reportEntryError(e.error);
        }
        return;
    }
    if (failed && !m_entries.isEmpty() && m_clipOpen) {
        // The last entry of a metafile failed after others played: the metafile has still come
        // to its end.
        endAfterFailedEntry(e.error);
        return;
    }
    if (m_clipOpen) {
        m_clipOpen = false;
        const std::uint64_t request = m_requestSerial;
        emit clipClosed();
        if (request != m_requestSerial) {
            return;  // a listener started the next file at the close: this end is over
        }
    }
    switch (e.reason) {
        case MPV_END_FILE_REASON_EOF:
            m_pendingSeek.reset();
            m_seekIssued = false;
            m_intent = Intent::Stop;
            setState(EngineState::Stopped);
            emit endOfStream();
            if (m_next.underway) {
                dropNext();  // nobody took it up: it must not play on its own
            }
            break;
        case MPV_END_FILE_REASON_ERROR:
            m_pendingSeek.reset();
            m_seekIssued = false;
            m_intent = Intent::Stop;
            m_request.clear();
            setState(EngineState::Closed);
            reportEntryError(e.error);
            break;
        default:
            break;  // stopped or replaced on request: the request itself set the state
    }
}

// ---- requests -----------------------------------------------------------------------------

void MpvEngine::requireHandle() const {
    if (m_handle == nullptr) {
        throw RunError(player_error::kEngineMissing);
    }
}

void MpvEngine::load(const QString& path) {
    requireHandle();
    ++m_requestSerial;
    dropParked();
    m_fileName = path;
    m_errorCode = 0;
    m_errorText.clear();
    m_intent = Intent::Stop;
    m_pendingSeek.reset();
    m_seekIssued = false;
    m_parked = false;
    dropMidi();
    if (adoptNext(path)) {
        return;
    }
    m_next = {};  // the load replaces libmpv's whole list, the next file with it
    readMetafile();
    readMidi();
    beginLoad();
}

bool MpvEngine::adoptNext(const QString& path) {
    if (!m_next.underway || path != m_next.path) {
        return false;
    }
    // libmpv is in it already, playing: the file opens as if loaded, without a load.
    m_request.clear();
    m_request.append(m_next.entry, 0, 0);
    m_currentEntry = -1;
    m_open = false;
    m_next = {};
    ++m_seamlessStarts;
    // The files played before it leave libmpv's list, which keeps the one playing.
    const char* clear[] = {"playlist-clear", nullptr};
    mpv_command_async(m_handle, 0, clear);
    setState(EngineState::Opening);
    return true;
}

void MpvEngine::setNext(const QString& path) {
    // One under way is the next load's to take up, or given up once the end has been told.
    if (m_next.underway || path == m_next.path) {
        return;
    }
    dropNext();
    const bool plain = m_entries.isEmpty() && m_midiTarget.isEmpty() && !m_request.isEmpty();
    if (path.isEmpty() || m_handle == nullptr || !plain || m_parked || m_waitingForVideo ||
        !path.startsWith(u'/')) {
        return;
    }
    const QString extension = QFileInfo(path).suffix().toLower();
    if (metafileFormatOf(extension) != MetafileFormat::None || extension == u"mid" ||
        extension == u"rmi") {
        return;
    }
    const QByteArray target = encodeFileName(path);
    const char* args[] = {"loadfile", target.constData(), "append", nullptr};
    const std::uint64_t serial = ++m_nextSerial;
    if (mpv_command_async(m_handle, kNextReplyTag | serial, args) >= 0) {
        m_next.path = path;
        m_next.serial = serial;
    }
}

void MpvEngine::nextAdded(std::uint64_t serial, std::int64_t entry) {
    if (serial == m_next.serial && m_next.entry < 0) {
        if (entry < 0) {
            m_next = {};  // refused: the ordinary load will tell why
        } else {
            m_next.entry = entry;
        }
        return;
    }
    if (entry >= 0) {
        removeEntry(entry);  // given up while it was being added
    }
}

void MpvEngine::removeEntry(std::int64_t entry) {
    const std::int64_t count = integer("playlist-count", 0);
    for (std::int64_t i = 0; i < count; ++i) {
        const QByteArray index = QByteArray::number(i);
        if (integer(QByteArray("playlist/" + index + "/id").constData(), -1) == entry) {
            const char* args[] = {"playlist-remove", index.constData(), nullptr};
            mpv_command_async(m_handle, 0, args);
            return;
        }
    }
}

void MpvEngine::dropNext() {
    const Next next = std::exchange(m_next, {});
    if (m_handle == nullptr || next.serial == 0) {
        return;
    }
    if (next.underway) {
        const char* args[] = {"stop", nullptr};
        mpv_command_async(m_handle, 0, args);
    } else if (next.entry >= 0) {
        removeEntry(next.entry);
    }
    // One still being added is removed when libmpv answers (see nextAdded).
}

void MpvEngine::setPaused(bool paused) {
    if (m_pauseSet != paused && setFlag("pause", paused)) {
        m_pauseSet = paused;
    }
}

void MpvEngine::refuse(int mpvError, const QString& text) {
    m_errorCode = mpvError;
    m_errorText = text;
    stopCurrent(false);
    setState(EngineState::Closed);
    throw RunError(player_error::kEngineRefused);
}

void MpvEngine::readMidi() {
    const QString extension = QFileInfo(m_fileName).suffix().toLower();
    if (extension != u"mid" && extension != u"rmi") {
        return;
    }
    if (!m_midi) {
        refuse(MPV_ERROR_UNSUPPORTED, player_msg::engineUnsupported());
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(MPV_ERROR_LOADING_FAILED, player_msg::engineLoadingFailed());
    }
    const QByteArray bytes = file.read(qint64(kMaxMidiBytes) + 1);
    std::optional<MidiSong> song = ::readMidi(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    if (!song) {
        refuse(MPV_ERROR_UNKNOWN_FORMAT, player_msg::engineUnknownFormat());
    }
    MidiSynth& synth = m_midi->synth();
    if (!synth.load()) {
        refuse(MPV_ERROR_LOADING_FAILED, player_msg::soundFontMissing(synth.soundFontPath()));
    }
    m_midiTarget = m_midi->add(std::make_shared<const MidiSong>(std::move(*song)));
}

void MpvEngine::dropMidi() {
    if (m_midi && !m_midiTarget.isEmpty()) {
        m_midi->drop(m_midiTarget);
    }
    m_midiTarget.clear();
}

void MpvEngine::readMetafile() {
    m_entries.clear();
    const MetafileFormat format = metafileFormatOf(QFileInfo(m_fileName).suffix().toLower());
    if (format == MetafileFormat::None) {
        return;
    }
    const MetafilePlan plan = expandMetafile(m_fileName, format);
    if (plan.entries.isEmpty()) {
        refuse(MPV_ERROR_LOADING_FAILED,
               plan.refused ? player_msg::metafileLoops() : player_msg::engineNothingToPlay());
    }
    m_entries = plan.entries;
}

std::int64_t MpvEngine::loadEntry(const QByteArray& target, const char* flag,
                                  const QByteArray& options) {
    const char* args[] = {"loadfile", target.constData(), flag,
                          options.isEmpty() ? nullptr : options.constData(), nullptr};
    std::int64_t entry = -1;
    int rc = 0;
    if (m_frameService) {
        // While a surface draws, libmpv's core may wait for it to take a picture: the load is
        // asked without blocking, and the pictures are taken until libmpv answers.
        const std::uint64_t tag = kServedReplyTag | ++m_servedSerial;
        rc = mpv_command_async(m_handle, tag, args);
        if (rc >= 0) {
            const Event reply = awaitReplyEvent(tag);
            rc = reply.error;
            entry = reply.replyEntry;
        }
    } else {
        mpv_node result{};
        rc = mpv_command_ret(m_handle, args, &result);
        entry = entryIdOf(result);
        mpv_free_node_contents(&result);
    }
    if (rc < 0) {
        m_errorCode = rc;
        m_errorText = errorTextFor(rc);
        m_request.clear();
        setState(EngineState::Closed);
        throw RunError(player_error::kEngineRefused);
    }
    return entry;
}

void MpvEngine::beginLoad() {
    setState(EngineState::Opening);
    if (m_options.renderApi && !m_videoReady) {
        // Without a render context libmpv would give up the picture for good: wait for the
        // surface, and let go of what was open meanwhile.
        stopCurrent(false);
        m_waitingForVideo = true;
        m_videoWait.start();
        return;
    }
    startLoad();
}

namespace {

// What one entry of a metafile is opened with.
QByteArray entryOptions(const QString& target, double seconds) {
    QByteArrayList options;
    if (seconds > 0) {
        options << "image-display-duration=" + QByteArray::number(seconds, 'f', 3);
    }
    if (!target.startsWith(u'/')) {
        // An address may stand for a list of its own (a stream cut into parts); libmpv never
        // lets such a list lead to local files.
        options << QByteArrayLiteral("access-references=yes");
    }
    return options.join(',');
}

}  // namespace

void MpvEngine::startLoad(bool sameClip) {
    m_waitingForVideo = false;
    m_videoWait.stop();
    ++m_requestSerial;
    // pause outlives loadfile, so every open says itself whether it plays.
    setPaused(m_intent != Intent::Play);
    RequestEntries request;
    const char* flag = "replace";
    const auto add = [&](const QString& target, const QByteArray& options, int entry, int choice) {
        const QByteArray name = target.startsWith(u'/') ? encodeFileName(target) : target.toUtf8();
        request.append(loadEntry(name, flag, options), entry, choice);
        flag = "append";
    };
    if (!m_midiTarget.isEmpty()) {
        request.append(loadEntry(m_midiTarget, flag, kMidiFileOptions), 0, 0);
    } else if (m_entries.isEmpty()) {
        add(m_fileName, {}, 0, 0);
    } else {
        // A metafile is one clip: its entries follow one another in libmpv's play list, each
        // followed by its stand-ins. They are all in the list before the first starts: an entry
        // that fails at once would otherwise find no next one, and libmpv would go idle.
        const char* stop[] = {"stop", nullptr};
        runCommand(stop);
        flag = "append";
        for (qsizetype n = 0; n < m_entries.size(); ++n) {
            const MetafileEntry& entry = m_entries[n];
            add(entry.target, entryOptions(entry.target, entry.seconds), int(n), 0);
            for (qsizetype k = 0; k < entry.alternatives.size(); ++k) {
                const QString& target = entry.alternatives[k];
                add(target, entryOptions(target, entry.seconds), int(n), int(k + 1));
            }
        }
    }
    if (!m_entries.isEmpty()) {
        const char* play[] = {"playlist-play-index", "0", nullptr};
        runCommand(play);
    }
    if (!sameClip) {
        abandonClip();
    }
    m_request = request;
    m_currentEntry = -1;
    m_open = false;
    if (!sameClip) {
        updatePictureSize();  // the last file's picture goes now, not when the next one opens
    }
}

void MpvEngine::runCommand(const char** args) {
    if (m_frameService) {
        const std::uint64_t tag = kServedReplyTag | ++m_servedSerial;
        if (mpv_command_async(m_handle, tag, args) >= 0) {
            awaitReply(tag);
        }
    } else {
        mpv_command(m_handle, args);
    }
}

void MpvEngine::stopCurrent(bool waitForRelease) {
    m_next = {};  // a stop empties libmpv's list
    if (m_handle == nullptr || m_request.isEmpty()) {
        m_request.clear();
        return;
    }
    abandonClip();
    const char* args[] = {"stop", nullptr};
    runCommand(args);
    if (waitForRelease) {
        // libmpv closes the file on its own thread after the stop; the file is free once the
        // entry's end has been reported. An entry that never started has nothing to close.
        // Events met on the way are kept for the UI thread's next drain.
        bool running = m_request.contains(m_currentEntry);
        auto follow = [&](const Event& e) {
            if (e.id == MPV_EVENT_START_FILE && m_request.contains(e.entry)) {
                running = true;
            } else if (e.id == MPV_EVENT_END_FILE && m_request.contains(e.entry) &&
                       e.reason != MPV_END_FILE_REASON_REDIRECT) {
                running = false;
            }
        };
        for (const Event& e : m_stash) {
            follow(e);
        }
        for (;;) {
            const Event e = fetch(0);
            if (e.id == MPV_EVENT_NONE) {
                break;
            }
            m_stash.push_back(e);
            follow(e);
        }
        QElapsedTimer waited;
        waited.start();
        // With a surface, the wait goes in short slices in which the surface takes the
        // pictures libmpv still hands it; otherwise libmpv's picture thread would hold the close
        // up for a fifth of a second per picture.
        while (running && waited.elapsed() < kReleaseWaitMs) {
            if (m_frameService) {
                m_frameService();
            }
            const double left = (kReleaseWaitMs - waited.elapsed()) / 1000.0;
            const Event e = fetch(m_frameService ? std::min(left, kSliceSeconds) : left);
            if (e.id == MPV_EVENT_NONE) {
                if (m_frameService) {
                    continue;
                }
                break;
            }
            m_stash.push_back(e);
            follow(e);
        }
        if (!m_stash.empty()) {
            scheduleDrain();
        }
    }
    m_request.clear();
}

void MpvEngine::abandonClip() {
    // The clip open now is closed by what comes next, and it is reported closed at once: the
    // close must come before anything the next file reports (its opening, its own clip), or
    // the listener would take it for the end of the next file.
    if (m_clipOpen) {
        m_clipOpen = false;
        emit clipClosed();
    }
}

void MpvEngine::dropParked() {
    // A parked file has no end to come from libmpv: its clip closes here.
    if (m_parked) {
        m_parked = false;
        if (m_clipOpen) {
            m_clipOpen = false;
            emit clipClosed();
        }
    }
}

void MpvEngine::unload() {
    ++m_requestSerial;
    dropParked();
    m_waitingForVideo = false;
    m_videoWait.stop();
    stopCurrent(true);
    m_currentEntry = -1;
    m_open = false;
    m_fileName.clear();
    m_entries.clear();
    dropMidi();
    m_intent = Intent::Stop;
    m_pendingSeek.reset();
    m_seekIssued = false;
    m_parked = false;
    updatePictureSize();
    setState(EngineState::Closed);
}

void MpvEngine::play() {
    requireHandle();
    if (m_fileName.isEmpty()) {
        return;
    }
    m_intent = Intent::Play;
    if (!m_open && m_state != EngineState::Opening && !m_parked) {
        // Ended, failed or never opened: open it again.
        beginLoad();
        return;
    }
    if (!m_waitingForVideo) {
        setPaused(false);
    }
    if (m_open || m_parked) {
        setState(EngineState::Playing);
    }
}

void MpvEngine::pause() {
    if (m_handle == nullptr) {
        return;
    }
    if (m_state == EngineState::Playing ||
        (m_state == EngineState::Opening && m_intent == Intent::Play)) {
        m_intent = Intent::Pause;
        setPaused(true);
        if (m_open || m_parked) {
            setState(EngineState::Paused);
        }
    }
}

void MpvEngine::stop() {
    if (m_handle == nullptr) {
        return;
    }
    if (m_state == EngineState::Closed) {
        return;
    }
    m_intent = Intent::Stop;
    setPaused(true);
    if (m_open) {
        issueSeek(0);
        setState(EngineState::Stopped);
    } else if (m_parked) {
        m_pendingSeek = 0;
        setState(EngineState::Stopped);
    } else if (m_state != EngineState::Opening) {
        setState(EngineState::Stopped);
    }
}

void MpvEngine::issueSeek(double seconds) {
    m_pendingSeek = seconds;
    m_seekIssued = true;
    ++m_seekSerial;
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    const char* args[] = {"seek", target.constData(), "absolute", nullptr};
    if (mpv_command_async(m_handle, kSeekReplyTag | m_seekSerial, args) < 0) {
        m_pendingSeek.reset();
        m_seekIssued = false;
    }
}

double MpvEngine::position() const {
    if (m_pendingSeek) {
        return *m_pendingSeek;
    }
    if (!m_open) {
        return 0;
    }
    return std::max(0.0, number("time-pos", 0));
}

void MpvEngine::setPosition(double seconds) {
    if (m_handle == nullptr) {
        return;
    }
    seconds = std::max(0.0, seconds);
    if (m_open) {
        issueSeek(seconds);
    } else if (m_state == EngineState::Opening || m_parked) {
        m_pendingSeek = seconds;  // taken up when the file is open
        m_seekIssued = false;
    }
}

double MpvEngine::duration() const {
    return m_open ? std::max(0.0, number("duration", 0)) : 0;
}

double MpvEngine::rate() const {
    return number("speed", 1.0);
}

void MpvEngine::setRate(double rate) {
    if (m_handle != nullptr && rate > 0) {
        setDouble("speed", rate);
    }
}

bool MpvEngine::isMuted() const {
    return flag("mute", false);
}

void MpvEngine::setMuted(bool muted) {
    if (m_handle != nullptr) {
        setFlag("mute", muted);
    }
}

int MpvEngine::volume() const {
    return static_cast<int>(std::lround(number("volume", 100)));
}

void MpvEngine::setVolume(int volume) {
    if (m_handle != nullptr) {
        setDouble("volume", std::clamp(volume, 0, 100));
    }
}

QSize MpvEngine::pictureSize() const {
    if (!m_open) {
        return {0, 0};
    }
    const auto w = integer("width", 0);
    const auto h = integer("height", 0);
    if (w < 1 || h < 1) {
        return {0, 0};
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

void MpvEngine::updatePictureSize() {
    const QSize size = pictureSize();
    if (size != m_picture) {
        m_picture = size;
        emit pictureSizeChanged(size);
    }
}

void MpvEngine::setState(EngineState state) {
    if (state != m_state) {
        const EngineState old = m_state;
        m_state = state;
        emit stateChanged(old, state);
    }
}

// ---- the surface --------------------------------------------------------------------------

void MpvEngine::setVideoReady(bool ready) {
    if (ready == m_videoReady || m_handle == nullptr) {
        m_videoReady = ready;
        return;
    }
    m_videoReady = ready;
    if (!ready) {
        // Called before the render context goes: libmpv would drop the picture for good (and
        // end a file that has nothing else), so the file is closed first and opened again where
        // it was once the surface can draw.
        if ((m_open || m_state == EngineState::Opening) && !m_request.isEmpty() && !m_parked) {
            park();
        }
        awaitVideoOutputGone();
        return;
    }
    try {
        if (m_waitingForVideo) {
            startLoad();
        } else if (m_parked) {
            m_parked = false;
            startLoad(true);
        }
    } catch (const RunError&) {
        setState(EngineState::Closed);
    }
}

void MpvEngine::awaitVideoOutputGone() {
    // Without a file libmpv takes its video output down on its own; the surface's render
    // context is freed at once only once that has happened, while a picture handed over
    // meanwhile would hold the output's thread up for a fifth of a second.
    if (!m_frameService) {
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (!mpvProperty("current-vo").isEmpty() && waited.elapsed() < kVideoOutputWaitMs) {
        m_frameService();
        QThread::usleep(500);
    }
}

void MpvEngine::park() {
    if (!m_pendingSeek) {
        m_pendingSeek = position();
    }
    m_seekIssued = false;
    m_parked = true;
    // The clip stays open as far as anyone outside can tell.
    const bool clipOpen = m_clipOpen;
    m_clipOpen = false;
    stopCurrent(true);
    m_clipOpen = clipOpen;
    m_open = false;
    m_currentEntry = -1;
}

// ---- properties ---------------------------------------------------------------------------

int MpvEngine::awaitReply(std::uint64_t tag) {
    return awaitReplyEvent(tag).error;
}

MpvEngine::Event MpvEngine::awaitReplyEvent(std::uint64_t tag) {
    QElapsedTimer waited;
    waited.start();
    Event reply;
    reply.error = MPV_ERROR_GENERIC;
    while (waited.elapsed() < kReleaseWaitMs) {
        m_frameService();
        const Event e = fetch(kSliceSeconds);
        if (e.id == MPV_EVENT_NONE) {
            continue;
        }
        if ((e.id == MPV_EVENT_SET_PROPERTY_REPLY || e.id == MPV_EVENT_COMMAND_REPLY) &&
            e.reply == tag) {
            reply = e;
            break;
        }
        m_stash.push_back(e);
    }
    if (!m_stash.empty()) {
        scheduleDrain();
    }
    return reply;
}

bool MpvEngine::setMpvProperty(const char* name, int format, void* value) {
    if (m_handle == nullptr) {
        return false;
    }
    // While a surface draws, libmpv's core may be waiting on its picture thread, which waits for
    // the surface to take a picture: the UI thread keeps taking them until the value is set.
    if (m_frameService) {
        const std::uint64_t tag = kServedReplyTag | ++m_servedSerial;
        const auto f = static_cast<mpv_format>(format);
        return mpv_set_property_async(m_handle, tag, name, f, value) >= 0 && awaitReply(tag) >= 0;
    }
    return mpv_set_property(m_handle, name, static_cast<mpv_format>(format), value) >= 0;
}

bool MpvEngine::setFlag(const char* name, bool value) {
    int v = value ? 1 : 0;
    return setMpvProperty(name, MPV_FORMAT_FLAG, &v);
}

bool MpvEngine::setDouble(const char* name, double value) {
    return setMpvProperty(name, MPV_FORMAT_DOUBLE, &value);
}

bool MpvEngine::flag(const char* name, bool fallback) const {
    int v = 0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_FLAG, &v) < 0) {
        return fallback;
    }
    return v != 0;
}

double MpvEngine::number(const char* name, double fallback) const {
    double v = 0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_DOUBLE, &v) < 0) {
        return fallback;
    }
    return v;
}

std::int64_t MpvEngine::integer(const char* name, std::int64_t fallback) const {
    std::int64_t v = 0;
    if (m_handle == nullptr || mpv_get_property(m_handle, name, MPV_FORMAT_INT64, &v) < 0) {
        return fallback;
    }
    return v;
}

QString MpvEngine::mpvProperty(const char* name) const {
    if (m_handle == nullptr) {
        return {};
    }
    char* text = mpv_get_property_string(m_handle, name);
    if (text == nullptr) {
        return {};
    }
    const QString result = QString::fromUtf8(text);
    mpv_free(text);
    return result;
}

QString MpvEngine::errorTextFor(int mpvError) {
    switch (mpvError) {
        case 0:
            return {};
        case MPV_ERROR_LOADING_FAILED:
            return player_msg::engineLoadingFailed();
        case MPV_ERROR_UNKNOWN_FORMAT:
            return player_msg::engineUnknownFormat();
        case MPV_ERROR_NOTHING_TO_PLAY:
            return player_msg::engineNothingToPlay();
        case MPV_ERROR_AO_INIT_FAILED:
            return player_msg::engineAudioFailed();
        case MPV_ERROR_VO_INIT_FAILED:
            return player_msg::engineVideoFailed();
        case MPV_ERROR_UNSUPPORTED:
            return player_msg::engineUnsupported();
        case MPV_ERROR_NOMEM:
            return player_msg::engineOutOfMemory();
        case MPV_ERROR_UNINITIALIZED:
            return player_msg::engineNotReady();
        default:
            return player_msg::engineGeneric();
    }
}
