#pragma once

#include "docs/WordApplication.h"

#include <string>
#include <vector>

namespace tessaprint::docs {

// A test double: writes down every operation as a line ("WriteText Equipment ID: ") and
// passes it on to another implementation, if any. It can also make the n-th
// operation fail, to try the error path of a walk.
class RecordingWordApplication : public WordApplication {
public:
    explicit RecordingWordApplication(WordApplication* next = nullptr) : m_next(next) {}

    const std::vector<std::string>& operations() const { return m_operations; }
    // Operation number n (0-based) throws this error instead of running.
    void FailAt(std::size_t n, std::uint32_t code, std::string text);

    void StartWord() override;
    void ShowWord(bool visible) override;
    void AddDocument(const std::string& templateName, bool newTemplate) override;
    void MarkSaved(bool saved) override;
    double InchesToPoints(double inches) override;
    void SetLeftMargin(double points) override;
    void SetRightMargin(double points) override;
    void ApplyStyleSet(const std::string& name) override;
    void SaveDocumentAs(const std::string& path) override;
    // The next implementation's, or the path of the last save with ".docx".
    std::string FullName() const override;
    void ReleaseWord() override;
    void SeekView(int view) override;
    void WriteText(const std::string& text) override;
    void NewParagraph() override;
    void InsertPageNumberField(int fieldType) override;
    void ToggleBold() override;
    void ToggleItalic() override;
    void SetFontSize(double points) override;
    void SetFontName(const std::string& name) override;
    void SetAlignment(int alignment) override;
    void SetKeepWithNext(bool keep) override;
    void SetShading(std::uint32_t colour) override;
    void SetTableShadingForeground(std::int32_t colour) override;
    void SetTableShadingBackground(std::uint32_t colour) override;
    void MoveLeft(int unit) override;
    void MoveRight(int unit) override;
    void MoveUp() override;
    void MoveDown() override;
    void HomeOfRow(int unit) override;
    void AddTable(int rows, int columns) override;
    void SelectTable(int index) override;
    void SetCellBorders(std::optional<int> outside, std::optional<int> inside) override;
    void SetRowHeight(double points, int rule) override;
    void SetHeadingFormat(bool heading) override;
    void SetAllowBreakAcrossPages(bool allow) override;
    void SelectFirstRow(int index) override;
    void MergeCells() override;
    void SelectColumn() override;
    void SetColumnWidth(double points, int widthType) override;

private:
    void Record(std::string line);

    WordApplication* m_next;
    std::vector<std::string> m_operations;
    std::size_t m_failAt = static_cast<std::size_t>(-1);
    std::uint32_t m_failCode = 0;
    std::string m_failText;
    std::string m_savedAs;
};

} // namespace tessaprint::docs
