// Judging a whole capture: the 50-record printout split into rows and every
// record judged by rules of the shipped kind (the leakage and earth limits of
// a recurrent test and the defibrillator's), with an equipment list.
#include "link/Replay.h"
#include "results/ResultsListing.h"
#include "verdict/VerdictEngine.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

using namespace tessaprint;
using namespace tessaprint::verdict;

Rule MaxRule(std::string id, std::string test, std::string unit, double max)
{
    Rule rule;
    rule.id = std::move(id);
    rule.test = std::move(test);
    rule.unit = std::move(unit);
    rule.max = max;
    rule.source = "IEC 60601-1";
    return rule;
}

Rule ForParts(Rule rule, std::vector<AppliedPart> parts)
{
    rule.id += parts.back() == AppliedPart::CF ? ".cf" : ".b-bf";
    rule.appliedParts = std::move(parts);
    return rule;
}

// The electrical safety rules as the shipped recurrent-test profile has them.
Profile RecurrentTestProfile()
{
    Profile profile{"iec62353", "2014-1", "", {}};
    Rule ground = MaxRule("ground.with-cord", "Ground Resistance", "Ohm", 0.3);
    ground.classes = {DeviceClass::I};
    ground.cord = Cord::WithCord;
    profile.rules.push_back(ground);
    ground.id = "ground.without-cord";
    ground.max = 0.2;
    ground.cord = Cord::WithoutCord;
    profile.rules.push_back(ground);
    for (const char* test : {"Case Leakage", "Case Leakage Reverse Polarity"}) {
        profile.rules.push_back(MaxRule(test, test, "uA", 100));
    }
    for (const char* test : {"Case Leakage Open Ground", "Case Leakage Open Neutral"}) {
        profile.rules.push_back(MaxRule(test, test, "uA", 500));
    }
    const std::vector<AppliedPart> bbf{AppliedPart::B, AppliedPart::BF};
    const std::vector<AppliedPart> cf{AppliedPart::CF};
    for (const char* test :
         {"Leads Leakage To Ground", "Leads Leakage Reverse Polarity", "Leads Leakage Lead To Lead"}) {
        profile.rules.push_back(ForParts(MaxRule(test, test, "uA", 100), bbf));
        profile.rules.push_back(ForParts(MaxRule(test, test, "uA", 10), cf));
    }
    profile.rules.push_back(ForParts(MaxRule("open-ground", "Leads Leakage Open Ground", "uA", 500), bbf));
    profile.rules.push_back(ForParts(MaxRule("open-ground", "Leads Leakage Open Ground", "uA", 50), cf));
    for (const char* test : {"Isolation Leakage", "Isolation Leakage Reverse Polarity"}) {
        profile.rules.push_back(ForParts(MaxRule(test, test, "uA", 5000), {AppliedPart::BF}));
        profile.rules.push_back(ForParts(MaxRule(test, test, "uA", 50), cf));
    }
    for (const char* part :
         {"Enclosure", "Patient Cable", "Footswitch", "Probe", "Probe To Enclosure", "Bed Rail", "Return Electrode"}) {
        const std::string test = std::string("External Leakage ") + part;
        profile.rules.push_back(MaxRule(test, test, "uA", 100));
    }
    Rule energy = MaxRule("defib.energy", "Defib", "J", 0);
    energy.kind = InstrumentKind::Kappa5100;
    energy.max.reset();
    energy.fieldUnit = "J";
    energy.tolerance = Tolerance{3, 0.15};
    profile.rules.push_back(energy);
    return profile;
}

void BM_JudgeFiftyRecordCapture(benchmark::State& state)
{
    std::ifstream in(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt", std::ios::binary);
    std::ostringstream printout;
    printout << in.rdbuf();
    ResultsTable table;
    ResultsListing listing;
    ReplayTranscript(printout.str(), table, listing);

    // Every other device listed, with the applied parts of a monitor or a defibrillator.
    std::vector<Device> devices;
    for (int r = 0; r < table.RecordCapacity(); r += 2) {
        if (!table.EquipmentId(r).empty() && table.ValueCount(r) > 0) {
            Device device;
            device.equipmentId = table.EquipmentId(r);
            device.appliedParts = {r % 4 == 0 ? AppliedPart::CF : AppliedPart::BF};
            devices.push_back(device);
        }
    }
    const VerdictEngine engine(LimitsLibrary::FromProfiles({RecurrentTestProfile()}, "iec62353"),
                               EquipmentList(std::move(devices)));

    int records = 0;
    int readings = 0;
    for (auto _ : state) {
        records = 0;
        readings = 0;
        for (int r = 0; r < table.RecordCapacity(); ++r) {
            const int count = table.ValueCount(r);
            if (count == 0) {
                continue;
            }
            std::vector<ReadingRow> rows;
            rows.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                SplitReadingResult split = ResultsTable::SplitReading(table.Value(r, i));
                rows.push_back({std::to_string(i + 1), std::move(split.testName), std::move(split.reading)});
            }
            const RecordVerdict verdict = engine.JudgeRecord(InstrumentKind::Quellmax, table.EquipmentId(r), rows);
            benchmark::DoNotOptimize(verdict.outcome);
            ++records;
            readings += count;
        }
    }
    state.counters["records"] = records;
    state.counters["readings"] = readings;
}
BENCHMARK(BM_JudgeFiftyRecordCapture)->Unit(benchmark::kMicrosecond);

} // namespace
