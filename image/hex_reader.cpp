#include "hex_reader.h"

#include "hex_parser.h"

HexResult LoadHexText(std::string_view text, ImageCells& image) {
    hex_parser::TextSource source(text);
    return hex_parser::LoadInto(source, image, image);
}

HexResult EraseAndLoadHexText(std::string_view text, ImageCells& image) {
    static constexpr ImageCells kErased = ErasedImage();
    hex_parser::TextSource source(text);
    return hex_parser::LoadInto(source, image, kErased);
}
