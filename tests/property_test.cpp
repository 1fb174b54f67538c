// The output pinned byte for byte: the samples' targets, and a digest of many random and damaged
// sessions from a fixed seed. The target decoder is pinned by z2o-inspect's golden output of
// random records.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <span>

#include "convert/duration.h"
#include "convert/session.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

// Records from a fixed seed: one in five is no step (its number or mode out of range); the others
// are steps with any bits at all where a damaged file has them: floats that are NaN, infinite or
// huge, levels and pitches beyond their ranges, duration texts that do not read.
class RandomRecords {
  public:
    SourceStepRecord next() {
        const bool noStep = pick(0, 4) == 0;
        SourceStepRecord s = samples::defaultStep();
        for (SourceStepValues* v : {&s.startValues, &s.endValues}) {
            *v = {frequency(), level(), frequency(), level(), 0};
            v->pitch = static_cast<std::int16_t>(pick(60, 600));
        }
        const std::string text = formatDuration(static_cast<std::int16_t>(pick(0, 32767)));
        s.duration.fill(' ');
        std::copy(text.begin(), text.end(), s.duration.begin());
        s.channelFlags = static_cast<std::uint8_t>(pick(0, 255));
        s.optionFlags = static_cast<std::uint8_t>(pick(0, 255));
        s.stepMode = static_cast<std::uint8_t>(pick(0, 31));
        s.stepNumber = static_cast<std::int16_t>(pick(1, 32767));
        if (noStep && pick(0, 1)) {
            s.stepNumber = static_cast<std::int16_t>(pick(-32768, 0));
        } else if (noStep) {
            s.stepMode = static_cast<std::uint8_t>(pick(32, 255));
        } else {
            const auto value = [this](float usual) {
                return pick(0, 3) == 0
                           ? std::bit_cast<float>(static_cast<std::uint32_t>(m_random()))
                           : usual;
            };
            for (SourceStepValues* v : {&s.startValues, &s.endValues}) {
                v->freq1 = value(v->freq1);
                v->freq2 = value(v->freq2);
                v->level1 = static_cast<std::uint8_t>(pick(0, 255));
                v->level2 = static_cast<std::uint8_t>(pick(0, 255));
                v->pitch = static_cast<std::int16_t>(pick(-32768, 32767));
            }
            if (pick(0, 2) == 0) {
                for (char& c : s.duration)
                    c = " 0123456789:.-+x"[pick(0, 15)];
            }
        }
        return s;
    }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

  private:
    float frequency() { return static_cast<float>(pick(1, 7500)) / 100.0F; }
    std::uint8_t level() { return static_cast<std::uint8_t>(pick(0, 15)); }

    std::mt19937 m_random{20261206};
};

// The samples' targets and the output of many damaged sessions, byte for byte, as checked
// independently against the record layouts. Regenerate only for a deliberate change of output:
// Z2O_WRITE_GOLDEN=1 rewrites the files and prints the digest to put below.
TEST(Golden, OutputIsByteForByteTheCheckedOne) {
    const bool write = std::getenv("Z2O_WRITE_GOLDEN") != nullptr;
    const std::filesystem::path golden = Z2O_GOLDEN_DIR;
    const struct {
        const char* name;
        RampSettings settings;
    } variants[] = {{"ramp50", {50, true}}, {"ramp30-hard", {30, false}}, {"ramp0", {0, true}}};
    for (const char* sample : {"Alpha", "Long Ride", "Mixed", "Deep/Beta"}) {
        const auto source = readBytes(std::string(Z2O_SAMPLES_DIR "/") + sample + ".ZS2");
        for (const auto& variant : variants) {
            std::string name = std::string(sample) + "." + variant.name + ".OSw";
            std::replace(name.begin(), name.end(), '/', '-');
            const auto target = convertSession(source, variant.settings, [](int) {}).target;
            if (write) writeBytes((golden / name).string(), target);
            EXPECT_EQ(target, readBytes((golden / name).string())) << name;
        }
    }

    RandomRecords random;
    std::uint64_t digest = 14695981039346656037ULL;  // 64-bit FNV-1a: a byte changed changes it
    const auto add = [&digest](std::span<const std::uint8_t> bytes) {
        for (const std::uint8_t b : bytes)
            digest = (digest ^ b) * 1099511628211ULL;
    };
    for (int session = 0; session < 400; ++session) {
        const RampSettings settings{static_cast<std::int16_t>(10 * random.pick(0, 10)),
                                    random.pick(0, 1) == 1};
        std::vector<std::uint8_t> source;
        for (int i = random.pick(0, 30); i > 0; --i) {
            const auto record = samples::encodeSourceRecord(random.next());
            source.insert(source.end(), record.begin(), record.end());
        }
        std::vector<std::uint8_t> errors;
        const auto result = convertSession(
            source, settings, [&](int n) { errors.push_back(static_cast<std::uint8_t>(n)); });
        add(result.target);
        add(errors);
    }
    if (write)
        std::printf("random sessions digest: 0x%016llxULL\n",
                    static_cast<unsigned long long>(digest));
    EXPECT_EQ(digest, 0x7dc24ff2f668e955ULL);
}

}  // namespace
}  // namespace z2o
