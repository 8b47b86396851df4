#include "player/metafile_expander.h"

#include <QFile>
#include <QFileInfo>

namespace {

struct Expander {
    MetafilePlan plan;
    QStringList chain;  // the metafiles being read, outermost first

    void read(const QString& path, MetafileFormat format) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (chain.contains(canonical) || chain.size() >= kMaxMetafileDepth) {
            plan.refused = true;
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        const QByteArray data = file.read(kMaxMetafileBytes);
        file.close();
        chain.append(canonical);
        for (const MetafileEntry& entry : parseMetafile(format, data, QFileInfo(path).path())) {
            if (plan.refused || plan.entries.size() >= kMaxMetafileEntries) {
                break;
            }
            const QFileInfo info(entry.target);
            const MetafileFormat nested = entry.target.startsWith(u'/')
                                              ? metafileFormatOf(info.suffix().toLower())
                                              : MetafileFormat::None;
            if (nested != MetafileFormat::None && info.isFile()) {
                read(entry.target, nested);
            } else if (entry.target.startsWith(u'/') && info.isDir()) {
                continue;  // the player would read the whole folder as a list
            } else {
                plan.entries.append(entry);
            }
        }
        chain.removeLast();
    }
};

}  // namespace

MetafilePlan expandMetafile(const QString& path, MetafileFormat format) {
    Expander expander;
    expander.read(path, format);
    if (expander.plan.refused) {
        expander.plan.entries.clear();
    }
    return expander.plan;
}
