// The program's memory image and how its memory window 0x3000-0x3FFF is laid
// out in the 17-column grid (an address column and 16 byte columns).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Cell = std::int32_t;
using Address = std::uint32_t;

inline constexpr std::size_t kImageCells = 0x4000;  // indices 0x0000..0x3FFF
inline constexpr Address kWindowBase = 0x3000;      // first cell shown and sent
inline constexpr std::size_t kWindowCells = 0x1000;
inline constexpr Cell kErasedCell = 0xFF;            // value of a cell no file wrote

inline constexpr int kGridColumns = 17;  // column 0 holds the row's address
inline constexpr int kGridRows = 256;
inline constexpr int kBytesPerRow = 16;

using ImageCells = std::array<Cell, kImageCells>;

// An image with every cell erased (255), as the board's memory is.
constexpr ImageCells ErasedImage() {
    ImageCells cells{};
    cells.fill(kErasedCell);
    return cells;
}

// The one memory image. Every cell starts at 255, which is also what the
// grid shows before anything is loaded, so that what is shown and what
// would be sent agree from the first moment.
extern ImageCells MemImage;

// Image index shown by data column (1..16) of a grid row (0..255).
constexpr Address GridCellAddress(int column, int row) {
    return kWindowBase + static_cast<Address>(kBytesPerRow * row + column - 1);
}

// The text cells of a grid, as the window shows them. Implemented by the
// window; the image code only writes text into cells.
class GridCells {
public:
    virtual ~GridCells() = default;
    virtual void SetCell(int column, int row, std::string_view text) = 0;
    // Bracket a run of SetCell calls, so that a grid can redraw once for all
    // of them instead of once per cell.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

// Sets every cell of MemImage to 255.
void FillImage();

// How many cells of the memory window a file set to something else than 255.
std::size_t ProgrammedCells(const ImageCells& image);

// Writes the four-digit address of each row ("3000" ... "3FF0") into
// column 0 and "FF" into every byte cell. Does not touch MemImage.
void LabelGrid(GridCells& grid);

// Rewrites every byte cell from the memory window of `image` (MemImage
// unless another is given); column 0 is left alone.
void RefreshGrid(GridCells& grid, const ImageCells& image = MemImage);
