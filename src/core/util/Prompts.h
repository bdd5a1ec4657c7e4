#pragma once

#include <optional>
#include <string>

namespace tessaprint {

// Result codes of the message dialogs.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Which button of the "Confirm" dialog Enter presses. With Cancel, Enter and
// Escape both refuse, and only a click (or Space or Alt+O on OK) agrees.
enum class DefaultButton { Ok, Cancel };

// Every question the program puts to the user, behind one interface: the
// window shows real dialogs, tests answer at once.
class Prompts {
public:
    virtual ~Prompts() = default;
    // The "Error" dialog; returns its result code.
    virtual int ShowError(const std::string& message) = 0;
    // The "Confirm" dialog; kIdOk only when the user pressed OK.
    virtual int ShowConfirm(const std::string& message, DefaultButton defaultButton) = 0;
    // A message box with only an OK button (document errors).
    virtual void ShowMessageBox(const std::string& text) = 0;
    // A message with OK and one more button, whose caption is action (such as
    // "Open Reports Folder"); true when that button was pressed.
    virtual bool ShowMessageWithAction(const std::string& title, const std::string& text,
                                       const std::string& action) = 0;
    // A file to save to or open, the chooser starting in startFolder; nothing
    // when the user cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                                      const std::string& startFolder) = 0;
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                                      const std::string& startFolder) = 0;
    // A file system folder, starting at start; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) = 0;
};

} // namespace tessaprint
