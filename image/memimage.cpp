#include "memimage.h"

ImageCells MemImage = ErasedImage();

void FillImage() {
    MemImage.fill(kErasedCell);
}

std::size_t ProgrammedCells(const ImageCells& image) {
    std::size_t programmed = 0;
    for (std::size_t i = 0; i < kWindowCells; ++i) programmed += image[kWindowBase + i] != kErasedCell;
    return programmed;
}
