#include "text/JsonWriter.h"

#include "text/ByteScan.h"
#include "text/Windows1252.h"

#include <array>

namespace tessaprint {

namespace {

// Bytes that a JSON string carries as they stand: printable ASCII other
// than '"' and '\'.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c) {
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    }
    return plain;
}();

bool IsPlain(unsigned char c)
{
    return kPlain[c];
}

} // namespace

JsonWriter::JsonWriter(std::ostream& out) : m_out(out)
{
    m_buffer.reserve(kFlushBytes + 4096);
}

JsonWriter::~JsonWriter()
{
    Flush();
}

void JsonWriter::Flush()
{
    if (!m_buffer.empty()) {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }
}

void JsonWriter::AppendString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs of plain bytes, most of every line, are copied in one piece.
        const std::size_t plain = bytescan::FindFirst(
            text.data(), i, text.size(),
            [](std::uint64_t word) {
                return ((word & bytescan::kHighs) | bytescan::HasLess(word, 0x20) | bytescan::HasByte(word, '"') |
                        bytescan::HasByte(word, '\\')) != 0;
            },
            [](unsigned char c) { return !IsPlain(c); });
        out.append(text.data() + i, plain - i);
        i = plain;
        if (i == text.size()) {
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 0x0F]);
            } else {
                std::size_t bad = 0;
                const std::size_t length = Utf8SequenceLength(text, i, bad);
                if (length > 0) {
                    out.append(text.data() + i, length);
                    i += length;
                } else {
                    out += "\xEF\xBF\xBD"; // one U+FFFD for one broken character
                    i += bad;
                }
                continue;
            }
            break;
        }
        ++i;
    }
    out.push_back('"');
}

void JsonWriter::NewLine(std::size_t depth)
{
    m_buffer.push_back('\n');
    m_buffer.append(2 * depth, ' ');
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_filled.empty()) {
        if (m_filled.back()) {
            m_buffer.push_back(',');
        }
        m_filled.back() = true;
        NewLine(m_filled.size());
    }
}

void JsonWriter::Open(char bracket)
{
    BeforeValue();
    m_buffer.push_back(bracket);
    m_filled.push_back(false);
}

void JsonWriter::Close(char bracket)
{
    const bool filled = m_filled.back();
    m_filled.pop_back();
    if (filled) {
        NewLine(m_filled.size());
    }
    m_buffer.push_back(bracket);
    if (m_filled.empty()) {
        Flush();
    } else {
        FlushWhenFull();
    }
}

void JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    AppendString(m_buffer, name);
    m_buffer += ": ";
    m_afterKey = true;
}

void JsonWriter::String(std::string_view text)
{
    BeforeValue();
    AppendString(m_buffer, text);
    FlushWhenFull();
}

void JsonWriter::Number(std::int64_t value)
{
    BeforeValue();
    m_buffer += std::to_string(value);
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_buffer += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    m_buffer += "null";
}

} // namespace tessaprint
