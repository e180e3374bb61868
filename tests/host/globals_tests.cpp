#include "app/globals.h"
#include "app/start.h"
#include "tests/host/host_runtime.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>
#include <string>
#include <vector>

namespace {

class GlobalsTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetHost(); }
};

TEST_F(GlobalsTest, InitGlobalsGivesTheStartingValues) {
    InitGlobals();
    EXPECT_EQ(Host().live, 4);
    const struct {
        const char* name;
        const DimArray* array;
        int32_t count;
    } arrays[] = {{"HotkeyIds", HotkeyIds, 3},
                  {"HotkeyActions", HotkeyActions, 3},
                  {"TargetHandleText", TargetHandleText, 2}};
    for (const auto& a : arrays) {
        EXPECT_EQ(ArrayCountAndData(a.array).count, a.count) << a.name;
    }
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(Element<int32_t>(HotkeyIds, k), 0) << "HotkeyIds " << k;
        EXPECT_EQ(Element<Subroutine>(HotkeyActions, k), nullptr) << "HotkeyActions " << k;
    }
    for (int32_t k = 1; k <= 2; ++k) {
        EXPECT_EQ(CompareText(Element<Text>(TargetHandleText, k), ""), 0) << "text " << k;
    }
    EXPECT_EQ(TargetRect->left | TargetRect->top | TargetRect->right | TargetRect->bottom, 0);
    EXPECT_EQ(PickActive, 0);
    ReleaseGlobals();
    EXPECT_EQ(Host().live, 0);
}

TEST_F(GlobalsTest, ReleaseGlobalsFreesExactlyTheTextsStillHeld) {
    InitGlobals();
    StoreText(&Element<Text>(TargetHandleText, 1), "1234");
    StoreText(&Element<Text>(TargetHandleText, 1), "5678"); // releases "1234"
    const void* held = Element<Text>(TargetHandleText, 1);
    const void* arrays[] = {HotkeyIds, HotkeyActions, TargetHandleText, TargetRect};
    Host().freed.clear();
    ReleaseGlobals();
    EXPECT_EQ(Host().live, 0);
    const std::vector<const void*> expected = {arrays[0], arrays[1], held, arrays[2], arrays[3]};
    EXPECT_EQ(Host().freed, expected);
}

TEST_F(GlobalsTest, ArrayCountAndDataOfEachLayout) {
    const int32_t zeroDimensions[] = {0, 99};
    const int32_t twoByThree[] = {2, 2, 3, 0, 0, 0, 0, 0, 0};
    const int32_t wrapping[] = {2, 0x10000, 0x10000}; // 2^32 wraps to 0 in 32 bits
    EXPECT_EQ(ArrayCountAndData(nullptr).count, 0);
    const struct {
        const char* name;
        const int32_t* block;
        int32_t count;
        int dataOffset;
    } cases[] = {
        {"dimension count 0", zeroDimensions, 0, 4},
        {"2 x 3", twoByThree, 6, 12},
        {"wrapping product", wrapping, 0, 12},
    };
    for (const auto& c : cases) {
        const ArrayCount a = ArrayCountAndData(reinterpret_cast<const DimArray*>(c.block));
        EXPECT_EQ(a.count, c.count) << c.name;
        EXPECT_EQ(a.data - reinterpret_cast<const unsigned char*>(c.block), c.dataOffset) << c.name;
    }
}

TEST_F(GlobalsTest, WholeArrayAssignmentCopiesAndReleasesTheOld) {
    struct {
        int32_t dimensions, size;
        Subroutine elements[3];
    } static const constant = {1, 3, {&ResetHost, nullptr, &HostShutdown}};
    DimArray* variable = NewVector(3, sizeof(Subroutine));
    const void* old = variable;
    AssignArray(&variable, reinterpret_cast<const DimArray*>(&constant), sizeof(Subroutine));
    EXPECT_NE(static_cast<const void*>(variable), static_cast<const void*>(&constant));
    EXPECT_EQ(ArrayByteSize(variable, sizeof(Subroutine)), 8 + 3 * sizeof(Subroutine));
    EXPECT_EQ(std::memcmp(variable, &constant, sizeof constant), 0);
    ASSERT_EQ(Host().freed.size(), 1u);
    EXPECT_EQ(Host().freed[0], old);
    // Releasing a constant is ignored, as the runtime promises.
    FreeBlock(const_cast<void*>(static_cast<const void*>(&constant)));
    EXPECT_EQ(Host().live, 1);
    FreeBlock(variable);
}

using GlobalsDeathTest = GlobalsTest;

TEST_F(GlobalsDeathTest, AnIndexPastTheEndIsFatal) {
    InitGlobals();
    EXPECT_EQ(Element<int32_t>(HotkeyIds, 3), 0); // the last element is valid
    const int32_t badIndexes[] = {3, 0, -1, INT32_MIN};
    for (int32_t index : badIndexes) {
        EXPECT_EXIT(
            {
                SetExitCallback(ReleaseGlobals);
                Element<Text>(TargetHandleText, index);
                HostShutdown();
            },
            ::testing::ExitedWithCode(255), "runtime error 1")
            << "index " << index;
    }
    ReleaseGlobals();
}

TEST_F(GlobalsTest, StartProgramRunsInOrderAndGlobalsExistForTheCreatedEvent) {
    static int countSeenAtLoad;
    countSeenAtLoad = -1;
    Host().onLoadWindow = [] { countSeenAtLoad = ArrayCountAndData(HotkeyIds).count; };
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(StartProgram(), 0);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    const std::vector<std::string> expected = {"InitRuntime", "SetExitCallback",
                                               "ShowWindowsOfEndedRuns", "LoadWindow 1375797249",
                                               "RunMessageLoop"};
    EXPECT_EQ(Host().calls, expected);
    EXPECT_EQ(countSeenAtLoad, 3);
    EXPECT_EQ(Host().live, 4);
    HostShutdown();
    EXPECT_EQ(Host().live, 0);
    HostShutdown(); // the callback runs once only
    EXPECT_EQ(Host().frees, 4);
}

} // namespace
