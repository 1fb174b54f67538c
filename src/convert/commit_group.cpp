#include "convert/commit_group.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>

#include "convert/file_io_system.h"

namespace z2o {
namespace {

// Each sync of a group costs about as much as the whole file system has waiting, on a shared disk
// much more than the group's own bytes, so a library pays for the number of its groups: they end
// at the bytes or the wait below long before this many small targets.
constexpr std::size_t kMostFiles = 1024;
constexpr std::uint64_t kMostBytes = 16ULL << 20;
constexpr auto kLongestWait = std::chrono::milliseconds(100);

}  // namespace

// A quarter of the files the process may open, so that sources, albums and the folder walk keep
// their room.
CommitGroup::CommitGroup()
    : m_maxFiles(std::clamp<std::size_t>(system::openFileLimit() / 4, 1, kMostFiles)) {}

CommitGroup::~CommitGroup() {
    commit();
}

void CommitGroup::add(std::unique_ptr<TargetFile> target, Done done) {
    if (m_pending.empty()) m_since = std::chrono::steady_clock::now();
    m_bytes += target->size();
    m_pending.push_back({std::move(target), std::move(done), std::nullopt});
}

bool CommitGroup::due() const {
    return m_pending.size() >= m_maxFiles || m_bytes >= kMostBytes ||
           std::chrono::steady_clock::now() - m_since >= kLongestWait;
}

// One sync for each file system, where the system has one; if any fails, no target of the
// group takes its name, and each is told why.
void CommitGroup::makeDurable() {
    std::set<std::uint64_t> synced;
    int error = 0;
    for (const Pending& pending : m_pending) {
        std::FILE* file = pending.target->file();
        if (!synced.insert(system::fileSystemOf(file)).second) continue;
        const int fault = injectedFault("syncgroup", "");
        error = fault ? fault : system::syncFileSystemOf(file);
        if (error) break;
    }
    for (Pending& pending : m_pending) {
        if (error == ENOSYS) {
            pending.error = pending.target->sync();
        } else if (error) {
            pending.target->abandon();
            pending.error = fromSystemError(std::error_code(error, std::generic_category()));
        }
    }
}

void CommitGroup::commit() {
    makeDurable();
    std::set<std::string> folders;
    for (Pending& pending : m_pending) {
        if (pending.error) continue;
        pending.error = pending.target->takeName();
        if (!pending.error) folders.insert(fromPath(toPath(pending.target->path()).parent_path()));
    }
    for (const std::string& folder : folders)
        syncTargetFolder(folder);
    std::vector<Pending> done = std::move(m_pending);
    m_pending.clear();
    m_bytes = 0;
    for (Pending& pending : done)
        pending.done(pending.error);
}

}  // namespace z2o
