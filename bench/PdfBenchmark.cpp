// PDF copies with LibreOffice: the 50 Data Sheets of the 50-record capture in
// one batch, next to one plain office run over the same files, and a single
// Data Sheet with a kept profile and with a fresh one. Each is skipped where
// LibreOffice is not installed.
#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfBatchConverter.h"
#include "docs/PdfConverter.h"
#include "link/Replay.h"
#include "util/FileIo.h"
#include "util/ManualClock.h"
#include "util/PosixProcessRunner.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace tessaprint;

// The 50 Data Sheets, written once into a folder of their own, and the office program.
struct DataSheets {
    DataSheets()
    {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("tessaprint-bench-pdf-" + std::to_string(seed()));
        fs::create_directories(folder / "reports");
        const Result<std::string> found = docs::FindOffice("", docs::OfficeEnvironment::Current());
        if (!found) {
            return;
        }
        office = found.value();
        const Result<std::string> printout = ReadWholeFile(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt");
        if (!printout) {
            return;
        }
        ResultsTable table;
        ResultsListing listing;
        ReplayTranscript(printout.value(), table, listing);
        ManualClock clock;
        docs::DocumentEngine word;
        docs::DataSheetDispatch dispatch(table, word, clock);
        for (int k = 0; k < listing.SelectorCount(); ++k) {
            listing.ShowItem(table, k);
            const auto written = dispatch.OnDataSheet(docs::MakeDataSheetRequest(
                listing, listing, InstrumentKind::Quellmax, (folder / "reports").string(), 1));
            if (written) {
                documents.push_back(written.value().savedPath);
            }
        }
    }
    ~DataSheets()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // The PDFs beside the documents go, so that every round does the same work.
    void RemovePdfs() const
    {
        for (const auto& document : documents) {
            std::error_code ignored;
            fs::remove(fs::path(document).replace_extension(".pdf"), ignored);
        }
    }
    bool Skip(benchmark::State& state) const
    {
        if (office.empty()) {
            state.SkipWithError("LibreOffice (soffice) is not installed");
            return true;
        }
        if (documents.size() != 50) {
            state.SkipWithError("the Data Sheets were not written");
            return true;
        }
        return false;
    }

    fs::path folder;
    std::string office;
    std::vector<std::string> documents;
};

DataSheets& Sheets()
{
    static DataSheets sheets;
    return sheets;
}

// One plain office run over the 50 files with a fresh profile: what a batch is measured against.
void BM_PlainOfficeRunOfFiftyDataSheets(benchmark::State& state)
{
    const DataSheets& sheets = Sheets();
    if (sheets.Skip(state)) {
        return;
    }
    PosixProcessRunner runner;
    std::vector<fs::path> documents(sheets.documents.begin(), sheets.documents.end());
    int round = 0;
    for (auto _ : state) {
        const fs::path work = sheets.folder / ("plain-" + std::to_string(++round));
        const auto ran = runner.Run(
            sheets.office, docs::PdfBatchConverter::Arguments(work / "profile", work / "out", documents), 600000);
        if (!ran || ran.value().end != ProcessOutcome::End::Exited) {
            state.SkipWithError("the office run failed");
            break;
        }
        state.PauseTiming();
        fs::remove_all(work);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlainOfficeRunOfFiftyDataSheets)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

// The 50 copies through the batch converter: checked and moved beside their
// documents one by one. Arg 1: the kept profile (made before the first
// round, as after the program's first batch); 0: a fresh profile each time.
void BM_PdfBatchOfFiftyDataSheets(benchmark::State& state)
{
    const DataSheets& sheets = Sheets();
    if (sheets.Skip(state)) {
        return;
    }
    PosixProcessRunner runner;
    const bool kept = state.range(0) == 1;
    const std::string profiles = kept ? (sheets.folder / "profiles-batch").string() : std::string();
    const docs::PdfBatchConverter converter(runner, sheets.folder.string(), profiles);
    const docs::PdfBatchJob job{sheets.documents, sheets.office, 120};
    if (kept) {
        benchmark::DoNotOptimize(converter.Convert(docs::PdfBatchJob{{sheets.documents[0]}, sheets.office, 120}));
        sheets.RemovePdfs();
    }
    for (auto _ : state) {
        for (const auto& pdf : converter.Convert(job)) {
            if (!pdf) {
                state.SkipWithError(pdf.error().message.c_str());
            }
        }
        state.PauseTiming();
        sheets.RemovePdfs();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PdfBatchOfFiftyDataSheets)
    ->ArgName("kept")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);

// One Data Sheet's copy, as the window makes it after Data Sheet. Arg 1: the kept profile; 0: a fresh one.
void BM_PdfOfOneDataSheet(benchmark::State& state)
{
    const DataSheets& sheets = Sheets();
    if (sheets.Skip(state)) {
        return;
    }
    PosixProcessRunner runner;
    const bool kept = state.range(0) == 1;
    const std::string profiles = kept ? (sheets.folder / "profiles-one").string() : std::string();
    const docs::PdfConverter converter(runner, sheets.folder.string(), profiles);
    const docs::PdfJob job{sheets.documents[17], sheets.office, 120};
    if (kept) {
        benchmark::DoNotOptimize(converter.Convert(job));
        sheets.RemovePdfs();
    }
    for (auto _ : state) {
        const auto pdf = converter.Convert(job);
        if (!pdf) {
            state.SkipWithError(pdf.error().message.c_str());
            break;
        }
        state.PauseTiming();
        sheets.RemovePdfs();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PdfOfOneDataSheet)
    ->ArgName("kept")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace
