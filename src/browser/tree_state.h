#pragma once

#include <QPoint>
#include <QString>

// The main window's browsing state that the folder tree keeps and shares with the file list,
// navigation and drag and drop. The window owns one and hands it to each of them.
struct TreeState {
    // The folder the file list shows now; a folder already shown is not listed again.
    QString CurrentFolder;
    // A drag over the tree is in progress: the next click, node click or expansion only ends it.
    bool DragActive = false;
    // The next left-button move over the tree ends a drag instead of starting one.
    bool DragEndRequest = false;
    // The pane that commands apply to: 1 the file list, 2 the tree.
    int FocusPane = 0;
    // An expansion is being filled.
    bool TreeBusy = false;

    // Drag and drop over the tree: the key of the folder node being dragged, the node under the
    // cursor at the last drag-over, the selected folder and its name then, and the position.
    QString DragNodeKey;
    QString DropKey;
    QString DragSourcePath;
    QString DragSourceText;
    QPoint DragPos;
};
