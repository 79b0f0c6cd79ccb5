// How the memory window 0x3000-0x3FFF is laid out in the 17-column grid: an
// address column and 16 byte columns, 256 rows. Widget-free: the window's
// grid only stores the texts written here.
#pragma once

#include <string_view>

#include "memimage.h"

inline constexpr int kGridColumns = 17;  // column 0 holds the row's address
inline constexpr int kGridRows = 256;
inline constexpr int kBytesPerRow = 16;

// Image index shown by data column (1..16) of a grid row (0..255).
constexpr Address GridCellAddress(int column, int row) {
    return kWindowBase + static_cast<Address>(kBytesPerRow * row + column - 1);
}

// The text cells of a grid, as the window shows them. Implemented by the
// window; the layout code only writes text into cells.
class GridCells {
public:
    virtual ~GridCells() = default;
    virtual void SetCell(int column, int row, std::string_view text) = 0;
    // Bracket a run of SetCell calls, so that a grid can redraw once for all
    // of them instead of once per cell.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

// Writes the four-digit address of each row ("3000" ... "3FF0") into
// column 0 and "FF" into every byte cell. Does not touch MemImage.
void LabelGrid(GridCells& grid);

// Rewrites every byte cell from the memory window of `image` (MemImage
// unless another is given); column 0 is left alone.
void RefreshGrid(GridCells& grid, const ImageCells& image = MemImage);
