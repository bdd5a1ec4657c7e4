#include "CliCommands.h"
#include "ResultsJson.h"

#include "app/QtSettingsStore.h"
#include "link/CaptureSettings.h"
#include "link/InstrumentCommands.h"
#include "link/QtSerialDriver.h"
#include "link/ReceivePath.h"
#include "results/CaptureFile.h"
#include "sim/SimulatedDriver.h"
#include "util/FileIo.h"
#include "util/QtClock.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>

namespace tessaprint {

namespace {

constexpr const char* kUsage =
    "usage: tessaprint-cli capture (--port COMn | --device PATH|sim) [--transcript-out FILE]\n"
    "                              [--capture-out FILE] [--kind quellmax|kappa|pactrx] [--answer-timeout MS]\n"
    "                              [--max-bytes N] [--max-seconds N]\n";

// Exit statuses besides 0 (done), 1 (a file), 2 (arguments) and 3 (cannot open).
constexpr int kExitPortLost = 4;
constexpr int kExitNoAnswer = 5;
constexpr int kExitLimit = 6;

struct CaptureOptions {
    std::optional<int> comIndex;
    std::string device;
    std::string transcriptOut;
    std::string captureOut;
    InstrumentKind kind = InstrumentKind::Quellmax;
    // The settings' values unless given on the command line.
    std::optional<int> answerTimeoutMs;
    std::optional<std::uint64_t> maxBytes;
    std::optional<int> maxSeconds;
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
            std::uint64_t ms = 0;
            if (!ParseWholeNumber(value, 100, CaptureSettings::kMaxAnswerTimeoutMs, ms)) {
                error = "--answer-timeout takes 100 to 600000 milliseconds, not '" + value + "'";
                return false;
            }
            options.answerTimeoutMs = static_cast<int>(ms);
        } else if (name == "--max-bytes") {
            std::uint64_t bytes = 0;
            if (!ParseWholeNumber(value, CaptureSettings::kMinMaxBytes, CaptureSettings::kMaxMaxBytes, bytes)) {
                error = "--max-bytes takes 1024 to 1073741824, not '" + value + "'";
                return false;
            }
            options.maxBytes = bytes;
        } else if (name == "--max-seconds") {
            std::uint64_t seconds = 0;
            if (!ParseWholeNumber(value, CaptureSettings::kMinMaxSeconds, CaptureSettings::kMaxMaxSeconds, seconds)) {
                error = "--max-seconds takes 1 to 172800, not '" + value + "'";
                return false;
            }
            options.maxSeconds = static_cast<int>(seconds);
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
        driver = std::make_unique<QtSerialDriver>(resolver);
    }

    CaptureSettings limits = CaptureSettings::Read(settings);
    limits.answerTimeoutMs = options.answerTimeoutMs.value_or(limits.answerTimeoutMs);
    limits.maxBytes = options.maxBytes.value_or(limits.maxBytes);
    limits.maxSeconds = options.maxSeconds.value_or(limits.maxSeconds);

    ResultsTable table;
    CaptureView view;
    ReceivePath receive(*driver, table, view, view, clock);
    std::string transcript;
    receive.SetTextTap([&transcript, &limits](const std::uint8_t* data, std::size_t n) {
        transcript.append(reinterpret_cast<const char*>(data), n);
        if (transcript.size() >= limits.maxBytes) {
            // After this read: its bytes still make their lines.
            QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(kExitLimit); });
        }
    });

    driver->DrvPurge();
    driver->DrvClose();
    if (driver->DrvOpen(comIndex) != 0) {
        std::cerr << "tessaprint-cli: cannot open " << portLabel;
        const std::string reason = driver->LastErrorText();
        std::cerr << (reason.empty() ? std::string() : ": " + reason) << "\n";
        return 3;
    }
    driver->DrvSetCallback([&receive](int code) {
        if (((code >> 8) & 0xFF) == (kPortLostEvent >> 8)) {
            QCoreApplication::exit(kExitPortLost);
            return code & 0xFFFF;
        }
        return receive.OnDriverEvent(code);
    });
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
            QCoreApplication::exit(kExitNoAnswer);
        }
    });
    answerTimer.start(limits.answerTimeoutMs);
    QTimer timeLimit;
    timeLimit.setSingleShot(true);
    QObject::connect(&timeLimit, &QTimer::timeout, [] { QCoreApplication::exit(kExitLimit); });
    timeLimit.start(std::chrono::seconds(limits.maxSeconds));

    const int status = QCoreApplication::exec();
    const std::string lostReason = driver->LastErrorText();
    driver->DrvClose();
    if (status == kExitNoAnswer) {
        std::cerr << "tessaprint-cli: no answer from " << portLabel << " within " << limits.answerTimeoutMs
                  << " ms; check the cable, the port and that the instrument is switched on\n";
        return kExitNoAnswer;
    }
    if (status != 0 && status != kExitPortLost && status != kExitLimit) {
        return status;
    }

    // What came is kept whatever ended the capture.
    const bool complete = status == 0;
    if (status == kExitPortLost) {
        std::cerr << "tessaprint-cli: lost " << portLabel << ": " << lostReason << "; the capture is cut off after "
                  << ByteCountText(transcript.size()) << " (" << view.lineCount() << " lines), kept as it is\n";
    } else if (status == kExitLimit) {
        std::cerr << "tessaprint-cli: the capture reached its limit ("
                  << (transcript.size() >= limits.maxBytes ? ByteCountText(limits.maxBytes)
                                                           : DurationText(std::int64_t{limits.maxSeconds} * 1000))
                  << ") and was ended after " << ByteCountText(transcript.size()) << " (" << view.lineCount()
                  << " lines); what came is kept, cut off\n";
    }
    if (!options.transcriptOut.empty() && !WriteWholeFile(options.transcriptOut, transcript, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    if (!options.captureOut.empty() && !WriteWholeFile(options.captureOut, FormatCaptureFile(view.lines()), error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    WriteResultsJson(std::cout, table, view, complete ? std::nullopt : std::optional<bool>(false));
    return status;
}

} // namespace tessaprint
