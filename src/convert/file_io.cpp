#include "file_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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
    fs::path name = target;
    name.replace_filename("." + fromPath(target.filename()) + "." + suffix + ".tmp");
    return fromPath(name);
}

// Some C libraries leave errno at 0 on a short write; that is still a failure.
int lastError() {
    return errno != 0 ? errno : EIO;
}

// ---- The operating system's part of writing a target, kept together ----

int syncFile(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file));
#else
    return fsync(fileno(file));
#endif
}

// Makes a rename in `folder` durable. Best effort: the new file is in place whatever this says,
// and some file systems refuse to sync a folder.
void syncFolder(const fs::path& folder) {
#ifndef _WIN32
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    (void)folder;
#endif
}

#ifdef O_TMPFILE
// A file without a name in `folder`, so that a process killed while writing it leaves nothing.
// Null with errno set; EOPNOTSUPP, EISDIR or EINVAL say the system or file system has none.
std::FILE* openUnnamedIn(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool unnamedRefused(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Gives the unnamed file a name; 0 or the errno value. Linking cannot replace a file.
int linkUnnamed(std::FILE* file, const std::string& name) {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fileno(file));
    if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return errno;
    // Without /proc; this way needs a privilege that ordinary users may lack.
    return ::linkat(fileno(file), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}
#endif

// Moves a named file over another, which is replaced as one step.
int renameOver(const std::string& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(toPath(from), to, ec);
    return ec ? ec.value() : 0;
}

// ---- end of the operating system's part ----

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

std::optional<RunError> SourceFile::readNext(std::span<std::uint8_t> buffer, std::size_t& got) {
    got = 0;
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), m_size - m_read));
    if (want == 0) {
        if (std::fgetc(m_file) != EOF) return runError(kDeviceIoError);
        if (std::ferror(m_file)) return failureFor(lastError(), {});
        return std::nullopt;
    }
    got = std::fread(buffer.data(), 1, want, m_file);
    if (std::ferror(m_file)) return failureFor(lastError(), {});
    if (got != want) return runError(kDeviceIoError);
    m_read += got;
    return std::nullopt;
}

TargetFile::~TargetFile() {
    abandon();
}

void TargetFile::abandon() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    std::error_code ec;
    if (!m_temporary.empty()) fs::remove(toPath(m_temporary), ec);
    m_temporary.clear();
}

std::optional<RunError> TargetFile::failed(int error) {
    abandon();
    return failureFor(error, m_path);
}

std::optional<RunError> TargetFile::create(const std::string& path) {
    abandon();
    m_path = path;
    if (path.find('\0') != std::string::npos) return runError(kBadFileName);
    const fs::path target = toPath(path);
    std::error_code ec;
    const fs::file_status existing = fs::status(target, ec);
    m_replacing = fs::exists(existing);
    if (m_replacing) {
        if (fs::is_directory(existing)) return runError(kPathFileAccessError);
        // Renaming would succeed over a read-only file; its owner made it read-only to keep it.
        if ((existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
            return runError(kPermissionDenied);
        }
        m_permissions = static_cast<unsigned>(existing.permissions());
    }

#ifdef O_TMPFILE
    if (const int fault = injectedFault("create", fromPath(target.parent_path())))
        return failureFor(fault, path);
    m_file = openUnnamedIn(target.parent_path());
    if (m_file) return std::nullopt;
    if (!unnamedRefused(errno)) return failureFor(lastError(), path);
#endif
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        m_temporary = temporaryNameBeside(target);
        if (const int fault = injectedFault("create", m_temporary)) {
            m_temporary.clear();
            return failureFor(fault, path);
        }
        m_file = std::fopen(m_temporary.c_str(), "wbx");
        if (!m_file && errno != EEXIST) {
            m_temporary.clear();
            return failureFor(lastError(), path);
        }
    }
    if (!m_file) {
        m_temporary.clear();
        return runError(kPathFileAccessError);
    }
    return std::nullopt;
}

std::optional<RunError> TargetFile::write(std::span<const std::uint8_t> bytes) {
    if (!m_file) return runError(kPathFileAccessError);
    errno = 0;
    if (const int fault = injectedFault("write", m_temporary.empty() ? m_path : m_temporary))
        return failed(fault);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return failed(lastError());
    return std::nullopt;
}

std::optional<RunError> TargetFile::commit() {
    if (!m_file) return runError(kPathFileAccessError);
    const std::string named = m_temporary.empty() ? m_path : m_temporary;
    errno = 0;
    if (std::fflush(m_file) != 0) return failed(lastError());
    if (const int fault = injectedFault("sync", named)) return failed(fault);
    if (syncFile(m_file) != 0) return failed(lastError());
    const fs::path target = toPath(m_path);
    std::error_code ec;
    if (const int fault = injectedFault("rename", named)) return failed(fault);

    if (!m_temporary.empty()) {
        if (std::fclose(m_file) != 0) {
            m_file = nullptr;
            return failed(lastError());
        }
        m_file = nullptr;
        if (m_replacing) fs::permissions(toPath(m_temporary), fs::perms(m_permissions), ec);
        if (const int error = renameOver(m_temporary, target)) return failed(error);
        m_temporary.clear();
    }
#ifdef O_TMPFILE
    else {
        if (m_replacing) ::fchmod(fileno(m_file), static_cast<mode_t>(m_permissions));
        // A new target takes its name at once; one to replace goes by a temporary name, renamed
        // over it, which a kill can leave behind only in the instant between the two.
        int error = m_replacing ? EEXIST : linkUnnamed(m_file, m_path);
        for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
            m_temporary = temporaryNameBeside(target);
            error = linkUnnamed(m_file, m_temporary);
            if (error == EEXIST) m_temporary.clear();
        }
        if (error) {
            m_temporary.clear();
            return failed(error);
        }
        if (!m_temporary.empty()) {
            if (const int failure = renameOver(m_temporary, target)) return failed(failure);
            m_temporary.clear();
        }
        std::fclose(m_file);  // synced and in place: nothing a late close could lose
        m_file = nullptr;
    }
#endif
    syncFolder(target.parent_path());
    return std::nullopt;
}

std::optional<RunError> replaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    TargetFile file;
    if (auto error = file.create(path)) return error;
    if (auto error = file.write(bytes)) return error;
    return file.commit();
}

}  // namespace z2o
