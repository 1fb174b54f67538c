// What the tests meet on Windows, and how a program is started and waited for there.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cerrno>

#include "convert/file_io.h"
#include "tests/test_support.h"

namespace z2o::testing::system {

const bool kUnnamedFiles = false;  // every target goes by a named temporary file
// Only a read-only attribute, and a read-only target is refused.
const bool kPermissionBits = false;
const bool kNamesAreBytes = false;
const char* const kGroupSync = "sync";  // no call syncs a volume: each file is synced
const int kQuotaError = ENOSPC;
const std::string kLegacyName = "f\xC3\xBCr";  // read in the ANSI code page
// None: under Wine, /proc/self/fd is the Wine process's, whose own threads open and close files.
const char* const kOpenFiles = "";

bool runsAsRoot() {
    return false;
}

unsigned setUmask(unsigned) {
    return 0;
}

std::optional<std::string> growingFile() {
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> unreadableSources(const TempDir&) {
    return {};
}

namespace {

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

}  // namespace

// There is no terminal to show a program's output on: both go to files.
int run(const std::string& program, const std::vector<std::string>& arguments,
        const std::string& folder, Terminal, const std::string& out, std::string& err) {
    const std::string errors = out + ".err";
    std::wstring line = quoted(toPath(program).native());
    for (const std::string& argument : arguments)
        line += L" " + quoted(toPath(argument).native());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritable(toPath(out).native(), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable(toPath(errors).native(), GENERIC_WRITE, CREATE_ALWAYS);
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
    err = readText(errors);
    return exited ? static_cast<int>(status) : -1;
}

}  // namespace z2o::testing::system
