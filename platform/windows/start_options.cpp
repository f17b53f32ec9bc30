// A GUI program has no console of its own: what it has to say goes where the
// player sees it. Standard output or error when the caller gave one (a pipe
// or a file), else the console the program was started from, else a message
// box. Exit statuses: 0 after --help and --version, 2 after a bad option.
#include "start_options.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace vplat::windows {
namespace {

constexpr char kProgram[] = "velmora";

std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    }
    return out;
}

std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) {
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    }
    return out;
}

// The arguments after the program's name, as UTF-8 whatever the code page.
std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; words != nullptr && i < count; ++i) {
        args.push_back(Utf8(words[i]));
    }
    LocalFree(words);
    return args;
}

bool WriteTo(HANDLE out, const std::string& text) {
    DWORD written = 0;
    return out != nullptr && out != INVALID_HANDLE_VALUE &&
           WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteToParentConsole(const std::string& text) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    std::wstring wide = Wide(text);
    DWORD written = 0;
    bool done =
        console != INVALID_HANDLE_VALUE &&
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        CloseHandle(console);
    }
    FreeConsole();
    return done;
}

// A GIF is made headless, which this build cannot run: refused before
// anything starts, as a bad option is.
const char* Unavailable(const player::Options& options) {
    return options.gif.empty() ? nullptr : "--gif";
}

}  // namespace

void SayToPlayer(const std::string& text, bool error) {
    if (!WriteTo(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text) &&
        !WriteToParentConsole(text)) {
        MessageBoxW(nullptr, Wide(text).c_str(), L"Velmora",
                    MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    }
}

void SayAndEnd(const std::string& text, bool error, UINT status) {
    SayToPlayer(text, error);
    ExitProcess(status);
}

namespace {

player::Options ReadOptions() {
    player::Options options;
    std::string error;
    if (!player::ParseOptions(Arguments(), &options, &error)) {
        SayAndEnd(std::string(kProgram) + ": " + error + " (see '" + kProgram + " --help')\n", true,
                  2);
    }
    if (options.help || options.version) {
        SayAndEnd(options.help ? player::UsageText(kProgram) : player::VersionText(), false, 0);
    }
    if (const char* option = Unavailable(options)) {
        SayAndEnd(std::string(kProgram) + ": " + option + " is not available on Windows yet\n",
                  true, 2);
    }
    return options;
}

}  // namespace

const player::Options& RunOptions() {
    static const player::Options options = ReadOptions();
    return options;
}

// Before WinMain, as the C runtime starts the program: a bad command line
// ends the run before any window opens.
[[maybe_unused]] const bool g_optionsRead = (RunOptions(), true);

}  // namespace vplat::windows
