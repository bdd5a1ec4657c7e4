#pragma once

#include "util/Result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace tessaprint::docs {

// A failed operation: the 32-bit result code and the system's text for it.
// The one exception of the program: it stands for an automation failure.
class WordError : public std::runtime_error {
public:
    WordError(std::uint32_t code, const std::string& text) : std::runtime_error(text), m_code(code) {}
    std::uint32_t code() const { return m_code; }

private:
    std::uint32_t m_code;
};

// Selection units and values the document walks pass.
inline constexpr int kSeekMainDocument = 0;
inline constexpr int kSeekHeader = 9;
inline constexpr int kSeekFooter = 10;
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignCentre = 1;
inline constexpr int kUnitCharacter = 1;
inline constexpr int kUnitRow = 10;
inline constexpr int kUnitCell = 12;
inline constexpr int kFieldPage = 33;
inline constexpr int kLineStyleNone = 0;
inline constexpr int kLineStyleSingle = 1;
inline constexpr int kRowHeightAtLeast = 1;
inline constexpr int kRowHeightExactly = 2;
inline constexpr int kColumnWidthPoints = 3;
inline constexpr std::int32_t kColourAutomatic = -16777216;

// The word processor operations the document walks are written in, one
// method each. Format operations apply to the selection; at a bare insertion
// point they apply to what is typed next. Any operation may throw WordError.
class WordApplication {
public:
    virtual ~WordApplication() = default;

    // Application and document.
    virtual void StartWord() = 0;
    virtual void ShowWord(bool visible) = 0;
    virtual void AddDocument(const std::string& templateName, bool newTemplate) = 0;
    virtual void MarkSaved(bool saved) = 0;
    virtual double InchesToPoints(double inches) = 0;
    virtual void SetLeftMargin(double points) = 0;
    virtual void SetRightMargin(double points) = 0;
    virtual void ApplyStyleSet(const std::string& name) = 0;
    // path without extension; the document's own extension is added. A file
    // of that name is never replaced: the save goes to "<path>-2", "-3", … instead.
    virtual void SaveDocumentAs(const std::string& path) = 0;
    // Where the document was saved, extension included (Word's FullName);
    // empty before a save.
    virtual std::string FullName() const = 0;
    virtual void ReleaseWord() = 0;

    // The selection.
    virtual void SeekView(int view) = 0;
    virtual void WriteText(const std::string& text) = 0;
    virtual void NewParagraph() = 0;
    virtual void InsertPageNumberField(int fieldType = kFieldPage) = 0;
    virtual void ToggleBold() = 0;
    virtual void ToggleItalic() = 0;
    virtual void SetFontSize(double points) = 0;
    virtual void SetFontName(const std::string& name) = 0;
    virtual void SetAlignment(int alignment) = 0;
    // Paragraph.KeepWithNext: the paragraphs of the selection stay on one page
    // with what follows them (in a table: their row with the next row).
    virtual void SetKeepWithNext(bool keep) = 0;
    virtual void SetShading(std::uint32_t colour) = 0;
    virtual void SetTableShadingForeground(std::int32_t colour) = 0;
    virtual void SetTableShadingBackground(std::uint32_t colour) = 0;
    virtual void MoveLeft(int unit = kUnitCharacter) = 0;
    virtual void MoveRight(int unit = kUnitCharacter) = 0;
    virtual void MoveUp() = 0;
    virtual void MoveDown() = 0;
    virtual void HomeOfRow(int unit = kUnitRow) = 0;

    // Tables.
    virtual void AddTable(int rows, int columns) = 0;
    virtual void SelectTable(int index = 1) = 0;
    // Line style for the outside and inside borders of the selected cells; an
    // absent style leaves those borders as they are.
    virtual void SetCellBorders(std::optional<int> outside, std::optional<int> inside) = 0;
    virtual void SetRowHeight(double points, int rule = kRowHeightExactly) = 0;
    // Rows.HeadingFormat: the selection's rows repeat at the top of every page
    // the table spans.
    virtual void SetHeadingFormat(bool heading) = 0;
    // Rows.AllowBreakAcrossPages: false keeps each of the selection's rows whole on one page.
    virtual void SetAllowBreakAcrossPages(bool allow) = 0;
    virtual void SelectFirstRow(int index = 1) = 0;
    virtual void MergeCells() = 0;
    virtual void SelectColumn() = 0;
    virtual void SetColumnWidth(double points, int widthType = kColumnWidthPoints) = 0;
};

// Makes the word processor one document is written with: the document engine
// in the program, one that records or fails on purpose in tests.
using WordProcessorFactory = std::function<std::unique_ptr<WordApplication>()>;

} // namespace tessaprint::docs
