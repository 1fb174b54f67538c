// A stock Qt window with what the converter window must show at its start: three menus, a status
// line and a six-column tree with a greyed hint in it. The baseline for the converter window's
// start-up time and memory, so that only what the converter adds to that is counted.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Stock Qt Window"));

    QMenu* files = window.menuBar()->addMenu(QStringLiteral("Files"));
    files->addAction(QStringLiteral("Convert Zendrel Session"));
    files->addAction(QStringLiteral("Convert Zendrel Album"));
    files->addSeparator();
    QObject::connect(files->addAction(QStringLiteral("Exit")), &QAction::triggered, &window,
                     &QMainWindow::close);
    QMenu* utilities = window.menuBar()->addMenu(QStringLiteral("Utilities"));
    utilities->addAction(QStringLiteral("Set Soft(on/off) ramp time"));
    QAction* ramping = utilities->addAction(QStringLiteral("Ramping during Soft(on/off)"));
    ramping->setCheckable(true);
    ramping->setChecked(true);
    window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));

    auto* tree = new QTreeWidget(&window);
    tree->setHeaderLabels({QStringLiteral("Source"), QStringLiteral("Folder"),
                           QStringLiteral("Target"), QStringLiteral("Steps"),
                           QStringLiteral("Playing time"), QStringLiteral("Outcome")});
    tree->setRootIsDecorated(false);
    auto* hint = new QLabel(QStringLiteral(
        "Use the Files menu, or drop sessions, albums or folders here, to convert them."));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    hint->setEnabled(false);
    auto* layout = new QVBoxLayout(tree->viewport());
    layout->addWidget(hint);
    window.setCentralWidget(tree);

    auto* status = new QLabel(QStringLiteral("Soft ramps: 5 s"));
    window.statusBar()->addWidget(status, 1);
    window.resize(
        459, 326 + window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height());
    window.show();
    return QApplication::exec();
}
