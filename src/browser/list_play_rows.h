#pragma once

#include "browser/play_rows.h"

class FileList;
class FolderTree;

// The play list's rows in the window: the rows of the file list ListView1, with their marks set
// on its model, and the folder selected in the folder tree.
class ListPlayRows : public PlayRows {
public:
    ListPlayRows(FileList& list, FolderTree& tree) : m_list(list), m_tree(tree) {}

    int count() const override;
    bool listed() const override;
    void whenListed(std::function<void()> then) override;
    QString pathOf(int row) const override;
    int rowOfPath(const QString& path) const override;
    QString nameOf(int row) const override;
    QString extensionOf(int row) const override;
    bool isFolder(int row) const override;
    bool isListedFolder(int row) const override;
    QString sizeTextOf(int row) const override;

    int selectedRow() const override;
    int topSelectedRow() const override;
    int focusedRow() const override;
    void selectRow(int row) override;

    QString iconKeyOf(int row) const override;
    void setIconKey(int row, const QString& iconKey) override;
    void markRow(int row, QRgb colour) override;
    void setToolTip(int row, const QString& toolTip) override;

    QString folderOnShow() const override;
    void markFolderPlayed(QRgb colour) override;

private:
    FileList& m_list;
    FolderTree& m_tree;
};
