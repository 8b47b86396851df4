#pragma once

// Result codes of the archiver entry points: 0 is success, anything else one of these. The
// window's error tables word them; the values are those the program has always shown.
namespace archive_code {
inline constexpr int kOk = 0;
inline constexpr int kDiskFull = 0x8005;           // the destination would run out of space
inline constexpr int kReadOnly = 0x8006;           // the destination file is read-only
inline constexpr int kSkipped = 0x8007;            // the user skipped an entry
inline constexpr int kUnsupportedType = 0x8008;    // an entry of a kind that cannot be stored
inline constexpr int kUnsupportedMethod = 0x8009;  // a compression method we cannot decode
inline constexpr int kPassword = 0x800A;           // the archive needs a password we do not have
inline constexpr int kUnsupportedVersion = 0x800B;
inline constexpr int kChecksum = 0x800C;  // the data does not match its CRC
inline constexpr int kCannotOpenForWrite =
    0x800D;  // an entry could not be written (or was refused)
inline constexpr int kNewerExists = 0x800E;
inline constexpr int kNotInDestination = 0x800F;
inline constexpr int kExists = 0x8010;  // the file exists and was left alone
inline constexpr int kTooManyEntries = 0x8011;
inline constexpr int kCannotMakeFolder = 0x8012;
inline constexpr int kWriteError = 0x8013;
inline constexpr int kBadData = 0x8014;  // the compressed data is damaged
inline constexpr int kBadComment = 0x8015;
inline constexpr int kHeaderChecksum = 0x8016;
inline constexpr int kBadHeader = 0x8017;
inline constexpr int kCannotOpenArchive = 0x8018;
inline constexpr int kNoArchiveName = 0x8019;
inline constexpr int kReadError = 0x801A;  // the archive ends early or cannot be read
inline constexpr int kNotAnArchive = 0x801B;
inline constexpr int kBadCommand = 0x801C;
inline constexpr int kNoWorkMemory = 0x801D;
inline constexpr int kNoGlobalMemory = 0x801E;
inline constexpr int kBusy = 0x801F;
inline constexpr int kCancelled = 0x8020;
inline constexpr int kCannotOpenWorkFile = 0x8025;
}  // namespace archive_code
