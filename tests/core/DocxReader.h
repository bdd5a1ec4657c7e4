#pragma once

#include "docs/DocumentModel.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Test side only: reads a .docx written by DocxWriter back into the document
// model, so a test can compare what was saved with what was meant. It knows
// the elements DocxWriter uses and throws on any other one inside a paragraph,
// run or table, so nothing the writer emits can slip past a round trip unread.
// Its XML parser is its own, not QXmlStreamReader: the core's tests, which use
// it most, link no Qt, like the core itself, and the window's tests share it.
namespace tessaprint::docs::test {

// A parsed XML element. Names are kept as written, prefix included ("w:p").
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    std::string text; // the character data directly inside, entities decoded

    const std::string* FindAttribute(std::string_view attributeName) const;
    // The attribute's value; throws when it is missing.
    const std::string& Attribute(std::string_view attributeName) const;
    const XmlElement* FindChild(std::string_view childName) const;
};

// A small non-validating parser: elements, attributes, character data, the five
// named entities and character references, comments and processing
// instructions (skipped). Throws std::runtime_error on anything that is not
// well-formed XML 1.0, including characters XML cannot carry and broken UTF-8.
XmlElement ParseXml(std::string_view text);

class DocxReader {
public:
    static DocxReader FromFile(const std::string& path);
    static DocxReader FromBytes(const std::string& bytes);

    // Entry names in the order they are stored.
    const std::vector<std::string>& EntryNames() const { return m_names; }
    bool HasPart(const std::string& name) const { return m_parts.count(name) != 0; }
    // The entry's text; throws when there is no such entry.
    const std::string& Part(const std::string& name) const;

    // word/document.xml with its header and footer (found through the
    // relationships the section refers to) as a document.
    Document ReadDocument() const;

private:
    std::vector<std::string> m_names;
    std::map<std::string, std::string> m_parts;
};

// The blocks of a w:body, w:hdr or w:ftr element (w:sectPr is skipped).
Story ReadStory(const XmlElement& container);
Paragraph ReadParagraph(const XmlElement& p);
Table ReadTable(const XmlElement& tbl);

} // namespace tessaprint::docs::test
