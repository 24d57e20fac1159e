// The start procedure of the QVX-720 monitor.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include "program.h"
#include "qt_texts.h"
#include "realistic_mix.h"
#include "startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QVX-720 Monitor"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Put every COM port on the built-in simulated controller line."));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Folder for Logging, History, Setdata and the chart files."),
                                     QStringLiteral("folder"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Settings file to use instead of the user's own."),
                                      QStringLiteral("file"));
    parser.addOption(simulate);
    parser.addOption(dataDir);
    parser.addOption(settings);
    parser.process(app);

    qvx::ProgramOptions options;
    options.programFolder = qvx::resolveProgramFolder(
        parser.value(dataDir), QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    options.helpFolder = QCoreApplication::applicationDirPath();
    options.settingsPath = parser.isSet(settings) ? parser.value(settings) : qvx::SettingsStore::defaultPath();
    options.simulatedLine = qvx::sim::realisticSimulatedLine();
    options.simulateAllPorts = parser.isSet(simulate);

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
