#pragma once

#include <QString>
#include <exception>
#include <system_error>

// Run-time error numbers: every unexpected failure the program meets is told to the user as one
// of these numbers with its standard text.
namespace run_error {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternal = 51;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyOpen = 55;
inline constexpr int kDeviceIo = 57;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kTooManyFiles = 67;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kDiskNotReady = 71;
inline constexpr int kRenameAcrossDisks = 74;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kApplicationDefined = 1004;
}  // namespace run_error

// A failure raised by the program's own code with a run-time error number.
class RunError : public std::exception {
public:
    explicit RunError(int number) : m_number(number) {}
    int number() const { return m_number; }
    const char* what() const noexcept override { return "run-time error"; }

private:
    int m_number;
};

// The standard Japanese text of a run-time error number.
QString runErrorText(int number);

// The run-time error number for an OS error (errno value).
int runErrorFromErrno(int err);

// The run-time error number for any exception the program catches.
int runErrorFromException(const std::exception& e);

// Throws RunError with the number for errno value err.
[[noreturn]] void throwErrno(int err);
