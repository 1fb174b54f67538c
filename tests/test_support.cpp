#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "convert/file_io.h"

namespace z2o::testing {

TempDir::TempDir() {
    m_path = std::filesystem::temp_directory_path() /
             ("z2o-test-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Undo read-only folders that a test made, so that removal can go through.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::operator/(const std::string& name) const {
    return fromPath((m_path / toPath(name)).make_preferred());
}

std::string TempDir::expand(std::string text) const {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
        const std::size_t end = std::min(text.find_first_of(" ,\r\n", at), text.size());
        text.replace(at, end - at, *this / text.substr(at + 1, end - at - 1));
    }
    return text;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;  // a folder one may enter but not list has no names to show
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         it != std::filesystem::directory_iterator(); it.increment(ec))
        names.push_back(fromPath(it->path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(toPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, std::string_view text) {
    writeBytes(path, {text.begin(), text.end()});
}

std::optional<PickedFile> ScriptedHost::showOpen(const OpenDialogSettings& settings) {
    dialogs.push_back(settings);
    if (picks.empty()) return std::nullopt;
    const std::filesystem::path path = toPath(picks.front());
    picks.pop_front();
    return PickedFile{fromPath(path), fromPath(path.filename())};
}

std::int32_t ScriptedHost::showMessage(const Message& message) {
    messages.push_back(message);
    if (onMessage) onMessage(message);
    if (message.buttons == Buttons::Ok || answers.empty()) return kAnswerOk;
    const std::int32_t answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedHost::processEvents() {
    ++eventsCalls;
    if (onEvents) onEvents();
}

StopCause ScriptedHost::stopHere() {
    return stopAtEventsCall != 0 && eventsCalls >= stopAtEventsCall ? StopCause::Request
                                                                    : StopCause::None;
}

void ScriptedHost::batchProgress(int index, int count, const std::string& path) {
    progress.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + path);
}

std::string readText(const std::string& path) {
    std::ifstream in(toPath(path));
    return {std::istreambuf_iterator<char>(in), {}};
}

namespace {

#ifdef _WIN32
// Quoted so that the child's CommandLineToArgvW gives back exactly `argument`.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        text += c;
        backslashes = 0;
    }
    text.append(2 * backslashes, L'\\');
    return text + L'"';
}

HANDLE inheritable(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int start(const std::string& program, const std::vector<std::string>& arguments,
          const std::string& folder, const std::string& out, const std::string& err) {
    std::wstring line = quoted(toPath(program).native());
    for (const std::string& argument : arguments)
        line += L" " + quoted(toPath(argument).native());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritable(toPath(out).native(), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable(toPath(err).native(), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt)  // Wine, busy, may fail a start
        started = CreateProcessW(toPath(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, toPath(folder).c_str(), &startup, &process);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(handle);
    if (!started) return -1;
    DWORD status = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    const bool exited = GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return exited ? static_cast<int>(status) : -1;
}
#endif

}  // namespace

#ifndef _WIN32
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
#endif

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, [[maybe_unused]] Terminal terminal) {
    const TempDir capture;
    ProgramRun run;
#ifdef _WIN32
    run.status = start(program, arguments, folder, capture / "out", capture / "err");
    run.err = readText(capture / "err");
#else
    if (terminal == Terminal::None) {
        run.status = waitForProgram(
            startProgram(program, arguments, folder, capture / "out", capture / "err"));
        run.err = readText(capture / "err");
    } else {
        int shown = -1;
        const pid_t child = forkpty(&shown, nullptr, nullptr, nullptr);
        if (child == 0)
            exec(program, arguments, folder, terminal == Terminal::ForErrors ? capture / "out" : "",
                 "");
        char buffer[256];
        for (ssize_t n; (n = read(shown, buffer, sizeof buffer)) > 0;)
            run.err.append(buffer, static_cast<std::size_t>(n));
        close(shown);
        run.status = waitForProgram(child);
    }
#endif
    run.out = readText(capture / "out");
    return run;
}

}  // namespace z2o::testing
