#include "convert/file_io.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "convert/file_io_system.h"

namespace z2o {
namespace fs = std::filesystem;
namespace {

FileFaultHook g_faultHook = nullptr;

// A missing file and a missing folder both come back as ENOENT; the user is told which: a
// missing folder here, a missing file as ENOENT always reads.
RunError failureFor(int error, const std::string& path) {
    if (error == ENOENT) {
        std::error_code ec;
        const fs::path parent = toPath(path).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) return runError(kPathNotFound);
    }
    return fromSystemError(std::error_code(error, std::generic_category()));
}

// A hidden name beside `target`: with a random suffix, or with none (`fixed`). Names end at 255
// bytes (255 UTF-16 units on Windows, never more than the UTF-8 bytes), so a target's own name
// that leaves no room is cut, between two characters, and always takes a random suffix.
std::string temporaryNameBeside(const fs::path& target, bool fixed = false) {
    constexpr std::size_t kLongestName = 255;
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    std::string name = fromPath(target.filename());
    if (name.size() + std::strlen("..tmp") > kLongestName) fixed = false;
    const std::size_t room = kLongestName - std::strlen("..tmp") - (fixed ? 0 : 1 + 16);
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;  // not inside a character
        name.resize(cut);
    }
    // Appended piece by piece: GCC 12 at -O3 misreads "." + string&& as an overlapping copy.
    std::string hidden = ".";
    hidden += name;
    if (!fixed) {
        hidden += '.';
        hidden += suffix;
    }
    hidden += ".tmp";
    fs::path path = target;
    path.replace_filename(toPath(hidden));
    return fromPath(path);
}

// Some C libraries leave errno at 0 on a short write; that is still a failure.
int lastError() {
    return errno != 0 ? errno : EIO;
}

bool unnamedRefused(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// The last step: the whole, synced file takes the target's place.
bool renameOverTarget(const std::string& from, const std::string& target) {
    if (const int fault = injectedFault("rename", from)) {
        errno = fault;
        return false;
    }
    return renameOver(from, target);
}

void syncFolder(const fs::path& folder) {
    if (injectedFault("syncfolder", fromPath(folder)) == 0) system::syncFolder(folder);
}

}  // namespace

int injectedFault(const char* operation, const std::string& path) {
    return g_faultHook ? g_faultHook(operation, path) : 0;
}

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
    if (m_old) std::fclose(m_old);
    m_old = nullptr;
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

std::optional<RunError> TargetFile::create(const std::string& path, TargetMode mode) {
    m_path = path;
    m_mode = mode;
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
        // An old target that cannot be read is simply replaced.
        if (mode != TargetMode::Rewrite) m_old = openFile(path, "rb");
        m_same = m_old != nullptr;
    }
    if (m_same || mode == TargetMode::Check) return std::nullopt;
    return open();
}

std::optional<RunError> TargetFile::open() {
    const fs::path target = toPath(m_path);
    if (const int fault = injectedFault("create", fromPath(target.parent_path())))
        return failureFor(fault, m_path);
    m_file = system::openUnnamedIn(target.parent_path());
    if (!m_file && !unnamedRefused(errno)) return failureFor(lastError(), m_path);
    if (!m_file) {
        if (auto error = createNamed(target)) return error;
    }
    // The converter hands over a buffer of its own, 64 KiB at a time: each goes to the system
    // as it comes, in one call and without a second copy.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    return std::nullopt;
}

std::optional<RunError> TargetFile::write(std::span<const std::uint8_t> bytes) {
    m_size += bytes.size();
    if (m_same) return compare(bytes);
    return m_file ? put(bytes) : std::nullopt;
}

std::optional<RunError> TargetFile::put(std::span<const std::uint8_t> bytes) {
    errno = 0;
    if (const int fault = injectedFault("write", m_temporary.empty() ? m_path : m_temporary))
        return failed(fault);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return failed(lastError());
    return std::nullopt;
}

// The old target is read alongside, a part at a time, so memory stays small for any size.
std::optional<RunError> TargetFile::compare(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, 16 * 1024> old;
    for (auto rest = bytes; !rest.empty();) {
        const std::size_t want = std::min(old.size(), rest.size());
        if (std::fread(old.data(), 1, want, m_old) != want ||
            std::memcmp(old.data(), rest.data(), want) != 0) {
            if (auto error = diverge(m_size - bytes.size())) return error;
            return m_file ? put(bytes) : std::nullopt;
        }
        rest = rest.subspan(want);
    }
    return std::nullopt;
}

// The first difference: the `matched` bytes before it are copied from the old target into a
// new file, which the rest then follows.
std::optional<RunError> TargetFile::diverge(std::uint64_t matched) {
    std::FILE* const old = m_old;
    m_old = nullptr;
    m_same = false;
    if (m_mode == TargetMode::Check) {
        std::fclose(old);
        return std::nullopt;
    }
    std::optional<RunError> error = open();
    std::rewind(old);
    std::array<std::uint8_t, 16 * 1024> buffer;
    while (!error && matched > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), matched));
        if (std::fread(buffer.data(), 1, want, old) != want) {
            error = failed(EIO);
            break;
        }
        error = put(std::span(buffer).first(want));
        matched -= want;
    }
    std::fclose(old);
    return error;
}

std::optional<RunError> TargetFile::finish() {
    if (m_same) {
        const bool longer = std::fgetc(m_old) != EOF;
        if (!longer && !std::ferror(m_old)) {
            std::fclose(m_old);
            m_old = nullptr;
            return std::nullopt;
        }
        if (auto error = diverge(m_size)) return error;
    }
    return std::nullopt;
}

std::optional<RunError> TargetFile::sync() {
    errno = 0;
    if (std::fflush(m_file) != 0) return failed(lastError());
    if (const int fault = injectedFault("sync", m_temporary.empty() ? m_path : m_temporary))
        return failed(fault);
    if (system::syncFile(m_file) != 0) return failed(lastError());
    return std::nullopt;
}

std::optional<RunError> TargetFile::takeName() {
    return m_temporary.empty() ? linkUnnamed() : renameNamed();
}

void syncTargetFolder(const std::string& folder) {
    syncFolder(toPath(folder));
}

// ---- The unnamed way: the file has no name until it is complete ----
// A killed process leaves nothing; the file gets its name only once it is whole and synced.

std::optional<RunError> TargetFile::linkUnnamed() {
    const fs::path target = toPath(m_path);
    if (m_replacing) system::setUnnamedPermissions(m_file, m_permissions);
    // A new target takes its name at once. One to replace goes by a temporary name, renamed
    // over it; a kill in the instant between the two leaves that name with the whole new
    // target in it. The name is always the same one, so the next conversion of this target
    // clears it; only when another run holds it does a random name stand in.
    // The name is ours to remove only once the link made it.
    std::string name = m_path;
    int error = EEXIST;
    if (m_replacing) {
        name = temporaryNameBeside(target, true);
        std::error_code ec;
        fs::remove(toPath(name), ec);
        error = system::linkUnnamed(m_file, name);
    } else {
        const int fault = injectedFault("rename", m_path);  // where a new target takes its place
        error = fault ? fault : system::linkUnnamed(m_file, m_path);
    }
    for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
        name = temporaryNameBeside(target);
        error = system::linkUnnamed(m_file, name);
    }
    if (error) return failed(error);
    if (name != m_path) {
        m_temporary = name;
        if (!renameOverTarget(m_temporary, m_path)) return failed(lastError());
        m_temporary.clear();
    }
    std::fclose(m_file);  // synced and in place: nothing a late close could lose
    m_file = nullptr;
    return std::nullopt;
}

// ---- The named way: a hidden file with a random name beside the target ----
// Where the system has no unnamed files; a killed process can leave that hidden file behind.

std::optional<RunError> TargetFile::createNamed(const fs::path& target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryNameBeside(target);
        m_file = createNewFile(name);
        if (m_file) {
            m_temporary = name;  // made here: ours to remove
            return std::nullopt;
        }
        if (errno != EEXIST) return failureFor(lastError(), m_path);
    }
    return runError(kPathFileAccessError);  // a hundred names taken
}

std::optional<RunError> TargetFile::renameNamed() {
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) return failed(lastError());
    std::error_code ec;
    if (m_replacing) fs::permissions(toPath(m_temporary), fs::perms(m_permissions), ec);
    if (!renameOverTarget(m_temporary, m_path)) return failed(lastError());
    m_temporary.clear();
    return std::nullopt;
}

}  // namespace z2o
