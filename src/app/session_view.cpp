#include "app/session_view.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "convert/clock_text.h"

namespace z2o {
namespace {

const QColor kFirstColor(31, 119, 180);   // channel 1, tone 1
const QColor kSecondColor(230, 120, 20);  // channel 2, tone 2
const QColor kRampColor(255, 236, 179);   // behind ramp steps
const QColor kGridColor(225, 225, 225);
const QColor kDividerColor(110, 110, 110);

QString roleName(StepRole role) {
    switch (role) {
        case StepRole::SoftOn:
            return SessionView::tr("soft-on ramp");
        case StepRole::Main:
            return SessionView::tr("main");
        case StepRole::FirstHalf:
            return SessionView::tr("first half of a split step");
        case StepRole::SecondHalf:
            return SessionView::tr("second half of a split step");
        case StepRole::SoftOff:
            return SessionView::tr("soft-off ramp");
        case StepRole::Plain:
            break;
    }
    return {};
}

QString number(float value) {
    return QString::number(double{value}, 'g', 6);
}

// Channel 2 is dashed over channel 1, so that both show where they coincide.
QPen seriesPen(int series, double width, bool dashed) {
    QPen pen(series % 2 == 0 ? kFirstColor : kSecondColor, width);
    if (dashed && series % 2 == 1) pen.setDashPattern({3, 3});
    return pen;
}

// The source's steps: wide, pale and beneath the target's, so that both read at once.
QPen sourcePen(int series) {
    QColor color = series % 2 == 0 ? kFirstColor : kSecondColor;
    color.setAlpha(70);
    return QPen(color, 6.0, Qt::SolidLine, Qt::FlatCap);
}

void drawSource(QPainter& p, const SessionPlot& plot, const PlotLayout& layout, int band) {
    const QRect& box = layout.bands[band];
    const ValueSpan& span = plot.spans[band];
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int k = 2 * band; k <= 2 * band + 1; ++k) {
        p.setPen(sourcePen(k));
        for (const Segment& s : plot.sourceSegments) {
            if (!std::isfinite(s.start[k]) || !std::isfinite(s.end[k])) continue;
            p.drawLine(QPointF(layout.scale.x(s.startTenths), valueY(box, span, s.start[k])),
                       QPointF(layout.scale.x(s.endTenths), valueY(box, span, s.end[k])));
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The two series of a band: each column's lowest to highest value once there are more segments
// than columns, else segment by segment.
void drawSeries(QPainter& p, const SessionPlot& plot, const PlotLayout& layout, int band,
                const ColumnExtremes* columns) {
    const QRect& box = layout.bands[band];
    const ValueSpan& span = plot.spans[band];
    for (int k = 2 * band; k <= 2 * band + 1; ++k) {
        if (columns) {
            p.setPen(seriesPen(k, 1.0, false));
            std::vector<QLineF> lines;
            lines.reserve(columns->low[k].size());
            for (std::size_t c = 0; c < columns->low[k].size(); ++c) {
                if (columns->low[k][c] > columns->high[k][c]) continue;
                const double x = layout.area.left() + c + 0.5;
                const double yLow = valueY(box, span, columns->low[k][c]);
                const double yHigh = std::min(valueY(box, span, columns->high[k][c]), yLow - 1.0);
                lines.emplace_back(x, yLow, x, yHigh);
            }
            p.drawLines(lines.data(), static_cast<int>(lines.size()));
            continue;
        }
        p.setPen(seriesPen(k, 2.0, true));
        p.setRenderHint(QPainter::Antialiasing, true);
        for (const Segment& s : plot.segments) {
            if (!std::isfinite(s.start[k]) || !std::isfinite(s.end[k])) continue;
            p.drawLine(QPointF(layout.scale.x(s.startTenths), valueY(box, span, s.start[k])),
                       QPointF(layout.scale.x(s.endTenths), valueY(box, span, s.end[k])));
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }
}

void drawLegendMark(QPainter& p, LegendEntry entry, const QRect& r) {
    const double y = r.center().y() + 0.5;
    switch (entry) {
        case LegendEntry::FirstSeries:
        case LegendEntry::SecondSeries:
            p.setPen(seriesPen(entry == LegendEntry::FirstSeries ? 0 : 1, 2.0, true));
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            break;
        case LegendEntry::Ramp:
            p.fillRect(QRectF(r.left(), y - 5, r.width(), 10), kRampColor);
            break;
        case LegendEntry::Split:
            p.setPen(QPen(kDividerColor, 1, Qt::DashLine));
            p.drawLine(QPointF(r.center().x(), y - 6), QPointF(r.center().x(), y + 6));
            break;
        case LegendEntry::Source:
            p.setPen(sourcePen(0));
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            break;
    }
}

// One band: its box, the ramps behind, a grid at its lowest, middle and highest value, the
// source beneath and the target's two series.
void drawBand(QPainter& p, const SessionPlot& plot, const PlotLayout& layout, int band,
              const RoleMarks& marks, const ColumnExtremes* columns, const QColor& base) {
    const QRect& box = layout.bands[band];
    p.fillRect(box, base);
    for (const auto& [x0, x1] : marks.ramps)
        p.fillRect(QRect(x0, box.top(), x1 - x0, box.height()), kRampColor);
    const ValueSpan& span = plot.spans[band];
    p.setPen(kGridColor);
    for (const double v : {span.low, (span.low + span.high) / 2, span.high}) {
        const double y = valueY(box, span, v);
        p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    }
    // Pale lines as dense as the columns would only blur the steps.
    if (!columns) drawSource(p, plot, layout, band);
    drawSeries(p, plot, layout, band, columns);
    p.setPen(kGridColor.darker(130));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(0, 0, -1, -1));
}

}  // namespace

SessionView::SessionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sessionView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Session view"));
    setAccessibleDescription(
        tr("The steps of a session over time; the arrow keys move from step to step"));
    m_placeholder = tr("No session to show");
}

void SessionView::setRecords(std::vector<TargetStepRecord> records, std::vector<StepRole> roles) {
    setSession({std::move(records), std::move(roles), {}});
}

void SessionView::setSession(LoadedSession session) {
    m_records = std::move(session.records);
    m_plot = plotSession(m_records, session.roles, session.sources);
    m_current = -1;
    setCurrentStep(hasFocus() && !m_records.empty() ? 0 : -1);
    update();
}

void SessionView::clear(const QString& placeholder) {
    m_placeholder = placeholder;
    setSession({});
}

void SessionView::setCurrentStep(int index) {
    if (index >= static_cast<int>(m_plot.segments.size())) index = -1;
    if (index == m_current) return;
    m_current = index;
    QString text = describe(index);
    text.replace(QLatin1Char('\n'), QLatin1String("; "));
    setAccessibleDescription(text.isEmpty() ? tr("The steps of a session over time; the arrow "
                                                 "keys move from step to step")
                                            : text);
    emit currentStepChanged(text);
    update();
}

int SessionView::hitTest(int x) const {
    return z2o::hitTest(m_plot, layoutPlot(m_plot, size(), fontMetrics()).scale, x);
}

QString SessionView::describe(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_plot.segments.size()) return {};
    const Segment& s = m_plot.segments[index];
    const TargetStepRecord& r = m_records[index];
    QString head = QStringLiteral("Step %1").arg(r.stepNumber);
    if (s.role != StepRole::Plain) head += QStringLiteral(" (%1)").arg(roleName(s.role));
    const QString duration =
        QString::fromLatin1(r.duration.data(), static_cast<int>(r.duration.size())).trimmed();
    QString text = QStringLiteral("%1\nDuration %2, from %3")
                       .arg(head, duration, QString::fromStdString(clockText(s.startTenths)));
    const QString arrow = QString::fromUtf8(" \u2192 ");
    for (int band = 0; band < kBandCount; ++band) {
        text += QStringLiteral("\n%1: %2%3%4, %5%3%6")
                    .arg(bandName(band), number(s.start[2 * band]), arrow, number(s.end[2 * band]),
                         number(s.start[2 * band + 1]), number(s.end[2 * band + 1]));
    }
    return text;
}

QSize SessionView::sizeHint() const {
    return {720, 320};
}

QSize SessionView::minimumSizeHint() const {
    return {200, 110};
}

void SessionView::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(m_plot.segments.size());
    const int page = std::max(1, count / 10);
    int next = m_current;
    switch (event->key()) {
        case Qt::Key_Left:
            next = std::max(0, m_current - 1);
            break;
        case Qt::Key_Right:
            next = std::min(count - 1, m_current + 1);
            break;
        case Qt::Key_PageUp:
            next = std::max(0, m_current - page);
            break;
        case Qt::Key_PageDown:
            next = std::min(count - 1, m_current + page);
            break;
        case Qt::Key_Home:
            next = 0;
            break;
        case Qt::Key_End:
            next = count - 1;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    setCurrentStep(count == 0 ? -1 : next);
}

void SessionView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const int index = hitTest(event->position().toPoint().x());
    if (index >= 0) setCurrentStep(index);
}

void SessionView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (m_current < 0 && !m_plot.segments.empty()) setCurrentStep(0);
    update();
}

void SessionView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

bool SessionView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const PlotLayout layout = layoutPlot(m_plot, size(), fontMetrics());
    const int index = layout.area.contains(help->pos())
                          ? z2o::hitTest(m_plot, layout.scale, help->pos().x())
                          : -1;
    if (index < 0) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // The tip goes once the mouse leaves the step's columns, so the next step gets its own.
    const Segment& s = m_plot.segments[index];
    const QRect& area = layout.area;
    const int x0 = static_cast<int>(std::floor(layout.scale.x(s.startTenths)));
    const int x1 = static_cast<int>(std::ceil(layout.scale.x(s.endTenths)));
    const QRect stepRect = QRect(x0, area.top(), std::max(1, x1 - x0), area.height())
                               .united(QRect(help->pos().x(), area.top(), 1, area.height()));
    QToolTip::showText(help->globalPos(), describe(index), this, stepRect);
    return true;
}

void SessionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (m_plot.segments.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
        return;
    }
    const PlotLayout layout = layoutPlot(m_plot, size(), fontMetrics());
    const RoleMarks marks = markRoles(m_plot, layout.scale);
    const int columns = layout.area.width();
    const bool decimate = m_plot.segments.size() > static_cast<std::size_t>(columns);
    const ColumnExtremes extremes = decimate ? columnExtremes(m_plot, columns) : ColumnExtremes{};
    for (int band = 0; band < kBandCount; ++band)
        drawBand(p, m_plot, layout, band, marks, decimate ? &extremes : nullptr,
                 palette().color(QPalette::Base));

    p.setPen(QPen(kDividerColor, 1, Qt::DashLine));
    for (const int x : marks.dividers)
        p.drawLine(x, layout.area.top(), x, layout.area.bottom());
    p.setPen(palette().color(QPalette::Text));
    for (const std::int64_t t : layout.ticks) {
        const double x = layout.scale.x(t);
        p.drawLine(QPointF(x, layout.axisY), QPointF(x, layout.axisY + 3));
    }
    if (m_current >= 0) drawCurrentStep(p, layout);
    for (const auto& [entry, mark] : layout.legendMarks)
        drawLegendMark(p, entry, mark);
    for (const PlotLabel& label : layout.labels) {
        p.setPen(palette().color(label.kind == PlotLabel::BandName ? QPalette::PlaceholderText
                                                                   : QPalette::Text));
        p.drawText(label.rect, Qt::AlignLeft | Qt::AlignVCenter, label.text);
    }
}

void SessionView::drawCurrentStep(QPainter& p, const PlotLayout& layout) const {
    // The step the keys have reached, shaded across the bands and outlined while in focus.
    const Segment& s = m_plot.segments[m_current];
    const int x0 = static_cast<int>(std::floor(layout.scale.x(s.startTenths)));
    const int x1 = std::max(x0 + 2, static_cast<int>(std::ceil(layout.scale.x(s.endTenths))));
    const QRect column(x0, layout.area.top(), x1 - x0, layout.area.height());
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(hasFocus() ? 60 : 25);
    p.fillRect(column, fill);
    if (!hasFocus()) return;
    p.setPen(QPen(palette().color(QPalette::Highlight), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(column.adjusted(0, 0, 0, -1));
}

}  // namespace z2o
