#include "app/play_memory.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/folder_marks.h"
#include "browser/file_list.h"
#include "browser/path_utils.h"
#include "history/play_history.h"
#include "history/resume_rules.h"
#include "platform/command_table.h"
#include "player/media_engine.h"

namespace {

// How often the playing file's place is looked at, and how many looks make a save: a killed
// program loses at most the last few seconds.
constexpr int kLookEveryMs = 1000;
constexpr int kLooksPerSave = 5;

QString nameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

}  // namespace

PlayMemory::PlayMemory(PlayHistory* history, MediaEngine& engine, FileList& list, Hooks hooks,
                       QObject* parent)
    : QObject(parent),
      m_history(history),
      m_engine(engine),
      m_list(list),
      m_hooks(std::move(hooks)) {
    m_poll.setInterval(kLookEveryMs);
    connect(&m_poll, &QTimer::timeout, this, &PlayMemory::poll);
    connect(&m_engine, &MediaEngine::stateChanged, this, &PlayMemory::engineStateChanged);
    connect(&m_engine, &MediaEngine::clipOpened, this,
            [this] { m_durationMs = std::llround(m_engine.duration() * 1000); });
    connect(&m_list, &FileList::rowsRead, this, &PlayMemory::readMarks);
    if (m_history != nullptr) {
        m_list.setListingMarks([history = m_history](const QString& folder) {
            return FolderMarks::ask(*history, folder);
        });
    }
}

void PlayMemory::engineStateChanged() {
    switch (m_engine.state()) {
        case EngineState::Opening:
            opened();
            break;
        case EngineState::Playing:
        case EngineState::Paused:
            m_poll.start();
            break;
        case EngineState::Stopped:
        case EngineState::Closed:
            // Stopped, or let go: where it was when last looked at (a stop goes back to 0).
            m_poll.stop();
            save(false);
            break;
    }
}

void PlayMemory::opened() {
    const QString path = m_engine.fileName();
    if (!m_path.isEmpty()) {
        save(false);  // the file before, left for this one
    }
    m_path = path;
    m_positionMs = 0;
    m_durationMs = 0;
    m_polls = 0;
    const unsigned serial = ++m_serial;
    const bool fromStart = std::exchange(m_fromStart, false);
    if (m_history == nullptr || path.isEmpty()) {
        return;
    }
    m_history->setLastRow(GetParentFolder(path), nameOf(path));
    if (fromStart || (m_hooks.resumeOn && !m_hooks.resumeOn())) {
        return;
    }
    // The answer comes long before the file is open: the engine takes the place with it.
    m_history->lookUpResume(path, this, [this, serial](const ResumePoint& point) {
        if (serial != m_serial || point.startMs <= 0) {
            return;
        }
        m_engine.setPosition(double(point.startMs) / 1000.0);
        m_positionMs = point.startMs;
        if (m_hooks.tell) {
            m_hooks.tell(resumeText(point.startMs));
        }
    });
}

void PlayMemory::leavingFile(const QString& path, bool ended) {
    if (path != m_path) {
        return;
    }
    if (ended) {
        m_positionMs = m_durationMs;
    } else {
        poll();  // where it is now, not at the last look
    }
    save(ended);
}

void PlayMemory::poll() {
    const EngineState state = m_engine.state();
    if (state != EngineState::Playing && state != EngineState::Paused) {
        return;
    }
    m_positionMs = std::llround(m_engine.position() * 1000);
    if (m_durationMs <= 0) {
        m_durationMs = std::llround(m_engine.duration() * 1000);
    }
    if (++m_polls % kLooksPerSave == 0) {
        save(false);
    }
}

void PlayMemory::save(bool reachedEnd) {
    // Pictures and streams without a length have no place to come back to.
    if (m_history == nullptr || m_path.isEmpty() || m_durationMs <= 0) {
        return;
    }
    m_history->savePlayback(m_path, m_positionMs, m_durationMs, reachedEnd);
    showHeard(m_path, m_positionMs, m_durationMs,
              countsAsPlayed(m_positionMs, m_durationMs, reachedEnd));
}

void PlayMemory::showHeard(const QString& path, qint64 positionMs, qint64 durationMs, bool played) {
    const int row = m_list.rowOfKey(path);
    if (row < 0) {
        return;
    }
    // A mark once there stays: a file played to its end and begun again is still played.
    const std::uint8_t now = m_list.model().row(row).heard;
    const std::uint8_t heard = now >= 100 ? 100 : heardMark({positionMs, durationMs, played});
    m_list.model().setHeard(row, heard);
}

void PlayMemory::readMarks(const QString& folder, bool fresh) {
    if (m_history == nullptr) {
        return;
    }
    if (!m_list.marksShown()) {
        lookUpMarks(folder);
    }
    if (!fresh) {
        return;
    }
    // The row last played here is selected once the folder is on show, unless something else
    // has been selected meanwhile (a file handed over, the user).
    m_history->lookUpLastRow(folder, this, [this, folder](const QString& name) {
        if (name.isEmpty() || m_list.ListedFolder() != folder || m_list.isReading() ||
            !m_list.selectionAsListed()) {
            return;
        }
        m_list.SelectRowByKey(folderPrefix(folder) + name);
    });
}

void PlayMemory::lookUpMarks(const QString& folder) {
    std::vector<RowStamp> rows;
    const FileListModel& model = m_list.model();
    rows.reserve(size_t(model.count()));
    for (int r = 0; r < model.count(); ++r) {
        const FileRow& row = model.row(r);
        if (!row.folder) {
            rows.push_back({row.text, {row.bytes, row.time}});
        }
    }
    m_history->lookUpFolder(folder, std::move(rows), this,
                            [this, folder](const FolderHistory& got) {
                                if (m_list.ListedFolder() != folder) {
                                    return;  // another folder is on show by now
                                }
                                QHash<QString, std::uint8_t> heard;
                                for (auto it = got.cbegin(); it != got.cend(); ++it) {
                                    if (const std::uint8_t h = heardMark(*it); h > 0) {
                                        heard.insert(it.key(), h);
                                    }
                                }
                                m_list.model().setHeardOfNames(heard);
                            });
}

void PlayMemory::playFromStart() {
    const QString selected = m_list.SelectedPath();
    if (selected.isEmpty()) {
        return;
    }
    const EngineState state = m_engine.state();
    if (selected == m_path && (state == EngineState::Playing || state == EngineState::Paused)) {
        // The file on show goes back to its start and plays.
        m_engine.setPosition(0);
        m_engine.play();
        return;
    }
    m_fromStart = true;
    if (m_hooks.playSelected) {
        m_hooks.playSelected();
    }
    // A start that never reached the engine (a folder row) leaves the next one as it is.
    if (m_engine.state() != EngineState::Opening) {
        m_fromStart = false;
    }
}

void PlayMemory::playFirstUnplayed() {
    const FileListModel& model = m_list.model();
    for (int r = 0; r < model.count(); ++r) {
        const FileRow& row = model.row(r);
        if (!row.folder && row.heard < 100) {
            m_list.selectRow(r);
            if (m_hooks.playSelected) {
                m_hooks.playSelected();
            }
            return;
        }
    }
}

void PlayMemory::clearSelectedMarks() {
    QStringList files;
    for (const int r : m_list.selectedRows()) {
        const FileRow& row = m_list.model().row(r);
        if (!row.folder) {
            files << row.key;
            m_list.model().setHeard(r, 0);
        }
    }
    if (m_history != nullptr && !files.isEmpty()) {
        m_history->clearMarks(files);
    }
}

void PlayMemory::registerCommands(CommandTable& table) {
    table.add(CommandId::PlayFromStart, [this] { playFromStart(); })
        .caption(QStringLiteral("最初から再生"));
    table.add(CommandId::PlayUnplayed, [this] { playFirstUnplayed(); })
        .caption(QStringLiteral("未再生から再生"));
    table.add(CommandId::ClearPlayMarks, [this] { clearSelectedMarks(); })
        .caption(QStringLiteral("再生の印を消去"));
}
