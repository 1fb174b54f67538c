// The window driven through its real widgets and actions, and its session view; dialogs and
// messages come from a scripted host so nothing blocks.
#include <QtTest>
#include <QtWidgets>
#include <csignal>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/results_list.h"
#include "app/session_view.h"
#include "app/termination_signal.h"
#include "convert/messages.h"
#include "convert/session.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

using namespace z2o;

namespace {

#ifdef Q_OS_WIN
// Windows matches names in any letter case, and ends a program by closing its window.
constexpr bool kCaseSensitiveNames = false;
constexpr bool kEndsOnTerminationSignal = false;
#else
constexpr bool kCaseSensitiveNames = true;
constexpr bool kEndsOnTerminationSignal = true;
#endif

// The tooltip a widget shows when the mouse rests at `at`.
QString toolTipAt(QWidget* widget, QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &help);
    return QToolTip::text();
}

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

const char* const kMinute = "step duration=1:00.0\n";
const char* const kFive = "step\n";
// A ramped step split in two (its pairs on separate channels), then a short plain one.
const char* const kRide =
    "step duration=12:00.0 start=10,0,30,12,100 end=20,15,10,0,200 channel=0x3C mode=1\n"
    "step duration=0:03.0 start=5,5,5,5,150 end=5,5,5,5,150\n";
// The folder every window starts with: sessions of each outcome, albums, and a folder whose
// second session fails.
// B.ZS2 plays an hour exactly.
const std::pair<const char*, const char*> kSessions[] = {
    {"A.ZS2", kMinute},
    {"B.ZS2", "step duration=20:00.0 repeat=3\n"},
    {"Ride.ZS2", kRide},
    {"Odd.ZS2", "step duration=___30.0\nstep start=10,16,20,0,150\nstep duration=1:00.0\n"},
    {"notes.txt", kMinute},
    {"Lib/C.ZS2", kMinute},
    {"Lib/Deep/d.zs2", kMinute},
    {"Five/1.ZS2", kFive},
    {"Five/3.ZS2", kFive},
    {"Five/4.ZS2", kFive},
    {"Five/5.ZS2", kFive},
    {"After.ZS2", kFive}};
const std::pair<const char*, const char*> kTexts[] = {{"Bad.ZS2", "abc"},
                                                      {"Five/2.ZS2", "abc"},
                                                      {"Relax.ZA2", "Gone.ZS2\r\nB.ZS2\r\n"},
                                                      {"Lib/Mix.ZA2", "C.ZS2\r\nDeep/d.zs2\r\n"}};
// Dropped in one go: sessions, an album and a folder of every outcome.
const QString kLibrary = "A.ZS2,Lib,notes.txt,Odd.ZS2,Bad.ZS2,Ride.ZS2,Relax.ZA2";
const char* const kRoles[] = {"plain", "on", "main", "first", "second", "off"};

// What the scripts below meet more than once.
const QString kNotSession = "not converted: not a session, album or folder";
const QString kIncompatible = "not converted: its data is not compatible";
const QString kStopped = "||||not converted (stopped)\nrow ";  // a row not reached, then the next
const QString kRideSteps = "[on 50 first 3600 second 7150 off 7200] [main 7230]";
const QString kSessionDialog = "dialog Zendrel Session (*.ZS2)|*.ZS2 in ";
const QString kAlbumDialog = "dialog Zendrel Album (*.ZA2)|*.ZA2 in ";

struct Fixture {
    ScriptedHost host;
    MainWindow window{&host};
    TempDir dir;

    Fixture() {
        std::filesystem::create_directories(dir / "Lib/Deep");
        std::filesystem::create_directories(dir / "Five");
        for (const auto& [name, description] : kSessions)
            writeBytes(dir / name, samples::buildSession(description));
        for (const auto& [name, text] : kTexts)
            writeText(dir / name, text);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    template <typename Widget = QWidget>
    Widget* child(const char* name) {
        return window.findChild<Widget*>(QString::fromLatin1(name));
    }
    QAction* action(const QString& name) { return window.findChild<QAction*>(name); }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    QString path(const QString& name) { return QString::fromStdString(dir / name.toStdString()); }
    QString relative(const QString& path) { return QDir(dir.path()).relativeFilePath(path); }
    ResultsList* list() { return child<ResultsList>("lstResults"); }
    SessionView* view() { return window.findChild<SessionView*>(); }
    // Selects the row whose source is `name` and focuses the list, as a click would.
    void select(const QString& name) {
        list()->clearSelection();
        const auto found = list()->findItems(name, Qt::MatchExactly, ResultsList::kSource);
        if (!found.isEmpty()) list()->setCurrentItem(found.first());
        list()->setFocus();
    }
    // The view's file with its caption and each step's role and end in tenths, the source's
    // steps in brackets over what they became; or why it draws nothing.
    QString shown() {
        if (view()->segments().empty()) return "nothing: " + view()->placeholder();
        const auto& sources = view()->sourceSegments();
        QString steps = sources.empty() ? "" : "[";
        std::size_t source = 0;
        for (const Segment& s : view()->segments()) {
            const std::size_t last = source;
            while (source + 1 < sources.size() && s.startTenths >= sources[source].endTenths)
                ++source;
            steps += QString(steps.size() > 1 ? (source != last ? "] [" : " ") : "") +
                     kRoles[int(s.role)] + ' ' + QString::number(s.endTenths);
        }
        return relative(window.viewedSession()) + " (" + text("sessionName") + "): " + steps +
               (sources.empty() ? "" : "]");
    }
    QStringList files() {  // below the folder, sorted
        QStringList names;
        for (QDirIterator it(path(""), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            names << relative(it.next());
        names.sort();
        return names;
    }
    // False when the window refuses the drag of these names, apart by commas.
    bool drop(const QString& names, Qt::KeyboardModifiers keys = {}) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& name : names.split(','))
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

    // Plays what a user does, steps apart by "; ", and reports each change the user can see, a
    // line each ("@NAME" in `expected` is the path of NAME). The steps:
    //   pick NAME, cancel          the next dialog picks NAME; the next question gets Cancel
    //   stop@N, close@N            the Stop button or closing the window at the Nth point
    //                              from now where events run
    //   drop A,B  drop+ctrl A,B    a drop of these names, with Ctrl to view
    //   select NAME                a row selected by a click; none without a name
    //   slider N, click OK|Cancel  the ramp panel's slider and buttons
    //   an action's object name triggers it; anything else is keys to the focused widget.
    QString run(const QString& script) {
        QStringList report;
        const QStringList before = files();
        QString interrupt, progress;
        int interruptAt = -1;
        host.onEvents = [&] {
            QCoreApplication::processEvents();  // as the window's own host would
            auto* bar = child<QProgressBar>("batchProgressBar");
            if (bar->isVisible()) progress = text("statusText") + " [" + bar->text() + "]";
            QVERIFY(!bar->isVisible() ||
                    bar->width() >= bar->fontMetrics().horizontalAdvance(
                                        QStringLiteral("5 of 5, 59 min left")));
            // Nothing else starts while a command runs.
            QVERIFY(!action("mnuConvrtAlbm")->isEnabled() && !drop("A.ZS2") &&
                    !window.openFiles({path("A.ZS2")}));
            if (host.eventsCalls != interruptAt) return;
            if (interrupt == "stop") QTest::mouseClick(child<QWidget>("stopBatch"), Qt::LeftButton);
            if (interrupt == "close") action("mnuExit")->trigger();
        };
        const auto seen = [&] {
            const QTreeWidgetItem* current = list()->currentItem();
            const QWidget* focus = QApplication::focusWidget();
            auto* details = child<QPlainTextEdit>("rowDetails");
            const QString step = text("stepText"),
                          described = view()->accessibleDescription() == step
                                          ? ""
                                          : " (not its accessible description)";
            return QStringList{"status " + text("statusText"),
                               "ramp " + text("rampStatus"),
                               "selected " + (current ? current->text(ResultsList::kSource) : ""),
                               "details " + (details->isVisible() ? details->toPlainText() : ""),
                               "view " + shown(),
                               "step " + step + described,
                               "focus " + (focus ? focus->objectName() : "")};
        };
        for (const QString& step : script.split("; ")) {
            const QString word = step.section(' ', 0, 0), name = step.section(' ', 1);
            const std::size_t dialogs = host.dialogs.size(), messages = host.messages.size();
            const int rows = list()->topLevelItemCount();
            const QStringList earlier = seen();
            progress.clear();
            if (word == "pick") {
                host.picks.push_back(dir / name.toStdString());
            } else if (word == "cancel") {
                host.answers.push_back(kAnswerCancel);
            } else if (word.contains('@')) {
                interrupt = word.section('@', 0, 0);
                interruptAt = host.eventsCalls + word.section('@', 1).toInt();
            } else if (word.startsWith("drop")) {
                if (!drop(name, word.endsWith("ctrl") ? Qt::ControlModifier : Qt::NoModifier))
                    report << "refused";
            } else if (word == "select") {
                select(name);
            } else if (word == "slider") {
                child<QSlider>("sldrRampTime")->setValue(name.toInt());
            } else if (word == "click") {
                const auto buttons = window.findChildren<QPushButton*>("Command1");  // OK, Cancel
                QTest::mouseClick(buttons.at(name == "OK" ? 0 : 1), Qt::LeftButton);
            } else if (QAction* command = action(word)) {
                command->trigger();
            } else {
                QWidget* focus = QApplication::focusWidget();
                QTest::keySequence(focus ? focus : &window, QKeySequence(step));
            }
            for (auto i = dialogs; i < host.dialogs.size(); ++i) {
                const QString in = QString::fromStdString(host.dialogs[i].initDir);
                report << "dialog " + QString::fromStdString(host.dialogs[i].filter()) + " in " +
                              (in == QDir::toNativeSeparators(QDir::homePath()) ? "~"
                                                                                : relative(in));
            }
            for (auto i = messages; i < host.messages.size(); ++i) {
                const Message& m = host.messages[i];
                const QString stops = QString::fromStdString(m.cancelStops);
                report << QString(m.buttons == Buttons::OkCancel ? "message OK/Cancel: "
                                                                 : "message OK: ") +
                              QString::fromStdString(m.text()).replace("\r\n", " / ") +
                              (stops.isEmpty() ? "" : " (" + stops + ")");
            }
            if (!progress.isEmpty()) report << "progress " + progress;
            for (int i = rows; i < list()->topLevelItemCount(); ++i) {
                QStringList cells;  // source, target, steps, playing time, outcome
                for (int column : {ResultsList::kSource, ResultsList::kTarget, ResultsList::kSteps,
                                   ResultsList::kPlayingTime, ResultsList::kOutcome})
                    cells << list()->topLevelItem(i)->text(column);
                report << "row " + cells.join('|');
            }
            const QStringList now = seen();
            for (int i = 0; i < now.size(); ++i)
                if (now[i] != earlier[i] && !(word == "select" && i == 2)) report << now[i];
        }
        host.onEvents = nullptr;  // it holds this call's locals
        QStringList written = files();
        for (const QString& file : before)
            if (!written.removeOne(file)) report << "removed " + file;
        if (!written.isEmpty()) report << "wrote " + written.join(' ');
        if (!window.isVisible()) report << "closed";
        return report.join('\n');
    }
    // Runs each script in turn and compares its report.
    void play(std::initializer_list<std::pair<QString, QString>> scripts) {
        for (const auto& [script, expected] : scripts)
            QCOMPARE(run(script), QString::fromStdString(dir.expand(expected.toStdString())));
    }
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void menusInOrderWithAccessKeys() {
        Fixture f;
        QStringList seen;
        for (QAction* top : f.window.menuBar()->actions()) {
            QMenu* menu = top->menu();
            seen << menu->objectName() + '=' + top->text();
            for (QAction* item : menu->actions())
                seen << item->objectName() + '=' + (item->isSeparator() ? "-" : item->text()) +
                            ' ' + item->shortcut().toString();
        }
        QCOMPARE(seen.join(", "),
                 "mnuFiles=&Files, mnuConProtSes=Convert Zendrel &Session Ctrl+O, "
                 "mnuConvrtAlbm=Convert Zendrel &Album Ctrl+Shift+O, mnusep=- , mnuExit=E&xit "
                 "Ctrl+Q, mnuUtes=&Utilities, mnuSetSoftTime=Set Soft(on/off) ramp &time , "
                 "mnuRampSofts=&Ramping during Soft(on/off) , mnuHelp=&Help, mnuAbout=&About z2o ");
    }

    void rampPanelStoresOnOkOnlyAndTheMenuConvertsWithIt() {
        // The slider moved from 5 to 3 s; the panel closed by a click, a key on the slider or on
        // Cancel; ramping maybe switched off; then the panel reopened after the slider moved
        // again, and a session converted through the menu.
        const std::tuple<const char*, RampSettings, const char*> rows[] = {
            {"click OK; mnuRampSofts", {30, false}, "Ramp 3 s, soft ramping off"},
            {"click Cancel", {50, true}, "Ramp 5 s, soft ramping on"},
            {"Return", {30, true}, "Ramp 3 s, soft ramping on"},
            {"Escape; mnuRampSofts", {50, false}, "Ramp 5 s, soft ramping off"},
            {"Tab; Tab; Return", {50, true}, "Ramp 5 s, soft ramping on"},
            {"slider 0; click OK", {0, true}, "Ramps off"}};
        for (const auto& [script, stored, status] : rows) {
            Fixture f;
            f.run(QStringLiteral("mnuSetSoftTime; slider 3; ") + script +
                  "; slider 9; mnuSetSoftTime; pick Ride.ZS2; mnuConProtSes");
            QCOMPARE(f.text("rampStatus"), status);
            // Reopened, the panel shows what is stored, not where the slider was left.
            QCOMPARE(f.text("lblRmpTim"), QString::number(stored.rampTime / 10));
            QCOMPARE(readBytes(f.dir / "Ride.OSw"),
                     convertSession(samples::buildSession(kRide), stored, [](int) {}).target);
        }
    }

    void rampPanelFitsItsTextsAtAnyFontAndEveryWidgetIsNamed() {
        Fixture f;
        f.run("mnuSetSoftTime; slider 10");  // the longest time
        auto* panel = f.child<QGroupBox>("fraSetSoftRamp");
        // The panel's own font, a large one and one as a scale of 2 makes it: the panel inside
        // the window and wide enough for its title, each control inside it, clear of the others
        // and as large as its text asks for (wrapped at its width where it wraps).
        for (const int pixels : {0, 16, 22}) {
            QFont font = panel->font();
            if (pixels > 0) font.setPixelSize(pixels);
            panel->setFont(font);
            QVERIFY(f.window.centralWidget()->rect().contains(panel->geometry()));
            QVERIFY(panel->width() >= panel->minimumSizeHint().width());
            const QList<QWidget*> controls = panel->findChildren<QWidget*>();
            for (QWidget* control : controls) {
                const QRect r = control->geometry();
                const QByteArray name =
                    control->objectName().toLatin1() + ' ' + QByteArray::number(pixels);
                QVERIFY2(panel->contentsRect().contains(r), name);
                for (QWidget* other : controls)
                    QVERIFY2(other == control || !r.intersects(other->geometry()), name);
                QSize need = control->minimumSizeHint(), room = r.size();
                if (auto* button = qobject_cast<QPushButton*>(control)) {
                    // The caption inside the margins the style draws it in, whatever width
                    // the style would rather give a button.
                    QStyleOptionButton option;
                    option.initFrom(button);
                    option.features = QStyleOptionButton::AutoDefaultButton;
                    room = button->style()
                               ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                               .size();
                    need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
                }
                QVERIFY2(room.width() >= need.width() &&
                             room.height() >= (control->hasHeightForWidth()
                                                   ? control->heightForWidth(r.width())
                                                   : need.height()),
                         name);
            }
        }
        // Every widget of the window, the panel's too, has a name and a description.
        QStringList missing;
        for (QWidget* widget : f.window.findChildren<QWidget*>()) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_") &&
                (accessible->text(QAccessible::Name).isEmpty() ||
                 accessible->text(QAccessible::Description).isEmpty()))
                missing << widget->objectName();
        }
        QCOMPARE(missing, QStringList());
    }

    // What each way of starting work leaves in the list, the status line and the folder, each
    // in a window of its own.
    void commandsLeaveTheirRowsStatusAndFiles() {
        const QString stopped =
            "progress Converting 2 of 5: 2.ZS2 [1 of 5]\nrow 1.ZS2|1.OSw|1|5:00.0|converted\n"
            "row 2.ZS2||||" +
            kIncompatible + "\nrow 3.ZS2" + kStopped + "4.ZS2" + kStopped + "5.ZS2" + kStopped +
            "After.ZS2||||not converted (stopped)\nstatus 2 items: 1 " +
            "converted, 0 up to date, 1 failed, 0 not found, 4 not reached (stopped)\nselected " +
            "2.ZS2\ndetails 2.ZS2: " + kIncompatible + "\nData in ... @Five/2.ZS2 isn't " +
            "compatible with current spec.s. 'Open File' aborted. The file is damaged or is no " +
            "Zendrel session: save it again in the program that made it.\nview nothing: 2.ZS2 — " +
            kIncompatible + "\n";
        const std::pair<QString, QString> rows[] = {
            {"pick A.ZS2; Ctrl+O", kSessionDialog + "~\nrow A.ZS2|A.OSw|1|1:00.0|converted\n" +
                                       "status A.ZS2 converted to A.OSw: 1 step\nwrote A.OSw"},
            // Closed while an album runs: it ends before its next session, then the window.
            {"pick Relax.ZA2; close@2; Ctrl+Shift+O",
             kAlbumDialog + "~\nrow Gone.ZS2" + kStopped + "B.ZS2||||not converted (stopped)\n" +
                 "status Album Relax.ZA2: 0 converted, 0 up to date, 0 failed, 0 not found, 2 " +
                 "not reached (stopped)\nfocus \nclosed"},
            {"Ctrl+Q", "focus \nclosed"},
            {"drop notes.txt", "refused"},
            // Stopped while the third of five is taken up; the session after the folder is not
            // reached either, and one not reached shows its steps as they would convert.
            {"stop@3; drop Five,After.ZS2; select 3.ZS2; actViewSessionFile",
             stopped + "details 3.ZS2: not converted (stopped)\nThe batch was stopped before " +
                 "this session was converted.\nview nothing: 3.ZS2 — not converted (stopped)\n" +
                 "view Five/3.ZS2 (3.ZS2): [main 3000]\nwrote Five/1.OSw"},
            // With Ctrl a drop shows the first session and converts nothing.
            {"drop+ctrl Relax.ZA2; drop+ctrl Relax.ZA2,Ride.ZS2,A.ZS2",
             "refused\nview Ride.ZS2 (Ride.ZS2): " + kRideSteps},
        };
        for (const auto& row : rows)
            Fixture().play({row});
    }

    // The dialogs and messages of one window's commands, one after another, with their answers:
    // where each dialog opens, what each message says and what Cancel stops.
    void dialogsAndAnswers() {
        const QString gone =
            "message OK/Cancel: The session @Gone.ZS2 / could not be found. / No Orvanel session "
            "was created. (Cancel stops the album: the sessions after this one are not "
            "converted.)\n";
        Fixture f;
        // Files the view cannot show: not whole records, or more than a session holds.
        writeBytes(f.dir / "short.OSw", std::vector<std::uint8_t>(2 * kTargetRecordSize - 1));
        writeBytes(f.dir / "short.zs2", std::vector<std::uint8_t>(kSourceRecordSize + 1));
        writeBytes(f.dir / "long.osw",
                   std::vector<std::uint8_t>((kMaxRecordCount + 1) * kTargetRecordSize));
        f.play({
            {"Ctrl+O", kSessionDialog + "~"},
            {"drop+ctrl short.OSw; drop+ctrl short.zs2; drop+ctrl long.osw",
             "view nothing: short.OSw cannot be shown: It is not a whole number of 109-byte "
             "records.\nview nothing: short.zs2 cannot be shown: It is not a whole number of "
             "45-byte records.\nview nothing: long.osw cannot be shown: It has more than 32767 "
             "records."},
            {"pick Ride.ZS2; actViewSessionFile",
             "dialog Orvanel or Zendrel Session (*.OSw *.ZS2)|*.OSw *.ZS2 in ~\nview Ride.ZS2 "
             "(Ride.ZS2): " +
                 kRideSteps},
            // Cancel stops the album; a row not found has nothing to view.
            {"pick Relax.ZA2; cancel; Ctrl+Shift+O; actViewSessionFile",
             kAlbumDialog + "~\n" + gone + "row Gone.ZS2||||not found\nrow B.ZS2||||not " +
                 "converted (stopped)\nstatus Album Relax.ZA2: 0 converted, 0 up to date, 0 " +
                 "failed, 1 not found, 1 not reached (stopped)\nselected Gone.ZS2\ndetails " +
                 "Gone.ZS2: not found\nError 53: The session @Gone.ZS2 could not be found. No " +
                 "Orvanel session was created. Check that the session is still there, or correct " +
                 "the line that names it.\nview nothing: Gone.ZS2 — not found\nstatus Gone.ZS2 " +
                 "was not found: there is no session to view"},
            {"pick Relax.ZA2; Ctrl+Shift+O",
             kAlbumDialog + ".\n" + gone + "progress Converting 1 of 2: Gone.ZS2 [1 of 2]\n" +
                 "row Gone.ZS2||||not found\nrow B.ZS2|B.OSw|6|1:00:00.0|converted\n" +
                 "status Album Relax.ZA2: 1 converted, 0 up to date, 0 failed, 1 not found\n" +
                 "wrote B.OSw"},
            {"pick Bad.ZS2; cancel; Ctrl+O",
             kSessionDialog + ".\nmessage OK/Cancel: Data in ... / @Bad.ZS2 / isn't compatible " +
                 "with current spec.s. / 'Open File' aborted\nrow Bad.ZS2||||" + kIncompatible +
                 "\nstatus Bad.ZS2 was not converted"},
            // A drop asks nothing, whatever the album before was answered, and leaves the first
            // problem selected when it brings none of its own; the next dialog opens in its
            // folder.
            {"drop Lib/Mix.ZA2; Ctrl+O",
             "progress Converting 1 of 2: C.ZS2 [0 of 2]\nrow C.ZS2|C.OSw|1|1:00.0|converted\n"
             "row d.zs2|d.OSw|1|1:00.0|converted\nstatus Mix.ZA2: 2 converted, 0 up to date, 0 "
             "failed, 0 not found\n" +
                 kSessionDialog + "Lib\nwrote Lib/C.OSw Lib/Deep/d.OSw"},
        });
    }

    // A library dropped in one go: what it leaves in the list and the folder, what its rows
    // show, and how the list reads and sorts.
    void libraryRowsShowTheirSessionsAndSort() {
        const QString ride = "view Ride.OSw (Ride.OSw, converted from Ride.ZS2): " + kRideSteps;
        const QString outOfRange =
            "A value of this step is out of range: check the step in the "
            "program that made the session.\n";
        Fixture f;
        f.play({
            // Asks nothing, whatever the outcome; each message in its row's details; the first
            // problem selected, F8 to the next.
            {"drop " + kLibrary + "; F8",
             "progress Converting 1 of 2: Gone.ZS2 [0 of 2]\n"
             "row A.ZS2|A.OSw|1|1:00.0|converted\nrow C.ZS2|C.OSw|1|1:00.0|converted\n"
             "row d.zs2|d.OSw|1|1:00.0|converted\nrow notes.txt||||" +
                 kNotSession +
                 "\nrow Odd.ZS2|Odd.OSw|3|6:30.0|converted with 3 errors\nrow Bad.ZS2||||" +
                 kIncompatible + "\nrow Ride.ZS2|Ride.OSw|5|12:03.0|converted\nrow Gone.ZS2||||" +
                 "not found\nrow B.ZS2|B.OSw|6|1:00:00.0|converted\nstatus 7 items: 6 converted, " +
                 "0 up to date, 1 failed, 1 not found\nselected notes.txt\ndetails notes.txt: " +
                 kNotSession + "\nview nothing: notes.txt — " + kNotSession + "\nselected " +
                 "Odd.ZS2\ndetails Odd.ZS2: converted with 3 errors\nError 5, Invalid procedure " +
                 "call or argument: once at source record 1. " + outOfRange + "Error 6, " +
                 "Overflow: 2 times, the first at source record 2. " + outOfRange + "Warning: " +
                 "Odd.OSw was written, but its conversion raised 3 errors. A value that could "
                 "not " +
                 "be computed keeps what an earlier step left in it: check the values of this " +
                 "session before use.\nview Odd.OSw (Odd.OSw, converted from Odd.ZS2): [main " +
                 "300] [main 3300] [main 3900]\nwrote A.OSw B.OSw Lib/C.OSw Lib/Deep/d.OSw " +
                 "Odd.OSw Ride.OSw"},
            // Of an OSw file only tone-level ramps show; a ZS2 file shows as its conversion
            // plans it, with the settings as they are now.
            {"drop+ctrl Ride.OSw",
             "view Ride.OSw (Ride.OSw): on 50 plain 3600 plain 7150 off 7200 plain 7230"},
            {"mnuSetSoftTime; slider 0; click OK; drop+ctrl Ride.ZS2",
             "focus sldrRampTime\nramp Ramps off\nfocus lstResults\nview Ride.ZS2 (Ride.ZS2): "
             "[first 3600 second 7200] [main 7230]"},
        });
        // Sweeping the mouse across meets each step once, in order, and nothing beside; a step's
        // tooltip is the text the arrow keys read (below), a line a value.
        SessionView* view = f.view();
        std::vector<int> met;
        for (int x = 0; x < view->width(); ++x)
            if (met.empty() || met.back() != view->hitTest(x)) met.push_back(view->hitTest(x));
        QCOMPARE(met, (std::vector<int>{-1, 0, 1, 2, -1}));
        QVERIFY(toolTipAt(view, QPoint(view->width() * 3 / 4, view->height() / 2))
                    .startsWith("Step 2 (second half of a split step)\nDuration 6:00.0, from"));
        f.play({
            // A conversion shows with the settings it was made with; View Session File shows
            // the selected row without asking; the arrow keys read it step by step.
            {"select Ride.ZS2; drop+ctrl A.ZS2; actViewSessionFile; Tab; Right",
             "details \n" + ride + "\nview A.ZS2 (A.ZS2): [main 600]\n" + ride +
                 "\nstep Step 1 (soft-on ramp); Duration 0:05.0, from 0:00.0; Frequency: 10 → " +
                 "10.07, 30 → 29.86; Level: 0 → 2, 0 → 203; Pitch: 100 → 100.7, 100 → 100.7\n" +
                 "focus sessionView\nstep Step 2 (first half of a split step); Duration 5:55.0, " +
                 "from 0:05.0; Frequency: 10.07 → 15, 29.86 → 20; Level: 2 → 128, 203 → 102; " +
                 "Pitch: 100.7 → 150, 100.7 → 150"},
            // Tab goes from the list to the details to the view.
            {"select notes.txt; Tab; Tab; actViewSessionFile",
             "details notes.txt: " + kNotSession + "\nview nothing: notes.txt — " + kNotSession +
                 "\nfocus lstResults\nfocus rowDetails\nfocus sessionView\nstatus notes.txt " +
                 "was not converted: there is no Orvanel session to view"},
        });
        ResultsList* list = f.list();
        QHeaderView* header = list->header();
        // Whole paths in the tooltips, of the status line the whole line; a row with problems
        // has an icon and a colour that reads on a dark palette too, one without neither.
        const auto item = [&](const char* name) {
            return list->findItems(name, Qt::MatchExactly).first();
        };
        QCOMPARE(item("C.ZS2")->toolTip(ResultsList::kTarget),
                 QDir::toNativeSeparators(f.path("Lib/C.OSw")));
        QCOMPARE(toolTipAt(f.child<QLabel>("statusText"), QPoint(2, 2)), f.text("statusText"));
        const QPalette dark(QColor(40, 40, 40));
        QVERIFY(std::abs(problemTextColor(*list->row(item("Bad.ZS2")), dark).lightness() -
                         dark.color(QPalette::Base).lightness()) >= 100);
        QVERIFY(!item("Bad.ZS2")->icon(ResultsList::kOutcome).isNull() &&
                item("C.ZS2")->icon(ResultsList::kOutcome).isNull() &&
                !problemTextColor(*list->row(item("C.ZS2")), dark).isValid());
        // A click on a column's header sorts by it as its values compare: times as times.
        const int time = ResultsList::kPlayingTime;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(time) + 4, 4));
        QStringList times;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (!list->topLevelItem(i)->text(time).isEmpty())
                times << list->topLevelItem(i)->text(time);
        QCOMPARE(times.join(','), "1:00.0,1:00.0,1:00.0,6:30.0,12:03.0,1:00:00.0");
    }

    void windowGrowsOnceForItsRowsWithinItsScreen() {
        // Whether a column of the list shows less than its widest cell.
        const auto cut = [](const ResultsList* list) {
            const QAbstractItemView* cells = list;  // where the widest cell is public
            for (int column = 0; column < ResultsList::kColumnCount; ++column)
                if (cells->sizeHintForColumn(column) > list->header()->sectionSize(column))
                    return true;
            return false;
        };
        // A session converted, by a window the user may have sized; then a library, and the
        // user asks for the columns to fit.
        for (const bool userSized : {false, true}) {
            Fixture f;
            if (userSized) f.window.resize(f.window.width() - 20, f.window.height());
            const int before = f.window.width();
            QVERIFY(f.drop("A.ZS2"));
            QCOMPARE(cut(f.list()), userSized);
            QCOMPARE(f.window.width() > before, !userSized);
            const int after = f.window.width();
            QCoreApplication::processEvents();  // the first command has ended
            QVERIFY(f.drop(kLibrary));
            QCOMPARE(f.window.width(), after);
            f.action("actFitColumns")->trigger();
            const QRect screen = f.window.screen()->availableGeometry();
            QVERIFY(screen.contains(f.window.frameGeometry()));
            QVERIFY(f.window.frameGeometry().width() == screen.width() || !cut(f.list()));
        }
    }

    void realMessageBoxAndFileDialog() {
        QWidget parent;
        QtHost host(&parent);
        Message question = incompatibleMessage("x");
        question.cancelStops = "Cancel stops the album.";
        // Escape is its Cancel; what Cancel stops is said under the question.
        QString seen;
        onModal<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            seen = box->windowTitle() + "|" + box->text() + "|" + box->informativeText();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(host.showMessage(question), kAnswerCancel);
        QCOMPARE(seen,
                 "z2o|Data in ...\nx\nisn't compatible with current spec.s.\n'Open File' "
                 "aborted|Cancel stops the album.");
        TempDir dir;
        writeBytes(dir / "a.zs2", {});
        // The patterns as they are, and in lower case too where names have a letter case.
        const QString patterns = "*.OSw *.ZS2";
        onModal<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->nameFilters(),
                     QStringList{"Any (" + patterns +
                                 (kCaseSensitiveNames ? " " + patterns.toLower() : "") + ")"});
            QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
            dialog->selectFile(QString::fromStdString(dir / "a.zs2"));
            static_cast<QDialog*>(dialog)->accept();
        });
        const auto picked = host.showOpen({"Any", patterns.toStdString(), "*.ZS2", "Select",
                                           dir.path().string(), kOpenFlags, true});
        QCOMPARE(picked ? picked->fileTitle : "", std::string("a.zs2"));
    }

    void anySessionIsDrawnAtAnySizeWithLabelsClearOfEachOther() {
        // Sessions of 42 minutes and of 1,000 hours, and one of values a hand-made file may hold
        // (NaN, infinite, huge, a duration that reads as negative: it plays no time), from a roomy
        // view down to a tiny one: drawn without fault, every label inside the view and clear of
        // the others, fewer ticks as room runs short.
        const auto converted = [](const char* session) {
            return decodeTargetSession(
                convertSession(samples::buildSession(session), {}, [](int) {}).target);
        };
        std::vector<TargetStepRecord> odd(1000);
        odd[10].freq = {NAN, 5, 5, 5, INFINITY, 5, 5, 5};
        odd[10].pitch = {150, -3e38F, 150, 3e38F};
        odd[10].duration = {'-', '1', ':', '0', '0', '.', '0'};
        for (const auto& records :
             {converted("step duration=7:00.0 repeat=6 start=1,2,3,4,80 end=9,8,7,6,90\n"),
              converted("step duration=20:00.0 repeat=3000\n"), odd}) {
            SessionView view;
            view.setRecords(records);
            std::vector<std::size_t> ticks;
            for (const QSize size : {QSize(1400, 500), QSize(720, 320), QSize(459, 200),
                                     QSize(320, 200), QSize(200, 90), QSize(60, 40)}) {
                view.resize(size);
                QImage image(size, QImage::Format_ARGB32_Premultiplied);
                view.render(&image);
                const PlotLayout layout =
                    layoutPlot(plotSession(records, {}), size, view.fontMetrics());
                const auto& labels = layout.labels;
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    QVERIFY(QRect(QPoint(), size).contains(labels[i].rect));
                    for (std::size_t j = i + 1; j < labels.size(); ++j)
                        QVERIFY2(!labels[i].rect.intersects(labels[j].rect),
                                 qPrintable(labels[i].text + " / " + labels[j].text));
                }
                ticks.push_back(layout.ticks.size());
            }
            QVERIFY(std::is_sorted(ticks.rbegin(), ticks.rend()));
            const bool hand = records.size() == odd.size();
            QCOMPARE(view.totalTenths() == 0, hand);
            QVERIFY(hand || ticks.front() > ticks.back());
        }
    }

    void terminationSignalClosesTheWindow() {
        if (!kEndsOnTerminationSignal) QSKIP("This system ends a program by closing its window");
        Fixture f;
        closeOnTerminationSignal(f.window);
        std::raise(SIGTERM);
        QTRY_VERIFY(!f.window.isVisible());
    }

    // Last: it takes the display away from this process too. Qt's own options pass, in each
    // spelling, and the answers need no display; Qt's options are in the long help only.
    void optionsNeedNoDisplay() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        const std::string version = "z2o " Z2O_VERSION "\n";
        const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
            {{"-style", "Fusion", "-V"}, 0, version},
            {{"--style=Fusion", "-platform", "offscreen", "--qwindowgeometry=800x600+0+0",
              "-reverse", "-nograb", "-plugin", "a", "-plugin", "b", "--version"},
             0,
             version},
            {{"--help"}, 0, "  --help-all "},
            {{"--help-all"}, 0, "  --platform <name[:options]> "},
            {{"-v"}, 2, ""},
            {{"-style"}, 2, ""}};
        for (const auto& [arguments, status, out] : rows) {
            const auto run = testing::runProgram(Z2O_APP, arguments, ".");
            QCOMPARE(run.status, status);
            QVERIFY2(out == version ? run.out == version : run.out.find(out) != std::string::npos,
                     run.out.c_str());
            QCOMPARE(run.out.find("--style <style>") != std::string::npos,
                     arguments[0] == "--help-all");
            if (status != 0)
                QVERIFY(run.out.empty() && run.err.find("z2o --help") != std::string::npos);
        }
    }
};

QTEST_MAIN(WindowTest)
#include "app_test.moc"
