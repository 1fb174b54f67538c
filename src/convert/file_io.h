// Plain file I/O of a conversion: a source read in chunks, a target written commit-or-nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/errors.h"

namespace z2o {

// Paths travel through the program as UTF-8 text. Neither conversion throws: a name that is not
// UTF-8 is read as nameAsUtf8 reads it.
std::filesystem::path toPath(const std::string& utf8);
std::string fromPath(const std::filesystem::path& path);

// A name in the system's own legacy code page as UTF-8: on Windows, bytes that are not UTF-8 are
// read in the ANSI code page; elsewhere names are bytes, and the bytes are the name as they are.
std::string nameAsUtf8(std::string_view bytes);

// The platform's file operations, with UTF-8 paths. Each failure leaves its cause in errno.
std::FILE* openFile(const std::string& path, const char* mode);
// Creates `path` for writing only when no file of that name exists (errno EEXIST otherwise).
std::FILE* createNewFile(const std::string& path);
struct OpenFileInfo {
    std::uint64_t size = 0;
    bool folder = false;
};
bool describeOpenFile(std::FILE* file, OpenFileInfo& info);
// Moves `from` over `to`, replacing a file of that name in one step.
bool renameOver(const std::string& from, const std::string& to);

// The folder that holds the running program.
std::string programFileFolder();

// The program's arguments as UTF-8, replacing argc and argv for the rest of main. Windows passes
// main its arguments in the ANSI code page, so there they are taken again as UTF-16. Console
// output on Windows is switched to UTF-8 as well.
class Utf8Arguments {
  public:
    Utf8Arguments(int& argc, char**& argv);

  private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;
};

bool isFolder(const std::string& path);

// An open file for reading, its length known before any byte is read.
class SourceFile {
  public:
    SourceFile() = default;
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    ~SourceFile();

    std::optional<RunError> open(const std::string& path);
    std::uint64_t size() const { return m_size; }
    // Reads the whole file in one go; a file that changed its length meanwhile is an I/O error.
    std::optional<RunError> readAll(std::vector<std::uint8_t>& bytes);
    // Reads the next part of the file into `buffer`, as much as fits and is left; `got` is 0 at
    // the end. A file that changed its length meanwhile is an I/O error.
    std::optional<RunError> readNext(std::span<std::uint8_t> buffer, std::size_t& got);

  private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_read = 0;
};

// How a conversion treats a target that is there already.
enum class TargetMode {
    Write,    // left alone when its bytes are exactly the new ones, else replaced
    Rewrite,  // replaced whatever it holds
    Check,    // compared only: nothing is ever written (a dry run)
};

// A target written in parts and put in place only when complete: until `takeName` succeeds, an
// existing file at `path` stays exactly as it was, and a failure, an abandoned write or a killed
// process leaves nothing behind (where the system has unnamed files; elsewhere a killed process
// can leave a hidden temporary file beside the target). While the bytes written match the old
// target's, nothing is written at all: an unchanged target keeps its bytes and its time stamp.
class TargetFile {
  public:
    TargetFile() = default;
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;
    ~TargetFile();  // abandons an unnamed file

    // One target for each object: the calls below follow a create that succeeded, in order:
    // write as often as needed, finish, then sync (or the sync of a whole group) and takeName.
    std::optional<RunError> create(const std::string& path, TargetMode mode = TargetMode::Write);
    std::optional<RunError> write(std::span<const std::uint8_t> bytes);
    // No more bytes come: an old target that holds exactly these is up to date.
    std::optional<RunError> finish();
    bool upToDate() const { return m_same; }
    bool replacing() const { return m_replacing; }
    // What is written to the disk: nothing for an up-to-date or a checked target.
    bool writes() const { return m_file != nullptr; }
    std::uint64_t size() const { return m_size; }
    const std::string& path() const { return m_path; }
    std::FILE* file() const { return m_file; }
    // Flushes the file's own bytes to the disk; this and takeName only where it `writes()`.
    std::optional<RunError> sync();
    // The whole, synced file takes the target's name in one step; the folder's sync is left to
    // the caller, which may sync it once for many targets.
    std::optional<RunError> takeName();
    void abandon();

  private:
    std::optional<RunError> failed(int error);
    std::optional<RunError> open();
    std::optional<RunError> compare(std::span<const std::uint8_t> bytes);
    std::optional<RunError> diverge(std::uint64_t matched);
    std::optional<RunError> put(std::span<const std::uint8_t> bytes);
    // The two ways to a target: an unnamed file linked into place where the system has them,
    // else a named temporary file renamed over the target.
    std::optional<RunError> linkUnnamed();
    std::optional<RunError> createNamed(const std::filesystem::path& target);
    std::optional<RunError> renameNamed();

    std::string m_path;
    std::string m_temporary;  // the named temporary file; empty while the file has no name
    std::FILE* m_file = nullptr;
    std::FILE* m_old = nullptr;  // the old target, while it matches what is written
    TargetMode m_mode = TargetMode::Write;
    bool m_replacing = false;
    bool m_same = false;         // every byte so far matches the old target's
    std::uint64_t m_size = 0;    // bytes handed over
    unsigned m_permissions = 0;  // those of the file replaced
};

// Makes the new names in `folder` durable; best effort, as some file systems refuse.
void syncTargetFolder(const std::string& folder);

// Test seam: when set, called before each file operation ("read" opens a source, "create",
// "unnamed", "write", "sync" the temporary target, "syncgroup" a group's file system, "rename"
// it over the target, "syncfolder" a target's folder) with its path; a non-zero errno value makes
// that operation fail with it (a folder then goes unsynced, as where the file system refuses).
using FileFaultHook = std::function<int(const char* operation, const std::string& path)>;
void setFileFaultHook(FileFaultHook hook);

}  // namespace z2o
