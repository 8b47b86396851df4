#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

struct archive;

enum class ArchiveKind { Lha, Zip };

// One libarchive reader for one kind of archive: only that format, names converted from CP932
// (unless an entry says UTF-8), passwords asked for through a callback. Owns the handle.
class ArchiveReader {
public:
    // Called for a password for as long as libarchive wants one: attempt counts from 1; nullopt
    // gives up. It must give up at some point.
    using PasswordSource = std::function<std::optional<QByteArray>(int attempt)>;

    explicit ArchiveReader(ArchiveKind kind, bool convertNames = true);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    void setPasswordSource(PasswordSource source) { m_passwords = std::move(source); }
    // 0, or the code of why the file cannot be read as this kind of archive.
    int open(const QString& path);
    archive* handle() const { return m_archive; }

    enum class Stage { Header, Data };
    // The result code for a libarchive failure at `stage`, from its errno and message.
    int failureCode(Stage stage) const;

private:
    static const char* passphraseCallback(archive* a, void* self);

    ArchiveKind m_kind;
    archive* m_archive = nullptr;
    PasswordSource m_passwords;
    int m_attempts = 0;
    QByteArray m_password;
};

// The raw header bytes of the entry names, for names libarchive could not convert. Reads
// forward only, so asking for increasing indexes costs one pass in all.
class RawEntryNames {
public:
    RawEntryNames(ArchiveKind kind, const QString& path);
    QByteArray nameAt(int index);

private:
    ArchiveKind m_kind;
    QString m_path;
    std::optional<ArchiveReader> m_reader;
    int m_index = -1;
    bool m_failed = false;
};
