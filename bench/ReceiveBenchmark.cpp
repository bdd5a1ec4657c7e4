// Throughput of the receive path: bytes through the byte rule, the code page
// decoding and the line parser, on a realistic 50-record printout.
#include "link/DriverInputQueue.h"
#include "link/ReceivePath.h"
#include "link/Replay.h"
#include "results/ResultsListing.h"
#include "util/ManualClock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string LoadPrintout()
{
    std::ifstream in(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The whole offline path: a fresh table and lists for every printout.
void BM_ReplayPrintout(benchmark::State& state)
{
    const std::string printout = LoadPrintout();
    for (auto _ : state) {
        tessaprint::ResultsTable table;
        tessaprint::ResultsListing listing;
        tessaprint::ReplayTranscript(printout, table, listing);
        benchmark::DoNotOptimize(listing.lines().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(printout.size()));
    state.counters["printout_bytes"] = static_cast<double>(printout.size());
}
BENCHMARK(BM_ReplayPrintout);

// The live path: bursts of 64 bytes land in a driver's input queue and raise
// text events that the receive path reads, as on a port.
class QueueDriver : public tessaprint::SerialDriver {
public:
    tessaprint::DriverInputQueue queue;
    int DrvOpen(int) override { return 0; }
    void DrvClose() override {}
    void DrvPurge() override { queue.Purge(); }
    int DrvBytesWaiting() override { return queue.Waiting(); }
    int DrvRead(std::uint8_t* buffer, int maxCount) override { return queue.Read(buffer, maxCount); }
    int DrvWrite(const std::uint8_t*, int count) override { return count; }
    void DrvSetCallback(EventCallback) override {}
    void DrvSetOption(int, int) override {}
    void DrvEnable(int) override {}
    bool IsOpen() const override { return true; }
};

void BM_DriverEventsIn64ByteBursts(benchmark::State& state)
{
    const std::string printout = LoadPrintout();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(printout.data());
    for (auto _ : state) {
        tessaprint::ManualClock clock;
        QueueDriver driver;
        tessaprint::ResultsTable table;
        tessaprint::ResultsListing listing;
        tessaprint::ReceivePath path(driver, table, listing, listing, clock);
        const auto onEvent = [&path](int code) { return path.OnDriverEvent(code); };
        for (std::size_t at = 0; at < printout.size(); at += 64) {
            driver.queue.Append(bytes + at, std::min<std::size_t>(64, printout.size() - at));
            driver.queue.Dispatch(onEvent);
        }
        benchmark::DoNotOptimize(listing.lines().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(printout.size()));
}
BENCHMARK(BM_DriverEventsIn64ByteBursts);

} // namespace
