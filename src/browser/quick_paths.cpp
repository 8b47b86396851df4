#include "browser/quick_paths.h"

bool QuickPaths::QuickPathExists(const QString& folder) const {
    for (const QString& path : m_paths) {
        if (!path.isEmpty() && path == folder) {
            return true;
        }
    }
    return false;
}

void QuickPaths::PushQuickPath(const QString& folder) {
    for (int k = kCount - 2; k >= 0; --k) {
        m_paths[k + 1] = m_paths[k];
    }
    m_paths[0] = folder;
}

bool QuickPaths::AddQuickPath(const QString& folder) {
    if (folder.isEmpty() || QuickPathExists(folder)) {
        return false;
    }
    PushQuickPath(folder);
    return true;
}

QString QuickPaths::quickAccessCaption(int mode) {
    switch (mode) {
        case 0:
            return QStringLiteral("クイックパスアクセス-毎回(&Q)");
        case 1:
            return QStringLiteral("クイックパスアクセス-完了のみ(&Q)");
        default:
            return QStringLiteral("クイックパスアクセス-記録なし(&Q)");
    }
}
