// Reading icon and cursor files from untrusted bytes. Every length, count and
// offset is checked against the value's size before it is read.
#pragma once
#include <cstdint>

struct DimArray;

struct ByteView {
    const unsigned char* data;
    uint32_t size;
};

// The bytes of a ByteSet value; an empty view for null or a count below 1.
ByteView BytesOf(const DimArray* value);

struct IconImage {
    const unsigned char* bits; // BITMAPINFOHEADER, colour table, XOR and AND bitmaps
    uint32_t size;
    int32_t width, height; // height is half of biHeight
    uint16_t bitCount;
};

struct CursorImage {
    IconImage image;
    uint8_t width, height; // from the directory entry
    uint16_t hotspotX, hotspotY;
};

// The image a picture shows: the first entry 32 wide with more than 15
// colours, else the last. False when the bytes are no usable icon or cursor file.
bool FindPictureImage(ByteView file, IconImage* out);

// The first image of a cursor file, with its hotspot. False when it gives no cursor.
bool FindCursorImage(ByteView file, CursorImage* out);
