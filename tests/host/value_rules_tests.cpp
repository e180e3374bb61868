#include "app/value_rules.h"
#include "tests/host/host_runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cfenv>
#include <cstring>
#include <limits>

namespace {

struct RealCase {
    double value;
    int64_t expected;
};

TEST(RealToInt64, TruncatesTowardZeroAndSaturatesToSignBit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const RealCase cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.5, 0},
        {65536.0, 65536},
        {4294967295.0, 4294967295LL},
        {9223372036854774784.0, 9223372036854774784LL}, // largest double below 2^63
        {-9223372036854775808.0, INT64_MIN},
        {9223372036854775808.0, INT64_MIN},
        {-9223372036854777856.0, INT64_MIN}, // next double below -2^63
        {nan, INT64_MIN},
        {inf, INT64_MIN},
        {-inf, INT64_MIN},
    };
    for (const RealCase& c : cases) {
        EXPECT_EQ(RealToInt64(c.value), c.expected) << "value " << c.value;
    }
}

TEST(RealToInt64, IgnoresTheRoundingMode) {
    const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
    for (int mode : modes) {
        std::fesetround(mode);
        EXPECT_EQ(RealToInt64(2.9), 2) << "mode " << mode;
        EXPECT_EQ(RealToInt64(-2.9), -2) << "mode " << mode;
    }
    std::fesetround(FE_TONEAREST);
}

TEST(RealToInt32, KeepsTheLowBits) {
    const struct {
        double value;
        int32_t expected;
    } cases[] = {
        {4294967295.0, -1},
        {2147483648.0, INT32_MIN},
        {-1.0, -1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {4294967296.0 + 5.0, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RealToInt32(c.value), c.expected) << "value " << c.value;
    }
}

TEST(CompareText, NullIsEmptyAndBytesAreUnsigned) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {nullptr, nullptr, 0},
        {nullptr, "", 0},
        {"", nullptr, 0},
        {nullptr, "a", -1},
        {"a", nullptr, 1},
        {"a", "b", -1},
        {"b", "a", 1},
        {"abc", "abc", 0},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"\x80", "z", 1},             // a byte of 128 or more is greater than ASCII
        {"\xC4\xE3", "\xC4\xE4", -1}, // a double-byte character compares by its bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareText(c.a, c.b), c.expected)
            << "a " << (c.a ? c.a : "(null)") << ", b " << (c.b ? c.b : "(null)");
    }
}

class TextTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetHost(); }
    void TearDown() override { EXPECT_EQ(Host().live, 0) << "blocks left after the test"; }
};

TEST_F(TextTest, IntToTextIsPrintfD) {
    const struct {
        int32_t value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {-7, "-7"},
        {123456, "123456"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (const auto& c : cases) {
        Text text = IntToText(c.value);
        EXPECT_STREQ(text, c.expected) << "value " << c.value;
        FreeBlock(text);
    }
}

TEST_F(TextTest, TextToNumberReadsLikeAtof) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {nullptr, 0.0},
        {"", 0.0},
        {"abc", 0.0},
        {"42", 42.0},
        {"  \t-17xyz", -17.0},
        {"+3.5e2", 350.0},
        {"1e", 1.0}, // an exponent without digits is not read
        {".5", 0.5},
        {"-.", 0.0},
        {"0x1A", 0.0}, // no hex, as atof of the C library of the day
        {"inf", 0.0},
        {"nan", 0.0},
        {"2147483648", 2147483648.0},
        // Full-width GBK digits and signs fold to ASCII.
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123.0},
        {"\xA3\xAD\xA3\xB5", -5.0},
        {"\xA1\xA1\xA3\xB9", 9.0}, // full-width space, then 9
        {"\xA3", 0.0},             // a lone lead byte at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToNumber(c.text), c.expected) << "text " << (c.text ? c.text : "(null)");
    }
}

TEST_F(TextTest, FoldFullWidthMapsEachForm) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"\xA3\xA1", "!"},        {"\xA3\xFE", "~"}, {"\xA3\xA0", "\xA3\xA0"},
        {"\xA3\xFF", "\xA3\xFF"}, {"\xA1\xA1", " "}, {"\xA1\xAB", "~"},
        {"\xA1\xEE", "*"},        {"\xA1\xEF", "*"}, {"\xA1\xA2", "\xA1\xA2"},
        {"a\xA3\xB0z", "a0z"},
    };
    for (const auto& c : cases) {
        char buffer[16];
        std::strcpy(buffer, c.in);
        const uint32_t length = FoldFullWidth(buffer);
        EXPECT_STREQ(buffer, c.out);
        EXPECT_EQ(length, std::strlen(c.out));
    }
}

TEST_F(TextTest, EveryHandleSurvivesTheRoundTrip) {
    const int32_t values[] = {0, 1, -1, 0x00010002, 0x7FFFFFFF, INT32_MIN, -123456789};
    for (int32_t v : values) {
        Text text = IntToText(v);
        EXPECT_EQ(RealToInt32(TextToNumber(text)), v) << "text " << text;
        FreeBlock(text);
    }
}

TEST_F(TextTest, BlanksAndLeftParts) {
    Text blanks = MakeBlankText(255);
    EXPECT_EQ(TextLength(blanks), 255u);
    EXPECT_EQ(std::strspn(blanks, " "), 255u);
    FreeBlock(blanks);
    EXPECT_EQ(MakeBlankText(0), nullptr);
    EXPECT_EQ(MakeBlankText(-3), nullptr);

    const struct {
        int32_t count;
        const char* expected; // null: the empty text
    } cases[] = {{-1, nullptr}, {0, nullptr}, {2, "ab"}, {5, "abcde"}, {99, "abcde"}};
    for (const auto& c : cases) {
        Text left = LeftText("abcde", c.count);
        if (c.expected == nullptr) {
            EXPECT_EQ(left, nullptr) << "count " << c.count;
        } else {
            EXPECT_STREQ(left, c.expected) << "count " << c.count;
        }
        FreeBlock(left);
    }
}

TEST_F(TextTest, StoringATextMakesTheNewBlockFirst) {
    Text element = nullptr;
    StoreText(&element, "first");
    const void* first = element;
    EXPECT_EQ(Host().live, 1);
    const int allocsBefore = Host().allocs;
    StoreText(&element, "second");
    EXPECT_STREQ(element, "second");
    EXPECT_EQ(Host().allocs, allocsBefore + 1);
    ASSERT_EQ(Host().freed.size(), 1u);
    EXPECT_EQ(Host().freed[0], first);
    // The new block existed while the old one was still held.
    EXPECT_NE(static_cast<const void*>(element), first);
    StoreText(&element, nullptr);
    EXPECT_EQ(element, nullptr);
}

} // namespace
