// A bare Qt main window: the baseline for the converter window's start-up time and memory.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt Window"));
    window.resize(459, 326);
    window.show();
    return QApplication::exec();
}
