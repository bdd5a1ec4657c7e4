#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// A frame: type, length L (the whole frame, header and check included),
// param, header check (type ^ length ^ param), then for L ≥ 5 a payload of
// L − 5 bytes and its XOR check. L = 4 is a bare header.
inline constexpr std::uint8_t kVersionFrameType = 0xF0;
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::size_t kMaxFrameSize = 255;
// The version field holds at most this many characters.
inline constexpr std::size_t kMaxVersionLength = 99;

struct FrameView {
    std::uint8_t type = 0;
    std::uint8_t param = 0;
    const std::uint8_t* payload = nullptr;
    std::size_t payloadSize = 0;
};

enum class FrameBlockResult { Done, Bad };

// Checks the frames of one block in order and hands each good one to onFrame.
// A block is bad when a length is below 4 or beyond the bytes at hand, a check
// byte is wrong, or it ends in an incomplete frame; frames before the bad one
// have been handed on. An empty block is Done.
FrameBlockResult DecodeFrameBlock(const std::uint8_t* block, std::size_t count,
                                  const std::function<void(const FrameView&)>& onFrame);

// The frame's payload up to a NUL, at most kMaxVersionLength bytes, as sent.
std::string VersionText(const FrameView& frame);

// Builds a frame; a payload longer than a frame can carry is cut to fit.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t param, std::string_view payload);

// True when bytes are exactly one well-formed frame.
bool IsWholeFrame(const std::uint8_t* bytes, std::size_t count);

} // namespace tessaprint
