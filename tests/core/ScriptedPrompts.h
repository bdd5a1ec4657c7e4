#pragma once

#include "util/Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace tessaprint::test {

// Answers the program's questions from a script and remembers what was asked.
class ScriptedPrompts : public Prompts {
public:
    int ShowError(const std::string& message) override
    {
        errors.push_back(message);
        return kIdOk;
    }
    int ShowConfirm(const std::string& message, DefaultButton defaultButton) override
    {
        confirms.push_back(message);
        confirmDefaults.push_back(defaultButton);
        return confirmAnswer;
    }
    void ShowMessageBox(const std::string& text) override { messageBoxes.push_back(text); }
    bool ShowMessageWithAction(const std::string& title, const std::string& text, const std::string& action) override
    {
        actionMessages.push_back(title + " | " + text + " | " + action);
        return pressAction;
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string&,
                                              const std::string& startFolder) override
    {
        fileQuestions.push_back(title + " @ " + startFolder);
        return Next();
    }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string&,
                                              const std::string& startFolder) override
    {
        fileQuestions.push_back(title + " @ " + startFolder);
        return Next();
    }
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override
    {
        folderQuestions.push_back(title + " @ " + start);
        return Next();
    }

    int confirmAnswer = kIdOk;
    std::deque<std::optional<std::string>> files; // answers to the file choosers, in order
    std::vector<std::string> errors;
    std::vector<std::string> confirms;
    std::vector<DefaultButton> confirmDefaults;
    std::vector<std::string> messageBoxes;
    bool pressAction = false;                 // the answer to messages with an action button
    std::vector<std::string> actionMessages;  // "title | text | action"
    std::vector<std::string> folderQuestions; // "title @ start folder"
    std::vector<std::string> fileQuestions;   // the file choosers': "title @ start folder"

private:
    std::optional<std::string> Next()
    {
        if (files.empty()) {
            return std::nullopt;
        }
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
};

} // namespace tessaprint::test
