// Back to a freshly started process, for GDI.
#include "gdi/gdi.h"
#include "internal.h"

namespace vplat::internal {

void ResetGdi() {
    gdi::ResetDcs();
    gdi::ResetObjects();
}

}  // namespace vplat::internal
