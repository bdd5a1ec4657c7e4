#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What tessaprint-cli and tessaprint-sim share in reading their options:
// the checks of numbers, dates and kinds, and how --help, --version and a
// wrong option are answered.
namespace tessaprint::cmdline {

// A value as a message quotes it: whole when short, else its start and end
// and its length ("99999999999999999999…99999999 (300 characters)"). Control
// characters are shown escaped ("\n"), so the message stays on one line.
std::string ShortValue(std::string_view value);

// A whole decimal number from min to max, digits only: no sign, blank,
// exponent, or hexadecimal or octal prefix ("010" is ten, as a person means
// it). The value is handed on without leading zeros, since the library would
// read them as octal. The message is the library's own for a range:
// "Value 0x10 not in range 1 to 2147483647".
CLI::Validator WholeNumber(std::uint64_t min, std::uint64_t max);

// "2026-03-14T09:30:00": an ISO 8601 date and time in the extended format,
// to the minute or the second, optionally with a decimal fraction of the
// second and a time zone ("Z", "+01:00", "-05"). The date must exist
// (2025-02-29 does not) and the time be one of the day (00:00 to 23:59:59,
// or :60 for a leap second).
bool IsIsoDateTime(std::string_view text);
CLI::Validator IsoDateTime();

// The instrument kind by its command-line name (quellmax, kappa, pactrx),
// handed on as the kind's number, which the library turns into the enum.
CLI::Validator KindName();

// Parses the command line with the programs' rules. --help prints the usage
// and --version "<program> <version>" on stdout (status 0). Anything wrong
// prints one line on stderr, "<program>: <what is wrong>" with every long
// value shortened (ShortValue); when the shape of the command rather than a
// value is wrong, a second line says where the usage is. Status 2. Nothing
// when the command line was read and the chosen command ran.
std::optional<int> Parse(CLI::App& app, int argc, char** argv, const std::string& usageHint);

} // namespace tessaprint::cmdline
