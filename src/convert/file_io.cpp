#include "convert/file_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <climits>
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

// A hidden name beside `target`: with a random suffix, or with none (`fixed`).
std::string temporaryNameBeside(const fs::path& target, bool fixed = false) {
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    // Appended piece by piece: GCC 12 at -O3 misreads "." + string&& as an overlapping copy.
    std::string hidden = ".";
    hidden += fromPath(target.filename());
    if (!fixed) {
        hidden += '.';
        hidden += suffix;
    }
    hidden += ".tmp";
    fs::path name = target;
    name.replace_filename(toPath(hidden));
    return fromPath(name);
}

// Some C libraries leave errno at 0 on a short write; that is still a failure.
int lastError() {
    return errno != 0 ? errno : EIO;
}

#ifdef _WIN32
// UTF-16 from text in `codePage`; empty when the text is not valid there (with the flag) or
// too long for the call.
std::wstring widen(std::string_view text, UINT codePage, DWORD flags) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

std::wstring wideName(std::string_view utf8) {
    std::wstring wide = widen(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    return wide.empty() ? widen(utf8, CP_ACP, 0) : wide;
}

// Names that Windows allows but UTF-8 cannot hold (a lone surrogate) become U+FFFD.
std::string utf8Text(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

int errnoFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
            return EINVAL;
        default:
            return EIO;
    }
}
#endif

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
    if (const int fault = injectedFault("unnamed", fromPath(folder))) {
        errno = fault;
        return nullptr;
    }
    // Without /proc only a privilege that ordinary users lack could give it a name later.
    if (::access("/proc/self/fd", F_OK) != 0) {
        errno = EOPNOTSUPP;
        return nullptr;
    }
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
    return ::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}
#endif

// ---- end of the operating system's part ----

}  // namespace

#ifdef _WIN32
fs::path toPath(const std::string& utf8) {
    return fs::path(wideName(utf8));
}

std::string fromPath(const fs::path& path) {
    return utf8Text(path.native());
}

std::string nameAsUtf8(std::string_view bytes) {
    if (bytes.empty() || !widen(bytes, CP_UTF8, MB_ERR_INVALID_CHARS).empty()) {
        return std::string(bytes);
    }
    return utf8Text(widen(bytes, CP_ACP, 0));
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return _wfopen(wideName(path).c_str(), wideName(mode).c_str());
}

// fopen's "x" is not exclusive in the Windows C runtime: it truncates an existing file.
std::FILE* createNewFile(const std::string& path) {
    const int fd = _wopen(wideName(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

bool describeOpenFile(std::FILE* file, OpenFileInfo& info) {
    struct _stat64 status {};
    if (_fstat64(_fileno(file), &status) != 0) return false;
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.folder = (status.st_mode & _S_IFMT) == _S_IFDIR;
    return true;
}

bool renameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(wideName(from).c_str(), wideName(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    errno = errnoFor(GetLastError());
    return false;
}

std::string programFileFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return fromPath(fs::path(name).parent_path());
        }
        name.resize(name.size() * 2);
    }
}

Utf8Arguments::Utf8Arguments(int& argc, char**& argv) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            m_arguments.push_back(utf8Text(wide[i]));
        LocalFree(wide);
    } else {
        m_arguments.assign(argv, argv + argc);
    }
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
    argc = static_cast<int>(m_arguments.size());
    argv = m_pointers.data();
}
#else
fs::path toPath(const std::string& utf8) {
    return fs::path(utf8);
}

std::string fromPath(const fs::path& path) {
    return path.native();
}

std::string nameAsUtf8(std::string_view bytes) {
    return std::string(bytes);
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* createNewFile(const std::string& path) {
    return std::fopen(path.c_str(), "wbx");
}

bool describeOpenFile(std::FILE* file, OpenFileInfo& info) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0) return false;
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.folder = S_ISDIR(status.st_mode);
    return true;
}

bool renameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string programFileFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return fromPath(ec ? fs::current_path(ec) : exe.parent_path());
}

// The arguments are the bytes of the names already.
Utf8Arguments::Utf8Arguments(int&, char**&) {}
#endif

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(toPath(path), ec);
}

void setFileFaultHook(FileFaultHook hook) {
    g_faultHook = std::move(hook);
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
    m_file = openFile(path, "rb");
    if (!m_file) return failureFor(lastError(), path);
    OpenFileInfo info;
    if (!describeOpenFile(m_file, info)) return failureFor(errno, path);
    if (info.folder) return runError(kPathFileAccessError);
    m_size = info.size;
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

    if (const int fault = injectedFault("create", fromPath(target.parent_path())))
        return failureFor(fault, path);
#ifdef O_TMPFILE
    m_file = openUnnamedIn(target.parent_path());
    if (m_file) return std::nullopt;
    if (!unnamedRefused(errno)) return failureFor(lastError(), path);
#endif
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        m_temporary = temporaryNameBeside(target);
        m_file = createNewFile(m_temporary);
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
        if (!renameOver(m_temporary, m_path)) return failed(lastError());
        m_temporary.clear();
    }
#ifdef O_TMPFILE
    else {
        if (m_replacing) ::fchmod(fileno(m_file), static_cast<mode_t>(m_permissions));
        // A new target takes its name at once. One to replace goes by a temporary name, renamed
        // over it; a kill in the instant between the two leaves that name with the whole new
        // target in it. The name is always the same one, so the next conversion of this target
        // clears it; only when another run holds it does a random name stand in.
        int error = EEXIST;
        if (m_replacing) {
            m_temporary = temporaryNameBeside(target, true);
            fs::remove(toPath(m_temporary), ec);
            error = linkUnnamed(m_file, m_temporary);
        } else {
            error = linkUnnamed(m_file, m_path);
        }
        for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
            m_temporary = temporaryNameBeside(target);
            error = linkUnnamed(m_file, m_temporary);
        }
        if (error) {
            m_temporary.clear();
            return failed(error);
        }
        if (!m_temporary.empty()) {
            if (!renameOver(m_temporary, m_path)) return failed(lastError());
            m_temporary.clear();
        }
        std::fclose(m_file);  // synced and in place: nothing a late close could lose
        m_file = nullptr;
    }
#endif
    syncFolder(target.parent_path());
    return std::nullopt;
}

}  // namespace z2o
