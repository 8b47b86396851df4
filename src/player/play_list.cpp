#include "player/play_list.h"

#include <QFileInfo>
#include <QWidget>
#include <utility>

#include "browser/play_rows.h"
#include "platform/app_info.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/interval_timer.h"
#include "platform/path_text.h"
#include "player/media_kinds.h"
#include "player/media_player_engine.h"
#include "player/messages.h"
#include "player/movie.h"
#include "player/player_set.h"
#include "player/streaming_audio_engine.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

namespace {

constexpr QRgb kStartedColour = qRgb(0, 0, 0);
constexpr QRgb kEndedColour = qRgb(255, 0, 0);
// The next file is handed to the engine this long before the end of the one playing, and
// looked at again this often meanwhile.
constexpr double kNextLeadSeconds = 10.0;
constexpr int kNextLookMs = 500;

}  // namespace

PlayList::PlayList(Module1& state, Dialogs& dialogs, std::unique_ptr<PlayRows> rows,
                   clsMovie& movie, PlayerSet& players, IntervalTimer& timer1,
                   const PlaybackHold& hold, PlayListWindow window, QObject* parent)
    : QObject(parent),
      m_state(state),
      m_dialogs(dialogs),
      m_rows(std::move(rows)),
      m_movie(movie),
      m_players(players),
      m_timer1(timer1),
      m_hold(hold),
      m_window(std::move(window)) {
    MediaPlayerEngine& mp = players.mediaPlayer();
    connect(&mp, &MediaPlayerEngine::endOfStream, this, &PlayList::OnMediaEnd);
    connect(&mp, &MediaPlayerEngine::playStateChange, this,
            [this](int, int newState) { onMediaPlayState(newState); });
    connect(&mp, &MediaPlayerEngine::warning, this, &PlayList::showInformation);
    connect(&mp, &MediaPlayerEngine::newStream, this, &PlayList::onNewStream);

    StreamingAudioEngine& ra = players.realAudio();
    connect(&ra, &StreamingAudioEngine::clipOpened, this, [this] {
        ClipOpenFlg = true;
        onNewStream();
    });
    connect(&ra, &StreamingAudioEngine::clipClosed, this, &PlayList::onClipClosed);
    connect(&ra, &StreamingAudioEngine::stateChange, this, &PlayList::onStreamingState);
    connect(&ra, &StreamingAudioEngine::errorMessage, this, &PlayList::showInformation);

    connect(&timer1, &IntervalTimer::timeout, this, &PlayList::Timer1_Timer);

    m_nextLook.setInterval(kNextLookMs);
    connect(&m_nextLook, &QTimer::timeout, this, &PlayList::refreshNext);
    m_nextChange.setSingleShot(true);
    m_nextChange.setInterval(0);
    connect(&m_nextChange, &QTimer::timeout, this, &PlayList::refreshNext);
}

PlayList::~PlayList() = default;

int PlayList::currentRow() const {
    const int selected = m_rows->selectedRow();
    if (selected >= 0) {
        return selected;
    }
    // Nothing selected: the focused row stands for the selection, as it did in the list the
    // program was written for; failing that, the first row.
    const int focused = m_rows->focusedRow();
    if (focused >= 0 && focused < m_rows->count()) {
        return focused;
    }
    return 0;
}

QString PlayList::selectedPath() const {
    return m_rows->count() == 0 ? QString() : m_rows->pathOf(currentRow());
}

QString PlayList::selectedExtension() const {
    return m_rows->count() == 0 ? QString() : m_rows->extensionOf(currentRow());
}

void PlayList::PlayStep(int mode) {
    // A step asked while the folder is still being read waits for its rows.
    if (!m_rows->listed()) {
        m_rows->whenListed([this, mode] { PlayStep(mode); });
        return;
    }
    try {
        const int count = m_rows->count();
        if (count == 0) {
            return;
        }
        int current = currentRow();
        if (m_rows->isFolder(current)) {
            return;
        }
        m_timer1.stop();
        m_hold.release();
        if (CurrentPlayPath.isEmpty()) {
            // The first start takes the first selected row from the top.
            if (const int top = m_rows->topSelectedRow(); top >= 0) {
                current = top;
            }
            m_rows->selectRow(current);
        }

        if (m_window.fileViewPressed && m_window.fileViewPressed()) {
            // A plain file view: the selected file again, no walking, no slide show.
            const QString path = m_rows->pathOf(current);
            const QString extension = m_rows->extensionOf(current);
            m_window.setCaption(player_msg::pathCaption(m_window.titleText, path));
            ClipOpenFlg = false;
            m_movie.PlayScreenChange(m_state.mScreenSize, path, extension);
            m_movie.PlayStart(path, extension, m_state.mScreenSize, true);
            CurrentPlayPath = path;
            return;
        }

        const StepMove move =
            stepMove(mode, current, count, [this](int row) { return m_rows->isFolder(row); });
        if (move.leftRow >= 0) {
            m_rows->setIconKey(move.leftRow, move.leftIcon);
        }
        unmarkLeftPlaying(current, move);
        m_rows->selectRow(move.target);
        markPlaying(move.target);

        const QString path = m_rows->pathOf(move.target);
        const QString extension = m_rows->extensionOf(move.target);
        recordQuickPath(path);

        if (!CurrentPlayPath.isEmpty()) {
            emit leavingFile(CurrentPlayPath, false);
        }
        ClipOpenFlg = false;
        m_movie.PlayScreenChange(m_state.mScreenSize, path, extension);
        m_movie.PlayStart(path, extension, m_state.mScreenSize, mode != 3);
        CurrentPlayPath = path;
        ArmSlideTimer(extension);
    } catch (const std::exception& error) {
        reportError(error);
    }
}

void PlayList::unmarkLeftPlaying(int current, const StepMove& move) {
    // The row that played until now is left behind when another row starts (a double-click
    // elsewhere, a step from a row selected meanwhile): it is marked as left, so that one row
    // only shows the playing icon. A wrap-round leaves the row it started from as it was.
    const int playing = m_rows->rowOfPath(CurrentPlayPath);
    if (playing < 0 || playing == move.target || playing == move.leftRow) {
        return;
    }
    const bool wrapped = move.leftRow < 0 && move.target != current;
    if (wrapped && playing == current) {
        return;
    }
    const QString icon = m_rows->iconKeyOf(playing);
    if (icon == playingIcon(false) || icon == playingIcon(true)) {
        m_rows->setIconKey(playing,
                           ReverseFlg ? QStringLiteral("NextUp") : QStringLiteral("NextDwn"));
    }
}

void PlayList::markPlaying(int row) {
    m_rows->markRow(row, kStartedColour);
    m_rows->setIconKey(row, playingIcon(ReverseFlg));
    m_rows->setToolTip(row, player_msg::playingTip(m_rows->nameOf(row)));
}

void PlayList::recordQuickPath(const QString& path) {
    const int mode = m_state.mQuickPathValue;
    bool record = false;
    if (mode == 0) {
        record = true;
    } else if (mode == 1) {
        record = mEndSeenFlg;
        mEndSeenFlg = false;
    }
    if (record && m_window.addQuickPath) {
        m_window.addQuickPath(GetParentFolder(path));
    }
}

void PlayList::OnMediaEnd() {
    emit leavingFile(CurrentPlayPath, true);
    if (!m_state.mPlayNextFlg) {
        return;
    }
    if (std::exchange(m_stopAfterCurrent, false)) {
        emit stopAfterCurrentChanged();
        // Asked to end here: the file is marked as ended, and nothing follows.
        m_timer1.stop();
        if (const int row = m_rows->rowOfPath(CurrentPlayPath); row >= 0) {
            m_rows->markRow(row, kEndedColour);
            m_rows->setToolTip(row, player_msg::endedTip(m_rows->nameOf(row)));
            m_rows->setIconKey(row, QStringLiteral("PLAY_END_KEY"));
        }
        mEndSeenFlg = true;
        return;
    }
    // A row a refresh has taken away simply gets no mark.
    if (LoopFlg) {
        int row = m_rows->rowOfPath(CurrentPlayPath);
        if (row >= 0) {
            m_rows->setToolTip(row, player_msg::repeatTip(m_rows->nameOf(row)));
        }
        PlayStep(2);
        row = m_rows->rowOfPath(CurrentPlayPath);
        if (row >= 0) {
            m_rows->setIconKey(row, QStringLiteral("LOOP_KEY"));
        }
        return;
    }
    const QString ended = CurrentPlayPath;
    int row = m_rows->rowOfPath(ended);
    if (row >= 0) {
        m_rows->markRow(row, kEndedColour);
        m_rows->setToolTip(row, player_msg::endedTip(m_rows->nameOf(row)));
    }
    mEndSeenFlg = true;
    PlayStep(ReverseFlg ? 1 : 0);
    row = m_rows->rowOfPath(ended);
    if (row >= 0) {
        m_rows->setIconKey(row, QStringLiteral("PLAY_END_KEY"));
    }
}

void PlayList::ArmSlideTimer(const QString& extension) {
    if (!slideTimerApplies(m_state.mSlideShow, m_state.mSlideType, extension)) {
        return;
    }
    m_timer1.stop();
    m_timer1.setInterval(slideTimerInterval(m_state.mSlideTime));
    m_timer1.start();
}

void PlayList::Timer1_Timer() {
    if (!LoopFlg && m_state.mSlideShow) {
        OnMediaEnd();
    }
}

void PlayList::ShowClipInfo() {
    try {
        if (m_rows->count() == 0) {
            return;
        }
        const int row = currentRow();
        m_rows->selectRow(row);
        const QString folder = m_rows->folderOnShow();
        const QString sizeText = m_rows->sizeTextOf(row);
        const QString name = m_rows->nameOf(row);
        const QString extension = m_rows->extensionOf(row);
        m_movie.SetPlayMute(m_state.mMuteState, m_rows->pathOf(row), extension);
        qint32 height = 0;
        qint32 width = 0;
        m_movie.GetDspSize(extension, height, width);
        if (height < 1 || width < 1) {
            m_window.setCaption(
                player_msg::clipCaption(m_window.titleText, name, sizeText, folder));
            return;
        }
        m_window.setCaption(
            player_msg::clipCaption(m_window.titleText, name, width, height, sizeText, folder));
        if (m_window.windowFit) {
            if (const std::optional<WindowFit> fit = m_window.windowFit()) {
                if (const auto size = fittedWindowSize(*fit, QSize(width, height))) {
                    m_window.resizeWindow(*size);
                }
            }
        }
    } catch (const std::exception& error) {
        reportError(error);
    }
}

void PlayList::ToggleLoop(int source) {
    LoopFlg = !LoopFlg;
    nextMayChange();
    if (source == 1 && m_window.setRepeatButton) {
        m_window.setRepeatButton(LoopFlg);
    }
    LoopFlg ? m_timer1.stop() : m_timer1.start();
}

void PlayList::MnuMoviePlay_Click() {
    if (m_movie.GetPlayState() == 1) {
        m_movie.PlayPause();
    } else {
        PlayStep(2);
    }
}

void PlayList::MnuMovieStop_Click() {
    m_hold.hold();
}

void PlayList::MunOpen_Click() {
    try {
        if (m_rows->count() == 0) {
            return;
        }
        const int row = currentRow();
        m_rows->markRow(row, kStartedColour);
        if (m_window.openWithDesktop) {
            m_window.openWithDesktop(m_rows->pathOf(row));
        }
    } catch (const std::exception& error) {
        reportError(error);
    }
}

void PlayList::PlayButton_Click() {
    if (m_rows->count() == 0) {
        return;
    }
    m_timer1.stop();
    if (m_movie.GetPlayState() == 1) {
        m_movie.PlayPause();
    } else {
        PlayStep(3);
    }
}

void PlayList::PlayKey() {
    if (m_rows->count() == 0) {
        return;
    }
    m_timer1.stop();
    MnuMoviePlay_Click();
}

void PlayList::setReverse(bool reverse) {
    ReverseFlg = reverse;
    nextMayChange();
    m_timer1.start();
}

void PlayList::RateOne() {
    PlayRate = 1.0;
    m_players.mediaPlayer().setRate(1.0);
    if (m_window.setSliderValue) {
        m_window.setSliderValue(10);
    }
    if (m_window.showRate) {
        m_window.showRate(1.0);
    }
    m_timer1.start();
}

void PlayList::Slider1_Scroll(int value) {
    PlayRate = value / 10.0;
    if (m_window.showRateTip) {
        m_window.showRateTip(PlayRate);
    }
}

void PlayList::Slider1_Change(int value) {
    m_timer1.stop();
    PlayRate = value / 10.0;
    if (m_window.showRate) {
        m_window.showRate(PlayRate);
    }
    m_players.mediaPlayer().setRate(PlayRate);
    m_timer1.start();
}

void PlayList::takeStartRate() {
    StartRate = m_players.mediaPlayer().rate();
    PlayRate = 1.0;
    m_players.mediaPlayer().setRate(1.0);
}

void PlayList::restoreStartRate() {
    m_players.mediaPlayer().setRate(StartRate);
}

void PlayList::changeDisplaySize(int index) {
    if (m_rows->count() == 0) {
        return;
    }
    const QString path = selectedPath();
    const QString extension = selectedExtension();
    m_movie.PlayScreenChange(static_cast<qint16>(index), path, extension);
    if (m_movie.GetPlayState() == 1 && m_players.RealAudio1(0)->isVisible() &&
        index >= DspsizeItem::Half && index <= DspsizeItem::Double) {
        const qint32 position = m_movie.GetPlayPosition(extension);
        PlayStep(2);
        m_movie.SetPlayPosition(position, extension);
    }
    ShowClipInfo();
}

void PlayList::showSelectedPath() {
    nextMayChange();  // the options may have changed what follows
    if (m_rows->count() > 0) {
        m_window.setCaption(player_msg::pathCaption(m_window.titleText, selectedPath()));
    }
}

void PlayList::applyMute(bool on) {
    if (m_rows->count() > 0) {
        m_movie.SetPlayMute(on, selectedPath(), selectedExtension());
    }
}

void PlayList::onNewStream() {
    ShowClipInfo();
    m_rows->markFolderPlayed(kEndedColour);
}

void PlayList::toggleStopAfterCurrent() {
    m_stopAfterCurrent = !m_stopAfterCurrent;
    emit stopAfterCurrentChanged();
    nextMayChange();
}

void PlayList::nextMayChange() {
    if (!m_nextChange.isActive()) {
        m_nextChange.start();
    }
}

QString PlayList::nextAtEnd() const {
    const MediaPlayerEngine& mp = m_players.mediaPlayer();
    if (CurrentPlayPath.isEmpty() || !m_state.mPlayNextFlg || m_stopAfterCurrent ||
        mp.fileName() != CurrentPlayPath || mp.playState() != MediaPlayerEngine::Playing ||
        (m_window.fileViewPressed && m_window.fileViewPressed()) || !m_rows->listed() ||
        m_rows->count() == 0) {
        return {};
    }
    const double duration = mp.duration();
    if (duration <= 0 || duration - mp.currentPosition() > kNextLeadSeconds) {
        return {};
    }
    // A file the slide show ends by its timer has no end of its own to go on from.
    const QString playingExtension = QFileInfo(CurrentPlayPath).suffix().toLower();
    if (slideTimerApplies(m_state.mSlideShow, m_state.mSlideType, playingExtension)) {
        return {};
    }
    // As OnMediaEnd would step: the selected row again when repeating, else on in the order.
    // The rows are taken as listed, without asking the disk on this thread (the folder may be
    // on a share): should the step at the end find otherwise, its own load replaces this one.
    const int current = currentRow();
    if (m_rows->isListedFolder(current)) {
        return {};
    }
    const int mode = LoopFlg ? 2 : (ReverseFlg ? 1 : 0);
    const StepMove move = stepMove(mode, current, m_rows->count(),
                                   [this](int row) { return m_rows->isListedFolder(row); });
    if (mediaKindOf(m_rows->extensionOf(move.target)) != MediaKind::MediaPlayer) {
        return {};  // another engine's: loaded after the end, as ever
    }
    return m_rows->pathOf(move.target);
}

void PlayList::refreshNext() {
    m_players.mediaPlayer().setNextFileName(nextAtEnd());
}

void PlayList::onMediaPlayState(int newState) {
    if (newState == MediaPlayerEngine::Playing) {
        m_nextLook.start();
        refreshNext();  // a short file is near its end from the start
    } else {
        m_nextLook.stop();
        refreshNext();  // paused or stopped: nothing is to follow on its own
    }
    showPlayState(newState == MediaPlayerEngine::Paused,
                  newState == MediaPlayerEngine::Stopped || newState == MediaPlayerEngine::Playing);
}

void PlayList::onStreamingState(int newState) {
    showPlayState(
        newState == StreamingAudioEngine::Paused,
        newState == StreamingAudioEngine::Stopped || newState == StreamingAudioEngine::Playing);
}

void PlayList::showPlayState(bool paused, bool settled) {
    m_window.setPlayButtonImage(paused ? QStringLiteral("Pause") : QStringLiteral("Play"));
    // A state on the way (opening, buffering) means a clip is being opened.
    if (!paused && !settled) {
        ClipOpenFlg = true;
    }
}

void PlayList::onClipClosed() {
    // The close a start request causes only sets the flag; the close at the real end advances.
    if (ClipOpenFlg) {
        OnMediaEnd();
    } else {
        ClipOpenFlg = true;
        m_hold.release();
    }
}

void PlayList::showInformation(const QString& text) {
    m_dialogs.messageBox(text, MsgIcon::Information, MsgButtons::Ok, app_info::title());
}

void PlayList::reportError(const std::exception& error) {
    ErrMsgDsp(m_dialogs, error);
}

void PlayList::registerCommands(CommandTable& table) {
    using C = CommandId;
    // The tips are kept as the program has always shown them, mixed full-width and half-width
    // brackets included.
    table.add(C::MnuMoviePlay, [this] { MnuMoviePlay_Click(); })
        .caption(QStringLiteral("再生/一時停止(&P)"));
    table.add(C::PlayButton, [this] { PlayButton_Click(); })
        .toolTip(QStringLiteral("再生を始めます。(Space）"));
    table.add(C::PlayOrPause, [this] { PlayKey(); });
    table.add(C::Stop, [this] { MnuMovieStop_Click(); })
        .caption(QStringLiteral("停止"))
        .toolTip(QStringLiteral("再生を停止します。(Shift+Space）"));
    table.add(C::PlayPrevious, [this] { MnuPrevios_Click(); })
        .caption(QStringLiteral("１つ前へ↑(&F)"))
        .toolTip(QStringLiteral("1つ戻る(Ctrl+矢印上）"));
    table.add(C::PlayNext, [this] { MunNext_Click(); })
        .caption(QStringLiteral("１つ次へ↓(&N)"))
        .toolTip(QStringLiteral("1つ次へ(Ctrl+矢印下）"));
    table.add(C::ToggleLoop, [this](int source) { ToggleLoop(source); })
        .caption(QStringLiteral("リピート再生"))
        .toolTip(QStringLiteral("現在の動画をリピート再生します。（F9)"))
        .checked([this] { return LoopFlg; });
    table.add(C::MunOpen, [this] { MunOpen_Click(); }).caption(QStringLiteral("開く"));
    table.add(C::Ascending, [this] { setReverse(false); })
        .toolTip(QStringLiteral("通常で連続再生"));
    table.add(C::Descending, [this] { setReverse(true); })
        .toolTip(QStringLiteral("逆順で連続再生"));
    table.add(C::StopAfterCurrent, [this] { toggleStopAfterCurrent(); })
        .caption(QStringLiteral("この曲で停止"))
        .checked([this] { return m_stopAfterCurrent; });
    table.add(C::RateOne, [this] { RateOne(); })
        .toolTip(QStringLiteral("再生スピードを通常(1.0)にする"));
}
