#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "browser/file_row.h"

// The played marks of one folder's files, made ready on another thread while the folder is read,
// so that its rows come with their marks and the window has no second pass to make over them.
class ListingMarks {
public:
    virtual ~ListingMarks() = default;
    // On the listing's thread, once the rows are read: sets each file row's heard mark, waiting
    // for the marks at most wait. False when they were not ready by then (the rows keep none).
    virtual bool mark(std::vector<FileRow>& rows, std::chrono::milliseconds wait) = 0;
};

// Asked on the window's thread as a folder starts to be read; null: no marks to give.
using ListingMarksSource = std::function<std::shared_ptr<ListingMarks>(const QString& folder)>;
