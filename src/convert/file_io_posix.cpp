// The file operations of a POSIX system, where names are bytes and arguments come as they are.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "convert/file_io.h"
#include "convert/file_io_system.h"

namespace z2o {
namespace fs = std::filesystem;

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

namespace system {

int syncFile(std::FILE* file) {
    return ::fsync(fileno(file));
}

std::uint64_t fileSystemOf(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 ? static_cast<std::uint64_t>(status.st_dev) : 0;
}

std::size_t openFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1024;
    return static_cast<std::size_t>(limit.rlim_cur);
}

void syncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

#ifdef __linux__
int syncFileSystemOf(std::FILE* file) {
    return ::syncfs(fileno(file)) == 0 ? 0 : errno;
}
#else
int syncFileSystemOf(std::FILE*) {
    return ENOSYS;
}
#endif

#ifdef O_TMPFILE
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

void setUnnamedPermissions(std::FILE* file, unsigned permissions) {
    ::fchmod(fileno(file), static_cast<mode_t>(permissions));
}

int linkUnnamed(std::FILE* file, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(file));
    const int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    return linked == 0 ? 0 : errno;
}
#else
// No unnamed files on this system: every target goes by a named temporary file.
std::FILE* openUnnamedIn(const fs::path&) {
    errno = EOPNOTSUPP;
    return nullptr;
}

void setUnnamedPermissions(std::FILE*, unsigned) {}

int linkUnnamed(std::FILE*, const std::string&) {
    return EOPNOTSUPP;
}
#endif

}  // namespace system
}  // namespace z2o
