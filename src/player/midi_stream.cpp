#include "player/midi_stream.h"

#include <mpv/client.h>
#include <mpv/stream_cb.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "player/midi_synth.h"

namespace {

// The most frames one read renders. libmpv asks for large blocks; a short read lets the sound
// start after a few milliseconds of synthesis instead of a whole buffer's worth.
constexpr int kFramesPerRead = 2048;

void putLe(QByteArray& b, int at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        b[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// One opened stream: the header, then the song's frames as rendered from where libmpv reads.
class Stream {
public:
    Stream(std::shared_ptr<const MidiSong> song, MidiSynth& synth)
        : m_renderer(std::move(song), synth),
          m_header(MidiStreams::waveHeader(m_renderer.frames())),
          m_size(MidiStreams::kWaveHeaderBytes + m_renderer.frames() * kMidiBytesPerFrame) {}

    std::int64_t size() const { return m_size; }

    std::int64_t seek(std::int64_t offset) {
        if (offset < 0 || offset > m_size) {
            return MPV_ERROR_GENERIC;
        }
        m_offset = offset;
        return offset;
    }

    std::int64_t read(char* buf, std::uint64_t nbytes) {
        const std::int64_t want = static_cast<std::int64_t>(
            std::min<std::uint64_t>(nbytes, std::uint64_t(m_size - m_offset)));
        if (want <= 0) {
            return 0;
        }
        if (m_offset < MidiStreams::kWaveHeaderBytes) {
            const auto n = std::min<std::int64_t>(want, MidiStreams::kWaveHeaderBytes - m_offset);
            std::memcpy(buf, m_header.constData() + m_offset, static_cast<std::size_t>(n));
            m_offset += n;
            return n;
        }
        // Whole frames are rendered, a block at a time; a read that starts inside the last
        // block (libmpv's reads need not end on a frame) takes the rest of it from there.
        const std::int64_t pcm = m_offset - MidiStreams::kWaveHeaderBytes;
        const std::int64_t first = pcm / kMidiBytesPerFrame;
        if (first < m_blockFirst || first >= m_blockFirst + m_blockFrames) {
            const std::int64_t wanted =
                (pcm % kMidiBytesPerFrame + want + kMidiBytesPerFrame - 1) / kMidiBytesPerFrame;
            const int frames = static_cast<int>(
                std::min<std::int64_t>({wanted, kFramesPerRead, m_renderer.frames() - first}));
            m_block.resize(std::size_t(frames) * kMidiChannels);
            if (!m_renderer.render(first, m_block.data(), frames)) {
                m_blockFrames = 0;
                return -1;
            }
            m_blockFirst = first;
            m_blockFrames = frames;
        }
        const std::int64_t from = pcm - m_blockFirst * kMidiBytesPerFrame;
        const std::int64_t n =
            std::min<std::int64_t>(want, m_blockFrames * kMidiBytesPerFrame - from);
        std::memcpy(buf, reinterpret_cast<const char*>(m_block.data()) + from,
                    static_cast<std::size_t>(n));
        m_offset += n;
        return n;
    }

private:
    MidiRenderer m_renderer;
    QByteArray m_header;
    std::int64_t m_size;
    std::int64_t m_offset = 0;
    // The frames rendered last.
    std::vector<std::int16_t> m_block;
    std::int64_t m_blockFirst = 0;
    std::int64_t m_blockFrames = 0;
};

}  // namespace

QByteArray MidiStreams::waveHeader(std::int64_t frames) {
    const auto data = static_cast<std::uint32_t>(frames * kMidiBytesPerFrame);
    QByteArray h("RIFF\0\0\0\0WAVEfmt \0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0data\0\0\0\0",
                 kWaveHeaderBytes);
    putLe(h, 4, data + kWaveHeaderBytes - 8, 4);
    putLe(h, 16, 16, 4);  // the format chunk's size
    putLe(h, 20, 1, 2);   // PCM
    putLe(h, 22, kMidiChannels, 2);
    putLe(h, 24, kMidiSampleRate, 4);
    putLe(h, 28, kMidiSampleRate * kMidiBytesPerFrame, 4);
    putLe(h, 32, kMidiBytesPerFrame, 2);
    putLe(h, 34, 16, 2);  // bits per sample
    putLe(h, 40, data, 4);
    return h;
}

bool MidiStreams::attach(mpv_handle* handle) {
    return mpv_stream_cb_add_ro(handle, kProtocol, this, &MidiStreams::open) >= 0;
}

QByteArray MidiStreams::add(std::shared_ptr<const MidiSong> song) {
    std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextId++;
    m_songs.emplace(id, std::move(song));
    return QByteArray(kProtocol) + "://" + QByteArray::number(id);
}

void MidiStreams::drop(const QByteArray& target) {
    const QByteArray prefix = QByteArray(kProtocol) + "://";
    if (!target.startsWith(prefix)) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_songs.erase(target.mid(prefix.size()).toULongLong());
}

int MidiStreams::open(void* self, char* uri, mpv_stream_cb_info* info) {
    auto* streams = static_cast<MidiStreams*>(self);
    const QByteArray prefix = QByteArray(kProtocol) + "://";
    const QByteArray target(uri);
    std::shared_ptr<const MidiSong> song;
    {
        std::lock_guard lock(streams->m_mutex);
        const auto it = streams->m_songs.find(target.mid(prefix.size()).toULongLong());
        if (!target.startsWith(prefix) || it == streams->m_songs.end()) {
            return MPV_ERROR_LOADING_FAILED;
        }
        song = it->second;
    }
    auto* stream = new Stream(std::move(song), streams->m_synth);
    info->cookie = stream;
    info->read_fn = [](void* s, char* buf, std::uint64_t n) {
        return static_cast<Stream*>(s)->read(buf, n);
    };
    info->seek_fn = [](void* s, std::int64_t offset) {
        return static_cast<Stream*>(s)->seek(offset);
    };
    info->size_fn = [](void* s) { return static_cast<Stream*>(s)->size(); };
    info->close_fn = [](void* s) { delete static_cast<Stream*>(s); };
    return 0;
}
