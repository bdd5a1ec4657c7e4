#pragma once

#include "app/FormView.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "link/CaptureSettings.h"
#include "link/PortConnection.h"
#include "link/ReceivePath.h"
#include "results/CaptureArchive.h"
#include "results/ResultsTable.h"
#include "util/CNotepad.h"
#include "util/Clock.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint {

// What the main form does: it owns the results table, the receive path and
// the port, carries out the form's commands and keeps the settings mirrors.
// The window only displays and forwards clicks.
class CaptureController {
public:
    static constexpr int kFrameWidth = 950;
    static constexpr int kFrameHeight = 780;
    static constexpr int kVersionFrameWidth = 920;
    static constexpr int kVersionFrameHeight = 730;
    // The corner double click that enables "Data Sheet" (form pixels).
    static constexpr int kCornerX = 900;
    static constexpr int kCornerY = 650;
    // The second line of the erase question when nothing is on disk yet.
    static inline const std::string kNothingReadLine = "Nothing has been read from it since the port was opened.";

    CaptureController(SerialDriver& driver, FormView& view, SettingsStore& settings, Prompts& prompts, Clock& clock);

    // The form's first update: settings, port, frame size, list, radio buttons.
    void OnInitialUpdate();

    void OnResult();
    void OnClearMemory();
    void OnVersion();
    void OnTest();
    void OnSelectEquipment();
    void OnClearScreen();
    void OnKindQuellmax();
    void OnKindKappa();
    void OnKindPactrx();
    // The queued "results ready" message, after the quiet time.
    void OnResultsReady();
    void OnLButtonDblClk(int x, int y);
    // Port menu COMn. A capture still arriving on the old port is cut and
    // archived with what came.
    void SwitchPort(int n);
    // The driver closed the port because it stopped working.
    void OnPortLost();
    // The instrument kept silent for the answer time.
    void OnAnswerTimeout();
    void OnVersionTimeout();
    // The capture ran past "Serial"/"MaxCaptureSeconds" or "MaxCaptureBytes".
    void OnCaptureTimeLimit();
    void OnCaptureByteLimit();

    // "Data Sheet": the test record of the chosen equipment ID, saved in the
    // reports folder and handed to the document opener.
    void OnDataSheet();
    // A document was written: remembered, named in the status bar and handed
    // to the document opener.
    void DocumentWritten(const std::string& path);
    // Shows a saved document (the desktop's word processor); unset in tests.
    void SetDocumentOpener(std::function<void(const std::string&)> opener) { m_openDocument = std::move(opener); }

    // Directories options, OK: the folder (as typed, not checked) and the
    // Word 2007 flag are stored and used from now on, and the folder is made.
    void ApplyDirectories(const std::string& folder, bool word2007);

    // "Notepad": the received lines go to a text editor started for them.
    void OnNotepad();
    void SetNotepad(CNotepad* notepad) { m_notepad = notepad; }

    // The captured lines as a file (CR LF after each line), and back: an
    // opened capture is shown and parsed as if it had just arrived.
    void OnSaveCapture();
    void OnOpenCapture();
    bool SaveCaptureTo(const std::string& path, std::string& error) const;
    bool OpenCaptureFrom(const std::string& path, std::string& error);

    // From the moment a printout is requested (or starts unasked) until its
    // results are ready or the instrument falls silent.
    bool IsCaptureInProgress() const { return m_inProgress; }
    // Where the latest capture was archived (the .txt); empty before any.
    std::string lastArchivePath() const;
    // The answer time and the capture limits as stored now.
    CaptureSettings Limits() const { return CaptureSettings::Read(m_settings); }

    // Settings mirrors.
    const std::string& reportsFolder() const { return m_reportsFolder; }
    void SetReportsFolder(std::string folder) { m_reportsFolder = std::move(folder); }
    int word2007() const { return m_word2007; }
    void SetWord2007(int flag) { m_word2007 = flag; }
    const std::string& unitType() const { return m_unitType; }
    // Where the latest document went (with extension); empty before any.
    const std::string& lastDocumentPath() const { return m_lastDocument; }
    int currentPort() const { return m_port.currentPort(); }

    ResultsTable& table() { return m_table; }
    const ResultsTable& table() const { return m_table; }
    ReceivePath& receivePath() { return m_receive; }

    // Told when the user picks another instrument kind (the demo's simulated
    // instrument follows it).
    void SetKindChangedHandler(std::function<void(InstrumentKind)> handler) { m_kindChanged = std::move(handler); }

private:
    // What the receive path shows goes through here to the form, so the
    // capture sees every line and the version reply.
    class ReceiveTap : public ReceiveView {
    public:
        explicit ReceiveTap(CaptureController& owner) : m_owner(owner) {}
        void AppendLine(const std::string& line) override;
        void SetVersionText(const std::string& text) override;
        void PostResultsReady() override;

    private:
        CaptureController& m_owner;
    };

    // One capture: what one printout brought, kept until it is on disk.
    struct Capture {
        int port = 0;
        std::string kindText;
        std::optional<std::tm> started;
        std::vector<std::string> lines;
        std::string raw;
        std::optional<CaptureArchiveFiles> files;
        bool dirty = false; // holds bytes the archive does not have yet
    };

    void SetKind(InstrumentKind kind);
    void ClearForm();
    void ShowResults();
    void OnTextBytes(const std::uint8_t* data, std::size_t count);
    void OnLine(const std::string& line);
    Capture NewCapture() const;
    void BeginProgress();
    void EndProgress();
    // Writes the capture's files; false with the reason when it cannot.
    bool ArchiveCapture(Capture& capture, std::string& error);
    // Archives whatever the last capture holds that is not on disk yet; the
    // error box says so when that fails. False only on a failure.
    bool SecureLastCapture();
    // Ends a capture that a port change or loss cut off; "" when there was none.
    std::string CutCapture();
    // Ends the capture at its limit (the reason says which), keeps what came,
    // and drains the line until it goes quiet.
    void EndCaptureAtLimit(const std::string& reason);
    void OnDrained();
    // Tells the user that the port is not open; true when it is open.
    bool RequireOpenPort(const std::string& what);
    std::string PortText() const;
    std::string KindText() const;
    std::string ArchiveShortName() const;

    ReceiveTap m_tap;

    SerialDriver& m_driver;
    FormView& m_view;
    SettingsStore& m_settings;
    Prompts& m_prompts;
    ResultsTable m_table;
    ReceivePath m_receive;
    PortConnection m_port;
    std::string m_reportsFolder;
    int m_word2007 = 1;
    std::string m_unitType;
    std::string m_lastDocument;
    std::function<void(InstrumentKind)> m_kindChanged;
    std::function<void(const std::string&)> m_openDocument;
    CNotepad* m_notepad = nullptr;
    Clock& m_clock;
    std::unique_ptr<Timer> m_answerTimer;
    std::unique_ptr<Timer> m_versionTimer;
    std::unique_ptr<Timer> m_captureTimeLimit;
    std::unique_ptr<Timer> m_byteLimit;
    // After a limit: bytes that keep coming are counted and dropped until the
    // line has been quiet for the quiet time.
    std::unique_ptr<Timer> m_drainTimer;
    bool m_draining = false;
    std::uint64_t m_drainedBytes = 0;
    // The last capture read on this port, open for more bytes of the same
    // printout until a command, a port change or another file replaces it.
    std::optional<Capture> m_capture;
    std::string m_lastArchive;
    bool m_inProgress = false;
    bool m_readSincePortOpened = false;
};

// The texts behind the kind radio buttons, as stored in "Settings"/"szUnitType".
std::string UnitTypeText(InstrumentKind kind);
std::optional<InstrumentKind> KindFromUnitType(const std::string& unitType);

} // namespace tessaprint
