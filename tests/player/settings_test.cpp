// velmora.ini: read as players write it, written back with only what the run
// changed, and never a player's file lost.
#include "temp_dir.h"
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "player/settings.h"

namespace {

using vplat::player::Settings;

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

// A regular file's text, else its type (reading a pipe would wait).
std::string Contents(const std::string& path) {
    struct stat status;
    lstat(path.c_str(), &status);
    return S_ISREG(status.st_mode) ? ReadText(path) : "type " + std::to_string(status.st_mode);
}

// The settings a text holds, and what was ignored, '|' between.
std::string Read(const std::string& text) {
    Settings settings;
    std::vector<std::string> ignored;
    if (!vplat::player::ReadSettingsText(text, &settings, &ignored)) {
        return "not text";
    }
    std::string said = Describe(settings);
    for (const std::string& line : ignored) {
        said += "|" + line;
    }
    return said;
}

TEST(SettingsText, ReadAsPlayersWriteIt) {
    std::string comments;
    for (int i = 0; i < 5000; ++i) {
        comments += "# a long comment, one of many thousand lines\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF[window]\nfullscreen=0\n", "window integer 0x0 centred"},
        {"[Window]\r\n FullScreen = Off ; windowed please\r\nINTEGER_SCALE=False# mine\r\n",
         "window fill 0x0 centred"},
        {"[window]\nfullscreen=YES\nmaximized=on\nwidth=800\nheight=600\nx=-5\ny=+7",
         "full integer 800x600 at -5,7 maximised"},
        // A key counts only in its own section, even with a value it could not take.
        {"fullscreen=0\n[audio]\nwidth=800\nheight=maybe\n[window]\ninteger_scale=0\n"
         "[other]\nfullscreen=0\n",
         "full fill 0x0 centred"},
        {"[window]\nfullscreen=maybe\nwidth=-640\nheight=480\nx=12px\ny=3\nmaximized=1\n",
         "full integer 0x0 centred maximised|line 2 ignored: fullscreen=maybe|line 3 ignored: "
         "width=-640|line 5 ignored: x=12px|height ignored without width|y ignored without x"},
        {"[window\nfullscreen=0\n=1\ngarbage\n[window]\nwidth=640\nheight=99999999999\n",
         "full integer 0x0 centred|line 1 ignored: [window|line 3 ignored: =1|line 4 ignored: "
         "garbage|line 7 ignored: height=99999999999|width ignored without height"},
        {"[window]\n" + comments + "fullscreen=0\n", "window integer 0x0 centred"},
        {"# caf\xE9, in an old editor's Latin-1\n[window]\nfullscreen=0\n",
         "window integer 0x0 centred"},
        {"\x89PNG\r\n\x1a\n", "not text"},
        {std::string("[window]\nfullscreen=0\n\0\0", 24), "not text"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(expected, Read(text)) << "read from: " << text.substr(0, 80);
    }
}

TEST(SettingsFile, WrittenThenReadBack) {
    std::string path = velmora_test::TempDir() + "new/folder/velmora.ini";
    Settings loaded = vplat::player::LoadSettingsFile(path);
    EXPECT_EQ(Describe(Settings()), Describe(loaded)) << "no file, yet not the defaults";
    vplat::player::UseSettings(loaded);
    vplat::player::ChooseFullscreen(false);
    vplat::player::ChooseWindowRect(-20, 35, 1280, 960);
    vplat::player::ChooseMaximized(true);
    vplat::player::SaveSettingsFile();
    EXPECT_EQ("window integer 1280x960 at -20,35 maximised",
              Describe(vplat::player::LoadSettingsFile(path)))
        << ReadText(path);
    EXPECT_EQ("velmora.ini", FilesIn(velmora_test::TempDir() + "new/folder"))
        << "a temporary file was left behind";
}

// The player's lines, spelling, comments and line ends stay, and so do the
// edits the player made while the game ran; only the run's choices change.
TEST(SettingsFile, OnlyWhatTheRunChangedIsWritten) {
    std::string start = "\xEF\xBB\xBF# mine\r\n[Window]\r\nFullScreen = Off ; windowed please\r\n";
    std::string end = "width=800\r\nheight=600\r\nmaximized=maybe\r\n\r\n[audio]\r\nvolume=7";
    std::string path = WriteText("carried/velmora.ini", start + end);
    vplat::player::UseSettings(vplat::player::LoadSettingsFile(path));
    WriteText("carried/velmora.ini", start + "integer_scale=0\r\n" + end);
    vplat::player::ChooseFullscreen(true);
    vplat::player::ChooseWindowRect(10, 20, 1280, 960);
    vplat::player::SaveSettingsFile();
    EXPECT_EQ(
        "\xEF\xBB\xBF# mine\r\n[Window]\r\nFullScreen = 1 ; windowed please\r\n"
        "integer_scale=0\r\nwidth=1280\r\nheight=960\r\nmaximized=maybe\r\nx=10\r\ny=20\r\n"
        "\r\n[audio]\r\nvolume=7",
        ReadText(path));
}

TEST(SettingsFile, EveryFileThatIsNotTextIsKeptAside) {
    std::string path = velmora_test::TempDir() + "aside/velmora.ini";
    for (std::string aside : {".bad", ".bad-2", ".bad-3"}) {
        std::string text = "\x01 not settings, the one set aside as " + aside;
        WriteText("aside/velmora.ini", text);
        testing::internal::CaptureStderr();
        vplat::player::UseSettings(vplat::player::LoadSettingsFile(path));
        std::string said = testing::internal::GetCapturedStderr();
        vplat::player::SaveSettingsFile();
        EXPECT_EQ(text, ReadText(path + aside)) << "the file was not kept as " << path + aside;
        EXPECT_EQ("velmora: settings file " + path + " ignored: not a text file; kept as " + path +
                      aside + "\n",
                  said);
        EXPECT_NE("not text", Read(ReadText(path))) << "no new settings file was written";
    }
}

// A pipe, a folder, a file far too large, and a file the player made
// read-only: one line said, and nothing written.
TEST(SettingsFile, WhatCannotBeReadOrIsReadOnlyIsLeftAlone) {
    std::string folder = velmora_test::TempDir() + "alone/";
    std::filesystem::create_directories(folder);
    for (const char* kind : {"pipe", "folder", "large", "read-only"}) {
        std::string path = folder + kind + ".ini";
        std::string large = kind == std::string("large") ? std::string(3 << 20, '#') : "";
        WriteText(std::string("alone/") + kind + ".ini", large + "[window]\nfullscreen=1\n");
        if (kind == std::string("pipe") || kind == std::string("folder")) {
            std::filesystem::remove(path);
            ASSERT_EQ(0, *kind == 'p' ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700));
        }
        if (kind == std::string("read-only")) {
            chmod(path.c_str(), 0444);
        }
        std::string before = FilesIn(folder) + Contents(path);
        testing::internal::CaptureStderr();
        vplat::player::UseSettings(vplat::player::LoadSettingsFile(path));
        vplat::player::ChooseFullscreen(false);
        vplat::player::SaveSettingsFile();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(before, FilesIn(folder) + Contents(path)) << kind << ": changed";
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << kind << ": " << said;
        EXPECT_NE(std::string::npos, said.find(" left as it is")) << kind << ": " << said;
    }
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
    EXPECT_EQ("[window]\nfullscreen=0\n", ReadText(real));
}

TEST(SettingsFile, AnUnwritableFolderIsReportedNotCrashed) {
    std::string blocker = WriteText("blocker", "a file where a folder should be");
    std::string error;
    EXPECT_FALSE(vplat::player::ReplaceFileText(blocker + "/velmora/velmora.ini", "", &error));
    EXPECT_NE(std::string::npos, error.find("cannot make its folder")) << error;
}

// Two games ending at the same moment: each writes its own whole file, the
// last one wins, and a reader meanwhile only ever finds one of the two.
TEST(SettingsFile, TwoGamesWritingAtOnceLeaveOneWholeFile) {
    std::string path = velmora_test::TempDir() + "both/velmora.ini";
    const std::string mine[2] = {std::string(5000, 'a'), std::string(7000, 'b')};
    std::string error;
    ASSERT_TRUE(vplat::player::ReplaceFileText(path, mine[0], &error)) << error;
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = fork();
        if (writers[i] == 0) {
            bool all = true;
            for (int n = 0; n < 300; ++n) {
                all = vplat::player::ReplaceFileText(path, mine[i], &error) && all;
            }
            _exit(all ? 0 : 1);
        }
    }
    std::string mixed;
    for (int n = 0; n < 300 && mixed.empty(); ++n) {
        std::string text;
        vplat::player::ReadFileText(path, 1 << 20, &text, &error);
        mixed = text == mine[0] || text == mine[1] ? "" : text.substr(0, 80) + " (" + error + ")";
    }
    for (pid_t writer : writers) {
        int status = 0;
        waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed to save";
    }
    EXPECT_EQ("", mixed) << "read while both wrote, expected one of the two files";
    EXPECT_EQ("velmora.ini", FilesIn(velmora_test::TempDir() + "both"));
}

TEST(SettingsFile, TemporariesOfEndedGamesAreRemoved) {
    pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    waitpid(ended, nullptr, 0);
    std::string live = "velmora.ini." + std::to_string(getpid()) + ".tmp";
    for (std::string name : {"velmora.ini." + std::to_string(ended) + ".tmp", live,
                             std::string("velmora.ini.bad"), std::string("velmora.ini.x.tmp")}) {
        WriteText("killed/" + name, "half a file");
    }
    vplat::player::LoadSettingsFile(velmora_test::TempDir() + "killed/velmora.ini");
    EXPECT_EQ(live + " velmora.ini.bad velmora.ini.x.tmp",
              FilesIn(velmora_test::TempDir() + "killed"));
}

TEST(SettingsPath, FollowsXdgConfigHomeThenHomeElseSaysNothingIsKept) {
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("HOME", "/home/p", 1);
    EXPECT_EQ("/cfg/velmora/velmora.ini", vplat::player::SettingsPath());
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    EXPECT_EQ("/home/p/.config/velmora/velmora.ini", vplat::player::SettingsPath());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ("/home/p/.config/velmora/velmora.ini", vplat::player::SettingsPath());
    unsetenv("HOME");
    testing::internal::CaptureStderr();
    vplat::player::LoadSettingsFile(vplat::player::SettingsPath());
    EXPECT_EQ("velmora: settings will not be kept: neither HOME nor XDG_CONFIG_HOME is set\n",
              testing::internal::GetCapturedStderr());
}

}  // namespace
