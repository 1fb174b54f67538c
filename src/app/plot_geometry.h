// Where the drawing of a session puts everything: its segments on the time axis, each band's
// value span, which segment a column shows, and the ticks and labels that fit. Plain
// computations, so that they are tested without painting.
#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "app/session_loader.h"
#include "convert/translate.h"

namespace z2o {

// Frequency, level and pitch, top to bottom; band b draws the series (Pair) 2b and 2b + 1.
inline constexpr int kBandCount = 3;

// One target step: each series moves in a straight line from `start` to `end`.
struct Segment {
    std::int64_t startTenths = 0;  // from the session's start
    std::int64_t endTenths = 0;
    std::array<float, kPairCount> start{};
    std::array<float, kPairCount> end{};
    StepRole role = StepRole::Plain;
};

struct ValueSpan {
    double low = 0;
    double high = 1;
};

struct SessionPlot {
    std::vector<Segment> segments;
    // The source's steps on the same time axis, each over the target steps it became.
    std::vector<Segment> sourceSegments;
    std::int64_t totalTenths = 0;
    // Per band: its lowest to highest finite value, widened around a band that is flat.
    std::array<ValueSpan, kBandCount> spans{};
};

// `roles` holds one role per record; otherwise the roles are read from what the records show.
// `sources`, where known, are the source steps the records came from.
SessionPlot plotSession(std::span<const TargetStepRecord> records, std::span<const StepRole> roles,
                        std::span<const SourceSpan> sources = {});

// The session's time on a plot's columns.
struct TimeScale {
    int left = 0;
    int width = 1;
    std::int64_t totalTenths = 1;
    double x(std::int64_t tenths) const;
};

// The segment drawn at widget column `x`, or -1 beside the plot.
int hitTest(const SessionPlot& plot, const TimeScale& scale, int x);

// Ramp spans and split dividers in columns, merged per pixel so that a long session costs no
// more than the plot's width.
struct RoleMarks {
    std::vector<std::pair<int, int>> ramps;  // from, to
    std::vector<int> dividers;
};
RoleMarks markRoles(const SessionPlot& plot, const TimeScale& scale);

// For a plot `columns` wide: each series' lowest and highest value in each column (low above
// high where it has none). Drawn so once there are more segments than columns.
struct ColumnExtremes {
    std::array<std::vector<float>, kPairCount> low;
    std::array<std::vector<float>, kPairCount> high;
};
ColumnExtremes columnExtremes(const SessionPlot& plot, int columns);

// Legend entries, in their order on the line above the bands.
enum class LegendEntry { FirstSeries, SecondSeries, Ramp, Split, Source };
inline constexpr int kLegendEntryCount = 5;  // the last only where the source is drawn
QString legendText(LegendEntry entry);
QString bandName(int band);

struct PlotLabel {
    enum Kind { Legend, BandName, Value, Time };
    Kind kind;
    QRect rect;  // exactly the text's extent
    QString text;
};

struct PlotLayout {
    QRect area;  // the bands and the gaps between them
    std::array<QRect, kBandCount> bands;
    int axisY = 0;  // where the time axis's ticks start
    TimeScale scale;
    std::vector<std::int64_t> ticks;
    // Only what fits: no two overlap and all lie inside the widget, so a small view shows fewer
    // ticks and values rather than text over text.
    std::vector<PlotLabel> labels;
    std::vector<std::pair<LegendEntry, QRect>> legendMarks;  // the symbol of each entry shown
};
PlotLayout layoutPlot(const SessionPlot& plot, QSize size, const QFontMetrics& fm);

// Where `value` lies in `band`, a few pixels inside its box.
double valueY(const QRect& band, const ValueSpan& span, double value);

}  // namespace z2o
