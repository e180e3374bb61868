// The value rules every handler shares: number and text conversions.
#pragma once
#include <cstdint>

// Truncates toward zero whatever the rounding mode; NaN and values outside the
// signed 64-bit range give INT64_MIN.
int64_t RealToInt64(double value);
// The low 32 bits of RealToInt64, for integer arguments of system functions.
int32_t RealToInt32(double value);

// Texts are references to zero-terminated ANSI strings, each in a block of its
// own; null is the empty text.
using Text = char*;

// Byte-wise, unsigned, -1/0/1; null equals the empty text.
int CompareText(const char* a, const char* b);

// "%d" of a 32-bit value as a new text block.
Text IntToText(int32_t value);

// atof rules after folding GBK full-width characters to ASCII; null and texts
// without a number give 0.
double TextToNumber(const char* text);

// Folds GBK full-width forms in place (the result is never longer); returns the
// new length.
uint32_t FoldFullWidth(char* text);

// A new text block holding a copy of the first `length` bytes of `source`.
Text MakeText(const char* source, uint32_t length);
// n blanks; n < 1 gives the empty text.
Text MakeBlankText(int32_t n);
// The first min(count, length) bytes; count < 1 gives the empty text.
Text LeftText(const char* text, int32_t count);
uint32_t TextLength(const char* text);

// Stores `value` into a text element that owns its text: the new text is made
// first, then the old one is released.
void StoreText(Text* element, const char* value);
