// Keyboard sampling: which keys are asked for, and what counts as down.
#include <cstdio>
#include <cstring>

#include "game.h"
#include "game_test_support.h"

namespace {

using KeyboardTest = GameTest;

// Whether journal arguments name a virtual key, in decimal or in hex.
bool NamesKey(const std::string& args, int vk) {
    char lower[16], upper[16];
    snprintf(lower, sizeof(lower), "0x%x", vk);
    snprintf(upper, sizeof(upper), "0x%X", vk);
    return args.find(std::to_string(vk)) != std::string::npos ||
           args.find(lower) != std::string::npos || args.find(upper) != std::string::npos;
}

TEST_F(KeyboardTest, TitleAsksForSpaceOnlyAndWritesOnlyItsEntry) {
    KeyState keys;
    memset(keys, 0xAA, sizeof(keys));
    vplat::PressKey(VK_SPACE);
    vplat::ClearJournal();
    EXPECT_EQ(ReadTitleKeys(NULL, keys), 1);
    EXPECT_EQ(keys[VK_SPACE], 1);
    for (int vk = 0; vk < 256; vk++) {
        if (vk != VK_SPACE) {
            EXPECT_EQ(keys[vk], 0xAA) << vk;
        }
    }
    EXPECT_EQ(vplat::JournalNames(), std::vector<std::string>{"GetAsyncKeyState"});
}

TEST_F(KeyboardTest, PlayAsksForArrowsThenSInOrder) {
    KeyState keys;
    memset(keys, 0xAA, sizeof(keys));
    vplat::PressKey(VK_UP);
    vplat::ClearJournal();
    EXPECT_EQ(ReadPlayKeys(NULL, keys), 1);
    std::vector<std::string> args;
    for (const vplat::CallRecord& call : vplat::Journal()) {
        EXPECT_EQ(call.name, "GetAsyncKeyState");
        args.push_back(call.args);
    }
    ASSERT_EQ(args.size(), 5u);
    const int order[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'S'};
    for (int i = 0; i < 5; i++) {
        EXPECT_TRUE(NamesKey(args[i], order[i])) << i << ": " << args[i];
    }
    EXPECT_EQ(keys[VK_LEFT], 0);
    EXPECT_EQ(keys[VK_RIGHT], 0);
    EXPECT_EQ(keys[VK_UP], 1);
    EXPECT_EQ(keys[VK_DOWN], 0);
    EXPECT_EQ(keys[static_cast<unsigned char>('S')], 0);
    EXPECT_EQ(keys[VK_SPACE], 0xAA);
}

TEST_F(KeyboardTest, AKeyHeldReadsDownEveryTime) {
    KeyState keys;
    vplat::PressKey('S');
    for (int frame = 0; frame < 3; frame++) {
        ReadPlayKeys(NULL, keys);
        EXPECT_EQ(keys[static_cast<unsigned char>('S')], 1);
    }
}

TEST_F(KeyboardTest, APressBetweenTwoFramesIsSeenOnceThroughTheLowBit) {
    KeyState keys;
    vplat::PressKey(VK_SPACE);
    vplat::ReleaseKey(VK_SPACE);
    ReadTitleKeys(NULL, keys);
    EXPECT_EQ(keys[VK_SPACE], 1);
    ReadTitleKeys(NULL, keys);
    EXPECT_EQ(keys[VK_SPACE], 0);
}

}  // namespace
