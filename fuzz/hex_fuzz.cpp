// libFuzzer target for the Intel HEX reader: any input either loads or is
// refused, and a refused input leaves the image exactly as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "hexfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ImageCells kErased = ErasedImage();
    auto image = std::make_unique<ImageCells>(kErased);
    const HexResult result =
        LoadHexText(std::string_view(reinterpret_cast<const char*>(data), size), *image);
    if (!result.ok() && *image != kErased) std::abort();  // a refused file must change nothing
    for (const Cell cell : *image) {
        if (cell < 0 || cell > 255) std::abort();  // every cell holds a byte
    }
    return 0;
}
