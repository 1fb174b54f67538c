#include "app/session_view.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "convert/duration.h"
#include "convert/file_io.h"
#include "convert/session.h"
#include "convert/translate.h"

namespace z2o {
namespace {

constexpr int kBandCount = 3;
const char* const kBandNames[kBandCount] = {"Frequency", "Level", "Pitch"};
const QColor kFirstColor(31, 119, 180);   // channel 1, tone 1
const QColor kSecondColor(230, 120, 20);  // channel 2, tone 2
const QColor kRampColor(255, 236, 179);   // behind ramp steps
const QColor kGridColor(225, 225, 225);
const QColor kDividerColor(110, 110, 110);

std::string lowerExtension(const std::string& path) {
    std::string ext = fromPath(toPath(path).extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

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

// Without a conversion at hand only a ramp of the tone level shows in a record: ramps alone
// change tone levels, the soft-on ramp its start levels, the soft-off ramp its end levels. A ramp
// of the stimulation level alone looks like any other step.
StepRole roleFromBytes(const TargetStepRecord& r) {
    const auto& t = r.toneLevel;
    if (t[0] == 0 && t[1] == 0 && t[2] == 255 && t[3] == 255) return StepRole::SoftOn;
    if (t[0] == 255 && t[1] == 255 && t[2] == 0 && t[3] == 0) return StepRole::SoftOff;
    return StepRole::Plain;
}

QString roleName(StepRole role) {
    switch (role) {
        case StepRole::SoftOn:
            return QStringLiteral("soft-on ramp");
        case StepRole::FirstHalf:
            return QStringLiteral("first half of a split step");
        case StepRole::SecondHalf:
            return QStringLiteral("second half of a split step");
        case StepRole::SoftOff:
            return QStringLiteral("soft-off ramp");
        case StepRole::Plain:
            break;
    }
    return {};
}

bool isRamp(StepRole role) {
    return role == StepRole::SoftOn || role == StepRole::SoftOff;
}

// H:MM:SS or M:SS, with tenths when asked for.
QString clockText(std::int64_t tenths, bool withTenths) {
    const std::int64_t seconds = tenths / 10;
    QString text =
        seconds >= 3600
            ? QStringLiteral("%1:%2:%3")
                  .arg(seconds / 3600)
                  .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                  .arg(seconds % 60, 2, 10, QLatin1Char('0'))
            : QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (withTenths) text += QStringLiteral(".%1").arg(tenths % 10);
    return text;
}

QString number(float value) {
    return QString::number(double{value}, 'g', 6);
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
    while (!fits(step))
        step *= 2;
    return step;
}

using Segment = SessionView::Segment;

// Ramp spans and split dividers in widget columns, merged per pixel so that a long session costs
// no more than the plot's width.
struct Marks {
    std::vector<std::pair<int, int>> ramps;
    std::vector<int> dividers;
};

template <typename XAt>
Marks markRoles(const std::vector<Segment>& segments, const XAt& xAt) {
    Marks marks;
    for (const Segment& s : segments) {
        if (isRamp(s.role)) {
            const int x0 = static_cast<int>(std::floor(xAt(s.startTenths)));
            const int x1 = std::max(x0 + 2, static_cast<int>(std::ceil(xAt(s.endTenths))));
            if (!marks.ramps.empty() && x0 <= marks.ramps.back().second) {
                marks.ramps.back().second = std::max(marks.ramps.back().second, x1);
            } else {
                marks.ramps.emplace_back(x0, x1);
            }
        } else if (s.role == StepRole::SecondHalf) {
            const int x = static_cast<int>(std::lround(xAt(s.startTenths)));
            // Dividers closer than a few pixels would only grey the plot.
            if (marks.dividers.empty() || x - marks.dividers.back() >= 4) {
                marks.dividers.push_back(x);
            }
        }
    }
    return marks;
}

}  // namespace

SessionView::SessionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sessionView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SessionView::setRecords(std::vector<TargetStepRecord> records, std::vector<StepRole> roles) {
    const bool rolesFit = roles.size() == records.size();
    m_records = std::move(records);
    m_segments.clear();
    m_segments.reserve(m_records.size());
    std::int64_t at = 0;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const TargetStepRecord& r = m_records[i];
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
        m_segments.push_back(s);
    }
    m_totalTenths = at;

    for (int band = 0; band < kBandCount; ++band) {
        float lo = std::numeric_limits<float>::infinity();
        float hi = -lo;
        for (const Segment& s : m_segments) {
            for (const float v :
                 {s.start[2 * band], s.start[2 * band + 1], s.end[2 * band], s.end[2 * band + 1]}) {
                if (!std::isfinite(v)) continue;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
        if (lo > hi) lo = hi = 0;
        m_range[band] = {lo, hi};
    }
    update();
}

std::optional<LoadedSession> SessionView::loadSessionFile(const std::string& path,
                                                          const RampSettings& ramp,
                                                          std::string& problem) {
    const std::string ext = lowerExtension(path);
    const bool source = ext == ".zs2";
    if (!source && ext != ".osw") {
        problem = "It is neither a ZS2 nor an OSw session.";
        return std::nullopt;
    }
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

bool SessionView::openFile(const std::string& path, const RampSettings& ramp,
                           std::string& problem) {
    auto session = loadSessionFile(path, ramp, problem);
    if (!session) return false;
    setRecords(std::move(session->records), std::move(session->roles));
    return true;
}

QRect SessionView::plotArea() const {
    const QFontMetrics fm(font());
    int left = fm.horizontalAdvance(QStringLiteral("-0000.0"));
    for (const char* name : kBandNames)
        left = std::max(left, fm.horizontalAdvance(QLatin1String(name)));
    left += 14;
    const int top = fm.height() + 12;
    const int bottom = fm.height() + 10;
    return QRect(left, top, std::max(1, width() - left - 12), std::max(1, height() - top - bottom));
}

int SessionView::hitTest(int x) const {
    const QRect area = plotArea();
    if (m_segments.empty() || x < area.left() || x > area.right()) return -1;
    const double t = (x - area.left() + 0.5) / area.width() *
                     static_cast<double>(std::max<std::int64_t>(m_totalTenths, 1));
    const auto after = std::upper_bound(
        m_segments.begin(), m_segments.end(), t,
        [](double time, const Segment& s) { return time < static_cast<double>(s.startTenths); });
    return static_cast<int>(std::max<std::ptrdiff_t>(0, after - m_segments.begin() - 1));
}

QString SessionView::describe(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_segments.size()) return {};
    const Segment& s = m_segments[index];
    const TargetStepRecord& r = m_records[index];
    QString head = QStringLiteral("Step %1").arg(r.stepNumber);
    if (s.role != StepRole::Plain) head += QStringLiteral(" (%1)").arg(roleName(s.role));
    const QString duration =
        QString::fromLatin1(r.duration.data(), static_cast<int>(r.duration.size())).trimmed();
    QString text = QStringLiteral("%1\nDuration %2, from %3")
                       .arg(head, duration, clockText(s.startTenths, true));
    const QString arrow = QString::fromUtf8(" \u2192 ");
    for (int band = 0; band < kBandCount; ++band) {
        text += QStringLiteral("\n%1: %2%3%4, %5%3%6")
                    .arg(QLatin1String(kBandNames[band]), number(s.start[2 * band]), arrow,
                         number(s.end[2 * band]), number(s.start[2 * band + 1]),
                         number(s.end[2 * band + 1]));
    }
    return text;
}

SessionView::Columns SessionView::columnExtremes(int columns) const {
    Columns e;
    if (columns <= 0) return e;
    for (int k = 0; k < kSeriesCount; ++k) {
        e.low[k].assign(columns, std::numeric_limits<float>::infinity());
        e.high[k].assign(columns, -std::numeric_limits<float>::infinity());
    }
    const double scaleX = columns / static_cast<double>(std::max<std::int64_t>(m_totalTenths, 1));
    for (const Segment& s : m_segments) {
        const double x0 = s.startTenths * scaleX;
        const double x1 = s.endTenths * scaleX;
        const int c0 = std::clamp(static_cast<int>(x0), 0, columns - 1);
        const int c1 = std::clamp(static_cast<int>(std::ceil(x1)) - 1, c0, columns - 1);
        const double span = x1 - x0;
        for (int c = c0; c <= c1; ++c) {
            // A segment is straight, so its extremes within a column lie where it is clipped.
            const double f0 = span > 0 ? (std::max(x0, double(c)) - x0) / span : 0.0;
            const double f1 = span > 0 ? (std::min(x1, double(c + 1)) - x0) / span : 1.0;
            for (int k = 0; k < kSeriesCount; ++k) {
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

QSize SessionView::sizeHint() const {
    return {720, 320};
}

QSize SessionView::minimumSizeHint() const {
    return {320, 200};
}

bool SessionView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QRect area = plotArea();
    const int index = area.contains(help->pos()) ? hitTest(help->pos().x()) : -1;
    if (index < 0) {
        QToolTip::hideText();
        event->ignore();
    } else {
        // The tip goes once the mouse leaves the step's columns, so the next step gets its own.
        const Segment& s = m_segments[index];
        const double scale =
            area.width() / static_cast<double>(std::max<std::int64_t>(m_totalTenths, 1));
        const int x0 = area.left() + static_cast<int>(std::floor(s.startTenths * scale));
        const int x1 = area.left() + static_cast<int>(std::ceil(s.endTenths * scale));
        const QRect stepRect = QRect(x0, area.top(), std::max(1, x1 - x0), area.height())
                                   .united(QRect(help->pos().x(), area.top(), 1, area.height()));
        QToolTip::showText(help->globalPos(), describe(index), this, stepRect);
    }
    return true;
}

void SessionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QFontMetrics fm(font());
    const QRect area = plotArea();
    if (m_segments.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, tr("No session to show"));
        return;
    }

    const double total = static_cast<double>(std::max<std::int64_t>(m_totalTenths, 1));
    const double scaleX = area.width() / total;
    const auto xAt = [&](std::int64_t tenths) { return area.left() + tenths * scaleX; };
    const int gap = 6;
    const int bandHeight = (area.height() - gap * (kBandCount - 1)) / kBandCount;

    const Marks marks = markRoles(m_segments, xAt);

    // More segments than columns are drawn as each column's lowest to highest value.
    const int columns = area.width();
    const bool decimate = m_segments.size() > static_cast<std::size_t>(columns);
    // Channel 2 is dashed over channel 1, so that both show where they coincide.
    const QPen firstPen(kFirstColor, decimate ? 1.0 : 2.0);
    QPen secondPen(kSecondColor, decimate ? 1.0 : 2.0);
    if (!decimate) secondPen.setDashPattern({3, 3});
    const Columns columnsOf = decimate ? columnExtremes(columns) : Columns{};

    for (int band = 0; band < kBandCount; ++band) {
        const QRect box(area.left(), area.top() + band * (bandHeight + gap), area.width(),
                        bandHeight);
        p.fillRect(box, palette().color(QPalette::Base));
        for (const auto& [x0, x1] : marks.ramps) {
            p.fillRect(QRect(x0, box.top(), x1 - x0, box.height()), kRampColor);
        }

        // A flat band gets a span of its own around the value.
        double lo = m_range[band][0];
        double hi = m_range[band][1];
        if (hi - lo < 1e-6 * std::max(1.0, std::abs(hi))) {
            const double pad = std::max(1.0, std::abs(hi) * 0.1);
            lo -= pad;
            hi += pad;
        }
        const double inner = box.height() - 12;
        const auto yAt = [&](double v) { return box.bottom() - 6 - (v - lo) / (hi - lo) * inner; };

        p.setPen(kGridColor);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const double v : {lo, (lo + hi) / 2, hi}) {
            const double y = yAt(v);
            p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
        }
        p.setPen(palette().color(QPalette::Text));
        for (const double v : {lo, hi}) {
            const QRectF label(0, yAt(v) - fm.height() / 2.0, area.left() - 6, fm.height());
            p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'g', 4));
        }

        for (int k = 2 * band; k <= 2 * band + 1; ++k) {
            p.setPen(k % 2 == 0 ? firstPen : secondPen);
            if (decimate) {
                std::vector<QLineF> lines;
                lines.reserve(columns);
                for (int c = 0; c < columns; ++c) {
                    if (columnsOf.low[k][c] > columnsOf.high[k][c]) continue;
                    const double x = area.left() + c + 0.5;
                    const double yLow = yAt(columnsOf.low[k][c]);
                    const double yHigh = std::min(yAt(columnsOf.high[k][c]), yLow - 1.0);
                    lines.emplace_back(x, yLow, x, yHigh);
                }
                p.drawLines(lines.data(), static_cast<int>(lines.size()));
            } else {
                p.setRenderHint(QPainter::Antialiasing, true);
                for (const Segment& s : m_segments) {
                    if (!std::isfinite(s.start[k]) || !std::isfinite(s.end[k])) continue;
                    p.drawLine(QPointF(xAt(s.startTenths), yAt(s.start[k])),
                               QPointF(xAt(s.endTenths), yAt(s.end[k])));
                }
                p.setRenderHint(QPainter::Antialiasing, false);
            }
        }

        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(QRect(0, box.top(), area.left() - 6, box.height()),
                   Qt::AlignRight | Qt::AlignVCenter, tr(kBandNames[band]));
        p.setPen(kGridColor.darker(130));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }

    QPen dashed(kDividerColor, 1, Qt::DashLine);
    p.setPen(dashed);
    for (const int x : marks.dividers) {
        p.drawLine(x, area.top(), x, area.bottom());
    }

    // The time axis under the bands.
    p.setPen(palette().color(QPalette::Text));
    const int axisY = area.top() + kBandCount * bandHeight + (kBandCount - 1) * gap;
    const std::int64_t step = tickStep(m_totalTenths > 0 ? m_totalTenths : 1, area.width(),
                                       fm.horizontalAdvance(QStringLiteral("0:00:00")));
    for (std::int64_t t = 0; t <= m_totalTenths; t += step) {
        const double x = xAt(t);
        p.drawLine(QPointF(x, axisY), QPointF(x, axisY + 3));
        const QString label = clockText(t, false);
        const double w = fm.horizontalAdvance(label);
        const double lx = std::clamp(x - w / 2, 0.0, width() - w - 1.0);
        p.drawText(QPointF(lx, axisY + 4 + fm.ascent()), label);
    }

    // The legend above the bands.
    struct Entry {
        QString text;
        enum { Line, Swatch, Divider } kind;
        QPen pen;
    };
    QPen secondLegend(kSecondColor, 2.0);
    secondLegend.setDashPattern({3, 3});
    const Entry entries[] = {{tr("Channel 1 / tone 1"), Entry::Line, QPen(kFirstColor, 2.0)},
                             {tr("Channel 2 / tone 2"), Entry::Line, secondLegend},
                             {tr("Ramp"), Entry::Swatch, {}},
                             {tr("Split"), Entry::Divider, dashed}};
    double x = area.left();
    const double y = 4 + fm.height() / 2.0;
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const Entry& e : entries) {
        p.setPen(e.pen);
        if (e.kind == Entry::Line) {
            p.drawLine(QPointF(x, y), QPointF(x + 18, y));
        } else if (e.kind == Entry::Swatch) {
            p.fillRect(QRectF(x, y - 5, 18, 10), kRampColor);
        } else {
            p.drawLine(QPointF(x + 9, y - 6), QPointF(x + 9, y + 6));
        }
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QPointF(x + 24, y - fm.height() / 2.0 + fm.ascent()), e.text);
        x += 24 + fm.horizontalAdvance(e.text) + 18;
    }
}

}  // namespace z2o
