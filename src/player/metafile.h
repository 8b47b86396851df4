#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Play lists and metafiles: files that name other media to be played in order. The readers here
// are pure: they take the bytes of one file and the folder it lies in, and give the entries it
// names, relative references made absolute against that folder. They never touch the disk.
enum class MetafileFormat {
    None,
    Asx,  // ASX XML (asx, wax): <entry><ref href="…"/></entry>, tags in any case
    Ram,  // one address per line
    M3u,  // one path or address per line, "#" lines are comments
    Rp,   // RealPix: pictures shown one after the other for their times
};

// One thing a metafile names: a local path or a network address, and for a picture of a
// RealPix show how long it stays (0: as the player shows it by itself). An ASX entry may name
// stand-ins after its first reference: they are tried in order when the one before fails.
struct MetafileEntry {
    QString target;
    double seconds = 0;
    QStringList alternatives;
    friend bool operator==(const MetafileEntry&, const MetafileEntry&) = default;
};

// The format of an extension given lowered; None for anything that is not a metafile.
MetafileFormat metafileFormatOf(const QString& extension);

// The most references one file gives (entries and their stand-ins together); the rest are
// ignored.
inline constexpr int kMaxMetafileEntries = 10000;

QList<MetafileEntry> parseAsx(const QByteArray& data, const QString& folder);
QList<MetafileEntry> parseRam(const QByteArray& data, const QString& folder);
QList<MetafileEntry> parseM3u(const QByteArray& data, const QString& folder);
QList<MetafileEntry> parseRp(const QByteArray& data, const QString& folder);
QList<MetafileEntry> parseMetafile(MetafileFormat format, const QByteArray& data,
                                   const QString& folder);

// A reference as a metafile gives it, made into what the player opens: an absolute, clean local
// path (a "file:" address becomes its path; "\" separators of files written on Windows become
// "/"), or a network address of a protocol the player may use. "" for anything else (empty,
// or an address of another protocol, which could reach things the file does not name).
QString resolveMetafileReference(const QString& reference, const QString& folder);
