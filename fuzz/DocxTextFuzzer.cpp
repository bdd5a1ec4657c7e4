// Any text a capture can bring (an equipment ID, a reading, a work order
// field) written into a document: every XML part of the package stays
// well-formed and the document reads back.
#include "FuzzInput.h"

#include "../tests/core/DocxReader.h"

#include "docs/DocumentEngine.h"
#include "docs/DocxWriter.h"

#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessaprint;
    using namespace tessaprint::docs;
    fuzz::FuzzInput input(data, size);
    DocumentEngine word;
    word.StartWord();
    word.AddDocument("Normal.dotm", false);
    word.SeekView(kSeekHeader);
    word.WriteText(std::string(input.Take(input.Byte())));
    word.SeekView(kSeekMainDocument);
    while (!input.Empty()) {
        const std::uint8_t steer = input.Byte();
        try {
            switch (steer % 6) {
            case 0:
                word.NewParagraph();
                break;
            case 1:
                word.ToggleBold();
                break;
            case 2:
                word.AddTable(1 + steer % 3, 1 + steer % 4);
                break;
            case 3:
                word.MoveRight(kUnitCell);
                break;
            case 4:
                word.MoveDown();
                break;
            default:
                break;
            }
        } catch (const WordError&) {
            // An operation the selection does not allow (a cell move outside a table): refused, as Word does.
        }
        word.WriteText(std::string(input.Take(steer % 40)));
    }
    const Result<std::string> bytes = DocxBytes(word.document());
    if (!bytes) {
        std::abort(); // a document in memory always makes a package
    }
    try {
        const test::DocxReader reader = test::DocxReader::FromBytes(bytes.value());
        for (const auto& name : reader.EntryNames()) {
            if (name.size() > 4 &&
                (name.substr(name.size() - 4) == ".xml" || name.substr(name.size() - 5) == ".rels")) {
                test::ParseXml(reader.Part(name));
            }
        }
        reader.ReadDocument();
    } catch (const std::exception&) {
        std::abort();
    }
    return 0;
}
