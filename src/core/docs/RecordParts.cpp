#include "docs/RecordParts.h"

namespace tessaprint::docs {

DocumentSpec TestRecordSpec(std::string title, bool boldHeader, double headerSize, DocumentSpec::Footer footer)
{
    DocumentSpec spec;
    spec.title = std::move(title);
    spec.boldHeader = boldHeader;
    spec.headerSize = headerSize;
    spec.footer = footer;
    return spec;
}

void WriteServiceChoices(WordApplication& word, const std::function<void(bool last)>& circle)
{
    word.WriteText("Test result prior to service");
    circle(false);
    word.NewParagraph();
    word.WriteText("                     Recurrent Test");
    circle(false);
    word.NewParagraph();
    word.WriteText("                  Test after repair");
    circle(true);
}

void WriteBoldRecordCircle(WordApplication& word)
{
    word.SetFontSize(14);
    word.ToggleBold();
    word.WriteText("   o");
    word.SetFontSize(12);
    word.ToggleBold();
}

} // namespace tessaprint::docs
