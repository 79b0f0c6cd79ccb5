#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "grid_layout.h"
#include "memimage.h"

namespace {

// Records the text written into each cell, like a string grid.
class RecordingGrid : public GridCells {
public:
    void SetCell(int column, int row, std::string_view text) override {
        ASSERT_GE(column, 0);
        ASSERT_LT(column, kGridColumns);
        ASSERT_GE(row, 0);
        ASSERT_LT(row, kGridRows);
        cells[{column, row}] = std::string(text);
        ++writes;
    }
    std::string At(int column, int row) const {
        auto it = cells.find({column, row});
        return it == cells.end() ? "(unset)" : it->second;
    }
    std::map<std::pair<int, int>, std::string> cells;
    int writes = 0;
};

class ImageTest : public testing::Test {
protected:
    void SetUp() override { saved_ = MemImage; }
    void TearDown() override { MemImage = saved_; }
    ImageCells saved_{};
};

TEST(MemImageStart, EveryCellStartsErased) {
    // Before any load the image must hold what the grid shows: FF everywhere.
    for (std::size_t i = 0; i < kImageCells; ++i) {
        ASSERT_EQ(MemImage[i], 255) << i;
    }
}

TEST(LabelGridTest, AddressesAndErasedBytes) {
    RecordingGrid grid;
    LabelGrid(grid);
    EXPECT_EQ(grid.writes, kGridColumns * kGridRows);
    EXPECT_EQ(grid.At(0, 0), "3000");
    EXPECT_EQ(grid.At(0, 1), "3010");
    EXPECT_EQ(grid.At(0, 15), "30F0");
    EXPECT_EQ(grid.At(0, 16), "3100");
    EXPECT_EQ(grid.At(0, 255), "3FF0");
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 1; column < kGridColumns; ++column) {
            ASSERT_EQ(grid.At(column, row), "FF") << column << "," << row;
        }
    }
}

TEST_F(ImageTest, LabelGridLeavesTheImageAlone) {
    MemImage[0x3000] = 0x12;
    RecordingGrid grid;
    LabelGrid(grid);
    EXPECT_EQ(MemImage[0x3000], 0x12);
    EXPECT_EQ(grid.At(1, 0), "FF");
}

TEST_F(ImageTest, RefreshShowsTheWindowCellByCell) {
    // Give every window cell a value derived from its index, so that any
    // mix-up of rows, columns or the window base shows.
    for (std::size_t i = 0; i < kWindowCells; ++i) {
        MemImage[kWindowBase + i] = static_cast<Cell>((i * 7 + i / 16) & 0xFF);
    }
    MemImage[0x2FFF] = 0x11;  // just below the window: never shown
    RecordingGrid grid;
    RefreshGrid(grid);
    EXPECT_EQ(grid.writes, kGridRows * (kGridColumns - 1));
    EXPECT_EQ(grid.At(0, 0), "(unset)") << "column 0 must be left alone";
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 1; column < kGridColumns; ++column) {
            const std::size_t i = static_cast<std::size_t>(16 * row + column - 1);
            char expected[3];
            std::snprintf(expected, sizeof expected, "%02X", static_cast<unsigned>((i * 7 + i / 16) & 0xFF));
            ASSERT_EQ(grid.At(column, row), expected) << column << "," << row;
        }
    }
}

TEST_F(ImageTest, RefreshFormatsSmallAndLargeValues) {
    MemImage[0x3000] = 10;
    MemImage[0x3001] = 255;
    MemImage[0x3002] = 0;
    MemImage[0x3FFF] = 0xAB;
    RecordingGrid grid;
    RefreshGrid(grid);
    EXPECT_EQ(grid.At(1, 0), "0A");
    EXPECT_EQ(grid.At(2, 0), "FF");
    EXPECT_EQ(grid.At(3, 0), "00");
    EXPECT_EQ(grid.At(16, 255), "AB");
}

TEST_F(ImageTest, FillImageErasesEveryCell) {
    MemImage.fill(0);
    FillImage();
    for (std::size_t i = 0; i < kImageCells; ++i) ASSERT_EQ(MemImage[i], 255) << i;
}

TEST(GridGeometry, CellAddresses) {
    EXPECT_EQ(GridCellAddress(1, 0), 0x3000u);
    EXPECT_EQ(GridCellAddress(16, 0), 0x300Fu);
    EXPECT_EQ(GridCellAddress(1, 1), 0x3010u);
    EXPECT_EQ(GridCellAddress(16, 255), 0x3FFFu);
}

}  // namespace
