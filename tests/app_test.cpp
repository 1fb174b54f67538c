// The window driven through its real widgets and actions; dialogs and messages come from a
// scripted host so nothing blocks.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "main_window.h"
#include "session.h"
#include "session_builder.h"
#include "test_support.h"

using namespace z2o;
using z2o::testing::ScriptedHost;
using z2o::testing::TempDir;

class WindowTest : public QObject {
    Q_OBJECT

  private:
    struct Fixture {
        ScriptedHost host;
        MainWindow window{&host};

        QAction* action(const char* name) {
            return window.findChild<QAction*>(QString::fromLatin1(name));
        }
        QGroupBox* panel() {
            return window.findChild<QGroupBox*>(QStringLiteral("fraSetSoftRamp"));
        }
        QSlider* slider() { return window.findChild<QSlider*>(QStringLiteral("sldrRampTime")); }
        QLabel* label() { return window.findChild<QLabel*>(QStringLiteral("lblRmpTim")); }
        QString status() { return window.findChild<QLabel*>(QStringLiteral("statusText"))->text(); }
        QPushButton* command1(int index) {
            for (QPushButton* b : window.findChildren<QPushButton*>(QStringLiteral("Command1"))) {
                if (b->property("index").toInt() == index) return b;
            }
            return nullptr;
        }
        void setRamp(int seconds, int button) {
            action("mnuSetSoftTime")->trigger();
            slider()->setValue(seconds);
            QTest::mouseClick(command1(button), Qt::LeftButton);
        }
    };

  private slots:
    void startsWithDefaults() {
        Fixture f;
        f.window.show();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Zendrel to Orvanel Session Converter"));
        QCOMPARE(f.window.objectName(), QStringLiteral("frmZ2O"));
        QCOMPARE(f.window.centralWidget()->size(), QSize(459, 326));
        QCOMPARE(f.window.state().ramp.rampTime, std::int16_t{50});
        QVERIFY(f.action("mnuRampSofts")->isChecked());
        QVERIFY(f.action("mnuRampSofts")->isEnabled());
        QVERIFY(!f.panel()->isVisible());
        QCOMPARE(f.panel()->geometry(), QRect(32, 8, 169, 161));
        QCOMPARE(f.slider()->geometry(), QRect(12, 48, 137, 33));
        f.action("mnuSetSoftTime")->trigger();
        QVERIFY(f.panel()->isVisible());
        QCOMPARE(f.label()->text(), QStringLiteral("5"));
        QSlider* s = f.slider();
        QCOMPARE(
            (QList<int>{s->value(), s->minimum(), s->maximum(), s->singleStep(), s->pageStep()}),
            (QList<int>{5, 0, 10, 1, 5}));
        QCOMPARE(f.command1(0)->text() + f.command1(1)->text(), QStringLiteral("OKCancel"));
    }

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
        QVERIFY(!seen.join(QString()).contains(QLatin1Char('&')));
    }

    void rampPanelStoresOnOkOnly() {
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        f.slider()->setFocus();
        QTest::keyClick(f.slider(), Qt::Key_Right);  // every move shows at once
        QCOMPARE(f.label()->text(), QStringLiteral("6"));
        QTest::keyClick(f.slider(), Qt::Key_PageUp);
        QCOMPARE(f.label()->text(), QStringLiteral("10"));
        f.slider()->setValue(8);
        QCOMPARE(f.label()->text(), QStringLiteral("8"));
        QTest::mouseClick(f.command1(0), Qt::LeftButton);
        QVERIFY(!f.panel()->isVisible());
        QCOMPARE(f.window.state().ramp.rampTime, std::int16_t{80});
        f.action("mnuSetSoftTime")->trigger();
        QCOMPARE(f.slider()->value(), 8);
        QCOMPARE(f.label()->text(), QStringLiteral("8"));

        f.slider()->setValue(3);
        QTest::mouseClick(f.command1(1), Qt::LeftButton);
        QVERIFY(!f.panel()->isVisible());
        QCOMPARE(f.window.state().ramp.rampTime, std::int16_t{80});
        f.action("mnuSetSoftTime")->trigger();
        QCOMPARE(f.slider()->value(), 8);
        // Reopening an open panel goes back to the stored value.
        f.slider()->setValue(2);
        f.action("mnuSetSoftTime")->trigger();
        QCOMPARE(f.label()->text(), QStringLiteral("8"));
    }

    void checkMarkFlipsOnEachClick() {
        Fixture f;
        QAction* item = f.action("mnuRampSofts");
        item->trigger();
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(item->isChecked());
    }

    void convertsThroughTheMenuWithTheStoredSettings() {
        Fixture f;
        TempDir dir;
        const std::string description = "step duration=1:00.0 channel=0x3C\nstep number=0\n";
        z2o::testing::writeBytes(dir / "Alpha.ZS2", samples::buildSession(description));
        f.setRamp(0, 0);
        f.action("mnuRampSofts")->trigger();
        f.host.picks.push_back(dir / "Alpha.ZS2");
        f.action("mnuConProtSes")->trigger();
        const auto expected =
            convertSession(samples::buildSession(description), {0, false}, [](int) {}).target;
        QCOMPARE(z2o::testing::readBytes(dir / "Alpha.OSw"), expected);
        QCOMPARE(expected.size(), kTargetRecordSize);  // no ramp records
        QCOMPARE(f.status(), QStringLiteral("Alpha.ZS2 converted to Alpha.OSw: 1 steps"));
        QVERIFY(f.host.messages.empty());
        QCOMPARE(f.host.dialogs.at(0).dialogTitle,
                 std::string("Select Zendrel session/s to convert"));
    }

    void convertsAnAlbumWithAMissingEntry() {
        Fixture f;
        TempDir dir;
        z2o::testing::writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        const std::string album = "A.ZS2\r\nGone.ZS2\r\nA.ZS2\r\n";
        z2o::testing::writeBytes(dir / "Relax.ZA2", {album.begin(), album.end()});
        QStringList during;
        f.host.onEvents = [&] { during << f.status(); };
        f.host.picks.push_back(dir / "Relax.ZA2");
        f.action("mnuConvrtAlbm")->trigger();
        QCOMPARE(f.status(), QStringLiteral("Album Relax.ZA2: 2 converted, 1 not found"));
        QCOMPARE(during.last(), QStringLiteral("Converting 3 of 3: A.ZS2"));
        QCOMPARE(f.host.messages.size(), std::size_t{1});
        QVERIFY(std::filesystem::exists(dir / "A.OSw"));
        QVERIFY(!f.window.state().albumMode);
    }

    void closingDuringAnAlbumStopsItThenEnds() {
        Fixture f;
        f.window.show();
        TempDir dir;
        z2o::testing::writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        z2o::testing::writeBytes(dir / "B.ZS2", samples::buildSession("step\n"));
        const std::string album = "A.ZS2\nB.ZS2\n";
        z2o::testing::writeBytes(dir / "Relax.ZA2", {album.begin(), album.end()});
        int calls = 0;
        f.host.onEvents = [&] {
            // A second command cannot start while one runs; then the user closes the window.
            QVERIFY(++calls == 1 || !f.action("mnuConvrtAlbm")->isEnabled());
            if (calls == 2) f.action("mnuExit")->trigger();
        };
        f.host.picks.push_back(dir / "Relax.ZA2");
        f.action("mnuConvrtAlbm")->trigger();
        QVERIFY(!std::filesystem::exists(dir / "A.OSw"));
        QVERIFY(!std::filesystem::exists(dir / "B.OSw"));
        QVERIFY(!f.window.isVisible());
        QVERIFY(!f.window.state().albumMode);
    }

    void exitClosesAtOnce() {
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        f.slider()->setValue(9);
        f.action("mnuExit")->trigger();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.window.state().ramp.rampTime, std::int16_t{50});
        QVERIFY(f.host.messages.empty());
    }
};

QTEST_MAIN(WindowTest)
#include "app_test.moc"
