// The window's commands: converting what the menus pick, or a drop or the command line hands
// over, with the conversion menu items disabled meanwhile, progress in the status line and a row
// for each session taken up.
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "album/folder.h"
#include "app/batch_progress.h"
#include "app/main_window.h"
#include "app/results_list.h"
#include "app/session_loader.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/file_kind.h"

namespace z2o {
namespace {

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

FileKind kindOf(const QString& path) {
    return fileKindOf(path.toStdString());
}

// What a drop or the command line may hand over: a folder, or a session or an album.
bool isConvertible(const QString& path) {
    const FileKind kind = kindOf(path);
    return QFileInfo(path).isDir() || kind == FileKind::Session || kind == FileKind::Album;
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

}  // namespace

// What the commands see: the dialogs and messages of the window's host, plus the user's wish
// to end the program or to stop a batch, progress in the status line and a row for each
// session taken up.
class MainWindow::CommandHost : public Host {
  public:
    CommandHost(MainWindow& window, Host& dialogs) : m_window(window), m_dialogs(dialogs) {}

    std::optional<PickedFile> showOpen(const OpenDialogSettings& settings) override {
        return m_dialogs.showOpen(settings);
    }
    std::int32_t showMessage(const Message& message) override {
        // Once the user has asked to end, nothing more is asked: the run only winds down.
        if (m_window.m_closeRequested) {
            return message.buttons == Buttons::OkCancel ? kAnswerCancel : kAnswerOk;
        }
        return m_dialogs.showMessage(message);
    }
    // A batch asks this before each session: Stop ends it there, as Cancel would.
    bool processEvents() override {
        return m_dialogs.processEvents() && !m_window.m_closeRequested && !m_window.m_stopRequested;
    }
    std::string programFolder() override { return m_dialogs.programFolder(); }
    void albumProgress(int index, int count, const std::string& path) override {
        m_index = index;
        m_count = count;
        m_window.m_status->setText(
            tr("Converting %1 of %2: %3").arg(index).arg(count).arg(fileName(path)));
        m_window.m_progress->setProgress(index - 1, count);
    }
    void albumSessionDone(const SessionOutcome& outcome) override {
        m_window.addRow(rowFor(outcome, m_window.m_state.ramp));
        m_window.m_progress->setProgress(m_index, m_count);
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
    const FolderSyncBatch batch;  // each folder that received a target is synced once, at the end
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

void MainWindow::addRow(ConversionRow row) {
    m_lastRow = row;
    lstResults->addRow(std::move(row));
}

void MainWindow::showBatchStatus(bool album, const AlbumOutcome& outcome) {
    for (const std::string& path : outcome.notReached) {
        addRow(ConversionRow(ConversionRow::Outcome::Stopped, QString::fromStdString(path)));
    }
    const int notFound = outcome.notFound();
    const int failed = outcome.failed() - notFound;
    const QString name = fileName(outcome.albumPath);
    QString text = album ? tr("Album %1: %2 converted, %3 not found")
                               .arg(name)
                               .arg(outcome.converted())
                               .arg(notFound)
                         : tr("Folder %1: %2 converted").arg(name).arg(outcome.converted());
    if (failed > 0) text += tr(", %1 failed").arg(failed);
    if (outcome.stopped) text += tr(" (stopped)");
    m_status->setText(text);
    m_progress->finish();
}

void MainWindow::mnuConProtSes_Click() {
    runCommand([this] {
        const SessionOutcome outcome = runSessionConversion(m_state, *m_host);
        if (outcome.sourcePath.empty()) return;  // the dialog was cancelled
        addRow(rowFor(outcome, m_state.ramp));
        m_status->setText(statusText(m_lastRow));
    });
}

void MainWindow::mnuConvrtAlbm_Click() {
    runCommand([this] {
        const AlbumOutcome outcome = runAlbumConversion(m_state, *m_host);
        if (outcome.albumPath.empty()) return;
        showBatchStatus(true, outcome);
    });
}

void MainWindow::openSession(const QString& path) {
    const std::string source = QDir::toNativeSeparators(path).toStdString();
    const AlbumOutcome outcome = runSessionBatch(m_state, *m_host, source, {source});
    if (!outcome.entries.empty()) m_status->setText(statusText(m_lastRow));
}

void MainWindow::openAlbum(const QString& path) {
    // As with an album picked in the dialog, the next dialog opens in its folder.
    m_state.lastFolder = QDir::toNativeSeparators(QFileInfo(path).absolutePath()).toStdString();
    showBatchStatus(true,
                    convertAlbum(m_state, *m_host, QDir::toNativeSeparators(path).toStdString()));
}

void MainWindow::openFolder(const QString& path) {
    const AlbumOutcome outcome =
        runFolderConversion(m_state, *m_host, QDir::toNativeSeparators(path).toStdString());
    showBatchStatus(false, outcome);
}

bool MainWindow::openFiles(const QStringList& paths) {
    if (m_busy) return false;
    runCommand([&] {
        for (qsizetype i = 0; i < paths.size() && !m_closeRequested; ++i) {
            const QString path = QFileInfo(paths[i]).absoluteFilePath();
            // Cancel in a message or Stop ends what was handed over, not only the one file; what
            // it did not reach is listed as a batch lists it.
            if (m_stopRequested || m_state.lastAnswer == kAnswerCancel) {
                addRow(ConversionRow(ConversionRow::Outcome::Stopped, path));
                continue;
            }
            if (!QFileInfo::exists(path)) {
                addRow(ConversionRow(ConversionRow::Outcome::NotFound, path));
                m_status->setText(tr("%1 was not found").arg(QFileInfo(path).fileName()));
            } else if (!isConvertible(path)) {
                // Converting any file that happens to be dropped would write an OSw file
                // beside it; only what is named as a session is taken.
                addRow(ConversionRow(ConversionRow::Outcome::NotConverted, path,
                                     tr("not a session, album or folder")));
            } else if (QFileInfo(path).isDir()) {
                openFolder(path);
            } else if (kindOf(path) == FileKind::Album) {
                openAlbum(path);
            } else {
                openSession(path);
            }
        }
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
