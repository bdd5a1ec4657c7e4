#include "DocxReader.h"

#include <zip.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace tessaprint::docs::test {

namespace {

// ---- XML ----

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes the whole text strictly; the first bad byte or forbidden character
// fails the parse, as it would in Word.
void CheckCharacters(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        if (length == 0 || i + length > text.size()) {
            throw std::runtime_error("broken UTF-8 at byte " + std::to_string(i));
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                throw std::runtime_error("broken UTF-8 at byte " + std::to_string(i));
            }
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t minimum = length == 1 ? 0 : length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (c < minimum || (c >= 0xD800 && c <= 0xDFFF)) {
            throw std::runtime_error("broken UTF-8 at byte " + std::to_string(i));
        }
        if (!IsXmlChar(c)) {
            throw std::runtime_error("character not allowed in XML at byte " + std::to_string(i));
        }
        i += length;
    }
}

class Parser {
public:
    explicit Parser(std::string_view text)
    {
        CheckCharacters(text);
        // Line ends become LF before parsing, as in every XML parser.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                m_text += '\n';
                if (i + 1 < text.size() && text[i + 1] == '\n') {
                    ++i;
                }
            } else {
                m_text += text[i];
            }
        }
    }

    XmlElement Document()
    {
        SkipMisc();
        if (!StartsWith("<")) {
            Fail("no root element");
        }
        XmlElement root = Element();
        SkipMisc();
        if (m_pos != m_text.size()) {
            Fail("content after the root element");
        }
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error("XML: " + what + " at offset " + std::to_string(m_pos));
    }

    bool StartsWith(std::string_view s) const { return std::string_view(m_text).substr(m_pos).starts_with(s); }

    void Expect(std::string_view s)
    {
        if (!StartsWith(s)) {
            Fail("expected \"" + std::string(s) + "\"");
        }
        m_pos += s.size();
    }

    bool SkipSpace()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n')) {
            ++m_pos;
        }
        return m_pos != start;
    }

    void SkipPast(std::string_view end)
    {
        const std::size_t at = m_text.find(end, m_pos);
        if (at == std::string::npos) {
            Fail("unterminated markup");
        }
        m_pos = at + end.size();
    }

    // Whitespace, comments and processing instructions (the declaration).
    void SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?")) {
                SkipPast("?>");
            } else if (StartsWith("<!--")) {
                SkipPast("-->");
            } else {
                return;
            }
        }
    }

    static bool IsNameChar(char c, bool first)
    {
        const auto u = static_cast<unsigned char>(c);
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80;
        return letter || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.'));
    }

    std::string Name()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsNameChar(m_text[m_pos], m_pos == start)) {
            ++m_pos;
        }
        if (m_pos == start) {
            Fail("expected a name");
        }
        return m_text.substr(start, m_pos - start);
    }

    void Reference(std::string& out)
    {
        Expect("&");
        const std::size_t end = m_text.find(';', m_pos);
        if (end == std::string::npos || end - m_pos > 10) {
            Fail("unterminated reference");
        }
        const std::string name = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        static const std::map<std::string, char> kNamed = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        if (const auto named = kNamed.find(name); named != kNamed.end()) {
            out += named->second;
            return;
        }
        const bool hex = name.starts_with("#x");
        const std::string digits = name.substr(hex ? 2 : 1);
        if (!name.starts_with("#") || digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
            Fail("unknown entity &" + name + ";");
        }
        const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
        if (code > 0x10FFFF || !IsXmlChar(static_cast<char32_t>(code))) {
            Fail("character reference to a character XML cannot carry");
        }
        AppendUtf8(out, static_cast<char32_t>(code));
    }

    std::string AttributeValue()
    {
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\'')) {
            Fail("expected a quoted value");
        }
        const char quote = m_text[m_pos++];
        std::string value;
        for (;;) {
            if (m_pos >= m_text.size()) {
                Fail("unterminated attribute value");
            }
            const char c = m_text[m_pos];
            if (c == quote) {
                ++m_pos;
                return value;
            }
            if (c == '<') {
                Fail("'<' in an attribute value");
            }
            if (c == '&') {
                Reference(value);
                continue;
            }
            // A literal tab or line end in a value is read as a space.
            value += (c == '\t' || c == '\n') ? ' ' : c;
            ++m_pos;
        }
    }

    XmlElement Element()
    {
        Expect("<");
        XmlElement element;
        element.name = Name();
        for (;;) {
            const bool spaced = SkipSpace();
            if (StartsWith("/>")) {
                m_pos += 2;
                return element;
            }
            if (StartsWith(">")) {
                ++m_pos;
                break;
            }
            if (!spaced) {
                Fail("expected whitespace before an attribute");
            }
            std::string name = Name();
            if (element.FindAttribute(name)) {
                Fail("attribute " + name + " given twice");
            }
            SkipSpace();
            Expect("=");
            SkipSpace();
            element.attributes.emplace_back(std::move(name), AttributeValue());
        }
        for (;;) {
            if (m_pos >= m_text.size()) {
                Fail("element " + element.name + " not closed");
            }
            if (StartsWith("</")) {
                m_pos += 2;
                if (Name() != element.name) {
                    Fail("end tag does not match <" + element.name + ">");
                }
                SkipSpace();
                Expect(">");
                return element;
            }
            if (StartsWith("<!--")) {
                SkipPast("-->");
            } else if (StartsWith("<?")) {
                SkipPast("?>");
            } else if (StartsWith("<!")) {
                Fail("CDATA and declarations are not supported");
            } else if (StartsWith("<")) {
                element.children.push_back(Element());
            } else if (StartsWith("&")) {
                Reference(element.text);
            } else if (StartsWith("]]>")) {
                Fail("\"]]>\" in character data");
            } else {
                element.text += m_text[m_pos++];
            }
        }
    }

    std::string m_text;
    std::size_t m_pos = 0;
};

// ---- values ----

[[noreturn]] void Unexpected(const XmlElement& element, std::string_view where)
{
    throw std::runtime_error("unexpected <" + element.name + "> in " + std::string(where));
}

long Integer(const std::string& text)
{
    std::size_t used = 0;
    const long value = std::stol(text, &used);
    if (used != text.size()) {
        throw std::runtime_error("not an integer: \"" + text + "\"");
    }
    return value;
}

double TwipsToPoints(const std::string& text)
{
    return static_cast<double>(Integer(text)) / 20.0;
}

bool OnOff(const XmlElement& element)
{
    const std::string* value = element.FindAttribute("w:val");
    if (!value || *value == "1" || *value == "true" || *value == "on") {
        return true;
    }
    if (*value == "0" || *value == "false" || *value == "off") {
        return false;
    }
    throw std::runtime_error("bad on/off value \"" + *value + "\"");
}

// w:fill "RRGGBB" as 0x00BBGGRR; "auto" is no colour.
std::optional<Colour> Fill(const XmlElement& shd)
{
    const std::string& fill = shd.Attribute("w:fill");
    if (fill == "auto") {
        return std::nullopt;
    }
    if (fill.size() != 6 || fill.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
        throw std::runtime_error("bad fill colour \"" + fill + "\"");
    }
    const auto rgb = static_cast<Colour>(std::stoul(fill, nullptr, 16));
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

CharFormat ReadRunProperties(const XmlElement* rPr)
{
    CharFormat format;
    if (!rPr) {
        return format;
    }
    for (const XmlElement& property : rPr->children) {
        if (property.name == "w:rFonts") {
            format.font = property.Attribute("w:ascii");
        } else if (property.name == "w:b") {
            format.bold = OnOff(property);
        } else if (property.name == "w:i") {
            format.italic = OnOff(property);
        } else if (property.name == "w:sz") {
            format.size = static_cast<double>(Integer(property.Attribute("w:val"))) / 2.0;
        } else if (property.name == "w:szCs") {
            // the complex-script size, written alongside w:sz
        } else if (property.name == "w:shd") {
            format.shading = Fill(property);
        } else {
            Unexpected(property, "w:rPr");
        }
    }
    return format;
}

Run ReadRun(const XmlElement& r)
{
    Run run;
    for (const XmlElement& child : r.children) {
        if (child.name == "w:rPr") {
            run.format = ReadRunProperties(&child);
        } else if (child.name == "w:t") {
            run.text += child.text;
        } else if (child.name == "w:tab") {
            run.text += '\t';
        } else if (child.name == "w:br") {
            run.text += '\n';
        } else {
            Unexpected(child, "w:r");
        }
    }
    return run;
}

} // namespace

// ---- XmlElement ----

const std::string* XmlElement::FindAttribute(std::string_view attributeName) const
{
    for (const auto& [key, value] : attributes) {
        if (key == attributeName) {
            return &value;
        }
    }
    return nullptr;
}

const std::string& XmlElement::Attribute(std::string_view attributeName) const
{
    if (const std::string* value = FindAttribute(attributeName)) {
        return *value;
    }
    throw std::runtime_error("<" + name + "> has no " + std::string(attributeName));
}

const XmlElement* XmlElement::FindChild(std::string_view childName) const
{
    for (const XmlElement& child : children) {
        if (child.name == childName) {
            return &child;
        }
    }
    return nullptr;
}

XmlElement ParseXml(std::string_view text)
{
    return Parser(text).Document();
}

// ---- the model ----

Paragraph ReadParagraph(const XmlElement& p)
{
    Paragraph paragraph;
    for (const XmlElement& child : p.children) {
        if (child.name == "w:pPr") {
            for (const XmlElement& property : child.children) {
                if (property.name == "w:shd") {
                    paragraph.format.shading = Fill(property);
                } else if (property.name == "w:keepNext") {
                    paragraph.format.keepWithNext = true;
                } else if (property.name == "w:jc") {
                    const std::string& value = property.Attribute("w:val");
                    if (value != "center" && value != "left" && value != "start") {
                        throw std::runtime_error("unexpected alignment " + value);
                    }
                    paragraph.format.alignment = value == "center" ? Alignment::Center : Alignment::Left;
                } else if (property.name == "w:rPr") {
                    paragraph.markFormat = ReadRunProperties(&property);
                } else {
                    Unexpected(property, "w:pPr");
                }
            }
        } else if (child.name == "w:r") {
            paragraph.runs.push_back(ReadRun(child));
        } else if (child.name == "w:fldSimple") {
            std::string instruction = child.Attribute("w:instr");
            instruction.erase(0, instruction.find_first_not_of(' '));
            instruction.erase(instruction.find_last_not_of(' ') + 1);
            if (instruction != "PAGE") {
                throw std::runtime_error("unexpected field \"" + instruction + "\"");
            }
            Run run;
            run.kind = Run::Kind::PageNumber;
            if (const XmlElement* shown = child.FindChild("w:r")) {
                run.format = ReadRunProperties(shown->FindChild("w:rPr"));
            }
            paragraph.runs.push_back(run);
        } else {
            Unexpected(child, "w:p");
        }
    }
    return paragraph;
}

Table ReadTable(const XmlElement& tbl)
{
    Table table;
    if (const XmlElement* tblPr = tbl.FindChild("w:tblPr")) {
        if (const XmlElement* shd = tblPr->FindChild("w:shd")) {
            table.shading = Fill(*shd);
            const std::string* colour = shd->FindAttribute("w:color");
            table.shadingForegroundAuto = colour && *colour == "auto";
        }
    }
    if (const XmlElement* grid = tbl.FindChild("w:tblGrid")) {
        for (const XmlElement& column : grid->children) {
            table.gridColumnsPt.push_back(TwipsToPoints(column.Attribute("w:w")));
        }
    }
    for (const XmlElement& tr : tbl.children) {
        if (tr.name == "w:tblPr" || tr.name == "w:tblGrid") {
            continue;
        }
        if (tr.name != "w:tr") {
            Unexpected(tr, "w:tbl");
        }
        Row& row = table.rows.emplace_back();
        for (const XmlElement& tc : tr.children) {
            if (tc.name == "w:trPr") {
                for (const XmlElement& property : tc.children) {
                    if (property.name == "w:trHeight") {
                        row.heightPt = TwipsToPoints(property.Attribute("w:val"));
                        const std::string* rule = property.FindAttribute("w:hRule");
                        // No rule means "at least".
                        row.heightRule = !rule || *rule == "atLeast" ? HeightRule::AtLeast
                                         : *rule == "exact"          ? HeightRule::Exactly
                                                                     : HeightRule::Auto;
                    } else if (property.name == "w:cantSplit") {
                        row.cantSplit = true;
                    } else if (property.name == "w:tblHeader") {
                        row.headingRow = true;
                    } else {
                        Unexpected(property, "w:trPr");
                    }
                }
                continue;
            }
            if (tc.name != "w:tc") {
                Unexpected(tc, "w:tr");
            }
            Cell& cell = row.cells.emplace_back();
            cell.paragraphs.clear();
            for (const XmlElement& child : tc.children) {
                if (child.name == "w:p") {
                    cell.paragraphs.push_back(ReadParagraph(child));
                    continue;
                }
                if (child.name != "w:tcPr") {
                    Unexpected(child, "w:tc");
                }
                for (const XmlElement& property : child.children) {
                    if (property.name == "w:tcW") {
                        cell.widthPt = TwipsToPoints(property.Attribute("w:w"));
                    } else if (property.name == "w:gridSpan") {
                        cell.gridSpan = static_cast<int>(Integer(property.Attribute("w:val")));
                    } else if (property.name == "w:tcBorders") {
                        const auto isSet = [&](std::string_view edge) {
                            const XmlElement* border = property.FindChild(edge);
                            return border && border->Attribute("w:val") != "nil" &&
                                   border->Attribute("w:val") != "none";
                        };
                        cell.borders = {isSet("w:top"), isSet("w:left"), isSet("w:bottom"), isSet("w:right")};
                    } else if (property.name == "w:shd") {
                        // The writer repeats the table's shading on each cell; only a
                        // different colour is the cell's own.
                        const std::optional<Colour> fill = Fill(property);
                        cell.shading = fill == table.shading ? std::nullopt : fill;
                    } else {
                        Unexpected(property, "w:tcPr");
                    }
                }
            }
            if (cell.paragraphs.empty()) {
                throw std::runtime_error("a cell without a paragraph");
            }
        }
    }
    return table;
}

Story ReadStory(const XmlElement& container)
{
    Story story;
    story.blocks.clear();
    for (const XmlElement& child : container.children) {
        if (child.name == "w:p") {
            story.blocks.emplace_back(ReadParagraph(child));
        } else if (child.name == "w:tbl") {
            story.blocks.emplace_back(ReadTable(child));
        } else if (child.name != "w:sectPr") {
            Unexpected(child, container.name);
        }
    }
    return story;
}

// ---- the package ----

DocxReader DocxReader::FromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return FromBytes(bytes.str());
}

DocxReader DocxReader::FromBytes(const std::string& bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        throw std::runtime_error(std::string("libzip: ") + zip_error_strerror(&error));
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(source);
        const std::string message = std::string("not a valid zip: ") + zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error(message);
    }
    const std::unique_ptr<zip_t, decltype(&zip_discard)> owner(archive, &zip_discard);

    DocxReader reader;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive, index, 0);
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        if (!name || !file) {
            throw std::runtime_error(std::string("cannot read entry: ") + zip_strerror(archive));
        }
        std::string content;
        char chunk[8192];
        zip_int64_t got = 0;
        while ((got = zip_fread(file, chunk, sizeof chunk)) > 0) {
            content.append(chunk, static_cast<std::size_t>(got));
        }
        zip_fclose(file);
        if (got < 0) {
            throw std::runtime_error(std::string("cannot read ") + name);
        }
        if (reader.m_parts.count(name) != 0) {
            throw std::runtime_error(std::string("entry twice: ") + name);
        }
        reader.m_names.emplace_back(name);
        reader.m_parts.emplace(name, std::move(content));
    }
    return reader;
}

const std::string& DocxReader::Part(const std::string& name) const
{
    const auto part = m_parts.find(name);
    if (part == m_parts.end()) {
        throw std::runtime_error("no part " + name);
    }
    return part->second;
}

Document DocxReader::ReadDocument() const
{
    const XmlElement root = ParseXml(Part("word/document.xml"));
    const XmlElement* body = root.name == "w:document" ? root.FindChild("w:body") : nullptr;
    if (!body || body->children.empty() || body->children.back().name != "w:sectPr") {
        throw std::runtime_error("word/document.xml: no w:body ending in w:sectPr");
    }
    Document doc;
    doc.main = ReadStory(*body);

    std::map<std::string, std::string> targets;
    for (const XmlElement& relationship : ParseXml(Part("word/_rels/document.xml.rels")).children) {
        targets[relationship.Attribute("Id")] = "word/" + relationship.Attribute("Target");
    }
    const XmlElement& section = body->children.back();
    for (const XmlElement& property : section.children) {
        if (property.name == "w:headerReference" || property.name == "w:footerReference") {
            const bool header = property.name == "w:headerReference";
            const auto target = targets.find(property.Attribute("r:id"));
            if (target == targets.end()) {
                throw std::runtime_error("no relationship " + property.Attribute("r:id"));
            }
            const XmlElement story = ParseXml(Part(target->second));
            if (story.name != (header ? "w:hdr" : "w:ftr")) {
                throw std::runtime_error(target->second + " holds <" + story.name + ">");
            }
            (header ? doc.header : doc.footer) = ReadStory(story);
        } else if (property.name == "w:pgSz") {
            doc.page.widthPt = TwipsToPoints(property.Attribute("w:w"));
            doc.page.heightPt = TwipsToPoints(property.Attribute("w:h"));
        } else if (property.name == "w:pgMar") {
            doc.page.topMarginPt = TwipsToPoints(property.Attribute("w:top"));
            doc.page.bottomMarginPt = TwipsToPoints(property.Attribute("w:bottom"));
            doc.page.leftMarginPt = TwipsToPoints(property.Attribute("w:left"));
            doc.page.rightMarginPt = TwipsToPoints(property.Attribute("w:right"));
        }
    }
    return doc;
}

} // namespace tessaprint::docs::test
