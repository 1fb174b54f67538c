// What a session file holds, as z2o-inspect shows it: its whole records, their steps and playing
// time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cli/inspect/fields.h"

namespace z2o::inspect {

// Records are turned into cells one at a time, as they are printed, so that a long session never
// holds all its cells at once. Bytes after the last whole record are left out.
class Contents {
  public:
    Contents(Kind kind, std::span<const std::uint8_t> bytes);

    // The cells of record `r` (from 0), valid until the next call.
    const std::vector<Cell>& cells(std::size_t r);

    Kind kind;
    std::size_t count = 0;
    std::int64_t steps = 0;
    std::int64_t playingTenths = 0;

  private:
    SourceStepRecord source(std::size_t r) const;

    std::span<const std::uint8_t> m_bytes;
    std::vector<Cell> m_cells;
};

}  // namespace z2o::inspect
