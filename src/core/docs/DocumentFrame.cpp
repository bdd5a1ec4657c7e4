#include "docs/DocumentFrame.h"

#include "docs/RecordStyle.h"

#include <cstdio>

namespace tessaprint::docs {

std::string ComErrorText(const Error& error)
{
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "COM Error: 0x%08lX. ", static_cast<unsigned long>(error.code));
    return prefix + error.message;
}

namespace {

// A new document from the normal template (Normal.dotm from Word 2007 on,
// Normal.dot before), shown, with the side margins of every document.
void OpenDocument(WordApplication& word, int word2007)
{
    word.StartWord();
    word.AddDocument(word2007 ? "Normal.dotm" : "Normal.dot", false);
    word.MarkSaved(true);
    word.ShowWord(true);
    word.SetLeftMargin(word.InchesToPoints(kSideMarginInches));
    word.SetRightMargin(word.InchesToPoints(kSideMarginInches));
}

// The page number, centred in the footer.
void WritePageNumberFooter(WordApplication& word)
{
    word.SeekView(kSeekFooter);
    word.InsertPageNumberField(kFieldPage);
    word.SetAlignment(kAlignCentre);
    word.SeekView(kSeekMainDocument);
}

// The grey, centred header: the company line in italics over the title.
void WritePageHeader(WordApplication& word, const DocumentSpec& spec)
{
    word.SeekView(kSeekHeader);
    word.SetShading(kHeaderShading);
    word.SetAlignment(kAlignCentre);
    if (spec.boldHeader) {
        word.ToggleBold();
    }
    word.ToggleItalic();
    word.SetFontSize(spec.headerSize);
    word.SetFontName(kHeaderFont);
    word.WriteText(spec.companyLine);
    word.ToggleItalic();
    word.NewParagraph();
    word.WriteText(spec.title);
    if (spec.boldHeader) {
        word.ToggleBold();
    }
    word.SeekView(kSeekMainDocument);
}

// The form number in small print in the footer.
void WriteFormNumberFooter(WordApplication& word)
{
    word.SeekView(kSeekFooter);
    word.SetFontSize(kFooterSize);
    word.WriteText(kFormNumberFooter);
    word.SeekView(kSeekMainDocument);
}

} // namespace

Result<void> RunDocument(WordApplication& word, int word2007, const DocumentSpec& spec,
                         const std::function<void(WordApplication&)>& body, const std::string& reportPath)
{
    try {
        OpenDocument(word, word2007);
        if (spec.footer == DocumentSpec::Footer::PageNumber) {
            WritePageNumberFooter(word);
        }
        if (word2007) {
            word.ApplyStyleSet("Word 2003");
        }
        // Word's own window is not ours to arrange here; nothing stands in for that.
        WritePageHeader(word, spec);
        if (spec.footer == DocumentSpec::Footer::FormNumber) {
            WriteFormNumberFooter(word);
        }
        body(word);
        word.SaveDocumentAs(reportPath);
        word.ReleaseWord();
    } catch (const WordError& error) {
        return Error{error.code(), error.what()};
    }
    return {};
}

} // namespace tessaprint::docs
