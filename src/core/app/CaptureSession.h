#pragma once

#include "link/CaptureSettings.h"
#include "link/ReceivePath.h"
#include "results/CaptureArchive.h"
#include "text/Plural.h"
#include "util/Clock.h"
#include "util/Result.h"
#include "util/SettingsStore.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint {

// One printout at a time, from the print command (or the first byte of a
// printout the instrument starts by itself) until its results are ready, the
// instrument falls silent, a limit ends it or the port goes: while it is in
// progress nothing may cut into it, and whatever came is archived.
class CaptureSession {
public:
    // Where a capture comes from; asked for when one starts.
    struct Origin {
        int port = 0;
        std::string portName; // "COM1", or "no port"
        std::string kindText; // "Quellmax", "Kappa 5100", "PTRX" or "Unknown"
        std::string reportsFolder;
    };

    // How the session ended a capture by itself.
    enum class Stop { NoAnswer, ByteLimit, TimeLimit };

    // What the session tells the window.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual Origin CaptureOrigin() const = 0;
        // RESULT, CLR MEMORY, Clear Screen, Open and New: off while a capture is in progress.
        virtual void CaptureCommandsEnabled(bool enabled) = 0;
        virtual void CaptureStatus(const std::string& text) = 0;
        // The error box.
        virtual void CaptureError(const std::string& text) = 0;
        // A capture was cut off: what came is listed now, as no "results ready"
        // follows. Told once its archive is written (or failed).
        virtual void CaptureCutOff() = 0;
        // Told last when the instrument did not answer or a limit ended the capture.
        virtual void CaptureStopped(Stop why) { (void)why; }
    };

    CaptureSession(ReceivePath& receive, const SettingsStore& settings, Clock& clock, Listener& listener);

    bool InProgress() const { return m_inProgress; }
    // Whether a capture with lines reached its results since the port was opened.
    bool ReadSincePortOpened() const { return m_readSincePortOpened; }
    void PortOpened() { m_readSincePortOpened = false; }
    // The .txt of the latest archive, and its name below the reports folder.
    const std::string& LastArchivePath() const { return m_lastArchive; }
    std::string LastArchiveName() const;
    // The answer time and the capture limits as stored now, or as given to UseLimits.
    CaptureSettings Limits() const { return m_givenLimits.value_or(CaptureSettings::Read(m_settings)); }
    // A command line's answer time and limits in place of the stored ones.
    void UseLimits(const CaptureSettings& limits) { m_givenLimits = limits; }
    // Nothing is archived, and nothing is kept for it: a command line keeps
    // and writes what it is told to. The status texts, which name archives,
    // are then not for showing.
    void DoNotArchive() { m_archiving = false; }

    // The print command was sent: a new capture waits for the instrument.
    void Start();
    // Every text byte read from the port, and every line it made.
    void TextBytes(const std::uint8_t* data, std::size_t count);
    void AddLine(const std::string& line);
    // The quiet time after the last line passed: the capture is archived and
    // ends. Gives what the status bar adds to the counts (" from COM1;
    // archived as …"); a failed archive is also told as an error.
    std::string ResultsReady();
    // Archives what the last capture holds that is not on disk yet.
    Result<void> Secure();
    // Ends a capture that a port change or loss cut off and archives what came:
    // what the status bar says of it ("the 12 lines that came were archived
    // as …"), or nothing when no capture was under way.
    std::string Cut();
    // The last capture needs no more care: its lines came from a file, or the
    // instrument's memory was erased, or the screen was cleared.
    void Forget();

    void OnAnswerTimeout();
    void OnTimeLimit();
    void OnByteLimit();
    void OnDrained();

private:
    struct Capture {
        Origin origin;
        std::optional<std::tm> started;
        // What came, kept for the archive (nothing when not archiving), and counted.
        std::vector<std::string> lines;
        std::string raw;
        std::size_t lineCount = 0;
        std::size_t byteCount = 0;
        std::optional<CaptureArchiveFiles> files;
        bool dirty = false; // holds bytes the archive does not have yet
    };

    Capture NewCapture() const;
    void BeginProgress();
    void EndProgress();
    Result<void> Archive(Capture& capture);
    void EndAtLimit(const std::string& reason, Stop why);

    ReceivePath& m_receive;
    const SettingsStore& m_settings;
    Clock& m_clock;
    Listener& m_listener;
    std::unique_ptr<Timer> m_answerTimer;
    std::unique_ptr<Timer> m_timeLimit;
    std::unique_ptr<Timer> m_byteLimit;
    // After a limit: bytes that keep coming are counted and dropped until the
    // line has been quiet for the quiet time.
    std::unique_ptr<Timer> m_drainTimer;
    // The last capture, open for more bytes of the same printout until a
    // command, a port change or another file replaces it.
    std::optional<Capture> m_capture;
    std::string m_lastArchive;
    std::optional<CaptureSettings> m_givenLimits;
    std::uint64_t m_drainedBytes = 0;
    bool m_archiving = true;
    bool m_draining = false;
    bool m_inProgress = false;
    // A line came in this progress: from now on the quiet time ends it, not
    // the answer time (which a command line may make shorter).
    bool m_answered = false;
    bool m_readSincePortOpened = false;
};

} // namespace tessaprint
