// Project files: whatever the bytes, reading checks them whole; a project it accepts
// saves and reads back as the same project.
#include "document/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ProjectRead read = ProjectFromText(std::string(reinterpret_cast<const char*>(data), size));
    if (!read.project) {
        if (read.message.empty()) __builtin_trap();
        return 0;
    }
    const ProjectRead again = ProjectFromText(ProjectToText(*read.project));
    if (!again.project || ProjectToText(*again.project) != ProjectToText(*read.project)) __builtin_trap();
    return 0;
}
