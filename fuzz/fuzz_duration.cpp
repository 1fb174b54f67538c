// Any seven characters as a duration text: never a crash, and every value it can give formats
// to a text that reads back as the same value.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/duration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size < 7 ? size : 7);
    text.resize(7, ' ');
    const z2o::ParsedDuration parsed = z2o::parseDuration(text);
    if (parsed.overflows < 0 || parsed.overflows > 3) std::abort();
    if (parsed.tenths >= 0) {
        const std::string again = z2o::formatDuration(parsed.tenths);
        if (again.size() > 7 || z2o::parseDuration(again).tenths != parsed.tenths) std::abort();
    }
    return 0;
}
