// The header reader on arbitrary bytes: it must never read past them, loop for
// long, or state a size the verdict then mishandles.
#include <sstream>

#include "app/image_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (const auto header = ReadImageHeader(in)) {
        const SizeVerdict verdict = CheckImageSize(*header);
        if (verdict == SizeVerdict::Ok && !ImageSizeAcceptable(header->width, header->height)) __builtin_trap();
    }
    return 0;
}
