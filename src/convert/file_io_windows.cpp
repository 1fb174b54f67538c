// The file operations of Windows: names are UTF-16 there and travel here as UTF-8.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "convert/file_io.h"
#include "convert/file_io_system.h"

namespace z2o {
namespace fs = std::filesystem;
namespace {

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

}  // namespace

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

namespace system {

int syncFile(std::FILE* file) {
    return _commit(_fileno(file));
}

// The rename itself was written through (MOVEFILE_WRITE_THROUGH); a folder cannot be synced here.
void syncFolder(const fs::path&) {}

// Windows has no call that flushes a whole volume for an ordinary user: each file is synced.
int syncFileSystemOf(std::FILE*) {
    return ENOSYS;
}

std::uint64_t fileSystemOf(std::FILE*) {
    return 0;
}

std::size_t openFileLimit() {
    return 512;  // the C runtime's streams at start
}

// Windows has no unnamed files: every target goes by a named temporary file, so the two calls
// after this one are never reached.
std::FILE* openUnnamedIn(const fs::path&) {
    errno = EOPNOTSUPP;
    return nullptr;
}

void setUnnamedPermissions(std::FILE*, unsigned) {}

int linkUnnamed(std::FILE*, const std::string&) {
    return EOPNOTSUPP;
}

}  // namespace system
}  // namespace z2o
