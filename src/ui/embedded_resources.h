#pragma once
// Artwork compiled into the program (PNG bytes), found by resource name.
#include <cstddef>

struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// nullptr when no resource of that name exists.
const EmbeddedResource* FindEmbeddedResource(const char* name);
