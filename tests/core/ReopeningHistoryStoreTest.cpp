// A history store that cannot be opened yet keeps failing with its reason and
// is opened once it can be: the captures that waited meanwhile then go in.
#include "history/ReopeningHistoryStore.h"

#include "MemoryHistoryStore.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

TEST(ReopeningHistoryStoreTest, FailsWithTheOpeningsReasonUntilItOpensThenKeepsTheStore)
{
    history::MemoryHistoryStore memory;
    int openings = 0;
    bool serverUp = false;
    history::ReopeningHistoryStore store([&]() -> Result<std::unique_ptr<history::HistoryStore>> {
        ++openings;
        if (!serverUp) {
            return Error{kErrorUnreachable, "PostgreSQL database tessa on db:5432 did not answer"};
        }
        return history::BorrowHistoryStore(memory);
    });
    history::HistoryCapture capture;
    capture.linesHash = "ab";
    history::HistoryRecord record;
    record.equipmentId = "A-1";
    record.testDate = "03/14/2015";
    record.testDay = "2015-03-14";
    record.readings = {{1, "Line Voltage 120 V", "Line Voltage", "120 V"}};
    capture.records.push_back(record);

    const auto away = store.Record(capture);
    ASSERT_FALSE(away);
    EXPECT_EQ(away.error().code, kErrorUnreachable);
    EXPECT_FALSE(store.Ids("", 10));
    EXPECT_FALSE(store.RecentIds(10));
    EXPECT_EQ(store.Equipment().error().code, kErrorUnreachable);
    EXPECT_EQ(openings, 4);

    serverUp = true;
    ASSERT_TRUE(store.Record(capture));
    EXPECT_EQ(store.Record(capture).value(), history::RecordOutcome::AlreadyThere);
    ASSERT_TRUE(store.Lookup("A-1"));
    EXPECT_EQ(store.Lookup("A-1").value().size(), 1u);
    EXPECT_EQ(store.RecentIds(10).value(), std::vector<std::string>{"A-1"});
    // The equipment list is the opened store's, through the wrapper as through the borrowed store.
    verdict::Device device;
    device.equipmentId = "A-1";
    history::EquipmentStore* equipment = history::EquipmentStoreOf(store);
    ASSERT_NE(equipment, nullptr);
    ASSERT_TRUE(equipment->PutDevice(device));
    EXPECT_EQ(memory.Equipment().value().size(), 1u);
    ASSERT_EQ(store.LatestTests().value().size(), 1u);
    EXPECT_EQ(store.LatestTests().value()[0].testDay, "2015-03-14");
    EXPECT_EQ(openings, 5) << "an open store is kept";
}

} // namespace
} // namespace tessaprint
