// Picture reading as Open does it, decoders in process (only the toolkit's GIF and
// PNM decoders, which are known to crash, stay behind their child-process probe).
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
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
    const PictureRead read = ReadPictureFile(wxString::FromUTF8(path), PictureProbe::KnownCrashingDecoders);
    if (read.status == PictureRead::Ok) MatrixFromImage(read.image);
    return 0;
}
