// The start procedure of the QVX-720 monitor.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#include "program.h"
#include "qt_texts.h"
#include "realistic_mix.h"
#include "startup.h"

namespace {

const QString kApplicationName = QStringLiteral("QVX-720 Monitor");

struct Options {
    QCommandLineParser parser;
    const QCommandLineOption simulate{QStringLiteral("simulate"),
                                      QStringLiteral("Put every COM port on the built-in simulated controller line.")};
    const QCommandLineOption dataDir{QStringLiteral("data-dir"),
                                     QStringLiteral("Folder for Logging, History, Setdata and the chart files."),
                                     QStringLiteral("folder")};
    const QCommandLineOption settings{QStringLiteral("settings"),
                                      QStringLiteral("Settings file to use instead of the user's own."),
                                      QStringLiteral("file")};
    Options() {
        parser.addHelpOption();
        parser.addOption(simulate);
        parser.addOption(dataDir);
        parser.addOption(settings);
    }
};

// The options read, and --help answered, before the window system is needed.
// The window system's own options (-platform, -display, ...) are not known
// yet: an option that is not ours is reported once the application has taken
// out its own. --help-all, which lists those too, waits for the application
// when there is to be one. Returns the parser's complaint when the options do
// not parse.
QString answerOptionsWithoutWindows(int argc, char** argv, bool windowsFollow) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(kApplicationName);
    Options o;
    const bool parsed = o.parser.parse(QCoreApplication::arguments());
    if (o.parser.isSet(QStringLiteral("help"))) o.parser.showHelp(0);
    if (!parsed) return o.parser.errorText();
    if (!windowsFollow) o.parser.process(core);  // --help-all
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const QString noDisplay = qvx::Program::noDisplayReason(args, QProcessEnvironment::systemEnvironment());
    const QString notParsed = answerOptionsWithoutWindows(argc, argv, noDisplay.isEmpty());
    if (!noDisplay.isEmpty()) {
        // A start that needs the window, with none to open it on.
        const QString name = QFileInfo(args.value(0, QStringLiteral("qvx720"))).fileName();
        const QString line = name + QStringLiteral(": ") +
                             (notParsed.isEmpty() ? QStringLiteral("cannot open the window: ") + noDisplay : notParsed);
        std::fprintf(stderr, "%s\n", qPrintable(line));
        return 1;
    }

    const std::unique_ptr<QApplication> app = qvx::Program::makeApplication(argc, argv);
    QApplication::setApplicationName(kApplicationName);
    Options o;
    o.parser.process(*app);

    qvx::ProgramOptions options;
    options.programFolder = qvx::resolveProgramFolder(
        o.parser.value(o.dataDir), QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    options.helpFolder = QCoreApplication::applicationDirPath();
    options.settingsPath = o.parser.isSet(o.settings) ? o.parser.value(o.settings) : qvx::SettingsStore::defaultPath();
    options.simulatedLine = qvx::sim::realisticSimulatedLine();
    options.simulateAllPorts = o.parser.isSet(o.simulate);

    const qvx::StringTable strings = qvx::StringTable::forLocale();
    // Qt's own buttons and dialogs speak the language of the table.
    const qvx::QtOwnTexts qtTexts(strings.language());
    qvx::QtUiSeam ui;
    qvx::Program program(options, strings, ui);
    // A logout, a shutdown or `kill` ends the program as its exit does.
    program.watchExitSignals();
    program.Main();
    return QApplication::exec();
}
