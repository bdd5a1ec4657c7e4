// The equipment list: a department's CSV of devices, read strictly (a fault
// names its line), written back sorted, and the settings field.
#include "verdict/EquipmentList.h"

#include <gtest/gtest.h>

namespace tessaprint::verdict {
namespace {

const std::string kHeader = std::string(kEquipmentListHeader) + "\r\n";

TEST(EquipmentListTest, ReadsQuotedFieldsLineBreaksABomAndEitherLineEnd)
{
    const std::string csv = "\xEF\xBB\xBF" + kHeader +
                            "ICU-DF-07,\"Defibrillator, \"\"biphasic\"\"\",\"ICU\r\nbed 4\",I,CF,6,,,"
                            "Defib=2;50;100.5|Pacer=50;100\r\n"
                            "\n"
                            " MON-3 ,Monitor,Ward 2,II,BF;CF,12,without-cord,nfpa99,\n"
                            "PUMP-1,Pump,,IP,,24,with-cord,,";
    const Result<std::vector<Device>> read = ReadEquipmentListText(csv, "equipment.csv");
    ASSERT_TRUE(read) << read.error().message;
    const std::vector<Device>& devices = read.value();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].equipmentId, "ICU-DF-07");
    EXPECT_EQ(devices[0].description, "Defibrillator, \"biphasic\"");
    EXPECT_EQ(devices[0].location, "ICU\r\nbed 4");
    EXPECT_EQ(devices[0].appliedParts, std::vector<AppliedPart>{AppliedPart::CF});
    EXPECT_EQ(devices[0].intervalMonths, 6);
    EXPECT_FALSE(devices[0].cord);
    EXPECT_EQ(devices[0].settings.at("Defib"), (std::vector<double>{2, 50, 100.5}));
    EXPECT_EQ(devices[0].settings.at("Pacer"), (std::vector<double>{50, 100}));
    EXPECT_EQ(devices[0].line, 2);
    EXPECT_EQ(devices[1].equipmentId, "MON-3");
    EXPECT_EQ(devices[1].deviceClass, DeviceClass::II);
    EXPECT_EQ(devices[1].StrictestAppliedPart(), AppliedPart::CF);
    EXPECT_EQ(devices[1].cord, Cord::WithoutCord);
    EXPECT_EQ(devices[1].profile, "nfpa99");
    EXPECT_EQ(devices[1].line, 5); // the quoted line break counts
    EXPECT_EQ(devices[2].deviceClass, DeviceClass::InternallyPowered);
    EXPECT_FALSE(devices[2].StrictestAppliedPart());
    const EquipmentList list(devices);
    ASSERT_NE(list.Find(" MON-3\t"), nullptr);
    EXPECT_EQ(list.Find("MON-3")->location, "Ward 2");
    EXPECT_EQ(list.Find("MON"), nullptr);
}

TEST(EquipmentListTest, EachFaultNamesItsLine)
{
    const std::string good = "A-1,,,I,,12,,,\r\n";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"equipment_id,description,location,class\r\n", "equipment.csv:1: the first line must be the header"},
        {"", "equipment.csv:1: the first line must be the header"},
        {kHeader + good + "A-2,,,III,,12,,,\r\n", "equipment.csv:3: class \"III\" is not I, II or IP"},
        {kHeader + "A-2,,,,,12,,,\r\n", "equipment.csv:2: class \"\" is not I, II or IP"},
        {kHeader + "A-2,,,I,BF;C,12,,,\r\n", "equipment.csv:2: applied part \"C\" is not B, BF or CF"},
        {kHeader + "A-2,,,I,BF;,12,,,\r\n", "equipment.csv:2: applied part \"\" is not B, BF or CF"},
        {kHeader + "A-2,,,I,,0,,,\r\n", "equipment.csv:2: interval \"0\" is not a whole number of months"},
        {kHeader + "A-2,,,I,,121,,,\r\n", "equipment.csv:2: interval \"121\""},
        {kHeader + "A-2,,,I,,6.5,,,\r\n", "equipment.csv:2: interval \"6.5\""},
        {kHeader + "A-2,,,I,,,,,\r\n", "equipment.csv:2: interval \"\""},
        {kHeader + "A-2,,,I,,12,corded,,\r\n", "equipment.csv:2: cord \"corded\" is not with-cord or without-cord"},
        {kHeader + "A-2,,,I,,12,,,Defib=2;1,5\r\n", "equipment.csv:2: 10 fields where 9 are expected"},
        {kHeader + "A-2,,,I,,12,,,\"Defib=2;1,5\"\r\n", "equipment.csv:2: setting \"1,5\" of Defib is not a number"},
        {kHeader + "A-2,,,I,,12,,,Defib\r\n", "equipment.csv:2: settings \"Defib\" is not Test=value;value"},
        {kHeader + " ,,,I,,12,,,\r\n", "equipment.csv:2: no equipment ID"},
        {kHeader + good + "x,,,I,,12,,,\r\n A-1 ,,,II,,12,,,\r\n",
         "equipment.csv:4: equipment ID \"A-1\" already on line 2"},
        {kHeader + "A-2,\"open,,,I,,12,,,\r\n", "equipment.csv:2: a quote never closed"},
        {kHeader + "A-2,\"x\"y,,I,,12,,,\r\n", "equipment.csv:2: text after a closing quote"},
        {kHeader + "A-2,x\"y\",,I,,12,,,\r\n", "equipment.csv:2: a quote inside a field"},
    };
    for (const auto& [csv, message] : cases) {
        const Result<std::vector<Device>> read = ReadEquipmentListText(csv, "equipment.csv");
        ASSERT_FALSE(read) << csv;
        EXPECT_EQ(read.error().message.rfind(message, 0), 0u) << read.error().message << "\n  for " << csv;
    }
    EXPECT_TRUE(ReadEquipmentListText(kHeader + good, "equipment.csv"));
}

TEST(EquipmentListTest, WritesWhatItReadsSortedById)
{
    const std::string csv = kHeader + "Z-9,\"Pump, \"\"old\"\"\",\"two\nlines\",IP,,24,with-cord,,\r\n" +
                            "-5,=SUM(A1),ICU,I,B;CF,6,,nfpa99,Pacer=50;100|Defib=0.5;200\r\n" +
                            "A-1,,,II,BF,12,without-cord,,\r\n";
    const Result<std::vector<Device>> read = ReadEquipmentListText(csv, "equipment.csv");
    ASSERT_TRUE(read) << read.error().message;
    const std::string written = WriteEquipmentList(read.value());
    // No apostrophe before "-5" or "=SUM(A1)": the list is this program's input.
    EXPECT_EQ(written, "\xEF\xBB\xBF" + kHeader + "-5,=SUM(A1),ICU,I,B;CF,6,,nfpa99,Defib=0.5;200|Pacer=50;100\r\n" +
                           "A-1,,,II,BF,12,without-cord,,\r\n" +
                           "Z-9,\"Pump, \"\"old\"\"\",\"two\nlines\",IP,,24,with-cord,,\r\n");
    const Result<std::vector<Device>> again = ReadEquipmentListText(written, "equipment.csv");
    ASSERT_TRUE(again) << again.error().message;
    EXPECT_EQ(WriteEquipmentList(again.value()), written);
}

TEST(EquipmentListTest, SettingsFieldReadsAndWritesNumbersWithAPoint)
{
    const auto read = ReadSettingsField(" Defib = 2; 10 ;200 | Charge Time=150|Pacer=-.5;+1.25 ");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read.value().at("Defib"), (std::vector<double>{2, 10, 200}));
    EXPECT_EQ(read.value().at("Charge Time"), std::vector<double>{150});
    EXPECT_EQ(read.value().at("Pacer"), (std::vector<double>{-0.5, 1.25}));
    EXPECT_EQ(WriteSettingsField(read.value()), "Charge Time=150|Defib=2;10;200|Pacer=-0.5;1.25");
    EXPECT_EQ(WriteSettingsField({{"Defib", {0.1, 1e6, 360}}}), "Defib=0.1;1000000;360");
    EXPECT_TRUE(ReadSettingsField("").value().empty());
    for (const char* bad : {"Defib=", "Defib=2;;3", "=2", "Defib=2|", "Defib=1e3", "Defib=2|Defib=3", "Defib:2"}) {
        EXPECT_FALSE(ReadSettingsField(bad)) << bad;
    }
}

} // namespace
} // namespace tessaprint::verdict
