#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class CommandTable;
class FileList;
class MediaEngine;
class PlayHistory;

// What the window remembers between runs of what was played, through the play history: where
// each video or audio file was left (saved every few seconds while it plays and whenever it stops
// or another starts), and where it starts again; which files were played to their end and how
// far the others, shown on their rows; the row last played in each folder, selected when the
// folder is opened again unless something else was selected meanwhile.
class PlayMemory : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> resumeOn;            // the option "続きから再生する"
        std::function<void()> playSelected;        // plays the selected row, as a double-click
        std::function<void(const QString&)> tell;  // a note in the status panel of the list
    };

    // Without a history (none kept, or none to be had) only the commands work, on this run's
    // marks alone.
    PlayMemory(PlayHistory* history, MediaEngine& engine, FileList& list, Hooks hooks,
               QObject* parent = nullptr);

    // "最初から再生": the selected file from its start, whatever was stored.
    void playFromStart();
    // "未再生から再生": the first row in the list's order not played to its end.
    void playFirstUnplayed();
    // The selected rows' marks and positions forgotten.
    void clearSelectedMarks();
    // The commands above.
    void registerCommands(CommandTable& table);
    // The play list leaves the file that played: it ended, or another row starts.
    void leavingFile(const QString& path, bool ended);

private:
    void engineStateChanged();
    void opened();
    void poll();
    void save(bool reachedEnd);
    void showHeard(const QString& path, qint64 positionMs, qint64 durationMs, bool played);
    // A folder's rows on show: their marks, unless they came with them, and on a fresh listing
    // the row last played there.
    void readMarks(const QString& folder, bool fresh);
    // The marks of the rows on show, looked up by name (for rows that came without them).
    void lookUpMarks(const QString& folder);

    PlayHistory* m_history;
    MediaEngine& m_engine;
    FileList& m_list;
    Hooks m_hooks;
    QTimer m_poll;
    QString m_path;           // the file in the engine, while it is open
    qint64 m_positionMs = 0;  // where it was at the last look
    qint64 m_durationMs = 0;
    int m_polls = 0;
    bool m_fromStart = false;  // the next file starts at its beginning
    unsigned m_serial = 0;     // counts files opened, so an old answer finds its file gone
};
