#include "docs/DocxWriter.h"

#include "util/AtomicFile.h"
#include "util/Utf8Path.h"

#include "docs/XmlWriter.h"

#include <zip.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tessaprint::docs {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr std::string_view kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kRelationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kPackageRelationshipsNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";

// The relationship ids word/document.xml refers to.
constexpr std::string_view kHeaderRelationshipId = "rId3";
constexpr std::string_view kFooterRelationshipId = "rId4";

// Where the header and footer sit, from the page edge (0.5 in), in twips.
constexpr std::string_view kHeaderFooterDistance = "720";

constexpr long kDefaultHalfPoints = 24;

std::string WithDeclaration(const XmlWriter& w)
{
    std::string xml(kDeclaration);
    xml += w.str();
    return xml;
}

// Word measures lengths in twentieths of a point and font sizes in half points.
std::string TwipsText(double points)
{
    return std::to_string(std::lround(points * 20.0));
}

long HalfPoints(double points)
{
    return std::lround(points * 2.0);
}

// 0x00BBGGRR to "RRGGBB".
std::string HexColour(Colour colour)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (int shift : {0, 8, 16}) {
        const unsigned byte = (colour >> shift) & 0xFFu;
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xFu];
    }
    return hex;
}

void WriteShading(XmlWriter& w, Colour fill)
{
    w.EmptyElement("w:shd", {{"w:val", "clear"}, {"w:color", "auto"}, {"w:fill", HexColour(fill)}});
}

bool HasRunProperties(const CharFormat& f)
{
    return f.font != kDefaultFontName || f.bold || f.italic || HalfPoints(f.size) != kDefaultHalfPoints ||
           f.shading.has_value();
}

// Only what differs from the document defaults, in the order the schema wants.
void WriteRunProperties(XmlWriter& w, const CharFormat& f)
{
    if (!HasRunProperties(f)) {
        return;
    }
    w.StartElement("w:rPr");
    if (f.font != kDefaultFontName) {
        w.EmptyElement("w:rFonts", {{"w:ascii", f.font}, {"w:hAnsi", f.font}, {"w:cs", f.font}});
    }
    if (f.bold) {
        w.EmptyElement("w:b");
    }
    if (f.italic) {
        w.EmptyElement("w:i");
    }
    const long halfPoints = HalfPoints(f.size);
    if (halfPoints != kDefaultHalfPoints) {
        const std::string value = std::to_string(halfPoints);
        w.EmptyElement("w:sz", {{"w:val", value}});
        w.EmptyElement("w:szCs", {{"w:val", value}});
    }
    if (f.shading) {
        WriteShading(w, *f.shading);
    }
    w.EndElement();
}

void WriteRun(XmlWriter& w, const Run& run)
{
    if (run.kind == Run::Kind::PageNumber) {
        // A simple field; "1" is only the cached result a reader shows until
        // it updates the field.
        w.StartElement("w:fldSimple");
        w.Attribute("w:instr", " PAGE ");
        w.StartElement("w:r");
        WriteRunProperties(w, run.format);
        w.StartElement("w:t");
        w.Text("1");
        w.EndElement();
        w.EndElement();
        w.EndElement();
        return;
    }
    w.StartElement("w:r");
    WriteRunProperties(w, run.format);
    std::string_view rest = run.text;
    while (!rest.empty()) {
        const std::size_t stop = rest.find_first_of("\t\r\n");
        const std::string_view piece = rest.substr(0, stop);
        if (!piece.empty()) {
            w.StartElement("w:t");
            w.Attribute("xml:space", "preserve");
            w.Text(piece);
            w.EndElement();
        }
        if (stop == std::string_view::npos) {
            break;
        }
        // A tab stop, or a line break for LF, CR LF or a lone CR.
        w.EmptyElement(rest[stop] == '\t' ? "w:tab" : "w:br");
        const bool crLf = rest[stop] == '\r' && stop + 1 < rest.size() && rest[stop + 1] == '\n';
        rest.remove_prefix(stop + (crLf ? 2 : 1));
    }
    w.EndElement();
}

void WriteParagraph(XmlWriter& w, const Paragraph& p)
{
    w.StartElement("w:p");
    const bool centered = p.format.alignment == Alignment::Center;
    if (p.format.keepWithNext || p.format.shading || centered || HasRunProperties(p.markFormat)) {
        w.StartElement("w:pPr");
        if (p.format.keepWithNext) {
            w.EmptyElement("w:keepNext");
        }
        if (p.format.shading) {
            WriteShading(w, *p.format.shading);
        }
        if (centered) {
            w.EmptyElement("w:jc", {{"w:val", "center"}});
        }
        WriteRunProperties(w, p.markFormat);
        w.EndElement();
    }
    for (const Run& run : p.runs) {
        WriteRun(w, run);
    }
    w.EndElement();
}

void WriteBorder(XmlWriter& w, std::string_view edge, bool set)
{
    if (set) {
        w.EmptyElement(edge, {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "0"}, {"w:color", "auto"}});
    } else {
        w.EmptyElement(edge, {{"w:val", "nil"}});
    }
}

void WriteCell(XmlWriter& w, const Cell& cell, const Table& table)
{
    w.StartElement("w:tc");
    w.StartElement("w:tcPr");
    if (cell.widthPt > 0) {
        w.EmptyElement("w:tcW", {{"w:w", TwipsText(cell.widthPt)}, {"w:type", "dxa"}});
    } else {
        w.EmptyElement("w:tcW", {{"w:w", "0"}, {"w:type", "auto"}});
    }
    if (cell.gridSpan > 1) {
        w.EmptyElement("w:gridSpan", {{"w:val", std::to_string(cell.gridSpan)}});
    }
    // Every edge is stated, so no table style or reader default can add lines.
    w.StartElement("w:tcBorders");
    WriteBorder(w, "w:top", cell.borders.top);
    WriteBorder(w, "w:left", cell.borders.left);
    WriteBorder(w, "w:bottom", cell.borders.bottom);
    WriteBorder(w, "w:right", cell.borders.right);
    w.EndElement();
    // The table's shading goes on each cell as well, where every reader
    // applies it; a cell's own shading wins.
    if (const auto shading = cell.shading ? cell.shading : table.shading) {
        WriteShading(w, *shading);
    }
    w.EndElement();
    if (cell.paragraphs.empty()) {
        w.EmptyElement("w:p"); // a cell must end in a paragraph
    }
    for (const Paragraph& p : cell.paragraphs) {
        WriteParagraph(w, p);
    }
    w.EndElement();
}

void WriteRow(XmlWriter& w, const Row& row, const Table& table)
{
    w.StartElement("w:tr");
    const bool height = row.heightRule != HeightRule::Auto || row.heightPt != 0;
    if (height || row.cantSplit || row.headingRow) {
        w.StartElement("w:trPr");
        if (row.cantSplit) {
            w.EmptyElement("w:cantSplit");
        }
        if (height) {
            const char* rule = row.heightRule == HeightRule::Exactly   ? "exact"
                               : row.heightRule == HeightRule::AtLeast ? "atLeast"
                                                                       : "auto";
            w.EmptyElement("w:trHeight", {{"w:val", TwipsText(row.heightPt)}, {"w:hRule", rule}});
        }
        if (row.headingRow) {
            w.EmptyElement("w:tblHeader");
        }
        w.EndElement();
    }
    for (const Cell& cell : row.cells) {
        WriteCell(w, cell, table);
    }
    w.EndElement();
}

void WriteTable(XmlWriter& w, const Table& t)
{
    w.StartElement("w:tbl");
    w.StartElement("w:tblPr");
    // The table is as wide as its grid, stated so that no reader widens it.
    long gridTwips = 0;
    for (double width : t.gridColumnsPt) {
        gridTwips += std::lround(width * 20.0);
    }
    if (gridTwips > 0) {
        w.EmptyElement("w:tblW", {{"w:w", std::to_string(gridTwips)}, {"w:type", "dxa"}});
    } else {
        w.EmptyElement("w:tblW", {{"w:w", "0"}, {"w:type", "auto"}});
    }
    if (t.shading || t.shadingForegroundAuto) {
        w.StartElement("w:shd");
        w.Attribute("w:val", "clear");
        if (t.shadingForegroundAuto) {
            w.Attribute("w:color", "auto");
        }
        w.Attribute("w:fill", t.shading ? HexColour(*t.shading) : "auto");
        w.EndElement();
    }
    // Fixed: the widths given are the widths shown, not a hint to autofit.
    w.EmptyElement("w:tblLayout", {{"w:type", "fixed"}});
    w.EndElement();
    w.StartElement("w:tblGrid");
    for (double width : t.gridColumnsPt) {
        w.EmptyElement("w:gridCol", {{"w:w", TwipsText(width)}});
    }
    w.EndElement();
    for (const Row& row : t.rows) {
        WriteRow(w, row, t);
    }
    w.EndElement();
}

void WriteBlocks(XmlWriter& w, const Story& story)
{
    bool endsInParagraph = false;
    for (const Block& block : story.blocks) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, Paragraph>) {
                    WriteParagraph(w, b);
                } else {
                    WriteTable(w, b);
                }
                endsInParagraph = std::is_same_v<T, Paragraph>;
            },
            block);
    }
    // Word refuses a story (or a cell) that does not end in a paragraph.
    if (!endsInParagraph) {
        w.EmptyElement("w:p");
    }
}

void WriteSectionProperties(XmlWriter& w, const PageSetup& page)
{
    w.StartElement("w:sectPr");
    w.EmptyElement("w:headerReference", {{"w:type", "default"}, {"r:id", kHeaderRelationshipId}});
    w.EmptyElement("w:footerReference", {{"w:type", "default"}, {"r:id", kFooterRelationshipId}});
    w.StartElement("w:pgSz");
    w.Attribute("w:w", TwipsText(page.widthPt));
    w.Attribute("w:h", TwipsText(page.heightPt));
    if (page.widthPt > page.heightPt) {
        w.Attribute("w:orient", "landscape");
    }
    w.EndElement();
    w.EmptyElement("w:pgMar", {{"w:top", TwipsText(page.topMarginPt)},
                               {"w:right", TwipsText(page.rightMarginPt)},
                               {"w:bottom", TwipsText(page.bottomMarginPt)},
                               {"w:left", TwipsText(page.leftMarginPt)},
                               {"w:header", kHeaderFooterDistance},
                               {"w:footer", kHeaderFooterDistance},
                               {"w:gutter", "0"}});
    w.EmptyElement("w:cols", {{"w:space", "720"}});
    w.EndElement();
}

std::string StoryPartXml(std::string_view root, const Story& story)
{
    XmlWriter w;
    w.StartElement(root);
    w.Attribute("xmlns:w", kWordNamespace);
    WriteBlocks(w, story);
    w.EndElement();
    return WithDeclaration(w);
}

void WriteRelationship(XmlWriter& w, std::string_view id, std::string_view type, std::string_view target)
{
    w.EmptyElement("Relationship", {{"Id", id}, {"Type", type}, {"Target", target}});
}

// ---- the zip ----

// 1980-01-01 00:00, the earliest time a zip entry can carry; the date is
// (year - 1980) << 9 | month << 5 | day.
constexpr zip_uint16_t kDosTime = 0;
constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;

struct SourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
struct ArchiveDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscard>;

Error ZipFailure(const std::string& what, zip_error_t* error)
{
    const int system = zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
    Error failure{system != 0 ? CodeForErrno(system) : kErrorFail, what + ": " + zip_error_strerror(error)};
    zip_error_fini(error);
    return failure;
}

struct PackagePart {
    const char* name;
    std::string xml;
};

// [Content_Types].xml first: some readers sniff the package by it.
std::vector<PackagePart> PackageParts(const Document& doc)
{
    return {
        {"[Content_Types].xml", ContentTypesXml()},
        {"_rels/.rels", RootRelationshipsXml()},
        {"word/document.xml", DocumentXml(doc)},
        {"word/_rels/document.xml.rels", DocumentRelationshipsXml()},
        {"word/styles.xml", StylesXml()},
        {"word/settings.xml", SettingsXml()},
        {"word/header1.xml", HeaderXml(doc.header)},
        {"word/footer1.xml", FooterXml(doc.footer)},
    };
}

// ---- the file ----

} // namespace

std::string ContentTypesXml()
{
    constexpr std::string_view kWordprocessing = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
    const auto addOverride = [&](XmlWriter& w, std::string_view part, std::string_view type) {
        w.EmptyElement("Override", {{"PartName", part}, {"ContentType", std::string(kWordprocessing) += type}});
    };
    XmlWriter w;
    w.StartElement("Types");
    w.Attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    w.EmptyElement("Default", {{"Extension", "rels"},
                               {"ContentType", "application/vnd.openxmlformats-package.relationships+xml"}});
    w.EmptyElement("Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    addOverride(w, "/word/document.xml", "document.main+xml");
    addOverride(w, "/word/styles.xml", "styles+xml");
    addOverride(w, "/word/settings.xml", "settings+xml");
    addOverride(w, "/word/header1.xml", "header+xml");
    addOverride(w, "/word/footer1.xml", "footer+xml");
    w.EndElement();
    return WithDeclaration(w);
}

std::string RootRelationshipsXml()
{
    XmlWriter w;
    w.StartElement("Relationships");
    w.Attribute("xmlns", kPackageRelationshipsNamespace);
    WriteRelationship(w, "rId1", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
                      "word/document.xml");
    w.EndElement();
    return WithDeclaration(w);
}

std::string DocumentRelationshipsXml()
{
    const std::string base(kRelationshipsNamespace);
    XmlWriter w;
    w.StartElement("Relationships");
    w.Attribute("xmlns", kPackageRelationshipsNamespace);
    WriteRelationship(w, "rId1", base + "/styles", "styles.xml");
    WriteRelationship(w, "rId2", base + "/settings", "settings.xml");
    WriteRelationship(w, kHeaderRelationshipId, base + "/header", "header1.xml");
    WriteRelationship(w, kFooterRelationshipId, base + "/footer", "footer1.xml");
    w.EndElement();
    return WithDeclaration(w);
}

std::string StylesXml()
{
    const std::string size = std::to_string(kDefaultHalfPoints);
    XmlWriter w;
    w.StartElement("w:styles");
    w.Attribute("xmlns:w", kWordNamespace);
    // The defaults every run and paragraph starts from: Times New Roman 12 pt,
    // single spacing, nothing before or after a paragraph.
    w.StartElement("w:docDefaults");
    w.StartElement("w:rPrDefault");
    w.StartElement("w:rPr");
    w.EmptyElement("w:rFonts", {{"w:ascii", kDefaultFontName},
                                {"w:eastAsia", kDefaultFontName},
                                {"w:hAnsi", kDefaultFontName},
                                {"w:cs", kDefaultFontName}});
    w.EmptyElement("w:sz", {{"w:val", size}});
    w.EmptyElement("w:szCs", {{"w:val", size}});
    w.EmptyElement("w:lang", {{"w:val", "en-US"}, {"w:eastAsia", "en-US"}, {"w:bidi", "ar-SA"}});
    w.EndElement();
    w.EndElement();
    w.StartElement("w:pPrDefault");
    w.StartElement("w:pPr");
    w.EmptyElement("w:spacing", {{"w:before", "0"}, {"w:after", "0"}, {"w:line", "240"}, {"w:lineRule", "auto"}});
    w.EndElement();
    w.EndElement();
    w.EndElement();

    w.StartElement("w:style");
    w.Attribute("w:type", "paragraph");
    w.Attribute("w:default", "1");
    w.Attribute("w:styleId", "Normal");
    w.EmptyElement("w:name", {{"w:val", "Normal"}});
    w.EmptyElement("w:qFormat");
    w.EndElement();

    w.StartElement("w:style");
    w.Attribute("w:type", "character");
    w.Attribute("w:default", "1");
    w.Attribute("w:styleId", "DefaultParagraphFont");
    w.EmptyElement("w:name", {{"w:val", "Default Paragraph Font"}});
    w.EndElement();

    // The default table style, stated so every reader uses the same cell
    // margins (0.075 in left and right).
    w.StartElement("w:style");
    w.Attribute("w:type", "table");
    w.Attribute("w:default", "1");
    w.Attribute("w:styleId", "TableNormal");
    w.EmptyElement("w:name", {{"w:val", "Normal Table"}});
    w.StartElement("w:tblPr");
    w.EmptyElement("w:tblInd", {{"w:w", "0"}, {"w:type", "dxa"}});
    w.StartElement("w:tblCellMar");
    w.EmptyElement("w:top", {{"w:w", "0"}, {"w:type", "dxa"}});
    w.EmptyElement("w:left", {{"w:w", TwipsText(kCellSideMarginPt)}, {"w:type", "dxa"}});
    w.EmptyElement("w:bottom", {{"w:w", "0"}, {"w:type", "dxa"}});
    w.EmptyElement("w:right", {{"w:w", TwipsText(kCellSideMarginPt)}, {"w:type", "dxa"}});
    w.EndElement();
    w.EndElement();
    w.EndElement();

    w.EndElement();
    return WithDeclaration(w);
}

std::string SettingsXml()
{
    XmlWriter w;
    w.StartElement("w:settings");
    w.Attribute("xmlns:w", kWordNamespace);
    w.EmptyElement("w:defaultTabStop", {{"w:val", "720"}});
    w.StartElement("w:compat");
    w.EmptyElement(
        "w:compatSetting",
        {{"w:name", "compatibilityMode"}, {"w:uri", "http://schemas.microsoft.com/office/word"}, {"w:val", "15"}});
    w.EndElement();
    w.EndElement();
    return WithDeclaration(w);
}

std::string DocumentXml(const Document& doc)
{
    XmlWriter w;
    w.StartElement("w:document");
    w.Attribute("xmlns:w", kWordNamespace);
    w.Attribute("xmlns:r", kRelationshipsNamespace);
    w.StartElement("w:body");
    WriteBlocks(w, doc.main);
    WriteSectionProperties(w, doc.page);
    w.EndElement();
    w.EndElement();
    return WithDeclaration(w);
}

std::string HeaderXml(const Story& header)
{
    return StoryPartXml("w:hdr", header);
}

std::string FooterXml(const Story& footer)
{
    return StoryPartXml("w:ftr", footer);
}

std::string ParagraphXml(const Paragraph& p)
{
    XmlWriter w;
    WriteParagraph(w, p);
    return w.str();
}

std::string TableXml(const Table& t)
{
    XmlWriter w;
    WriteTable(w, t);
    return w.str();
}

Result<std::string> DocxBytes(const Document& doc)
{
    // libzip reads the part texts only at zip_close, so they must outlive it.
    const std::vector<PackagePart> parts = PackageParts(doc);

    zip_error_t error;
    zip_error_init(&error);
    SourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer) {
        return ZipFailure("cannot create the package", &error);
    }
    zip_t* opened = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    if (!opened) {
        return ZipFailure("cannot create the package", &error);
    }
    // The archive now owns a reference to the buffer; take one of our own to
    // read the finished package after zip_close.
    zip_source_keep(buffer.get());
    ArchivePtr archive(opened);

    for (const PackagePart& part : parts) {
        zip_source_t* data = zip_source_buffer(archive.get(), part.xml.data(), part.xml.size(), 0);
        if (!data) {
            return ZipFailure(std::string("cannot add ") + part.name, zip_get_error(archive.get()));
        }
        const zip_int64_t index = zip_file_add(archive.get(), part.name, data, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            return ZipFailure(std::string("cannot add ") + part.name, zip_get_error(archive.get()));
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive.get(), entry, ZIP_CM_DEFLATE, 9) < 0 ||
            zip_file_set_dostime(archive.get(), entry, kDosTime, kDosDate, 0) < 0) {
            return ZipFailure(std::string("cannot add ") + part.name, zip_get_error(archive.get()));
        }
    }
    if (zip_close(archive.get()) < 0) {
        return ZipFailure("cannot write the package", zip_get_error(archive.get()));
    }
    archive.release(); // zip_close freed it

    if (zip_source_open(buffer.get()) < 0) {
        return ZipFailure("cannot read the package", zip_source_error(buffer.get()));
    }
    std::string bytes;
    char chunk[16384];
    zip_int64_t got = 0;
    while ((got = zip_source_read(buffer.get(), chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    zip_source_close(buffer.get());
    if (got < 0) {
        return ZipFailure("cannot read the package", zip_source_error(buffer.get()));
    }
    return bytes;
}

Result<std::string> WriteDocx(const Document& doc, const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path target = PathFromUtf8(path);
    if (path.empty() || !target.has_filename()) {
        return ErrnoError(EINVAL, "cannot save \"" + path + "\"");
    }
    const Result<std::string> bytes = DocxBytes(doc);
    if (!bytes) {
        return bytes.error();
    }
    Result<fs::path> written = CreateFileNoReplace(target, bytes.value());
    if (!written) {
        return Error{written.error().code, "cannot save " + path + ": " + written.error().message};
    }
    return PathToUtf8(written.value());
}

} // namespace tessaprint::docs
