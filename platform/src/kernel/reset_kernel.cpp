// Back to a freshly started process, for the kernel services.
#include "kernel/kernel.h"
#include "internal.h"

namespace vplat::internal {

void ResetKernel() {
    kernel::ResetClock();
    kernel::ResetDebugOutput();
    kernel::ResetResources();
    kernel::ResetFiles();
}

}  // namespace vplat::internal
