#include "app/session_loader.h"

#include <span>

#include "convert/file_io.h"
#include "convert/file_kind.h"
#include "convert/session.h"
#include "convert/translate.h"

namespace z2o {
namespace {

// The target steps that conversion planning writes for each source step, in output order. The
// bytes of the target do not say which slot a step filled, so the planning runs once more here.
std::vector<StepRole> plannedRoles(std::span<const std::uint8_t> source, const RampSettings& ramp) {
    const auto ignore = [](int) {};
    StepPlanner planner(ramp, ignore);
    std::vector<StepRole> roles;
    for (std::size_t at = 0; at + kSourceRecordSize <= source.size(); at += kSourceRecordSize) {
        const SourceStepRecord record =
            decodeSourceRecord(source.subspan(at).first<kSourceRecordSize>());
        if (!isStep(record)) continue;
        const StepPlan plan = planner.plan(record);
        if (plan.writes(SlotRole::SoftOn)) roles.push_back(StepRole::SoftOn);
        if (plan.writes(SlotRole::SecondHalf)) {
            roles.push_back(StepRole::FirstHalf);
            roles.push_back(StepRole::SecondHalf);
        } else {
            roles.push_back(StepRole::Plain);
        }
        if (plan.writes(SlotRole::SoftOff)) roles.push_back(StepRole::SoftOff);
    }
    return roles;
}

}  // namespace

// Ramps alone change tone levels: the soft-on ramp its start levels, the soft-off ramp its end
// levels. A ramp of the stimulation level alone looks like any other step.
StepRole roleFromBytes(const TargetStepRecord& r) {
    const auto& t = r.toneLevel;
    if (t[0] == 0 && t[1] == 0 && t[2] == 255 && t[3] == 255) return StepRole::SoftOn;
    if (t[0] == 255 && t[1] == 255 && t[2] == 0 && t[3] == 0) return StepRole::SoftOff;
    return StepRole::Plain;
}

std::optional<LoadedSession> loadSessionFile(const std::string& path, const RampSettings& ramp,
                                             std::string& problem) {
    const FileKind kind = fileKindOf(path);
    if (kind != FileKind::Session && kind != FileKind::Target) {
        problem = "It is neither a ZS2 nor an OSw session.";
        return std::nullopt;
    }
    const bool source = kind == FileKind::Session;
    const std::size_t recordSize = source ? kSourceRecordSize : kTargetRecordSize;
    SourceFile file;
    if (auto error = file.open(path)) {
        problem = error->description;
        return std::nullopt;
    }
    if (file.size() % recordSize != 0) {
        problem = "It is not a whole number of " + std::to_string(recordSize) + "-byte records.";
        return std::nullopt;
    }
    // Step numbers end at 32767 in both formats; a longer file is refused before it is read.
    if (file.size() / recordSize > static_cast<std::uint64_t>(kMaxRecordCount)) {
        problem = "It has more than 32767 records.";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (auto error = file.readAll(bytes)) {
        problem = error->description;
        return std::nullopt;
    }
    LoadedSession session;
    if (!source) {
        session.records = decodeTargetSession(bytes);
        return session;
    }
    const ConversionResult result = convertSession(bytes, ramp, [](int) {});
    if (result.tooManySteps) {
        problem = "It would convert to more than 32767 steps.";
        return std::nullopt;
    }
    session.records = decodeTargetSession(result.target);
    session.roles = plannedRoles(bytes, ramp);
    if (session.roles.size() != session.records.size()) session.roles.clear();
    return session;
}

}  // namespace z2o
