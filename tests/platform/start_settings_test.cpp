// velmora.ini: written, read back, and damaged files that must be ignored
// whole, never half-applied.
#include "temp_dir.h"
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "player/settings_file.h"

namespace {

using vplat::player::ReadSettings;
using vplat::player::Settings;
using vplat::player::SettingsFound;
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
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The names in a folder, sorted, one space between.
std::string FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
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
    ASSERT_EQ(SettingsFound::Fine, ReadSettings(path, &read, &error)) << error;
    EXPECT_EQ(Describe(written), Describe(read));
    EXPECT_EQ("velmora.ini", FilesIn(velmora_test::TempDir() + "new/folder"))
        << "a temporary file was left behind";
}

TEST(SettingsFile, MissingFileLeavesTheDefaults) {
    Settings settings;
    std::string error;
    EXPECT_EQ(SettingsFound::Fine,
              ReadSettings(velmora_test::TempDir() + "none.ini", &settings, &error))
        << error;
    EXPECT_EQ(Describe(Settings()), Describe(settings));
}

TEST(SettingsFile, CommentsSectionsAndUnknownKeysAreSkipped) {
    std::string path = WriteText("skips.ini",
                                 "# mine\r\n[window]\r\n; old\r\n  fullscreen = no \r\n"
                                 "colour=blue\r\nwidth=800\r\nheight=600\r\nx=5\r\n");
    Settings settings;
    std::string error;
    ASSERT_EQ(SettingsFound::Fine, ReadSettings(path, &settings, &error)) << error;
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
    ASSERT_EQ(SettingsFound::Fine, ReadSettings(path, &settings, &error)) << error;
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
    EXPECT_EQ(SettingsFound::Damaged, ReadSettings(path, &settings, &error))
        << "accepted: " << Describe(settings);
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
    EXPECT_EQ(SettingsFound::Unreadable, ReadSettings(path, &settings, &error));
    EXPECT_EQ("not a regular file", error);
}

TEST(SettingsFile, AnUnwritableFolderIsReportedNotCrashed) {
    std::string blocker = WriteText("blocker", "a file where a folder should be");
    std::string error;
    EXPECT_FALSE(WriteSettings(blocker + "/velmora/velmora.ini", Settings(), &error));
    EXPECT_NE(std::string::npos, error.find("cannot make its folder")) << error;
}

// Two games ending at the same moment: each writes its own whole file, the
// last one wins, and a reader meanwhile only ever finds one of the two.
TEST(SettingsFile, TwoGamesWritingAtOnceLeaveOneWholeFile) {
    std::string path = velmora_test::TempDir() + "both/velmora.ini";
    Settings mine[2];
    mine[0].windowWidth = 800;
    mine[0].windowHeight = 600;
    mine[1].fullscreen = false;
    mine[1].windowPlaced = true;
    mine[1].windowX = 300;
    mine[1].windowY = 40;
    std::string error;
    ASSERT_TRUE(WriteSettings(path, mine[0], &error)) << error;
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = fork();
        if (writers[i] == 0) {
            bool all = true;
            for (int n = 0; n < 300; ++n) {
                all = WriteSettings(path, mine[i], &error) && all;
            }
            _exit(all ? 0 : 1);
        }
    }
    std::string mixed;
    for (int n = 0; n < 300 && mixed.empty(); ++n) {
        Settings read;
        if (ReadSettings(path, &read, &error) != SettingsFound::Fine ||
            (Describe(read) != Describe(mine[0]) && Describe(read) != Describe(mine[1]))) {
            mixed = Describe(read) + " (" + error + "): " + ReadText(path);
        }
    }
    for (pid_t writer : writers) {
        int status = 0;
        waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed to save";
    }
    EXPECT_EQ("", mixed) << "read while both wrote, expected one of the two files";
    EXPECT_EQ("velmora.ini", FilesIn(velmora_test::TempDir() + "both"));
}

// The start-up's file: one line said, the file kept whole beside a new one.
TEST(SettingsFile, AFileThatCannotBeReadIsKeptAsideAndNeverOverwritten) {
    for (const char* text : {"[window]\nfullscreen=0\nwidth=800\nheight=600\n0\n",
                             "[window]\nfullscreen=0\ninteger_scale=2\n", "\x89PNG\r\n\x1a\n"}) {
        std::string path = WriteText("aside/velmora.ini", text);
        testing::internal::CaptureStderr();
        Settings loaded = vplat::player::LoadSettingsFile(path);
        std::string said = testing::internal::GetCapturedStderr();
        vplat::player::UseSettings(loaded);
        vplat::player::SaveSettingsFile();
        EXPECT_EQ(text, ReadText(path + ".bad")) << "the damaged file was not kept aside";
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
        EXPECT_NE(std::string::npos, said.find("kept as " + path + ".bad")) << said;
        Settings again;
        std::string error;
        EXPECT_EQ(SettingsFound::Fine, ReadSettings(path, &again, &error)) << error;
    }
}

TEST(SettingsFile, WhatCannotBeSetAsideIsLeftAlone) {
    std::string folder = velmora_test::TempDir() + "alone/";
    mkdir(folder.c_str(), 0700);
    ASSERT_EQ(0, mkfifo((folder + "velmora.ini").c_str(), 0600));
    Settings loaded = vplat::player::LoadSettingsFile(folder + "velmora.ini");
    vplat::player::UseSettings(loaded);
    vplat::player::ChooseFullscreen(false);
    vplat::player::SaveSettingsFile();
    struct stat status;
    ASSERT_EQ(0, lstat((folder + "velmora.ini").c_str(), &status));
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the pipe was replaced";
    EXPECT_EQ("velmora.ini", FilesIn(folder));
}

// Keys, sections and comments of another version, and the player's own
// spelling of a value, are written back as they were; only what the run
// changed is new.
TEST(SettingsFile, WhatThisVersionDoesNotKnowIsWrittenBackAsItWas) {
    std::string path = WriteText("carried/velmora.ini",
                                 "# mine\r\n[window]\r\nfullscreen = yes\r\nshader=crt\r\n"
                                 "width=800\r\nheight=600\r\n\r\n[audio]\r\nvolume=7\r\n");
    Settings loaded = vplat::player::LoadSettingsFile(path);
    vplat::player::UseSettings(loaded);
    vplat::player::ChooseWindowRect(10, 20, 1280, 960);
    vplat::player::SaveSettingsFile();
    EXPECT_EQ(
        "# mine\r\n[window]\r\nfullscreen = yes\r\nshader=crt\r\nwidth=1280\nheight=960\n"
        "integer_scale=1\nx=10\ny=20\nmaximized=0\n\r\n[audio]\r\nvolume=7\r\n",
        ReadText(path));
}

TEST(SettingsFile, ALinkIsWrittenThrough) {
    std::string real = WriteText("dotfiles/velmora.ini", "[window]\nfullscreen=1\n");
    std::string link = velmora_test::TempDir() + "linked/velmora.ini";
    mkdir((velmora_test::TempDir() + "linked").c_str(), 0700);
    ASSERT_EQ(0, symlink("../dotfiles/velmora.ini", link.c_str()));
    vplat::player::UseSettings(vplat::player::LoadSettingsFile(link));
    vplat::player::ChooseFullscreen(false);
    vplat::player::SaveSettingsFile();
    struct stat status;
    ASSERT_EQ(0, lstat(link.c_str(), &status));
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link was replaced by a file";
    EXPECT_NE(std::string::npos, ReadText(real).find("fullscreen=0\n")) << ReadText(real);
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
