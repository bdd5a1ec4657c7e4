#include "ProgramOptions.h"

#include "TessaprintVersion.h"
#include "results/InstrumentKind.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <vector>

namespace tessaprint::cmdline {

namespace {

// Values up to this many bytes (escaped) are quoted whole.
constexpr std::size_t kWholeValue = 40;
constexpr std::size_t kHead = 24;
constexpr std::size_t kTail = 8;

std::string EscapedByte(unsigned char byte)
{
    if (byte == '\n' || byte == '\r' || byte == '\t') {
        return byte == '\n' ? "\\n" : byte == '\r' ? "\\r" : "\\t";
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    return escaped;
}

// The value's characters as a message shows them: one piece for each UTF-8
// character, control characters and stray bytes escaped.
std::vector<std::string> ShownCharacters(std::string_view value)
{
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < value.size();) {
        const auto byte = static_cast<unsigned char>(value[i]);
        if (byte < 0x80) {
            pieces.push_back(byte < 0x20 || byte == 0x7F ? EscapedByte(byte) : std::string(1, value[i]));
            ++i;
            continue;
        }
        std::size_t length = byte >= 0xF5 ? 0 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= value.size() || (static_cast<unsigned char>(value[i + k]) & 0xC0) != 0x80) {
                length = 0;
            }
        }
        if (length == 0) {
            pieces.push_back(EscapedByte(byte));
            ++i;
            continue;
        }
        pieces.emplace_back(value.substr(i, length));
        i += length;
    }
    return pieces;
}

// Control characters escaped, the rest as it is.
std::string Escaped(std::string_view text)
{
    std::string shown;
    for (const std::string& piece : ShownCharacters(text)) {
        shown += piece;
    }
    return shown;
}

bool Digits(std::string_view text, std::size_t from, std::size_t count)
{
    if (from + count > text.size()) {
        return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view text, std::size_t from, std::size_t count)
{
    int value = 0;
    std::from_chars(text.data() + from, text.data() + from + count, value);
    return value;
}

int DaysIn(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// A wrong value rather than a wrong shape of the command: its one line says
// all there is to say.
bool IsValueError(const CLI::ParseError& error)
{
    return dynamic_cast<const CLI::ValidationError*>(&error) != nullptr ||
           dynamic_cast<const CLI::ConversionError*>(&error) != nullptr;
}

// The library's message on one short line: every long argument shortened,
// control characters escaped, an option's name not said twice ("--kind:
// --kind takes ...").
std::string OneLine(std::string message, int argc, char** argv)
{
    std::vector<std::string> longValues;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        longValues.push_back(argument);
        if (const auto equals = argument.find('='); argument.rfind("-", 0) == 0 && equals != std::string::npos) {
            longValues.push_back(argument.substr(equals + 1));
        }
    }
    std::erase_if(longValues, [](const std::string& value) { return value.size() <= kWholeValue; });
    std::sort(longValues.begin(), longValues.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& value : longValues) {
        const std::string shown = ShortValue(value);
        for (auto at = message.find(value); at != std::string::npos; at = message.find(value, at + shown.size())) {
            message.replace(at, value.size(), shown);
        }
    }
    if (const auto colon = message.find(": ");
        colon != std::string::npos && colon > 0 && message.compare(colon + 2, colon, message, 0, colon) == 0) {
        message.erase(0, colon + 2);
    }
    return Escaped(message);
}

} // namespace

std::string ShortValue(std::string_view value)
{
    const std::vector<std::string> pieces = ShownCharacters(value);
    std::size_t length = 0;
    for (const std::string& piece : pieces) {
        length += piece.size();
    }
    std::string shown;
    if (length <= kWholeValue) {
        for (const std::string& piece : pieces) {
            shown += piece;
        }
        return shown;
    }
    std::size_t head = 0;
    for (; head < pieces.size() && shown.size() < kHead; ++head) {
        shown += pieces[head];
    }
    std::string tail;
    for (std::size_t k = pieces.size(); k > head && tail.size() < kTail; --k) {
        tail.insert(0, pieces[k - 1]);
    }
    return shown + "\u2026" + tail + " (" + std::to_string(pieces.size()) + " characters)";
}

CLI::Validator WholeNumber(std::uint64_t min, std::uint64_t max)
{
    return CLI::Validator(
        [min, max](std::string& value) {
            std::uint64_t number = 0;
            const char* end = value.data() + value.size();
            const bool digits = !value.empty() && Digits(value, 0, value.size());
            const auto [stop, ec] = std::from_chars(value.data(), end, number);
            if (!digits || ec != std::errc() || stop != end || number < min || number > max) {
                return "Value " + ShortValue(value) + " not in range " + std::to_string(min) + " to " +
                       std::to_string(max);
            }
            value = std::to_string(number);
            return std::string();
        },
        "[" + std::to_string(min) + " - " + std::to_string(max) + "]");
}

bool IsIsoDateTime(std::string_view text)
{
    // YYYY-MM-DDTHH:MM
    if (text.size() < 16 || !Digits(text, 0, 4) || text[4] != '-' || !Digits(text, 5, 2) || text[7] != '-' ||
        !Digits(text, 8, 2) || text[10] != 'T' || !Digits(text, 11, 2) || text[13] != ':' || !Digits(text, 14, 2)) {
        return false;
    }
    const int year = Number(text, 0, 4);
    const int month = Number(text, 5, 2);
    const int day = Number(text, 8, 2);
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month) || Number(text, 11, 2) > 23 ||
        Number(text, 14, 2) > 59) {
        return false;
    }
    std::size_t at = 16;
    // :SS, and a fraction of it.
    if (at < text.size() && text[at] == ':') {
        if (!Digits(text, at + 1, 2) || Number(text, at + 1, 2) > 60) {
            return false;
        }
        at += 3;
        if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
            const std::size_t from = ++at;
            while (at < text.size() && Digits(text, at, 1)) {
                ++at;
            }
            if (at == from) {
                return false;
            }
        }
    }
    // Z, ±HH or ±HH:MM.
    if (at == text.size()) {
        return true;
    }
    if (text[at] == 'Z') {
        return at + 1 == text.size();
    }
    if ((text[at] != '+' && text[at] != '-') || !Digits(text, at + 1, 2) || Number(text, at + 1, 2) > 23) {
        return false;
    }
    at += 3;
    if (at == text.size()) {
        return true;
    }
    return text[at] == ':' && at + 3 == text.size() && Digits(text, at + 1, 2) && Number(text, at + 1, 2) <= 59;
}

CLI::Validator IsoDateTime()
{
    return CLI::Validator(
        [](const std::string& value) {
            return IsIsoDateTime(value)
                       ? std::string()
                       : "'" + ShortValue(value) + "' is not an ISO 8601 date and time such as 2026-03-14T09:30:00";
        },
        "");
}

CLI::Validator KindName()
{
    return CLI::Validator(
        [](std::string& value) {
            const auto named = InstrumentKindFromName(value);
            if (!named) {
                return "--kind takes quellmax, kappa or pactrx, not '" + ShortValue(value) + "'";
            }
            value = std::to_string(static_cast<int>(*named));
            return std::string();
        },
        "");
}

std::optional<int> Parse(CLI::App& app, int argc, char** argv, const std::string& usageHint)
{
    const std::string program = app.get_name();
    app.set_version_flag("--version", program + " " + kVersion, "Print the version and exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << program << ": " << OneLine(e.what(), argc, argv) << "\n";
        if (!IsValueError(e)) {
            std::cerr << usageHint << "\n";
        }
        return 2;
    }
    return std::nullopt;
}

} // namespace tessaprint::cmdline
