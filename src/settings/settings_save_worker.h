#pragma once

#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "settings/settings_catalogue.h"

// Writes the exit save's keys while the program runs, on a thread of its own, so that a session
// cut off without an exit (a display server that goes away takes the process with it) loses only
// what changed since the last write. The window hands over what it would save at the exit and
// goes on at once; values equal to the ones written last are not written again, and a newer hand-
// over replaces one still waiting. The exit save itself goes through here too, so the two never
// write the file at the same time.
class SettingsSaveWorker {
public:
    explicit SettingsSaveWorker(QString iniPath);
    // Finishes a write under way; one still waiting is dropped (the exit save writes it).
    ~SettingsSaveWorker();
    SettingsSaveWorker(const SettingsSaveWorker&) = delete;
    SettingsSaveWorker& operator=(const SettingsSaveWorker&) = delete;

    // Queues the values for writing on the worker's thread.
    void saveLater(SettingValues values);
    // Writes on the calling thread, after a write under way; a queued one is dropped. False when
    // the file could not be written.
    bool saveNow(const SettingValues& values);
    // Waits until nothing is queued or being written (for the exit and for tests).
    void waitIdle();
    // How many times the file has been written, by either way.
    int writes() const;

private:
    void run();
    bool write(const SettingValues& values);

    QString m_iniPath;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<SettingValues> m_pending;
    std::optional<SettingValues> m_written;
    bool m_busy = false;
    bool m_stop = false;
    int m_writes = 0;
    std::mutex m_fileMutex;  // one writer of the file at a time
    std::thread m_thread;
};
