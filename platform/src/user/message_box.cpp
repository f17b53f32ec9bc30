// MessageBoxA: shown by the back end, kept for tests, always answered OK
// (the only button this program asks for).
#include <vector>

#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat {
namespace {

std::vector<MessageBoxRecord> g_messageBoxes;

}  // namespace

std::vector<MessageBoxRecord> MessageBoxes() {
    return g_messageBoxes;
}

namespace user {

void ResetMessageBoxes() {
    g_messageBoxes.clear();
}

}  // namespace user
}  // namespace vplat

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string shownText = text ? text : "";
    // Windows puts "Error" on a box given no caption.
    std::string shownCaption = caption ? caption : "Error";
    auto args = [&] {
        return vplat::internal::Format("owner=%p text=\"%.200s\" caption=\"%.100s\" type=0x%x",
                                       static_cast<void*>(owner), shownText.c_str(),
                                       shownCaption.c_str(), type);
    };
    return vplat::entry::RunThen(
        vplat::entry::Name::MessageBoxA, args, []() -> int { return IDOK; },
        [&](int answer) -> int {
            vplat::g_messageBoxes.push_back({shownText, shownCaption, type});
            vplat::internal::ShowMessageBox(shownText, shownCaption);
            return answer;
        });
}
