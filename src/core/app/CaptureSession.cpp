#include "app/CaptureSession.h"

#include "link/LineSettings.h"
#include "text/Plural.h"
#include "util/Utf8Path.h"

namespace tessaprint {

CaptureSession::CaptureSession(ReceivePath& receive, const SettingsStore& settings, Clock& clock, Listener& listener)
    : m_receive(receive), m_settings(settings), m_clock(clock), m_listener(listener),
      m_answerTimer(clock.CreateTimer()), m_timeLimit(clock.CreateTimer()), m_byteLimit(clock.CreateTimer()),
      m_drainTimer(clock.CreateTimer())
{
    m_answerTimer->SetHandler([this] { OnAnswerTimeout(); });
    m_timeLimit->SetHandler([this] { OnTimeLimit(); });
    m_byteLimit->SetHandler([this] { OnByteLimit(); });
    m_drainTimer->SetHandler([this] { OnDrained(); });
}

std::string CaptureSession::LastArchiveName() const
{
    // The status bar names it below the reports folder the user chose.
    return "captures/" + PathToUtf8(PathFromUtf8(m_lastArchive).filename());
}

CaptureSession::Capture CaptureSession::NewCapture() const
{
    Capture capture;
    capture.origin = m_listener.CaptureOrigin();
    capture.started = m_clock.LocalTime();
    return capture;
}

void CaptureSession::BeginProgress()
{
    if (!m_inProgress) {
        m_inProgress = true;
        m_answered = false;
        m_listener.CaptureCommandsEnabled(false);
        m_timeLimit->Start(Limits().maxSeconds * 1000);
    }
}

void CaptureSession::EndProgress()
{
    m_answerTimer->Stop();
    m_timeLimit->Stop();
    m_byteLimit->Stop();
    if (m_inProgress) {
        m_inProgress = false;
        m_listener.CaptureCommandsEnabled(true);
    }
}

void CaptureSession::Start()
{
    if (m_draining) {
        m_drainTimer->Stop();
        OnDrained();
    }
    // A line an earlier printout left unfinished must not start this one.
    m_receive.DiscardPartialLine();
    m_capture = NewCapture();
    BeginProgress();
    m_listener.CaptureStatus("Capture in progress on " + m_capture->origin.portName + ": waiting for the instrument…");
    m_answerTimer->Start(Limits().answerTimeoutMs);
}

void CaptureSession::TextBytes(const std::uint8_t* data, std::size_t count)
{
    if (m_draining) {
        m_drainedBytes += count;
        m_drainTimer->Start(ReceivePath::kResultsQuietMs);
        return;
    }
    if (!m_capture) {
        // The instrument prints unasked (its own print key): that is a capture too.
        m_capture = NewCapture();
    }
    m_capture->byteCount += count;
    if (m_archiving) {
        m_capture->raw.append(reinterpret_cast<const char*>(data), count);
        m_capture->dirty = true;
    }
    if (!m_inProgress) {
        BeginProgress();
        m_listener.CaptureStatus("Capture in progress on " + m_capture->origin.portName + ": receiving…");
    }
    const CaptureSettings limits = Limits();
    if (!m_answered) {
        m_answerTimer->Start(limits.answerTimeoutMs);
    }
    if (m_capture->byteCount >= limits.maxBytes && !m_byteLimit->IsActive()) {
        // Ended once the receive handler has returned, so the bytes read so
        // far still make their lines.
        m_byteLimit->Start(0);
    }
}

void CaptureSession::AddLine(const std::string& line)
{
    if (m_capture) {
        ++m_capture->lineCount;
        if (m_archiving) {
            m_capture->lines.push_back(line);
        }
        m_answered = true;
        m_answerTimer->Stop();
    }
}

Result<void> CaptureSession::Archive(Capture& capture)
{
    if (!m_archiving) {
        return {};
    }
    if (!capture.files) {
        const std::string& kind = capture.origin.kindText;
        const std::string stem = capture.started ? CaptureArchiveStem(kind, *capture.started) : kind + "-capture";
        Result<CaptureArchiveFiles> files = ChooseCaptureArchive(capture.origin.reportsFolder, stem);
        if (!files) {
            return files.error();
        }
        capture.files = std::move(files).value();
    }
    if (Result<void> written = WriteCaptureArchive(*capture.files, capture.lines, capture.raw); !written) {
        return written;
    }
    capture.dirty = false;
    m_lastArchive = PathToUtf8(capture.files->lines);
    return {};
}

std::string CaptureSession::ResultsReady()
{
    std::string status;
    if (m_capture) {
        status = " from " + m_capture->origin.portName;
        Result<void> archived;
        if (m_capture->dirty) {
            archived = Archive(*m_capture);
            status += archived ? "; archived as " + LastArchiveName() : "; NOT archived";
        }
        if (m_capture->lineCount > 0) {
            m_readSincePortOpened = true;
        }
        EndProgress();
        if (!archived) {
            m_listener.CaptureError("The capture could not be archived: " + archived.error().message +
                                    "\nIts lines are on the screen; File > Save Captured Lines keeps them.");
        }
        return status;
    }
    EndProgress();
    return status;
}

Result<void> CaptureSession::Secure()
{
    if (!m_capture || !m_capture->dirty) {
        return {};
    }
    return Archive(*m_capture);
}

std::string CaptureSession::Cut()
{
    if (!m_capture || (!m_inProgress && !m_capture->dirty)) {
        m_capture.reset();
        EndProgress();
        return {};
    }
    Capture capture = std::move(*m_capture);
    m_capture.reset();
    const bool wasInProgress = m_inProgress;
    EndProgress();
    m_receive.CancelQuietTimer();
    m_receive.DiscardPartialLine();
    if (capture.byteCount == 0) {
        return {}; // asked, but nothing came yet
    }
    // Archived first: what the listener does with the cut capture may name its archive.
    const Result<void> archived = Archive(capture);
    if (wasInProgress) {
        m_listener.CaptureCutOff();
    }
    if (!archived) {
        m_listener.CaptureError("The capture that was cut off could not be archived: " + archived.error().message);
        return "what came could not be archived";
    }
    return "the " + Plural(capture.lineCount, "line", "lines") + " that came were archived as " + LastArchiveName();
}

void CaptureSession::Forget()
{
    m_capture.reset();
}

void CaptureSession::OnAnswerTimeout()
{
    if (!m_inProgress) {
        return;
    }
    const std::string limit = DurationText(Limits().answerTimeoutMs);
    const std::string port = m_capture ? m_capture->origin.portName : m_listener.CaptureOrigin().portName;
    if (!m_capture || m_capture->byteCount == 0) {
        m_capture.reset();
        EndProgress();
        m_listener.CaptureStatus("No answer from the instrument on " + port + " within " + limit +
                                 ". Check that it is switched on and connected to this port. " +
                                 LineSettings::Read(m_settings).Advice());
        m_listener.CaptureStopped(Stop::NoAnswer);
        return;
    }
    // Bytes came, but no line was finished: a cut cable, or the wrong line speed.
    const std::size_t bytes = m_capture->byteCount;
    const Result<void> archived = Archive(*m_capture);
    EndProgress();
    const std::string text = "The instrument on " + port + " sent " + Plural(bytes, "byte", "bytes") +
                             " but no complete line, then nothing for " + limit;
    m_listener.CaptureStatus((archived ? text + "; they were archived as " + LastArchiveName() : text) + ". " +
                             LineSettings::Read(m_settings).Advice());
    if (!archived) {
        m_listener.CaptureError("The capture could not be archived: " + archived.error().message);
    }
    m_listener.CaptureStopped(Stop::NoAnswer);
}

void CaptureSession::OnByteLimit()
{
    if (m_inProgress) {
        EndAtLimit("reached its limit of " + ByteCountText(Limits().maxBytes) + " (" +
                       settings::QuotedName(settings::kMaxCaptureBytes) + ")",
                   Stop::ByteLimit);
    }
}

void CaptureSession::OnTimeLimit()
{
    if (m_inProgress) {
        EndAtLimit("ran for its limit of " + DurationText(std::int64_t{Limits().maxSeconds} * 1000) + " (" +
                       settings::QuotedName(settings::kMaxCaptureSeconds) + ")",
                   Stop::TimeLimit);
    }
}

void CaptureSession::EndAtLimit(const std::string& reason, Stop why)
{
    const std::string port = m_capture ? m_capture->origin.portName : m_listener.CaptureOrigin().portName;
    const std::string kept = Cut();
    m_draining = true;
    m_drainedBytes = 0;
    m_receive.SetDiscardingText(true);
    m_drainTimer->Start(ReceivePath::kResultsQuietMs);
    m_listener.CaptureStatus("The capture on " + port + " " + reason + " and was ended; " + kept +
                             ". What the line still sends is ignored until it goes quiet.");
    m_listener.CaptureStopped(why);
}

void CaptureSession::OnDrained()
{
    m_draining = false;
    m_receive.SetDiscardingText(false);
    if (m_drainedBytes > 0) {
        m_listener.CaptureStatus("The line on " + m_listener.CaptureOrigin().portName + " went quiet; " +
                                 ByteCountText(m_drainedBytes) + " after the capture's limit were ignored.");
    }
}

} // namespace tessaprint
