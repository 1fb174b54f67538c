// What the tests meet on a POSIX system, and how a program is started and waited for there,
// its output in files or on a terminal of its own.
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "convert/file_io.h"
#include "tests/test_support.h"

namespace z2o::testing {
namespace {

// In the child: its output to these files (an empty name keeps what it has), then the program.
[[noreturn]] void exec(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, const std::string& out, const std::string& err) {
    for (const auto& [fd, name] : {std::pair{1, &out}, std::pair{2, &err}}) {
        const int file =
            name->empty() ? fd : open(name->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file < 0 || dup2(file, fd) < 0) _exit(127);
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execv(program.c_str(), argv.data());
    _exit(127);
}

}  // namespace

int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::string& out, const std::string& err) {
    const pid_t child = fork();
    if (child == 0) exec(program, arguments, folder, out, err);
    return child;
}

int waitForProgram(int pid) {
    int raw = 0;
    if (pid < 0 || waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

namespace system {

const bool kUnnamedFiles = true;
const bool kPermissionBits = true;
const bool kNamesAreBytes = true;
const char* const kGroupSync = "syncgroup";  // one sync of the file system for a whole group
const int kQuotaError = EDQUOT;
const std::string kLegacyName = "f\xFCr";  // its bytes are the name
const char* const kOpenFiles = "/proc/self/fd";

bool runsAsRoot() {
    return geteuid() == 0;
}

unsigned setUmask(unsigned mask) {
    return umask(static_cast<mode_t>(mask));
}

// Longer than the size it reports.
std::optional<std::string> growingFile() {
    return "/proc/version";
}

std::vector<std::pair<std::string, std::string>> unreadableSources(const TempDir& dir) {
    std::filesystem::create_symlink("/proc/version", dir.path() / "Grows.ZS2");
    mkfifo((dir / "Pipe.ZS2").c_str(), 0600);
    const std::string tooLong(300, 'n');
    return {
        {tooLong + ".ZS2", "Bad file name or number\r\n@" + tooLong + ".ZS2"},
        // The source is not what it was when opened.
        {"Grows.ZS2", "Device I/O error\r\n@Grows.ZS2"},
        // Neither waits: a pipe for a writer, a device for its end.
        {"Pipe.ZS2", "Path/File access error\r\n@Pipe.ZS2"},
        {"/dev/zero", "Path/File access error\r\n/dev/zero"},
    };
}

int run(const std::string& program, const std::vector<std::string>& arguments,
        const std::string& folder, Terminal terminal, const std::string& out, std::string& err) {
    if (terminal == Terminal::None) {
        const std::string errors = out + ".err";
        const int status = waitForProgram(startProgram(program, arguments, folder, out, errors));
        err = readText(errors);
        return status;
    }
    int shown = -1;
    const pid_t child = forkpty(&shown, nullptr, nullptr, nullptr);
    if (child == 0)
        exec(program, arguments, folder, terminal == Terminal::ForErrors ? out : "", "");
    char buffer[256];
    for (ssize_t n; (n = read(shown, buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<std::size_t>(n));
    close(shown);
    return waitForProgram(child);
}

}  // namespace system
}  // namespace z2o::testing
