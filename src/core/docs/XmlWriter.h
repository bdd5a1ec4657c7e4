#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaprint::docs {

// A small streaming XML writer: no indentation, no declaration (the caller
// adds one where a whole part is written), so the output is exactly what was
// asked for and the same every time.
//
// Text and attribute values are taken as UTF-8 and always come out as
// well-formed XML: the markup characters are escaped, and whatever XML 1.0
// cannot carry (C0 controls other than tab/LF/CR, U+FFFE/U+FFFF, broken UTF-8,
// encoded surrogates) becomes U+FFFD. Instrument lines can hold any byte, and a
// stray control byte must never produce a file that a word processor rejects.
class XmlWriter {
public:
    using Attributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

    // Opens <name; attributes may follow until content or the end is written.
    void StartElement(std::string_view name);
    // Only directly after StartElement or another Attribute.
    void Attribute(std::string_view name, std::string_view value);
    void Text(std::string_view utf8);
    // Closes the innermost open element; one without content becomes <name/>.
    void EndElement();
    // <name a="..."/> in one call.
    void EmptyElement(std::string_view name, Attributes attributes = {});

    const std::string& str() const { return m_out; }

private:
    void FinishStartTag();

    std::string m_out;
    std::vector<std::string> m_open;
    bool m_inStartTag = false;
};

// The text as it goes into character data (inAttribute false) or into a
// double-quoted attribute value: escaped, with the characters XML cannot
// carry replaced by U+FFFD.
std::string EscapeXml(std::string_view utf8, bool inAttribute);

} // namespace tessaprint::docs
