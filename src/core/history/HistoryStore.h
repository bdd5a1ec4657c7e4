#pragma once

#include "results/InstrumentKind.h"
#include "results/RecordStream.h"
#include "results/ResultsTable.h"
#include "results/ResultsViews.h"
#include "util/Result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::history {

// What a store answers for a capture it can never take (the database refuses
// its data, as opposed to a database it cannot reach): E_INVALIDARG. Trying
// it again gives the same answer, so it must not hold up the captures after it.
inline constexpr std::uint32_t kErrorCaptureRefused = 0x80070057;

// One reading of a record as it was printed and as the list splits it.
struct HistoryReading {
    int item = 0;      // the reading's number, from 1
    std::string value; // the text after the item's full stop, as printed
    std::string test;  // ResultsTable::SplitReading
    std::string reading;
    // The verdict it got when it was recorded with verdicts on, never
    // rewritten later: a word of OutcomeWord, the limit and the rule's id.
    // All empty: recorded without verdicts.
    std::string verdict{};
    std::string limit{};
    std::string rule{};
};

// One equipment ID's record of one capture.
struct HistoryRecord {
    std::string equipmentId;            // trimmed
    std::string testDate;               // as printed, trimmed
    std::optional<std::string> testDay; // "2015-03-14" when testDate reads as M/D/Y
    int position = 0;                   // the record's place in its capture, from 0
    std::vector<HistoryReading> readings;
    // The profile that judged the readings when they were recorded; empty
    // when recorded without verdicts.
    std::string verdictProfile;
    std::string verdictProfileVersion;
    // Filled when read back from a store: which capture it came from.
    std::string capturedAt; // ISO 8601 local time
    std::string kind;       // "Quellmax", "Kappa 5100", "PTRX" or ""
};

// What the history keeps of a capture besides its records.
struct HistoryCaptureInfo {
    // The capture's own identity, made when it is made (NewCaptureId) and kept
    // with it everywhere: a capture recorded again, grown, has the same one.
    // A saved capture's is derived from its lines; empty: the store derives
    // one from the older rule (port, time and archive name, else the lines).
    std::string captureId;
    std::string capturedAt;  // ISO 8601 local time ("2026-12-08T14:05:09")
    std::string kind;        // UnitTypeText, or "" when not known
    std::string port;        // "COM1", or "" (an import)
    std::string archiveName; // the archive .txt's file name, or the imported file's
    std::string linesHash;   // hex SHA-256 of the lines joined with CR LF: the same capture twice has the same hash
};

// A capture whose results are ready, as the history keeps it.
struct HistoryCapture : HistoryCaptureInfo {
    std::vector<HistoryRecord> records;
};

// A capture whose records come one at a time (HistoryRecordSource): what a
// store decides by before it takes the first ("already there", "a larger
// part of the same capture is there") and checks them against.
struct HistoryCaptureHeader : HistoryCaptureInfo {
    std::int64_t recordCount = 0;
    std::int64_t readingCount = 0;
};

// Takes one record of a capture; its failure stops the source.
using HistoryRecordSink = std::function<Result<void>(const HistoryRecord& record)>;
// Gives a capture's records to the sink in order, each once, and fails when
// they cannot be given (a file that no longer reads) or the sink failed.
// Called again, it gives the same records from the first: a store that tries
// its transaction again calls it again.
using HistoryRecordSource = std::function<Result<void>(const HistoryRecordSink& take)>;

HistoryCaptureHeader HeaderOf(const HistoryCapture& capture);
// The capture's records, as a source (the capture must outlive it).
HistoryRecordSource RecordsOf(const HistoryCapture& capture);
// Calls source with take and checks that it gave the records the header
// counted: records that are not those (a file that changed between its
// readings) fail, and the store's transaction with them.
Result<void> TakeCountedRecords(const HistoryCaptureHeader& header, const HistoryRecordSource& source,
                                const HistoryRecordSink& take);

// What Record did.
enum class RecordOutcome { Added, AlreadyThere };

// The test history: every capture recorded once, every equipment ID's records
// findable. Implementations: SQLite and PostgreSQL over Qt SQL (src/qt/history).
// Every call is a transaction of its own; a failure leaves the store as it was
// and says why.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;
    // Adds the capture and its records unless a capture with the same
    // linesHash is there already.
    Result<RecordOutcome> Record(const HistoryCapture& capture)
    {
        return RecordInParts(HeaderOf(capture), RecordsOf(capture));
    }
    // The same for a capture whose records come one at a time, in one
    // transaction: the store holds one record at a time, not the capture.
    // "Already there" and a larger part are decided by the header before
    // records calls the sink (then it is not called at all).
    virtual Result<RecordOutcome> RecordInParts(const HistoryCaptureHeader& header,
                                                const HistoryRecordSource& records) = 0;
    // Every record of the ID (exact, after trimming), oldest first: by test
    // day (records without one by capture time), then capture time.
    virtual Result<std::vector<HistoryRecord>> Lookup(const std::string& equipmentId) = 0;
    // IDs that begin with prefix (case-insensitive), sorted, at most limit.
    virtual Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) = 0;
    // The most recently tested IDs, most recent first, each once, at most
    // limit. An ID's time is the latest capture time (capturedAt) of the
    // captures holding a record of it; IDs of one time come by the capture
    // recorded later first, then as their capture printed them. Records
    // without an ID are left out: nothing could look them up.
    virtual Result<std::vector<std::string>> RecentIds(int limit) = 0;
};

// A capture received through a port, as opposed to a file imported.
bool IsLiveCapture(const HistoryCaptureInfo& capture);
std::int64_t ReadingCount(const HistoryCapture& capture);
// A printout that paused past the quiet time is recorded again, grown, with
// the identity it had: two captures are one when their identities are equal
// (a capture without one by LegacyCaptureKey). Of its parts a store keeps the
// one with more readings (the later one when equal), so no reading is listed
// twice.
bool IsSameCapture(const HistoryCaptureInfo& a, const HistoryCaptureInfo& b);
// What a capture without an identity of its own is known by: a live one by
// its port, time and archive name (the rule before captures had identities),
// any other by its lines.
std::string LegacyCaptureKey(const HistoryCaptureInfo& capture);
// What the stored part of a capture holds of its verdicts, by record
// position: a capture recorded again, grown, keeps them.
using StoredVerdicts = std::map<int, HistoryRecord>;
// A record of a grown capture as it is stored over its earlier part: a record
// that part had (same position and ID) keeps the profile and the verdicts it
// was stored with; of the readings it grew by, those judged by that same
// profile keep their verdict, others are left unjudged. A record the part did
// not have keeps the verdicts it came with (the engine in use now).
void KeepStoredVerdicts(const StoredVerdicts& earlier, HistoryRecord& record);

// A new random identity (a version 4 UUID, "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx").
std::string NewCaptureId();

// A text as the history stores it: NUL and the other C0 control characters
// but tab become U+FFFD (a database driver may cut a statement at a NUL; the
// capture archive keeps the raw bytes).
std::string StoredText(std::string_view text);

// The history's view of a parsed capture: every record on the selector once
// (as the CSV export takes them), IDs and dates trimmed, test days parsed.
// linesHash is left for the caller (the core has no hash function; the Qt
// layer fills it with QCryptographicHash).
HistoryCapture MakeHistoryCapture(const ResultsTable& table, const EquipmentIdSelector& selector);
// The same records of lines parsed one by one, for a RecordStream: each
// record as MakeHistoryCapture makes it, numbered from 0 as they come, goes
// to take as soon as it is complete.
RecordStream::Take ToHistoryRecords(std::function<void(HistoryRecord& record)> take);

// "03/14/2015", "3/7/2015" -> "2015-03-14"; nothing for anything else
// (a month over 12, a day the month has not, two-digit years).
std::optional<std::string> ParseTestDay(const std::string& printed);

} // namespace tessaprint::history
