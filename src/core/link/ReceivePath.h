#pragma once

#include "link/SerialDriver.h"
#include "results/ResultsTable.h"
#include "results/ResultsViews.h"
#include "util/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tessaprint {

// Turns driver events into lines and decoded frames. Text events are read
// byte by byte into lines (LF or '>' ends a line, CR is dropped); block
// events are checked frame by frame. Every line goes to the view and to the
// line parser, and restarts the quiet timer that ends a printout.
class ReceivePath {
public:
    static constexpr int kReceiveBufferSize = 1024;
    static constexpr int kResultsQuietMs = 750;
    // A line that grows this long without LF or '>' is delivered as it stands
    // and the rest continues as the next line, so noise on the line cannot
    // take all memory and no byte is dropped.
    static constexpr std::size_t kMaxLineBytes = 8192;

    ReceivePath(SerialDriver& driver, ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view,
                Clock& clock);
    // Lines to the view alone, for a caller that parses them itself.
    ReceivePath(SerialDriver& driver, ReceiveView& view, Clock& clock);

    // The driver's event callback.
    int OnDriverEvent(int code);

    // The byte rule over a run of text bytes, as text mode applies it to what
    // it reads; also used to replay a saved transcript.
    void ProcessTextBytes(const std::uint8_t* data, std::size_t count);
    // Checks and decodes the first count bytes of the receive buffer.
    void DecodeFrames(int count);
    // Takes one complete line as raw instrument bytes (no CR or LF).
    void DeliverLine(const std::string& rawLine);

    // Forgets a line begun and not ended (a printout cut off), so that it
    // cannot become the start of the next printout's first line.
    void DiscardPartialLine() { m_lineBuffer.clear(); }

    // While set, text is read from the driver and shown to the tap, but makes
    // no lines: a line that would not stop talking is drained, not parsed.
    void SetDiscardingText(bool discarding)
    {
        m_discardingText = discarding;
        m_lineBuffer.clear();
    }

    // Sees every text byte read from the driver, before the byte rule.
    void SetTextTap(std::function<void(const std::uint8_t*, std::size_t)> tap) { m_textTap = std::move(tap); }

    const std::string& lineBuffer() const { return m_lineBuffer; }
    // The printout ended some other way (a lost port); no "results ready" follows.
    void CancelQuietTimer() { m_quietTimer->Stop(); }

private:
    void ReadText();
    void DeliverBufferedLine();
    void OnQuietTimer();

    SerialDriver& m_driver;
    ResultsTable* m_table;
    EquipmentIdSelector* m_selector;
    ReceiveView& m_view;
    std::unique_ptr<Timer> m_quietTimer;
    std::array<std::uint8_t, kReceiveBufferSize> m_receiveBuffer{};
    std::string m_lineBuffer;
    std::string m_delivering;
    std::function<void(const std::uint8_t*, std::size_t)> m_textTap;
    bool m_discardingText = false;
};

} // namespace tessaprint
