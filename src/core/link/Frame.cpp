#include "link/Frame.h"

namespace tessaprint {

namespace {

std::uint8_t XorOf(const std::uint8_t* bytes, std::size_t count)
{
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < count; ++i) {
        x ^= bytes[i];
    }
    return x;
}

// Checks the frame at the start of bytes; its length, or 0 when it is bad.
std::size_t CheckFrame(const std::uint8_t* bytes, std::size_t available)
{
    if (available < 2) {
        return 0;
    }
    const std::size_t length = bytes[1];
    if (length < kFrameHeaderSize || length > available) {
        return 0;
    }
    if ((bytes[0] ^ bytes[1] ^ bytes[2]) != bytes[3]) {
        return 0;
    }
    if (length != kFrameHeaderSize) {
        // The payload runs from offset 4 up to the check byte at L − 1 (none for L = 5).
        if (XorOf(bytes + kFrameHeaderSize, length - kFrameHeaderSize - 1) != bytes[length - 1]) {
            return 0;
        }
    }
    return length;
}

} // namespace

FrameBlockResult DecodeFrameBlock(const std::uint8_t* block, std::size_t count,
                                  const std::function<void(const FrameView&)>& onFrame)
{
    std::size_t pos = 0;
    while (pos < count) {
        const std::size_t length = CheckFrame(block + pos, count - pos);
        if (length == 0) {
            return FrameBlockResult::Bad;
        }
        FrameView frame;
        frame.type = block[pos];
        frame.param = block[pos + 2];
        frame.payload = block + pos + kFrameHeaderSize;
        frame.payloadSize = length >= 6 ? length - 5 : 0;
        onFrame(frame);
        pos += length;
    }
    return FrameBlockResult::Done;
}

std::string VersionText(const FrameView& frame)
{
    std::string text;
    for (std::size_t i = 0; i < frame.payloadSize && text.size() < kMaxVersionLength; ++i) {
        if (frame.payload[i] == 0) {
            break;
        }
        text.push_back(static_cast<char>(frame.payload[i]));
    }
    return text;
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t param, std::string_view payload)
{
    if (payload.size() > kMaxFrameSize - 5) {
        payload = payload.substr(0, kMaxFrameSize - 5);
    }
    const auto length = static_cast<std::uint8_t>(payload.empty() ? kFrameHeaderSize : payload.size() + 5);
    std::vector<std::uint8_t> frame;
    frame.reserve(length);
    frame.push_back(type);
    frame.push_back(length);
    frame.push_back(param);
    frame.push_back(static_cast<std::uint8_t>(type ^ length ^ param));
    if (!payload.empty()) {
        std::uint8_t check = 0;
        for (char c : payload) {
            frame.push_back(static_cast<std::uint8_t>(c));
            check ^= static_cast<std::uint8_t>(c);
        }
        frame.push_back(check);
    }
    return frame;
}

bool IsWholeFrame(const std::uint8_t* bytes, std::size_t count)
{
    return count >= kFrameHeaderSize && CheckFrame(bytes, count) == count;
}

} // namespace tessaprint
