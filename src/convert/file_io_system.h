// What each system's file (file_io_posix.cpp, file_io_windows.cpp) gives the portable file code
// of file_io.cpp, beside the public calls of file_io.h. Each failure leaves its cause in errno or
// returns it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace z2o::system {

// Flushes what the system holds of the file to the disk: 0, or non-zero with errno set.
int syncFile(std::FILE* file);

// Makes durable at once everything written to the file system that holds `file` (Linux's
// syncfs): 0, or the errno value; ENOSYS where the system has no such call, whose files then
// each take their own sync.
int syncFileSystemOf(std::FILE* file);
// Which file system holds `file`, so that a group syncs each of its file systems once.
std::uint64_t fileSystemOf(std::FILE* file);
// How many files the process may have open at once.
std::size_t openFileLimit();

// Makes the names created or renamed in `folder` durable. Best effort: some file systems refuse
// to sync a folder, and the names are in place whatever this says.
void syncFolder(const std::filesystem::path& folder);

// A file without a name in `folder`, so that a process killed while writing it leaves nothing.
// Null with errno set; EOPNOTSUPP, EISDIR or EINVAL say the system or its file system has none.
std::FILE* openUnnamedIn(const std::filesystem::path& folder);

// Gives the unnamed file the permission bits of the file it replaces, before it has a name.
void setUnnamedPermissions(std::FILE* file, unsigned permissions);

// Gives the unnamed file a name: 0 or the errno value. Linking never replaces a file: a name in
// use is EEXIST.
int linkUnnamed(std::FILE* file, const std::string& name);

}  // namespace z2o::system

namespace z2o {

// The test seam's answer for an operation (0: go on), shared by the system files.
int injectedFault(const char* operation, const std::string& path);

}  // namespace z2o
