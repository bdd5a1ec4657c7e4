#include "CliCommands.h"
#include "ProgramOptions.h"
#include "results/ResultsJson.h"

#include "app/CaptureSession.h"
#include "app/QtSettingsStore.h"
#include "link/CaptureSettings.h"
#include "link/InstrumentCommands.h"
#include "link/LineSettings.h"
#include "link/PortConnection.h"
#include "link/QtSerialDriver.h"
#include "link/ReceivePath.h"
#include "results/CaptureFile.h"
#include "sim/SimulatedDriver.h"
#include "util/QtClock.h"

#include <QCoreApplication>
#include <QTimer>

#include <iostream>
#include <memory>
#include <optional>

namespace tessaprint {

namespace {

// Exit statuses besides 0 (done), 1 (a file), 2 (arguments) and 3 (cannot open).
constexpr int kExitPortLost = 4;
constexpr int kExitNoAnswer = 5;
constexpr int kExitLimit = 6;

struct CaptureOptions {
    std::string port; // "COM1" … "COM10"
    std::string device;
    std::string transcriptOut;
    std::string captureOut;
    InstrumentKind kind = InstrumentKind::Quellmax;
    // The settings' values unless given on the command line.
    std::optional<int> answerTimeoutMs;
    std::optional<std::uint64_t> maxBytes;
    std::optional<int> maxSeconds;
};

// The form's lists for a capture without a window, and what the session
// tells the window: the results-ready message, a lost port, no answer or a
// limit ends the capture and the event loop, the first of them with its status.
class CaptureView : public ResultsListing, public CaptureSession::Listener {
public:
    explicit CaptureView(CaptureSession::Origin origin) : m_origin(std::move(origin)) {}

    void Attach(CaptureSession& session) { m_session = &session; }
    bool ended() const { return m_ended; }
    void End(int status)
    {
        if (!m_ended) {
            m_ended = true;
            QCoreApplication::exit(status);
        }
    }

    void AppendLine(const std::string& line) override
    {
        ResultsListing::AppendLine(line);
        m_session->AddLine(line);
    }
    void PostResultsReady() override
    {
        ResultsListing::PostResultsReady();
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            (void)m_session->ResultsReady();
            End(0);
        });
    }

    CaptureSession::Origin CaptureOrigin() const override { return m_origin; }
    void CaptureCommandsEnabled(bool) override {}
    // The window's words; stderr gets the command line's own after the capture.
    void CaptureStatus(const std::string&) override {}
    void CaptureError(const std::string&) override {}
    void CaptureCutOff() override {}
    void CaptureStopped(CaptureSession::Stop why) override
    {
        End(why == CaptureSession::Stop::NoAnswer ? kExitNoAnswer : kExitLimit);
    }

private:
    CaptureSession::Origin m_origin;
    CaptureSession* m_session = nullptr;
    bool m_ended = false;
};

int RunCapture(const CaptureOptions& options, int argc, char** argv)
{
    if (options.port.empty() == options.device.empty()) {
        std::cerr << "tessaprint-cli: give exactly one of --port and --device\n";
        return 2;
    }
    if (options.transcriptOut == kStdoutPath && options.captureOut == kStdoutPath) {
        std::cerr << "tessaprint-cli: --transcript-out and --capture-out cannot both go to stdout (-)\n";
        return 2;
    }
    // Said now, not after a capture that may take hours.
    for (const std::string& path : {options.transcriptOut, options.captureOut}) {
        if (const Result<void> checked = CheckOutputFile(path); !checked) {
            std::cerr << "tessaprint-cli: " << checked.error().message << "\n";
            return 1;
        }
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
    const int port = options.port.empty() ? 1 : PortConnection::PortNumber(options.port).value_or(1);
    if (options.device == "sim") {
        instrument = std::make_unique<SimulatedInstrument>(options.kind);
        driver = std::make_unique<SimulatedDriver>(*instrument, clock);
        portLabel = "the simulated instrument";
    } else {
        QtSerialDriver::PortNameResolver resolver = QtSerialDriver::SettingsResolver(settings);
        if (!options.device.empty()) {
            // A bare name ("ttyUSB0") is a port's name below /dev, as Qt and the port list name it;
            // anything with a folder in it ("./link", "dev/x") is a path from the current folder.
            const bool bareName = options.device.find('/') == std::string::npos;
            const QString device = QString::fromStdString(bareName ? options.device : CommandLinePath(options.device));
            resolver = [device](int) { return device; };
        }
        portLabel = resolver(port - 1).toStdString();
        auto serial = std::make_unique<QtSerialDriver>(resolver);
        serial->UseLineSettings(QtSerialDriver::SettingsLineSettings(settings));
        driver = std::move(serial);
    }

    CaptureSettings limits = CaptureSettings::Read(settings);
    limits.answerTimeoutMs = options.answerTimeoutMs.value_or(limits.answerTimeoutMs);
    limits.maxBytes = options.maxBytes.value_or(limits.maxBytes);
    limits.maxSeconds = options.maxSeconds.value_or(limits.maxSeconds);

    // The window's receive path and capture session, without the archive.
    ResultsTable table;
    CaptureView view({port, portLabel, UnitTypeText(options.kind), {}});
    ReceivePath receive(*driver, table, view, view, clock);
    CaptureSession session(receive, settings, clock, view);
    view.Attach(session);
    session.UseLimits(limits);
    session.DoNotArchive();
    std::string transcript;
    receive.SetTextTap([&](const std::uint8_t* data, std::size_t n) {
        if (!view.ended()) {
            transcript.append(reinterpret_cast<const char*>(data), n);
        }
        session.TextBytes(data, n);
    });

    const Result<void> opened = PortConnection::OpenDriverPort(
        *driver, port,
        PortConnection::RouteEvents([&receive](int code) { return receive.OnDriverEvent(code); },
                                    [&] {
                                        (void)session.Cut();
                                        view.End(kExitPortLost);
                                    }));
    if (!opened) {
        // A reason that names the device already is not preceded by it again.
        const std::string& reason = opened.error().message;
        std::cerr << "tessaprint-cli: cannot open "
                  << (reason.empty()                          ? portLabel
                      : reason.rfind(portLabel + ":", 0) == 0 ? reason
                                                              : portLabel + ": " + reason)
                  << "\n";
        return 3;
    }

    table.ClearResults();
    session.Start();
    SendCommand(*driver, kPrintCommand);

    const int status = QCoreApplication::exec();
    const std::string lostReason = driver->LastErrorText();
    driver->DrvClose();
    if (status == kExitNoAnswer) {
        std::cerr << "tessaprint-cli: no answer from " << portLabel << " within " << limits.answerTimeoutMs
                  << " ms; check the cable, the port and that the instrument is switched on. "
                  << (options.device == "sim" ? LineSettings() : LineSettings::Read(settings)).Advice() << "\n";
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
    // A file that cannot be written loses nothing: the other is still
    // written and the JSON still printed.
    bool written = true;
    for (const auto& [path, content] : {std::pair{options.transcriptOut, transcript},
                                        std::pair{options.captureOut, FormatCaptureFile(view.lines())}}) {
        if (path.empty()) {
            continue;
        }
        if (const Result<void> wrote = WriteOutputFile(path, content); !wrote) {
            std::cerr << "tessaprint-cli: " << wrote.error().message << "\n";
            written = false;
        }
    }
    // An output file on stdout takes the place of the JSON.
    if (options.transcriptOut != kStdoutPath && options.captureOut != kStdoutPath) {
        WriteResultsJson(std::cout, table, view, complete ? std::nullopt : std::optional<bool>(false));
    }
    if (!written) {
        return 1;
    }
    return status;
}

} // namespace

void AddCaptureCommand(CLI::App& app, int& status, int argc, char** argv)
{
    auto options = std::make_shared<CaptureOptions>();
    CLI::App* command = app.add_subcommand(
        "capture", "Ask the instrument for its printout, receive it and print it as JSON (as RESULT does)");
    command->add_option("--port", options->port, "COM1 to COM10 (outside Windows the device set as Serial/COMnDevice)")
        ->check(CLI::Validator(
            [](std::string& value) {
                return PortConnection::PortNumber(value)
                           ? std::string()
                           : "--port takes COM1 to COM10, not '" + cmdline::ShortValue(value) + "'";
            },
            "COMn"))
        ->type_name("COMn");
    command->add_option("--device", options->device, "a device path, or 'sim' for the simulated instrument")
        ->type_name("PATH|sim");
    command
        ->add_option("--transcript-out", options->transcriptOut,
                     "write the bytes as they came (- for stdout, in place of the JSON)")
        ->type_name("FILE");
    command
        ->add_option("--capture-out", options->captureOut,
                     "write the lines, CR LF (- for stdout, in place of the JSON)")
        ->type_name("FILE");
    AddKindOption(*command, options->kind);
    command->add_option("--answer-timeout", options->answerTimeoutMs, "milliseconds to wait for the first line")
        ->transform(cmdline::WholeNumber(100, CaptureSettings::kMaxAnswerTimeoutMs))
        ->type_name("MS");
    command->add_option("--max-bytes", options->maxBytes, "end the capture after this many bytes")
        ->transform(cmdline::WholeNumber(CaptureSettings::kMinMaxBytes, CaptureSettings::kMaxMaxBytes))
        ->type_name("N");
    command->add_option("--max-seconds", options->maxSeconds, "end the capture after this many seconds")
        ->transform(cmdline::WholeNumber(CaptureSettings::kMinMaxSeconds, CaptureSettings::kMaxMaxSeconds))
        ->type_name("N");
    command->callback([options, &status, argc, argv] { status = RunCapture(*options, argc, argv); });
}

} // namespace tessaprint
