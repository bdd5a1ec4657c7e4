// Judging a whole capture: the 50-record printout split into rows and every
// record judged by the shipped recurrent-test profile, with an equipment list.
#include "link/Replay.h"
#include "results/ResultsListing.h"
#include "verdict/VerdictEngine.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

using namespace tessaprint;
using namespace tessaprint::verdict;

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
    const VerdictEngine engine(LimitsLibrary::Shipped(), EquipmentList(std::move(devices)));

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
