// A drawing of an Orvanel session over time: the two channels' frequencies and levels and the two
// tone pitches, each moving in a straight line from a step's start values to its end values.
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
    // Loads and shows a file (see loadSessionFile); on failure the view keeps what it showed.
    bool openFile(const std::string& path, const RampSettings& ramp, std::string& problem);

    const std::vector<Segment>& segments() const { return m_plot.segments; }
    std::int64_t totalTenths() const { return m_plot.totalTenths; }
    // The segment drawn at widget column `x`, or -1.
    int hitTest(int x) const;
    // What the tooltip says of segment `index`.
    QString describe(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<TargetStepRecord> m_records;
    SessionPlot m_plot;
};

}  // namespace z2o
