#include "sim/SimulatedInstrument.h"

#include "link/Frame.h"
#include "sim/SamplePrintouts.h"
#include "text/Trim.h"

#include <algorithm>

namespace tessaprint {

namespace {

constexpr std::string_view kVersionRequest("\xF0\x04\x00\xF4", 4);
// Commands longer than this are noise; the instrument forgets them.
constexpr std::size_t kMaxCommandBytes = 256;

// What the instrument ignores around a command: blanks, CR and NUL.
constexpr std::string_view kCommandPadding(" \r\0", 3);

} // namespace

SimulatedInstrument::SimulatedInstrument(InstrumentKind kind, int baud, std::uint32_t seed)
    : m_kind(kind), m_baud(std::max(300, baud)), m_random(seed), m_printout(SamplePrintout(kind))
{
}

void SimulatedInstrument::SetKind(InstrumentKind kind)
{
    if (kind != m_kind) {
        m_kind = kind;
        m_printout = std::string(SamplePrintout(kind));
    }
}

std::string SimulatedInstrument::VersionText() const
{
    switch (m_kind) {
    case InstrumentKind::Quellmax:
        return "Quellmax 2.14";
    case InstrumentKind::Kappa5100:
        return "Kappa 5100 3.02";
    case InstrumentKind::Pactrx:
        return "PACTRX 4000 1.7";
    }
    return {};
}

void SimulatedInstrument::Receive(std::string_view bytes, std::int64_t nowMs)
{
    m_input.append(bytes);
    for (;;) {
        const auto frameAt = m_input.find(kVersionRequest);
        const auto lineEnd = m_input.find('\n');
        if (frameAt != std::string::npos && (lineEnd == std::string::npos || frameAt < lineEnd)) {
            const auto frame = EncodeFrame(kVersionFrameType, 0, VersionText());
            Queue(std::string_view(reinterpret_cast<const char*>(frame.data()), frame.size()), true, nowMs);
            m_input.erase(0, frameAt + kVersionRequest.size());
            continue;
        }
        if (lineEnd == std::string::npos) {
            break;
        }
        const std::string command(Trimmed(std::string_view(m_input).substr(0, lineEnd), kCommandPadding));
        m_input.erase(0, lineEnd + 1);
        if (command == "print") {
            Queue(m_printout, false, nowMs);
        } else if (command == "PRINTCLR") {
            m_printout.clear();
        }
    }
    if (m_input.size() > kMaxCommandBytes) {
        m_input.erase(0, m_input.size() - kVersionRequest.size());
    }
}

int SimulatedInstrument::TransferMs(std::size_t bytes) const
{
    // Ten bit times a byte: start, eight data bits, stop.
    return static_cast<int>((bytes * 10 * 1000) / static_cast<std::size_t>(m_baud));
}

void SimulatedInstrument::Queue(std::string_view bytes, bool frame, std::int64_t nowMs)
{
    std::int64_t at = std::max(nowMs, m_outbox.empty() ? nowMs : m_outbox.back().dueMs) + kResponseDelayMs;
    if (frame) {
        m_outbox.push_back({at + TransferMs(bytes.size()), std::string(bytes), true});
        return;
    }
    std::uniform_int_distribution<int> sizeKind(0, 9);
    std::uniform_int_distribution<int> small(1, 16);
    std::uniform_int_distribution<int> medium(16, 128);
    std::uniform_int_distribution<int> large(128, 400);
    std::uniform_int_distribution<int> shortPause(0, 15);
    std::uniform_int_distribution<int> longPause(60, kMaxPauseMs);
    // A serial line delivers its bytes one after the other: a burst never
    // holds more than about 100 ms of them, however slow the line.
    const auto maxBurst = static_cast<std::size_t>(std::max(1, m_baud / 100));
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const int k = sizeKind(m_random);
        const int size = k < 2 ? small(m_random) : (k < 8 ? medium(m_random) : large(m_random));
        const auto n = std::min({bytes.size() - pos, static_cast<std::size_t>(size), maxBurst});
        at += TransferMs(n);
        m_outbox.push_back({at, std::string(bytes.substr(pos, n)), false});
        pos += n;
        at += (sizeKind(m_random) == 0) ? longPause(m_random) : shortPause(m_random);
    }
}

std::optional<std::int64_t> SimulatedInstrument::NextDueMs() const
{
    if (m_outbox.empty()) {
        return std::nullopt;
    }
    return m_outbox.front().dueMs;
}

std::vector<SimulatedInstrument::Burst> SimulatedInstrument::TakeDue(std::int64_t nowMs)
{
    std::vector<Burst> due;
    while (!m_outbox.empty() && m_outbox.front().dueMs <= nowMs) {
        due.push_back(std::move(m_outbox.front()));
        m_outbox.pop_front();
    }
    return due;
}

} // namespace tessaprint
