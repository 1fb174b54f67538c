// z2o: the Zendrel to Orvanel Session Converter window.
#include <QApplication>

#include "main_window.h"
#include "qt_host.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(z2o::kProgramTitle));
    QApplication::setApplicationVersion(QStringLiteral(Z2O_VERSION));
    z2o::MainWindow window;
    window.show();
    return QApplication::exec();
}
