#include <gtest/gtest.h>

#include "messages.h"
#include "radix.h"

namespace {

TEST(IntToBaseStr, WritesUppercaseDigitsWithAtLeastTwo) {
    const struct {
        std::int32_t value;
        const char* text;
    } table[] = {{0, "00"},     {5, "05"},      {15, "0F"},        {16, "10"},
                 {255, "FF"},   {256, "100"},   {4080, "FF0"},     {0x3FF0, "3FF0"},
                 {707, "2C3"},  {2147483647, "7FFFFFFF"}};
    for (const auto& row : table) {
        EXPECT_EQ(IntToBaseStr(row.value, 16), row.text) << row.value;
    }
}

TEST(IntToBaseStr, OtherBasesAndSigns) {
    EXPECT_EQ(IntToBaseStr(5, 2), "101");
    EXPECT_EQ(IntToBaseStr(1, 2), "01");
    EXPECT_EQ(IntToBaseStr(99, 10), "99");
    EXPECT_EQ(IntToBaseStr(-255, 16), "-FF");
    EXPECT_EQ(IntToBaseStr(INT32_MIN, 16), "-80000000");
    EXPECT_THROW(IntToBaseStr(1, 1), std::invalid_argument);
    EXPECT_THROW(IntToBaseStr(1, 37), std::invalid_argument);
}

TEST(BaseStrToInt, ReadsHexFields) {
    EXPECT_EQ(BaseStrToInt(16, "3F"), 63);
    EXPECT_EQ(BaseStrToInt(16, "3000"), 12288);
    EXPECT_EQ(BaseStrToInt(16, "FF"), 255);
    EXPECT_EQ(BaseStrToInt(16, "00"), 0);
    EXPECT_EQ(BaseStrToInt(16, ""), 0);
    EXPECT_EQ(BaseStrToInt(10, "1234"), 1234);
}

TEST(BaseStrToInt, LowercaseDigitsAreTheSameDigits) {
    // A file written in lowercase must load exactly as its uppercase twin.
    EXPECT_EQ(BaseStrToInt(16, "ff"), 255);
    EXPECT_EQ(BaseStrToInt(16, "c3"), 0xC3);
    EXPECT_EQ(BaseStrToInt(16, "aBcD"), 0xABCD);
}

TEST(BaseStrToInt, RoundTripsEveryByteAndAddress) {
    for (std::int32_t v = 0; v <= 0x3FFF; ++v) {
        ASSERT_EQ(BaseStrToInt(16, IntToBaseStr(v, 16)), v);
    }
}

std::string MessageOf(std::int32_t base, std::string_view text, char* offending = nullptr) {
    try {
        BaseStrToInt(base, text);
    } catch (const ConversionError& e) {
        if (offending != nullptr) *offending = e.Offending();
        return ConversionMessage(e);
    }
    return "(no error)";
}

TEST(BaseStrToInt, RejectsNonDigitsNamingThem) {
    char offending = 0;
    EXPECT_EQ(MessageOf(16, ":1", &offending), "Znak „:“ není číslice soustavy o základu 16");
    EXPECT_EQ(offending, ':');
    EXPECT_EQ(MessageOf(16, "1G"), "Znak „G“ není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(16, "g0"), "Znak „g“ není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(16, "\x80"), "Znak s kódem 0x80 není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(16, "\xFF"), "Znak s kódem 0xFF není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(16, " 1"), "Znak s kódem 0x20 není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(16, "-1"), "Znak „-“ není číslice soustavy o základu 16");
    EXPECT_EQ(MessageOf(10, "A"), "Znak „A“ není číslice soustavy o základu 10");
}

TEST(BaseStrToInt, RejectsValuesBeyondThirtyTwoBits) {
    EXPECT_EQ(BaseStrToInt(16, "7FFFFFFF"), 2147483647);
    EXPECT_EQ(MessageOf(16, "80000000"), "Číslo „80000000“ je příliš velké");
    EXPECT_THROW(BaseStrToInt(16, "80000000"), ConversionError);
    EXPECT_THROW(BaseStrToInt(16, "1000000000000"), ConversionError);
}

}  // namespace
