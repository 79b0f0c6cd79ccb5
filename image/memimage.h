// The program's memory image: 16384 cells, of which the memory window
// 0x3000-0x3FFF is what is shown and sent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using Cell = std::int32_t;
using Address = std::uint32_t;

inline constexpr std::size_t kImageCells = 0x4000;  // indices 0x0000..0x3FFF
inline constexpr Address kWindowBase = 0x3000;      // first cell shown and sent
inline constexpr std::size_t kWindowCells = 0x1000;
inline constexpr Cell kErasedCell = 0xFF;            // value of a cell no file wrote

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

// Sets every cell of MemImage to 255.
void FillImage();

// How many cells of the memory window a file set to something else than 255.
std::size_t ProgrammedCells(const ImageCells& image);
