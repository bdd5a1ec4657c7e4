#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace tessaprint {

// Writes JSON to a stream as it goes, so a large capture is never held twice
// in memory. The layout is two-space indentation, one member or element a
// line, "[]" and "{}" when empty; strings are UTF-8 with the control
// characters, '"' and '\' escaped, and a byte that is not UTF-8 becomes
// U+FFFD. Every piece must be well nested; the writer does not check.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : m_out(out) {}

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    // The member name; its value follows.
    void Key(std::string_view name);
    void String(std::string_view text);
    void Number(std::int64_t value);
    void Bool(bool value);

    // The text as a JSON string, quotes included.
    static void WriteString(std::ostream& out, std::string_view text);

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine(std::size_t depth);

    std::ostream& m_out;
    // Per open bracket: whether it holds anything yet.
    std::vector<bool> m_filled;
    bool m_afterKey = false;
};

} // namespace tessaprint
