#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// Writes JSON to a stream as it goes, so a large capture is never held twice
// in memory. The layout is two-space indentation, one member or element a
// line, "[]" and "{}" when empty; strings are UTF-8 with the control
// characters, '"' and '\' escaped, and a byte that is not UTF-8 becomes
// U+FFFD. Every piece must be well nested; the writer does not check.
//
// Text is gathered in a buffer and handed to the stream in large pieces: a
// stream call per character costs more than the rest of the work together.
// The buffer goes out when it fills, when the outermost bracket closes, on
// Flush() and when the writer goes.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    // The member name; its value follows.
    void Key(std::string_view name);
    void String(std::string_view text);
    void Number(std::int64_t value);
    void Bool(bool value);
    void Null();
    void Flush();

    // Appends the text as a JSON string, quotes included.
    static void AppendString(std::string& out, std::string_view text);

private:
    static constexpr std::size_t kFlushBytes = 64 * 1024;

    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine(std::size_t depth);
    void FlushWhenFull()
    {
        if (m_buffer.size() >= kFlushBytes) {
            Flush();
        }
    }

    std::ostream& m_out;
    std::string m_buffer;
    // Per open bracket: whether it holds anything yet.
    std::vector<char> m_filled; // not vector<bool>: this is on every value's path
    bool m_afterKey = false;
};

} // namespace tessaprint
