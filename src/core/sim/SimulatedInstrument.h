#pragma once

#include "results/InstrumentKind.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// A test instrument as it looks from the serial line. It answers "print\r\n"
// with its stored printout, "PRINTCLR\r\n" by erasing it, and the version
// request frame F0 04 00 F4 with a version frame. Answers leave in bursts of a
// few bytes to a few hundred, paced at the line speed and with short pauses,
// the way a real instrument's print buffer empties. Time is given by the
// caller, so the same object serves a pseudo-terminal, the in-process demo
// and tests on a manual clock.
class SimulatedInstrument {
public:
    struct Burst {
        std::int64_t dueMs = 0;
        std::string bytes;
        bool frame = false; // a framed reply, not printed text
    };

    // Pauses between bursts stay well below the receiver's 750 ms quiet time.
    static constexpr int kMaxPauseMs = 250;
    static constexpr int kResponseDelayMs = 30;

    explicit SimulatedInstrument(InstrumentKind kind, int baud = 115200, std::uint32_t seed = 1);

    // Replaces the stored printout with these bytes, sent as they stand.
    void SetPrintout(std::string bytes) { m_printout = std::move(bytes); }
    std::string VersionText() const;
    InstrumentKind Kind() const { return m_kind; }
    // Becomes another kind of instrument, with that kind's sample printout.
    void SetKind(InstrumentKind kind);

    // Bytes from the program.
    void Receive(std::string_view bytes, std::int64_t nowMs);

    std::optional<std::int64_t> NextDueMs() const;
    // The bursts due at nowMs or earlier, in order.
    std::vector<Burst> TakeDue(std::int64_t nowMs);
    bool Idle() const { return m_outbox.empty(); }

private:
    void Queue(std::string_view bytes, bool frame, std::int64_t nowMs);
    int TransferMs(std::size_t bytes) const;

    InstrumentKind m_kind;
    int m_baud;
    std::mt19937 m_random;
    std::string m_printout;
    std::string m_input;
    std::deque<Burst> m_outbox;
};

} // namespace tessaprint
