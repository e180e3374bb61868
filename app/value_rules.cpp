#include "app/value_rules.h"

#include "app/runtime.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
// The strtod of Windows' own C library (msvcrt.dll), called through its import.
// MinGW's static strtod would add 20 KiB to the program for forms (hex, inf,
// nan) that never reach it here.
extern "C" double(__cdecl* _imp__strtod)(const char*, char**);
#define WH_STRTOD _imp__strtod
#else
#define WH_STRTOD std::strtod
#endif

int64_t RealToInt64(double value) {
    // 2^63 is exact as a double; anything at or beyond it cannot be held.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isnan(value) || value >= kLimit || value < -kLimit) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(value); // conversion truncates, independent of rounding mode
}

int32_t RealToInt32(double value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(RealToInt64(value))));
}

int CompareText(const char* a, const char* b) {
    const bool aEmpty = a == nullptr || a[0] == '\0';
    const bool bEmpty = b == nullptr || b[0] == '\0';
    if (aEmpty || bEmpty) {
        return aEmpty == bEmpty ? 0 : (aEmpty ? -1 : 1);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    while (*p != 0 && *p == *q) {
        ++p;
        ++q;
    }
    if (*p == *q) {
        return 0;
    }
    return *p < *q ? -1 : 1;
}

uint32_t TextLength(const char* text) {
    return text == nullptr ? 0 : static_cast<uint32_t>(std::strlen(text));
}

Text MakeText(const char* source, uint32_t length) {
    auto* block = static_cast<char*>(AllocBlock(length + 1));
    if (length != 0) {
        std::memcpy(block, source, length);
    }
    block[length] = '\0';
    return block;
}

Text MakeBlankText(int32_t n) {
    if (n < 1) {
        return nullptr;
    }
    auto* block = static_cast<char*>(AllocBlock(static_cast<uint32_t>(n) + 1));
    std::memset(block, ' ', static_cast<size_t>(n));
    block[n] = '\0';
    return block;
}

Text LeftText(const char* text, int32_t count) {
    if (count < 1) {
        return nullptr;
    }
    uint32_t length = TextLength(text);
    if (static_cast<uint32_t>(count) < length) {
        length = static_cast<uint32_t>(count);
    }
    return MakeText(text, length);
}

void StoreText(Text* element, const char* value) {
    Text fresh = value == nullptr ? nullptr : MakeText(value, TextLength(value));
    Text old = *element;
    FreeBlock(old);
    *element = fresh;
}

Text IntToText(int32_t value) {
    char digits[12];
    int at = static_cast<int>(sizeof digits);
    // Work in unsigned so INT32_MIN has a magnitude.
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[--at] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits[--at] = '-';
    }
    return MakeText(digits + at, static_cast<uint32_t>(sizeof digits - at));
}

uint32_t FoldFullWidth(char* text) {
    auto* in = reinterpret_cast<unsigned char*>(text);
    unsigned char* out = in;
    while (*in != 0) {
        const unsigned char lead = in[0];
        const unsigned char trail = in[1];
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            *out++ = static_cast<unsigned char>(trail - 0x80);
            in += 2;
        } else if (lead == 0xA1 &&
                   (trail == 0xA1 || trail == 0xAB || trail == 0xEE || trail == 0xEF)) {
            *out++ = trail == 0xA1 ? ' ' : (trail == 0xAB ? '~' : '*');
            in += 2;
        } else {
            *out++ = *in++;
        }
    }
    *out = 0;
    return static_cast<uint32_t>(out - reinterpret_cast<unsigned char*>(text));
}

namespace {

bool IsBlank(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// The length of the decimal number at `s` as atof reads it: sign, digits,
// fraction, exponent. Nothing else (no hex, no inf or nan words).
uint32_t NumberPrefix(const unsigned char* s) {
    uint32_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        ++i;
    }
    uint32_t digits = 0;
    while (IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (s[i] == '.') {
        ++i;
        while (IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (s[i] == 'e' || s[i] == 'E') {
        uint32_t j = i + 1;
        if (s[j] == '+' || s[j] == '-') {
            ++j;
        }
        if (IsDigit(s[j])) {
            while (IsDigit(s[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

} // namespace

double TextToNumber(const char* text) {
    if (text == nullptr) {
        return 0.0;
    }
    Text folded = MakeText(text, TextLength(text));
    FoldFullWidth(folded);
    const auto* s = reinterpret_cast<const unsigned char*>(folded);
    while (IsBlank(*s)) {
        ++s;
    }
    const uint32_t length = NumberPrefix(s);
    double result = 0.0;
    if (length != 0) {
        // Only the number itself goes to strtod, so its extensions (hex, inf,
        // nan) cannot be reached.
        Text number = MakeText(reinterpret_cast<const char*>(s), length);
        result = WH_STRTOD(number, nullptr);
        FreeBlock(number);
    }
    FreeBlock(folded);
    return result;
}
