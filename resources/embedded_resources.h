// The bitmap resources of the executable, for the Linux build: generated at
// build time from resources.rc, so both builds carry the same images. Each
// entry's data is what the resource compiler would store: the bitmap file
// without its 14-byte file header (a packed DIB).
#pragma once

#include <cstddef>

struct EmbeddedResource {
    const char* name;  // resource name as written in resources.rc
    int type;          // resource type number (2 = RT_BITMAP)
    const unsigned char* data;
    size_t size;
};

// The table of all embedded resources; *count receives its length.
const EmbeddedResource* EmbeddedResources(size_t* count);
