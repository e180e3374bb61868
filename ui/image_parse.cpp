#include "ui/image_parse.h"

#include "app/dim_array.h"

namespace {

constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kEntrySize = 16;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kMaxSide = 256;

uint16_t U16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Bytes of one bottom-up row, padded to 4 bytes; inputs are already bounded.
uint64_t Stride(int32_t width, uint32_t bitCount) {
    return ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
}

// Header, colour table and both bitmaps must lie inside the image, so that the
// system never reads past it.
bool ReadBitmapImage(const unsigned char* bits, uint32_t size, IconImage* out) {
    if (size < kInfoHeaderSize) {
        return false;
    }
    const uint32_t headerSize = U32(bits);
    const auto width = static_cast<int32_t>(U32(bits + 4));
    const auto doubledHeight = static_cast<int32_t>(U32(bits + 8));
    const uint16_t planes = U16(bits + 12);
    const uint16_t bitCount = U16(bits + 14);
    const uint32_t compression = U32(bits + 16);
    const uint32_t coloursUsed = U32(bits + 32);
    if (headerSize < kInfoHeaderSize || headerSize > size || planes != 1 || compression != 0) {
        return false;
    }
    if (width < 1 || width > kMaxSide || doubledHeight < 2 || doubledHeight > 2 * kMaxSide ||
        doubledHeight % 2 != 0) {
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        return false;
    }
    const int32_t height = doubledHeight / 2;
    uint64_t colours = 0;
    if (bitCount <= 8) {
        colours = coloursUsed != 0 ? coloursUsed : (1u << bitCount);
        if (colours > (1u << bitCount)) {
            return false;
        }
    }
    const uint64_t needed = static_cast<uint64_t>(headerSize) + colours * 4 +
                            Stride(width, bitCount) * static_cast<uint64_t>(height) +
                            Stride(width, 1) * static_cast<uint64_t>(height);
    if (needed > size) {
        return false;
    }
    out->bits = bits;
    out->size = size;
    out->width = width;
    out->height = height;
    out->bitCount = bitCount;
    return true;
}

struct Entry {
    uint8_t width, height, colourCount;
    uint16_t hotspotX, hotspotY;
    uint32_t byteCount, offset;
};

Entry ReadEntry(const unsigned char* p) {
    return {p[0], p[1], p[2], U16(p + 4), U16(p + 6), U32(p + 8), U32(p + 12)};
}

// The image bytes of an entry, when they lie inside the file.
bool EntryBytes(ByteView file, const Entry& e, const unsigned char** bits) {
    if (e.offset > file.size || e.byteCount > file.size - e.offset || e.byteCount == 0) {
        return false;
    }
    *bits = file.data + e.offset;
    return true;
}

// The entry's colour count; 0 in the directory means 256 or more, which only
// the image's own bit count tells.
uint32_t ColourCount(ByteView file, const Entry& e) {
    if (e.colourCount != 0) {
        return e.colourCount;
    }
    const unsigned char* bits = nullptr;
    if (!EntryBytes(file, e, &bits) || e.byteCount < kInfoHeaderSize) {
        return 0;
    }
    const uint16_t bitCount = U16(bits + 14);
    return bitCount >= 8 ? 256 : (bitCount == 0 ? 0 : 1u << bitCount);
}

} // namespace

ByteView BytesOf(const DimArray* value) {
    const ArrayCount a = ArrayCountAndData(value);
    if (a.count < 1) {
        return {nullptr, 0};
    }
    return {a.data, static_cast<uint32_t>(a.count)};
}

bool FindPictureImage(ByteView file, IconImage* out) {
    if (file.data == nullptr || file.size < kHeaderSize) {
        return false;
    }
    const uint16_t reserved = U16(file.data);
    const uint16_t type = U16(file.data + 2);
    const uint32_t count = U16(file.data + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) {
        return false;
    }
    // Every directory entry must be inside the file before any is read.
    if (static_cast<uint64_t>(kHeaderSize) + static_cast<uint64_t>(count) * kEntrySize >
        file.size) {
        return false;
    }
    uint32_t chosen = count - 1;
    for (uint32_t k = 0; k < count; ++k) {
        const Entry e = ReadEntry(file.data + kHeaderSize + k * kEntrySize);
        if (e.width == 32 && ColourCount(file, e) > 15) {
            chosen = k;
            break;
        }
    }
    const Entry e = ReadEntry(file.data + kHeaderSize + chosen * kEntrySize);
    const unsigned char* bits = nullptr;
    return EntryBytes(file, e, &bits) && ReadBitmapImage(bits, e.byteCount, out);
}

bool FindCursorImage(ByteView file, CursorImage* out) {
    if (file.data == nullptr || file.size <= kHeaderSize + kEntrySize) {
        return false;
    }
    if (U16(file.data) != 0 || U16(file.data + 2) != 2 || U16(file.data + 4) < 1) {
        return false;
    }
    const Entry e = ReadEntry(file.data + kHeaderSize);
    const unsigned char* bits = nullptr;
    if (!EntryBytes(file, e, &bits) || !ReadBitmapImage(bits, e.byteCount, &out->image)) {
        return false;
    }
    out->width = e.width;
    out->height = e.height;
    out->hotspotX = e.hotspotX;
    out->hotspotY = e.hotspotY;
    return true;
}
