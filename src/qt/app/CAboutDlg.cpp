#include "app/CAboutDlg.h"

#include "TessaprintVersion.h"
#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace tessaprint {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(ControlName(ControlId::Window::About));
    setWindowTitle(QStringLiteral("About Tessaprint"));
    setFixedSize(DluX(170), DluY(62));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setGeometry(DluRect(14, 14, 21, 20));
    auto* text = new QLabel(QStringLiteral("Tessaprint, Version ") + QLatin1String(kVersion), this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setGeometry(DluRect(42, 14, 114, 8));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(ControlId::Dialog::Ok));
    ok->setDefault(true);
    ok->setGeometry(DluRect(113, 41, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace tessaprint
