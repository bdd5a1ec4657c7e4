// Building and saving test record documents from a 50-record capture.
#include "docs/AllDataSheets.h"
#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/Replay.h"
#include "util/ManualClock.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace tessaprint;

struct Capture {
    Capture()
    {
        std::ifstream in(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        ReplayTranscript(bytes.str(), table, listing);
        folder = fs::temp_directory_path() / "tessaprint-bench-reports";
        fs::remove_all(folder);
    }
    ~Capture() { fs::remove_all(folder); }

    docs::DataSheetRequest Request(int k)
    {
        listing.ShowItem(table, k);
        return docs::MakeDataSheetRequest(listing, listing, InstrumentKind::Quellmax, folder.string(), 1);
    }

    ResultsTable table;
    ResultsListing listing;
    fs::path folder;
};

// One record: the walk, the .docx package and the file.
void BM_ElectricalSafetyRecord(benchmark::State& state)
{
    Capture capture;
    ManualClock clock;
    docs::DocumentEngine word;
    docs::DataSheetDispatch dispatch(capture.table, word, clock);
    const auto request = capture.Request(17);
    for (auto _ : state) {
        const auto result = dispatch.OnDataSheet(request);
        if (!result) {
            state.SkipWithError(result.error().message.c_str());
            break;
        }
        state.PauseTiming();
        fs::remove(result.value().savedPath); // keep the name free so every run does the same work
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ElectricalSafetyRecord)->Unit(benchmark::kMillisecond);

// "--item all": every record of the capture, one after the other.
void BM_AllFiftyRecords(benchmark::State& state)
{
    Capture capture;
    ManualClock clock;
    docs::DocumentEngine word;
    docs::DataSheetDispatch dispatch(capture.table, word, clock);
    std::vector<docs::DataSheetRequest> requests;
    for (int k = 0; k < capture.listing.SelectorCount(); ++k) {
        requests.push_back(capture.Request(k));
    }
    for (auto _ : state) {
        for (const auto& request : requests) {
            benchmark::DoNotOptimize(dispatch.OnDataSheet(request).ok());
        }
        state.PauseTiming();
        fs::remove_all(capture.folder);
        state.ResumeTiming();
    }
    state.counters["documents"] = static_cast<double>(requests.size());
}
BENCHMARK(BM_AllFiftyRecords)->Unit(benchmark::kMillisecond);

// "All Data Sheets": the whole memory through the batch the window runs off
// its thread (a word processor of its own for each document), as documents a second.
void BM_AllDataSheets(benchmark::State& state)
{
    Capture capture;
    docs::AllDataSheetsInput input;
    input.table = capture.table.Copy();
    input.listing = capture.listing;
    input.checkedKind = InstrumentKind::Quellmax;
    input.reportsFolder = capture.folder.string();
    ManualClock clock;
    const docs::WordProcessorFactory engine = [] { return std::make_unique<docs::DocumentEngine>(); };
    std::size_t documents = 0;
    for (auto _ : state) {
        const docs::AllDataSheetsResult result = docs::WriteAllDataSheets(input, engine, clock);
        if (!result.failures.empty()) {
            state.SkipWithError(result.failures.front().error.c_str());
            break;
        }
        documents += result.written.size();
        state.PauseTiming();
        fs::remove_all(capture.folder); // the same names, and so the same work, each time
        state.ResumeTiming();
    }
    state.counters["documents"] = benchmark::Counter(static_cast<double>(documents), benchmark::Counter::kIsRate);
}
// Real time: the rate includes flushing each file to the disk, as the technician waits for it.
BENCHMARK(BM_AllDataSheets)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
