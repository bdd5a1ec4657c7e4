#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace tessaprint {

// Result codes, as the word processor's automation reports its failures; the
// system's own errors are 0x8007xxxx (a Windows error number in the low bits).
inline constexpr std::uint32_t kErrorPointer = 0x80004003;     // E_POINTER: no document to work on
inline constexpr std::uint32_t kErrorFail = 0x80004005;        // E_FAIL
inline constexpr std::uint32_t kErrorNotInTable = 0x800A1745;  // the selection is not in a table
inline constexpr std::uint32_t kErrorCannotMerge = 0x800A1746; // cells that cannot become one
inline constexpr std::uint32_t kErrorPathNotFound = 0x80070003;
inline constexpr std::uint32_t kErrorAccessDenied = 0x80070005;
inline constexpr std::uint32_t kErrorWriteProtected = 0x80070013;
inline constexpr std::uint32_t kErrorDiskFull = 0x80070070;
inline constexpr std::uint32_t kErrorInvalidName = 0x8007007B; // a name a file cannot have
inline constexpr std::uint32_t kErrorNameTooLong = 0x800700CE;
// A database that cannot be reached now (a server that refuses, does not
// answer in time or went away, a file another program keeps locked): the
// same request may work later, so the caller keeps what it wanted to write.
inline constexpr std::uint32_t kErrorUnreachable = 0x800704C9;

// What went wrong: a result code and a sentence for a person ("cannot write
// /x/y.txt: No space left on device").
struct Error {
    std::uint32_t code = kErrorFail;
    std::string message;
};

// The result code for an errno value.
std::uint32_t CodeForErrno(int errnoValue);
// An error from an errno value: its code, and the message with the system's
// words for it after a colon.
Error ErrnoError(int errnoValue, const std::string& what);

// A value, or the error that kept it from being made. Every fallible function
// of the core answers with one; the word processor operations alone throw
// (WordError), as an automation failure does.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_ok(false) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_ok = true;
};

} // namespace tessaprint
