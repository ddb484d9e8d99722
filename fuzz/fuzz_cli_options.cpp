// The command line: arguments are the input split at zero bytes. Parsing never
// throws, and a run it accepts carries a picture path.
#include <string>
#include <vector>

#include "cli/cli_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back() += char(data[i]);
    }
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (parsed.outcome == ParsedCommandLine::Run && parsed.options.imagePath.empty()) __builtin_trap();
    if (parsed.outcome == ParsedCommandLine::UsageError && parsed.error.empty()) __builtin_trap();
    return 0;
}
