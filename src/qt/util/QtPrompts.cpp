#include "util/QtPrompts.h"

#include "util/CMessageDialog.h"
#include "util/ControlId.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace tessaprint {

namespace {
// The window that asked, when it was the active one, is active again once the
// dialog closes: also where no window manager hands the focus back to it.
class FocusReturn {
public:
    explicit FocusReturn(QWidget* window) : m_window(window), m_wasActive(window && window->isActiveWindow()) {}
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;
    ~FocusReturn()
    {
        if (m_wasActive && m_window && m_window->isVisible()) {
            m_window->activateWindow();
        }
    }

private:
    QPointer<QWidget> m_window;
    bool m_wasActive;
};
} // namespace

QWidget* QtPrompts::AskingWindow() const
{
    // A modal dialog asks on top of the window that opened it; a popup (an
    // open menu) or a tooltip is no window to centre on.
    QWidget* asking = QApplication::activeModalWidget();
    if (!asking) {
        asking = QApplication::activeWindow();
    }
    if (asking && asking->isVisible() && !(asking->windowType() == Qt::Popup || asking->windowType() == Qt::ToolTip)) {
        return asking;
    }
    return m_parent;
}

int QtPrompts::ShowError(const std::string& message)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    CError dialog(asking);
    dialog.m_strMessage = QString::fromStdString(message);
    return dialog.DoModal();
}

int QtPrompts::ShowConfirm(const std::string& message, DefaultButton defaultButton)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    CConfirm dialog(asking);
    dialog.m_strMessage = QString::fromStdString(message);
    if (defaultButton == DefaultButton::Cancel) {
        dialog.MakeCancelDefault();
    }
    return dialog.DoModal();
}

void QtPrompts::ShowMessageBox(const std::string& text)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    QMessageBox::warning(asking, QStringLiteral("Tessaprint"), QString::fromStdString(text), QMessageBox::Ok);
}

bool QtPrompts::ShowMessageWithAction(const std::string& title, const std::string& text, const std::string& action)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, asking);
    box.setObjectName(ControlName(ControlId::Window::MessageWithAction));
    box.setTextFormat(Qt::PlainText); // IDs and reasons come from the instrument and the system
    QPushButton* actionButton = box.addButton(QString::fromStdString(action), QMessageBox::ActionRole);
    actionButton->setObjectName(ControlName(ControlId::MessageWithAction::Action));
    box.button(QMessageBox::Ok)->setObjectName(ControlName(ControlId::Dialog::Ok));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok); // Escape closes it as OK does, choosing no action
    box.exec();
    return box.clickedButton() == actionButton;
}

std::optional<std::string> QtPrompts::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                     const std::string& startFolder)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    const QString path = QFileDialog::getSaveFileName(
        asking, QString::fromStdString(title), QString::fromStdString(startFolder), QString::fromStdString(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtPrompts::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                     const std::string& startFolder)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    const QString path = QFileDialog::getOpenFileName(
        asking, QString::fromStdString(title), QString::fromStdString(startFolder), QString::fromStdString(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtPrompts::ChooseFolder(const std::string& title, const std::string& start)
{
    QWidget* asking = AskingWindow();
    const FocusReturn back(asking);
    const QString folder = QFileDialog::getExistingDirectory(asking, QString::fromStdString(title),
                                                             QString::fromStdString(start), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(folder).toStdString();
}

} // namespace tessaprint
