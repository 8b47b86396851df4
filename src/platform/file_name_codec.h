#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// File names on disk are bytes. Names in UTF-8 (nearly all) become ordinary text; a name that is
// not valid UTF-8 would lose its bad bytes in Qt's own conversion (each turns into U+FFFD), and
// such a file could then never be opened again. Here every byte that is not part of a valid UTF-8
// sequence is kept as the lone surrogate U+DC00 + byte, so decode and encode give back the same
// bytes. Paths built from listed names must go to the disk through encodeFileName.

// The text of a name or path read from the disk.
QString decodeFileName(const char* bytes, qsizetype size);
inline QString decodeFileName(const QByteArray& bytes) {
    return decodeFileName(bytes.constData(), bytes.size());
}

// The bytes of a name or path for the disk: the inverse of decodeFileName; for text without kept
// bytes the same as QFile::encodeName.
QByteArray encodeFileName(QStringView text);

// True when the text holds bytes kept from a name that is not valid UTF-8.
bool hasKeptBytes(QStringView text);

// The text to show for a name: kept bytes appear as Qt shows undecodable bytes (U+FFFD).
QString displayFileName(const QString& text);
