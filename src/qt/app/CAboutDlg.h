#pragma once

#include <QDialog>

namespace tessaprint {

// "About Tessaprint": the icon, the name and version, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tessaprint
