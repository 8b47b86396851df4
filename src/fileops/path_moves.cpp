#include "fileops/path_moves.h"

#include <QDir>

void PathMoves::tell(const QString& from, const QString& to) {
    if (from.isEmpty() || to.isEmpty()) {
        return;
    }
    const QString source = QDir::cleanPath(from);
    const QString target = QDir::cleanPath(to);
    if (source != target) {
        emit moved(source, target);
    }
}
