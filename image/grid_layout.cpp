#include "grid_layout.h"

#include "radix.h"

void LabelGrid(GridCells& grid) {
    grid.BeginUpdate();
    for (int row = 0; row < kGridRows; ++row) {
        grid.SetCell(0, row, IntToBaseStr(static_cast<std::int32_t>(GridCellAddress(1, row)), 16));
        for (int column = 1; column < kGridColumns; ++column) {
            grid.SetCell(column, row, "FF");
        }
    }
    grid.EndUpdate();
}

void RefreshGrid(GridCells& grid, const ImageCells& image) {
    grid.BeginUpdate();
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 1; column < kGridColumns; ++column) {
            grid.SetCell(column, row, IntToBaseStr(image[GridCellAddress(column, row)], 16));
        }
    }
    grid.EndUpdate();
}
