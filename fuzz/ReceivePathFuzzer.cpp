// The receive path as a driver feeds it: bytes in bursts of any size, now and
// then a framed request written first so that a reply frame is awaited, and
// time passing between bursts (quiet timer, reply timeout).
#include "FuzzInput.h"

#include "link/DriverInputQueue.h"
#include "link/InstrumentCommands.h"
#include "link/ReceivePath.h"
#include "results/ResultsListing.h"
#include "util/ManualClock.h"

#include <cstdlib>

namespace tessaprint::fuzz {
namespace {

class QueueDriver : public SerialDriver {
public:
    int DrvOpen(int) override { return 0; }
    void DrvClose() override {}
    void DrvPurge() override { queue.Purge(); }
    int DrvBytesWaiting() override { return queue.Waiting(); }
    int DrvRead(std::uint8_t* buffer, int maxCount) override { return queue.Read(buffer, maxCount); }
    int DrvWrite(const std::uint8_t* buffer, int count) override
    {
        queue.NoteWrite(buffer, static_cast<std::size_t>(count));
        return count;
    }
    void DrvSetCallback(EventCallback callback) override { this->callback = std::move(callback); }
    void DrvSetOption(int, int) override {}
    void DrvEnable(int) override {}
    bool IsOpen() const override { return true; }

    DriverInputQueue queue;
    EventCallback callback;
};

} // namespace
} // namespace tessaprint::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessaprint;
    fuzz::FuzzInput input(data, size);
    fuzz::QueueDriver driver;
    ManualClock clock;
    ResultsTable table;
    ResultsListing listing;
    ReceivePath receive(driver, table, listing, listing, clock);
    driver.callback = [&receive](int code) { return receive.OnDriverEvent(code); };

    while (!input.Empty()) {
        const std::uint8_t steer = input.Byte();
        if (steer % 11 == 0) {
            SendVersionRequest(driver); // the next bytes are awaited as a reply frame
        }
        const std::string_view burst = input.Take(1U + steer % 64U * (steer % 7 == 0 ? 64U : 1U));
        driver.queue.Append(reinterpret_cast<const std::uint8_t*>(burst.data()), burst.size());
        if (driver.queue.Dispatch(driver.callback)) {
            clock.Advance(steer % 3 == 0 ? DriverInputQueue::kReplyTimeoutMs : 10);
            driver.queue.Dispatch(driver.callback, true);
        }
        clock.Advance(steer % 5 == 0 ? ReceivePath::kResultsQuietMs : steer % 100);
        // A line never grows past its bound, whatever came.
        if (receive.lineBuffer().size() >= ReceivePath::kMaxLineBytes) {
            std::abort();
        }
    }
    return 0;
}
