#pragma once

#include "util/SettingsStore.h"

#include <string>

namespace tessaprint::docs {

// What the settings say about PDF copies of the documents written.
struct PdfCopySettings {
    static constexpr int kDefaultTimeLimitSeconds = 120;
    static constexpr int kMinTimeLimitSeconds = 1;
    static constexpr int kMaxTimeLimitSeconds = 3600;

    // Only "1" turns the copies on.
    bool savePdf = false;
    // Empty: look for the office program (see FindOffice).
    std::string officeCommand;
    // A whole number of seconds from 1 to 3600; anything else is the default.
    int timeLimitSeconds = kDefaultTimeLimitSeconds;

    static PdfCopySettings Read(const SettingsStore& settings);
    // The time limit a setting's text gives.
    static int TimeLimitFrom(const std::string& text);
};

} // namespace tessaprint::docs
