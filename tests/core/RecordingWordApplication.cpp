#include "RecordingWordApplication.h"

#include <sstream>

namespace tessaprint::docs {

namespace {

std::string Number(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Style(const std::optional<int>& style)
{
    return style ? std::to_string(*style) : "-";
}

} // namespace

void RecordingWordApplication::FailAt(std::size_t n, std::uint32_t code, std::string text)
{
    m_failAt = n;
    m_failCode = code;
    m_failText = std::move(text);
}

void RecordingWordApplication::Record(std::string line)
{
    if (m_operations.size() == m_failAt) {
        m_operations.push_back(std::move(line) + " !failed");
        throw WordError(m_failCode, m_failText);
    }
    m_operations.push_back(std::move(line));
}

// Each operation: note it, then let the next implementation carry it out.
#define FORWARD(call)                                                                                                  \
    if (m_next) {                                                                                                      \
        m_next->call;                                                                                                  \
    }

void RecordingWordApplication::StartWord()
{
    Record("StartWord");
    FORWARD(StartWord())
}
void RecordingWordApplication::ShowWord(bool visible)
{
    Record("ShowWord " + std::to_string(visible ? -1 : 0));
    FORWARD(ShowWord(visible))
}
void RecordingWordApplication::AddDocument(const std::string& templateName, bool newTemplate)
{
    Record("AddDocument " + templateName + " " + std::to_string(newTemplate ? 1 : 0));
    FORWARD(AddDocument(templateName, newTemplate))
}
void RecordingWordApplication::MarkSaved(bool saved)
{
    Record("MarkSaved " + std::to_string(saved ? 1 : 0));
    FORWARD(MarkSaved(saved))
}
double RecordingWordApplication::InchesToPoints(double inches)
{
    Record("InchesToPoints " + Number(inches));
    return m_next ? m_next->InchesToPoints(inches) : inches * 72.0;
}
void RecordingWordApplication::SetLeftMargin(double points)
{
    Record("SetLeftMargin " + Number(points));
    FORWARD(SetLeftMargin(points))
}
void RecordingWordApplication::SetRightMargin(double points)
{
    Record("SetRightMargin " + Number(points));
    FORWARD(SetRightMargin(points))
}
void RecordingWordApplication::ApplyStyleSet(const std::string& name)
{
    Record("ApplyStyleSet " + name);
    FORWARD(ApplyStyleSet(name))
}
void RecordingWordApplication::SaveDocumentAs(const std::string& path)
{
    Record("SaveDocumentAs " + path);
    m_savedAs = path + ".docx";
    FORWARD(SaveDocumentAs(path))
}
std::string RecordingWordApplication::FullName() const
{
    return m_next != nullptr ? m_next->FullName() : m_savedAs;
}
void RecordingWordApplication::ReleaseWord()
{
    Record("ReleaseWord");
    FORWARD(ReleaseWord())
}
void RecordingWordApplication::SeekView(int view)
{
    Record("SeekView " + std::to_string(view));
    FORWARD(SeekView(view))
}
void RecordingWordApplication::WriteText(const std::string& text)
{
    Record("WriteText " + text);
    FORWARD(WriteText(text))
}
void RecordingWordApplication::NewParagraph()
{
    Record("NewParagraph");
    FORWARD(NewParagraph())
}
void RecordingWordApplication::InsertPageNumberField(int fieldType)
{
    Record("InsertPageNumberField " + std::to_string(fieldType));
    FORWARD(InsertPageNumberField(fieldType))
}
void RecordingWordApplication::ToggleBold()
{
    Record("ToggleBold");
    FORWARD(ToggleBold())
}
void RecordingWordApplication::ToggleItalic()
{
    Record("ToggleItalic");
    FORWARD(ToggleItalic())
}
void RecordingWordApplication::SetFontSize(double points)
{
    Record("SetFontSize " + Number(points));
    FORWARD(SetFontSize(points))
}
void RecordingWordApplication::SetFontName(const std::string& name)
{
    Record("SetFontName " + name);
    FORWARD(SetFontName(name))
}
void RecordingWordApplication::SetAlignment(int alignment)
{
    Record("SetAlignment " + std::to_string(alignment));
    FORWARD(SetAlignment(alignment))
}
void RecordingWordApplication::SetKeepWithNext(bool keep)
{
    Record("SetKeepWithNext " + std::to_string(keep ? 1 : 0));
    FORWARD(SetKeepWithNext(keep))
}
void RecordingWordApplication::SetShading(std::uint32_t colour)
{
    Record("SetShading " + std::to_string(colour));
    FORWARD(SetShading(colour))
}
void RecordingWordApplication::SetTableShadingForeground(std::int32_t colour)
{
    Record("SetTableShadingForeground " + std::to_string(colour));
    FORWARD(SetTableShadingForeground(colour))
}
void RecordingWordApplication::SetTableShadingBackground(std::uint32_t colour)
{
    Record("SetTableShadingBackground " + std::to_string(colour));
    FORWARD(SetTableShadingBackground(colour))
}
void RecordingWordApplication::MoveLeft(int unit)
{
    Record(unit == kUnitCharacter ? "MoveLeft" : "MoveLeft " + std::to_string(unit));
    FORWARD(MoveLeft(unit))
}
void RecordingWordApplication::MoveRight(int unit)
{
    Record(unit == kUnitCharacter ? "MoveRight" : "MoveRight " + std::to_string(unit));
    FORWARD(MoveRight(unit))
}
void RecordingWordApplication::MoveUp()
{
    Record("MoveUp");
    FORWARD(MoveUp())
}
void RecordingWordApplication::MoveDown()
{
    Record("MoveDown");
    FORWARD(MoveDown())
}
void RecordingWordApplication::HomeOfRow(int unit)
{
    Record("HomeOfRow " + std::to_string(unit));
    FORWARD(HomeOfRow(unit))
}
void RecordingWordApplication::AddTable(int rows, int columns)
{
    Record("AddTable " + std::to_string(rows) + " " + std::to_string(columns));
    FORWARD(AddTable(rows, columns))
}
void RecordingWordApplication::SelectTable(int index)
{
    Record("SelectTable " + std::to_string(index));
    FORWARD(SelectTable(index))
}
void RecordingWordApplication::SetCellBorders(std::optional<int> outside, std::optional<int> inside)
{
    Record("SetCellBorders " + Style(outside) + " " + Style(inside));
    FORWARD(SetCellBorders(outside, inside))
}
void RecordingWordApplication::SetRowHeight(double points, int rule)
{
    Record("SetRowHeight " + Number(points) + " " + std::to_string(rule));
    FORWARD(SetRowHeight(points, rule))
}
void RecordingWordApplication::SetHeadingFormat(bool heading)
{
    Record("SetHeadingFormat " + std::to_string(heading ? 1 : 0));
    FORWARD(SetHeadingFormat(heading))
}
void RecordingWordApplication::SetAllowBreakAcrossPages(bool allow)
{
    Record("SetAllowBreakAcrossPages " + std::to_string(allow ? 1 : 0));
    FORWARD(SetAllowBreakAcrossPages(allow))
}
void RecordingWordApplication::SelectFirstRow(int index)
{
    Record("SelectFirstRow " + std::to_string(index));
    FORWARD(SelectFirstRow(index))
}
void RecordingWordApplication::MergeCells()
{
    Record("MergeCells");
    FORWARD(MergeCells())
}
void RecordingWordApplication::SelectColumn()
{
    Record("SelectColumn");
    FORWARD(SelectColumn())
}
void RecordingWordApplication::SetColumnWidth(double points, int widthType)
{
    Record("SetColumnWidth " + Number(points) + " " + std::to_string(widthType));
    FORWARD(SetColumnWidth(points, widthType))
}

#undef FORWARD

} // namespace tessaprint::docs
