// The offline parse as `tessaprint-cli parse` runs it: an 8 MiB transcript
// (the 50-record printout again and again) decoded and written as JSON.
#include "link/Replay.h"
#include "results/ResultsJson.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <streambuf>

namespace {

std::string LargeTranscript()
{
    std::ifstream in(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string printout = bytes.str();
    std::string transcript;
    while (transcript.size() < (std::size_t{8} << 20)) {
        transcript += printout;
    }
    return transcript;
}

// Counts what it is given and keeps none of it, so only the parse and the
// writer are measured.
class CountingBuffer : public std::streambuf {
public:
    std::size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override
    {
        bytes += static_cast<std::size_t>(count);
        return count;
    }
    int_type overflow(int_type c) override
    {
        ++bytes;
        return traits_type::not_eof(c);
    }
};

void BM_ParseEightMiBTranscriptToJson(benchmark::State& state)
{
    const std::string transcript = LargeTranscript();
    std::size_t jsonBytes = 0;
    for (auto _ : state) {
        CountingBuffer sink;
        std::ostream out(&sink);
        tessaprint::WriteResultsJson(out, [&](tessaprint::ResultsTable& table, tessaprint::ResultsListing& listing) {
            tessaprint::ReplayTranscript(transcript, table, listing);
        });
        jsonBytes = sink.bytes;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(transcript.size()));
    state.counters["transcript_MiB"] = static_cast<double>(transcript.size()) / (1 << 20);
    state.counters["json_MiB"] = static_cast<double>(jsonBytes) / (1 << 20);
}
BENCHMARK(BM_ParseEightMiBTranscriptToJson)->Unit(benchmark::kMillisecond);

} // namespace
