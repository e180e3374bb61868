// The byte constants of the drag handle, as ByteSet values (count 1, byte
// count, the bytes). They live in constant data and are never changed.
#pragma once

struct DimArray;

extern const DimArray* const CrossHairCursor; // 2238 bytes: the 32 x 32 cross-hair .cur
extern const DimArray* const HandCursor;      // 326 bytes: the pointing hand .cur
extern const DimArray* const EmptyPicture;    // no bytes
