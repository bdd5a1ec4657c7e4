// tessaprint: the window. With --demo it talks to the simulated instrument
// built into the program, under a settings scope of its own.
#include "TessaprintVersion.h"
#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "app/DemoHistory.h"
#include "app/QtSettingsStore.h"
#include "history/HistoryDatabase.h"
#include "history/MemoryHistoryStore.h"
#include "history/ReopeningHistoryStore.h"
#include "link/FixedSerialPortList.h"
#include "link/PortConnection.h"
#include "link/QtSerialDriver.h"
#include "sim/SimulatedDriver.h"
#include "util/DocumentOpener.h"
#include "util/QtClock.h"
#include "util/QtPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

namespace {

// The demo's port that plays one in use by another program (0 = COM1).
constexpr int kDemoBusyPort = 1;

// The demo's instrument answers on every COM port at its default device, so
// the Port menu lists an adapter there, not the machine's own ports.
QList<tessaprint::SerialPortEntry> DemoPorts()
{
    using namespace tessaprint;
    QList<SerialPortEntry> ports;
    for (int n = PortConnection::kMinPort; n <= PortConnection::kMaxPort; ++n) {
        SerialPortEntry port;
#ifdef Q_OS_WIN
        port.device = QString::fromStdString(PortConnection::PortName(n));
#else
        port.device = QtSerialDriver::DefaultDevice(n);
#endif
        port.portName = port.device.section(QLatin1Char('/'), -1);
        port.description = n - 1 == kDemoBusyPort ? QStringLiteral("Simulated instrument, in use by another program")
                                                  : QStringLiteral("Simulated instrument");
        port.manufacturer = QStringLiteral("Tessaprint demo");
        port.serialNumber = QStringLiteral("DEMO%1").arg(n);
        ports.append(port);
    }
    return ports;
}

} // namespace

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

    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<SerialDriver> driver;
    std::unique_ptr<FixedSerialPortList> demoPorts;
    if (demoMode) {
        demoPorts = std::make_unique<FixedSerialPortList>(DemoPorts());
        instrument = std::make_unique<SimulatedInstrument>(InstrumentKind::Quellmax);
        auto simulated = std::make_unique<SimulatedDriver>(*instrument, clock);
        simulated->SetBusyPorts({kDemoBusyPort});
        driver = std::move(simulated);
    } else {
        // An unplugged adapter reaches the controller as a lost port, never as a silent instrument.
        driver = std::make_unique<QtSerialDriver>(QtSerialDriver::SettingsResolver(settings));
    }

    CQuellmaxApp::Parts parts{*driver, settings, prompts, clock};
    parts.ports = demoPorts.get(); // the system's own outside the demo
    // The demo's history lives in memory, seeded with earlier tests of the
    // sample IDs; its waiting captures never mix with the real ones. Outside
    // the demo it is the database the settings name, opened on the history's
    // own thread and again at each call while it cannot be reached.
    history::MemoryHistoryStore demoHistory;
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (demoMode) {
        SeedDemoHistory(demoHistory);
        parts.historyStore = [&demoHistory] { return history::BorrowHistoryStore(demoHistory); };
        parts.historyQueueFile = dataFolder + QStringLiteral("/history-queue-demo.json");
    } else {
        // Read here, on the window's thread, as the settings object belongs to it.
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
        parts.historyQueueFile = dataFolder + QStringLiteral("/history-queue.json");
    }
    CQuellmaxApp tessaprint(parts);
    if (instrument) {
        // The simulated instrument prints the sample of the kind chosen on the form.
        SimulatedInstrument* sim = instrument.get();
        tessaprint.SetKindChangedHandler([sim](InstrumentKind kind) { sim->SetKind(kind); });
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
    const int status = QApplication::exec();
    tessaprint.ExitInstance();
    return status;
}
