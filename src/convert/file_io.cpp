#include "file_io.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace z2o {
namespace fs = std::filesystem;
namespace {

FileFaultHook g_faultHook = nullptr;

int injectedFault(const char* operation, const std::string& path) {
    return g_faultHook ? g_faultHook(operation, path) : 0;
}

// A missing file and a missing folder both come back as ENOENT; the user is told which.
RunError failureFor(int error, const std::string& path) {
    if (error == ENOENT) {
        std::error_code ec;
        const fs::path parent = toPath(path).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) return runError(kPathNotFound);
        return runError(kFileNotFound);
    }
    if (error == EISDIR) return runError(kPathFileAccessError);
    return fromSystemError(std::error_code(error, std::generic_category()));
}

std::string temporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    // Appended piece by piece: GCC 12 at -O3 misreads "." + string&& as an overlapping copy.
    std::string hidden = ".";
    hidden += fromPath(target.filename());
    hidden += '.';
    hidden += suffix;
    hidden += ".tmp";
    fs::path name = target;
    name.replace_filename(toPath(hidden));
    return fromPath(name);
}

// Some C libraries leave errno at 0 on a short write; that is still a failure.
int lastError() {
    return errno != 0 ? errno : EIO;
}

int syncFile(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file));
#else
    return fsync(fileno(file));
#endif
}

}  // namespace

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string fromPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(toPath(path), ec);
}

void setFileFaultHook(FileFaultHook hook) {
    g_faultHook = hook;
}

SourceFile::~SourceFile() {
    if (m_file) std::fclose(m_file);
}

std::optional<RunError> SourceFile::open(const std::string& path) {
    // A NUL would cut the name short and open another file than the one named.
    if (path.find('\0') != std::string::npos) return runError(kBadFileName);
    if (const int fault = injectedFault("read", path)) return failureFor(fault, path);
    // Only plain files: opening a pipe would wait for a writer, a device would never end.
    std::error_code ec;
    const fs::file_status status = fs::status(toPath(path), ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) return runError(kPathFileAccessError);
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) return failureFor(lastError(), path);
    struct stat info {};
    if (fstat(fileno(m_file), &info) != 0) return failureFor(errno, path);
    if (S_ISDIR(info.st_mode)) return runError(kPathFileAccessError);
    m_size = static_cast<std::uint64_t>(info.st_size);
    return std::nullopt;
}

std::optional<RunError> SourceFile::readAll(std::vector<std::uint8_t>& bytes) {
    bytes.resize(m_size);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), m_file);
    if (std::ferror(m_file)) return failureFor(lastError(), {});
    if (got != m_size || std::fgetc(m_file) != EOF) return runError(kDeviceIoError);
    return std::nullopt;
}

std::optional<RunError> replaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.find('\0') != std::string::npos) return runError(kBadFileName);
    const fs::path target = toPath(path);
    std::error_code ec;
    const fs::file_status existing = fs::status(target, ec);
    const bool replacing = fs::exists(existing);
    if (replacing) {
        if (fs::is_directory(existing)) return runError(kPathFileAccessError);
        // Renaming would succeed over a read-only file; its owner made it read-only to keep it.
        if ((existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
            return runError(kPermissionDenied);
        }
    }

    std::string temporary;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = temporaryNameBeside(target);
        if (const int fault = injectedFault("create", temporary)) return failureFor(fault, path);
        file = std::fopen(temporary.c_str(), "wbx");
        if (!file && errno != EEXIST) return failureFor(lastError(), path);
    }
    if (!file) return runError(kPathFileAccessError);

    errno = 0;
    int error = injectedFault("write", temporary);
    if (!error && !bytes.empty() &&
        std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = lastError();
    }
    if (!error && std::fflush(file) != 0) error = lastError();
    if (!error) error = injectedFault("sync", temporary);
    if (!error && syncFile(file) != 0) error = lastError();
    if (std::fclose(file) != 0 && !error) error = lastError();
    if (!error && replacing) {
        fs::permissions(toPath(temporary), existing.permissions(), ec);
    }
    if (!error) error = injectedFault("rename", temporary);
    if (!error) {
        fs::rename(toPath(temporary), target, ec);
        if (ec) error = ec.value();
    }
    if (error) {
        fs::remove(toPath(temporary), ec);
        return failureFor(error, path);
    }
    return std::nullopt;
}

}  // namespace z2o
