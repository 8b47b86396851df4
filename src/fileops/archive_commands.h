#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CommandTable;
class Dialogs;
class PlaybackHold;
class ExtractionPrompts;
class FileList;
class FolderTree;
struct Module1;

// The extraction command of the file view's two buttons: "解凍" extracts the archives among the
// selected rows, "選択解凍" first selects every archive row and asks once. Each archive is
// checked, extracted into the folder on show (or into a folder the user picks, when the options
// say so), and those extracted whole are offered for the trash; the list is then read again.
class ArchiveCommands : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> iconView;  // the MnuIconSet tick
        // Offers the archives of a path list for the trash (with its confirmation).
        std::function<int(const QString& pathList)> deleteToTrash;
        std::function<void()> repaint;
    };

    ArchiveCommands(Module1& state, Dialogs& dialogs, FileList& list, FolderTree& tree,
                    ExtractionPrompts& prompts, const PlaybackHold& hold, Hooks hooks,
                    QObject* parent = nullptr);

    // selectAll false: the selected rows; true: every archive row, after one question.
    void ExtractArchives(bool selectAll);
    void registerCommands(CommandTable& table);

private:
    bool selectArchiveRows();
    // Extracts the row's archive (in folder, the folder on show) into destination.
    bool extractRow(int row, const QString& folder, const QString& destination);

    Module1& m_state;
    Dialogs& m_dialogs;
    FileList& m_list;
    FolderTree& m_tree;
    ExtractionPrompts& m_prompts;
    const PlaybackHold& m_hold;
    Hooks m_hooks;
};
