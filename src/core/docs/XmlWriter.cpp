#include "docs/XmlWriter.h"

#include "text/Windows1252.h"

#include <stdexcept>

namespace tessaprint::docs {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The escape for an ASCII character, or nullptr when none is needed (the caller
// then writes the character itself, or U+FFFD for a control character).
const char* AsciiEscape(char c, bool inAttribute)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;"; // keeps "]]>" out of character data
    case '"':
        return "&quot;";
    case '\'':
        return inAttribute ? "&apos;" : nullptr;
    // A parser turns a literal CR into LF, and in attributes tab and LF into
    // spaces; character references keep them as they were.
    case '\r':
        return "&#13;";
    case '\t':
        return inAttribute ? "&#9;" : "\t";
    case '\n':
        return inAttribute ? "&#10;" : "\n";
    default:
        return nullptr;
    }
}

} // namespace

std::string EscapeXml(std::string_view utf8, bool inAttribute)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t bad = 0;
        const std::size_t length = Utf8SequenceLength(utf8, i, bad);
        if (length == 0) {
            out += kReplacement;
            i += bad;
            continue;
        }
        const char c = utf8[i];
        if (length == 1) {
            if (const char* escaped = AsciiEscape(c, inAttribute)) {
                out += escaped;
            } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                // Control characters print as nothing, or as boxes: shown as U+FFFD.
                out += kReplacement;
            } else {
                out += c;
            }
        } else {
            const std::string_view sequence = utf8.substr(i, length);
            // U+FFFE and U+FFFF are the only other characters XML 1.0 excludes;
            // the C1 controls (U+0080 to U+009F) are replaced like the C0 ones.
            const bool c1 = length == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
                            static_cast<unsigned char>(sequence[1]) < 0xA0;
            if (c1 || sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF") {
                out += kReplacement;
            } else {
                out += sequence;
            }
        }
        i += length;
    }
    return out;
}

void XmlWriter::StartElement(std::string_view name)
{
    FinishStartTag();
    m_out += '<';
    m_out += name;
    m_open.emplace_back(name);
    m_inStartTag = true;
}

void XmlWriter::Attribute(std::string_view name, std::string_view value)
{
    if (!m_inStartTag) {
        throw std::logic_error("XmlWriter: attribute outside a start tag");
    }
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    m_out += EscapeXml(value, true);
    m_out += '"';
}

void XmlWriter::Text(std::string_view utf8)
{
    if (m_open.empty()) {
        throw std::logic_error("XmlWriter: text outside an element");
    }
    FinishStartTag();
    m_out += EscapeXml(utf8, false);
}

void XmlWriter::EndElement()
{
    if (m_open.empty()) {
        throw std::logic_error("XmlWriter: no element to end");
    }
    if (m_inStartTag) {
        m_out += "/>";
        m_inStartTag = false;
    } else {
        m_out += "</";
        m_out += m_open.back();
        m_out += '>';
    }
    m_open.pop_back();
}

void XmlWriter::EmptyElement(std::string_view name, Attributes attributes)
{
    StartElement(name);
    for (const auto& [attributeName, value] : attributes) {
        Attribute(attributeName, value);
    }
    EndElement();
}

void XmlWriter::FinishStartTag()
{
    if (m_inStartTag) {
        m_out += '>';
        m_inStartTag = false;
    }
}

} // namespace tessaprint::docs
