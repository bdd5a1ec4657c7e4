#include "text/JsonWriter.h"

#include "text/Windows1252.h"

namespace tessaprint {

void JsonWriter::WriteString(std::ostream& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.put('"');
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out << "\\\"";
            break;
        case '\\':
            out << "\\\\";
            break;
        case '\b':
            out << "\\b";
            break;
        case '\f':
            out << "\\f";
            break;
        case '\n':
            out << "\\n";
            break;
        case '\r':
            out << "\\r";
            break;
        case '\t':
            out << "\\t";
            break;
        default:
            if (c < 0x20) {
                out << "\\u00" << kHex[c >> 4] << kHex[c & 0x0F];
            } else if (c < 0x80) {
                out.put(static_cast<char>(c));
            } else {
                std::size_t bad = 0;
                const std::size_t length = Utf8SequenceLength(text, i, bad);
                if (length > 0) {
                    out.write(text.data() + i, static_cast<std::streamsize>(length));
                    i += length;
                } else {
                    out << "\xEF\xBF\xBD"; // one U+FFFD for one broken character
                    i += bad;
                }
                continue;
            }
            break;
        }
        ++i;
    }
    out.put('"');
}

void JsonWriter::NewLine(std::size_t depth)
{
    m_out.put('\n');
    for (std::size_t i = 0; i < depth; ++i) {
        m_out << "  ";
    }
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_filled.empty()) {
        if (m_filled.back()) {
            m_out.put(',');
        }
        m_filled.back() = true;
        NewLine(m_filled.size());
    }
}

void JsonWriter::Open(char bracket)
{
    BeforeValue();
    m_out.put(bracket);
    m_filled.push_back(false);
}

void JsonWriter::Close(char bracket)
{
    const bool filled = m_filled.back();
    m_filled.pop_back();
    if (filled) {
        NewLine(m_filled.size());
    }
    m_out.put(bracket);
}

void JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    WriteString(m_out, name);
    m_out << ": ";
    m_afterKey = true;
}

void JsonWriter::String(std::string_view text)
{
    BeforeValue();
    WriteString(m_out, text);
}

void JsonWriter::Number(std::int64_t value)
{
    BeforeValue();
    m_out << value;
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_out << (value ? "true" : "false");
}

} // namespace tessaprint
