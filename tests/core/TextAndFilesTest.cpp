#include "results/CaptureArchive.h"
#include "results/CaptureFile.h"
#include "results/CaptureLineSplitter.h"
#include "results/ResultsCsv.h"
#include "text/JsonWriter.h"
#include "text/LowerCase.h"
#include "text/Plural.h"
#include "text/TextArena.h"
#include "text/Trim.h"
#include "text/Windows1252.h"
#include "util/AtomicFile.h"
#include "util/FileIo.h"

#include "TestFiles.h"

#include <cstring>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <thread>

#ifdef __linux__
#include <sys/mount.h>
#endif
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace tessaprint {
namespace {

TEST(Windows1252Test, EveryByteDecodesToValidUtf8AndTheNamedCharactersAreRight)
{
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string utf8 = DecodeWindows1252(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(DecodeWindows1252("\x80\x96\x85\xB0\xFF\x81"), "\u20AC\u2013\u2026\u00B0\u00FF\u0081");
    EXPECT_EQ(DecodeWindows1252("plain"), "plain");
}

TEST(Windows1252Test, Utf8CheckRefusesBrokenSequences)
{
    EXPECT_TRUE(IsValidUtf8("\u00B5A \u2013 \U0001F600"));
    EXPECT_FALSE(IsValidUtf8("\xB5"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));         // cut off
    EXPECT_FALSE(IsValidUtf8("\xE2\x80"));     // cut off
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
}

TEST(TextHelpersTest, TrimmingLowerCaseAndCounts)
{
    EXPECT_EQ(TrimBlanks(" \tA 1 \t"), "A 1");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    EXPECT_EQ(Trimmed(std::string_view("\0 PRINT\r\0", 9), std::string_view(" \r\0", 3)), "PRINT");
    EXPECT_EQ(Trimmed("..x..", "."), "x");
    // Only A-Z change: the bytes of a UTF-8 capital stay as they are.
    EXPECT_EQ(AsciiLower("\xC3\x84QM-Z"), "\xC3\x84qm-z");
    EXPECT_EQ(LocaleLower("QM-Z"), "qm-z");
    EXPECT_EQ(Plural(1, "line", "lines"), "1 line");
    EXPECT_EQ(Plural(0, "line", "lines"), "0 lines");
}

TEST(CaptureFileTest, LinesRoundTripWithCrLfIncludingEmptyLines)
{
    const std::vector<std::string> lines = {"EquipmentID: A", "", "1.Leakage 5 \u00B5A", "last>"};
    const std::string file = FormatCaptureFile(lines);
    EXPECT_EQ(file, "EquipmentID: A\r\n\r\n1.Leakage 5 \u00B5A\r\nlast>\r\n");
    EXPECT_EQ(ParseCaptureFile(file), lines);
}

TEST(CaptureFileTest, ReadingTakesBareLineFeedsAndTheInstrumentsCodePage)
{
    EXPECT_TRUE(ParseCaptureFile("").empty());
    EXPECT_EQ(ParseCaptureFile("a\nb"), (std::vector<std::string>{"a", "b"}));
    // A file in the instrument's own code page is read as such.
    EXPECT_EQ(ParseCaptureFile("5 \xB5"
                               "A\r\n"),
              (std::vector<std::string>{"5 \u00B5A"}));
}

// A file read in pieces: a cut anywhere (between CR and LF, just before the
// end, one byte at a time) gives the lines of the whole.
TEST(CaptureFileTest, PiecesCutAnywhereGiveTheLinesOfTheWhole)
{
    const std::string content = "EquipmentID: A\r\n\r\n1.x 5\r\n\n2.y\rz\r\nlast\r";
    const std::vector<std::string> expected = {"EquipmentID: A", "", "1.x 5", "", "2.y\rz", "last"};
    ASSERT_EQ(ParseCaptureFile(content), expected);
    const auto split = [](const std::vector<std::string_view>& pieces) {
        std::vector<std::string> lines;
        const CaptureLineSplitter::Take take = [&lines](std::string_view line) { lines.emplace_back(line); };
        CaptureLineSplitter splitter;
        for (const std::string_view piece : pieces) {
            splitter.Feed(piece, take);
        }
        splitter.Finish(take);
        return lines;
    };
    const std::string_view all(content);
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
        EXPECT_EQ(split({all.substr(0, cut), all.substr(cut)}), expected) << "cut at " << cut;
    }
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        bytes.push_back(all.substr(i, 1));
    }
    EXPECT_EQ(split(bytes), expected);
    EXPECT_EQ(split({"a\n"}), std::vector<std::string>{"a"}); // no line after the last LF
}

} // namespace
} // namespace tessaprint

namespace tessaprint {
namespace {

class CaptureArchiveTest : public ::testing::Test {
protected:
    Result<CaptureArchiveFiles> Choose(const std::string& stem = "PTRX-2026-12-08-090507") const
    {
        return ChooseCaptureArchive(reports.path().string(), stem);
    }

    test::TempFolder reports;
};

TEST_F(CaptureArchiveTest, StemNamesTheKindAndTheTime)
{
    std::tm time{};
    time.tm_year = 126;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 7;
    EXPECT_EQ(CaptureArchiveStem("Kappa 5100", time), "Kappa 5100-2026-12-08-090507");
}

TEST_F(CaptureArchiveTest, PairInTheCapturesFolderHoldsTheLinesAndTheBytesAsReceived)
{
    const Result<CaptureArchiveFiles> chosen = Choose();
    ASSERT_TRUE(chosen) << chosen.error().message;
    const CaptureArchiveFiles& first = chosen.value();
    EXPECT_EQ(first.lines, reports.path() / "captures" / "PTRX-2026-12-08-090507.txt");
    EXPECT_EQ(first.raw, reports.path() / "captures" / "PTRX-2026-12-08-090507.bin");
    ASSERT_TRUE(WriteCaptureArchive(first, {"EquipmentID: A", "", "1.x 5"}, "EquipmentID: A\n\n1.x 5\npar"));
    EXPECT_EQ(test::ReadFile(first.lines), "EquipmentID: A\r\n\r\n1.x 5\r\n");
    EXPECT_EQ(test::ReadFile(first.raw), "EquipmentID: A\n\n1.x 5\npar");
}

TEST_F(CaptureArchiveTest, NeitherHalfOfAPairIsReusedAndWritingAgainMakesThePairWhole)
{
    const Result<CaptureArchiveFiles> chosen = Choose();
    ASSERT_TRUE(chosen) << chosen.error().message;
    const CaptureArchiveFiles& first = chosen.value();
    ASSERT_TRUE(WriteCaptureArchive(first, {"A"}, "A\n"));

    // A lone .bin (or .txt) of that name is enough to move on to "-2", and
    // choosing claims both names at once (empty until written).
    std::filesystem::remove(first.lines);
    const Result<CaptureArchiveFiles> second = Choose();
    ASSERT_TRUE(second);
    EXPECT_EQ(second.value().lines.filename(), "PTRX-2026-12-08-090507-2.txt");
    EXPECT_TRUE(std::filesystem::exists(second.value().lines) && std::filesystem::exists(second.value().raw));
    const Result<CaptureArchiveFiles> third = Choose();
    ASSERT_TRUE(third);
    EXPECT_EQ(third.value().raw.filename(), "PTRX-2026-12-08-090507-3.bin");

    // Writing again replaces the pair whole and leaves no temporary file behind.
    ASSERT_TRUE(WriteCaptureArchive(first, {"B"}, "B\n"));
    EXPECT_EQ(test::ReadFile(first.lines), "B\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(reports.path() / "captures"),
                            std::filesystem::directory_iterator()),
              6);
}

TEST_F(CaptureArchiveTest, AnArchivedCaptureHasTheTimeOfItsNameElseOfItsFile)
{
    // Read back as written, also a later capture of the same second and a kind with a dash or digits.
    const auto second = ReadCaptureArchiveName("Kappa 5100-2026-12-08-090507-2.txt");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->kindText, "Kappa 5100");
    EXPECT_EQ(second->capturedAt, "2026-12-08T09:05:07");
    EXPECT_EQ(ReadCaptureArchiveName("A-1-2026-12-08-090507.bin")->kindText, "A-1");
    EXPECT_EQ(ReadCaptureArchiveName("-2026-12-08-090507")->capturedAt, "2026-12-08T09:05:07");
    for (const char* other : {"notes.txt", "Quellmax-2026-12-08-0905.txt", "Quellmax-2026-12-08-09050x.txt",
                              "Quellmax-2026-12-08-090507-.txt", "Quellmax_2026-12-08-090507.txt"}) {
        EXPECT_FALSE(ReadCaptureArchiveName(other)) << other;
    }

    // The name wins over the file's time, which is what a file of another name has.
    const std::filesystem::path named = reports.path() / "Quellmax-2014-03-14-101500.txt";
    const std::filesystem::path other = reports.path() / "saved.txt";
    for (const auto& path : {named, other}) {
        ASSERT_TRUE(WriteWholeFile(path.string(), "EquipmentID: A\r\n"));
    }
    EXPECT_EQ(ArchivedCaptureTime(named.string()), "2014-03-14T10:15:00");
    const auto written = FileModifiedLocalTime(other.string());
    ASSERT_TRUE(written);
    EXPECT_EQ(ArchivedCaptureTime(other.string()), IsoLocalTime(*written));
    EXPECT_FALSE(ArchivedCaptureTime((reports.path() / "gone.txt").string()));
}

TEST_F(CaptureArchiveTest, StemThatCouldNameAnotherFolderIsRefused)
{
    // A stem from outside that could name another folder is refused.
    EXPECT_EQ(Choose("../up").error().code, kErrorInvalidName);
}

} // namespace
} // namespace tessaprint

namespace tessaprint {
namespace {

TEST(AtomicFileTest, ManyWritersAtOnceNeverReplaceEachOther)
{
    test::TempFolder folder;
    const auto target = folder.path() / "record.docx";
    std::vector<std::filesystem::path> written(20);
    std::vector<std::thread> writers;
    for (std::size_t i = 0; i < written.size(); ++i) {
        writers.emplace_back(
            [&, i] { written[i] = CreateFileNoReplace(target, "writer " + std::to_string(i)).value(); });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const std::set<std::filesystem::path> distinct(written.begin(), written.end());
    EXPECT_EQ(distinct.size(), 20u);
    EXPECT_EQ(folder.Names().size(), 20u); // and no temporary file left
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(test::ReadFile(written[i]), "writer " + std::to_string(i));
    }
}

TEST(AtomicFileTest, CopyNumberGoesBeforeTheExtension)
{
    const std::filesystem::path folder = "/reports";
    EXPECT_EQ(CopyName(folder / "record.docx", 3), folder / "record-3.docx");
}

TEST(AtomicFileTest, ReadingAFolderSaysItIsAFolder)
{
    test::TempFolder folder;
    const Result<std::string> folderRead = ReadWholeFile(folder.path().string());
    ASSERT_FALSE(folderRead);
    EXPECT_EQ(folderRead.error().message, "cannot read " + folder.path().string() + ": it is a folder, not a file");
}

#ifndef _WIN32
TEST(AtomicFileTest, ALinkStaysALinkAndTheFileItNamesIsReplacedBesideItKeepingItsPermissions)
{
    namespace fs = std::filesystem;
    test::TempFolder folder;
    const fs::path kept = folder.path() / "kept";
    fs::create_directory(kept);
    ASSERT_TRUE(WriteWholeFile((kept / "real.csv").string(), "old"));
    fs::permissions(kept / "real.csv", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("kept/real.csv", folder.path() / "link.csv");
    fs::create_symlink("link.csv", folder.path() / "chain.csv");

    const Result<fs::path> written = ReplaceFile(folder.path() / "chain.csv", "new");
    ASSERT_TRUE(written) << written.error().message;
    EXPECT_EQ(written.value(), kept / "real.csv");
    EXPECT_TRUE(fs::is_symlink(folder.path() / "link.csv"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "chain.csv"));
    EXPECT_EQ(test::ReadFile(kept / "real.csv"), "new");
    EXPECT_EQ(fs::status(kept / "real.csv").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::TempFolder::NamesIn(kept), std::vector<std::string>{"real.csv"}); // no temporary file left

    // A link to a file not there yet makes that file; links in a ring are an error, and stay.
    fs::create_symlink("kept/new.txt", folder.path() / "ahead.txt");
    ASSERT_TRUE(WriteWholeFile((folder.path() / "ahead.txt").string(), "lines"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "ahead.txt"));
    EXPECT_EQ(test::ReadFile(kept / "new.txt"), "lines");
    fs::create_symlink("ring-b", folder.path() / "ring-a");
    fs::create_symlink("ring-a", folder.path() / "ring-b");
    EXPECT_FALSE(ReplaceFile(folder.path() / "ring-a", "x"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "ring-a"));
}

TEST(AtomicFileTest, AFifoAndADeviceAreWrittenToAndNeverReplaced)
{
    namespace fs = std::filesystem;
    test::TempFolder folder;
    const fs::path fifo = folder.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // Its reader gets the bytes.
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteWholeFile(fifo.string(), "EquipmentID: A\r\n"));
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 16);
    EXPECT_EQ(std::string(got), "EquipmentID: A\r\n");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // Nobody reading: the window is told at once, not held up.
    const Result<void> unread = WriteWholeFile(fifo.string(), "x");
    ASSERT_FALSE(unread);
    EXPECT_EQ(unread.error().message,
              "cannot write " + fifo.string() + ": it is a FIFO that no program is reading from");

    // A reader that goes away before the end is an error, not the end of the program.
    reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::thread leaves([reader] {
        pollfd ready{reader, POLLIN, 0};
        ::poll(&ready, 1, -1);
        ::close(reader);
    });
    const Result<void> cut = WriteWholeFile(fifo.string(), std::string(std::size_t{4} << 20, 'x'));
    leaves.join();
    ASSERT_FALSE(cut);
    EXPECT_NE(cut.error().message.find("stopped before it had everything"), std::string::npos) << cut.error().message;
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A device node of its own (what /dev/null is), never the system's.
    const fs::path device = folder.path() / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        EXPECT_TRUE(WriteWholeFile(device.string(), "gone"));
        EXPECT_TRUE(fs::is_character_file(device));
    }
    const std::vector<std::string> expected =
        fs::exists(device) ? std::vector<std::string>{"null", "pipe"} : std::vector<std::string>{"pipe"};
    EXPECT_EQ(folder.Names(), expected); // no file put in either's place, no temporary file left
}

TEST(AtomicFileTest, AFolderOrASocketIsRefusedAndLeftAsItIs)
{
    namespace fs = std::filesystem;
    test::TempFolder folder;
    const fs::path sub = folder.path() / "sub";
    fs::create_directory(sub);
    const Result<void> onFolder = WriteWholeFile(sub.string(), "x");
    ASSERT_FALSE(onFolder);
    EXPECT_EQ(onFolder.error().message, "cannot write " + sub.string() + ": it is a folder, not a file");
    EXPECT_TRUE(fs::is_directory(sub));

    const fs::path socketPath = folder.path() / "sock";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.native().size(), sizeof address.sun_path);
    std::copy(socketPath.native().begin(), socketPath.native().end(), address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const Result<fs::path> onSocket = ReplaceFile(socketPath, "x");
    ::close(listener);
    ASSERT_FALSE(onSocket);
    EXPECT_EQ(onSocket.error().message, "it is a socket, not a file");
    EXPECT_TRUE(fs::is_socket(socketPath));

    // The same answers before any work is done, and a missing folder too.
    EXPECT_EQ(CheckReplaceTarget(sub).error().message, "it is a folder, not a file");
    EXPECT_FALSE(CheckReplaceTarget(folder.path() / "missing" / "out.csv"));
    EXPECT_TRUE(CheckReplaceTarget(folder.path() / "out.csv"));
    EXPECT_EQ(test::TempFolder::NamesIn(folder.path()), (std::vector<std::string>{"sock", "sub"}));
}
#endif

#ifdef __linux__
TEST(AtomicFileTest, AFailedWriteLeavesTheEarlierFileAndNamesThePathAndTheReason)
{
    // A full disk: a small file system of its own, where this machine allows mounting one.
    test::TempFolder folder;
    const auto disk = folder.path() / "disk";
    std::filesystem::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    struct Unmount {
        const std::filesystem::path& at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const std::string path = (disk / "capture.txt").string();
    ASSERT_TRUE(WriteWholeFile(path, "the earlier capture\r\n"));
    const Result<void> full = WriteWholeFile(path, std::string(64 * 1024, 'x'));
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error().code, kErrorDiskFull);
    EXPECT_EQ(full.error().message, "cannot write " + path + ": " + std::strerror(ENOSPC));
    EXPECT_EQ(test::ReadFile(path), "the earlier capture\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk), std::filesystem::directory_iterator()), 1);
}
#endif

} // namespace
} // namespace tessaprint

namespace tessaprint {
namespace {

TEST(JsonWriterTest, IndentsAsBeforeEscapesControlsAndReplacesBrokenUtf8)
{
    std::ostringstream out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("lines");
    json.BeginArray();
    json.String("tab\there \"q\" back\\slash \x01 \xC2\xB5"
                "A \xE2\x80\x93");
    json.String("broken \xE2\x80 end \xFF");
    json.EndArray();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("rows");
    json.BeginArray();
    json.BeginObject();
    json.Key("item");
    json.Number(12);
    json.Key("complete");
    json.Bool(false);
    json.EndObject();
    json.EndArray();
    json.EndObject();
    EXPECT_EQ(out.str(), "{\n"
                         "  \"lines\": [\n"
                         "    \"tab\\there \\\"q\\\" back\\\\slash \\u0001 \xC2\xB5"
                         "A \xE2\x80\x93\",\n"
                         "    \"broken \xEF\xBF\xBD end \xEF\xBF\xBD\"\n"
                         "  ],\n"
                         "  \"empty\": [],\n"
                         "  \"rows\": [\n"
                         "    {\n"
                         "      \"item\": 12,\n"
                         "      \"complete\": false\n"
                         "    }\n"
                         "  ]\n"
                         "}");
}

// The writer and the ASCII check look at eight bytes at a time; a byte that
// needs attention must be found wherever it sits in a word.
TEST(JsonWriterTest, EveryByteIsHandledAtEveryPositionOfALongRun)
{
    const auto escaped = [](unsigned char c) -> std::string {
        switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\f':
            return "\\f";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            break;
        }
        if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            return code;
        }
        return c < 0x80 ? std::string(1, static_cast<char>(c)) : "\xEF\xBF\xBD"; // a lone high byte is broken
    };
    for (std::size_t at = 0; at < 20; ++at) {
        for (int c = 0; c < 256; ++c) {
            std::string text(19, 'a');
            text.insert(at, 1, static_cast<char>(c));
            std::string json;
            JsonWriter::AppendString(json, text);
            ASSERT_EQ(json,
                      "\"" + text.substr(0, at) + escaped(static_cast<unsigned char>(c)) + text.substr(at + 1) + "\"")
                << "byte " << c << " at " << at;
            ASSERT_EQ(IsAscii(text), c < 0x80) << "byte " << c << " at " << at;
        }
    }
}

TEST(TextArenaTest, StoredTextsStayPutAcrossManyBlocks)
{
    TextArena arena;
    std::vector<std::string> originals;
    std::vector<std::string_view> stored;
    for (int i = 0; i < 20000; ++i) {
        originals.push_back("Value " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), 'v'));
        stored.push_back(arena.Store(originals.back()));
    }
    const std::string huge(200 * 1024, 'h'); // longer than a block
    const std::string_view hugeStored = arena.Store(huge);
    for (std::size_t i = 0; i < originals.size(); ++i) {
        ASSERT_EQ(stored[i], originals[i]) << i;
    }
    EXPECT_EQ(hugeStored, huge);
    EXPECT_TRUE(arena.Store("").empty());
    EXPECT_GT(arena.BytesHeld(), huge.size());
    arena.Clear();
    EXPECT_EQ(arena.BytesHeld(), 0u);
}

} // namespace
} // namespace tessaprint
