#pragma once

#include "util/Result.h"
#include "util/SettingsStore.h"
#include "verdict/VerdictEngine.h"
#include "verdict/VerdictSources.h"

#include <memory>
#include <vector>

namespace tessaprint {

// Options > Limits: whether readings are judged, and the files and profile
// they are judged by.
struct LimitsChoice {
    bool on = false;
    verdict::VerdictSources sources;

    // As stored ("Limits"); unset: verdicts off, the shipped profiles.
    static LimitsChoice Read(const SettingsStore& settings);
    void Write(SettingsStore& settings) const;
};

// The engine a choice makes: nullptr when verdicts are off; with them on,
// the first fault of a file (naming it and its line) or an unknown profile.
// `stored`: the equipment list kept in the history, which the engine goes by
// when the choice names no equipment list file.
Result<std::shared_ptr<const verdict::VerdictEngine>>
MakeChosenEngine(const LimitsChoice& choice, const std::vector<verdict::Device>* stored = nullptr);

} // namespace tessaprint
