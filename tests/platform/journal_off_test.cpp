// The journal off, as in every run of the game itself and after every reset:
// calls leave nothing behind, and their arguments are not even formatted.
#include <gtest/gtest.h>
#include <velmora_platform.h>

#include "core/entry.h"

#include <windows.h>

namespace {

TEST(JournalOff, IsOffUntilTurnedOnAndAgainAfterAReset) {
    vplat::ResetPlatform();
    RECT rect;
    SetRect(&rect, 1, 2, 3, 4);
    EXPECT_TRUE(vplat::Journal().empty()) << vplat::Journal().size() << " calls recorded";
    vplat::EnableJournal(true);
    SetRect(&rect, 1, 2, 3, 4);
    ASSERT_EQ(vplat::Journal().size(), 1u);
    EXPECT_EQ(vplat::Journal()[0].args, "1,2,3,4") << "SetRect as the journal shows it";
    vplat::ResetPlatform();
    SetRect(&rect, 1, 2, 3, 4);
    EXPECT_TRUE(vplat::Journal().empty()) << vplat::Journal().size() << " calls after a reset";
}

TEST(JournalOff, ArgumentsAreFormattedOnlyForTheJournal) {
    vplat::ResetPlatform();
    int formatted = 0;
    auto args = [&] {
        ++formatted;
        return std::string("x=7");
    };
    auto body = [] { return 5; };
    EXPECT_EQ(vplat::entry::Run(vplat::entry::Name::SetRect, args, body), 5);
    EXPECT_EQ(formatted, 0) << "arguments were formatted for a journal that is off";
    vplat::EnableJournal(true);
    EXPECT_EQ(vplat::entry::Run(vplat::entry::Name::SetRect, args, body), 5);
    EXPECT_EQ(formatted, 1) << "times the arguments were formatted with the journal on";
    ASSERT_EQ(vplat::Journal().size(), 1u);
    EXPECT_EQ(vplat::Journal()[0].args, "x=7");
    vplat::ResetPlatform();
}

}  // namespace
