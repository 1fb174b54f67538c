// A drawing of an Orvanel session over time: the two channels' frequencies and levels and the two
// tone pitches, each moving in a straight line from a step's start values to its end values.
// Where the conversion's planning is known, the source's own steps show faintly beneath, so that
// the ramps it added and the steps it split stand out.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/plot_geometry.h"
#include "app/session_loader.h"

namespace z2o {

class SessionView : public QWidget {
    Q_OBJECT

  public:
    explicit SessionView(QWidget* parent = nullptr);

    // `roles`, when given, holds one role per record (as a ZS2 conversion plans them); without
    // it the roles are read from what the records show.
    void setRecords(std::vector<TargetStepRecord> records, std::vector<StepRole> roles = {});
    void setSession(LoadedSession session);
    // Shows nothing but `placeholder`, a line that says why.
    void clear(const QString& placeholder);

    const std::vector<Segment>& segments() const { return m_plot.segments; }
    const std::vector<Segment>& sourceSegments() const { return m_plot.sourceSegments; }
    std::int64_t totalTenths() const { return m_plot.totalTenths; }
    QString placeholder() const { return m_placeholder; }
    // The segment drawn at widget column `x`, or -1.
    int hitTest(int x) const;
    // What the tooltip says of segment `index`.
    QString describe(int index) const;
    // The step that the arrow keys move through, or -1.
    int currentStep() const { return m_current; }
    void setCurrentStep(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The current step's description on one line, or empty when there is none.
    void currentStepChanged(const QString& description);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void drawCurrentStep(QPainter& p, const PlotLayout& layout) const;

    std::vector<TargetStepRecord> m_records;
    SessionPlot m_plot;
    QString m_placeholder;
    int m_current = -1;
};

}  // namespace z2o
