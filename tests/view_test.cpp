// The session view's data, its tooltip and its loader.
#include <QtTest>
#include <QtWidgets>
#include <cmath>

#include "session.h"
#include "session_builder.h"
#include "session_view.h"
#include "test_support.h"

using namespace z2o;
using Role = StepRole;

namespace {

// A ramped step split in two (its pairs on separate channels), then a short plain one.
const char* const kSession =
    "step duration=12:00.0 start=10,0,30,12,100 end=20,15,10,0,200 channel=0x3C mode=1\n"
    "step duration=0:03.0 start=5,5,5,5,150 end=5,5,5,5,150\n";

std::optional<LoadedSession> load(const std::string& name, const std::vector<std::uint8_t>& bytes,
                                  std::string& problem, RampSettings ramp = {}) {
    TempDir dir;
    if (name != "gone.osw") writeBytes(dir / name, bytes);  // gone.osw: a file that is not there
    return SessionView::loadSessionFile(dir / name, ramp, problem);
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void segmentsAndTooltipOfAConvertedSession() {
        // Without planned roles only the tone-level ramps show.
        const struct {
            RampSettings ramp;
            bool planned;
            std::vector<Role> roles;
            std::vector<std::int64_t> ends;
        } rows[] = {
            {{50, true},
             true,
             {Role::SoftOn, Role::FirstHalf, Role::SecondHalf, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {{50, true},
             false,
             {Role::SoftOn, Role::Plain, Role::Plain, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {{0, true}, true, {Role::FirstHalf, Role::SecondHalf, Role::Plain}, {3600, 7200, 7230}},
        };
        for (const auto& row : rows) {
            std::string problem;
            const auto loaded = load("a.zs2", samples::buildSession(kSession), problem, row.ramp);
            QVERIFY(loaded);
            SessionView view;
            view.setRecords(loaded->records, row.planned ? loaded->roles : std::vector<Role>{});
            std::vector<std::int64_t> ends;
            std::vector<Role> roles;
            for (const auto& s : view.segments()) {
                ends.push_back(s.endTenths);
                roles.push_back(s.role);
            }
            QCOMPARE(ends, row.ends);
            QCOMPARE(roles, row.roles);
            QCOMPARE(view.totalTenths(), row.ends.back());
            if (row.ramp.rampTime != 0) continue;
            // Values run from the start fields to the end fields: half-way at the split.
            const std::array<float, 6> mid{15, 20, 128, 102, 150, 150};  // 127.5 to even
            QCOMPARE(view.segments()[0].start, (std::array<float, 6>{10, 30, 0, 204, 100, 100}));
            QCOMPARE(view.segments()[0].end, mid);
            QCOMPARE(view.segments()[1].start, mid);
            view.resize(800, 300);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            // Sweeping the mouse across meets each step once, in order, and nothing beside.
            std::vector<int> met;
            for (int x = 0; x < view.width(); ++x)
                if (met.empty() || met.back() != view.hitTest(x)) met.push_back(view.hitTest(x));
            QCOMPARE(met, (std::vector<int>{-1, 0, 1, 2, -1}));
            const QPoint at(view.width() * 3 / 4, view.height() / 2);
            QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
            QApplication::sendEvent(&view, &help);
            QCOMPARE(QToolTip::text(), QString::fromUtf8("Step 2 (second half of a split step)\n"
                                                         "Duration 6:00.0, from 6:00.0\n"
                                                         "Frequency: 15 → 20, 20 → 10\n"
                                                         "Level: 128 → 255, 102 → 0\n"
                                                         "Pitch: 150 → 200, 150 → 200"));
        }
    }

    void columnsHoldEachSeriesExtremesAndOddValuesDraw() {
        // Steps of 1, 1 and 2 seconds; frequency 1 goes 10-20, 5-8, then 0-100.
        std::vector<TargetStepRecord> records(3);
        const float freq[3][2] = {{10, 20}, {5, 8}, {0, 100}};
        for (int i = 0; i < 3; ++i) {
            records[i].duration = {'0', ':', '0', char('1' + i / 2), '.', '0', ' '};
            records[i].freq[0] = freq[i][0];
            records[i].freq[4] = freq[i][1];
        }
        records[1].freq[1] = std::nanf("");  // left out, not spread over its columns
        SessionView view;
        view.setRecords(records);
        using Pairs = std::vector<std::pair<float, float>>;
        const auto columns = [&](int count, int series) {
            const auto c = view.columnExtremes(count);
            Pairs out;
            for (int i = 0; i < count; ++i)
                out.emplace_back(c.low[series][i], c.high[series][i]);
            return out;
        };
        QCOMPARE(columns(2, SessionView::kFreq1), (Pairs{{5, 20}, {0, 100}}));
        QCOMPARE(columns(4, SessionView::kFreq1), (Pairs{{10, 20}, {5, 8}, {0, 50}, {50, 100}}));
        QCOMPARE(columns(2, SessionView::kFreq2), (Pairs{{5, 5}, {5, 5}}));
        // Values a hand-made file may hold, drawn segment by segment and per column.
        records.assign(1000, TargetStepRecord{});
        records[10].freq[0] = std::nanf("");
        records[10].freq[4] = INFINITY;
        records[10].pitch[1] = -3e38F;
        records[10].pitch[3] = 3e38F;
        records[10].duration = {'-', '1', ':', '0', '0', '.', '0'};
        view.setRecords(records);
        QCOMPARE(view.totalTenths(), std::int64_t{0});
        for (const QSize size : {QSize(2000, 300), QSize(320, 200)}) {
            view.resize(size);
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            view.render(&image);
            QCOMPARE(view.hitTest(size.width() / 2), 999);
        }
    }

    void loaderRefusesWhatIsNoSessionAndShowsAnOswAsItIs() {
        const struct {
            const char* name;
            std::size_t bytes;
            const char* problem;
        } rows[] = {
            {"short.OSw", 2 * kTargetRecordSize - 1,
             "It is not a whole number of 109-byte records."},
            {"short.zs2", kSourceRecordSize + 1, "It is not a whole number of 45-byte records."},
            {"long.osw", (kMaxRecordCount + 1) * kTargetRecordSize,
             "It has more than 32767 records."},
            {"text.txt", 0, "It is neither a ZS2 nor an OSw session."},
            {"gone.osw", 0, "File not found"},
        };
        for (const auto& row : rows) {
            std::string problem;
            QVERIFY(!load(row.name, std::vector<std::uint8_t>(row.bytes), problem));
            QCOMPARE(problem, std::string(row.problem));
        }
        std::string problem;
        const auto target = convertSession(samples::buildSession(kSession), {}, [](int) {}).target;
        const auto loaded = load("a.OSW", target, problem);
        QCOMPARE(loaded->records.size(), std::size_t{5});
        QVERIFY(loaded->roles.empty());
        QCOMPARE(loaded->records[4].stepNumber, std::int16_t{5});
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
