// The window driven through its real widgets and actions; dialogs and messages come from a
// scripted host so nothing blocks.
#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>

#include "main_window.h"
#include "qt_host.h"
#include "session.h"
#include "session_builder.h"
#include "test_support.h"

using namespace z2o;
using z2o::testing::ScriptedHost;
using z2o::testing::TempDir;

// Runs `check` on the modal dialog that `open` shows, then closes it.
template <typename Dialog>
void onModal(const std::function<void(Dialog*)>& check) {
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        check(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

// A scripted host that also sees the window at the moment each message shows.
struct WatchingHost : ScriptedHost {
    std::function<void(const Message&)> onMessage;
    std::int32_t showMessage(const Message& message) override {
        if (onMessage) onMessage(message);
        return ScriptedHost::showMessage(message);
    }
};

class WindowTest : public QObject {
    Q_OBJECT

  public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

  private:
    QList<QUrl> openedUrls;

    struct Fixture {
        WatchingHost host;
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
        QTreeWidget* list() { return window.findChild<QTreeWidget*>(QStringLiteral("lstResults")); }
        QStringList rows() {
            QStringList seen;
            for (int i = 0; i < list()->topLevelItemCount(); ++i) {
                QStringList cells;
                for (int column : {0, 2, 3, 4, 5})
                    cells << list()->topLevelItem(i)->text(column);
                seen << cells.join(QLatin1Char('|'));
            }
            return seen;
        }
        bool drop(const QStringList& paths, Qt::KeyboardModifiers keys = Qt::NoModifier) {
            QMimeData mime;
            QList<QUrl> urls;
            for (const QString& path : paths)
                urls << QUrl::fromLocalFile(path);
            mime.setUrls(urls);
            QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, keys);
            QApplication::sendEvent(&window, &enter);
            if (!enter.isAccepted()) return false;
            QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, keys);
            QApplication::sendEvent(&window, &drop);
            QCoreApplication::processEvents();  // the conversion starts once the drop returned
            return true;
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
        QCOMPARE(QString::fromStdString(f.host.dialogs.at(0).initDir), QDir::homePath());
        QCOMPARE(f.rows(), QStringList{"Alpha.ZS2|Alpha.OSw|1|1:00.0|converted"});
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
    void dropsConvertSessionsAlbumsAndFoldersInOrder() {
        Fixture f;
        TempDir dir;
        const auto minute = samples::buildSession("step duration=1:00.0\n");
        writeBytes(dir / "A.ZS2", minute);
        writeBytes(dir / "B.ZS2", samples::buildSession("step duration=20:00.0 repeat=4\n"));
        writeBytes(dir / "Odd.ZS2", samples::buildSession("step duration=___30.0\n"
                                                          "step start=10,16,20,0,150\n"
                                                          "step duration=1:00.0\n"));
        writeBytes(dir / "Bad.ZS2", {1, 2, 3});
        const std::string album = "B.ZS2\nGone.ZS2\n";
        writeBytes(dir / "Relax.ZA2", {album.begin(), album.end()});
        std::filesystem::create_directories(dir / "Lib/Deep");
        writeBytes(dir / "Lib/C.ZS2", minute);
        writeBytes(dir / "Lib/Deep/d.zs2", minute);
        writeBytes(dir / "notes.txt", minute);
        f.setRamp(0, 0);
        QVERIFY(
            f.window.findChild<QLabel*>(QStringLiteral("lstResultsHint"))->isVisibleTo(f.list()));
        QStringList during;
        f.host.onMessage = [&](const Message& m) {
            if (m.kind == MessageKind::SessionNotFound) during << f.status();
        };
        const auto path = [&](const char* name) { return QString::fromStdString(dir / name); };
        QVERIFY(f.drop({path("A.ZS2"), path("Relax.ZA2"), path("Lib"), path("notes.txt"),
                        path("Odd.ZS2"), path("Bad.ZS2")}));
        QCOMPARE(f.rows(),
                 (QStringList{"A.ZS2|A.OSw|1|1:00.0|converted", "B.ZS2|B.OSw|8|1:20:00.0|converted",
                              "Gone.ZS2||||not found", "C.ZS2|C.OSw|1|1:00.0|converted",
                              "d.zs2|d.OSw|1|1:00.0|converted",
                              "notes.txt||||not converted: not a session, album or folder",
                              "Odd.ZS2|Odd.OSw|3|6:30.0|converted with 3 errors",
                              "Bad.ZS2||||not converted: its data is not compatible"}));
        QVERIFY(
            !f.window.findChild<QLabel*>(QStringLiteral("lstResultsHint"))->isVisibleTo(f.list()));
        // The not-found question names the entry it is about, on the status line too.
        QCOMPARE(during, QStringList{"Converting 2 of 2: Gone.ZS2"});
        QCOMPARE(f.status(), QStringLiteral("Bad.ZS2 was not converted"));
        QCOMPARE(readBytes(dir / "A.OSw"), convertSession(minute, {0, true}, [](int) {}).target);
        QVERIFY(!std::filesystem::exists(dir / "notes.OSw"));
        QVERIFY(f.host.dialogs.empty());
        QVERIFY(!f.window.state().albumMode);
        // The album went the way of a picked one: the next dialog opens in its folder.
        QCOMPARE(f.window.state().lastFolder, dir.path().string());

        f.drop({path("Odd.ZS2")});
        QCOMPARE(f.status(), QStringLiteral("Odd.ZS2 converted to Odd.OSw: 3 steps, 3 errors"));
        f.drop({path("Lib")});
        QCOMPARE(f.status(), QStringLiteral("Folder Lib: 2 converted"));
    }

    void dropsAreRefusedWhileACommandRunsAndWhenNothingFits() {
        Fixture f;
        TempDir dir;
        writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        writeBytes(dir / "A.OSw", {});
        writeBytes(dir / "notes.txt", {});
        const QString session = QString::fromStdString(dir / "A.ZS2");
        QVERIFY(!f.drop({QString::fromStdString(dir / "notes.txt")}));
        QVERIFY(!f.drop({QString::fromStdString(dir / "A.OSw")}));
        bool refused = false;
        f.host.onEvents = [&] {
            refused = !f.drop({session});
            QVERIFY(!f.window.openFiles({session}));
        };
        f.host.picks.push_back(dir / "A.ZS2");
        f.action("mnuConProtSes")->trigger();
        QVERIFY(refused);
        QCOMPARE(f.rows().size(), 1);
        // Ctrl held: the file is shown, not converted.
        f.host.onEvents = nullptr;
        QVERIFY(f.drop({QString::fromStdString(dir / "A.OSw")}, Qt::ControlModifier));
        QCOMPARE(f.window.viewedSession(), QString::fromStdString(dir / "A.OSw"));
        QCOMPARE(f.rows().size(), 1);
    }

    void rowsShowTheirSessionAndOpenTheTargetsFolder() {
        Fixture f;
        f.window.show();
        TempDir dir;
        writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        writeBytes(dir / "Gone.ZA2", {});
        std::filesystem::remove(dir / "Gone.ZA2");
        QVERIFY(f.window.openFiles(
            {QString::fromStdString(dir / "Gone.ZA2"), QString::fromStdString(dir / "A.ZS2")}));
        QCOMPARE(f.rows().first(), QStringLiteral("Gone.ZA2||||not found"));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        openedUrls.clear();
        QTreeWidgetItem* row = f.list()->topLevelItem(1);
        f.list()->setCurrentItem(row);
        QCOMPARE(f.window.viewedSession(), QString::fromStdString(dir / "A.OSw"));
        QTest::keyClick(f.list(), Qt::Key_Return);
        f.list()->setCurrentItem(f.list()->topLevelItem(0));  // no target: nothing opens
        QTest::keyClick(f.list(), Qt::Key_Return);
        emit f.list()->itemDoubleClicked(row, 0);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(dir.path().string()));
        QCOMPARE(openedUrls, (QList<QUrl>{folder, folder}));

        // The context action shows a picked file; a missing one changes nothing.
        QAction* view = f.window.findChild<QAction*>(QStringLiteral("actViewSessionFile"));
        QVERIFY(f.list()->actions().contains(view));
        f.host.picks = {dir / "A.ZS2", dir / "Missing.OSw"};
        view->trigger();
        QCOMPARE(f.window.viewedSession(), QString::fromStdString(dir / "A.ZS2"));
        view->trigger();
        QCOMPARE(f.window.viewedSession(), QString::fromStdString(dir / "A.ZS2"));
        QCOMPARE(f.host.dialogs.back().filter,
                 std::string("Orvanel or Zendrel Session (*.OSw *.ZS2)|*.OSw *.ZS2"));
    }

    void panelTakesFocusAndAnswersReturnAndEscape() {
        const struct {
            Qt::Key key;
            int rampTime;
            const char* status;
        } rows[] = {{Qt::Key_Return, 80, "Ramp 8 s, soft ramping on"},
                    {Qt::Key_Enter, 80, "Ramp 8 s, soft ramping on"},
                    {Qt::Key_Escape, 50, "Ramp 5 s, soft ramping on"}};
        for (const auto& row : rows) {
            Fixture f;
            f.window.show();
            QVERIFY(QTest::qWaitForWindowActive(&f.window));
            QLabel* ramp = f.window.findChild<QLabel*>(QStringLiteral("rampStatus"));
            QCOMPARE(ramp->text(), QStringLiteral("Ramp 5 s, soft ramping on"));
            f.action("mnuSetSoftTime")->trigger();
            QCOMPARE(QApplication::focusWidget(), f.slider());
            QTest::keyClick(f.slider(), Qt::Key_Right, Qt::NoModifier);
            f.slider()->setValue(8);
            QTest::keyClick(f.slider(), row.key);
            QVERIFY(!f.panel()->isVisible());
            QCOMPARE(f.window.state().ramp.rampTime, row.rampTime);
            QCOMPARE(ramp->text(), QString::fromLatin1(row.status));
            f.action("mnuRampSofts")->trigger();
            QVERIFY(ramp->text().endsWith(QStringLiteral("soft ramping off")));
        }
    }

    void minimumSizeKeepsThePanelAndTheStatusLineWhole() {
        Fixture f;
        f.window.show();
        f.action("mnuSetSoftTime")->trigger();
        f.window.resize(10, 10);
        QCoreApplication::processEvents();
        const QRect client = f.window.centralWidget()->rect();
        QVERIFY(client.contains(f.panel()->geometry()));
        QVERIFY(f.window.statusBar()->height() >= f.window.statusBar()->sizeHint().height());
        QLabel* ramp = f.window.findChild<QLabel*>(QStringLiteral("rampStatus"));
        QVERIFY(ramp->width() >= ramp->sizeHint().width());
        QVERIFY(f.window.findChild<QWidget*>(QStringLiteral("sessionViewArea")));
        QVERIFY(!f.window.windowIcon().isNull());
    }

    void aboutNamesVersionLicenseAndQt() {
        Fixture f;
        QString text;
        onModal<QMessageBox>(
            [&](QMessageBox* box) { text = box->windowTitle() + QLatin1Char(' ') + box->text(); });
        f.action("mnuAbout")->trigger();
        for (const QString& part : {QStringLiteral("About z2o"), QStringLiteral(Z2O_VERSION),
                                    QStringLiteral("MIT"), QString::fromLatin1(qVersion())})
            QVERIFY2(text.contains(part), qPrintable(part));
    }

    void realMessageBoxesAndFileDialog() {
        QWidget parent;
        QtHost host(&parent);
        const struct {
            Message message;
            const char* title;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton escape;
            std::int32_t escapeAnswer;
        } rows[] = {
            {{"Overflow", Buttons::Ok, {}, MessageKind::Error, {}},
             "z2o",
             QMessageBox::Ok,
             QMessageBox::Ok,
             kAnswerOk},
            {{"The session x\r\ncould not be found.",
              Buttons::OkCancel,
              "File not found",
              MessageKind::SessionNotFound,
              {}},
             "File not found",
             QMessageBox::Ok | QMessageBox::Cancel,
             QMessageBox::Cancel,
             kAnswerCancel},
        };
        for (const auto& row : rows) {
            QString seen;
            onModal<QMessageBox>([&](QMessageBox* box) {
                QCOMPARE(box->windowTitle(), QString::fromLatin1(row.title));
                QCOMPARE(box->standardButtons(), row.buttons);
                QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
                QCOMPARE(box->escapeButton(), box->button(row.escape));
                seen = box->text();
                QTest::keyClick(box, Qt::Key_Escape);
            });
            QCOMPARE(host.showMessage(row.message), row.escapeAnswer);
            QVERIFY(!seen.contains(QLatin1Char('\r')));
        }

        TempDir dir;
        writeBytes(dir / "a.zs2", {});
        onModal<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Zendrel session/s to convert"));
            QCOMPARE(dialog->nameFilters(),
                     QStringList{QStringLiteral("Zendrel Session (*.ZS2 *.zs2)")});
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
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

    void terminationSignalClosesTheWindow() {
        Fixture f;
        f.window.show();
        f.window.closeOnTerminationSignal();
        std::raise(SIGTERM);
        QTRY_VERIFY(!f.window.isVisible());
    }

    void commandLineHelpAndVersionNeedNoDisplay() {
        const struct {
            QStringList arguments;
            int status;
            QString output;
        } rows[] = {{{"--version"}, 0, QStringLiteral("z2o " Z2O_VERSION "\n")},
                    {{"--help"}, 0, QStringLiteral("[FILE...]")},
                    {{"--bogus"}, 2, QString()}};
        for (const auto& row : rows) {
            QProcess z2o;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            z2o.setProcessEnvironment(env);
            z2o.start(QStringLiteral(Z2O_APP), row.arguments);
            QVERIFY(z2o.waitForFinished(10000));
            QCOMPARE(z2o.exitCode(), row.status);
            QVERIFY(QString::fromUtf8(z2o.readAllStandardOutput()).contains(row.output));
        }
    }
};

QTEST_MAIN(WindowTest)
#include "app_test.moc"
