// A drawing of an Orvanel session over time: the two channels' frequencies and levels and the two
// tone pitches, each moving in a straight line from a step's start values to its end values.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/segments.h"
#include "convert/target_record.h"

namespace z2o {

// What a target step is within the source step it came from. The bytes of a target record do
// not say it; a conversion does, and a few ramps also show in their tone levels.
enum class StepRole : std::uint8_t {
    Plain,       // a whole step, or one whose part is not known
    SoftOn,      // the ramp into a step
    FirstHalf,   // the first half of a split step
    SecondHalf,  // the second half of a split step
    SoftOff,     // the ramp out of a step
};

// The records of a session file and, when the conversion planned them, their roles.
struct LoadedSession {
    std::vector<TargetStepRecord> records;
    std::vector<StepRole> roles;  // one per record, or empty when unknown
};

class SessionView : public QWidget {
    Q_OBJECT

  public:
    // The plotted values, in the order of the bands: channel 1 and 2 frequencies, their levels,
    // tone 1 and 2 pitches.
    enum Series { kFreq1, kFreq2, kLevel1, kLevel2, kPitch1, kPitch2, kSeriesCount };

    struct Segment {
        std::int64_t startTenths = 0;  // from the session's start
        std::int64_t endTenths = 0;
        std::array<float, kSeriesCount> start{};
        std::array<float, kSeriesCount> end{};
        StepRole role = StepRole::Plain;
    };

    explicit SessionView(QWidget* parent = nullptr);

    // `roles`, when given, holds one role per record (as a ZS2 conversion plans them); without
    // it the roles are read from what the records show.
    void setRecords(std::vector<TargetStepRecord> records, std::vector<StepRole> roles = {});

    // An OSw file as it is, or a ZS2 file as it would be converted with `ramp`. On failure:
    // nullopt and a sentence in `problem`.
    static std::optional<LoadedSession> loadSessionFile(const std::string& path,
                                                        const RampSettings& ramp,
                                                        std::string& problem);
    // Loads and shows a file; on failure the view keeps what it showed.
    bool openFile(const std::string& path, const RampSettings& ramp, std::string& problem);

    const std::vector<Segment>& segments() const { return m_segments; }
    std::int64_t totalTenths() const { return m_totalTenths; }
    // The segment drawn at widget column `x`, or -1.
    int hitTest(int x) const;
    // What the tooltip says of segment `index`.
    QString describe(int index) const;
    // For a plot `columns` wide: each series' lowest and highest value in each column (low above
    // high where it has none). Drawn so once there are more segments than columns.
    struct Columns {
        std::array<std::vector<float>, kSeriesCount> low;
        std::array<std::vector<float>, kSeriesCount> high;
    };
    Columns columnExtremes(int columns) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect plotArea() const;

    std::vector<TargetStepRecord> m_records;
    std::vector<Segment> m_segments;
    std::int64_t m_totalTenths = 0;
    // Per band: the lowest and highest finite value.
    std::array<std::array<float, 2>, 3> m_range{};
};

}  // namespace z2o
