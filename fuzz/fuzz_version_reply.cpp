// The update server's reply: whatever it sends, reading and wording it stays sound.
#include "ui/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    if (const auto v = ParseServerVersion(reply)) {
        CompareVersion(*v);
        if (FormatVersion(*v).empty() || NewerVersionText(*v).empty()) __builtin_trap();
    }
    return 0;
}
