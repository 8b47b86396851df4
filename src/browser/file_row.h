#pragma once

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <cstdint>

// One row of the file list: a file or folder of the folder on show. Texts that repeat from row to
// row (extension, type, icon key) share one string among all rows of a listing; the size and date
// texts are made from the numbers when a row is drawn (a row may bring its own size text).
struct FileRow {
    QString key;      // full path: folder prefix + name
    QString text;     // the name (bytes not in UTF-8 kept, see file_name_codec.h)
    QString ext;      // column 1: extension, "<拡張子なし>", or "--" for a folder
    QString type;     // column 4: " " + type name, or "ファイル フォルダ"
    QString iconKey;  // image key of the small icon; empty: none
    QString toolTip;
    QString sizeText;  // column 2 when set; otherwise made from bytes ("フォルダ" for a folder)
    // The name's key in the natural order (see name_order.h); null until a natural sort needs it,
    // and again once the name changes.
    QByteArray nameKey;
    std::int64_t bytes = 0;
    std::int64_t time = 0;           // last write, seconds since the epoch: column 3
    QRgb foreColor = qRgb(0, 0, 0);  // by attribute (see attributeColor), or as marked
    bool bold = false;
    bool folder = false;
    // How far the file was played, by the play history: 0 not, 1-99 per cent, 100 to its end.
    std::uint8_t heard = 0;
};
