// The record loop of one run: a session streamed through a buffer of fixed size, or converted
// whole in memory.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "convert/errors.h"
#include "convert/segments.h"
#include "convert/translate.h"

namespace z2o {

inline constexpr int kMaxRecordCount = 32767;

enum class SourceLength { Valid, NotWholeRecords, TooManyRecords };

// Decided from the length alone, so that a file can be refused before any of it is read: whole
// records of `recordSize`, and no more than step numbers can count.
SourceLength checkRecordCount(std::uint64_t bytes, std::size_t recordSize);
inline SourceLength checkSourceLength(std::uint64_t bytes) {
    return checkRecordCount(bytes, kSourceRecordSize);
}

struct ConversionResult {
    bool tooManySteps = false;  // more than 32767 target steps; `target` is then empty
    std::vector<std::uint8_t> target;
    int steps = 0;
    std::int64_t playingTenths = 0;
};

// Where a converter hands on its target bytes, a buffer at a time; false stops the conversion.
using ChunkSink = FunctionRef<bool(std::span<const std::uint8_t> bytes)>;

// Converts source records as they come and hands the target bytes on whenever its buffer is
// full, so that memory stays the same whatever the session's length. Errors of single steps go to
// `raise`. `raise` and `out` must outlive the converter.
class SessionConverter {
  public:
    static constexpr std::size_t kBufferRecords = 600;

    SessionConverter(const RampSettings& settings, ErrorSink raise, ChunkSink out);
    SessionConverter(const SessionConverter&) = delete;
    SessionConverter& operator=(const SessionConverter&) = delete;

    // Converts whole source records (a trailing part is ignored). False once the conversion has
    // stopped: a step number would pass 32767, or `out` refused its bytes.
    bool add(std::span<const std::uint8_t> sourceRecords);
    // Hands on what the buffer still holds; false when the conversion stopped.
    bool finish();

    bool tooManySteps() const { return m_tooManySteps; }
    // The source record being converted, counting from 1 over every part added.
    int record() const { return m_record; }
    int steps() const { return m_nextStepNumber - 1; }
    // How long the steps written so far play, in tenths of a second.
    std::int64_t playingTenths() const { return m_playingTenths; }

  private:
    bool flush();

    StepPlanner m_planner;
    ChunkSink m_out;
    int m_nextStepNumber = 1;
    int m_record = 0;
    std::int64_t m_playingTenths = 0;
    bool m_stopped = false;
    bool m_tooManySteps = false;
    std::size_t m_used = 0;
    std::array<std::uint8_t, kBufferRecords * kTargetRecordSize> m_buffer;
};

// Converts the bytes of a ZS2 file into the bytes of its OSw file; its callers check its length
// first (a trailing part that is not a whole record would be left out). Errors of single steps go
// to `raise` and the conversion goes on with the next operation, as the command's handler wants.
ConversionResult convertSession(std::span<const std::uint8_t> source, const RampSettings& settings,
                                const ErrorSink& raise);

// The records of an OSw file's bytes; a trailing part that is not a whole record is left out.
std::vector<TargetStepRecord> decodeTargetSession(std::span<const std::uint8_t> bytes);

// How long target records play, in tenths of a second, by their duration texts.
std::int64_t playingTenths(std::span<const TargetStepRecord> records);

}  // namespace z2o
