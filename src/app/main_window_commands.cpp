// The window's commands: converting what the menus pick, or a drop or the command line hands
// over, with the conversion menu items disabled meanwhile, progress in the status line and a row
// for each session as its outcome is final. Each command holds its own batch and returns what it
// decided; nothing of one command decides what another does.
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "album/album.h"
#include "album/folder.h"
#include "app/batch_progress.h"
#include "app/main_window.h"
#include "app/results_list.h"
#include "app/session_loader.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/file_kind.h"
#include "convert/pick_file.h"

namespace z2o {
namespace {

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

std::string nativePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
}

// What a drop or the command line may hand over: a folder, or a session or an album.
bool isConvertible(const QString& path) {
    const PathKind kind = pathKindOf(nativePath(path));
    return kind == PathKind::Folder || kind == PathKind::Session || kind == PathKind::Album;
}

bool isViewable(const QString& path) {
    return isSessionFile(path.toStdString());
}

QStringList localPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime) return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    return paths;
}

// The batches that are ours (a drop, the command line, the file manager) never stop to ask:
// every message is answered at once, as a user who wants the rest converted would, and lands in
// its row, whose details show it.
class QueueHost : public Host {
  public:
    explicit QueueHost(Host& window) : m_window(window) {}
    std::optional<PickedFile> showOpen(const OpenDialogSettings&) override { return {}; }
    std::int32_t showMessage(const Message&) override { return kAnswerOk; }
    void processEvents() override { m_window.processEvents(); }
    StopCause stopHere() override { return m_window.stopHere(); }
    std::string programFolder() override { return m_window.programFolder(); }
    bool asksUser() override { return false; }
    void batchProgress(int index, int count, const std::string& path) override {
        m_window.batchProgress(index, count, path);
    }
    void sessionDone(const SessionOutcome& outcome) override { m_window.sessionDone(outcome); }

  private:
    Host& m_window;
};

}  // namespace

// What the menu commands see: the dialogs and messages of the window's host, the user's Stop
// or close between sessions, progress in the status line and a row for each session.
class MainWindow::CommandHost : public Host {
  public:
    CommandHost(MainWindow& window, Host& dialogs) : m_window(window), m_dialogs(dialogs) {}

    std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) override {
        return m_dialogs.showOpen(settings);
    }
    std::int32_t showMessage(const Message& message) override {
        return m_dialogs.showMessage(message);
    }
    void processEvents() override { m_dialogs.processEvents(); }
    // Stop, or closing the window, ends a batch before its next session.
    StopCause stopHere() override {
        return m_window.m_stopRequested || m_window.m_closeRequested ? StopCause::Request
                                                                     : StopCause::None;
    }
    std::string programFolder() override { return m_dialogs.programFolder(); }
    void batchProgress(int index, int count, const std::string& path) override {
        m_index = index;
        m_count = count;
        m_window.m_status->setText(
            tr("Converting %1 of %2: %3").arg(index).arg(count).arg(fileName(path)));
        m_window.m_progress->setProgress(index - 1, count);
    }
    void sessionDone(const SessionOutcome& outcome) override {
        if (outcome.sourcePath.empty()) return;  // the dialog was cancelled
        m_window.lstResults->addRow(rowFor(outcome, m_window.m_state.ramp));
        if (m_count > 0) m_window.m_progress->setProgress(m_index, m_count);
    }

  private:
    MainWindow& m_window;
    Host& m_dialogs;
    int m_index = 0;
    int m_count = 0;
};

std::unique_ptr<Host> MainWindow::makeCommandHost(Host& dialogs) {
    return std::make_unique<CommandHost>(*this, dialogs);
}

template <typename Command>
void MainWindow::runCommand(Command command) {
    if (m_busy) return;
    m_busy = true;
    m_stopRequested = false;
    mnuConProtSes->setEnabled(false);
    mnuConvrtAlbm->setEnabled(false);
    m_stopAction->setEnabled(true);
    command();
    lstResults->showNewRows();
    m_stopAction->setEnabled(false);
    m_progress->finish();
    mnuConProtSes->setEnabled(true);
    mnuConvrtAlbm->setEnabled(true);
    m_busy = false;
    if (m_closeRequested) close();
}

void MainWindow::showSummary(const QString& label, const BatchOutcome& outcome) {
    for (const Message& problem : outcome.problems) {
        ConversionRow row(ConversionRow::Outcome::NotConverted,
                          QString::fromStdString(problem.subject()),
                          QString::fromStdString(problem.description));
        row.messages = {problem};
        lstResults->addRow(std::move(row));
    }
    for (const std::string& path : outcome.notReached)
        lstResults->addRow(
            ConversionRow(ConversionRow::Outcome::Stopped, QString::fromStdString(path)));
    const QString text = summaryText(label, outcome.counts(), outcome.notReached.size(),
                                     outcome.stop != StopCause::None);
    m_status->setText(text);
    m_status->setToolTip(text);
    m_progress->finish();
    lstResults->selectNextProblem(true);
}

void MainWindow::mnuConProtSes_Click() {
    runCommand([this] {
        const SessionOutcome outcome = runSessionConversion(m_state, *m_host);
        if (outcome.sourcePath.empty()) return;  // the dialog was cancelled
        m_status->setText(statusText(rowFor(outcome, m_state.ramp)));
    });
}

void MainWindow::mnuConvrtAlbm_Click() {
    runCommand([this] {
        const BatchOutcome outcome = runAlbumConversion(m_state, *m_host);
        if (outcome.label.empty()) return;
        showSummary(tr("Album %1").arg(fileName(outcome.label)), outcome);
    });
}

bool MainWindow::openFiles(const QStringList& paths) {
    if (m_busy) return false;
    runCommand([&] {
        QueueHost queue(*m_host);
        Batch batch(queue, m_state.ramp);
        std::vector<std::string> items;
        for (const QString& path : paths)
            items.push_back(nativePath(path));
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string& path = items[i];
            if (batch.stopped()) {
                batch.stop(batch.outcome().stop, std::span(items).subspan(i));
                break;
            }
            switch (pathKindOf(path)) {
                case PathKind::Missing:
                    batch.notFound(path, runError(kFileNotFound));
                    break;
                case PathKind::Other:
                    batch.commit();  // the rows before it first
                    // Converting any file that happens to be dropped would write an OSw file
                    // beside it; only what is named as a session is taken.
                    lstResults->addRow(ConversionRow(ConversionRow::Outcome::NotConverted,
                                                     QString::fromStdString(path),
                                                     tr("not a session, album or folder")));
                    break;
                case PathKind::Folder:
                    convertFolder(batch, path);
                    break;
                case PathKind::Album:
                    // As with an album picked in the dialog, the next dialog opens in its folder.
                    rememberFolderOf(m_state, path);
                    convertAlbum(m_state, batch, path);
                    break;
                case PathKind::Session:
                    convertSessions(batch, {path});
                    break;
            }
        }
        const BatchOutcome outcome = batch.finish();
        const QString label = paths.size() == 1 ? QFileInfo(paths.front()).fileName()
                                                : tr("%1 items").arg(paths.size());
        showSummary(label, outcome);
    });
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    const bool view = event->modifiers() & Qt::ControlModifier;
    const bool wanted = std::any_of(paths.begin(), paths.end(), view ? isViewable : isConvertible);
    // Refused while a command runs, so the cursor shows that the drop would do nothing.
    if (wanted && !m_busy) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    if (m_busy || paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (event->modifiers() & Qt::ControlModifier) {
        for (const QString& path : paths) {
            if (isViewable(path)) return showSession(path);
        }
        return;
    }
    // The drag's source waits for the drop to return; convert once it has.
    QMetaObject::invokeMethod(
        this, [this, paths] { openFiles(paths); }, Qt::QueuedConnection);
}

}  // namespace z2o
