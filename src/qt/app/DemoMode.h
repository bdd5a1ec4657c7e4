#pragma once

#include "app/CQuellmaxApp.h"
#include "history/MemoryHistoryStore.h"
#include "link/FixedSerialPortList.h"
#include "sim/SimulatedDriver.h"
#include "sim/SimulatedInstrument.h"

#include <QString>

#include <memory>

namespace tessaprint {

// What --demo puts together: the simulated instrument answering on every COM
// port (COM2 plays one in use by another program), the Port menu's simulated
// adapters, a history in memory seeded with earlier tests of the sample IDs,
// and a folder of its own for everything the demo writes (its documents, its
// capture archive, the captures waiting for its history), so that it never
// touches the real reports folder, archive or history.
class DemoMode {
public:
    // The demo's port that plays one in use by another program (0 = COM1).
    static constexpr int kBusyPort = 1;

    // folder: where the demo keeps what it writes; absolute.
    DemoMode(Clock& clock, QString folder);

    // "Tessaprint Demo" beside the program's own data folder
    // (~/.local/share/Zelmor/Tessaprint Demo on Linux): the user's own, like
    // the demo's settings. Empty when the system names no such folder.
    static QString DefaultFolder();

    SerialDriver& driver() { return m_driver; }
    const QString& folder() const { return m_folder; }
    // Where its documents and the capture archive (captures/) go.
    QString reportsFolder() const;
    history::MemoryHistoryStore& history() { return m_history; }

    // The demo's ports, history, queue file and reports folder.
    void Configure(CQuellmaxApp::Parts& parts);
    // The instrument prints the sample of the kind chosen on the form; before InitInstance.
    void Attach(CQuellmaxApp& app);

private:
    QString m_folder;
    SimulatedInstrument m_instrument{InstrumentKind::Quellmax};
    SimulatedDriver m_driver;
    FixedSerialPortList m_ports;
    history::MemoryHistoryStore m_history;
};

} // namespace tessaprint
