#include "app/DemoMode.h"

#include "app/DemoHistory.h"
#include "link/PortConnection.h"
#include "link/QtSerialDriver.h"

#include <QDir>
#include <QStandardPaths>

namespace tessaprint {

namespace {

// The demo's instrument answers on every COM port at its default device, so
// the Port menu lists an adapter there, not the machine's own ports.
QList<SerialPortEntry> DemoPorts()
{
    QList<SerialPortEntry> ports;
    for (int n = PortConnection::kMinPort; n <= PortConnection::kMaxPort; ++n) {
        SerialPortEntry port;
#ifdef Q_OS_WIN
        port.device = QString::fromStdString(PortConnection::PortName(n));
#else
        port.device = QtSerialDriver::DefaultDevice(n);
#endif
        port.portName = port.device.section(QLatin1Char('/'), -1);
        port.description = n - 1 == DemoMode::kBusyPort
                               ? QStringLiteral("Simulated instrument, in use by another program")
                               : QStringLiteral("Simulated instrument");
        port.manufacturer = QStringLiteral("Tessaprint demo");
        port.serialNumber = QStringLiteral("DEMO%1").arg(n);
        ports.append(port);
    }
    return ports;
}

} // namespace

DemoMode::DemoMode(Clock& clock, QString folder)
    : m_folder(std::move(folder)), m_driver(m_instrument, clock), m_ports(DemoPorts())
{
    m_driver.SetBusyPorts({kBusyPort});
    SeedDemoHistory(m_history);
    SeedDemoEquipment(m_history);
}

QString DemoMode::DefaultFolder()
{
    // Not the shared temporary folder: another user could have put something at a fixed name there.
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (own.isEmpty() || !QDir::isAbsolutePath(own)) {
        return {};
    }
    return QDir::cleanPath(own + QStringLiteral("/../Tessaprint Demo"));
}

QString DemoMode::reportsFolder() const
{
    return m_folder + QStringLiteral("/reports");
}

void DemoMode::Configure(CQuellmaxApp::Parts& parts)
{
    parts.ports = &m_ports;
    parts.historyStore = [this] { return history::BorrowHistoryStore(m_history); };
    parts.historyQueueFile = m_folder + QStringLiteral("/history-queue.json");
    parts.ownReportsFolder = QDir::toNativeSeparators(reportsFolder()).toStdString();
}

void DemoMode::Attach(CQuellmaxApp& app)
{
    app.SetKindChangedHandler([this](InstrumentKind kind) { m_instrument.SetKind(kind); });
}

} // namespace tessaprint
