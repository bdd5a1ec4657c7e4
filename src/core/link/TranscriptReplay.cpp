#include "link/TranscriptReplay.h"

#include "link/ReceivePath.h"
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

struct TranscriptReplay::Parts {
    Parts(ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view)
        : path(driver, table, selector, view, clock)
    {
    }
    explicit Parts(ReceiveView& view) : path(driver, view, clock) {}
    DetachedDriver driver;
    ManualClock clock; // never moved on: a replay has no quiet time
    ReceivePath path;
};

TranscriptReplay::TranscriptReplay(ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view)
    : m_parts(std::make_unique<Parts>(table, selector, view))
{
}

TranscriptReplay::TranscriptReplay(ReceiveView& view) : m_parts(std::make_unique<Parts>(view))
{
}

TranscriptReplay::~TranscriptReplay() = default;

void TranscriptReplay::Feed(std::string_view bytes)
{
    m_parts->path.ProcessTextBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace tessaprint
