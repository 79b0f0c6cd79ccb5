#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hexfile.h"
#include "rebuilt_file.h"
#include "system_texts.h"
#include "test_data.h"

namespace {

const std::string kData = kTestData;

std::unique_ptr<ImageCells> Erased() { return std::make_unique<ImageCells>(ErasedImage()); }

// Every file made by a real tool, and every variant of one, loads into
// exactly the bytes that srec_cat wrote for its memory window.
class RealToolFile : public testing::TestWithParam<const char*> {};

TEST_P(RealToolFile, LoadsExactlyTheIndependentToolsBytes) {
    const std::string name = GetParam();
    const std::string stem = name.substr(0, name.rfind('.'));
    const std::vector<unsigned char> expected = ReadFileBytes(kData + "/" + stem + ".window.bin");
    ASSERT_EQ(expected.size(), kWindowCells) << stem;

    auto image = Erased();
    const HexResult result = LoadHexFile(kData + "/" + name, *image);
    ASSERT_TRUE(result.ok()) << name << ": status " << static_cast<int>(result.status) << " line "
                             << result.line;
    for (std::size_t i = 0; i < kWindowCells; ++i) {
        ASSERT_EQ((*image)[kWindowBase + i], expected[i]) << name << " at 0x" << std::hex << kWindowBase + i;
    }
    for (std::size_t i = 0; i < kWindowBase; ++i) ASSERT_EQ((*image)[i], 255) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealToolFile,
    testing::Values("sdcc_blink.ihx", "sdcc_blink.hex", "srec_default.hex", "srec_obs16.hex",
                    "srec_obs32.hex", "srec_full.hex", "objcopy.hex", "variant_crlf.hex",
                    "variant_cr.hex", "variant_lowercase.hex", "variant_no_end.hex",
                    "variant_no_end_no_newline.hex", "variant_empty.hex", "variant_end_only.hex",
                    "variant_blanks.hex"),
    [](const testing::TestParamInfo<const char*>& info) {
        std::string n = info.param;
        for (char& c : n) if (c == '.') c = '_';
        return n;
    });

TEST(RealToolFiles, FullWindowFileSetsEveryCell) {
    // The full-window file has no FF gaps to hide a missed record behind.
    auto image = std::make_unique<ImageCells>();
    image->fill(-1);
    ASSERT_TRUE(LoadHexFile(kData + "/srec_full.hex", *image).ok());
    for (std::size_t i = 0; i < kWindowCells; ++i) ASSERT_NE((*image)[kWindowBase + i], -1) << i;
}

struct Damaged {
    const char* file;
    HexStatus status;
    int line;
    char character;
};

class DamagedFile : public testing::TestWithParam<Damaged> {};

TEST_P(DamagedFile, IsRefusedWithItsLineAndLeavesTheImage) {
    const Damaged& d = GetParam();
    auto image = std::make_unique<ImageCells>();
    for (std::size_t i = 0; i < kImageCells; ++i) (*image)[i] = static_cast<Cell>(i % 251);
    const auto before = *image;

    const HexResult result = LoadHexFile(kData + "/bad/" + d.file, *image);
    EXPECT_EQ(result.status, d.status) << d.file;
    EXPECT_EQ(result.line, d.line) << d.file;
    EXPECT_EQ(result.character, d.character) << d.file;
    EXPECT_TRUE(*image == before) << d.file << " changed the image";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFile,
    testing::Values(Damaged{"checksum_middle.hex", HexStatus::Checksum, 10, '\0'},
                    Damaged{"letter_g.hex", HexStatus::BadCharacter, 5, 'G'},
                    Damaged{"truncated_last.hex", HexStatus::UnexpectedEnd, 7, '\0'},
                    Damaged{"odd_length.hex", HexStatus::LineEndInRecord, 4, '\n'},
                    Damaged{"garbage_line.hex", HexStatus::NoRecordStart, 3, 'T'},
                    Damaged{"spill_over_3fff.hex", HexStatus::OutOfRange, 10, '\0'},
                    Damaged{"type04_to_10000.hex", HexStatus::OutOfRange, 2, '\0'},
                    Damaged{"type06.hex", HexStatus::UnknownType, 2, '\0'},
                    Damaged{"two_on_a_line.hex", HexStatus::TrailingText, 2, ':'}),
    [](const testing::TestParamInfo<Damaged>& info) {
        std::string n = info.param.file;
        return n.substr(0, n.find('.'));
    });

TEST(DamagedFiles, OutOfRangeNamesTheFirstAddressWithoutACell) {
    auto image = Erased();
    EXPECT_EQ(LoadHexFile(kData + "/bad/spill_over_3fff.hex", *image).address, 0x4000u);
    EXPECT_EQ(LoadHexFile(kData + "/bad/type04_to_10000.hex", *image).address, 0x10000u);
}

TEST(DamagedFiles, UnknownTypeIsNamed) {
    auto image = Erased();
    EXPECT_EQ(LoadHexFile(kData + "/bad/type06.hex", *image).recordType, 6);
}

HexResult Load(std::string_view text, ImageCells& image) { return LoadHexText(text, image); }

TEST(HexRecords, DataRecordExample) {
    auto image = Erased();
    ASSERT_TRUE(Load(":03300000020003C8\n:00000001FF\n", *image).ok());
    EXPECT_EQ((*image)[0x3000], 0x02);
    EXPECT_EQ((*image)[0x3001], 0x00);
    EXPECT_EQ((*image)[0x3002], 0x03);
    EXPECT_EQ((*image)[0x3003], 0xFF);
}

TEST(HexRecords, ChecksumCoversTheTypeByte) {
    auto image = Erased();
    // Valid records of every control type pass.
    EXPECT_TRUE(Load(":020000040000FA\n:0400000300003000C9\n:04000005000030C403\n:00000001FF\n", *image).ok());
    // A type byte changed without its checksum is caught.
    EXPECT_EQ(Load(":020000020000FA\n", *image).status, HexStatus::Checksum);
}

TEST(HexRecords, LowercaseLoadsAsTheSameBytes) {
    auto image = Erased();
    ASSERT_TRUE(Load(":01300000c30c\n", *image).ok());
    EXPECT_EQ((*image)[0x3000], 0xC3);
}

TEST(HexRecords, SegmentAndLinearBases) {
    auto image = Erased();
    // Segment 0x0300 puts offset 0x0010 at 0x3010; a linear base of 0 brings back plain addresses.
    ASSERT_TRUE(Load(":020000020300F9\n:01001000AA45\n:020000040000FA\n:01300000557A\n", *image).ok());
    EXPECT_EQ((*image)[0x3010], 0xAA);
    EXPECT_EQ((*image)[0x3000], 0x55);
}

TEST(HexRecords, EndRecordEndsTheLoad) {
    auto image = Erased();
    ASSERT_TRUE(Load(":00000001FF\nanything at all\n", *image).ok());
    EXPECT_TRUE(*image == ErasedImage());
}

TEST(HexRecords, ZeroLengthDataRecordDoesNotEndTheLoad) {
    auto image = Erased();
    ASSERT_TRUE(Load(":00300000D0\n:01300000557A\n", *image).ok());
    EXPECT_EQ((*image)[0x3000], 0x55);
}

TEST(HexRecords, DataBelowTheWindowIsStored) {
    auto image = Erased();
    ASSERT_TRUE(Load(":0100000042BD\n", *image).ok());
    EXPECT_EQ((*image)[0x0000], 0x42);
}

TEST(HexRecords, LastCellAndOneBeyond) {
    auto image = Erased();
    ASSERT_TRUE(Load(":013FFF0011B0\n", *image).ok());
    EXPECT_EQ((*image)[0x3FFF], 0x11);
    const HexResult r = Load(":023FFF0011228D\n", *image);
    EXPECT_EQ(r.status, HexStatus::OutOfRange);
    EXPECT_EQ(r.address, 0x4000u);
    EXPECT_EQ((*image)[0x3FFF], 0x11) << "a refused file writes nothing, not even its first byte";
}

TEST(HexRecords, ControlRecordLengthsAreChecked) {
    auto image = Erased();
    const HexResult r = Load(":03000004000000F9\n", *image);
    EXPECT_EQ(r.status, HexStatus::BadLength);
    EXPECT_EQ(r.recordType, 4);
    EXPECT_EQ(r.length, 3);
    EXPECT_EQ(Load(":0100000100FE\n", *image).status, HexStatus::BadLength);
}

TEST(HexRecords, LineNumbersCountEveryKindOfLineEnd) {
    auto image = Erased();
    EXPECT_EQ(Load("\n\r\n\r:00000001FG\n", *image).line, 4);
    EXPECT_EQ(Load(":00000001FF", *image).status, HexStatus::Ok);
    const HexResult r = Load(":0130000055", *image);
    EXPECT_EQ(r.status, HexStatus::UnexpectedEnd);
    EXPECT_EQ(r.line, 1);
}

TEST(HexRecords, SpacesAfterTheChecksumAreAllowedTextIsNot) {
    auto image = Erased();
    EXPECT_TRUE(Load(":01300000557A \t\r\n", *image).ok());
    const HexResult r = Load(":01300000557A x\n", *image);
    EXPECT_EQ(r.status, HexStatus::TrailingText);
    EXPECT_EQ(r.character, 'x');
}

TEST(HexRecords, HighBytesAndNulAreRejected) {
    auto image = Erased();
    HexResult r = Load(std::string_view(":01\xC3" "0000", 8), *image);
    EXPECT_EQ(r.status, HexStatus::BadCharacter);
    EXPECT_EQ(r.character, '\xC3');
    r = Load(std::string_view("\0", 1), *image);
    EXPECT_EQ(r.status, HexStatus::NoRecordStart);
}

// Erase, then load: the file's bytes and 255 everywhere else; a file that
// cannot be loaded changes nothing.
TEST(HexFiles, EraseAndLoadStartsFromAnErasedImage) {
    auto image = std::make_unique<ImageCells>();
    image->fill(0x11);
    ASSERT_TRUE(EraseAndLoadHexFile(kData + "/sdcc_blink.hex", *image).ok());
    EXPECT_EQ((*image)[0x3000], 0x02);
    EXPECT_EQ((*image)[0x3FFF], 0xFF);
    EXPECT_EQ((*image)[0x0000], 0xFF);
    const ImageCells loaded = *image;
    EXPECT_FALSE(EraseAndLoadHexFile(kData + "/bad/letter_g.hex", *image).ok());
    EXPECT_TRUE(*image == loaded);
}

TEST(HexFiles, OnlyARegularFileOfSaneSizeIsRead) {
    auto image = Erased();
    HexResult r = LoadHexFile(kData + "/no-such-file.hex", *image);
    EXPECT_EQ(r.status, HexStatus::OpenFailed);
    EXPECT_EQ(r.reason, NoSuchFileText());

    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ktq51-hexfile-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // A name outside any single code page must load like any other.
    const fs::path czech = dir / u8"příliš žluťoučký kůň.hex";
    fs::copy_file(kData + "/sdcc_blink.hex", czech, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(LoadHexFile(czech, *image).ok());
    EXPECT_EQ((*image)[0x3000], 0x02);

    // Larger than any HEX file for this board can be: refused unread.
    const fs::path huge = dir / "huge.hex";
    fs::copy_file(kData + "/sdcc_blink.hex", huge, fs::copy_options::overwrite_existing);
    fs::resize_file(huge, kMaxHexFileBytes + 1);
    const ImageCells before = *image;
    r = LoadHexFile(huge, *image);
    EXPECT_EQ(r.status, HexStatus::TooLarge);

    // Not files at all. A FIFO without a writer would block a plain open
    // forever: ctest's time limit on this test catches that.
    std::vector<fs::path> notFiles = {dir};
#ifndef _WIN32
    notFiles.push_back("/dev/null");
    const fs::path fifo = dir / "fifo.hex";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    notFiles.push_back(fifo);
#endif
    for (const fs::path& p : notFiles) {
        r = LoadHexFile(p, *image);
        EXPECT_EQ(r.status, HexStatus::NotARegularFile) << p;
    }
    EXPECT_TRUE(*image == before);
    fs::remove_all(dir);
}

// The rule for a rebuilt file, look by look: a change is loaded once it has
// settled; one without its end record (or ending inside a record) is waited
// for, then taken as it is or refused; a file that goes (its folder
// removed) is waited for until it comes back; a change restarts the wait.
TEST(RebuiltFileTest, LooksSettleWaitForTheEndRecordAndFollowAFileThatComesBack) {
    using namespace std::chrono_literals;
    using Verdict = RebuiltFile::Verdict;
    auto stamp = [](int n) { return FileStamp{std::filesystem::file_time_type{} + std::chrono::seconds(n), static_cast<std::uintmax_t>(100 + n)}; };
    HexResult complete, noEnd, cutShort, broken;
    complete.summary.records[1] = 1;
    cutShort.status = HexStatus::UnexpectedEnd;
    broken.status = HexStatus::Checksum;
    const struct {
        int ms;
        std::optional<FileStamp> file;
        bool due;
        const HexResult* load;
        Verdict verdict;
    } looks[] = {
        {0, stamp(1), false, nullptr, {}},        // as loaded
        {100, stamp(2), false, nullptr, {}},      // changed
        {300, stamp(2), false, nullptr, {}},      // not settled yet
        {400, stamp(2), true, &noEnd, Verdict::Wait},
        {1000, stamp(2), false, nullptr, {}},
        {2100, stamp(2), true, &noEnd, Verdict::Take},  // unchanged for 2 s: as it is
        {2200, stamp(2), false, nullptr, {}},
        {2300, std::nullopt, false, nullptr, {}},  // deleted, its folder with it
        {3000, std::nullopt, false, nullptr, {}},
        {3100, stamp(3), false, nullptr, {}},      // made again
        {3400, stamp(3), true, &cutShort, Verdict::Wait},
        {5100, stamp(3), true, &cutShort, Verdict::Refuse},
        {5200, stamp(4), false, nullptr, {}},
        {5500, stamp(4), true, &noEnd, Verdict::Wait},
        {6000, stamp(5), false, nullptr, {}},      // written on: the wait starts again
        {6300, stamp(5), true, &complete, Verdict::Take},
        {9000, stamp(5), false, nullptr, {}},
        {9100, stamp(6), false, nullptr, {}},
        {9400, stamp(6), true, &broken, Verdict::Refuse},
        {12000, stamp(6), false, nullptr, {}},     // refused once, not again
    };
    RebuiltFile rule(stamp(1));
    const auto start = RebuiltFile::Clock::time_point{} + 1h;
    for (const auto& look : looks) {
        ASSERT_EQ(rule.Look(look.file, start + std::chrono::milliseconds(look.ms)), look.due) << look.ms;
        if (look.load != nullptr) {
            EXPECT_EQ(rule.Judge(*look.load), look.verdict) << look.ms;
        }
    }
}

}  // namespace
