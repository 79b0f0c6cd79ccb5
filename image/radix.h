// Integers to digit text in a given radix and back. The grid writes its
// addresses and bytes with IntToBaseStr; the HEX reader reads its fields a
// digit at a time with DigitValue.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by BaseStrToInt for a character that is not a digit of the radix,
// or for digit text whose value does not fit a signed 32-bit integer. It
// carries what went wrong; the user's text for it is worded by messages/.
class ConversionError : public std::runtime_error {
public:
    enum class Kind { NotADigit, TooLarge };
    ConversionError(Kind kind, char offending, std::int32_t base, std::string_view text)
        : std::runtime_error("BaseStrToInt: cannot convert \"" + std::string(text) + "\""),
          kind_(kind), offending_(offending), base_(base), text_(text) {}
    Kind kind() const { return kind_; }
    // The first character that could not be converted ('\0' when too large).
    char Offending() const { return offending_; }
    std::int32_t base() const { return base_; }
    const std::string& text() const { return text_; }

private:
    Kind kind_;
    char offending_;
    std::int32_t base_;
    std::string text_;
};

// Uppercase digit text of a non-negative value, at least two digits:
// 0 -> "00", 255 -> "FF", 256 -> "100". A negative value gets a leading "-".
// Throws std::invalid_argument for a base outside 2..36.
std::string IntToBaseStr(std::int32_t value, std::int32_t base);

// Value of digit text in the given base (2..36). Upper- and lowercase
// letters are the digits 10 and up; every other character, and every digit
// not below the base, throws ConversionError naming it. Empty text is 0.
std::int32_t BaseStrToInt(std::int32_t base, std::string_view text);

// The value of one digit character, or -1 when it is no digit of the base.
int DigitValue(char c, std::int32_t base);

