// MIDI files: the reader's timeline, the synthesizer's seek, and the media player's engine playing
// mid and rmi files with real FluidSynth and libmpv (no sound).
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

#include "../midi_bytes.h"
#include "../test_files.h"
#include "platform/run_error.h"
#include "player/messages.h"
#include "player/midi_file.h"
#include "player/midi_synth.h"
#include "player/mpv_engine.h"

Q_DECLARE_METATYPE(EngineState)

namespace {

constexpr int kOpenMs = 10000;
constexpr int kDither = 16;

std::optional<MidiSong> read(const QByteArray& bytes) {
    return readMidi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              std::size_t(bytes.size())));
}

// The loudest sample of `frames` frames rendered from `seconds`.
int loudness(MidiRenderer& renderer, double seconds, int frames) {
    std::vector<std::int16_t> pcm(std::size_t(frames) * kMidiChannels);
    if (!renderer.render(midiFrameOf(seconds), pcm.data(), frames)) {
        return -1;
    }
    int peak = 0;
    for (std::int16_t s : pcm) {
        peak = std::max(peak, std::abs(int(s)));
    }
    return peak;
}

}  // namespace

class TestMidi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qRegisterMetaType<EngineState>();
        QVERIFY2(!MidiSynth::systemSoundFont().isEmpty(), "no General MIDI SoundFont installed");
    }

    void timelineWithTempoChangesAndRmiWrappers() {
        const QByteArray song = midi_bytes::shortSong();
        const auto smf = read(song);
        QVERIFY(smf);
        // Events: GM on, program, four notes (running status kept), in time order.
        QCOMPARE(smf->events.size(), std::size_t(6));
        QCOMPARE(smf->events[0].status, std::uint8_t(0xF0));
        QCOMPARE(smf->sysex.size(), std::size_t(4));
        QCOMPARE(smf->events[3].status, std::uint8_t(0x90));
        QCOMPARE(smf->events[3].data2, std::uint8_t(0));
        QCOMPARE(smf->events[3].seconds, 0.5);
        QCOMPARE(smf->events[4].seconds, 1.25);  // after the change to 240 bpm
        QCOMPARE(smf->events[5].seconds, midi_bytes::kShortSongNotesEnd);
        QCOMPARE(smf->length, midi_bytes::kShortSongNotesEnd + kMidiTailSeconds);
        QCOMPARE(midiEventIndexAt(*smf, midiFrameOf(1.0)), std::size_t(4));

        // The RMI wrapper reads as the bare file, padded or not after an odd chunk.
        QCOMPARE(read(midi_bytes::rmi(song)), smf);
        QCOMPARE(read(midi_bytes::rmi(song, true, true)), smf);
        QCOMPARE(read(midi_bytes::rmi(song, true, false)), smf);
        QCOMPARE(read(midi_bytes::rmi(song + 'x')), read(song + 'x'));  // odd data chunk
    }

    void seedsReadWithTheirEventsInsideTheirLength() {
        const QDir seeds(QStringLiteral(QUORVANE_MIDI_SEEDS));
        const QStringList names = seeds.entryList(QDir::Files);
        QVERIFY(names.size() >= 8);
        for (const QString& name : names) {
            const auto song = read(readFile(seeds.filePath(name)));
            QVERIFY2(song && !song->events.empty(), qPrintable(name));
            // The last event may sit exactly at the end of the music.
            QVERIFY2(song->events.back().seconds + kMidiTailSeconds <= song->length,
                     qPrintable(name));
        }
    }

    void damagedFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray song = midi_bytes::shortSong();
        midi_bytes::Track stray;
        stray.event(0, {60, 100});  // a data byte with no status before it
        midi_bytes::Track cut;
        cut.event(0, {0x90, 60});
        midi_bytes::Track endless;
        endless.event(0x0FFFFFFF, {0x90, 60, 100}).event(0x0FFFFFFF, {0x80, 60, 0});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("hello, this is no song");
        QTest::newRow("cut short") << song.left(song.size() - 3);
        QTest::newRow("no tracks") << song.left(14);
        QTest::newRow("division 0") << midi_bytes::smf(0, 0, {midi_bytes::Track{}});
        QTest::newRow("stray data") << midi_bytes::smf(0, 96, {stray});
        QTest::newRow("message cut") << midi_bytes::smf(0, 96, {cut});
        QTest::newRow("days long") << midi_bytes::smf(0, 1, {endless});
        QTest::newRow("riff of another kind") << "RIFF" + midi_bytes::le32(4) + "WAVE";
        QByteArray noData = midi_bytes::rmi(song);
        noData.replace("data", "dat_");
        QTest::newRow("rmi without data") << noData;
    }
    void damagedFilesAreRefused() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!read(bytes));
    }

    void systemSoundFontPrefersTheLargerSet() {
        QTemporaryDir dir;
        const QString large = dir.filePath(QStringLiteral("FluidR3_GM.sf2"));
        const QString small = dir.filePath(QStringLiteral("TimGM6mb.sf2"));
        writeFile(small, "x");
        QCOMPARE(MidiSynth::systemSoundFont({large, small}), small);
        writeFile(large, "x");
        QCOMPARE(MidiSynth::systemSoundFont({large, small}), large);
    }

    void aSeekLandsOnTheMusicalTime() {
        // From 1.0 s the song rests; from 1.25 s (a time only the tempo change gives) the second
        // note sounds. Each render starts fresh: the synthesizer was reset and replayed.
        MidiSynth synth;
        auto song = read(midi_bytes::shortSong());
        QVERIFY(song);
        MidiRenderer renderer(std::make_shared<const MidiSong>(*song), synth);
        QCOMPARE(renderer.frames(), midiFrameOf(2.5));
        const int sounding = loudness(renderer, 1.25, 2048);
        QVERIFY2(sounding > 500, qPrintable(QString::number(sounding)));
        // Silence is dithered: a few steps at most.
        QVERIFY(loudness(renderer, 1.0, 2048) < kDither);
        QVERIFY(loudness(renderer, 1.8, 2048) < kDither);
        QVERIFY(loudness(renderer, 0.0, 2048) > 500);
    }

    void playsSeeksAndEnds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("mid") << QStringLiteral("song.mid") << midi_bytes::shortSong();
        QTest::newRow("rmi") << QStringLiteral("song.rmi")
                             << midi_bytes::rmi(midi_bytes::shortSong(), true, false);
    }
    void playsSeeksAndEnds() {
        // Plays, reports its length, seeks to the right time, plays to its end.
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        writeFile(file, bytes);
        MidiSynth synth;
        MpvEngineOptions options;
        options.audioOutput = QStringLiteral("null");
        options.midiSynth = &synth;
        MpvEngine engine(options);
        QSignalSpy opened(&engine, &MediaEngine::newStream);
        QSignalSpy restarted(&engine, &MpvEngine::playbackRestarted);
        QSignalSpy ended(&engine, &MediaEngine::endOfStream);
        QSignalSpy errors(&engine, &MediaEngine::error);
        engine.load(file);
        QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
        QCOMPARE(engine.duration(), 2.5);
        QTRY_VERIFY_WITH_TIMEOUT(restarted.count() >= 1, kOpenMs);
        restarted.clear();
        engine.setPosition(1.25);
        QTRY_VERIFY_WITH_TIMEOUT(restarted.count() >= 1, kOpenMs);
        QVERIFY(std::abs(engine.position() - 1.25) < 0.01);
        engine.play();
        QCOMPARE(engine.state(), EngineState::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kOpenMs);
        QVERIFY(errors.isEmpty());
        QCOMPARE(engine.state(), EngineState::Stopped);
    }

    void refusedFilesSayWhy() {
        QTemporaryDir dir;
        const QString damaged = dir.filePath(QStringLiteral("damaged.mid"));
        const QString good = dir.filePath(QStringLiteral("good.mid"));
        writeFile(damaged, midi_bytes::shortSong().left(40));
        writeFile(good, midi_bytes::shortSong());
        MidiSynth synth;
        MpvEngineOptions options;
        options.audioOutput = QStringLiteral("null");
        options.midiSynth = &synth;
        MpvEngine engine(options);
        QVERIFY_THROWS_EXCEPTION(RunError, engine.load(damaged));
        QCOMPARE(engine.errorText(), player_msg::engineUnknownFormat());
        QCOMPARE(engine.state(), EngineState::Closed);

        const QString missing = dir.filePath(QStringLiteral("none.sf2"));
        synth.setSoundFontPath(missing);
        QVERIFY_THROWS_EXCEPTION(RunError, engine.load(good));
        QCOMPARE(engine.errorText(), player_msg::soundFontMissing(missing));
        const QString broken = dir.filePath(QStringLiteral("broken.sf2"));
        writeFile(broken, "RIFF");
        synth.setSoundFontPath(broken);
        QVERIFY_THROWS_EXCEPTION(RunError, engine.load(good));
        QCOMPARE(engine.errorText(), player_msg::soundFontMissing(broken));

        // Back to the system's set, the same engine plays.
        synth.setSoundFontPath({});
        QSignalSpy opened(&engine, &MediaEngine::newStream);
        engine.load(good);
        QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, kOpenMs);
    }
};

QTEST_MAIN(TestMidi)
#include "tst_midi.moc"
