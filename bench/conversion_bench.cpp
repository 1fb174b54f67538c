// Where the time of a conversion goes: decoding, planning, encoding, and the whole loop.
#include <benchmark/benchmark.h>

#include "convert/session.h"
#include "samples/session_builder.h"

namespace {

using namespace z2o;

// The large session of the timing script: 8,000 long steps with both ramps, about 32,000
// target records.
const std::vector<std::uint8_t>& largeSession() {
    static const std::vector<std::uint8_t> bytes = samples::buildSession(
        "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C option=0x0B "
        "repeat=8000\n");
    return bytes;
}

void decode(benchmark::State& state) {
    const auto& bytes = largeSession();
    for (auto _ : state) {
        for (std::size_t r = 0; r < 8000; ++r) {
            benchmark::DoNotOptimize(decodeSourceRecord(
                std::span(bytes).subspan(r * kSourceRecordSize).first<kSourceRecordSize>()));
        }
    }
    state.SetItemsProcessed(state.iterations() * 8000);
}
BENCHMARK(decode);

void translateAndPlan(benchmark::State& state) {
    const SourceStepRecord record =
        decodeSourceRecord(std::span(largeSession()).first<kSourceRecordSize>());
    const auto raise = [](int) {};
    StepPlanner planner({}, raise);
    for (auto _ : state) {
        benchmark::DoNotOptimize(planner.plan(record));
        benchmark::DoNotOptimize(planner.records());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(translateAndPlan);

void encode(benchmark::State& state) {
    TargetStepRecord record;
    std::array<std::uint8_t, kTargetRecordSize> out{};
    for (auto _ : state) {
        encodeTargetRecord(record, 1, out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(encode);

void wholeSession(benchmark::State& state) {
    const auto& bytes = largeSession();
    for (auto _ : state) {
        benchmark::DoNotOptimize(convertSession(bytes, {50, true}, [](int) {}));
    }
    state.SetBytesProcessed(state.iterations() * 32000 * kTargetRecordSize);
}
BENCHMARK(wholeSession)->Unit(benchmark::kMillisecond);

// The floor for wholeSession: copying a target's bytes into a fresh buffer, as the conversion
// must at least write them once.
void memcpyBaseline(benchmark::State& state) {
    const std::vector<std::uint8_t> target(32000 * kTargetRecordSize, 0x5A);
    for (auto _ : state) {
        std::vector<std::uint8_t> copy;
        copy.reserve(target.size());
        copy.insert(copy.end(), target.begin(), target.end());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 32000 * kTargetRecordSize);
}
BENCHMARK(memcpyBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
