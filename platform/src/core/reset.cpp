// Back to the state of a freshly started process, service by service.
#include "internal.h"

namespace vplat {

void ResetPlatform() {
    // DirectDraw first: its surfaces hold GDI device contexts.
    internal::ResetDdraw();
    internal::ResetBackend();
    internal::ResetUser();
    internal::ResetGdi();
    internal::ResetKernel();
    ClearFaults();
    ClearJournal();
    EnableJournal(false);
}

}  // namespace vplat
