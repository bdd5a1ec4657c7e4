#include "link/ReceivePath.h"

#include "text/ByteScan.h"

#include "link/Frame.h"
#include "text/Windows1252.h"

#include <algorithm>

namespace tessaprint {

ReceivePath::ReceivePath(SerialDriver& driver, ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view,
                         Clock& clock)
    : m_driver(driver), m_table(&table), m_selector(&selector), m_view(view), m_quietTimer(clock.CreateTimer())
{
    m_quietTimer->SetHandler([this] { OnQuietTimer(); });
}

ReceivePath::ReceivePath(SerialDriver& driver, ReceiveView& view, Clock& clock)
    : m_driver(driver), m_table(nullptr), m_selector(nullptr), m_view(view), m_quietTimer(clock.CreateTimer())
{
    m_quietTimer->SetHandler([this] { OnQuietTimer(); });
}

int ReceivePath::OnDriverEvent(int code)
{
    const int kind = (code >> 8) & 0xFF;
    if (kind == (kTextEvent >> 8)) {
        ReadText();
    } else if (kind == (kBlockEvent >> 8)) {
        const int count = m_driver.DrvRead(m_receiveBuffer.data(), kReceiveBufferSize);
        DecodeFrames(count);
    }
    return static_cast<std::int16_t>(code & 0xFFFF);
}

void ReceivePath::ReadText()
{
    // Read until nothing is waiting; nothing is purged in text mode, so a
    // printout that outruns one event is picked up whole.
    for (int waiting = m_driver.DrvBytesWaiting(); waiting > 0; waiting = m_driver.DrvBytesWaiting()) {
        while (waiting > 0) {
            const int want = std::min(waiting, kReceiveBufferSize);
            const int got = m_driver.DrvRead(m_receiveBuffer.data(), want);
            if (got <= 0) {
                return; // the driver announced bytes it cannot deliver; the next event tries again
            }
            const auto n = static_cast<std::size_t>(std::min(got, want));
            if (m_textTap) {
                m_textTap(m_receiveBuffer.data(), n);
            }
            if (!m_discardingText) {
                ProcessTextBytes(m_receiveBuffer.data(), n);
            }
            waiting -= static_cast<int>(n);
        }
    }
}

void ReceivePath::ProcessTextBytes(const std::uint8_t* data, std::size_t count)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    std::size_t i = 0;
    while (i < count) {
        const char c = bytes[i];
        if (c == '\n') {
            DeliverBufferedLine();
            ++i;
        } else if (c == '\r') {
            ++i; // dropped
        } else if (c == '>') {
            // The instrument ends a prompt with '>' and sends no line feed after it.
            m_lineBuffer.push_back('>');
            DeliverBufferedLine();
            ++i;
        } else if (m_lineBuffer.empty() || m_lineBuffer.front() == '\0') {
            // NULs at the start of a line are dropped once an ordinary byte follows.
            m_lineBuffer.assign(1, c);
            ++i;
        } else {
            // The rest of a run of ordinary bytes goes in at once, up to the line limit.
            const std::size_t limit = std::min(count, i + (kMaxLineBytes - m_lineBuffer.size()));
            const std::size_t end = bytescan::FindFirst(
                bytes, i, limit,
                [](std::uint64_t word) {
                    return (bytescan::HasByte(word, '\n') | bytescan::HasByte(word, '\r') |
                            bytescan::HasByte(word, '>')) != 0;
                },
                [](unsigned char b) { return b == '\n' || b == '\r' || b == '>'; });
            m_lineBuffer.append(bytes + i, end - i);
            i = end;
        }
        if (m_lineBuffer.size() >= kMaxLineBytes) {
            DeliverBufferedLine();
        }
    }
}

void ReceivePath::DeliverBufferedLine()
{
    // Swapped, not moved: both strings keep their room for the next line.
    m_delivering.swap(m_lineBuffer);
    m_lineBuffer.clear();
    DeliverLine(m_delivering);
}

void ReceivePath::DeliverLine(const std::string& rawLine)
{
    if (IsAscii(rawLine)) {
        m_view.AppendLine(rawLine); // the same in UTF-8; no copy is made
        if (m_table != nullptr) {
            m_table->ParseResultLine(*m_selector, rawLine);
        }
    } else {
        const std::string line = DecodeWindows1252(rawLine);
        m_view.AppendLine(line);
        if (m_table != nullptr) {
            m_table->ParseResultLine(*m_selector, line);
        }
    }
    m_quietTimer->Start(kResultsQuietMs);
}

void ReceivePath::OnQuietTimer()
{
    m_view.PostResultsReady();
}

void ReceivePath::DecodeFrames(int count)
{
    count = std::clamp(count, 0, kReceiveBufferSize);
    const auto result =
        DecodeFrameBlock(m_receiveBuffer.data(), static_cast<std::size_t>(count), [this](const FrameView& frame) {
            if (frame.type == kVersionFrameType) {
                m_view.SetVersionText(DecodeWindows1252(VersionText(frame)));
            }
        });
    if (result == FrameBlockResult::Bad) {
        m_driver.DrvPurge();
    }
}

} // namespace tessaprint
