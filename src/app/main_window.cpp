#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/batch_progress.h"
#include "app/qt_host.h"
#include "app/ramp_panel.h"
#include "app/results_list.h"
#include "app/session_loader.h"
#include "app/session_pane.h"
#include "app/session_view.h"

// The icons live in the window's static library, whose resources load only when asked for.
static void loadIconResources() {
    Q_INIT_RESOURCE(z2o);
}

namespace z2o {
namespace {

constexpr int kClientWidth = 459;
constexpr int kRowsWanted = 16;  // the rows a window grown for a library shows
constexpr int kClientHeight = 326;

bool isViewable(const QString& path) {
    return isSessionFile(path.toStdString());
}

// The status line's text, cut at the window's edge rather than widening it; its tooltip holds
// the whole of it.
class StatusText : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip) setToolTip(text());
        return QLabel::event(event);
    }
};

}  // namespace

MainWindow::MainWindow(Host* dialogs, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmZ2O"));
    setWindowTitle(QStringLiteral("Zendrel to Orvanel Session Converter"));
    loadIconResources();
    // The sizes a title bar and a task switcher draw; a desktop's launcher takes the installed
    // theme icons. Each is decoded as it is added and sent to the window system whole, so the
    // large ones would only slow the start.
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/z2o-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtHost>(this);
        dialogs = m_ownDialogs.get();
    }
    m_host = makeCommandHost(*dialogs);

    setCentralWidget(new QWidget(this));
    buildMenus();
    buildClientArea();
    buildRampPanel();
    buildStatusLine();
    // The client area proper, with the menu bar above it and the status line below.
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    // The panel whole; the menu bar and the status line add their own heights to this.
    const QRect panel = RampPanel::kGeometry;
    centralWidget()->setMinimumSize(panel.right() + 1 + panel.left(),
                                    panel.bottom() + 1 + panel.top());
    setAcceptDrops(true);
    startUp();
}

MainWindow::~MainWindow() = default;

const QString& MainWindow::viewedSession() const {
    return m_pane->shownPath();
}

void MainWindow::buildMenus() {
    // The captions as they always were, with access keys; the commands that start work have
    // the usual shortcuts.
    QMenu* mnuFiles = menuBar()->addMenu(QStringLiteral("&Files"));
    mnuFiles->setObjectName(QStringLiteral("mnuFiles"));
    mnuFiles->setAccessibleName(tr("Files"));
    mnuFiles->setAccessibleDescription(tr("Converting sessions and albums, and leaving"));
    mnuConProtSes = mnuFiles->addAction(QStringLiteral("Convert Zendrel &Session"));
    mnuConProtSes->setObjectName(QStringLiteral("mnuConProtSes"));
    mnuConProtSes->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuConvrtAlbm = mnuFiles->addAction(QStringLiteral("Convert Zendrel &Album"));
    mnuConvrtAlbm->setObjectName(QStringLiteral("mnuConvrtAlbm"));
    mnuConvrtAlbm->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    mnuFiles->addSeparator()->setObjectName(QStringLiteral("mnusep"));
    mnuExit = mnuFiles->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* mnuUtes = menuBar()->addMenu(QStringLiteral("&Utilities"));
    mnuUtes->setObjectName(QStringLiteral("mnuUtes"));
    mnuUtes->setAccessibleName(tr("Utilities"));
    mnuUtes->setAccessibleDescription(tr("The ramp settings of the conversions"));
    mnuSetSoftTime = mnuUtes->addAction(QStringLiteral("Set Soft(on/off) ramp &time"));
    mnuSetSoftTime->setObjectName(QStringLiteral("mnuSetSoftTime"));
    mnuRampSofts = mnuUtes->addAction(QStringLiteral("&Ramping during Soft(on/off)"));
    mnuRampSofts->setObjectName(QStringLiteral("mnuRampSofts"));

    QMenu* mnuHelp = menuBar()->addMenu(tr("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->setAccessibleName(tr("Help"));
    mnuHelp->setAccessibleDescription(tr("About this program"));
    mnuAbout = mnuHelp->addAction(tr("&About z2o"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    mnuAbout->setMenuRole(QAction::AboutRole);

    connect(mnuConProtSes, &QAction::triggered, this, &MainWindow::mnuConProtSes_Click);
    connect(mnuConvrtAlbm, &QAction::triggered, this, &MainWindow::mnuConvrtAlbm_Click);
    connect(mnuExit, &QAction::triggered, this, &MainWindow::close);
    connect(mnuSetSoftTime, &QAction::triggered, this, &MainWindow::mnuSetSoftTime_Click);
    connect(mnuRampSofts, &QAction::triggered, this, &MainWindow::mnuRampSofts_Click);
    // The check mark is the switch: conversions and the session view read it through the state.
    connect(mnuRampSofts, &QAction::toggled, this, [this](bool checked) {
        m_state.ramp.softRamping = checked;
        showRampStatus();
    });
    connect(mnuAbout, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
}

void MainWindow::buildClientArea() {
    // The list of this run's conversions above, the problems of the selected one under it, the
    // session view below.
    auto* splitter = new QSplitter(Qt::Vertical, centralWidget());
    splitter->setObjectName(QStringLiteral("clientSplitter"));
    splitter->setAccessibleName(tr("Conversions and session"));
    splitter->setAccessibleDescription(
        tr("The list of this run's conversions above the session of the selected one"));
    splitter->setChildrenCollapsible(false);
    lstResults = new ResultsList(splitter);
    m_details = new QPlainTextEdit(splitter);
    m_details->setObjectName(QStringLiteral("rowDetails"));
    m_details->setReadOnly(true);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_details->setTabChangesFocus(true);
    m_details->setAccessibleName(tr("Problems"));
    m_details->setAccessibleDescription(
        tr("What went wrong in the selected conversion: each error with its count and the "
           "messages shown"));
    m_details->hide();
    m_pane = new SessionPane(splitter);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setStretchFactor(2, 1);
    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    setTabOrder(lstResults, m_details);
    setTabOrder(m_details, m_pane->view());

    auto* viewFile = new QAction(tr("View Session File..."), this);
    viewFile->setObjectName(QStringLiteral("actViewSessionFile"));
    connect(viewFile, &QAction::triggered, this, &MainWindow::viewSessionFile);
    for (QWidget* widget : {static_cast<QWidget*>(lstResults), static_cast<QWidget*>(m_pane)}) {
        widget->setContextMenuPolicy(Qt::ActionsContextMenu);
        widget->addAction(viewFile);
    }
    // After a batch the first failed row is selected; F8 goes on to the next.
    auto* nextProblem = new QAction(tr("Next Problem"), this);
    nextProblem->setObjectName(QStringLiteral("actNextProblem"));
    nextProblem->setShortcut(Qt::Key_F8);
    lstResults->addAction(nextProblem);
    addAction(nextProblem);
    connect(nextProblem, &QAction::triggered, this, [this] {
        if (!lstResults->selectNextProblem()) m_status->setText(tr("No conversion has a problem."));
    });

    auto* fitColumns = new QAction(tr("Fit Columns"), this);
    fitColumns->setObjectName(QStringLiteral("actFitColumns"));
    connect(fitColumns, &QAction::triggered, this, [this] { fitToRows(true); });
    lstResults->addAction(fitColumns);
    connect(lstResults, &ResultsList::rowsShown, this, [this] { fitToRows(); });

    connect(lstResults, &QTreeWidget::itemSelectionChanged, this, &MainWindow::showSelectedRow);
    connect(lstResults, &ResultsList::openRowFolder, this, &MainWindow::openRowFolder);
}

void MainWindow::buildRampPanel() {
    fraSetSoftRamp = new RampPanel(m_state.ramp, centralWidget());
    connect(fraSetSoftRamp, &RampPanel::closed, this, &MainWindow::showRampStatus);
}

void MainWindow::buildStatusLine() {
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setAccessibleName(tr("Status line"));
    statusBar()->setAccessibleDescription(
        tr("What the last command did, the progress of a batch and the ramp settings"));
    statusBar()->setSizeGripEnabled(false);
    // A label rather than a temporary message: hovering a menu item would wipe that.
    m_status = new StatusText(statusBar());
    m_status->setObjectName(QStringLiteral("statusText"));
    m_status->setAccessibleName(tr("Status"));
    m_status->setAccessibleDescription(tr("What the last command did, or the session it converts"));
    // A long name is cut rather than widening the window; fitToRows widens it for a summary.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_status, 1);
    m_progress = new BatchProgress(statusBar());
    statusBar()->addPermanentWidget(m_progress);
    connect(m_progress, &BatchProgress::stopRequested, this, [this] { m_stopRequested = true; });
    // Escape stops a batch; only while one runs, so that it closes the ramp panel otherwise.
    m_stopAction = new QAction(tr("Stop"), this);
    m_stopAction->setObjectName(QStringLiteral("actStopBatch"));
    m_stopAction->setShortcut(Qt::Key_Escape);
    m_stopAction->setEnabled(false);
    addAction(m_stopAction);
    connect(m_stopAction, &QAction::triggered, m_progress, &BatchProgress::stop);
    m_rampStatus = new QLabel(statusBar());
    m_rampStatus->setObjectName(QStringLiteral("rampStatus"));
    m_rampStatus->setAccessibleName(tr("Ramp settings"));
    m_rampStatus->setAccessibleDescription(tr("The ramp time and the soft-ramping switch"));
    statusBar()->addPermanentWidget(m_rampStatus);
}

void MainWindow::startUp() {
    m_state.ramp = RampSettings{};
    // The first dialog of a run opens where the user's files are; a folder that has vanished
    // since still falls back to the program's folder.
    m_state.lastFolder = QDir::toNativeSeparators(QDir::homePath()).toStdString();
    rampToggleGuard = true;
    mnuRampSofts->setCheckable(true);
    mnuRampSofts->setChecked(true);
    rampToggleGuard = false;
    showRampStatus();
}

void MainWindow::showSelectedRow() {
    const ConversionRow* row =
        lstResults->selectedItems().isEmpty() ? nullptr : lstResults->currentRow();
    const QString details = row ? detailsText(*row) : QString();
    m_details->setPlainText(details);
    // As high as its lines wrap at the list's width, up to a few.
    const int margins =
        2 * (m_details->frameWidth() + static_cast<int>(m_details->document()->documentMargin()));
    const QFontMetrics metrics = m_details->fontMetrics();
    const int textHeight = metrics
                               .boundingRect(QRect(0, 0, lstResults->width() - margins, 1 << 20),
                                             Qt::TextWordWrap, details)
                               .height();
    m_details->setMaximumHeight(std::min(textHeight, 8 * metrics.lineSpacing()) + margins + 2);
    m_details->setVisible(!details.isEmpty());
    if (row) {
        m_pane->showRow(*row);
    } else {
        m_pane->showHint(tr("Select a conversion to see its steps."));
    }
}

void MainWindow::openRowFolder(const ConversionRow& row) {
    const QString folder =
        QFileInfo(row.targetPath.isEmpty() ? row.sourcePath : row.targetPath).absolutePath();
    if (!QFileInfo(folder).isDir() || !QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        m_status->setText(
            tr("The folder %1 cannot be opened").arg(QDir::toNativeSeparators(folder)));
    }
}

void MainWindow::fitToRows(bool asked) {
    if (asked) {
        lstResults->fitColumns();
    } else {
        if (m_fit.done) return;
        // Once the first command that brought rows has ended, only the user sizes the window.
        QMetaObject::invokeMethod(
            this, [this] { m_fit.done = m_fit.done || !m_busy; }, Qt::QueuedConnection);
        if (m_fit.userSized) return;
    }
    if (isMaximized() || isFullScreen()) return;
    const int wanted = width() + std::max({0, lstResults->fittingWidth() - lstResults->width(),
                                           m_status->sizeHint().width() - m_status->width()});
    // A library brings more rows than a few: room for a screenful of them, as far as it goes.
    const int rowHeight = std::max(1, lstResults->sizeHintForRow(0));
    const int rows = std::min(lstResults->topLevelItemCount(), kRowsWanted);
    const int taller = height() + std::max(0, rows * rowHeight - lstResults->viewport()->height());
    if (wanted <= width() && taller <= height()) return;
    // Larger by as much, as far as the screen allows, and moved if it would leave it.
    const QRect screen = this->screen()->availableGeometry();
    QRect frame = frameGeometry();
    const QSize decoration = frame.size() - size();
    frame.setSize(QSize(std::min(std::max(wanted, width()) + decoration.width(), screen.width()),
                        std::min(taller + decoration.height(), screen.height())));
    if (frame.right() > screen.right()) frame.moveRight(screen.right());
    if (frame.bottom() > screen.bottom()) frame.moveBottom(screen.bottom());
    if (frame.left() < screen.left()) frame.moveLeft(screen.left());
    if (frame.top() < screen.top()) frame.moveTop(screen.top());
    const bool grows = taller > height();
    m_fit.resizing = true;
    if (isVisible() && frame.topLeft() != pos()) move(frame.topLeft());
    resize(frame.size() - decoration);
    m_fit.resizing = false;
    if (!grows) return;
    // The height gained goes to the list, once the layout has it, as far as the view can spare.
    const int listHeight =
        rows * rowHeight + lstResults->header()->height() + 2 * lstResults->frameWidth();
    QMetaObject::invokeMethod(
        this,
        [this, listHeight] {
            auto* splitter = findChild<QSplitter*>(QStringLiteral("clientSplitter"));
            QList<int> sizes = splitter->sizes();
            const int spare = sizes[2] - m_pane->minimumSizeHint().height();
            const int give = std::min(listHeight - sizes[0], spare);
            if (give <= 0) return;
            sizes[0] += give;
            sizes[2] -= give;
            splitter->setSizes(sizes);
        },
        Qt::QueuedConnection);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The first size shown is the window's own; any later one that fitToRows did not ask for
    // is the user's, or the window manager's on the user's behalf.
    if (isVisible() && !m_fit.resizing && event->oldSize().isValid() &&
        event->oldSize() != event->size())
        m_fit.userSized = true;
}

void MainWindow::showSession(const QString& path) {
    if (isViewable(path)) m_pane->showFile(path, m_state.ramp);
}

void MainWindow::viewSessionFile() {
    if (m_busy) return;
    if (!lstResults->selectedItems().isEmpty()) {
        if (const ConversionRow* row = lstResults->currentRow()) {
            if (row->outcome == ConversionRow::Outcome::Converted) {
                m_pane->showRow(*row);
                return;
            }
            // A source that was not reached, or not converted for a reason outside it, still
            // shows its steps as a conversion would plan them.
            if (isViewable(row->sourcePath) && m_pane->showFile(row->sourcePath, m_state.ramp))
                return;
            m_pane->showRow(*row);
            const QString name = QFileInfo(row->sourcePath).fileName();
            m_status->setText(
                row->outcome == ConversionRow::Outcome::NotFound
                    ? tr("%1 was not found: there is no session to view").arg(name)
                    : tr("%1 was not converted: there is no Orvanel session to view").arg(name));
            return;
        }
    }
    OpenDialogSettings settings{
        "Orvanel or Zendrel Session", "*.OSw *.ZS2", "*.OSw", tr("View session file").toStdString(),
        m_state.lastFolder,           kOpenFlags,    false};
    if (const auto picked = m_host->showOpen(settings)) {
        showSession(QString::fromStdString(picked->fileName));
    }
}

void MainWindow::mnuSetSoftTime_Click() {
    fraSetSoftRamp->open();
}

void MainWindow::mnuRampSofts_Click() {
    // Qt has already flipped a checkable item; undo that while start-up owns the check mark.
    if (rampToggleGuard) mnuRampSofts->setChecked(!mnuRampSofts->isChecked());
}

void MainWindow::showRampStatus() {
    if (!m_rampStatus) return;
    const int seconds = m_state.ramp.rampTime / 10;
    if (seconds == 0) {
        // With no ramp time the switch changes nothing.
        m_rampStatus->setText(tr("Ramps off"));
    } else {
        m_rampStatus->setText(mnuRampSofts->isChecked()
                                  ? tr("Ramp %1 s, soft ramping on").arg(seconds)
                                  : tr("Ramp %1 s, soft ramping off").arg(seconds));
    }
}

void MainWindow::mnuAbout_Click() {
    QMessageBox::about(
        this, tr("About z2o"),
        tr("<p><b>z2o %1</b></p><p>Converts Zendrel sessions and albums into Orvanel "
           "sessions.</p><p>License: MIT</p><p>Built with Qt %2, running on Qt %3.</p>"
           "<p>Qt is licensed under the GNU Lesser General Public License version 3 "
           "(LGPL-3.0). Its source: %4.</p>")
            .arg(QStringLiteral(Z2O_VERSION), QStringLiteral(QT_VERSION_STR),
                 QString::fromLatin1(qVersion()), QStringLiteral(Z2O_QT_SOURCE)));
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
