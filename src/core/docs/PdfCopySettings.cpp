#include "docs/PdfCopySettings.h"

#include <charconv>

namespace tessaprint::docs {

PdfCopySettings PdfCopySettings::Read(const SettingsStore& settings)
{
    PdfCopySettings read;
    read.savePdf = settings.Read(settings::kSavePdf) == "1";
    read.officeCommand = settings.Read(settings::kOfficeCommand);
    read.timeLimitSeconds = TimeLimitFrom(settings.Read(settings::kPdfTimeLimitSeconds));
    return read;
}

int PdfCopySettings::TimeLimitFrom(const std::string& text)
{
    int seconds = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, seconds);
    if (text.empty() || error != std::errc() || last != end || seconds < kMinTimeLimitSeconds ||
        seconds > kMaxTimeLimitSeconds) {
        return kDefaultTimeLimitSeconds;
    }
    return seconds;
}

} // namespace tessaprint::docs
