#include "CliCommands.h"
#include "ResultsJson.h"

#include "app/QtSettingsStore.h"
#include "link/InstrumentCommands.h"
#include "link/QtSerialDriver.h"
#include "link/ReceivePath.h"
#include "results/CaptureFile.h"
#include "sim/SimulatedDriver.h"
#include "util/FileIo.h"
#include "util/QtClock.h"

#include <QCoreApplication>
#include <QTimer>

#include <iostream>
#include <memory>
#include <optional>
#include <regex>

namespace tessaprint {

namespace {

constexpr const char* kUsage =
    "usage: tessaprint-cli capture (--port COMn | --device PATH|sim) [--transcript-out FILE]\n"
    "                              [--capture-out FILE] [--kind quellmax|kappa|pactrx] [--answer-timeout MS]\n";

// How long to wait for the first line before giving up on the instrument.
constexpr int kDefaultAnswerTimeoutMs = 5000;

struct CaptureOptions {
    std::optional<int> comIndex;
    std::string device;
    std::string transcriptOut;
    std::string captureOut;
    InstrumentKind kind = InstrumentKind::Quellmax;
    int answerTimeoutMs = kDefaultAnswerTimeoutMs;
};

bool ParseOptions(const std::vector<std::string>& args, CaptureOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            error = "missing value after " + name;
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--port") {
            std::smatch m;
            static const std::regex comPort("COM([1-9]|10)");
            if (!std::regex_match(value, m, comPort)) {
                error = "--port takes COM1 to COM10, not '" + value + "'";
                return false;
            }
            options.comIndex = std::stoi(m[1].str()) - 1;
        } else if (name == "--device") {
            options.device = value;
        } else if (name == "--transcript-out") {
            options.transcriptOut = value;
        } else if (name == "--capture-out") {
            options.captureOut = value;
        } else if (name == "--kind") {
            const auto kind = InstrumentKindFromName(value);
            if (!kind) {
                error = "--kind takes quellmax, kappa or pactrx, not '" + value + "'";
                return false;
            }
            options.kind = *kind;
        } else if (name == "--answer-timeout") {
            try {
                options.answerTimeoutMs = std::clamp(std::stoi(value), 100, 600'000);
            } catch (const std::exception&) {
                error = "--answer-timeout takes milliseconds, not '" + value + "'";
                return false;
            }
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (options.comIndex.has_value() == !options.device.empty()) {
        error = "give exactly one of --port and --device";
        return false;
    }
    return true;
}

// The form's lists for a capture without a window; the results-ready message
// ends the capture.
class CaptureView : public ResultsListing {
public:
    void PostResultsReady() override
    {
        ResultsListing::PostResultsReady();
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    }
};

} // namespace

int RunCaptureCommand(int argc, char** argv, const std::vector<std::string>& args)
{
    CaptureOptions options;
    std::string error;
    if (!ParseOptions(args, options, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n" << kUsage;
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaprint"));
    QtClock clock;
    const QtSettingsStore settings;

    // The driver: the simulated instrument in this process, or a real port.
    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<SerialDriver> driver;
    std::string portLabel;
    int comIndex = options.comIndex.value_or(0);
    if (options.device == "sim") {
        instrument = std::make_unique<SimulatedInstrument>(options.kind);
        driver = std::make_unique<SimulatedDriver>(*instrument, clock);
        portLabel = "the simulated instrument";
    } else {
        QtSerialDriver::PortNameResolver resolver = QtSerialDriver::SettingsResolver(settings);
        if (!options.device.empty()) {
            const QString device = QString::fromStdString(options.device);
            resolver = [device](int) { return device; };
        }
        portLabel = resolver(comIndex).toStdString();
        auto qtDriver = std::make_unique<QtSerialDriver>(resolver);
        QObject::connect(qtDriver.get(), &QtSerialDriver::portLost, [&portLabel](const QString& reason) {
            std::cerr << "tessaprint-cli: lost " << portLabel << ": " << reason.toStdString() << "\n";
            QCoreApplication::exit(4);
        });
        driver = std::move(qtDriver);
    }

    ResultsTable table;
    CaptureView view;
    ReceivePath receive(*driver, table, view, view, clock);
    std::string transcript;
    receive.SetTextTap([&transcript](const std::uint8_t* data, std::size_t n) {
        transcript.append(reinterpret_cast<const char*>(data), n);
    });

    driver->DrvPurge();
    driver->DrvClose();
    if (driver->DrvOpen(comIndex) != 0) {
        std::cerr << "tessaprint-cli: cannot open " << portLabel;
        const std::string reason = driver->LastErrorText();
        std::cerr << (reason.empty() ? std::string() : ": " + reason) << "\n";
        return 3;
    }
    driver->DrvSetCallback([&receive](int code) { return receive.OnDriverEvent(code); });
    driver->DrvSetOption(15, 1);
    driver->DrvEnable(1);
    driver->DrvSetOption(11, 20000);

    table.ClearResults();
    SendCommand(*driver, kPrintCommand);

    // Nothing at all within the answer time means nobody is listening.
    QTimer answerTimer;
    answerTimer.setSingleShot(true);
    QObject::connect(&answerTimer, &QTimer::timeout, [&view] {
        if (view.lines().empty()) {
            QCoreApplication::exit(5);
        }
    });
    answerTimer.start(options.answerTimeoutMs);

    const int status = QCoreApplication::exec();
    driver->DrvClose();
    if (status == 5) {
        std::cerr << "tessaprint-cli: no answer from " << portLabel << " within " << options.answerTimeoutMs
                  << " ms; check the cable, the port and that the instrument is switched on\n";
        return 5;
    }
    if (status != 0) {
        return status;
    }

    if (!options.transcriptOut.empty() && !WriteWholeFile(options.transcriptOut, transcript, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    if (!options.captureOut.empty() && !WriteWholeFile(options.captureOut, FormatCaptureFile(view.lines()), error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    std::cout << ResultsToJson(table, view);
    return 0;
}

} // namespace tessaprint
