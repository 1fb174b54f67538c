// Shared fixtures: a fresh temporary folder, file helpers, and a host that plays a script of
// answers so that no test waits on a dialog.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/host.h"

namespace z2o::testing {

std::vector<std::string> namesIn(const std::filesystem::path& folder);  // sorted; none if unlisted

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    // A UTF-8 path below the folder, with the system's own separators.
    std::string operator/(const std::string& name) const;
    // `text` with each "@NAME" (up to a blank, a comma or a line end) as `*this / NAME`.
    std::string expand(std::string text) const;
    // The names in the folder, to see that nothing stray was left behind.
    std::vector<std::string> names() const { return namesIn(m_path); }

  private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> readBytes(const std::string& path);
std::string readText(const std::string& path);  // in text mode: CR LF reads as "\n"
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void writeText(const std::string& path, std::string_view text);  // its bytes as they are

struct ProgramRun {
    int status = -1;  // the exit status; -1 when the program could not start
    std::string out;
    std::string err;  // with a terminal: all that the terminal showed
};
// Where a program's output goes: to files, or standard error (and output too) to a terminal.
enum class Terminal { None, ForErrors, ForBoth };
// Starts `program` in `folder` with exactly these arguments (no shell between) and waits for it,
// its standard output and error captured.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, Terminal terminal = Terminal::None);
// POSIX only: starts it without waiting, its output in the files `out` and `err`: the process id.
int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::string& out, const std::string& err);
// POSIX only: its exit status, or 128 and the signal that ended it.
int waitForProgram(int pid);

// What differs by system, from test_support_posix.cpp or test_support_windows.cpp.
namespace system {
extern const bool kUnnamedFiles;       // a target can be written without a name
extern const bool kPermissionBits;     // files have them
extern const bool kNamesAreBytes;      // a name need not be text in any code page
extern const char* const kGroupSync;   // the operation that makes a commit group durable
extern const int kQuotaError;          // the errno value of a full quota
extern const std::string kLegacyName;  // "für" in cp1252, as this system reads it
extern const char* const kOpenFiles;   // the folder that lists this process's open files, or ""
bool runsAsRoot();
unsigned setUmask(unsigned mask);          // the one before
std::optional<std::string> growingFile();  // a file longer than the size it reports
// Sources only this system can make unreadable, made in `dir`: each name and its message.
std::vector<std::pair<std::string, std::string>> unreadableSources(const TempDir& dir);
// Runs a program, its standard output into the file `out`, its errors (or all a terminal
// showed) into `err`: its exit status.
int run(const std::string& program, const std::vector<std::string>& arguments,
        const std::string& folder, Terminal terminal, const std::string& out, std::string& err);
}  // namespace system

class ScriptedHost : public Host {
  public:
    std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) override;
    std::int32_t showMessage(const Message& message) override;
    void processEvents() override;
    StopCause stopHere() override;
    bool endingNow() override { return endNow; }
    std::string programFolder() override { return programFolderPath; }
    bool asksUser() override { return asks; }
    void batchProgress(int index, int count, const std::string& path) override;
    void sessionDone(const SessionOutcome& outcome) override { outcomes.push_back(outcome); }

    // The next dialog picks this path; nothing queued means Cancel.
    std::deque<std::string> picks;
    // Answers to OK/Cancel messages, in order; when empty, OK.
    std::deque<std::int32_t> answers;
    // stopHere asks to stop from this events call on (counting from 1); 0 never.
    int stopAtEventsCall = 0;
    bool endNow = false;
    bool asks = false;
    // Runs inside processEvents, as a user's click would.
    std::function<void()> onEvents;
    // Runs as each message shows, before it is answered.
    std::function<void(const Message&)> onMessage;

    std::string programFolderPath = "/nonexistent-program-folder";
    std::vector<OpenDialogSettings> dialogs;
    std::vector<Message> messages;
    std::vector<std::string> progress;
    std::vector<SessionOutcome> outcomes;  // each as it is final
    int eventsCalls = 0;
};

}  // namespace z2o::testing

namespace z2o {
using testing::readBytes;
using testing::ScriptedHost;
using testing::TempDir;
using testing::writeBytes;
using testing::writeText;
}  // namespace z2o
