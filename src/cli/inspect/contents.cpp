#include "cli/inspect/contents.h"

#include <string_view>

#include "convert/duration.h"
#include "convert/session.h"

namespace z2o::inspect {

Contents::Contents(Kind kind, std::span<const std::uint8_t> bytes) : kind(kind), m_bytes(bytes) {
    if (kind == Kind::Target) {
        const std::vector<TargetStepRecord> records = decodeTargetSession(bytes);
        count = records.size();
        steps = static_cast<std::int64_t>(records.size());
        playingTenths = z2o::playingTenths(records);
        return;
    }
    count = bytes.size() / kSourceRecordSize;
    for (std::size_t r = 0; r < count; ++r) {
        const SourceStepRecord record = source(r);
        if (!isStep(record)) continue;
        ++steps;
        playingTenths +=
            parseDuration(std::string_view(record.duration.data(), record.duration.size())).tenths;
    }
}

const std::vector<Cell>& Contents::cells(std::size_t r) {
    if (kind == Kind::Source) {
        sourceCells(source(r), m_cells);
    } else {
        const std::size_t at = r * kTargetRecordSize;
        targetCells(decodeTargetRecord(m_bytes.subspan(at).first<kTargetRecordSize>()), m_cells);
    }
    return m_cells;
}

SourceStepRecord Contents::source(std::size_t r) const {
    const std::size_t at = r * kSourceRecordSize;
    return decodeSourceRecord(m_bytes.subspan(at).first<kSourceRecordSize>());
}

}  // namespace z2o::inspect
