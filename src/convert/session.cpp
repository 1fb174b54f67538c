#include "convert/session.h"

#include <algorithm>

#include "convert/duration.h"

namespace z2o {

SourceLength checkRecordCount(std::uint64_t bytes, std::size_t recordSize) {
    if (bytes % recordSize != 0) return SourceLength::NotWholeRecords;
    if (bytes / recordSize > static_cast<std::uint64_t>(kMaxRecordCount)) {
        return SourceLength::TooManyRecords;
    }
    return SourceLength::Valid;
}

SessionConverter::SessionConverter(const RampSettings& settings, ErrorSink raise, ChunkSink out)
    : m_planner(settings, raise), m_out(out) {}

bool SessionConverter::add(std::span<const std::uint8_t> sourceRecords) {
    const std::size_t count = sourceRecords.size() / kSourceRecordSize;
    for (std::size_t r = 0; r < count && !m_stopped; ++r) {
        ++m_record;
        const SourceStepRecord record = decodeSourceRecord(
            sourceRecords.subspan(r * kSourceRecordSize).first<kSourceRecordSize>());
        if (!isStep(record)) continue;
        const StepPlan plan = m_planner.plan(record);
        if (m_buffer.size() - m_used < kMaxStepRecords * kTargetRecordSize && !flush()) break;
        const int written = writeStepSegments(
            m_planner.records(), plan, m_nextStepNumber,
            std::span(m_buffer).subspan(m_used).first<kMaxStepRecords * kTargetRecordSize>());
        if (written == -1) {
            m_tooManySteps = m_stopped = true;
            break;
        }
        m_used += static_cast<std::size_t>(written) * kTargetRecordSize;
        m_playingTenths += plan.playingTenths();
    }
    return !m_stopped;
}

bool SessionConverter::flush() {
    if (m_used > 0 && !m_stopped && !m_out(std::span(m_buffer).first(m_used))) m_stopped = true;
    m_used = 0;
    return !m_stopped;
}

bool SessionConverter::finish() {
    return flush();
}

ConversionResult convertSession(std::span<const std::uint8_t> source, const RampSettings& settings,
                                const ErrorSink& raise) {
    ConversionResult result;
    // At most four records a step and never more than the last step number: at most 3.5 MiB,
    // and no regrowth while the records are appended.
    result.target.reserve(
        std::min<std::size_t>(source.size() / kSourceRecordSize * 4, kMaxStepNumber) *
        kTargetRecordSize);
    const auto append = [&result](std::span<const std::uint8_t> bytes) {
        result.target.insert(result.target.end(), bytes.begin(), bytes.end());
        return true;
    };
    SessionConverter converter(settings, raise, append);
    converter.add(source);
    converter.finish();
    if (converter.tooManySteps()) {
        result.tooManySteps = true;
        result.target.clear();
        return result;
    }
    result.steps = converter.steps();
    result.playingTenths = converter.playingTenths();
    return result;
}

std::vector<TargetStepRecord> decodeTargetSession(std::span<const std::uint8_t> bytes) {
    std::vector<TargetStepRecord> records;
    records.reserve(bytes.size() / kTargetRecordSize);
    for (std::size_t at = 0; at + kTargetRecordSize <= bytes.size(); at += kTargetRecordSize) {
        records.push_back(decodeTargetRecord(bytes.subspan(at).first<kTargetRecordSize>()));
    }
    return records;
}

std::int64_t playingTenths(std::span<const TargetStepRecord> records) {
    std::int64_t total = 0;
    for (const TargetStepRecord& record : records) {
        total +=
            parseDuration(std::string_view(record.duration.data(), record.duration.size())).tenths;
    }
    return total;
}

}  // namespace z2o
