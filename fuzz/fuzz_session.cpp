// Any bytes as a session, with settings from the first byte: never a crash, and whatever is
// written is whole records numbered 1..n (a trailing part of a record is left out).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "convert/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const z2o::RampSettings settings{static_cast<std::int16_t>(10 * (data[0] % 11)),
                                     (data[0] & 0x80) != 0};
    const std::span<const std::uint8_t> source(data + 1, size - 1);
    const z2o::ConversionResult result = convertSession(source, settings, [](int number) {
        if (number != z2o::kOverflow && number != z2o::kInvalidCall) std::abort();
    });
    if (result.tooManySteps) {
        if (!result.target.empty()) std::abort();
        return 0;
    }
    if (result.target.size() != static_cast<std::size_t>(result.steps) * z2o::kTargetRecordSize)
        std::abort();
    for (int n = 0; n < result.steps; ++n) {
        const std::uint8_t* record =
            result.target.data() + static_cast<std::size_t>(n) * z2o::kTargetRecordSize;
        if ((record[0] | record[1] << 8) != n + 1) std::abort();
    }
    return 0;
}
