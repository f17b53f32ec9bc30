// Teardown: the fixed release order, and safe repeated calls.
#include "game_test_support.h"

namespace {

using TeardownTest = GameTest;

TEST_F(TeardownTest, BeforeAnythingWasMadeNothingHappens) {
    ReleaseDisplayObjects();
    EXPECT_TRUE(vplat::Journal().empty());
}

TEST_F(TeardownTest, AfterCompleteSetUpSevenReleasesInOrderAndAllCleared) {
    SetUpDisplay();
    const std::vector<const void*> expected = {
        g_primarySurface, g_backgroundSurface, g_stringsSurface, g_titleSurface,
        g_charaSurface,   g_palette,           g_directDraw,
    };
    vplat::ClearJournal();

    ReleaseDisplayObjects();

    EXPECT_EQ(ReleasedObjects(), expected);
    EXPECT_EQ(g_directDraw, nullptr);
    EXPECT_EQ(g_primarySurface, nullptr);
    EXPECT_EQ(g_backgroundSurface, nullptr);
    EXPECT_EQ(g_stringsSurface, nullptr);
    EXPECT_EQ(g_titleSurface, nullptr);
    EXPECT_EQ(g_charaSurface, nullptr);
    EXPECT_EQ(g_palette, nullptr);
    // Each object had exactly the one reference the game held.
    for (const vplat::CallRecord& call : vplat::Journal()) {
        EXPECT_EQ(call.result, 0) << call.name;
    }
}

TEST_F(TeardownTest, ASecondCallFindsNothingLeft) {
    SetUpDisplay();
    ReleaseDisplayObjects();
    vplat::ClearJournal();
    ReleaseDisplayObjects();
    EXPECT_TRUE(vplat::Journal().empty());
}

}  // namespace
