#pragma once

#include "app/CaptureController.h"

#include <functional>
#include <memory>

namespace tessaprint {

class CMainFrame;
class CQuellmaxView;

// The application: the main frame with its form and the controller behind
// it, put together from the parts it works with (a real port or the
// simulated instrument, the user's settings or a test's, real dialogs or
// scripted answers).
class CQuellmaxApp {
public:
    struct Parts {
        SerialDriver& driver;
        SettingsStore& settings;
        Prompts& prompts;
        Clock& clock;
    };

    explicit CQuellmaxApp(Parts parts);
    ~CQuellmaxApp();

    // Creates the frame and the form, runs the form's first update (settings,
    // port, size) and shows the window.
    bool InitInstance(bool show = true);
    // Told when the user picks another instrument kind; set before InitInstance.
    void SetKindChangedHandler(std::function<void(InstrumentKind)> handler) { m_kindChanged = std::move(handler); }
    int ExitInstance();

    CMainFrame* frame() const { return m_frame.get(); }
    CQuellmaxView* view() const { return m_view; }
    CaptureController* controller() const { return m_controller.get(); }

private:
    Parts m_parts;
    std::function<void(InstrumentKind)> m_kindChanged;
    std::unique_ptr<CMainFrame> m_frame;
    CQuellmaxView* m_view = nullptr; // owned by the frame
    std::unique_ptr<CaptureController> m_controller;
};

} // namespace tessaprint
