#include "main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>

#include "album.h"
#include "driver.h"
#include "qt_host.h"

namespace z2o {
namespace {

constexpr int kClientWidth = 459;
constexpr int kClientHeight = 326;

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

}  // namespace

// What the commands see: the dialogs and messages of the window's host, plus the user's wish
// to end the program and progress on the status line.
class MainWindow::CommandHost : public Host {
  public:
    CommandHost(MainWindow& window, Host& dialogs) : m_window(window), m_dialogs(dialogs) {}

    std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) override {
        return m_dialogs.showOpen(settings);
    }
    std::int32_t showMessage(const Message& message) override {
        return m_dialogs.showMessage(message);
    }
    bool processEvents() override {
        return m_dialogs.processEvents() && !m_window.m_closeRequested;
    }
    std::string programFolder() override { return m_dialogs.programFolder(); }
    void albumProgress(int index, int count, const std::string& path) override {
        m_window.m_status->setText(
            tr("Converting %1 of %2: %3").arg(index).arg(count).arg(fileName(path)));
    }

  private:
    MainWindow& m_window;
    Host& m_dialogs;
};

MainWindow::MainWindow(Host* dialogs, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmZ2O"));
    setWindowTitle(QStringLiteral("Zendrel to Orvanel Session Converter"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtHost>(this);
        dialogs = m_ownDialogs.get();
    }
    m_host = std::make_unique<CommandHost>(*this, *dialogs);

    setCentralWidget(new QWidget(this));
    buildMenus();
    buildRampPanel();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setSizeGripEnabled(false);
    // A label rather than a temporary message: hovering a menu item would wipe that.
    m_status = new QLabel(statusBar());
    m_status->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(m_status, 1);
    // The client area proper, with the menu bar above it and the status line below.
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* mnuFiles = menuBar()->addMenu(QStringLiteral("Files"));
    mnuFiles->setObjectName(QStringLiteral("mnuFiles"));
    mnuConProtSes = mnuFiles->addAction(QStringLiteral("Convert Zendrel Session"));
    mnuConProtSes->setObjectName(QStringLiteral("mnuConProtSes"));
    mnuConvrtAlbm = mnuFiles->addAction(QStringLiteral("Convert Zendrel Album"));
    mnuConvrtAlbm->setObjectName(QStringLiteral("mnuConvrtAlbm"));
    mnuFiles->addSeparator()->setObjectName(QStringLiteral("mnusep"));
    mnuExit = mnuFiles->addAction(QStringLiteral("Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    QMenu* mnuUtes = menuBar()->addMenu(QStringLiteral("Utilities"));
    mnuUtes->setObjectName(QStringLiteral("mnuUtes"));
    mnuSetSoftTime = mnuUtes->addAction(QStringLiteral("Set Soft(on/off) ramp time"));
    mnuSetSoftTime->setObjectName(QStringLiteral("mnuSetSoftTime"));
    mnuRampSofts = mnuUtes->addAction(QStringLiteral("Ramping during Soft(on/off)"));
    mnuRampSofts->setObjectName(QStringLiteral("mnuRampSofts"));

    connect(mnuConProtSes, &QAction::triggered, this, &MainWindow::mnuConProtSes_Click);
    connect(mnuConvrtAlbm, &QAction::triggered, this, &MainWindow::mnuConvrtAlbm_Click);
    connect(mnuExit, &QAction::triggered, this, &MainWindow::close);
    connect(mnuSetSoftTime, &QAction::triggered, this, &MainWindow::mnuSetSoftTime_Click);
    connect(mnuRampSofts, &QAction::triggered, this, &MainWindow::mnuRampSofts_Click);
}

void MainWindow::buildRampPanel() {
    fraSetSoftRamp =
        new QGroupBox(QStringLiteral("Default Soft on/off Ramp Time"), centralWidget());
    fraSetSoftRamp->setObjectName(QStringLiteral("fraSetSoftRamp"));
    fraSetSoftRamp->setGeometry(32, 8, 169, 161);
    // The panel's pixel layout was drawn for a small dialog font; keep its captions whole.
    QFont font = fraSetSoftRamp->font();
    font.setPixelSize(11);
    fraSetSoftRamp->setFont(font);

    lblRmpTim = new QLabel(QStringLiteral("5"), fraSetSoftRamp);
    lblRmpTim->setObjectName(QStringLiteral("lblRmpTim"));
    lblRmpTim->setGeometry(64, 24, 33, 17);
    lblRmpTim->setAlignment(Qt::AlignCenter);

    sldrRampTime = new QSlider(Qt::Horizontal, fraSetSoftRamp);
    sldrRampTime->setObjectName(QStringLiteral("sldrRampTime"));
    sldrRampTime->setGeometry(12, 48, 137, 33);
    sldrRampTime->setRange(0, 10);
    sldrRampTime->setSingleStep(1);
    sldrRampTime->setPageStep(5);
    sldrRampTime->setTickPosition(QSlider::TicksBelow);
    sldrRampTime->setTickInterval(1);
    sldrRampTime->setValue(5);
    // valueChanged covers dragging (the thumb tracks), keys and clicks beside the thumb.
    connect(sldrRampTime, &QSlider::valueChanged, this, &MainWindow::sldrRampTime_Change);

    auto* buttons = new QButtonGroup(fraSetSoftRamp);
    const struct {
        const char* caption;
        int left;
    } captions[] = {{"OK", 24}, {"Cancel", 96}};
    for (int index = 0; index < 2; ++index) {
        auto* button =
            new QPushButton(QString::fromLatin1(captions[index].caption), fraSetSoftRamp);
        button->setObjectName(QStringLiteral("Command1"));
        button->setProperty("index", index);
        button->setGeometry(captions[index].left, 88, 49, 25);
        buttons->addButton(button, index);
    }
    connect(buttons, &QButtonGroup::idClicked, this, &MainWindow::Command1_Click);

    auto* label1 =
        new QLabel(QStringLiteral("Set to zero to disable soft (on/off)"), fraSetSoftRamp);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(24, 128, 113, 25);
    label1->setWordWrap(true);

    fraSetSoftRamp->hide();
}

void MainWindow::startUp() {
    m_state.ramp.rampTime = 50;
    rampToggleGuard = true;
    mnuRampSofts->setCheckable(true);
    mnuRampSofts->setChecked(true);
    rampToggleGuard = false;
}

template <typename Command>
void MainWindow::runCommand(Command command) {
    if (m_busy) return;
    m_busy = true;
    mnuConProtSes->setEnabled(false);
    mnuConvrtAlbm->setEnabled(false);
    // The conversion reads the switch from its check mark.
    m_state.ramp.softRamping = mnuRampSofts->isChecked();
    command();
    mnuConProtSes->setEnabled(true);
    mnuConvrtAlbm->setEnabled(true);
    m_busy = false;
    if (m_closeRequested) close();
}

void MainWindow::mnuConProtSes_Click() {
    runCommand([this] {
        const SessionOutcome outcome = runSessionConversion(m_state, *m_host);
        const QString source = fileName(m_state.sourcePath);
        switch (outcome.status) {
            case SessionOutcome::Status::Cancelled:
                break;
            case SessionOutcome::Status::Converted:
                m_status->setText(tr("%1 converted to %2: %3 steps")
                                      .arg(source, fileName(outcome.targetPath))
                                      .arg(outcome.steps));
                break;
            case SessionOutcome::Status::Rejected:
            case SessionOutcome::Status::Failed:
                m_status->setText(tr("%1 was not converted").arg(source));
                break;
        }
    });
}

void MainWindow::mnuConvrtAlbm_Click() {
    runCommand([this] {
        const AlbumOutcome outcome = runAlbumConversion(m_state, *m_host);
        if (outcome.albumPath.empty()) return;
        int notFound = 0;
        for (const AlbumEntryOutcome& entry : outcome.entries)
            notFound += entry.found ? 0 : 1;
        const int failed = outcome.failed() - notFound;
        QString text = tr("Album %1: %2 converted, %3 not found")
                           .arg(fileName(outcome.albumPath))
                           .arg(outcome.converted())
                           .arg(notFound);
        if (failed > 0) text += tr(", %1 failed").arg(failed);
        if (outcome.stopped) text += tr(" (stopped)");
        m_status->setText(text);
    });
}

void MainWindow::mnuSetSoftTime_Click() {
    const int seconds = m_state.ramp.rampTime / 10;
    lblRmpTim->setText(QString::number(seconds));
    sldrRampTime->setValue(seconds);
    fraSetSoftRamp->show();
}

void MainWindow::sldrRampTime_Change(int value) {
    lblRmpTim->setText(QString::number(value));
}

void MainWindow::Command1_Click(int index) {
    if (index == 0) m_state.ramp.rampTime = static_cast<std::int16_t>(10 * sldrRampTime->value());
    fraSetSoftRamp->hide();
}

void MainWindow::mnuRampSofts_Click() {
    // Qt has already flipped a checkable item; undo that while start-up owns the check mark.
    if (rampToggleGuard) mnuRampSofts->setChecked(!mnuRampSofts->isChecked());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        // A command is at one of its event points: it ends before its next entry, and the
        // window closes when it has returned. A target being written is completed first.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    event->accept();
    // Unload every open window, newest first, and end the program without a question.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (*it != this && (*it)->isVisible()) (*it)->close();
    }
    QCoreApplication::quit();
}

}  // namespace z2o
