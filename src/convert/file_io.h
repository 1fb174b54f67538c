// Plain file I/O of a conversion: one read of a source, one commit-or-nothing write of a target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "errors.h"

namespace z2o {

// Paths travel through the program as UTF-8 text.
std::filesystem::path toPath(const std::string& utf8);
std::string fromPath(const std::filesystem::path& path);

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

  private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
};

// Writes `bytes` to a new, uniquely named file beside `path` and moves it over `path` only once
// it is complete, so a failure at any point leaves an existing file exactly as it was and no
// temporary file behind.
std::optional<RunError> replaceFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Test seam: when set, called before each file operation ("read" opens a source, "create",
// "write", "sync" and "rename" the temporary target) with its path; a non-zero errno value makes
// that operation fail with it.
using FileFaultHook = int (*)(const char* operation, const std::string& path);
void setFileFaultHook(FileFaultHook hook);

}  // namespace z2o
