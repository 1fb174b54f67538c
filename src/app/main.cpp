// z2o: the Zendrel to Orvanel Session Converter window.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/termination_signal.h"

namespace {

// --help and --version are answered before any window system is needed, so they work on a
// machine without a display. Returns the files to convert, or the exit status.
std::optional<int> parseArguments(int argc, char** argv, QStringList& files) {
    // Nothing to parse on a plain start, so that it costs nothing.
    if (argc < 2) return std::nullopt;
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts Zendrel sessions (ZS2) and albums (ZA2) into Orvanel sessions (OSw).\n"
        "Each FILE is converted in order once the window shows: a session as an album entry "
        "is, an album as the album command converts it, a folder with every session below "
        "it."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A session, an album or a folder."),
                                 QStringLiteral("[FILE...]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "z2o: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("z2o %s\n", Z2O_VERSION);
        return 0;
    }
    files = parser.positionalArguments();
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QString::fromLatin1(z2o::kProgramTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(Z2O_VERSION));
    QStringList files;
    if (const auto status = parseArguments(argc, argv, files)) return *status;

    QApplication app(argc, argv);
    z2o::MainWindow window;
    QApplication::setWindowIcon(window.windowIcon());
    z2o::closeOnTerminationSignal(window);
    window.show();
    if (!files.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, &files] { window.openFiles(files); });
    }
    return QApplication::exec();
}
