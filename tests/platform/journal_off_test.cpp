// The journal off, as in every run of the game itself: calls leave nothing
// behind, and their arguments are not even formatted.
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include "internal.h"

#include <windows.h>

namespace {

TEST(JournalOff, CallsAreNotRecordedAndArgumentsNotFormatted) {
    vplat::ResetPlatform();
    RECT rect;
    vplat::EnableJournal(false);
    SetRect(&rect, 1, 2, 3, 4);
    EXPECT_EQ(vplat::internal::Format("x=%d", 7), "")
        << "arguments were formatted for a journal that is off";
    EXPECT_TRUE(vplat::Journal().empty()) << vplat::Journal().size() << " calls recorded";
    vplat::EnableJournal(true);
    SetRect(&rect, 1, 2, 3, 4);
    EXPECT_EQ(vplat::internal::Format("x=%d", 7), "x=7");
    ASSERT_EQ(vplat::Journal().size(), 1u);
    EXPECT_EQ(vplat::Journal()[0].args, "1,2,3,4") << "SetRect as the journal shows it";
    vplat::ResetPlatform();
}

}  // namespace
