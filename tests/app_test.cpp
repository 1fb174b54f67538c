// The window driven through its real widgets and actions, and its session view; dialogs and
// messages come from a scripted host so nothing blocks.
#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <map>
#include <random>
#include <set>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/session_view.h"
#include "app/termination_signal.h"
#include "convert/messages.h"
#include "convert/session.h"
#include "session_builder.h"
#include "test_support.h"

using namespace z2o;
using Role = StepRole;

namespace {

// Runs `check` on the modal dialog shown next, then closes it.
template <typename Dialog>
void onModal(const std::function<void(Dialog*)>& check) {
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        check(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

struct Fixture {
    ScriptedHost host;
    MainWindow window{&host};
    TempDir dir;

    template <typename Widget = QWidget>
    Widget* child(const char* name) {
        return window.findChild<Widget*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    QString path(const char* name) { return QString::fromStdString(dir / name); }
    void file(const char* name, const std::string& text) {
        writeBytes(dir / name, {text.begin(), text.end()});
    }
    void session(const char* name, const char* description = "step\n") {
        writeBytes(dir / name, samples::buildSession(description));
    }
    // The panel's buttons, made in this order: 0 OK, 1 Cancel.
    QPushButton* button(int index) {
        return window.findChildren<QPushButton*>(QStringLiteral("Command1")).at(index);
    }
    QTreeWidget* list() { return child<QTreeWidget>("lstResults"); }
    QStringList rows() {  // source, target, steps, playing time, outcome
        QStringList seen;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int column : {0, 2, 3, 4, 5})
                cells << list()->topLevelItem(i)->text(column);
            seen << cells.join(QLatin1Char('|'));
        }
        return seen;
    }
    // False when the window refuses the drag.
    bool drop(std::initializer_list<const char*> names, Qt::KeyboardModifiers keys = {}) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const char* name : names)
            urls << QUrl::fromLocalFile(path(name));
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(&window, &drop);
        QCoreApplication::processEvents();  // the conversion starts once the drop returned
        return true;
    }
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

  private:
    QList<QUrl> openedUrls;

  private slots:
    void menusInOrderWithoutKeys() {
        Fixture f;
        QStringList seen;
        for (QAction* top : f.window.menuBar()->actions()) {
            seen << top->menu()->objectName() + QLatin1Char('=') + top->text();
            for (QAction* item : top->menu()->actions()) {
                seen << item->objectName() + QLatin1Char('=') +
                            (item->isSeparator() ? QStringLiteral("-") : item->text());
                QVERIFY(item->shortcut().isEmpty());
            }
        }
        QCOMPARE(seen,
                 (QStringList{"mnuFiles=Files", "mnuConProtSes=Convert Zendrel Session",
                              "mnuConvrtAlbm=Convert Zendrel Album", "mnusep=-", "mnuExit=Exit",
                              "mnuUtes=Utilities", "mnuSetSoftTime=Set Soft(on/off) ramp time",
                              "mnuRampSofts=Ramping during Soft(on/off)", "mnuHelp=Help",
                              "mnuAbout=About z2o"}));
    }

    void rampPanelStoresOnOkOnlyAndTheMenuConvertsWithIt() {
        // The slider moved from 5 to 3 s, the panel closed by a click on a button (0 OK,
        // 1 Cancel), or a key on a button or the slider (-1), ramping maybe switched off; then a
        // session converted through the menu.
        const struct {
            int button;
            Qt::Key key;
            bool softRamping;
            std::int16_t rampTime;
        } rows[] = {{0, {}, false, 30},
                    {1, {}, true, 50},
                    {-1, Qt::Key_Return, true, 30},
                    {-1, Qt::Key_Escape, false, 50},
                    {1, Qt::Key_Return, true, 50}};
        const auto source = samples::buildSession(
            "step duration=1:00.0 channel=0x3C start=10,3,20,9,150 end=20,15,10,2,170\n"
            "step number=0\n");
        for (const auto& row : rows) {
            Fixture f;
            f.window.show();
            QVERIFY(QTest::qWaitForWindowActive(&f.window));
            auto* slider = f.child<QSlider>("sldrRampTime");
            f.action("mnuSetSoftTime")->trigger();
            QCOMPARE(QApplication::focusWidget(), slider);
            slider->setValue(3);
            QCOMPARE(f.text("lblRmpTim"), QStringLiteral("3"));
            if (row.key == Qt::Key{}) {
                QTest::mouseClick(f.button(row.button), Qt::LeftButton);
            } else {
                QTest::keyClick(
                    row.button < 0 ? static_cast<QWidget*>(slider) : f.button(row.button), row.key);
            }
            QVERIFY(!f.child<QGroupBox>("fraSetSoftRamp")->isVisible());
            if (!row.softRamping) f.action("mnuRampSofts")->trigger();
            QCOMPARE(f.text("rampStatus"), QStringLiteral("Ramp %1 s, soft ramping %2")
                                               .arg(row.rampTime / 10)
                                               .arg(row.softRamping ? "on" : "off"));
            // Reopened, the panel shows what is stored, not where the slider was left.
            slider->setValue(9);
            f.action("mnuSetSoftTime")->trigger();
            QCOMPARE(f.text("lblRmpTim"), QString::number(row.rampTime / 10));
            writeBytes(f.dir / "Alpha.ZS2", source);
            // The view of a source draws it converted with the settings as they are now.
            const ConversionResult converted =
                convertSession(source, {row.rampTime, row.softRamping}, [](int) {});
            f.window.showSession(f.path("Alpha.ZS2"));
            SessionView expected;
            expected.setRecords(decodeTargetSession(converted.target));
            const auto& drawn = f.window.findChild<SessionView*>()->segments();
            QCOMPARE(drawn.size(), expected.segments().size());
            for (std::size_t i = 0; i < drawn.size(); ++i)
                QVERIFY(drawn[i].end == expected.segments()[i].end);
            f.host.picks = {f.dir / "Alpha.ZS2"};
            f.action("mnuConProtSes")->trigger();
            QCOMPARE(readBytes(f.dir / "Alpha.OSw"), converted.target);
            QCOMPARE(f.text("statusText"),
                     QStringLiteral("Alpha.ZS2 converted to Alpha.OSw: 3 steps"));
            QCOMPARE(f.rows(), QStringList{"Alpha.ZS2|Alpha.OSw|3|1:00.0|converted"});
            QVERIFY(f.host.messages.empty());
            QCOMPARE(QString::fromStdString(f.host.dialogs.at(0).initDir), QDir::homePath());
        }
    }

    void rampPanelKeepsItsDrawnGeometry() {
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        QStringList seen;
        auto* panel = f.child<QGroupBox>("fraSetSoftRamp");
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            const QRect r = w->geometry();
            seen << QStringLiteral("%1 %2,%3 %4x%5")
                        .arg(w->objectName())
                        .arg(r.x())
                        .arg(r.y())
                        .arg(r.width())
                        .arg(r.height());
        }
        QCOMPARE(panel->geometry(), QRect(32, 8, 169, 161));
        QCOMPARE(seen, (QStringList{"lblRmpTim 64,24 33x17", "sldrRampTime 12,48 137x33",
                                    "Command1 24,88 49x25", "Command1 96,88 49x25",
                                    "Label1 24,128 113x25"}));
    }

    void closingDuringAnAlbumStopsItThenEnds() {
        Fixture f;
        f.window.show();
        f.session("A.ZS2");
        f.session("B.ZS2");
        f.file("Relax.ZA2", "A.ZS2\nB.ZS2\n");
        // Nothing else starts while a command runs; then the user closes the window.
        int calls = 0;
        f.host.onEvents = [&] {
            QVERIFY(!f.action("mnuConvrtAlbm")->isEnabled() && !f.drop({"A.ZS2"}) &&
                    !f.window.openFiles({f.path("A.ZS2")}));
            if (++calls == 2) f.action("mnuExit")->trigger();
        };
        f.host.picks = {f.dir / "Relax.ZA2"};
        f.action("mnuConvrtAlbm")->trigger();
        QVERIFY(!std::filesystem::exists(f.dir / "A.OSw"));
        QVERIFY(!std::filesystem::exists(f.dir / "B.OSw"));
        QVERIFY(!f.window.isVisible());
        QVERIFY(!f.window.state().albumMode);
    }

    void dropsConvertInOrderAndRowsOpenTheirTargets() {
        Fixture f;
        const char* const minute = "step duration=1:00.0\n";
        f.session("A.ZS2", minute);
        f.session("B.ZS2", "step duration=20:00.0 repeat=4\n");
        f.session("Odd.ZS2",
                  "step duration=___30.0\nstep start=10,16,20,0,150\n"
                  "step duration=1:00.0\n");
        f.file("Bad.ZS2", "abc");
        f.file("Relax.ZA2", "B.ZS2\r\nGone.ZS2\r\n");
        std::filesystem::create_directories(f.dir / "Lib/Deep");
        f.session("Lib/C.ZS2", minute);
        f.session("Lib/Deep/d.zs2", minute);
        f.session("notes.txt", minute);
        QVERIFY(!f.drop({"notes.txt"}));
        QStringList during;
        f.host.onEvents = [&] { during << f.text("statusText"); };
        QString atNotFound;  // the status line while the missing entry's question shows
        f.host.onMessage = [&](const Message& m) {
            if (m.kind == MessageKind::SessionNotFound) atNotFound = f.text("statusText");
        };
        QVERIFY(f.drop({"A.ZS2", "Lib", "notes.txt", "Odd.ZS2", "Bad.ZS2", "Relax.ZA2"}));
        QCOMPARE(f.rows(),
                 (QStringList{"A.ZS2|A.OSw|1|1:00.0|converted", "C.ZS2|C.OSw|1|1:00.0|converted",
                              "d.zs2|d.OSw|1|1:00.0|converted",
                              "notes.txt||||not converted: not a session, album or folder",
                              "Odd.ZS2|Odd.OSw|3|6:30.0|converted with 3 errors",
                              "Bad.ZS2||||not converted: its data is not compatible",
                              "B.ZS2|B.OSw|8|1:20:00.0|converted", "Gone.ZS2||||not found"}));
        QCOMPARE(f.text("statusText"), QStringLiteral("Album Relax.ZA2: 1 converted, 1 not found"));
        QCOMPARE(during.last(), QStringLiteral("Converting 1 of 2: B.ZS2"));
        QCOMPARE(atNotFound, QStringLiteral("Converting 2 of 2: Gone.ZS2"));
        QCOMPARE(readBytes(f.dir / "A.OSw"),
                 convertSession(samples::buildSession(minute), {}, [](int) {}).target);
        QVERIFY(!std::filesystem::exists(f.dir / "notes.OSw"));
        QVERIFY(f.host.dialogs.empty());
        // The album went the way of a picked one: the next dialog opens in its folder.
        QCOMPARE(f.window.state().lastFolder, f.dir.path().string());
        // A selected row shows its target; a double-click opens its folder, if it has one.
        f.list()->setCurrentItem(f.list()->topLevelItem(0));
        QCOMPARE(f.window.viewedSession(), f.path("A.OSw"));
        QCOMPARE(f.window.findChild<SessionView*>()->segments().size(), std::size_t{1});
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        emit f.list()->itemDoubleClicked(f.list()->topLevelItem(7), 0);
        emit f.list()->itemDoubleClicked(f.list()->topLevelItem(1), 0);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(f.path("Lib"))});

        // A damaged session shows each distinct error once and counts all of them in its row.
        std::mt19937 random(2024);
        std::vector<std::uint8_t> noise(2000 * kSourceRecordSize);
        std::generate(noise.begin(), noise.end(), std::ref(random));
        writeBytes(f.dir / "Noise.ZS2", noise);
        std::set<int> distinct;
        int total = 0;
        convertSession(noise, {}, [&](int number) { distinct.insert(number), ++total; });
        QVERIFY(total > int(distinct.size()));
        f.host.messages.clear();
        f.drop({"Noise.ZS2"});
        QCOMPARE(f.host.messages.size(), distinct.size());
        QVERIFY(f.rows().last().endsWith(QStringLiteral("|converted with %1 errors").arg(total)));
    }

    void realMessageBoxAndFileDialog() {
        QWidget parent;
        QtHost host(&parent);
        QString seen;
        onModal<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("z2o"));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            seen = box->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(host.showMessage(incompatibleMessage("x")), kAnswerCancel);
        QCOMPARE(seen,
                 QStringLiteral(
                     "Data in ...\nx\nisn't compatible with current spec.s.\n'Open File' aborted"));
        TempDir dir;
        writeBytes(dir / "a.zs2", {});
        onModal<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->nameFilters(),
                     QStringList{QStringLiteral("Zendrel Session (*.ZS2 *.zs2)")});
            QCOMPARE(dialog->directory().absolutePath(), QString::fromStdString(dir.path()));
            dialog->selectFile(QString::fromStdString(dir / "a.zs2"));
            static_cast<QDialog*>(dialog)->accept();
        });
        const auto picked = host.showOpen({"Zendrel Session (*.ZS2)|*.ZS2", "*.ZS2",
                                           "Select Zendrel session/s to convert",
                                           dir.path().string(), kOpenFlags, true});
        QVERIFY(picked);
        QCOMPARE(picked->fileTitle, std::string("a.zs2"));
    }

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
            const auto loaded = loadSessionFile(dir / row.name, row.ramp, problem);
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

    void labelsNeverOverlapAndThinOutWhenSpaceIsShort() {
        // Sessions of 42 minutes and of 1,000 hours, from a roomy view down to a tiny one.
        const QFontMetrics fm(QApplication::font());
        for (const char* session :
             {"step duration=7:00.0 repeat=6 start=1,2,3,4,80 end=9,8,7,6,90\n",
              "step duration=20:00.0 repeat=3000\n"}) {
            const auto records = decodeTargetSession(
                convertSession(samples::buildSession(session), {}, [](int) {}).target);
            const SessionPlot plot = plotSession(records, {});
            std::vector<std::size_t> ticks;
            for (const QSize size : {QSize(1400, 500), QSize(720, 320), QSize(459, 200),
                                     QSize(320, 200), QSize(200, 90), QSize(60, 40)}) {
                const PlotLayout layout = layoutPlot(plot, size, fm);
                const auto& labels = layout.labels;
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    QVERIFY(QRect(QPoint(), size).contains(labels[i].rect));
                    for (std::size_t j = i + 1; j < labels.size(); ++j)
                        QVERIFY2(!labels[i].rect.intersects(labels[j].rect),
                                 qPrintable(labels[i].text + " / " + labels[j].text));
                }
                ticks.push_back(layout.ticks.size());
                if (size != QSize(720, 320)) continue;
                // At the view's usual size everything fits.
                std::map<int, int> kinds;
                for (const PlotLabel& label : labels)
                    ++kinds[label.kind];
                QCOMPARE(kinds[PlotLabel::Legend], kLegendEntryCount);
                QCOMPARE(kinds[PlotLabel::BandName], kBandCount);
                QCOMPARE(kinds[PlotLabel::Value], 2 * kBandCount);
                QVERIFY(kinds[PlotLabel::Time] >= 4);
            }
            QVERIFY(std::is_sorted(ticks.rbegin(), ticks.rend()));
            QVERIFY(ticks.front() > ticks.back());
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
            QVERIFY(!loadSessionFile(dir / row.name, {}, problem));
            QCOMPARE(problem, std::string(row.problem));
        }
    }

    void terminationSignalClosesTheWindow() {
        Fixture f;
        f.window.show();
        closeOnTerminationSignal(f.window);
        std::raise(SIGTERM);
        QTRY_VERIFY(!f.window.isVisible());
    }

    // Last: it takes the display away from this process too.
    void versionNeedsNoDisplay() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        const auto run = testing::runProgram(Z2O_APP, {"--version"}, ".");
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, std::string("z2o " Z2O_VERSION "\n"));
    }
};

QTEST_MAIN(WindowTest)
#include "app_test.moc"
