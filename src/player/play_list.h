#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "player/play_steps.h"

class CommandTable;
class Dialogs;
class PlaybackHold;
class IntervalTimer;
class PlayRows;
class PlayerSet;
class clsMovie;
struct Module1;

// What the play list asks of the window around it: the caption, the option marks it reads, and
// the controls that show the player's state.
struct PlayListWindow {
    QString titleText;
    std::function<void(const QString&)> setCaption;
    std::function<bool()> fileViewPressed;  // toolbar button 7
    std::function<void(const QString& folder)> addQuickPath;
    // The repeat button pressed or released (F9 sets it; the menu item does not, and the button
    // sets itself). The menu item's tick follows the command.
    std::function<void(bool loop)> setRepeatButton;
    std::function<void(const QString& imageKey)> setPlayButtonImage;  // toolbar button 11
    // The rate as the slider's tip and tool tip, and status panel 7 show it.
    std::function<void(double rate)> showRate;
    std::function<void(double rate)> showRateTip;  // while the slider is dragged
    std::function<void(int value)> setSliderValue;
    // Display size 5: the measures the window is fitted by, when "100% - フォーム連動" is
    // ticked and the window is in its normal state; nothing otherwise.
    std::function<std::optional<WindowFit>()> windowFit;
    std::function<void(QSize twips)> resizeWindow;
    // Opens a file with the program the desktop has for it; false when it could not.
    std::function<void(const QString& path)> openWithDesktop;
};

// The play list: the rows of the folder on show, walked by PlayStep. It starts the selected
// file through clsMovie, moves up and down the rows with wrap-round, repeats, runs the slide
// show on Timer1, marks each row with what happened to it, records played folders in the quick
// paths, and answers the engines' events (end of a file, play state, a new stream).
class PlayList : public QObject {
    Q_OBJECT
public:
    PlayList(Module1& state, Dialogs& dialogs, std::unique_ptr<PlayRows> rows, clsMovie& movie,
             PlayerSet& players, IntervalTimer& timer1, const PlaybackHold& hold,
             PlayListWindow window, QObject* parent = nullptr);
    ~PlayList() override;

    QString CurrentPlayPath;
    bool LoopFlg = false;
    bool ReverseFlg = false;
    bool ClipOpenFlg = false;
    bool mEndSeenFlg = false;  // a file has just played to its end
    double PlayRate = 1.0;
    double StartRate = 1.0;

    // 0 next row, 1 previous row, 2 the selected row again, 3 the selected row resuming a
    // paused clip.
    void PlayStep(int mode);
    void OnMediaEnd();
    void ArmSlideTimer(const QString& extension);
    void Timer1_Timer();
    void ShowClipInfo();
    // Source 1 also sets the repeat button; 0 leaves it.
    void ToggleLoop(int source);

    // The options-menu commands and the list's context menu.
    void MnuMoviePlay_Click();
    void MnuMovieStop_Click();
    void MnuPrevios_Click() { PlayStep(1); }
    void MunNext_Click() { PlayStep(0); }
    void MnuLoop_Click() { ToggleLoop(0); }
    void MunOpen_Click();

    // Toolbar and keys: "再生" (play, or resume a paused streaming clip), Space (play the
    // selected row again, or pause), stop, the order buttons and "RateOne".
    void PlayButton_Click();
    void PlayKey();
    void setReverse(bool reverse);
    void RateOne();

    // The rate slider (values 1-40, ten times the rate).
    void Slider1_Scroll(int value);
    void Slider1_Change(int value);

    // At start: the rate the media player came with is kept and 1.0 set; at exit it goes back.
    void takeStartRate();
    void restoreStartRate();

    // A new display size (0-5) for the file on show; a streaming clip that plays is restarted
    // where it was, as the streaming engine takes a new size only on a start.
    void changeDisplaySize(int index);
    // After a change of the player's options: the selected file's path in the caption, and a
    // changed mute applied to the file on show. Nothing happens while the list is empty.
    void showSelectedPath();
    void applyMute(bool on);

    // The player's commands: play, pause, stop, previous, next, repeat, open with the desktop,
    // the order buttons and the rate.
    void registerCommands(CommandTable& table);

    // "この曲で停止": the file playing is the last; the list stops at its end, and the toggle
    // goes off again.
    void toggleStopAfterCurrent();
    bool stopsAfterCurrent() const { return m_stopAfterCurrent; }
    // The rows, the selection or the order may have changed: the file to follow the one
    // playing is looked at again (soon, once for many changes).
    void nextMayChange();
    // The file PlayStep would start at the end of the one playing, while the media player
    // plays it and the end is near; empty when none or another engine would play it.
    QString nextAtEnd() const;

    // The selected row's full path and lowered extension; empty when the list has no rows.
    QString selectedPath() const;
    QString selectedExtension() const;

signals:
    // The file that played is left: it ended (ended), or another row starts in its place.
    void leavingFile(const QString& path, bool ended);
    // "この曲で停止" went on or off (off also by itself, once used).
    void stopAfterCurrentChanged();

private:
    int currentRow() const;
    void markPlaying(int row);
    void unmarkLeftPlaying(int current, const StepMove& move);
    void recordQuickPath(const QString& path);
    void onNewStream();
    void onMediaPlayState(int newState);
    void onStreamingState(int newState);
    void showPlayState(bool paused, bool settled);
    void onClipClosed();
    void showInformation(const QString& text);
    void reportError(const std::exception& error);
    void refreshNext();

    Module1& m_state;
    Dialogs& m_dialogs;
    std::unique_ptr<PlayRows> m_rows;
    clsMovie& m_movie;
    PlayerSet& m_players;
    IntervalTimer& m_timer1;
    const PlaybackHold& m_hold;
    PlayListWindow m_window;
    bool m_stopAfterCurrent = false;
    QTimer m_nextLook;    // while the media player plays: is the end near?
    QTimer m_nextChange;  // the rows or the order changed
};
