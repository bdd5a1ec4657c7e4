#include "verdict/ReadingValue.h"

#include "text/DecimalText.h"

#include <array>

namespace tessaprint::verdict {

namespace {

struct KnownUnit {
    std::string_view printed;
    Unit unit;
};

// The program writes µ as U+00B5 and Ω as U+03A9, in UTF-8.
constexpr std::string_view kMicroAmpere = "\xC2\xB5"
                                          "A";
constexpr std::string_view kOhm = "\xCE\xA9";

constexpr std::array<KnownUnit, 24> kUnits{{
    {"uA", {kMicroAmpere, Quantity::Current, 1e-6}},
    {"\xB5"
     "A",
     {kMicroAmpere, Quantity::Current, 1e-6}}, // Windows-1252 µ
    {"\xC2\xB5"
     "A",
     {kMicroAmpere, Quantity::Current, 1e-6}}, // U+00B5 MICRO SIGN
    {"\xCE\xBC"
     "A",
     {kMicroAmpere, Quantity::Current, 1e-6}}, // U+03BC GREEK SMALL LETTER MU
    {"mA", {"mA", Quantity::Current, 1e-3}},
    {"A", {"A", Quantity::Current, 1}},
    {"mOhm", {"m\xCE\xA9", Quantity::Resistance, 1e-3}},
    {"Ohm", {kOhm, Quantity::Resistance, 1}},
    {"Ohms", {kOhm, Quantity::Resistance, 1}},
    {"\xCE\xA9", {kOhm, Quantity::Resistance, 1}},     // U+03A9 GREEK CAPITAL LETTER OMEGA
    {"\xE2\x84\xA6", {kOhm, Quantity::Resistance, 1}}, // U+2126 OHM SIGN
    {"kOhm", {"k\xCE\xA9", Quantity::Resistance, 1e3}},
    {"MOhm", {"M\xCE\xA9", Quantity::Resistance, 1e6}},
    {"MOhms", {"M\xCE\xA9", Quantity::Resistance, 1e6}},
    {"V", {"V", Quantity::Voltage, 1}},
    {"mV", {"mV", Quantity::Voltage, 1e-3}},
    {"J", {"J", Quantity::Energy, 1}},
    {"mJ", {"mJ", Quantity::Energy, 1e-3}},
    {"uJ", {"\xC2\xB5J", Quantity::Energy, 1e-6}},
    {"s", {"s", Quantity::Time, 1}},
    {"ms", {"ms", Quantity::Time, 1e-3}},
    {"PPM", {"PPM", Quantity::PerMinute, 1}},
    {"BPM", {"BPM", Quantity::PerMinute, 1}},
    {"Hz", {"Hz", Quantity::Frequency, 1}},
}};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsOverRange(std::string_view word)
{
    return word == "OL" || word == "O.L" || word == "OVER";
}

// The comparison a word starts with; the longest first.
std::string_view ComparisonAt(std::string_view word)
{
    for (const std::string_view comparison :
         {std::string_view("<="), std::string_view(">="), std::string_view("\xC2\xB1"), std::string_view("<"),
          std::string_view(">")}) {
        if (word.substr(0, comparison.size()) == comparison) {
            return comparison;
        }
    }
    return {};
}

// Whether a word begins a number: a digit, or a sign or point before one.
bool StartsNumber(std::string_view word)
{
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    if (i < word.size() && word[i] == '.') {
        ++i;
    }
    return i < word.size() && IsDigit(word[i]);
}

// Whether a word is a reading of its own: a number or over-range token, with
// a comparison before it or not.
bool StartsReading(std::string_view word)
{
    const std::string_view rest = word.substr(ComparisonAt(word).size());
    return StartsNumber(rest) || IsOverRange(rest);
}

// The length of `[+-]?(digits[.digits]|.digits)` at the start of a word that StartsNumber.
std::size_t NumberLength(std::string_view word)
{
    std::size_t i = 0;
    if (word[i] == '+' || word[i] == '-') {
        ++i;
    }
    while (i < word.size() && IsDigit(word[i])) {
        ++i;
    }
    if (i + 1 < word.size() && word[i] == '.' && IsDigit(word[i + 1])) {
        ++i;
        while (i < word.size() && IsDigit(word[i])) {
            ++i;
        }
    }
    return i;
}

// Why the text glued to a number makes it no number.
std::string Malformed(std::string_view word, std::string_view rest)
{
    const std::string text(word);
    if (rest.size() > 1 && rest[0] == ',' && IsDigit(rest[1])) {
        return "decimal comma in " + text;
    }
    if (rest.size() > 1 && (rest[0] == 'e' || rest[0] == 'E') &&
        (IsDigit(rest[1]) || rest[1] == '+' || rest[1] == '-')) {
        return "exponent in " + text;
    }
    return "malformed number " + text;
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::optional<Unit> UnitFromText(std::string_view word, InstrumentKind kind)
{
    for (const KnownUnit& known : kUnits) {
        if (known.printed == word) {
            return known.unit;
        }
    }
    // The pacemaker analyzer prints its intervals in "mS", which would be
    // millisiemens anywhere else.
    if (kind == InstrumentKind::Pactrx && word == "mS") {
        return Unit{"ms", Quantity::Time, 1e-3};
    }
    return std::nullopt;
}

ReadingPieces SplitReadingPieces(std::string_view reading, InstrumentKind kind)
{
    std::vector<std::string_view> words;
    words.reserve(8); // one allocation for the few words a reading has
    for (std::size_t i = 0; i < reading.size();) {
        if (IsBlank(reading[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < reading.size() && !IsBlank(reading[end])) {
            ++end;
        }
        words.push_back(reading.substr(i, end - i));
        i = end;
    }

    ReadingPieces result;
    result.pieces.reserve(words.size());
    std::string_view comparison; // one standing alone before this word: "< 0.5 uA"
    for (std::size_t w = 0; w < words.size(); ++w) {
        std::string_view word = words[w];
        const std::string_view wordComparison = ComparisonAt(word);
        if (comparison.empty() && !wordComparison.empty()) {
            const std::string_view rest = word.substr(wordComparison.size());
            if (rest.empty() && w + 1 < words.size() && (StartsNumber(words[w + 1]) || IsOverRange(words[w + 1]))) {
                comparison = wordComparison;
                continue;
            }
            if (StartsNumber(rest) || IsOverRange(rest)) {
                comparison = wordComparison; // "<0.1 uA"
                word = rest;
            }
        }
        ReadingPiece piece;
        piece.text = word;
        bool takesUnit = false;
        if (IsOverRange(word)) {
            piece.type = ReadingPiece::Type::OverRange;
            takesUnit = true;
        } else if (StartsNumber(word)) {
            const std::size_t length = NumberLength(word);
            const std::string_view rest = word.substr(length);
            if (!rest.empty()) {
                if (IsDigit(rest[0]) || rest[0] == '.' || rest[0] == ',' || !UnitFromText(rest, kind)) {
                    result.error = Malformed(word, rest);
                    return result;
                }
                piece.unit = rest; // "0.5uA"
            } else {
                takesUnit = true;
            }
            const auto value = ReadDecimal(word.substr(0, length));
            if (!value) {
                result.error = "number " + std::string(word.substr(0, length)) + " too large";
                return result;
            }
            piece.type = ReadingPiece::Type::Number;
            piece.text = word.substr(0, length);
            piece.value = *value;
        }
        if (piece.type != ReadingPiece::Type::Word) {
            piece.comparison = comparison;
        }
        comparison = {};
        // The unit after blanks: the next word unless it is a reading of its
        // own; after an over-range token, only a unit.
        if (takesUnit && w + 1 < words.size() && !StartsReading(words[w + 1]) &&
            (piece.type == ReadingPiece::Type::Number || UnitFromText(words[w + 1], kind))) {
            piece.unit = words[w + 1];
            ++w;
        }
        result.pieces.push_back(piece);
    }
    return result;
}

ReadingFields ReadReading(std::string_view reading, InstrumentKind kind)
{
    ReadingFields fields;
    const ReadingPieces split = SplitReadingPieces(reading, kind);
    if (!split.error.empty()) {
        fields.error = split.error;
        return fields;
    }
    std::string words; // the words since the last number
    const auto endWords = [&] {
        if (!words.empty()) {
            fields.words.push_back(std::move(words));
            words.clear();
        }
    };
    for (std::size_t i = 0; i < split.pieces.size(); ++i) {
        const ReadingPiece& piece = split.pieces[i];
        if (piece.type == ReadingPiece::Type::Word) {
            // A sign standing apart from its number would be read as no sign.
            if ((piece.text == "+" || piece.text == "-") && i + 1 < split.pieces.size() &&
                split.pieces[i + 1].type != ReadingPiece::Type::Word) {
                fields.error = "sign apart from its number";
                return fields;
            }
            words += words.empty() ? "" : " ";
            words += piece.text;
            continue;
        }
        endWords();
        // '>' cannot arrive whole on this link (it ends a line), and a
        // tolerance printed with a number is no reading of it.
        if (!piece.comparison.empty() && piece.comparison != "<" && piece.comparison != "<=") {
            fields.error = Quoted(piece.comparison) + " before a number";
            return fields;
        }
        Measured measured;
        measured.below = piece.comparison == "<";
        measured.atMost = piece.comparison == "<=";
        if (piece.type == ReadingPiece::Type::OverRange) {
            if (measured.below || measured.atMost) {
                fields.error = Quoted(piece.comparison) + " before " + std::string(piece.text);
                return fields;
            }
            measured.overRange = true;
            if (!piece.unit.empty()) {
                measured.unit = *UnitFromText(piece.unit, kind); // only a known one is taken
            }
        } else {
            if (piece.unit.empty()) {
                fields.error = "no unit after " + std::string(piece.text);
                return fields;
            }
            const auto unit = UnitFromText(piece.unit, kind);
            if (!unit) {
                fields.error = "unknown unit " + Quoted(piece.unit);
                return fields;
            }
            measured.value = piece.value;
            measured.unit = *unit;
        }
        fields.numbers.push_back(measured);
    }
    endWords();
    if (fields.numbers.empty()) {
        fields.error = reading.find_first_not_of(" \t") == std::string_view::npos ? "empty reading" : "no number";
    }
    return fields;
}

} // namespace tessaprint::verdict
