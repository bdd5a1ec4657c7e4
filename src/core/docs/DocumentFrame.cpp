#include "docs/DocumentFrame.h"

#include <cstdio>

namespace tessaprint::docs {

std::string ComErrorText(const Error& error)
{
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "COM Error: 0x%08lX. ", static_cast<unsigned long>(error.code));
    return prefix + error.message;
}

namespace {

void WritePageHeader(WordApplication& word, const DocumentSpec& spec)
{
    word.SeekView(kSeekHeader);
    word.SetShading(kHeaderShading);
    word.SetAlignment(1);
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

} // namespace

Result<void> RunDocument(WordApplication& word, int word2007, const DocumentSpec& spec,
                         const std::function<void(WordApplication&)>& body, const std::string& reportPath)
{
    try {
        word.StartWord();
        word.AddDocument(word2007 ? "Normal.dotm" : "Normal.dot", false);
        word.MarkSaved(true);
        word.ShowWord(true);
        word.SetLeftMargin(word.InchesToPoints(0.9));
        word.SetRightMargin(word.InchesToPoints(0.9));
        if (spec.footer == DocumentSpec::Footer::PageNumber) {
            word.SeekView(kSeekFooter);
            word.InsertPageNumberField(kFieldPage);
            word.SetAlignment(1);
            word.SeekView(kSeekMainDocument);
        }
        if (word2007) {
            word.ApplyStyleSet("Word 2003");
        }
        // Word's own window is not ours to arrange here; nothing stands in for that.
        WritePageHeader(word, spec);
        if (spec.footer == DocumentSpec::Footer::FormNumber) {
            word.SeekView(kSeekFooter);
            word.SetFontSize(8);
            word.WriteText(kFormNumberFooter);
            word.SeekView(kSeekMainDocument);
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
