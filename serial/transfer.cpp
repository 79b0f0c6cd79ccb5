#include "transfer.h"

ProgrammingStream MakeProgrammingStream(const ImageCells& image) {
    static_assert(kStreamBytes == 16384);
    ProgrammingStream stream{};
    for (std::size_t i = 0; i < kWindowCells; ++i) {
        const auto cell = static_cast<std::uint32_t>(image[kWindowBase + i]);
        for (std::size_t b = 0; b < sizeof(Cell); ++b) {
            stream[4 * i + b] = static_cast<std::uint8_t>(cell >> (8 * b));
        }
    }
    return stream;
}
