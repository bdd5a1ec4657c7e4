#include "history/SavedCapture.h"

#include "history/CaptureIdentity.h"
#include "history/LinesHasher.h"
#include "link/TranscriptReplay.h"
#include "results/CaptureLineSplitter.h"
#include "results/RecordStream.h"
#include "text/Windows1252.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

namespace tessaprint::history {

namespace {

using TakeLine = std::function<void(std::string_view line)>;

// The lines of a transcript as the receive path makes them, not kept.
class LineView : public ReceiveView {
public:
    explicit LineView(const TakeLine& take) : m_take(take) {}
    void AppendLine(const std::string& line) override { m_take(line); }
    void SetVersionText(const std::string&) override {}
    void PostResultsReady() override {}

private:
    const TakeLine& m_take;
};

Result<void> ReadTranscriptLines(const std::string& path, const TakeLine& take)
{
    LineView view(take);
    TranscriptReplay replay(view);
    return ReadFileInPieces(path, [&replay](std::string_view piece) { replay.Feed(piece); });
}

// A capture file is read as UTF-8 unless some part of it is not, and then
// all of it as the instrument's code page (a capture saved elsewhere). A
// UTF-8 sequence never holds a line end, so the file is UTF-8 exactly when
// each of its lines is.
Result<bool> IsUtf8CaptureFile(const std::string& path)
{
    bool utf8 = true;
    CaptureLineSplitter check;
    const auto checkLine = [&utf8](std::string_view line) { utf8 = utf8 && IsValidUtf8(line); };
    if (Result<void> read = ReadFileInPieces(path, [&](std::string_view piece) { check.Feed(piece, checkLine); });
        !read) {
        return read.error();
    }
    check.Finish(checkLine);
    return utf8;
}

Result<void> ReadCaptureFileLines(const std::string& path, bool utf8, const TakeLine& take)
{
    CaptureLineSplitter lines;
    std::string text;
    const auto takeLine = [&](std::string_view line) {
        // A line that is not UTF-8 after all (the file changed between the
        // readings) is decoded too: the parser only ever sees UTF-8.
        if (utf8 && IsValidUtf8(line)) {
            take(line);
        } else {
            text = DecodeWindows1252(line);
            take(text);
        }
    };
    if (Result<void> read = ReadFileInPieces(path, [&](std::string_view piece) { lines.Feed(piece, takeLine); });
        !read) {
        return read;
    }
    lines.Finish(takeLine);
    return {};
}

Result<void> ReadLines(const std::string& path, bool transcript, bool utf8, const TakeLine& take)
{
    return transcript ? ReadTranscriptLines(path, take) : ReadCaptureFileLines(path, utf8, take);
}

} // namespace

Result<SavedCapture> SavedCapture::Read(const std::string& path, bool transcript)
{
    SavedCapture saved;
    saved.m_path = path;
    saved.m_transcript = transcript;
    if (!transcript) {
        Result<bool> utf8 = IsUtf8CaptureFile(path);
        if (!utf8) {
            return utf8.error();
        }
        saved.m_utf8 = utf8.value();
    }
    HistoryCaptureHeader& header = saved.m_header;
    LinesHasher hash;
    RecordStream records([&header](RecordStream::Record& record) {
        ++header.recordCount;
        header.readingCount += static_cast<std::int64_t>(record.values.size());
    });
    if (Result<void> read = ReadLines(path, transcript, saved.m_utf8,
                                      [&](std::string_view line) {
                                          hash.Add(line);
                                          records.ParseResultLine(line);
                                      });
        !read) {
        return read.error();
    }
    records.Finish();
    header.linesHash = hash.Hex();
    header.captureId = SavedCaptureIdentity(header.linesHash);
    header.archiveName = PathToUtf8(PathFromUtf8(path).filename());
    return saved;
}

HistoryRecordSource SavedCapture::Records() const
{
    return [path = m_path, transcript = m_transcript, utf8 = m_utf8,
            linesHash = m_header.linesHash](const HistoryRecordSink& take) -> Result<void> {
        // The first refusal of the sink ends the reading.
        Result<void> taken;
        LinesHasher hash;
        RecordStream records(ToHistoryRecords([&](HistoryRecord& record) {
            if (taken) {
                taken = take(record);
            }
        }));
        const Result<void> read = ReadLines(path, transcript, utf8, [&](std::string_view line) {
            if (taken) {
                hash.Add(line);
                records.ParseResultLine(line);
            }
        });
        if (!read) {
            return read;
        }
        if (taken) {
            records.Finish();
        }
        if (!taken) {
            return taken;
        }
        if (hash.Hex() != linesHash) {
            return Error{kErrorFail, "cannot read " + path + ": the file changed while it was read"};
        }
        return {};
    };
}

} // namespace tessaprint::history
