// The player's settings and files on Windows' own calls, run under Wine: in a
// folder whose name has letters beyond ASCII, settings written and read back,
// a damaged file set aside, a file replaced whole, new files never written
// over. One line a check; the status is the number that failed.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "player/screenshot.h"
#include "player/settings.h"
#include "player/system_files.h"

namespace {

using namespace vplat::player;

int g_failed = 0;

void Check(const char* name, const std::string& found, const std::string& expected) {
    if (found == expected) {
        printf("ok %s\n", name);
    } else {
        printf("FAILED %s: found \"%s\", expected \"%s\"\n", name, found.c_str(), expected.c_str());
        ++g_failed;
    }
}

std::string Describe(const Settings& s) {
    return std::string(s.fullscreen ? "full" : "window") + " " + std::to_string(s.windowWidth) +
           "x" + std::to_string(s.windowHeight) + " at " + std::to_string(s.windowX) + "," +
           std::to_string(s.windowY) + (s.windowMaximized ? " maximised" : "");
}

// Read and written through the wide calls with a name spelled in wide
// letters, not through the code under test: the file must be there under its
// real name.
std::string ReadWide(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return file ? text.str() : "(no file)";
}

void WriteWide(const std::wstring& path, const std::string& text) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

std::wstring WideFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"Velmora J\u00fcrgen \u03a9\u03bc\u03ad\u03b3\u03b1 " +
           std::to_wstring(GetCurrentProcessId());
}

std::string Utf8(const std::wstring& wide) {
    char text[4 * MAX_PATH];
    int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return size > 0 ? text : "";
}

void SettingsKeptInAFolderOfAnyName(const std::wstring& folder) {
    std::wstring wide = folder + L"\\config\\velmora.ini";
    std::string path = Utf8(wide);
    UseSettings(LoadSettingsFile(path));
    ChooseFullscreen(false);
    ChooseWindowRect(-20, 35, 1280, 960);
    ChooseMaximized(true);
    SaveSettingsFile();
    Check("settings_read_back", Describe(LoadSettingsFile(path)),
          "window 1280x960 at -20,35 maximised");
    Check("settings_file_under_its_wide_name", ReadWide(wide).substr(0, 9), "# Velmora");

    WriteWide(wide, "\x01 not settings");
    UseSettings(LoadSettingsFile(path));
    ChooseFullscreen(false);
    SaveSettingsFile();
    Check("damaged_file_kept_aside", ReadWide(wide + L".bad"), "\x01 not settings");
    Check("new_file_after_the_damaged_one", Describe(LoadSettingsFile(path)), "window 0x0 at 0,0");
}

void FileReplacedWhole(const std::wstring& folder) {
    std::wstring wide = folder + L"\\replaced.ini";
    std::string path = Utf8(wide);
    WriteWide(wide, "the old text, longer than the new one");
    // A temporary of a game that ended: no process has this number.
    std::wstring ended = wide + L".4294967280.tmp";
    WriteWide(ended, "half");
    std::string error;
    Check("replaced", ReplaceFileText(path, "new", &error) ? ReadWide(wide) : error, "new");
    Check("no_temporary_left",
          ReadWide(wide + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp"), "(no file)");
    RemoveStaleTemporaries(path);
    Check("ended_game_temporary_removed", ReadWide(ended), "(no file)");
    Check("writable_seen", FileIsReadOnly(path) ? "read-only" : "writable", "writable");
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
    Check("read_only_seen", FileIsReadOnly(path) ? "read-only" : "writable", "read-only");
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void NewFilesNeverWrittenOver(const std::wstring& folder) {
    std::wstring wide = folder + L"\\deep\\er\\recording.txt";
    std::string path = Utf8(wide);
    // Also past the prefix of Windows' long paths, which names no folder.
    for (const std::wstring& made : {folder + L"\\deep\\er", L"\\\\?\\" + folder + L"\\long"}) {
        DWORD kind = MakeFolders(Utf8(made)) ? GetFileAttributesW(made.c_str()) : 0;
        Check("folders_made", kind & FILE_ATTRIBUTE_DIRECTORY ? "made" : strerror(errno), "made");
    }
    OutFile file;
    bool written = file.Open(path, vplat::Existing::Keep) && file.WriteAll("abc\ndef") &&
                   file.CutTo(4) && file.Write("x", 1) == 1 && file.Close();
    Check("written_cut_and_written_on", written ? ReadWide(wide) : strerror(errno), "abc\nx");
    bool again = file.Open(path, vplat::Existing::Keep);
    Check("existing_file_kept", again ? "opened" : strerror(errno), strerror(EEXIST));
    Check("existing_file_untouched", ReadWide(wide), "abc\nx");
    const char* kinds[] = {"none", "regular", "folder", "other"};
    std::string found;
    for (const std::string& at : {path, Utf8(folder), std::string("NUL"), path + ".not"}) {
        found += std::string(kinds[static_cast<int>(KindAt(at))]) + " ";
    }
    Check("kinds", found, "regular folder other none ");
}

void UserFoldersAndNames() {
    Check("settings_in_appdata", SettingsPath(),
          EnvironmentText("APPDATA") + "\\Velmora\\velmora.ini");
    SetEnvironmentVariableW(L"VELMORA_SCREENSHOT_DIR", L"C:\\Bilder J\u00fcrgen");
    Check("screenshot_folder_chosen", ScreenshotFolder(), Utf8(L"C:\\Bilder J\u00fcrgen"));
    SetEnvironmentVariableW(L"VELMORA_SCREENSHOT_DIR", nullptr);
    std::string pictures = ScreenshotFolder();
    size_t last = pictures.rfind('\\');
    Check("screenshots_under_pictures",
          last == std::string::npos ? pictures : pictures.substr(last), "\\Velmora");
    _putenv("TZ=UTC0");
    _tzset();
    Check("screenshot_name", ScreenshotName(LocalTime(1700000000), 2),
          "velmora-20231114-221320-2.png");
}

// The frame the suite expects in the PNG: every index a different colour.
vplat::Frame SmallFrame() {
    vplat::Frame frame;
    frame.width = 5;
    frame.height = 3;
    for (int i = 0; i < 15; ++i) {
        frame.indices.push_back(static_cast<uint8_t>(i * 17));
    }
    for (int i = 0; i < 256; ++i) {
        frame.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), 7, static_cast<BYTE>(255 - i), 0};
    }
    return frame;
}

// Two screenshots in one second; the suite reads the pixels back.
void ScreenshotsWritten(const std::string& folder) {
    ScreenshotFailure failure;
    std::string names;
    for (int i = 0; i < 2; ++i) {
        std::string path = SaveScreenshot(SmallFrame(), folder, 1700000000, &failure);
        names += (path.empty() ? failure.detail : path.substr(folder.size())) + " ";
    }
    Check("screenshots_saved", names,
          "\\velmora-20231114-221320.png \\velmora-20231114-221320-2.png ");
}

}  // namespace

// With a folder (a Windows path), the screenshots are written in it.
int main(int argc, char** argv) {
    // The process number repeats from run to run in a new Wine session.
    std::wstring folder = WideFolder();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    CreateDirectoryW(folder.c_str(), nullptr);
    SettingsKeptInAFolderOfAnyName(folder);
    FileReplacedWhole(folder);
    NewFilesNeverWrittenOver(folder);
    UserFoldersAndNames();
    if (argc > 1) {
        ScreenshotsWritten(argv[1]);
    }
    std::filesystem::remove_all(folder, ignored);
    printf("%d failed\n", g_failed);
    return g_failed;
}
