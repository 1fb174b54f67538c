// z2o: the Zendrel to Orvanel Session Converter window.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/termination_signal.h"

namespace {

// The options that any Qt program takes, which the parser must let through to Qt. The X11
// aliases are taken everywhere and handed on as the names every platform knows.
struct QtOption {
    const char* name;
    const char* valueName;  // null for a switch
    const char* description;
    const char* qtName = nullptr;  // the name handed to Qt, when it is not `name`
};

constexpr QtOption kQtOptions[] = {
    {"platform", "name[:options]", "The platform plugin, such as xcb, wayland or offscreen."},
    {"platformpluginpath", "path", "Where to look for platform plugins."},
    {"platformtheme", "theme", "The platform theme."},
    {"plugin", "plugin", "A further plugin to load; may be given more than once."},
    {"style", "style", "The widget style, such as Fusion."},
    {"stylesheet", "file", "A style sheet to apply to the window."},
    {"qwindowgeometry", "geometry", "The window's size and place, as in 800x600+20+20."},
    {"geometry", "geometry", "The same as --qwindowgeometry.", "qwindowgeometry"},
    {"qwindowicon", "icon", "The window's icon."},
    {"icon", "icon", "The same as --qwindowicon.", "qwindowicon"},
    {"qwindowtitle", "title", "The window's title."},
    {"title", "title", "The same as --qwindowtitle.", "qwindowtitle"},
    {"display", "display", "The X display to use instead of $DISPLAY."},
    {"name", "name", "The X instance name."},
    {"visual", "id", "The X visual to use."},
    {"session", "session", "Restores the program from an earlier desktop session."},
    {"reverse", nullptr, "Lays the window out from right to left."},
    {"widgetcount", nullptr, "Prints how many widgets were left at the end."},
    {"nograb", nullptr, "Never grabs the mouse or the keyboard (for debuggers)."},
    {"dograb", nullptr, "Grabs the mouse and the keyboard even under a debugger."},
    {"sync", nullptr, "Talks to the X server synchronously (for debugging)."},
};

struct Arguments {
    QStringList files;
    std::vector<std::string> qtArguments;  // for QApplication, after the program's name
};

// `withQtOptions` lists Qt's options in the help as well, for --help-all.
void defineOptions(QCommandLineParser& parser, bool withQtOptions) {
    // "-style" is one option, as Qt spells it, rather than the letters s, t, y, l and e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Converts Zendrel sessions (ZS2) and albums (ZA2) into Orvanel sessions (OSw).\n"
        "Each FILE is converted in order once the window shows, as one batch that asks "
        "nothing: a session, every session an album lists, every session below a folder. What "
        "goes wrong shows in the rows of the window's list."));
    parser.addHelpOption();
    // -V as z2o-convert and z2o-inspect spell it.
    parser.addOption(QCommandLineOption({QStringLiteral("V"), QStringLiteral("version")},
                                        QStringLiteral("Displays version information.")));
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString::fromLatin1(qt.description),
                                  qt.valueName ? QString::fromLatin1(qt.valueName) : QString());
        if (!withQtOptions) option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A session, an album or a folder."),
                                 QStringLiteral("[FILE...]"));
}

// The Qt options given, in Qt's own spelling: one dash, the value as the next argument. Their
// order among each other does not matter to Qt; the values of one option keep theirs.
std::vector<std::string> qtArguments(const QCommandLineParser& parser) {
    std::vector<std::string> arguments;
    for (const QtOption& qt : kQtOptions) {
        const QString name = QString::fromLatin1(qt.name);
        if (!parser.isSet(name)) continue;
        const std::string spelling = std::string("-") + (qt.qtName ? qt.qtName : qt.name);
        if (!qt.valueName) {
            arguments.push_back(spelling);
            continue;
        }
        for (const QString& value : parser.values(name)) {
            arguments.push_back(spelling);
            arguments.push_back(value.toLocal8Bit().toStdString());
        }
    }
    return arguments;
}

// --help and --version are answered before any window system is needed, so they work on a
// machine without a display. Returns the exit status when the program ends here.
std::optional<int> parseArguments(int argc, char** argv, Arguments& arguments) {
    // Nothing to parse on a plain start, so that it costs nothing.
    if (argc < 2) return std::nullopt;
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    defineOptions(parser, false);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "z2o: %s\nTry 'z2o --help' for more information.\n",
                     qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser all;
        defineOptions(all, true);
        std::fputs(qPrintable(all.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("z2o %s\n", Z2O_VERSION);
        return 0;
    }
    arguments.files = parser.positionalArguments();
    arguments.qtArguments = qtArguments(parser);
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QString::fromLatin1(z2o::kProgramTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(Z2O_VERSION));
    Arguments arguments;
    if (const auto status = parseArguments(argc, argv, arguments)) return *status;

    // Qt reads only its own options, in its own spelling; the files are the window's.
    std::vector<char*> qtArgv{argv[0]};
    for (std::string& argument : arguments.qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArgv.size()) - 1;
    QApplication app(qtArgc, qtArgv.data());
    z2o::MainWindow window;
    QApplication::setWindowIcon(window.windowIcon());
    z2o::closeOnTerminationSignal(window);
    window.show();
    const QStringList& files = arguments.files;
    if (!files.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, &files] { window.openFiles(files); });
    }
    return QApplication::exec();
}
