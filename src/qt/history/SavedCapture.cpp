#include "history/SavedCapture.h"

#include "history/CaptureIdentity.h"
#include "history/LinesHasher.h"
#include "link/TranscriptReplay.h"
#include "results/CaptureLineSplitter.h"
#include "results/ResultsListing.h"
#include "text/Windows1252.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

namespace tessaprint::history {

namespace {

// The lines of a capture are fingerprinted as they come and not kept: the
// table holds what the history records.
class FingerprintingView : public ReceiveView {
public:
    explicit FingerprintingView(LinesHasher& hash) : m_hash(hash) {}
    void AppendLine(const std::string& line) override { m_hash.Add(line); }
    void SetVersionText(const std::string&) override {}
    void PostResultsReady() override {}

private:
    LinesHasher& m_hash;
};

Result<void> ReadTranscript(const std::string& path, ResultsTable& table, ResultsListing& listing, LinesHasher& hash)
{
    FingerprintingView view(hash);
    TranscriptReplay replay(table, listing, view);
    return ReadFileInPieces(path, [&replay](std::string_view piece) { replay.Feed(piece); });
}

// A capture file is read as UTF-8 unless some part of it is not, and then
// all of it as the instrument's code page (a capture saved elsewhere). A
// UTF-8 sequence never holds a line end, so the file is UTF-8 exactly when
// each of its lines is: a first pass tells, a second one parses.
Result<void> ReadCaptureFile(const std::string& path, ResultsTable& table, ResultsListing& listing, LinesHasher& hash)
{
    bool utf8 = true;
    CaptureLineSplitter check;
    const auto checkLine = [&utf8](std::string_view line) { utf8 = utf8 && IsValidUtf8(line); };
    if (Result<void> read = ReadFileInPieces(path, [&](std::string_view piece) { check.Feed(piece, checkLine); });
        !read) {
        return read;
    }
    check.Finish(checkLine);

    CaptureLineSplitter lines;
    std::string text;
    const auto takeLine = [&](std::string_view line) {
        // A line that is not UTF-8 after all (the file changed between the
        // passes) is decoded too: the table only ever sees UTF-8.
        if (utf8 && IsValidUtf8(line)) {
            text.assign(line);
        } else {
            text = DecodeWindows1252(line);
        }
        hash.Add(text);
        table.ParseResultLine(listing, text);
    };
    if (Result<void> read = ReadFileInPieces(path, [&](std::string_view piece) { lines.Feed(piece, takeLine); });
        !read) {
        return read;
    }
    lines.Finish(takeLine);
    return {};
}

} // namespace

Result<HistoryCapture> ReadSavedCapture(const std::string& path, bool transcript)
{
    ResultsTable table;
    ResultsListing listing; // the selector; its lines are not kept
    listing.SetKeepLines(false);
    LinesHasher hash;
    if (Result<void> read =
            transcript ? ReadTranscript(path, table, listing, hash) : ReadCaptureFile(path, table, listing, hash);
        !read) {
        return read.error();
    }
    HistoryCapture capture = MakeHistoryCapture(table, listing);
    capture.linesHash = hash.Hex();
    capture.captureId = SavedCaptureIdentity(capture.linesHash);
    capture.archiveName = PathToUtf8(PathFromUtf8(path).filename());
    return capture;
}

} // namespace tessaprint::history
