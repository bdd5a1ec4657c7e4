// A saved capture read for the history a record at a time: the same capture,
// records, readings and fingerprint as the whole table of the file gives, and
// a file that changes between its readings records nothing.
#include "MemoryHistoryStore.h"

#include "history/CaptureIdentity.h"
#include "history/LinesHash.h"
#include "history/SavedCapture.h"
#include "link/Replay.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <filesystem>

namespace tessaprint {
namespace {

using history::HistoryCapture;
using history::HistoryRecord;

std::string Described(const HistoryRecord& record)
{
    std::string text = std::to_string(record.position) + "|" + record.equipmentId + "|" + record.testDate + "|" +
                       record.testDay.value_or("-");
    for (const auto& reading : record.readings) {
        text += "|" + std::to_string(reading.item) + ":" + reading.value + "=" + reading.test + "/" + reading.reading;
    }
    return text;
}

std::vector<std::string> Described(const std::vector<HistoryRecord>& records)
{
    std::vector<std::string> described;
    for (const HistoryRecord& record : records) {
        described.push_back(Described(record));
    }
    return described;
}

// The capture as the whole table of the file gives it.
HistoryCapture FromTheWholeTable(const std::string& content, bool transcript)
{
    ResultsTable table;
    ResultsListing listing;
    if (transcript) {
        ReplayTranscript(content, table, listing);
    } else {
        ReplayCaptureFile(content, table, listing, listing);
    }
    HistoryCapture capture = history::MakeHistoryCapture(table, listing);
    capture.linesHash = history::LinesHash(listing.lines());
    return capture;
}

Result<std::vector<HistoryRecord>> Streamed(const history::SavedCapture& saved)
{
    std::vector<HistoryRecord> records;
    if (Result<void> given = saved.Records()([&records](const HistoryRecord& record) -> Result<void> {
            records.push_back(record);
            return {};
        });
        !given) {
        return given.error();
    }
    return records;
}

TEST(SavedCaptureTest, EveryPrintoutGivesTheRecordsOfItsWholeTableAsTranscriptAndAsCaptureFile)
{
    std::vector<std::string> files;
    for (const char* folder : {TESSAPRINT_TEST_DATA_DIR, TESSAPRINT_SAMPLES_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".transcript" || extension == ".txt") {
                files.push_back(entry.path().string());
            }
        }
    }
    ASSERT_GE(files.size(), 11u);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A capture saved elsewhere, in the instrument's code page: all of it is read so.
    const std::string codePage = folder.filePath("code-page.txt").toStdString();
    ASSERT_TRUE(WriteWholeFile(codePage, "EquipmentID: \xB5-1\r\nDate: 03/14/2015\r\n1.Case Leakage 0.1 \xB5"
                                         "A\r\nEquipmentID: B\r\n1.x 1"));
    files.push_back(codePage);
    for (const std::string& path : files) {
        const Result<std::string> content = ReadWholeFile(path);
        ASSERT_TRUE(content) << content.error().message;
        for (const bool transcript : {true, false}) {
            SCOPED_TRACE(path + (transcript ? " as a transcript" : " as a capture file"));
            const HistoryCapture whole = FromTheWholeTable(content.value(), transcript);
            Result<history::SavedCapture> saved = history::SavedCapture::Read(path, transcript);
            ASSERT_TRUE(saved) << saved.error().message;
            const history::HistoryCaptureHeader& header = saved.value().header();
            EXPECT_EQ(header.linesHash, whole.linesHash);
            EXPECT_EQ(header.captureId, history::SavedCaptureIdentity(whole.linesHash));
            EXPECT_EQ(header.archiveName, std::filesystem::path(path).filename().string());
            EXPECT_EQ(header.recordCount, static_cast<std::int64_t>(whole.records.size()));
            EXPECT_EQ(header.readingCount, history::ReadingCount(whole));
            const Result<std::vector<HistoryRecord>> records = Streamed(saved.value());
            ASSERT_TRUE(records) << records.error().message;
            EXPECT_EQ(Described(records.value()), Described(whole.records));
            // Each reading gives them again from the first.
            EXPECT_EQ(Described(Streamed(saved.value()).value()), Described(whole.records));
        }
    }
}

TEST(SavedCaptureTest, AFileThatChangedBetweenItsReadingsRecordsNothing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.filePath("Quellmax-2026-01-02-090000.txt").toStdString();
    ASSERT_TRUE(WriteWholeFile(path, "EquipmentID: A\r\n1.Line Voltage 120 V\r\nEquipmentID: B\r\n1.x 1\r\n"));
    Result<history::SavedCapture> saved = history::SavedCapture::Read(path, false);
    ASSERT_TRUE(saved);
    test::MemoryHistoryStore store;
    // The same records and readings, one reading's text changed: its fingerprint is no longer the one counted.
    ASSERT_TRUE(WriteWholeFile(path, "EquipmentID: A\r\n1.Line Voltage 121 V\r\nEquipmentID: B\r\n1.x 1\r\n"));
    const auto changed = store.RecordInParts(saved.value().header(), saved.value().Records());
    ASSERT_FALSE(changed);
    EXPECT_NE(changed.error().message.find("changed while it was read"), std::string::npos) << changed.error().message;
    // A record more than counted.
    ASSERT_TRUE(WriteWholeFile(
        path, "EquipmentID: A\r\n1.Line Voltage 120 V\r\nEquipmentID: B\r\n1.x 1\r\nEquipmentID: C\r\n"));
    EXPECT_FALSE(store.RecordInParts(saved.value().header(), saved.value().Records()));
    // Gone: it no longer reads.
    std::filesystem::remove(path);
    EXPECT_FALSE(store.RecordInParts(saved.value().header(), saved.value().Records()));
    EXPECT_TRUE(store.Captures().empty());
}

} // namespace
} // namespace tessaprint
