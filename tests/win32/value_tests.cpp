// Numbers read from text by the C library that the program really calls on
// Windows, which is not the one the native tests use.
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "app/value_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(TextToNumberOnWindows, ReadsDecimalNumbersOnly) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"", 0.0},
        {"42", 42.0},
        {"  \t-17xyz", -17.0},
        {"+3.5e2", 350.0},
        {"1e", 1.0},
        {".5", 0.5},
        {"0.1", 0.1},
        {"-.", 0.0},
        {"0x1A", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"4294967295", 4294967295.0},
        {"-2147483648", -2147483648.0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123.0},
    };
    const int32_t blocks = LiveBlockCount();
    for (const auto& c : cases) {
        const double found = TextToNumber(c.text);
        EXPECT_EQ(found, c.expected) << "text \"" << c.text << "\" gave " << found;
    }
    EXPECT_EQ(LiveBlockCount(), blocks) << "blocks left after the conversions";
}

TEST(TextToNumberOnWindows, EveryHandleSurvivesTheRoundTrip) {
    const int32_t values[] = {0, 1, -1, 0x00010002, 0x7FFFFFFF, INT32_MIN, -123456789};
    for (int32_t v : values) {
        Text text = IntToText(v);
        const int32_t back = RealToInt32(TextToNumber(text));
        EXPECT_EQ(back, v) << "text " << text << " came back as " << back;
        FreeBlock(text);
    }
}

} // namespace
