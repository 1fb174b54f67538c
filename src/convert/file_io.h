// Plain file I/O of a conversion: a source read in chunks, a target written commit-or-nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
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

// A target written in parts and put in place only when complete: until `commit` succeeds, an
// existing file at `path` stays exactly as it was, and a failure, an abandoned write or a killed
// process leaves nothing behind (where the system has unnamed files; elsewhere a killed process
// can leave a hidden temporary file beside the target).
class TargetFile {
  public:
    TargetFile() = default;
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;
    ~TargetFile();  // abandons an uncommitted file

    // One target for each object: write and commit follow a create that succeeded.
    std::optional<RunError> create(const std::string& path);
    std::optional<RunError> write(std::span<const std::uint8_t> bytes);
    // Syncs the file, moves it over the target and syncs the folder so the new name lasts too;
    // while a FolderSyncBatch is alive the folder's sync is left to it.
    std::optional<RunError> commit();
    void abandon();

  private:
    std::optional<RunError> failed(int error);
    // The two ways to a target: an unnamed file linked into place where the system has them,
    // else a named temporary file renamed over the target.
    std::optional<RunError> linkUnnamed();
    std::optional<RunError> createNamed(const std::filesystem::path& target);
    std::optional<RunError> renameNamed();

    std::string m_path;
    std::string m_temporary;  // the named temporary file; empty while the file has no name
    std::FILE* m_file = nullptr;
    bool m_replacing = false;
    unsigned m_permissions = 0;  // those of the file replaced
};

// One run over many targets (a session list, an album, a folder walk, a window's command): while
// it is alive, each target is still synced before it replaces anything, but the sync of its folder
// waits for the end of the batch, once per folder however many targets it received. A crash then
// still leaves each target old or new, never half-written; only a crash of the system can bring
// back the old target (or lose a new one) written since the last folder sync. A batch made while
// another is alive leaves its folders to the outer one. For one thread.
class FolderSyncBatch {
  public:
    FolderSyncBatch();
    FolderSyncBatch(const FolderSyncBatch&) = delete;
    FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
    ~FolderSyncBatch();  // flushes

    // Syncs each folder that received a target since the last flush; for a path that ends the
    // program otherwise than through this object's end.
    void flush();

  private:
    bool m_outermost = false;
    std::set<std::filesystem::path::string_type> m_folders;
};

// Test seam: when set, called before each file operation ("read" opens a source, "create",
// "unnamed", "write", "sync" the temporary target, "rename" it over the target, "syncfolder" a
// target's folder) with its path; a non-zero errno value makes that operation fail with it (a
// folder then goes unsynced, as where the file system refuses).
using FileFaultHook = std::function<int(const char* operation, const std::string& path)>;
void setFileFaultHook(FileFaultHook hook);

}  // namespace z2o
