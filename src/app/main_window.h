// frmZ2O: the converter's one window, its menus, the ramp-time panel, the results of this run
// with the details of a row's problems, the session view and the status line.
#pragma once

#include <QMainWindow>
#include <memory>

#include "app/conversion_row.h"
#include "convert/batch.h"
#include "convert/host.h"

class QAction;
class QLabel;
class QPlainTextEdit;

namespace z2o {

class BatchProgress;
class RampPanel;
class ResultsList;
class SessionPane;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Dialogs and messages go through `dialogs`; the window's own Qt host when none is given.
    explicit MainWindow(Host* dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    const ProgramState& state() const { return m_state; }
    // The file the session view draws, or empty.
    const QString& viewedSession() const;

    // Converts each path in order: a folder through the folder walk, an album (ZA2 in any
    // case) as the album command converts a picked one, anything else as an album entry.
    // Drops and the command line come here. False, and nothing done, while a command runs.
    bool openFiles(const QStringList& paths);
    // Widens the window, within its screen, until the list's columns, the status line and the
    // progress show whole. The rows of the first command do so as they come, unless the user
    // has sized or maximised the window; `asked`, it is done at once in any case but maximised.
    void fitToRows(bool asked = false);

  public slots:
    // Shows an existing OSw or ZS2 file in the session view.
    void showSession(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // What the commands see of the window; in main_window_commands.cpp with the commands.
    class CommandHost;
    std::unique_ptr<Host> makeCommandHost(Host& dialogs);

    void buildMenus();
    void buildRampPanel();
    void buildClientArea();
    void buildStatusLine();
    void startUp();

    void mnuConProtSes_Click();
    void mnuConvrtAlbm_Click();
    void mnuSetSoftTime_Click();
    void mnuRampSofts_Click();
    void mnuAbout_Click();
    void viewSessionFile();

    // Runs a command with the conversion menu items disabled, so that nothing starts a second
    // command at the points where pending events run; ends the program afterwards if the user
    // closed the window meanwhile.
    template <typename Command>
    void runCommand(Command command);

    // The rows a batch adds besides its sessions', and its summary in the status line.
    void showSummary(const QString& label, const BatchOutcome& outcome);
    void showSelectedRow();
    void openRowFolder(const ConversionRow& row);
    void showRampStatus();

    ProgramState m_state;
    bool rampToggleGuard = false;
    std::unique_ptr<Host> m_ownDialogs;
    std::unique_ptr<Host> m_host;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_stopRequested = false;  // by this command's Stop; each command starts without

    QAction* mnuConProtSes = nullptr;
    QAction* mnuConvrtAlbm = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuSetSoftTime = nullptr;
    QAction* mnuRampSofts = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* m_stopAction = nullptr;
    RampPanel* fraSetSoftRamp = nullptr;
    ResultsList* lstResults = nullptr;
    QPlainTextEdit* m_details = nullptr;
    SessionPane* m_pane = nullptr;
    QLabel* m_status = nullptr;
    BatchProgress* m_progress = nullptr;
    QLabel* m_rampStatus = nullptr;
    struct {
        bool done = false, userSized = false, resizing = false;
    } m_fit;  // of fitToRows
};

}  // namespace z2o
