// Picture reading as Open does it: every toolkit decoder behind its child-process probe,
// so a crash here is ours. PLOTSNAP_FUZZ_TOOLKIT=1 decodes in process all but the
// decoders already known to crash, to look for new faults in the toolkit's own code.
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/PictureFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        static wxInitializer toolkit;
        InstallPictureHandlers();
        return "/tmp/plotsnap-fuzz-picture-" + std::to_string(getpid());
    }();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    static const PictureProbe probe =
        std::getenv("PLOTSNAP_FUZZ_TOOLKIT") ? PictureProbe::KnownCrashingDecoders : PictureProbe::ToolkitDecoders;
    const PictureRead read = ReadPictureFile(wxString::FromUTF8(path), probe);
    if (read.status == PictureRead::Ok) MatrixFromImage(read.image);
    return 0;
}
