// tessaprint: the window. With --demo it talks to the simulated instrument
// built into the program, under a settings scope and in a folder of its own.
#include "TessaprintVersion.h"
#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "app/DemoMode.h"
#include "app/QtSettingsStore.h"
#include "docs/DocumentOpener.h"
#include "history/HistoryDatabase.h"
#include "history/ReopeningHistoryStore.h"
#include "link/QtSerialDriver.h"
#include "util/QtClock.h"
#include "util/QtPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    using namespace tessaprint;
    QApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QApplication::setApplicationName(QStringLiteral("Tessaprint"));
    QApplication::setApplicationVersion(QLatin1String(kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Captures test results from a safety, defibrillator or "
                                                    "pacemaker analyzer."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Use the built-in simulated instrument (COM2 is shown as busy)."));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A saved capture (.txt) to open, as File > Open would."),
                                 QStringLiteral("[FILE]"));

    // --help and --version are answered before the window's application
    // object exists: that one needs a display, and these must work without.
    // Qt's own options (-platform, -style, ...) are unknown to this first
    // reading; the application object takes them out before the second.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    (void)parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object the usage cannot know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QFileInfo(arguments.first()).fileName());
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("tessaprint %s\n", kVersion);
        return 0;
    }

    QApplication app(argc, argv);
    parser.process(app);
    const bool demoMode = parser.isSet(demo);

    QtClock clock;
    QtSettingsStore settings(demoMode ? QStringLiteral("Tessaprint Demo") : QStringLiteral("Tessaprint"));
    QtPrompts prompts;

    std::unique_ptr<DemoMode> demoSetup;
    std::unique_ptr<SerialDriver> driver;
    if (demoMode) {
        const QString folder = DemoMode::DefaultFolder();
        if (folder.isEmpty()) {
            prompts.ShowError("The demo keeps what it writes in a folder of its own below your application data "
                              "folder, but this system names no such folder (is HOME set?).");
            return 1;
        }
        demoSetup = std::make_unique<DemoMode>(clock, folder);
    } else {
        // An unplugged adapter reaches the controller as a lost port, never as a silent instrument.
        auto serial = std::make_unique<QtSerialDriver>(QtSerialDriver::SettingsResolver(settings));
        serial->UseLineSettings(QtSerialDriver::SettingsLineSettings(settings));
        driver = std::move(serial);
    }

    CQuellmaxApp::Parts parts{demoSetup ? demoSetup->driver() : *driver, settings, prompts, clock};
    if (demoSetup) {
        // Its own ports, its history in memory (seeded with earlier tests of
        // the sample IDs) and its own folder for documents, the archive and
        // waiting captures: never the real ones.
        demoSetup->Configure(parts);
    } else {
        // The database the settings name, opened on the history's own thread
        // and again at each call while it cannot be reached. Read here, on
        // the window's thread, as the settings object belongs to it.
        const Result<history::HistoryDatabase> where = history::HistoryDatabaseFromSettings(settings);
        parts.historyStore = [where]() -> std::unique_ptr<history::HistoryStore> {
            return std::make_unique<history::ReopeningHistoryStore>(
                [where]() -> Result<std::unique_ptr<history::HistoryStore>> {
                    if (!where) {
                        return where.error();
                    }
                    return history::OpenHistoryStore(where.value());
                });
        };
        parts.historyQueueFile =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history-queue.json");
    }
    CQuellmaxApp tessaprint(parts);
    if (demoSetup) {
        demoSetup->Attach(tessaprint);
    }
    if (!tessaprint.InitInstance()) {
        return 1;
    }
    prompts.SetParent(tessaprint.frame());
    // A saved document opens in the desktop's word processor, when it has one.
    const DocumentOpener opener;
    tessaprint.controller()->SetDocumentOpener(
        [&opener](const std::string& path) { return opener.Open(QString::fromStdString(path)); });
    // "Open Reports Folder" at the end of All Data Sheets.
    tessaprint.controller()->SetFolderOpener(
        [&opener](const std::string& folder) { return opener.OpenFolder(QString::fromStdString(folder)); });
    if (demoMode) {
        tessaprint.frame()->setWindowTitle(QStringLiteral("Tessaprint (demo)"));
    }
    // A capture given on the command line (the file manager's "Open With")
    // opens once the window is there; one that cannot be read is said, and
    // the window stays.
    if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
        tessaprint.controller()->OpenNamedCapture(QFileInfo(files.first()).absoluteFilePath().toStdString());
    }
    const int status = QApplication::exec();
    tessaprint.ExitInstance();
    return status;
}
