// The session view's data, its tooltip and its loader.
#include <QtTest>
#include <QtWidgets>

#include "session.h"
#include "session_builder.h"
#include "session_view.h"
#include "test_support.h"

using namespace z2o;
using Role = StepRole;

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void segmentsAndTooltipOfASession() {
        // A ramped step split in two (its pairs on separate channels), then a short plain one.
        const auto source = samples::buildSession(
            "step duration=12:00.0 start=10,0,30,12,100 end=20,15,10,0,200 channel=0x3C mode=1\n"
            "step duration=0:03.0 start=5,5,5,5,150 end=5,5,5,5,150\n");
        TempDir dir;
        writeBytes(dir / "a.zs2", source);
        writeBytes(dir / "a.OSW", convertSession(source, {}, [](int) {}).target);
        // A ZS2 file shows as its conversion plans it; of an OSw file only tone-level ramps show.
        const struct {
            const char* name;
            RampSettings ramp;
            std::vector<Role> roles;
            std::vector<std::int64_t> ends;
        } rows[] = {
            {"a.zs2",
             {50, true},
             {Role::SoftOn, Role::FirstHalf, Role::SecondHalf, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {"a.OSW",
             {0, true},
             {Role::SoftOn, Role::Plain, Role::Plain, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {"a.zs2",
             {0, true},
             {Role::FirstHalf, Role::SecondHalf, Role::Plain},
             {3600, 7200, 7230}},
        };
        for (const auto& row : rows) {
            std::string problem;
            const auto loaded = SessionView::loadSessionFile(dir / row.name, row.ramp, problem);
            QVERIFY(loaded);
            SessionView view;
            view.setRecords(loaded->records, loaded->roles);
            std::vector<std::int64_t> ends;
            std::vector<Role> roles;
            for (const auto& s : view.segments()) {
                ends.push_back(s.endTenths);
                roles.push_back(s.role);
            }
            QCOMPARE(ends, row.ends);
            QCOMPARE(roles, row.roles);
            if (row.roles.size() != 3) continue;
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

    void drawsAnySessionWithoutFault() {
        // Values a hand-made file may hold, drawn segment by segment and per column.
        std::vector<TargetStepRecord> records(1000);
        records[10].freq[0] = std::numeric_limits<float>::quiet_NaN();
        records[10].freq[4] = std::numeric_limits<float>::infinity();
        records[10].pitch[1] = -3e38F;
        records[10].pitch[3] = 3e38F;
        records[10].duration = {'-', '1', ':', '0', '0', '.', '0'};
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
            {"gone.osw", 0, "File not found"},  // not written
        };
        TempDir dir;
        for (const auto& row : rows) {
            if (row.name != std::string("gone.osw"))
                writeBytes(dir / row.name, std::vector<std::uint8_t>(row.bytes));
            std::string problem;
            QVERIFY(!SessionView::loadSessionFile(dir / row.name, {}, problem));
            QCOMPARE(problem, std::string(row.problem));
        }
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
