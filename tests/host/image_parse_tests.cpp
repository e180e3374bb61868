#include "ui/image_constants.h"
#include "ui/image_parse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

struct EntrySpec {
    int side;
    int directoryColours; // the directory's byte
    int bitCount;
};

Bytes Image(int side, int bitCount) {
    const size_t colours = bitCount <= 8 ? (1u << bitCount) : 0;
    const size_t xorStride = ((side * bitCount + 31) / 32) * 4;
    const size_t andStride = ((side + 31) / 32) * 4;
    Bytes b(40 + colours * 4 + (xorStride + andStride) * side, 0);
    Put32(b, 0, 40);
    Put32(b, 4, side);
    Put32(b, 8, 2 * side);
    Put16(b, 12, 1);
    Put16(b, 14, bitCount);
    return b;
}

// An icon (type 1) or cursor (type 2) file with one image per entry.
Bytes File(int type, const std::vector<EntrySpec>& entries) {
    Bytes file(6 + 16 * entries.size(), 0);
    Put16(file, 2, type);
    Put16(file, 4, static_cast<uint32_t>(entries.size()));
    for (size_t k = 0; k < entries.size(); ++k) {
        const Bytes image = Image(entries[k].side, entries[k].bitCount);
        const size_t at = 6 + 16 * k;
        file[at] = static_cast<unsigned char>(entries[k].side);
        file[at + 1] = static_cast<unsigned char>(entries[k].side);
        file[at + 2] = static_cast<unsigned char>(entries[k].directoryColours);
        Put16(file, at + 4, 3); // hotspot of a cursor, planes of an icon
        Put16(file, at + 6, 4);
        Put32(file, at + 8, static_cast<uint32_t>(image.size()));
        Put32(file, at + 12, static_cast<uint32_t>(file.size()));
        file.insert(file.end(), image.begin(), image.end());
    }
    return file;
}

ByteView View(const Bytes& b) {
    return {b.data(), static_cast<uint32_t>(b.size())};
}

TEST(ImageParse, TheEmbeddedCursorsParseWithTheirHotspots) {
    const struct {
        const char* name;
        const DimArray* value;
        uint32_t size;
        uint16_t x, y;
        uint16_t bitCount;
    } cases[] = {{"CrossHairCursor", CrossHairCursor, 2238, 15, 16, 8},
                 {"HandCursor", HandCursor, 326, 6, 0, 1}};
    for (const auto& c : cases) {
        const ByteView bytes = BytesOf(c.value);
        EXPECT_EQ(bytes.size, c.size) << c.name;
        CursorImage cursor;
        ASSERT_TRUE(FindCursorImage(bytes, &cursor)) << c.name;
        EXPECT_EQ(cursor.hotspotX, c.x) << c.name;
        EXPECT_EQ(cursor.hotspotY, c.y) << c.name;
        EXPECT_EQ(cursor.width, 32) << c.name;
        EXPECT_EQ(cursor.height, 32) << c.name;
        EXPECT_EQ(cursor.image.bitCount, c.bitCount) << c.name;
        IconImage picture;
        ASSERT_TRUE(FindPictureImage(bytes, &picture)) << c.name;
        EXPECT_EQ(picture.width, 32) << c.name;
        EXPECT_EQ(picture.height, 32) << c.name;
    }
    EXPECT_EQ(BytesOf(EmptyPicture).size, 0u);
    IconImage none;
    EXPECT_FALSE(FindPictureImage(BytesOf(EmptyPicture), &none));
}

TEST(ImageParse, APictureShowsTheFirst32WideImageWithMoreThan15Colours) {
    const struct {
        const char* name;
        std::vector<EntrySpec> entries;
        int expectedSide, expectedBits;
    } cases[] = {
        {"2 colours are not enough", {{32, 2, 1}, {32, 0, 8}, {16, 0, 8}}, 32, 8},
        {"16 colours are", {{32, 16, 4}, {32, 0, 8}}, 32, 4},
        {"first match wins", {{16, 0, 32}, {32, 0, 32}, {32, 0, 8}}, 32, 32},
        {"no match: the last", {{16, 0, 8}, {48, 0, 8}, {24, 2, 1}}, 24, 1},
        {"0 colours in the directory count by bit depth", {{32, 0, 1}, {32, 0, 4}}, 32, 4},
    };
    for (const auto& c : cases) {
        const Bytes file = File(1, c.entries);
        IconImage image;
        ASSERT_TRUE(FindPictureImage(View(file), &image)) << c.name;
        EXPECT_EQ(image.width, c.expectedSide) << c.name;
        EXPECT_EQ(image.bitCount, c.expectedBits) << c.name;
    }
}

TEST(ImageParse, BadValuesGiveNothing) {
    const Bytes good = File(2, {{32, 2, 1}});
    auto with = [&](void (*change)(Bytes&)) {
        Bytes b = good;
        change(b);
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        bool picture, cursor; // what should still be made
    } cases[] = {
        {"empty", {}, false, false},
        {"four zero bytes", Bytes(4, 0), false, false},
        {"header only", Bytes(good.begin(), good.begin() + 6), false, false},
        {"22 bytes", Bytes(good.begin(), good.begin() + 22), false, false},
        {"truncated image", Bytes(good.begin(), good.end() - 1), false, false},
        {"count says 200", with([](Bytes& b) { Put16(b, 4, 200); }), false, true},
        {"count 0", with([](Bytes& b) { Put16(b, 4, 0); }), false, false},
        {"type 3", with([](Bytes& b) { Put16(b, 2, 3); }), false, false},
        {"an icon is no cursor", with([](Bytes& b) { Put16(b, 2, 1); }), true, false},
        {"reserved not 0", with([](Bytes& b) { Put16(b, 0, 1); }), false, false},
        {"offset outside", with([](Bytes& b) { Put32(b, 18, 100000); }), false, false},
        {"offset + size wraps", with([](Bytes& b) { Put32(b, 18, 0xFFFFFFF0u); }), false, false},
        {"size past the end", with([](Bytes& b) { Put32(b, 14, 0xFFFFFFFFu); }), false, false},
        {"size 0", with([](Bytes& b) { Put32(b, 14, 0); }), false, false},
        {"huge width", with([](Bytes& b) { Put32(b, 22 + 4, 0x7FFFFFFF); }), false, false},
        {"negative height", with([](Bytes& b) { Put32(b, 22 + 8, 0xFFFFFFC0u); }), false, false},
        {"bitmap larger than the image", with([](Bytes& b) { Put32(b, 22 + 4, 64); }), false,
         false},
        {"odd bit count", with([](Bytes& b) { Put16(b, 22 + 14, 3); }), false, false},
        {"compressed", with([](Bytes& b) { Put32(b, 22 + 16, 1); }), false, false},
        {"header size past the image", with([](Bytes& b) { Put32(b, 22, 100000); }), false, false},
        {"too many colours used", with([](Bytes& b) { Put32(b, 22 + 32, 3); }), false, false},
    };
    for (const auto& c : cases) {
        IconImage picture;
        CursorImage cursor;
        EXPECT_EQ(FindPictureImage(View(c.bytes), &picture), c.picture) << c.name;
        EXPECT_EQ(FindCursorImage(View(c.bytes), &cursor), c.cursor) << c.name;
    }
    IconImage picture;
    CursorImage cursor;
    EXPECT_TRUE(FindPictureImage(View(good), &picture));
    EXPECT_TRUE(FindCursorImage(View(good), &cursor));
}

TEST(ImageParse, ByteSetViews) {
    const int32_t negative[] = {1, -5};
    const int32_t zeroDims[] = {0, 0};
    EXPECT_EQ(BytesOf(nullptr).size, 0u);
    EXPECT_EQ(BytesOf(reinterpret_cast<const DimArray*>(negative)).size, 0u);
    EXPECT_EQ(BytesOf(reinterpret_cast<const DimArray*>(zeroDims)).size, 0u);
}

} // namespace
