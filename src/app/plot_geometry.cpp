#include "app/plot_geometry.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>

#include "convert/clock_text.h"
#include "convert/duration.h"

namespace z2o {
namespace {

constexpr int kBandGap = 6;
constexpr int kBandPadding = 6;  // between a box's edge and the extreme values drawn in it

bool isRamp(StepRole role) {
    return role == StepRole::SoftOn || role == StepRole::SoftOff;
}

// Tick spacing of the time axis: the first of these that leaves room for a label.
std::int64_t tickStep(std::int64_t total, int width, int labelWidth) {
    static const std::int64_t steps[] = {10,   50,   100,   300,   600,   1200,  3000,
                                         6000, 9000, 18000, 36000, 72000, 180000};
    const auto fits = [&](std::int64_t step) {
        return static_cast<double>(step) / static_cast<double>(total) * width >= labelWidth * 1.6;
    };
    for (const std::int64_t step : steps) {
        if (fits(step)) return step;
    }
    std::int64_t step = steps[std::size(steps) - 1];
    while (!fits(step) && step < total)
        step *= 2;
    return step;
}

// Adds `label` unless it leaves `bounds` or meets a label already placed.
void place(std::vector<PlotLabel>& labels, const QRect& bounds, PlotLabel label) {
    if (!bounds.contains(label.rect)) return;
    for (const PlotLabel& other : labels) {
        if (other.rect.intersects(label.rect)) return;
    }
    labels.push_back(std::move(label));
}

// The lowest to highest finite value of a band, target and source alike; a flat band gets a
// span of its own around the value.
ValueSpan bandSpan(const SessionPlot& plot, int band) {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const auto* segments : {&plot.segments, &plot.sourceSegments}) {
        for (const Segment& s : *segments) {
            for (const float v :
                 {s.start[2 * band], s.start[2 * band + 1], s.end[2 * band], s.end[2 * band + 1]}) {
                if (!std::isfinite(v)) continue;
                low = std::min(low, double{v});
                high = std::max(high, double{v});
            }
        }
    }
    if (low > high) low = high = 0;
    if (high - low < 1e-6 * std::max(1.0, std::abs(high))) {
        const double pad = std::max(1.0, std::abs(high) * 0.1);
        low -= pad;
        high += pad;
    }
    return {low, high};
}

}  // namespace

SessionPlot plotSession(std::span<const TargetStepRecord> records, std::span<const StepRole> roles,
                        std::span<const SourceSpan> sources) {
    const bool rolesFit = roles.size() == records.size();
    SessionPlot plot;
    plot.segments.reserve(records.size());
    std::int64_t at = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TargetStepRecord& r = records[i];
        Segment s;
        // A negative length (which no conversion writes) is drawn as none.
        const std::int64_t tenths = std::max<std::int64_t>(
            0, parseDuration(std::string_view(r.duration.data(), r.duration.size())).tenths);
        s.startTenths = at;
        s.endTenths = at += tenths;
        s.start = {r.freq[0],         r.freq[1],  float(r.level[0]),
                   float(r.level[1]), r.pitch[0], r.pitch[1]};
        s.end = {r.freq[4],         r.freq[5],  float(r.level[4]),
                 float(r.level[5]), r.pitch[2], r.pitch[3]};
        s.role = rolesFit ? roles[i] : roleFromBytes(r);
        plot.segments.push_back(s);
    }
    plot.totalTenths = at;
    for (const SourceSpan& source : sources) {
        if (source.recordCount == 0 || source.firstRecord + source.recordCount > records.size()) {
            continue;
        }
        Segment& s = plot.sourceSegments.emplace_back();
        s.startTenths = plot.segments[source.firstRecord].startTenths;
        s.endTenths = plot.segments[source.firstRecord + source.recordCount - 1].endTenths;
        for (int k = 0; k < kPairCount; ++k) {
            s.start[k] = source.values.pairs[k].start;
            s.end[k] = source.values.pairs[k].end;
        }
    }
    for (int band = 0; band < kBandCount; ++band)
        plot.spans[band] = bandSpan(plot, band);
    return plot;
}

double TimeScale::x(std::int64_t tenths) const {
    return left + static_cast<double>(tenths) * width /
                      static_cast<double>(std::max<std::int64_t>(totalTenths, 1));
}

int hitTest(const SessionPlot& plot, const TimeScale& scale, int x) {
    if (plot.segments.empty() || x < scale.left || x >= scale.left + scale.width) return -1;
    const double t = (x - scale.left + 0.5) / scale.width *
                     static_cast<double>(std::max<std::int64_t>(plot.totalTenths, 1));
    const auto after = std::upper_bound(
        plot.segments.begin(), plot.segments.end(), t,
        [](double time, const Segment& s) { return time < static_cast<double>(s.startTenths); });
    return static_cast<int>(std::max<std::ptrdiff_t>(0, after - plot.segments.begin() - 1));
}

RoleMarks markRoles(const SessionPlot& plot, const TimeScale& scale) {
    RoleMarks marks;
    for (const Segment& s : plot.segments) {
        if (isRamp(s.role)) {
            const int x0 = static_cast<int>(std::floor(scale.x(s.startTenths)));
            const int x1 = std::max(x0 + 2, static_cast<int>(std::ceil(scale.x(s.endTenths))));
            if (!marks.ramps.empty() && x0 <= marks.ramps.back().second) {
                marks.ramps.back().second = std::max(marks.ramps.back().second, x1);
            } else {
                marks.ramps.emplace_back(x0, x1);
            }
        } else if (s.role == StepRole::SecondHalf) {
            const int x = static_cast<int>(std::lround(scale.x(s.startTenths)));
            // Dividers closer than a few pixels would only grey the plot.
            if (marks.dividers.empty() || x - marks.dividers.back() >= 4) {
                marks.dividers.push_back(x);
            }
        }
    }
    return marks;
}

ColumnExtremes columnExtremes(const SessionPlot& plot, int columns) {
    ColumnExtremes e;
    if (columns <= 0) return e;
    for (int k = 0; k < kPairCount; ++k) {
        e.low[k].assign(columns, std::numeric_limits<float>::infinity());
        e.high[k].assign(columns, -std::numeric_limits<float>::infinity());
    }
    const double scaleX =
        columns / static_cast<double>(std::max<std::int64_t>(plot.totalTenths, 1));
    for (const Segment& s : plot.segments) {
        const double x0 = s.startTenths * scaleX;
        const double x1 = s.endTenths * scaleX;
        const int c0 = std::clamp(static_cast<int>(x0), 0, columns - 1);
        const int c1 = std::clamp(static_cast<int>(std::ceil(x1)) - 1, c0, columns - 1);
        const double span = x1 - x0;
        for (int c = c0; c <= c1; ++c) {
            // A segment is straight, so its extremes within a column lie where it is clipped.
            const double f0 = span > 0 ? (std::max(x0, double(c)) - x0) / span : 0.0;
            const double f1 = span > 0 ? (std::min(x1, double(c + 1)) - x0) / span : 1.0;
            for (int k = 0; k < kPairCount; ++k) {
                const float a = s.start[k];
                const float b = s.end[k];
                if (!std::isfinite(a) || !std::isfinite(b)) continue;
                const auto va = static_cast<float>(a + (double{b} - a) * f0);
                const auto vb = static_cast<float>(a + (double{b} - a) * f1);
                e.low[k][c] = std::min({e.low[k][c], va, vb});
                e.high[k][c] = std::max({e.high[k][c], va, vb});
            }
        }
    }
    return e;
}

QString legendText(LegendEntry entry) {
    switch (entry) {
        case LegendEntry::FirstSeries:
            return QCoreApplication::translate("SessionView", "Channel 1 / tone 1");
        case LegendEntry::SecondSeries:
            return QCoreApplication::translate("SessionView", "Channel 2 / tone 2");
        case LegendEntry::Ramp:
            return QCoreApplication::translate("SessionView", "Ramp");
        case LegendEntry::Split:
            return QCoreApplication::translate("SessionView", "Split");
        case LegendEntry::Source:
            return QCoreApplication::translate("SessionView", "Source");
    }
    return {};
}

QString bandName(int band) {
    static const char* const names[kBandCount] = {QT_TRANSLATE_NOOP("SessionView", "Frequency"),
                                                  QT_TRANSLATE_NOOP("SessionView", "Level"),
                                                  QT_TRANSLATE_NOOP("SessionView", "Pitch")};
    return QCoreApplication::translate("SessionView", names[band]);
}

double valueY(const QRect& band, const ValueSpan& span, double value) {
    const double inner = band.height() - 2 * kBandPadding;
    return band.bottom() - kBandPadding - (value - span.low) / (span.high - span.low) * inner;
}

namespace {

// The legend above the bands, entry by entry as far as the width allows.
void placeLegend(PlotLayout& layout, bool withSource, const QRect& bounds, const QFontMetrics& fm) {
    int x = layout.area.left();
    const int y = 4;
    const int entries = kLegendEntryCount - (withSource ? 0 : 1);
    for (int i = 0; i < entries; ++i) {
        const auto entry = static_cast<LegendEntry>(i);
        const QString text = legendText(entry);
        const QRect textRect(x + 24, y, fm.horizontalAdvance(text), fm.height());
        if (!bounds.contains(textRect)) break;
        layout.legendMarks.emplace_back(entry, QRect(x, y, 18, fm.height()));
        place(layout.labels, bounds, {PlotLabel::Legend, textRect, text});
        x = textRect.right() + 1 + 18;
    }
}

// Ticks far enough apart for the widest label, which is the session's length, each labelled
// where there is room.
void placeTimeAxis(PlotLayout& layout, std::int64_t total, const QRect& bounds,
                   const QFontMetrics& fm) {
    const int labelWidth = fm.horizontalAdvance(
        QString::fromStdString(clockText(std::max<std::int64_t>(total, 36000), false)));
    const std::int64_t step =
        tickStep(std::max<std::int64_t>(total, 1), layout.area.width(), labelWidth);
    for (std::int64_t t = 0; t <= total; t += step) {
        layout.ticks.push_back(t);
        const QString text = QString::fromStdString(clockText(t, false));
        const int width = fm.horizontalAdvance(text);
        const int x = std::clamp(static_cast<int>(std::lround(layout.scale.x(t) - width / 2.0)), 0,
                                 std::max(0, bounds.width() - width - 1));
        place(layout.labels, bounds,
              {PlotLabel::Time, QRect(x, layout.axisY + 4, width, fm.height()), text});
    }
}

// A label left of the bands, its right end a few pixels from them, centred on `y`.
void placeLeft(PlotLayout& layout, PlotLabel::Kind kind, const QString& text, int y,
               const QRect& bounds, const QFontMetrics& fm) {
    const int width = fm.horizontalAdvance(text);
    place(layout.labels, bounds,
          {kind, QRect(layout.area.left() - 6 - width, y - fm.height() / 2, width, fm.height()),
           text});
}

}  // namespace

PlotLayout layoutPlot(const SessionPlot& plot, QSize size, const QFontMetrics& fm) {
    PlotLayout layout;
    const QRect bounds(QPoint(0, 0), size);
    int left = fm.horizontalAdvance(QStringLiteral("-0000.0"));
    for (int band = 0; band < kBandCount; ++band)
        left = std::max(left, fm.horizontalAdvance(bandName(band)));
    left += 14;
    const int top = fm.height() + 12;
    const int bottom = fm.height() + 10;
    layout.area = QRect(left, top, std::max(1, size.width() - left - 12),
                        std::max(1, size.height() - top - bottom));
    const QRect& area = layout.area;
    layout.scale = {area.left(), area.width(), std::max<std::int64_t>(plot.totalTenths, 1)};
    const int bandHeight = std::max(1, (area.height() - kBandGap * (kBandCount - 1)) / kBandCount);
    for (int band = 0; band < kBandCount; ++band) {
        layout.bands[band] = QRect(area.left(), area.top() + band * (bandHeight + kBandGap),
                                   area.width(), bandHeight);
    }
    layout.axisY = layout.bands[kBandCount - 1].bottom() + 1;

    // The legend first, then the band names, the time axis and the values, as far as each fits.
    placeLegend(layout, !plot.sourceSegments.empty(), bounds, fm);
    for (int band = 0; band < kBandCount; ++band) {
        placeLeft(layout, PlotLabel::BandName, bandName(band), layout.bands[band].center().y(),
                  bounds, fm);
    }
    placeTimeAxis(layout, plot.totalTenths, bounds, fm);
    for (int band = 0; band < kBandCount; ++band) {
        for (const double v : {plot.spans[band].high, plot.spans[band].low}) {
            const double y = valueY(layout.bands[band], plot.spans[band], v);
            placeLeft(layout, PlotLabel::Value, QString::number(v, 'g', 4),
                      static_cast<int>(std::lround(y)), bounds, fm);
        }
    }
    return layout;
}

}  // namespace z2o
