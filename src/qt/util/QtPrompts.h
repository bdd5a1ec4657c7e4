#pragma once

#include "util/Prompts.h"

class QWidget;

namespace tessaprint {

// The real dialogs: "Error", "Confirm", message boxes and the desktop's file
// choosers. Each belongs to the window that asked (the active one: the work
// order window for its own questions, an entry dialog for its own), so it is
// centred on that window and the focus goes back there; parent is the window
// for questions asked while none of the program's windows is active.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    // The window a question asked now belongs to.
    QWidget* AskingWindow() const;

    int ShowError(const std::string& message) override;
    int ShowConfirm(const std::string& message, DefaultButton defaultButton) override;
    void ShowMessageBox(const std::string& text) override;
    // A message box (ControlId::Window::MessageWithAction) with the action
    // button (ControlId::MessageWithAction::Action) beside OK.
    bool ShowMessageWithAction(const std::string& title, const std::string& text, const std::string& action) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& startFolder) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startFolder) override;
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;

private:
    QWidget* m_parent;
};

} // namespace tessaprint
