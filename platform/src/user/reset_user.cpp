// Back to a freshly started process, for the user services.
#include "internal.h"
#include "user/user.h"

namespace vplat::internal {

void ResetUser() {
    user::ResetQueue();
    user::ResetActivation();
    user::ResetWindows();
    user::ResetClasses();
    user::ResetKeyboard();
    user::ResetCursor();
    user::ResetMessageBoxes();
}

}  // namespace vplat::internal
