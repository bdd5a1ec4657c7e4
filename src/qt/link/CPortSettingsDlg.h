#pragma once

#include "link/SerialPortList.h"
#include "util/SettingsStore.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace tessaprint {

// Port > Settings...: the system's serial ports, kept up to date while the
// dialog is open, and the device each of COM1 … COM10 opens. OK stores every
// COMn's device as "Serial"/"COMnDevice" (an empty entry as empty, which
// means the default /dev/ttyUSB<n-1>); Cancel stores nothing. On Windows
// COMn is the system's port of that name, so the dialog only shows what
// each one is. The line settings (speed, data bits, parity, stop bits) are
// every port's, stored beside the devices on OK.
class CPortSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // Typing starts in currentPort's device (COM1's when it is 0).
    CPortSettingsDlg(SettingsStore& settings, SerialPortList& ports, int currentPort, QWidget* parent = nullptr);

    void OnOK();

public slots:
    void accept() override { OnOK(); }

private:
    void ShowPorts();
    void ShowPresence(int n);
    QString DeviceOf(int n) const;

    SettingsStore& m_settings;
    SerialPortList& m_ports;
    QLabel* m_portsCaption;
    QTreeWidget* m_list;
    QList<QComboBox*> m_devices; // COM1 … COM10; empty on Windows
    QList<QLabel*> m_presence;
    QComboBox* m_baud;
    QComboBox* m_dataBits;
    QComboBox* m_parity;
    QComboBox* m_stopBits;
};

} // namespace tessaprint
