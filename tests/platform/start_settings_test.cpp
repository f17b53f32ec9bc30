// velmora.ini: written, read back, and damaged files that must be ignored
// whole, never half-applied.
#include "temp_dir.h"
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>

#include "player/settings_file.h"

namespace {

using vplat::player::ReadSettings;
using vplat::player::Settings;
using vplat::player::WriteSettings;

std::string Describe(const Settings& s) {
    return std::string(s.fullscreen ? "full" : "window") +
           (s.integerScale ? " integer " : " fill ") + std::to_string(s.windowWidth) + "x" +
           std::to_string(s.windowHeight) +
           (s.windowPlaced ? " at " + std::to_string(s.windowX) + "," + std::to_string(s.windowY)
                           : " centred") +
           (s.windowMaximized ? " maximised" : "");
}

std::string WriteText(const std::string& name, const std::string& text) {
    std::string path = velmora_test::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(SettingsFile, WrittenThenReadBack) {
    Settings written;
    written.fullscreen = false;
    written.integerScale = false;
    written.windowWidth = 1280;
    written.windowHeight = 960;
    written.windowPlaced = true;
    written.windowX = -20;
    written.windowY = 35;
    written.windowMaximized = true;
    std::string path = velmora_test::TempDir() + "new/folder/velmora.ini";
    std::string error;
    ASSERT_TRUE(WriteSettings(path, written, &error)) << error;
    Settings read;
    ASSERT_TRUE(ReadSettings(path, &read, &error)) << error;
    EXPECT_EQ(Describe(written), Describe(read));
    struct stat status;
    EXPECT_NE(0, stat((path + ".new").c_str(), &status)) << "the temporary file was left behind";
}

TEST(SettingsFile, MissingFileLeavesTheDefaults) {
    Settings settings;
    std::string error;
    EXPECT_TRUE(ReadSettings(velmora_test::TempDir() + "none.ini", &settings, &error)) << error;
    EXPECT_EQ(Describe(Settings()), Describe(settings));
}

TEST(SettingsFile, CommentsSectionsAndUnknownKeysAreSkipped) {
    std::string path = WriteText("skips.ini",
                                 "# mine\r\n[window]\r\n; old\r\n  fullscreen = no \r\n"
                                 "colour=blue\r\nwidth=800\r\nheight=600\r\nx=5\r\n");
    Settings settings;
    std::string error;
    ASSERT_TRUE(ReadSettings(path, &settings, &error)) << error;
    // x without y is no place.
    EXPECT_EQ("window integer 800x600 centred", Describe(settings));
}

// A key counts only in its own section, even with a value it could not take.
TEST(SettingsFile, KeysOutsideTheirSectionAreSkipped) {
    std::string path = WriteText("sections.ini",
                                 "fullscreen=0\n[audio]\nwidth=800\nheight=maybe\n"
                                 "[window]\ninteger_scale=0\n[other]\nfullscreen=0\n");
    Settings settings;
    std::string error;
    ASSERT_TRUE(ReadSettings(path, &settings, &error)) << error;
    EXPECT_EQ("full fill 0x0 centred", Describe(settings));
}

struct DamagedCase {
    const char* name;
    const char* text;
    const char* expectedError;
};

// Test names and failure reports show the case by its name, not its bytes.
void PrintTo(const DamagedCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedSettings : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedSettings, AreIgnoredWhole) {
    std::string path = WriteText(std::string(GetParam().name) + ".ini", GetParam().text);
    Settings settings;
    std::string error;
    EXPECT_FALSE(ReadSettings(path, &settings, &error)) << "accepted: " << Describe(settings);
    EXPECT_EQ(Describe(Settings()), Describe(settings)) << "partly applied";
    EXPECT_EQ(GetParam().expectedError, error);
}

const DamagedCase kDamaged[] = {
    {"NoEquals", "[window]\nfullscreen=0\ngarbage\n", "line 3 is not a setting: garbage"},
    {"BadBool", "[window]\nfullscreen=maybe\n", "line 2 is not a setting: fullscreen=maybe"},
    {"NegativeWidth", "[window]\nfullscreen=0\nwidth=-640\nheight=480\n",
     "line 3 is not a setting: width=-640"},
    {"HugeHeight", "[window]\nwidth=640\nheight=99999999999\n",
     "line 3 is not a setting: height=99999999999"},
    {"TrailingJunk", "[window]\nx=12px\n", "line 2 is not a setting: x=12px"},
    {"EmptyKey", "=1\n", "line 1 is not a setting: =1"},
    {"UnclosedSection", "[window\nfullscreen=0\n", "line 1 is not a setting: [window"},
    {"WidthWithoutHeight", "[window]\nwidth=640\n", "width and height go together"},
    {"Binary", "\x89PNG\r\n\x1a\n", "line 1 is not a setting: ?PNG"},
};

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettings, testing::ValuesIn(kDamaged),
                         [](const testing::TestParamInfo<DamagedCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(SettingsFile, AFolderInItsPlaceIsRefused) {
    std::string path = velmora_test::TempDir() + "folder.ini";
    mkdir(path.c_str(), 0700);
    Settings settings;
    std::string error;
    EXPECT_FALSE(ReadSettings(path, &settings, &error));
    EXPECT_EQ("not a regular file", error);
}

TEST(SettingsFile, AnUnwritableFolderIsReportedNotCrashed) {
    std::string blocker = WriteText("blocker", "a file where a folder should be");
    std::string error;
    EXPECT_FALSE(WriteSettings(blocker + "/velmora/velmora.ini", Settings(), &error));
    EXPECT_NE(std::string::npos, error.find("cannot make its folder")) << error;
}

TEST(SettingsPath, FollowsXdgConfigHomeThenHome) {
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("HOME", "/home/p", 1);
    EXPECT_EQ("/cfg/velmora/velmora.ini", vplat::player::SettingsPath());
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    EXPECT_EQ("/home/p/.config/velmora/velmora.ini", vplat::player::SettingsPath());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ("/home/p/.config/velmora/velmora.ini", vplat::player::SettingsPath());
    unsetenv("HOME");
    EXPECT_EQ("", vplat::player::SettingsPath());
}

}  // namespace
