#include "docs/XmlWriter.h"

#include <stdexcept>

namespace tessaprint::docs {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0 with `bad` set to
// how many bytes make up the broken start (the maximal subpart, at least one),
// so that one damaged character becomes one U+FFFD.
std::size_t SequenceLength(std::string_view text, std::size_t i, std::size_t& bad)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80; // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0; // overlong below
        } else if (lead == 0xED) {
            high = 0x9F; // UTF-16 surrogates above
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F; // beyond U+10FFFF above
        }
    } else {
        bad = 1;
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const bool inRange = i + k < text.size() && IsContinuation(static_cast<unsigned char>(text[i + k])) &&
                             (k > 1 || (static_cast<unsigned char>(text[i + k]) >= low &&
                                        static_cast<unsigned char>(text[i + k]) <= high));
        if (!inRange) {
            bad = k;
            return 0;
        }
    }
    return length;
}

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
        const std::size_t length = SequenceLength(utf8, i, bad);
        if (length == 0) {
            out += kReplacement;
            i += bad;
            continue;
        }
        const char c = utf8[i];
        if (length == 1) {
            if (const char* escaped = AsciiEscape(c, inAttribute)) {
                out += escaped;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                out += kReplacement;
            } else {
                out += c;
            }
        } else {
            const std::string_view sequence = utf8.substr(i, length);
            // U+FFFE and U+FFFF are the only other characters XML 1.0 excludes.
            if (sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF") {
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
