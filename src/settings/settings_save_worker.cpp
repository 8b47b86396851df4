#include "settings/settings_save_worker.h"

#include "settings/ini_file.h"

SettingsSaveWorker::SettingsSaveWorker(QString iniPath)
    : m_iniPath(std::move(iniPath)), m_thread([this] { run(); }) {}

SettingsSaveWorker::~SettingsSaveWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_pending.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

void SettingsSaveWorker::saveLater(SettingValues values) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop) {
            return;
        }
        if (!m_busy && m_written == values) {
            // Back to what the file holds: a change still waiting must not be written after it.
            m_pending.reset();
            return;
        }
        m_pending = std::move(values);
    }
    m_wake.notify_all();
}

bool SettingsSaveWorker::saveNow(const SettingValues& values) {
    {
        const std::lock_guard lock(m_mutex);
        m_pending.reset();
    }
    return write(values);
}

void SettingsSaveWorker::waitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
}

int SettingsSaveWorker::writes() const {
    const std::lock_guard lock(m_mutex);
    return m_writes;
}

bool SettingsSaveWorker::write(const SettingValues& values) {
    const std::lock_guard file(m_fileMutex);
    clsIniFile ini(m_iniPath);
    const bool ok = writeExitSettings(ini, values);
    const std::lock_guard lock(m_mutex);
    ++m_writes;
    // A failed write is tried again with the next hand-over, even of the same values.
    if (ok) {
        m_written = values;
    } else {
        m_written.reset();
    }
    return ok;
}

void SettingsSaveWorker::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending.has_value(); });
        if (m_stop) {
            break;
        }
        SettingValues values = std::move(*m_pending);
        m_pending.reset();
        if (m_written == values) {
            m_idle.notify_all();
            continue;
        }
        m_busy = true;
        lock.unlock();
        write(values);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_idle.notify_all();
}
