// Arbitrary bytes through the archiver entry points as the program calls them: the validity
// check, the listing of the first entry and the extraction with the program's own command line,
// as a ZIP archive always and, when the first byte is odd, as an LZH archive too. Whatever the
// bytes, the run must end and nothing may appear outside the destination folder but the archive
// itself; no link inside the destination may lead out of it either.

#include "archive/archiver_entries.h"
#include "archive/lha_zip.h"
#include "archive/secure_extractor.h"

#include <sys/statvfs.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// No input may make an extraction write more than this.
constexpr qint64 kWriteCap = 64LL * 1024 * 1024;

// Skips every file that exists, knows no password, never cancels.
class QuietPrompts : public ExtractionPrompts {
public:
    Overwrite askOverwrite(const QString&) override { return Overwrite::Skip; }
    std::optional<QString> askPassword(const QString&, int) override { return std::nullopt; }
    void begin(const QString&, qint64) override {}
    bool advance(const QString&, qint64) override { return true; }
    void end() override {}
    void entryRefused(const QString&, const QString&) override {}
};

const fs::path& baseFolder() {
    static const fs::path base = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quorvane-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        return fs::canonical(pattern);
    }();
    static const bool cleaned = [] {
        // A crash leaves the folder behind to look at; a normal end removes it.
        std::atexit([] {
            std::error_code error;
            fs::remove_all(baseFolder(), error);
        });
        return true;
    }();
    Q_UNUSED(cleaned);
    return base;
}

QString qPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

bool isInside(const fs::path& path, const fs::path& folder) {
    const std::string text = path.string();
    const std::string root = folder.string() + '/';
    return text == folder.string() || text.compare(0, root.size(), root) == 0;
}

[[noreturn]] void fail(const char* what, const fs::path& path) {
    std::fprintf(stderr, "fuzz_archive: %s: %s\n", what, path.c_str());
    std::abort();
}

// The base folder may hold the work folder, the inputs in it, and the destination's content.
void checkTree(const fs::path& work, const fs::path& destination, const fs::path& zipInput,
               const fs::path& lzhInput) {
    std::error_code error;
    const fs::path& base = baseFolder();
    for (fs::recursive_directory_iterator it(base, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path path = it->path();
        if (path == work || path == zipInput || path == lzhInput) {
            continue;
        }
        if (!isInside(path, destination)) {
            fail("written outside the destination", path);
        }
        if (it->is_symlink(error)) {
            // A link whose target exists must resolve inside the destination.
            std::error_code resolveError;
            const fs::path resolved = fs::weakly_canonical(path, resolveError);
            if (!resolveError && !isInside(resolved, destination)) {
                fail("link leads out of the destination", path);
            }
        }
        error.clear();
    }
    if (error) {
        fail("cannot walk the temporary folder", base);
    }
}

void writeInput(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
        fail("cannot write the input", path);
    }
}

// Leaves kWriteCap bytes of the file system's free space to the extraction.
void capWrites(const fs::path& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        fail("statvfs", folder);
    }
    const qint64 free = static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
    setDiskReserveOverride(free > kWriteCap ? free - kWriteCap : 0);
}

// A run that checks in the same pass, into an emptied destination: an archive found damaged
// leaves nothing there, and no run leaves its staging folder.
template <typename Run>
void checkedRun(const fs::path& destination, Run run) {
    std::error_code error;
    fs::remove_all(destination, error);
    fs::create_directory(destination, error);
    capWrites(destination);
    bool damaged = false;
    const int result = run(&damaged);
    for (const fs::directory_entry& item : fs::directory_iterator(destination, error)) {
        if (damaged || item.path().filename().string().rfind(".quorvane-extract-", 0) == 0) {
            std::fprintf(stderr, "result %x, damaged %d\n", result, int(damaged));
            fail("a checked run left this behind", item.path());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path work = baseFolder() / "t";
    const fs::path destination = work / "dest";
    const fs::path zipInput = work / "in.zip";
    const fs::path lzhInput = work / "in.lzh";
    std::error_code error;
    fs::remove_all(work, error);
    fs::create_directories(destination, error);
    if (error) {
        fail("cannot make the destination", destination);
    }
    QuietPrompts prompts;

    writeInput(zipInput, data, size);
    capWrites(work);
    UnZipCheckArchive(qPath(zipInput), 2);
    if (ZipHandle handle = UnZipOpenArchive(&prompts, qPath(zipInput), 2)) {
        if (UnZipFindFirst(handle, QStringLiteral("*.*")) == 0) {
            UnZipGetAttribute(handle);
        }
        UnZipCloseArchive(handle);
    }
    UnZip(&prompts,
          LhaZip::ZipCommandLine(LhaZip::kZipSwitches, qPath(zipInput), qPath(destination)));
    checkTree(work, destination, zipInput, lzhInput);
    checkedRun(destination, [&](bool* damaged) {
        return UnZipChecked(&prompts,
                            LhaZip::ZipCommandLine(LhaZip::kZipSwitches, qPath(zipInput),
                                                   qPath(destination)),
                            damaged);
    });
    checkTree(work, destination, zipInput, lzhInput);

    if (size > 0 && (data[0] & 1) != 0) {
        fs::remove_all(destination, error);
        fs::create_directory(destination, error);
        writeInput(lzhInput, data, size);
        capWrites(work);
        UnlhaCheckArchive(qPath(lzhInput), 2);
        const QString line = LhaZip::LzhCommandLine(LhaZip::kLzhCommand, LhaZip::kLzhSwitches,
                                                     qPath(lzhInput), qPath(destination));
        Unlha(&prompts, line);
        checkTree(work, destination, zipInput, lzhInput);
        checkedRun(destination,
                   [&](bool* damaged) { return UnlhaChecked(&prompts, line, damaged); });
        checkTree(work, destination, zipInput, lzhInput);
    }

    fs::remove_all(work, error);
    return 0;
}
