#include "radix.h"

#include <limits>

namespace {

void CheckBase(std::int32_t base) {
    if (base < 2 || base > 36) {
        throw std::invalid_argument("IntToBaseStr/BaseStrToInt: base " + std::to_string(base) + " is not 2..36");
    }
}

char DigitChar(std::uint32_t d) {
    return static_cast<char>(d < 10 ? '0' + d : 'A' + (d - 10));
}

}  // namespace

std::string IntToBaseStr(std::int32_t value, std::int32_t base) {
    CheckBase(base);
    // Work in unsigned so that the most negative value has a magnitude too.
    const bool negative = value < 0;
    std::uint32_t rest = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const auto radix = static_cast<std::uint32_t>(base);

    char digits[33];  // 32 binary digits at most
    int n = 0;
    do {
        digits[n++] = DigitChar(rest % radix);
        rest /= radix;
    } while (rest != 0);
    if (n < 2) digits[n++] = '0';

    std::string text;
    text.reserve(static_cast<std::size_t>(n) + 1);
    if (negative) text.push_back('-');
    while (n > 0) text.push_back(digits[--n]);
    return text;
}

int DigitValue(char c, std::int32_t base) {
    int d = -1;
    if (c >= '0' && c <= '9') {
        d = c - '0';
    } else if (c >= 'A' && c <= 'Z') {
        d = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'z') {
        d = c - 'a' + 10;
    }
    return d < base ? d : -1;
}

std::int32_t BaseStrToInt(std::int32_t base, std::string_view text) {
    CheckBase(base);
    std::int64_t acc = 0;
    for (const char c : text) {
        const int d = DigitValue(c, base);
        if (d < 0) throw ConversionError(ConversionError::Kind::NotADigit, c, base, text);
        acc = acc * base + d;
        if (acc > std::numeric_limits<std::int32_t>::max()) {
            throw ConversionError(ConversionError::Kind::TooLarge, '\0', base, text);
        }
    }
    return static_cast<std::int32_t>(acc);
}
