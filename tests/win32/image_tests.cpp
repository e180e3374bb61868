// Pictures, mouse pointers and icons made from the program's byte values.
#include "tests/win32/win32_test_support.h"

#include "app/dim_array.h"
#include "app/globals.h"
#include "app/runtime.h"
#include "app/runtime_win32.h"
#include "ui/handles_win32.h"
#include "ui/image_constants.h"
#include "ui/window_api.h"
#include "ui/window_definition.h"
#include "ui/window_layer_win32.h"

#include <psapi.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kPicture = 100;

class ImageTest : public ToolWindowTest {
  protected:
    // The cursor the box sets for itself, as the system would ask for it.
    HCURSOR BoxCursor() {
        SetCursor(nullptr);
        SendMessageW(MainWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control(kPicture)),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
};

struct CursorFacts {
    bool made;
    DWORD hotspotX, hotspotY;
    LONG width, height;
};

CursorFacts Facts(HCURSOR cursor) {
    CursorFacts f = {false, 0, 0, 0, 0};
    ICONINFO info;
    if (cursor == nullptr || !GetIconInfo(cursor, &info)) {
        return f;
    }
    f.made = true;
    f.hotspotX = info.xHotspot;
    f.hotspotY = info.yHotspot;
    BITMAP mask;
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    f.width = mask.bmWidth;
    // A monochrome cursor keeps its AND and XOR masks in one bitmap of double height.
    f.height = info.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2;
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    return f;
}

TEST_F(ImageTest, TheWindowHasTheProgramIcons) {
    const struct {
        WPARAM which;
        int side;
    } cases[] = {{ICON_BIG, 32}, {ICON_SMALL, 16}};
    for (const auto& c : cases) {
        auto icon = reinterpret_cast<HICON>(SendMessageW(MainWindow(), WM_GETICON, c.which, 0));
        ASSERT_NE(icon, nullptr) << "WM_GETICON " << c.which;
        const CursorFacts f = Facts(icon);
        EXPECT_EQ(f.width, c.side) << "WM_GETICON " << c.which;
        EXPECT_EQ(f.height, c.side) << "WM_GETICON " << c.which;
    }
}

TEST_F(ImageTest, PointerValuesGiveTheirCursors) {
    const struct {
        const char* name;
        const DimArray* value;
        CursorFacts expected;
    } cases[] = {
        {"HandCursor at rest", nullptr, {true, 6, 0, 32, 32}},
        {"CrossHairCursor", CrossHairCursor, {true, 15, 16, 32, 32}},
        {"HandCursor", HandCursor, {true, 6, 0, 32, 32}},
        {"EmptyPicture", EmptyPicture, {false, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        if (c.value != nullptr) {
            WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, c.value);
        }
        HCURSOR cursor = BoxCursor();
        const CursorFacts f = Facts(cursor);
        if (!c.expected.made) {
            EXPECT_EQ(cursor, LoadCursorW(nullptr, IDC_ARROW)) << c.name << ": the class arrow";
            continue;
        }
        ASSERT_TRUE(f.made) << c.name;
        EXPECT_EQ(f.hotspotX, c.expected.hotspotX) << c.name;
        EXPECT_EQ(f.hotspotY, c.expected.hotspotY) << c.name;
        EXPECT_EQ(f.width, c.expected.width) << c.name;
        EXPECT_EQ(f.height, c.expected.height) << c.name;
    }
}

TEST_F(ImageTest, ShortOrBrokenPointerValuesLeaveTheClassCursor) {
    const ArrayCount cross = ArrayCountAndData(CrossHairCursor);
    auto value = [](const unsigned char* bytes, int32_t n) {
        std::vector<unsigned char> v(8 + n);
        const int32_t header[2] = {1, n};
        std::memcpy(v.data(), header, 8);
        std::memcpy(v.data() + 8, bytes, n);
        return v;
    };
    const unsigned char zeros[4] = {};
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"four zero bytes", value(zeros, 4)},
        {"22 bytes of a cursor file", value(cross.data, 22)},
        {"a cursor file cut short", value(cross.data, cross.count - 1)},
    };
    for (const auto& c : cases) {
        WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, CrossHairCursor);
        WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer,
                      reinterpret_cast<const DimArray*>(c.bytes.data()));
        EXPECT_EQ(BoxCursor(), LoadCursorW(nullptr, IDC_ARROW)) << c.name;
    }
}

size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

TEST_F(ImageTest, ManyWritesLeakNothing) {
    const int32_t blocks = LiveBlockCount();
    const long handles = LiveOwnedHandles();
    auto cycle = [] {
        WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, EmptyPicture);
        WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, CrossHairCursor);
        WriteProperty(kMainWindowId, kPictureBox1, kPropPicture, CrossHairCursor);
        WriteProperty(kMainWindowId, kPictureBox1, kPropMousePointer, HandCursor);
    };
    for (int k = 0; k < 500; ++k) {
        cycle();
    }
    ProcessPendingEvents();
    const size_t warm = ResidentBytes();
    for (int k = 0; k < 3000; ++k) {
        cycle();
        if (k % 100 == 0) {
            ProcessPendingEvents();
        }
    }
    ProcessPendingEvents();
    const size_t after = ResidentBytes();
    EXPECT_EQ(LiveBlockCount(), blocks);
    EXPECT_EQ(LiveOwnedHandles(), handles);
    std::printf("resident after warm-up %u KiB, after 3000 more cycles %u KiB\n",
                static_cast<unsigned>(warm / 1024), static_cast<unsigned>(after / 1024));
    // Each cycle makes two icons and two cursors; a leak of even one would be
    // over a megabyte here.
    EXPECT_LT(after, warm + 1024 * 1024);
}

} // namespace
