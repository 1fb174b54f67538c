// frmZ2O: the converter's one window, its menus, the ramp-time panel and the status line.
#pragma once

#include <QMainWindow>
#include <memory>

#include "host.h"

class QAction;
class QGroupBox;
class QLabel;
class QSlider;

namespace z2o {

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Dialogs and messages go through `dialogs`; the window's own Qt host when none is given.
    explicit MainWindow(Host* dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    const ProgramState& state() const { return m_state; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class CommandHost;

    void buildMenus();
    void buildRampPanel();
    void startUp();

    void mnuConProtSes_Click();
    void mnuConvrtAlbm_Click();
    void mnuSetSoftTime_Click();
    void mnuRampSofts_Click();
    void sldrRampTime_Change(int value);
    void Command1_Click(int index);

    // Runs a command with the conversion menu items disabled, so that nothing starts a second
    // command at the points where pending events run; ends the program afterwards if the user
    // closed the window meanwhile.
    template <typename Command>
    void runCommand(Command command);

    ProgramState m_state;
    bool rampToggleGuard = false;
    std::unique_ptr<Host> m_ownDialogs;
    std::unique_ptr<CommandHost> m_host;
    bool m_busy = false;
    bool m_closeRequested = false;

    QAction* mnuConProtSes = nullptr;
    QAction* mnuConvrtAlbm = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuSetSoftTime = nullptr;
    QAction* mnuRampSofts = nullptr;
    QGroupBox* fraSetSoftRamp = nullptr;
    QLabel* lblRmpTim = nullptr;
    QSlider* sldrRampTime = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace z2o
