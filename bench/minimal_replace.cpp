// The least a program can do to replace a file commit-or-nothing on Linux, as the baseline of a
// conversion that replaces its target: the new bytes go to a file without a name in the target's
// folder, are synced, take a hidden name beside the target and are renamed over it, and then the
// folder is synced. It reads its bytes from a file as a conversion reads its source, 64 KiB at a
// time, and writes each part as it comes.
// Usage: z2o_minimal_replace PAYLOAD TARGET
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int fail(const char* what, const std::string& path) {
    std::fprintf(stderr, "z2o_minimal_replace: %s %s: %s\n", what, path.c_str(),
                 std::strerror(errno));
    return 1;
}

// Writes all of `bytes`, as a short write may leave some.
bool writeAll(int fd, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, bytes, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: z2o_minimal_replace PAYLOAD TARGET\n");
        return 2;
    }
    const std::string payload = argv[1];
    const std::string target = argv[2];
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string hidden = (slash == std::string::npos ? "" : folder) + "." + name + ".tmp";

    const int in = ::open(payload.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return fail("open", payload);
    const int out = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (out < 0) return fail("open an unnamed file in", folder);
    static std::array<std::uint8_t, 64 * 1024> buffer;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail("read", payload);
        if (got == 0) break;
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(got)))
            return fail("write", target);
    }
    ::close(in);
    if (::fsync(out) != 0) return fail("fsync", target);
    const std::string self = "/proc/self/fd/" + std::to_string(out);
    ::unlink(hidden.c_str());  // left by an earlier run that was killed
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return fail("link", hidden);
    if (::rename(hidden.c_str(), target.c_str()) != 0) return fail("rename", hidden);
    ::close(out);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return fail("open", folder);
    if (::fsync(dir) != 0) return fail("fsync", folder);
    ::close(dir);
    return 0;
}
