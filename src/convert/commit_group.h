// Finished targets made durable together: many small files cost one sync of their file system
// rather than one each, and then take their names.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "convert/errors.h"
#include "convert/file_io.h"

namespace z2o {

// Complete targets wait here, still without a name, until the group is committed: its data is
// made durable at once (one sync of each file system it touches, where the system has such a
// call; else each file is synced), then each target takes its name, then each folder that
// received one is synced once. A crash before a target's name leaves its old target whole; one
// after it leaves the new target whole, or, only where the system itself crashes before the
// folder's sync, the old one.
class CommitGroup {
  public:
    // Told of each target as its commit ends: nothing, or why it did not take its name.
    using Done = std::function<void(const std::optional<RunError>&)>;

    CommitGroup();
    CommitGroup(const CommitGroup&) = delete;
    CommitGroup& operator=(const CommitGroup&) = delete;
    ~CommitGroup();  // commits what waits

    // A target that `writes()`, complete.
    void add(std::unique_ptr<TargetFile> target, Done done);
    // Full in files (open files stay within a quarter of the limit) or in bytes (so little waits
    // unsynced), or old enough that what waits should be reported; asked after an `add`.
    bool due() const;
    void commit();

  private:
    struct Pending {
        std::unique_ptr<TargetFile> target;
        Done done;
        std::optional<RunError> error;
    };
    void makeDurable();

    std::vector<Pending> m_pending;
    std::uint64_t m_bytes = 0;
    std::size_t m_maxFiles;
    std::chrono::steady_clock::time_point m_since;
};

}  // namespace z2o
