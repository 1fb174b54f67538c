// Drawing the longest session an OSw file can hold (32,767 steps) into an 800 x 300 image, and
// taking its records in.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cmath>

#include "app/session_view.h"
#include "convert/session.h"
#include "samples/session_builder.h"

namespace {

// Plain, ramped and split steps with moving values, converted to exactly 32,767 target steps.
std::vector<z2o::TargetStepRecord> longSession() {
    std::vector<std::uint8_t> source;
    int steps = 0;
    for (int i = 0; steps < z2o::kMaxStepNumber; ++i) {
        z2o::SourceStepRecord r = z2o::samples::defaultStep();
        const int left = z2o::kMaxStepNumber - steps;
        const int kind = left < 3 ? 0 : i % 3;  // 1, 3 and 2 target steps
        const char* duration = kind == 0 ? "0:03.0 " : kind == 1 ? "1:00.0 " : "11:00.0";
        std::copy(duration, duration + 7, r.duration.begin());
        r.channelFlags = kind == 1 ? 0x3C : 0;
        const auto wave = [i](double period, double lo, double hi) {
            return lo + (hi - lo) * (0.5 + 0.5 * std::sin(i / period));
        };
        r.startValues = {float(wave(40, 1, 30)), std::uint8_t(wave(90, 0, 15)),
                         float(wave(70, 2, 20)), std::uint8_t(wave(50, 0, 15)),
                         std::int16_t(wave(200, 80, 400))};
        r.endValues = {float(wave(41, 1, 30)), std::uint8_t(wave(91, 0, 15)),
                       float(wave(71, 2, 20)), std::uint8_t(wave(51, 0, 15)),
                       std::int16_t(wave(201, 80, 400))};
        const auto bytes = z2o::samples::encodeSourceRecord(r);
        source.insert(source.end(), bytes.begin(), bytes.end());
        steps += kind == 0 ? 1 : kind == 1 ? 3 : 2;
    }
    const auto result = z2o::convertSession(source, {}, [](int) {});
    return z2o::decodeTargetSession(result.target);
}

void BM_RenderLongSession(benchmark::State& state) {
    z2o::SessionView view;
    view.resize(800, 300);
    view.setRecords(longSession());
    QImage image(800, 300, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["steps"] = static_cast<double>(view.segments().size());
}
BENCHMARK(BM_RenderLongSession)->Unit(benchmark::kMillisecond);

void BM_SetLongSession(benchmark::State& state) {
    const auto records = longSession();
    z2o::SessionView view;
    for (auto _ : state) {
        view.setRecords(records);
    }
}
BENCHMARK(BM_SetLongSession)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
