#include "link/Replay.h"

#include "link/ReceivePath.h"
#include "results/CaptureFile.h"
#include "util/ManualClock.h"

namespace tessaprint {

namespace {

// No port behind it: a transcript brings its bytes itself.
class DetachedDriver : public SerialDriver {
public:
    int DrvOpen(int) override { return -1; }
    void DrvClose() override {}
    void DrvPurge() override {}
    int DrvBytesWaiting() override { return 0; }
    int DrvRead(std::uint8_t*, int) override { return 0; }
    int DrvWrite(const std::uint8_t*, int) override { return 0; }
    void DrvSetCallback(EventCallback) override {}
    void DrvSetOption(int, int) override {}
    void DrvEnable(int) override {}
    bool IsOpen() const override { return false; }
};

} // namespace

void ReplayTranscript(std::string_view bytes, ResultsTable& table, ResultsListing& listing)
{
    DetachedDriver driver;
    ManualClock clock;
    ReceivePath path(driver, table, listing, listing, clock);
    path.ProcessTextBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void ReplayCaptureFile(std::string_view content, ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view)
{
    ForEachCaptureLine(content, [&](std::string_view line) {
        const std::string text(line);
        view.AppendLine(text);
        table.ParseResultLine(selector, text);
    });
}

} // namespace tessaprint
