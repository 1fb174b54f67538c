// The window driven through its real widgets and actions, and its session view; dialogs and
// messages come from a scripted host so nothing blocks.
#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <map>

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
    void showActive() {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    QString path(const char* name) { return QString::fromStdString(dir / name); }
    void session(const char* name, const char* description = "step\n") {
        writeBytes(dir / name, samples::buildSession(description));
    }
    // The panel's buttons, made in this order: 0 OK, 1 Cancel.
    QPushButton* button(int index) {
        return window.findChildren<QPushButton*>(QStringLiteral("Command1")).at(index);
    }
    ResultsList* list() { return child<ResultsList>("lstResults"); }
    QStringList rows() {  // source, target, steps, playing time, outcome
        QStringList seen;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int column : {ResultsList::kSource, ResultsList::kTarget, ResultsList::kSteps,
                               ResultsList::kPlayingTime, ResultsList::kOutcome})
                cells << list()->topLevelItem(i)->text(column);
            seen << cells.join(QLatin1Char('|'));
        }
        return seen;
    }
    // Selects the row whose source is `name`, as a click would; none for an empty name.
    void select(const QString& name) {
        list()->clearSelection();
        const auto found = list()->findItems(name, Qt::MatchExactly, ResultsList::kSource);
        if (!found.isEmpty()) list()->setCurrentItem(found.first());
    }
    SessionView* view() { return window.findChild<SessionView*>(); }
    // A ramped step split in two (its pairs on separate channels), then a short plain one.
    static constexpr const char* kRide =
        "step duration=12:00.0 start=10,0,30,12,100 end=20,15,10,0,200 channel=0x3C mode=1\n"
        "step duration=0:03.0 start=5,5,5,5,150 end=5,5,5,5,150\n";
    // Sessions, an album and a folder of every outcome, dropped in one go.
    void convertLibrary() {
        const char* const minute = "step duration=1:00.0\n";
        session("A.ZS2", minute);
        session("B.ZS2", "step duration=20:00.0 repeat=3\n");  // an hour exactly
        session("Odd.ZS2",
                "step duration=___30.0\nstep start=10,16,20,0,150\nstep duration=1:00.0\n");
        session("Ride.ZS2", kRide);
        writeText(dir / "Bad.ZS2", "abc");
        writeText(dir / "Relax.ZA2", "B.ZS2\r\nGone.ZS2\r\n");
        std::filesystem::create_directories(dir / "Lib/Deep");
        for (const char* name : {"Lib/C.ZS2", "Lib/Deep/d.zs2", "notes.txt"})
            session(name, minute);
        QVERIFY(drop({"A.ZS2", "Lib", "notes.txt", "Odd.ZS2", "Bad.ZS2", "Ride.ZS2", "Relax.ZA2"}));
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
    void menusInOrderWithAccessKeysAndShortcuts() {
        Fixture f;
        f.showActive();
        // The captions as they were, with an access key each, and the shortcuts of the
        // commands that start work.
        QStringList seen;
        for (QAction* top : f.window.menuBar()->actions()) {
            seen << top->menu()->objectName() + QLatin1Char('=') + top->text();
            for (QAction* item : top->menu()->actions())
                seen << item->objectName() + QLatin1Char('=') +
                            (item->isSeparator() ? QStringLiteral("-") : item->text()) +
                            QLatin1Char(' ') + item->shortcut().toString();
        }
        QCOMPARE(seen,
                 (QStringList{"mnuFiles=&Files", "mnuConProtSes=Convert Zendrel &Session Ctrl+O",
                              "mnuConvrtAlbm=Convert Zendrel &Album Ctrl+Shift+O", "mnusep=- ",
                              "mnuExit=E&xit Ctrl+Q", "mnuUtes=&Utilities",
                              "mnuSetSoftTime=Set Soft(on/off) ramp &time ",
                              "mnuRampSofts=&Ramping during Soft(on/off) ", "mnuHelp=&Help",
                              "mnuAbout=&About z2o "}));
        // The keys reach the menus and the commands.
        for (const char* menu : {"mnuFiles", "mnuUtes", "mnuHelp"}) {
            QTest::keyClick(&f.window, QChar(menu[3]).toLatin1(), Qt::AltModifier);
            QTRY_COMPARE(QApplication::activePopupWidget(), f.child<QMenu>(menu));
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
        QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.host.dialogs.size(), std::size_t{2});
        QCOMPARE(f.host.dialogs[0].filter(), std::string("Zendrel Session (*.ZS2)|*.ZS2"));
        QCOMPARE(f.host.dialogs[1].filter(), std::string("Zendrel Album (*.ZA2)|*.ZA2"));
        QTest::keyClick(&f.window, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.window.isVisible());
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
                    {1, Qt::Key_Return, true, 50},
                    {0, {}, true, 0}};
        const auto source = samples::buildSession(
            "step duration=1:00.0 channel=0x3C start=10,3,20,9,150 end=20,15,10,2,170\n"
            "step number=0\n");
        for (const auto& row : rows) {
            Fixture f;
            f.showActive();
            auto* slider = f.child<QSlider>("sldrRampTime");
            f.action("mnuSetSoftTime")->trigger();
            QCOMPARE(QApplication::focusWidget(), slider);
            slider->setValue(row.rampTime == 0 ? 0 : 3);
            QCOMPARE(f.text("lblRmpTim"), QString::number(slider->value()));
            if (row.key == Qt::Key{}) {
                QTest::mouseClick(f.button(row.button), Qt::LeftButton);
            } else {
                QTest::keyClick(
                    row.button < 0 ? static_cast<QWidget*>(slider) : f.button(row.button), row.key);
            }
            QVERIFY(!f.child<QGroupBox>("fraSetSoftRamp")->isVisible());
            if (!row.softRamping) f.action("mnuRampSofts")->trigger();
            QCOMPARE(f.text("rampStatus"), row.rampTime == 0
                                               ? QStringLiteral("Ramps off")
                                               : QStringLiteral("Ramp %1 s, soft ramping %2")
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
            const int steps = row.rampTime == 0 ? 1 : 3;
            QCOMPARE(f.text("statusText"), QStringLiteral("Alpha.ZS2 converted to Alpha.OSw: %1")
                                               .arg(steps == 1 ? "1 step" : "3 steps"));
            QCOMPARE(
                f.rows(),
                QStringList{QStringLiteral("Alpha.ZS2|Alpha.OSw|%1|1:00.0|converted").arg(steps)});
            QVERIFY(f.host.messages.empty());
            QCOMPARE(QString::fromStdString(f.host.dialogs.at(0).initDir),
                     QDir::toNativeSeparators(QDir::homePath()));
        }
    }

    void rampPanelFitsItsTextsFromItsDrawnGeometryUp() {
        // Where each control was drawn: none starts before or is smaller than that.
        const std::map<QString, QRect> drawn{{"lblRmpTim", {64, 24, 33, 17}},
                                             {"sldrRampTime", {12, 48, 137, 33}},
                                             {"OK", {24, 88, 49, 25}},
                                             {"Cancel", {96, 88, 49, 25}},
                                             {"Label1", {24, 128, 113, 25}}};
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        auto* panel = f.child<QGroupBox>("fraSetSoftRamp");
        // The panel's own font, a large one and one as a scale of 2 makes it.
        for (const int pixels : {0, 16, 22}) {
            if (pixels > 0) {
                QFont font = panel->font();
                font.setPixelSize(pixels);
                panel->setFont(font);
            }
            QCOMPARE(panel->pos(), QPoint(32, 8));
            QVERIFY(panel->width() >= 169 && panel->height() >= 161);
            QVERIFY(f.window.centralWidget()->rect().contains(panel->geometry()));
            // The title where the style draws it, inside the frame, which is as wide as the
            // style asks for the title.
            QStyleOptionGroupBox box;
            box.initFrom(panel);
            box.text = panel->title();
            box.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const auto part = [&](QStyle::SubControl control) {
                return panel->style()->subControlRect(QStyle::CC_GroupBox, &box, control, panel);
            };
            QVERIFY(part(QStyle::SC_GroupBoxFrame).contains(part(QStyle::SC_GroupBoxLabel)));
            QVERIFY(panel->width() >= panel->minimumSizeHint().width());
            const QList<QWidget*> controls = panel->findChildren<QWidget*>();
            QCOMPARE(controls.size(), 5);
            for (QWidget* control : controls) {
                const QRect r = control->geometry();
                const auto* button = qobject_cast<QPushButton*>(control);
                const QRect at = drawn.at(button ? button->text() : control->objectName());
                const QString name = control->objectName() + QString::number(pixels);
                QVERIFY2(r.x() >= at.x() && r.y() >= at.y() && r.width() >= at.width() &&
                             r.height() >= at.height(),
                         qPrintable(name));
                QVERIFY2(panel->contentsRect().contains(r), qPrintable(name));
                for (QWidget* other : controls)
                    QVERIFY2(other == control || !r.intersects(other->geometry()),
                             qPrintable(name));
                if (auto* label = qobject_cast<QLabel*>(control)) {
                    // The longest time fits, and the hint wrapped at its width.
                    const QFontMetrics fm = label->fontMetrics();
                    const QRect text = fm.boundingRect(QRect(0, 0, r.width(), 1 << 20),
                                                       Qt::TextWordWrap, label->text());
                    QVERIFY2(text.width() <= r.width() && text.height() <= r.height(),
                             qPrintable(name));
                    QVERIFY(fm.size(0, QStringLiteral("10")).width() <= r.width());
                } else if (button) {
                    // The caption inside the margins the style draws it in.
                    QStyleOptionButton option;
                    option.initFrom(button);
                    option.features = QStyleOptionButton::AutoDefaultButton;
                    const QRect inside = button->style()->subElementRect(
                        QStyle::SE_PushButtonContents, &option, button);
                    const QSize text =
                        button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
                    QVERIFY2(text.width() <= inside.width() && text.height() <= inside.height(),
                             qPrintable(name));
                }
            }
        }
    }

    void closingDuringAnAlbumStopsItThenEnds() {
        Fixture f;
        f.window.show();
        f.session("A.ZS2");
        f.session("B.ZS2");
        writeText(f.dir / "Relax.ZA2", "A.ZS2\nB.ZS2\n");
        // Nothing else starts while a command runs; then the user closes the window.
        int calls = 0;
        f.host.onEvents = [&] {
            QVERIFY(!f.action("mnuConvrtAlbm")->isEnabled() && !f.drop({"A.ZS2"}) &&
                    !f.window.openFiles({f.path("A.ZS2")}));
            if (++calls == 2) f.action("mnuExit")->trigger();
        };
        f.host.picks = {f.dir / "Relax.ZA2"};
        f.action("mnuConvrtAlbm")->trigger();
        QCOMPARE(f.dir.names(), (std::vector<std::string>{"A.ZS2", "B.ZS2", "Relax.ZA2"}));
        QVERIFY(!f.window.isVisible());
    }

    // A drop is a queue that never stops to ask, whatever an earlier command was answered.
    void dropsConvertInOrderWithoutAsking() {
        Fixture f;
        f.session("notes.txt");
        QVERIFY(!f.drop({"notes.txt"}));
        writeText(f.dir / "Bad.ZS2", "abc");
        f.host.picks = {f.dir / "Bad.ZS2"};
        f.host.answers = {kAnswerCancel};
        f.action("mnuConProtSes")->trigger();
        QCOMPARE(f.host.messages.size(), std::size_t{1});
        f.list()->clear();
        f.host.messages.clear();
        f.host.dialogs.clear();
        QStringList during;
        f.host.onEvents = [&] { during << f.text("statusText"); };
        QString atNotFound;  // the status line while the missing entry's question shows
        f.host.onMessage = [&](const Message& m) {
            if (m.kind == MessageKind::SessionNotFound) atNotFound = f.text("statusText");
        };
        f.convertLibrary();
        QVERIFY(f.host.messages.empty());
        QCOMPARE(f.rows(),
                 (QStringList{"A.ZS2|A.OSw|1|1:00.0|converted", "C.ZS2|C.OSw|1|1:00.0|converted",
                              "d.zs2|d.OSw|1|1:00.0|converted",
                              "notes.txt||||not converted: not a session, album or folder",
                              "Odd.ZS2|Odd.OSw|3|6:30.0|converted with 3 errors",
                              "Bad.ZS2||||not converted: its data is not compatible",
                              "Ride.ZS2|Ride.OSw|5|12:03.0|converted",
                              "B.ZS2|B.OSw|6|1:00:00.0|converted", "Gone.ZS2||||not found"}));
        QCOMPARE(f.text("statusText"),
                 QStringLiteral("7 items: 6 converted, 0 up to date, 1 failed, 1 not found"));
        QCOMPARE(during.last(), QStringLiteral("Converting 1 of 2: B.ZS2"));
        QVERIFY(atNotFound.isEmpty());  // asked nothing
        // The first row with a problem is selected, and F8 goes on to the next.
        QCOMPARE(f.list()->currentItem()->text(ResultsList::kSource), QStringLiteral("notes.txt"));
        f.action("actNextProblem")->trigger();
        QCOMPARE(f.list()->currentItem()->text(ResultsList::kSource), QStringLiteral("Odd.ZS2"));
        QCOMPARE(
            readBytes(f.dir / "A.OSw"),
            convertSession(samples::buildSession("step duration=1:00.0\n"), {}, [](int) {}).target);
        QVERIFY(!std::filesystem::exists(f.dir / "notes.OSw"));
        QVERIFY(f.host.dialogs.empty());
        // The album went the way of a picked one: the next dialog opens in its folder.
        QCOMPARE(f.window.state().lastFolder, f.dir.path().string());

        // With Ctrl a drop shows the first session in the view and converts nothing; an album
        // alone is then refused.
        QVERIFY(!f.drop({"Relax.ZA2"}, Qt::ControlModifier));
        QVERIFY(f.drop({"Relax.ZA2", "Ride.ZS2", "A.ZS2"}, Qt::ControlModifier));
        QCOMPARE(QDir::toNativeSeparators(f.window.viewedSession()), f.path("Ride.ZS2"));
        QCOMPARE(f.rows().size(), 9);
    }

    void stopEndsABatchBetweenSessions() {
        // Stop, by its button or by Escape, while the third of five sessions is taken up (the
        // second failed); the session dropped after the folder is not reached either.
        for (const bool byKey : {false, true}) {
            Fixture f;
            f.showActive();
            std::filesystem::create_directories(f.dir / "Lib");
            for (const char* name : {"Lib/1.ZS2", "Lib/3.ZS2", "Lib/4.ZS2", "Lib/5.ZS2"})
                f.session(name);
            writeText(f.dir / "Lib/2.ZS2", "abc");
            f.session("After.ZS2");
            auto* bar = f.child<QProgressBar>("batchProgressBar");
            QString shown;
            int barWidth = 0;
            f.host.onEvents = [&] {
                if (f.host.eventsCalls != 3) return;  // before the third session
                QCoreApplication::processEvents();    // as the window's own host would
                shown = bar->isVisible() ? bar->text() : QString();
                barWidth = bar->width();
                if (byKey) {
                    QTest::keyClick(&f.window, Qt::Key_Escape);
                } else {
                    QTest::mouseClick(f.child<QPushButton>("stopBatch"), Qt::LeftButton);
                }
            };
            QVERIFY(f.drop({"Lib", "After.ZS2"}));
            QCOMPARE(shown, QStringLiteral("1 of 5"));
            QVERIFY(barWidth >=
                    bar->fontMetrics().horizontalAdvance(QStringLiteral("5 of 5, 59 min left")));
            QCOMPARE(f.rows(), (QStringList{"1.ZS2|1.OSw|1|5:00.0|converted",
                                            "2.ZS2||||not converted: its data is not compatible",
                                            "3.ZS2||||not converted (stopped)",
                                            "4.ZS2||||not converted (stopped)",
                                            "5.ZS2||||not converted (stopped)",
                                            "After.ZS2||||not converted (stopped)"}));
            QCOMPARE(
                testing::namesIn(f.dir.path() / "Lib"),
                (std::vector<std::string>{"1.OSw", "1.ZS2", "2.ZS2", "3.ZS2", "4.ZS2", "5.ZS2"}));
            QCOMPARE(f.text("statusText"),
                     QStringLiteral("2 items: 1 converted, 0 up to date, 1 failed, 0 not found, "
                                    "4 not reached (stopped)"));
            QVERIFY(!bar->isVisible());
            // A session the batch did not reach shows its steps as they would convert.
            f.select(QStringLiteral("3.ZS2"));
            f.action("actViewSessionFile")->trigger();
            QCOMPARE(QDir::toNativeSeparators(f.window.viewedSession()), f.path("Lib/3.ZS2"));
        }
    }

    void windowGrowsOnceForItsRowsWithinItsScreen() {
        // The cells of the list that do not show whole.
        const auto cut = [](const ResultsList* list) {
            QStringList cells;
            QStyleOptionViewItem option;
            option.initFrom(list);
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                for (int column = 0; column < ResultsList::kColumnCount; ++column) {
                    const QModelIndex cell = list->model()->index(i, column);
                    if (list->itemDelegate()->sizeHint(option, cell).width() >
                        list->header()->sectionSize(column))
                        cells << cell.data().toString();
                }
            }
            return cells;
        };
        // A session converted, by a window the user may have sized; then a library, and the
        // user asks for the columns to fit.
        for (const bool userSized : {false, true}) {
            Fixture f;
            f.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.window));
            QCOMPARE(f.window.centralWidget()->size(), QSize(459, 326));
            if (userSized) f.window.resize(440, f.window.height());
            const int before = f.window.width();
            f.session("A.ZS2");
            QVERIFY(f.drop({"A.ZS2"}));
            QCOMPARE(cut(f.list()).isEmpty(), !userSized);
            QCOMPARE(f.window.width() > before, !userSized);
            const int after = f.window.width();
            QCoreApplication::processEvents();  // the first command has ended
            f.convertLibrary();
            QCOMPARE(f.window.width(), after);
            f.action("actFitColumns")->trigger();
            const QRect screen = f.window.screen()->availableGeometry();
            QVERIFY(screen.contains(f.window.frameGeometry()));
            QVERIFY(f.window.frameGeometry().width() == screen.width() || cut(f.list()).isEmpty());
            // The whole status line in its tooltip.
            auto* status = f.child<QLabel>("statusText");
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), status->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(status, &help);
            QCOMPARE(QToolTip::text(), status->text());
        }
    }

    void listReadsAtTheDefaultWidthSortsAndCopies() {
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.convertLibrary();
        ResultsList* list = f.list();
        QHeaderView* header = list->header();
        // Every column inside the list, the outcome second and wide enough for its word; the
        // names share what the window gains.
        std::vector<int> narrow;
        for (const int width : {459, 1100}) {
            f.window.resize(width, f.window.height());
            QTRY_COMPARE(header->length(), list->viewport()->width());
            narrow.push_back(header->sectionSize(ResultsList::kFolder));
        }
        QVERIFY(narrow[1] > 2 * narrow[0]);
        f.window.resize(459, f.window.height());
        QTRY_COMPARE(header->length(), list->viewport()->width());
        QCOMPARE(header->visualIndex(ResultsList::kOutcome), 1);
        QVERIFY(header->sectionSize(ResultsList::kOutcome) >=
                list->fontMetrics().horizontalAdvance(QStringLiteral("converted")) +
                    list->iconSize().width() + 8);
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        // Whole paths in the tooltips; an icon and a colour for each row with problems, one
        // that reads on a light and a dark palette alike.
        const QTreeWidgetItem* c = list->findItems("C.ZS2", Qt::MatchExactly).first();
        QCOMPARE(c->toolTip(ResultsList::kFolder), QDir::toNativeSeparators(f.path("Lib")));
        QCOMPARE(c->toolTip(ResultsList::kSource), QDir::toNativeSeparators(f.path("Lib/C.ZS2")));
        QCOMPARE(c->toolTip(ResultsList::kTarget), QDir::toNativeSeparators(f.path("Lib/C.OSw")));
        QPalette dark(QColor(40, 40, 40));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            const ConversionRow& row = *list->row(item);
            QCOMPARE(item->toolTip(ResultsList::kOutcome), item->text(ResultsList::kOutcome));
            QCOMPARE(!item->icon(ResultsList::kOutcome).isNull(), row.hasProblems());
            for (const QPalette& palette : {QApplication::palette(), dark}) {
                const QColor color = problemTextColor(row, palette);
                QCOMPARE(color.isValid(), row.hasProblems());
                if (!color.isValid()) continue;
                const int contrast =
                    std::abs(color.lightness() - palette.color(QPalette::Base).lightness());
                QVERIFY2(contrast >= 100, qPrintable(row.sourcePath));
            }
        }
        // Sorted by any column as its values compare: numbers as numbers.
        const auto sortedBy = [&](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 4, 4));
            QStringList cells;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                if (!list->topLevelItem(i)->text(column).isEmpty())
                    cells << list->topLevelItem(i)->text(column);
            return cells;
        };
        QCOMPARE(sortedBy(ResultsList::kSteps), (QStringList{"1", "1", "1", "3", "5", "6"}));
        QCOMPARE(sortedBy(ResultsList::kPlayingTime),
                 (QStringList{"1:00.0", "1:00.0", "1:00.0", "6:30.0", "12:03.0", "1:00:00.0"}));
        // Outcomes from the worst: failures, then conversions with errors.
        QCOMPARE(sortedBy(ResultsList::kOutcome).mid(0, 5),
                 (QStringList{"not converted: its data is not compatible",
                              "not converted: not a session, album or folder", "not found",
                              "converted with 3 errors", "converted"}));
        // Ctrl+C copies the selected rows, whole, under a header.
        list->clearSelection();
        for (const char* name : {"C.ZS2", "Gone.ZS2"})
            list->findItems(name, Qt::MatchExactly).first()->setSelected(true);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("Source\tOutcome\tFolder\tTarget\tSteps\tPlaying time\n"
                                "Gone.ZS2\tnot found\t%1\t\t\t\n"
                                "C.ZS2\tconverted\t%2\tC.OSw\t1\t1:00.0\n")
                     .arg(QDir::toNativeSeparators(f.path("")).chopped(1),
                          QDir::toNativeSeparators(f.path("Lib"))));
    }

    void selectionShowsProblemsAndWhatTheConversionDid() {
        Fixture f;
        f.showActive();
        f.convertLibrary();
        auto* details = f.child<QPlainTextEdit>("rowDetails");
        const QString outOfRange = adviceFor(kOverflow);
        // The details of each row with problems; the view draws what was converted, or says why
        // it draws nothing.
        const struct {
            const char* source;
            QString details;
            QString placeholder;  // when the view draws nothing
        } rows[] = {
            {"", {}, "Select a conversion to see its steps."},
            {"A.ZS2", {}, {}},
            {"Odd.ZS2",
             "Odd.ZS2: converted with 3 errors\n"
             "Error 5, Invalid procedure call or argument: once at source record 1. " +
                 outOfRange + "\nError 6, Overflow: 2 times, the first at source record 2. " +
                 outOfRange +
                 "\n"
                 "Warning: Odd.OSw was written, but its conversion raised 3 errors. A value that "
                 "could not be computed keeps what an earlier step left in it: check the values of "
                 "this session before use.",
             {}},
            {"Bad.ZS2",
             "Bad.ZS2: not converted: its data is not compatible\nData in ... " +
                 QDir::toNativeSeparators(f.path("Bad.ZS2")) +
                 " isn't compatible with current spec.s. 'Open File' aborted. The file is damaged "
                 "or is no Zendrel session: save it again in the program that made it.",
             "Bad.ZS2 \u2014 not converted: its data is not compatible"},
            {"Gone.ZS2",
             "Gone.ZS2: not found\nError 53: The session " +
                 QDir::toNativeSeparators(f.path("Gone.ZS2")) +
                 " could not be found. No Orvanel session was created. Check that the session is "
                 "still there, or correct the line that names it.",
             "Gone.ZS2 \u2014 not found"},
        };
        for (const auto& row : rows) {
            f.select(QString::fromLatin1(row.source));
            QCOMPARE(details->toPlainText(), row.details);
            QCOMPARE(details->isVisible(), !row.details.isEmpty());
            QCOMPARE(f.view()->segments().empty(), !row.placeholder.isEmpty());
            if (!row.placeholder.isEmpty()) QCOMPARE(f.view()->placeholder(), row.placeholder);
        }
        // Tab goes from the list to the details to the view, whose steps the arrow keys read.
        f.select("Odd.ZS2");
        f.list()->setFocus();
        QTest::keyClick(f.list(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), details);
        QTest::keyClick(details, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.view());
        QTest::keyClick(f.view(), Qt::Key_Right);
        QCOMPARE(f.view()->currentStep(), 1);
        QCOMPARE(f.text("stepText"), f.view()->describe(1).replace('\n', "; "));
        QCOMPARE(f.view()->accessibleDescription(), f.text("stepText"));

        // A ramped and split step: the target's roles from the planning, with the settings it was
        // converted with, and the source's steps beneath, each over what it became.
        f.action("mnuSetSoftTime")->trigger();
        f.child<QSlider>("sldrRampTime")->setValue(0);
        f.button(0)->click();
        f.select("Ride.ZS2");
        std::vector<Role> roles;
        for (const Segment& s : f.view()->segments())
            roles.push_back(s.role);
        QCOMPARE(roles, (std::vector<Role>{Role::SoftOn, Role::FirstHalf, Role::SecondHalf,
                                           Role::SoftOff, Role::Main}));
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (const Segment& s : f.view()->sourceSegments())
            spans.emplace_back(s.startTenths, s.endTenths);
        QCOMPARE(spans,
                 (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 7200}, {7200, 7230}}));
        QCOMPARE(f.text("sessionName"), QStringLiteral("Ride.OSw, converted from Ride.ZS2"));
        // View Session File... shows the selected row without asking; with none, it asks.
        f.window.showSession(f.path("A.OSw"));
        f.action("actViewSessionFile")->trigger();
        QCOMPARE(f.window.viewedSession(), f.path("Ride.OSw"));
        QVERIFY(f.host.dialogs.empty());
        // A row without a target says so, and the view goes on showing that row.
        for (const char* name : {"Bad.ZS2", "Gone.ZS2", "notes.txt"}) {
            f.select(QString::fromLatin1(name));
            f.action("actViewSessionFile")->trigger();
            QVERIFY(f.window.viewedSession().isEmpty());
            QCOMPARE(f.text("statusText"),
                     name == std::string("Gone.ZS2")
                         ? QStringLiteral("Gone.ZS2 was not found: there is no session to view")
                         : QStringLiteral("%1 was not converted: there is no Orvanel session to "
                                          "view")
                               .arg(name));
        }
        f.select("");
        f.action("actViewSessionFile")->trigger();
        QCOMPARE(f.host.dialogs.size(), std::size_t{1});
    }

    void rowsOpenTheirFoldersOrSaySo() {
        Fixture f;
        f.convertLibrary();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        const auto activate = [&](const char* name) {
            f.select(QString::fromLatin1(name));
            QTest::keyClick(f.list(), Qt::Key_Return);
        };
        activate("C.ZS2");
        activate("Gone.ZS2");  // no target: the folder of its source
        std::filesystem::remove_all(f.dir / "Lib");
        activate("C.ZS2");
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(openedUrls, (QList<QUrl>{QUrl::fromLocalFile(f.path("Lib")),
                                          QUrl::fromLocalFile(f.dir.path().string().c_str())}));
        QCOMPARE(f.text("statusText"), QStringLiteral("The folder %1 cannot be opened")
                                           .arg(QDir::toNativeSeparators(f.path("Lib"))));
    }

    void everyWidgetHasAnAccessibleNameAndDescription() {
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        QStringList missing;
        for (QWidget* widget : f.window.findChildren<QWidget*>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_")) continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            if (accessible->text(QAccessible::Name).isEmpty() ||
                accessible->text(QAccessible::Description).isEmpty())
                missing << widget->objectName();
        }
        QCOMPARE(missing, QStringList());
    }

    void realMessageBoxAndFileDialog() {
        QWidget parent;
        QtHost host(&parent);
        QString seen;
        onModal<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("z2o"));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            seen = box->text() + "|" + box->informativeText();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        Message question = incompatibleMessage("x");
        question.cancelStops = "Cancel stops the album.";
        QCOMPARE(host.showMessage(question), kAnswerCancel);
        QCOMPARE(seen,
                 QStringLiteral(
                     "Data in ...\nx\nisn't compatible with current spec.s.\n'Open File' aborted|"
                     "Cancel stops the album."));
        TempDir dir;
        writeBytes(dir / "a.zs2", {});
        onModal<QFileDialog>([&](QFileDialog* dialog) {
#ifdef Q_OS_WIN
            // Windows matches names in any letter case: no lower-case pattern is needed there.
            const QString patterns = QStringLiteral("*.ZS2");
#else
            const QString patterns = QStringLiteral("*.ZS2 *.zs2");
#endif
            QCOMPARE(dialog->nameFilters(),
                     QStringList{QStringLiteral("Zendrel Session (%1)").arg(patterns)});
            QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
            dialog->selectFile(QString::fromStdString(dir / "a.zs2"));
            static_cast<QDialog*>(dialog)->accept();
        });
        const auto picked = host.showOpen({"Zendrel Session", "*.ZS2", "*.ZS2",
                                           "Select Zendrel session/s to convert",
                                           dir.path().string(), kOpenFlags, true});
        QVERIFY(picked);
        QCOMPARE(picked->fileTitle, std::string("a.zs2"));
    }

    void segmentsAndTooltipOfASession() {
        const auto source = samples::buildSession(Fixture::kRide);
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
             {Role::SoftOn, Role::FirstHalf, Role::SecondHalf, Role::SoftOff, Role::Main},
             {50, 3600, 7150, 7200, 7230}},
            {"a.OSW",
             {0, true},
             {Role::SoftOn, Role::Plain, Role::Plain, Role::SoftOff, Role::Plain},
             {50, 3600, 7150, 7200, 7230}},
            {"a.zs2",
             {0, true},
             {Role::FirstHalf, Role::SecondHalf, Role::Main},
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
        records[10].freq = {NAN, 5, 5, 5, INFINITY, 5, 5, 5};
        records[10].pitch = {150, -3e38F, 150, 3e38F};
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
                QCOMPARE(kinds[PlotLabel::Legend], kLegendEntryCount - 1);  // no source
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
#ifdef Q_OS_WIN
        QSKIP("Windows ends a program by closing its window, not by SIGTERM");
#endif
        Fixture f;
        f.window.show();
        closeOnTerminationSignal(f.window);
        std::raise(SIGTERM);
        QTRY_VERIFY(!f.window.isVisible());
    }

    // Last: it takes the display away from this process too. Qt's own options pass, in each
    // spelling, and the answers need no display.
    void optionsNeedNoDisplay() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        const std::string version = "z2o " Z2O_VERSION "\n";
        const struct {
            std::vector<std::string> arguments;
            int status;
            std::string out;  // all of it, or a part for the help
        } rows[] = {
            {{"--version"}, 0, version},
            {{"-style", "Fusion", "-V"}, 0, version},
            {{"--style=Fusion", "-platform", "offscreen", "--qwindowgeometry=800x600+0+0",
              "-reverse", "-nograb", "-plugin", "a", "-plugin", "b", "--version"},
             0,
             version},
            {{"--help"}, 0, "  --help-all "},
            {{"--help-all"}, 0, "  --platform <name[:options]> "},
            {{"-v"}, 2, ""},
            {{"--frobnicate", "a.ZS2"}, 2, ""},
            {{"-style"}, 2, ""},
        };
        for (const auto& row : rows) {
            const auto run = testing::runProgram(Z2O_APP, row.arguments, ".");
            QCOMPARE(run.status, row.status);
            if (row.status != 0) {
                QCOMPARE(run.out, std::string());
                QVERIFY(run.err.find("z2o --help") != std::string::npos);
            } else if (row.out == version) {
                QCOMPARE(run.out, version);
            } else {
                QVERIFY2(run.out.find(row.out) != std::string::npos, run.out.c_str());
                // Qt's options are in the long help only.
                QCOMPARE(run.out.find("--style <style>") != std::string::npos,
                         row.arguments[0] == "--help-all");
            }
        }
    }
};

QTEST_MAIN(WindowTest)
#include "app_test.moc"
