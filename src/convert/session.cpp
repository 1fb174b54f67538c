#include "session.h"

#include <algorithm>

#include "duration.h"

namespace z2o {

SourceLength checkSourceLength(std::uint64_t bytes) {
    if (bytes % kSourceRecordSize != 0) return SourceLength::NotWholeRecords;
    if (bytes / kSourceRecordSize > static_cast<std::uint64_t>(kMaxRecordCount)) {
        return SourceLength::TooManyRecords;
    }
    return SourceLength::Valid;
}

ConversionResult convertSession(std::span<const std::uint8_t> source, const RampSettings& settings,
                                const ErrorSink& raise) {
    ConversionResult result;
    result.length = checkSourceLength(source.size());
    if (result.length != SourceLength::Valid) return result;

    const std::size_t recordCount = source.size() / kSourceRecordSize;
    PreparedRecords records;
    initPreparedRecords(records);
    StepValues values;
    DerivedValues derived;
    int nextStepNumber = 1;
    // At most four records a step and never more than the last step number: at most 3.5 MiB,
    // and no regrowth while the records are appended.
    result.target.reserve(std::min<std::size_t>(recordCount * 4, kMaxStepNumber) *
                          kTargetRecordSize);

    for (std::size_t r = 0; r < recordCount; ++r) {
        std::int16_t writeMask = 2;
        const SourceStepRecord record =
            decodeSourceRecord(source.subspan(r * kSourceRecordSize).first<kSourceRecordSize>());
        if (!isStep(record)) continue;
        translateStep(record, records, values, raise);
        planStepSegments(record, values, settings, records, derived, writeMask, raise);
        if (!writeStepSegments(records, writeMask, nextStepNumber, result.target)) {
            result.tooManySteps = true;
            result.target.clear();
            result.target.shrink_to_fit();
            return result;
        }
    }
    result.steps = nextStepNumber - 1;
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
