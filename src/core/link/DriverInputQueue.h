#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tessaprint {

// The bytes a driver has received and not yet handed out, and the rule that
// tells which event they make. The instrument answers a framed request with a
// framed reply and everything else with printed text: after a whole frame was
// written, the next bytes to arrive are held until the reply frame is complete
// (or the reply timeout passes) and raised as one block event; all other bytes
// are raised as text events. A block read hands out exactly that frame, so
// text that follows it in the same burst stays for the next text event.
class DriverInputQueue {
public:
    // How long a partial reply frame is waited for before it is handed out
    // as it stands (the frame decoder then finds it bad).
    static constexpr int kReplyTimeoutMs = 500;

    void NoteWrite(const std::uint8_t* data, std::size_t count);
    void Append(const std::uint8_t* data, std::size_t count);

    // The event to raise now: the text or block event code, or 0 when nothing
    // is waiting or a reply frame is still incomplete (see WaitingForReply).
    int PendingEvent(bool replyTimedOut = false);
    bool WaitingForReply() const;

    // Raises the events the waiting bytes make, one after another, while the
    // callback takes bytes. A callback that reads more itself gets no nested
    // event. Returns WaitingForReply(): the caller then starts its reply
    // timeout and calls again with replyTimedOut when it passes.
    bool Dispatch(const std::function<int(int)>& callback, bool replyTimedOut = false);

    int Waiting() const { return static_cast<int>(m_bytes.size() - m_head); }
    int Read(std::uint8_t* buffer, int maxCount);
    void Purge();

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_head = 0;
    bool m_replyExpected = false;
    std::size_t m_blockLength = 0; // > 0 while a block event is raised and not read
    bool m_dispatching = false;
};

} // namespace tessaprint
