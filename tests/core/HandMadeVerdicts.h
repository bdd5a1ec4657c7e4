#pragma once

// Verdicts made by hand, as the engine gives them, for the tests of the
// places that show them.
#include "verdict/VerdictEngine.h"

#include <string>
#include <utility>
#include <vector>

namespace tessaprint::test {

inline verdict::ReadingVerdict Judged(verdict::Outcome outcome, std::string limit = {}, std::string why = {})
{
    verdict::ReadingVerdict v;
    v.outcome = outcome;
    v.limit = std::move(limit);
    v.why = std::move(why);
    if (outcome != verdict::Outcome::NoLimit) {
        v.ruleId = "hand.made";
    }
    return v;
}

// Rows without a verdict of their own have no limit.
inline verdict::RecordVerdict RecordVerdictOf(std::size_t rows,
                                              std::vector<std::pair<std::size_t, verdict::ReadingVerdict>> judged)
{
    verdict::RecordVerdict record;
    record.profileName = "iec62353";
    record.profileVersion = "test";
    record.readings.assign(rows, Judged(verdict::Outcome::NoLimit));
    for (auto& [row, v] : judged) {
        record.readings.at(row) = std::move(v);
    }
    return record;
}

} // namespace tessaprint::test
