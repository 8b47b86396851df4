#pragma once

#include "archive/entry_source.h"
#include "platform/text_codec.h"

#include <QByteArray>
#include <cstdio>

struct _LHAInputStream;
struct _LHAReader;
struct _LHAFileHeader;

// LHA archives through liblhasa, for what libarchive cannot read: the methods it lacks, names
// that are not CP932 or are in UTF-16 headers, headers it does not know. Names are taken from the
// UTF-16 headers when there are any, else as CP932 when they are valid CP932, else as UTF-8 when
// they are valid UTF-8, else their bytes are kept. Every entry's data is checked against its length
// and CRC-16.
class LhasaSource final : public EntrySource {
public:
    LhasaSource();
    ~LhasaSource() override;
    LhasaSource(const LhasaSource&) = delete;
    LhasaSource& operator=(const LhasaSource&) = delete;

    int open(const QString& path) override;
    Step next() override;
    archive_entry* entry() override { return m_entry; }
    QString name() override;
    QString linkTarget() override;
    Step read(const void*& block, size_t& size, qint64& offset) override;
    int failureCode() const override { return m_failure; }
    // Whether libarchive, too, decodes the current entry's method.
    bool libarchiveDecodes() const;
    // Whether the current entry's name is in the UTF-16 headers (libarchive takes the other).
    bool unicodeName() const;

    // The stream's callbacks (liblhasa's input stream type).
    static int readCallback(void* handle, void* buffer, size_t length);
    static int skipCallback(void* handle, size_t length);

private:
    Step fail(int code);
    bool endsCleanly();

    std::FILE* m_file = nullptr;
    _LHAInputStream* m_stream = nullptr;
    _LHAReader* m_reader = nullptr;
    _LHAFileHeader* m_header = nullptr;
    archive_entry* m_entry = nullptr;
    qint64 m_fileSize = 0;
    qint64 m_position = 0;    // bytes of the file consumed by liblhasa
    qint64 m_nextHeader = 0;  // where the next header starts
    QByteArray m_buffer;
    text_codec::Cp932 m_codec;
    qint64 m_done = 0;  // data bytes of the current entry given out
    quint16 m_crc = 0;
    bool m_decodable = false;  // the current entry's method is one liblhasa decodes
    bool m_sawEntry = false;
    int m_failure = 0;
};

// Whether an LHA archive needs liblhasa: one of its entries uses a method libarchive cannot
// decode, or has a name (or link target) that is not valid CP932 or is in UTF-16. Reads the
// headers only.
bool lhasaNeeded(const QString& path);
