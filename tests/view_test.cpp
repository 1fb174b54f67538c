// The session view's data, its tooltip and its loader.
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>
#include <QtTest>
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

struct Loaded {
    TempDir dir;
    std::optional<LoadedSession> session;
    std::string problem;
};

void load(Loaded& l, const std::string& name, const std::vector<std::uint8_t>& bytes,
          RampSettings ramp = {}) {
    writeBytes(l.dir / name, bytes);
    l.session = SessionView::loadSessionFile(l.dir / name, ramp, l.problem);
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void rolesAndSpansOfAConvertedSession() {
        struct Row {
            RampSettings ramp;
            std::vector<Role> roles;
            std::vector<std::int64_t> ends;
        };
        const Row rows[] = {
            {{50, true},
             {Role::SoftOn, Role::FirstHalf, Role::SecondHalf, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {{0, true}, {Role::FirstHalf, Role::SecondHalf, Role::Plain}, {3600, 7200, 7230}},
        };
        for (const Row& row : rows) {
            Loaded l;
            load(l, "a.zs2", samples::buildSession(kSession), row.ramp);
            QVERIFY(l.session);
            QCOMPARE(l.session->roles, row.roles);
            SessionView view;
            view.setRecords(l.session->records, l.session->roles);
            std::vector<std::int64_t> ends;
            std::vector<Role> roles;
            for (const auto& s : view.segments()) {
                ends.push_back(s.endTenths);
                roles.push_back(s.role);
            }
            QCOMPARE(ends, row.ends);
            QCOMPARE(roles, row.roles);
            QCOMPARE(view.totalTenths(), row.ends.back());
        }
    }

    void valuesRunFromStartFieldsToEndFields() {
        Loaded l;
        load(l, "a.ZS2", samples::buildSession(kSession), {0, true});
        SessionView view;
        view.setRecords(l.session->records);
        const auto& first = view.segments()[0];
        const std::array<float, 6> start{10, 30, 0, 204, 100, 100};
        const std::array<float, 6> mid{15, 20, 128, 102, 150, 150};  // 127.5 to even
        QCOMPARE(first.start, start);
        QCOMPARE(first.end, mid);
        QCOMPARE(view.segments()[1].start, mid);
        // Without planned roles only the tone-level ramps show.
        Loaded r;
        load(r, "a.zs2", samples::buildSession(kSession));
        view.setRecords(r.session->records);
        std::vector<Role> roles;
        for (const auto& s : view.segments())
            roles.push_back(s.role);
        QCOMPARE(roles, (std::vector<Role>{Role::SoftOn, Role::Plain, Role::Plain, Role::SoftOff,
                                           Role::Plain}));
    }

    void tooltipNamesTheStepUnderTheMouse() {
        Loaded l;
        load(l, "a.zs2", samples::buildSession(kSession), {0, true});
        SessionView view;
        view.resize(800, 300);
        view.setRecords(l.session->records, l.session->roles);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QPoint at(view.width() * 3 / 4, view.height() / 2);  // within the second half
        QCOMPARE(view.hitTest(at.x()), 1);
        // Sweeping the mouse across meets each step once, in order, and nothing beside the plot.
        std::vector<int> met;
        for (int x = 0; x < view.width(); ++x) {
            if (met.empty() || met.back() != view.hitTest(x)) met.push_back(view.hitTest(x));
        }
        QCOMPARE(met, (std::vector<int>{-1, 0, 1, 2, -1}));
        QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
        QApplication::sendEvent(&view, &help);
        QCOMPARE(QToolTip::text(), QString::fromUtf8("Step 2 (second half of a split step)\n"
                                                     "Duration 6:00.0, from 6:00.0\n"
                                                     "Frequency: 15 → 20, 20 → 10\n"
                                                     "Level: 128 → 255, 102 → 0\n"
                                                     "Pitch: 150 → 200, 150 → 200"));
    }

    void columnsHoldEachSeriesLowestAndHighest() {
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
    }

    void drawsAnySessionWithoutFault() {
        // Values a hand-made file may hold, drawn both segment by segment and per column.
        TargetStepRecord odd;
        odd.freq[0] = std::nanf("");
        odd.freq[4] = INFINITY;
        odd.pitch[1] = -3e38F;
        odd.pitch[3] = 3e38F;
        odd.duration = {'-', '1', ':', '0', '0', '.', '0'};
        std::vector<TargetStepRecord> records(1000, TargetStepRecord{});
        records[10] = odd;
        SessionView view;
        view.setRecords(records);
        QCOMPARE(view.totalTenths(), std::int64_t{0});
        for (const QSize size : {QSize(2000, 300), QSize(320, 200)}) {
            view.resize(size);
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            view.render(&image);
            QCOMPARE(view.hitTest(size.width() / 2), 999);
        }
    }

    void loaderRefusesWhatIsNoSession() {
        struct Row {
            const char* name;
            std::size_t bytes;
            const char* problem;
        };
        const Row rows[] = {
            {"short.OSw", 2 * kTargetRecordSize - 1,
             "It is not a whole number of 109-byte records."},
            {"short.zs2", kSourceRecordSize + 1, "It is not a whole number of 45-byte records."},
            {"long.osw", (kMaxRecordCount + 1) * kTargetRecordSize,
             "It has more than 32767 records."},
            {"text.txt", 0, "It is neither a ZS2 nor an OSw session."},
        };
        for (const Row& row : rows) {
            Loaded l;
            load(l, row.name, std::vector<std::uint8_t>(row.bytes));
            QVERIFY(!l.session);
            QCOMPARE(l.problem, std::string(row.problem));
        }
        Loaded missing;
        QVERIFY(!SessionView::loadSessionFile(missing.dir / "gone.osw", {}, missing.problem));
        QCOMPARE(missing.problem, std::string("File not found"));
        // An OSw file is shown as it stands, with no planned roles.
        Loaded l;
        const auto target = convertSession(samples::buildSession(kSession), {}, [](int) {}).target;
        load(l, "a.OSW", target);
        QCOMPARE(l.session->records.size(), std::size_t{5});
        QVERIFY(l.session->roles.empty());
        QCOMPARE(l.session->records[4].stepNumber, std::int16_t{5});
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
