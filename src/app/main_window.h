// frmZ2O: the converter's one window, its menus, the ramp-time panel, the results of this run
// and the status line.
#pragma once

#include <QMainWindow>
#include <memory>

#include "album/album.h"
#include "app/results_list.h"
#include "convert/host.h"

class QAction;
class QLabel;

namespace z2o {

class RampPanel;
class ResultsList;
class SessionView;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Dialogs and messages go through `dialogs`; the window's own Qt host when none is given.
    explicit MainWindow(Host* dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    const ProgramState& state() const { return m_state; }
    const QString& viewedSession() const { return m_viewedSession; }

    // Converts each path in order: a folder through the folder walk, an album (ZA2 in any
    // case) as the album command converts a picked one, anything else as an album entry.
    // Drops and the command line come here. False, and nothing done, while a command runs.
    bool openFiles(const QStringList& paths);

  public slots:
    // Shows an existing OSw or ZS2 file in the session view.
    void showSession(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class CommandHost;

    void buildMenus();
    void buildRampPanel();
    void buildClientArea();
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

    void openSession(const QString& path);
    void openAlbum(const QString& path);
    void openFolder(const QString& path);
    void showBatchStatus(bool album, const AlbumOutcome& outcome);
    void addRow(ConversionRow row);
    void showRampStatus();

    ProgramState m_state;
    bool rampToggleGuard = false;
    std::unique_ptr<Host> m_ownDialogs;
    std::unique_ptr<CommandHost> m_host;
    bool m_busy = false;
    bool m_closeRequested = false;
    QString m_viewedSession;
    ConversionRow m_lastRow;  // the row added last, which the status line words

    QAction* mnuConProtSes = nullptr;
    QAction* mnuConvrtAlbm = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuSetSoftTime = nullptr;
    QAction* mnuRampSofts = nullptr;
    QAction* mnuAbout = nullptr;
    RampPanel* fraSetSoftRamp = nullptr;
    ResultsList* lstResults = nullptr;
    QWidget* sessionViewArea = nullptr;
    QLabel* m_sessionName = nullptr;
    SessionView* m_sessionView = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_rampStatus = nullptr;
};

}  // namespace z2o
