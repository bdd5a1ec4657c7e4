#include "link/DriverInputQueue.h"

#include "link/Frame.h"
#include "link/SerialDriver.h"

#include <algorithm>
#include <cstring>

namespace tessaprint {

void DriverInputQueue::NoteWrite(const std::uint8_t* data, std::size_t count)
{
    if (IsWholeFrame(data, count)) {
        m_replyExpected = true;
    }
}

void DriverInputQueue::Append(const std::uint8_t* data, std::size_t count)
{
    if (count == 0) {
        return;
    }
    // Drop what was read already before growing, so the buffer stays the size
    // of what is actually waiting.
    if (m_head > 0 && m_head >= m_bytes.size() / 2) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_head));
        m_head = 0;
    }
    m_bytes.insert(m_bytes.end(), data, data + count);
}

bool DriverInputQueue::WaitingForReply() const
{
    return m_replyExpected && Waiting() > 0;
}

int DriverInputQueue::PendingEvent(bool replyTimedOut)
{
    const auto waiting = static_cast<std::size_t>(Waiting());
    if (waiting == 0) {
        return 0;
    }
    if (m_blockLength > 0) {
        return kBlockEvent;
    }
    if (m_replyExpected) {
        const std::uint8_t* head = m_bytes.data() + m_head;
        std::size_t length = 0;
        if (waiting >= 2) {
            length = head[1];
            if (length < kFrameHeaderSize) {
                length = waiting; // cannot be a frame: hand it out for the decoder to refuse
            }
        }
        if (length == 0 || length > waiting) {
            if (!replyTimedOut) {
                return 0;
            }
            length = waiting;
        }
        m_replyExpected = false;
        m_blockLength = std::min(length, waiting);
        return kBlockEvent;
    }
    return kTextEvent;
}

bool DriverInputQueue::Dispatch(const std::function<int(int)>& callback, bool replyTimedOut)
{
    if (m_dispatching || !callback) {
        return WaitingForReply();
    }
    m_dispatching = true;
    for (int event = PendingEvent(replyTimedOut); event != 0; event = PendingEvent(replyTimedOut)) {
        const int before = Waiting();
        callback(event);
        if (Waiting() >= before) {
            break; // the handler took nothing; the next arrival raises it again
        }
    }
    m_dispatching = false;
    return WaitingForReply();
}

int DriverInputQueue::Read(std::uint8_t* buffer, int maxCount)
{
    std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(0, maxCount)), static_cast<std::size_t>(Waiting()));
    if (m_blockLength > 0) {
        n = std::min(n, m_blockLength);
        m_blockLength = 0;
    }
    if (n > 0) {
        std::memcpy(buffer, m_bytes.data() + m_head, n);
        m_head += n;
    }
    if (m_head == m_bytes.size()) {
        m_bytes.clear();
        m_head = 0;
    }
    return static_cast<int>(n);
}

void DriverInputQueue::Purge()
{
    m_bytes.clear();
    m_head = 0;
    m_blockLength = 0;
    m_replyExpected = false;
}

} // namespace tessaprint
