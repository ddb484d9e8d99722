#include "cli/toolkit_pictures.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using ToolkitRead = void (*)(const std::string& path, PictureMatrix& out);
using ToolkitEnd = void (*)();
ToolkitEnd g_start = nullptr, g_end = nullptr;

// Beside the program (the build tree), where installing puts it relative to the
// program (an installation moved as a whole), then where it was configured to go.
std::vector<std::string> ModulePlaces() {
    std::vector<std::string> places;
    std::vector<char> exe(4096);
    const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n > 0) {
        std::string dir(exe.data(), size_t(n));
        dir.erase(dir.find_last_of('/') + 1);
        places.push_back(dir + PLOTSNAP_PICTURE_MODULE);
        places.push_back(dir + PLOTSNAP_MODULE_FROM_BIN + "/" + PLOTSNAP_PICTURE_MODULE);
    }
    places.push_back(std::string(PLOTSNAP_MODULE_DIR) + "/" + PLOTSNAP_PICTURE_MODULE);
    return places;
}

ToolkitRead OpenModule() {
    std::string why;
    for (const std::string& place : ModulePlaces()) {
        // Kept open: the toolkit it starts lives until the process ends.
        if (void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            auto read = reinterpret_cast<ToolkitRead>(dlsym(module, "PlotsnapReadPictureWithToolkit"));
            g_start = reinterpret_cast<ToolkitEnd>(dlsym(module, "PlotsnapStartToolkit"));
            g_end = reinterpret_cast<ToolkitEnd>(dlsym(module, "PlotsnapEndToolkit"));
            if (read && g_start && g_end) return read;
        }
        if (const char* error = dlerror()) why = error;
    }
    std::fprintf(stderr, "plotsnap-cli: the picture decoders for this format could not be loaded (%s)\n", why.c_str());
    return nullptr;
}

ToolkitRead Module() {
    static const ToolkitRead read = OpenModule();
    return read;
}

PictureMatrix ReadWithToolkit(const std::string& path) {
    const ToolkitRead read = Module();
    PictureMatrix r;
    r.message = kUnreadableMessage;
    if (!read) return r;
    // The toolkit's decoders share its handler list; one picture at a time.
    static std::mutex oneAtATime;
    std::lock_guard<std::mutex> lock(oneAtATime);
    read(path, r);
    return r;
}

}  // namespace

PictureMatrix ReadPictureForCli(const std::string& path) { return ReadPictureMatrix(path, ReadWithToolkit); }

void StartToolkitPictures() {
    if (Module()) g_start();
}

void EndToolkitPictures() {
    if (g_end) g_end();
}
