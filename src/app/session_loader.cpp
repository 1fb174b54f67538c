#include "app/session_loader.h"

#include <filesystem>
#include <span>

#include "convert/file_io.h"
#include "convert/file_kind.h"
#include "convert/session.h"

namespace z2o {
namespace {

// The whole file, refused unless it is a whole number of records of `recordSize`.
bool readRecords(const std::string& path, std::size_t recordSize, std::vector<std::uint8_t>& bytes,
                 std::string& problem) {
    SourceFile file;
    if (auto error = file.open(path)) {
        problem = error->description;
        return false;
    }
    // Step numbers end at 32767 in both formats; a longer file is refused before it is read.
    switch (checkRecordCount(file.size(), recordSize)) {
        case SourceLength::NotWholeRecords:
            problem =
                "It is not a whole number of " + std::to_string(recordSize) + "-byte records.";
            return false;
        case SourceLength::TooManyRecords:
            problem = "It has more than 32767 records.";
            return false;
        case SourceLength::Valid:
            break;
    }
    if (auto error = file.readAll(bytes)) {
        problem = error->description;
        return false;
    }
    return true;
}

// The roles of the target steps that the planning makes of each source step, in output order,
// and each source step's span and values.
void planSource(std::span<const std::uint8_t> source, const RampSettings& ramp,
                LoadedSession& session) {
    const auto ignore = [](int) {};
    StepPlanner planner(ramp, ignore);
    // The values of a step as translated; one that faults keeps the previous step's, as in the
    // conversion itself.
    PreparedRecords scratch;  // each record as its own defaults make it
    StepValues values;
    for (std::size_t at = 0; at + kSourceRecordSize <= source.size(); at += kSourceRecordSize) {
        const SourceStepRecord record =
            decodeSourceRecord(source.subspan(at).first<kSourceRecordSize>());
        if (!isStep(record)) continue;
        const StepPlan plan = planner.plan(record);
        translateStep(record, scratch, values, ignore);
        session.sources.push_back(
            {session.roles.size(), static_cast<std::size_t>(plan.count()), values});
        if (plan.writes(SlotRole::SoftOn)) session.roles.push_back(StepRole::SoftOn);
        if (plan.writes(SlotRole::SecondHalf)) {
            session.roles.push_back(StepRole::FirstHalf);
            session.roles.push_back(StepRole::SecondHalf);
        } else {
            session.roles.push_back(StepRole::Main);
        }
        if (plan.writes(SlotRole::SoftOff)) session.roles.push_back(StepRole::SoftOff);
    }
    if (session.roles.size() != session.records.size()) {
        session.roles.clear();
        session.sources.clear();
    }
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

bool isSessionFile(const std::string& path) {
    const FileKind kind = fileKindOf(path);
    std::error_code error;
    return (kind == FileKind::Session || kind == FileKind::Target) &&
           std::filesystem::is_regular_file(toPath(path), error);
}

std::optional<LoadedSession> loadSessionFile(const std::string& path, const RampSettings& ramp,
                                             std::string& problem) {
    const FileKind kind = fileKindOf(path);
    if (kind != FileKind::Session && kind != FileKind::Target) {
        problem = "It is neither a ZS2 nor an OSw session.";
        return std::nullopt;
    }
    const bool source = kind == FileKind::Session;
    std::vector<std::uint8_t> bytes;
    if (!readRecords(path, source ? kSourceRecordSize : kTargetRecordSize, bytes, problem)) {
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
    planSource(bytes, ramp, session);
    return session;
}

std::optional<LoadedSession> loadConversion(const std::string& targetPath,
                                            const std::string& sourcePath, const RampSettings& ramp,
                                            std::string& problem) {
    std::vector<std::uint8_t> bytes;
    if (!readRecords(targetPath, kTargetRecordSize, bytes, problem)) return std::nullopt;
    LoadedSession session;
    session.records = decodeTargetSession(bytes);
    std::string ignored;
    if (readRecords(sourcePath, kSourceRecordSize, bytes, ignored)) {
        planSource(bytes, ramp, session);
    }
    return session;
}

}  // namespace z2o
