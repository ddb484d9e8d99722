// The toolkit's picture decoders as a module the command-line tool opens only when a
// picture needs them, so its other runs start without the window system's libraries.
#include <wx/init.h>

#include "app/PictureFile.h"

namespace {
wxInitializer* g_toolkit = nullptr;

// The toolkit takes the thread that starts it for its main thread, and must be ended
// on that same thread: the caller starts it on its own main thread before any other
// thread reads a picture.
bool Start() {
    static const bool started = [] {
        // Ended by PlotsnapEndToolkit, not at exit, when the toolkit's own statics may
        // already be gone.
        g_toolkit = new wxInitializer;
        if (!g_toolkit->IsOk()) return false;
        InstallPictureHandlers();
        return true;
    }();
    return started;
}
}  // namespace

extern "C" __attribute__((visibility("default"))) void PlotsnapStartToolkit() { Start(); }

extern "C" __attribute__((visibility("default"))) void PlotsnapReadPictureWithToolkit(const std::string& path,
                                                                                       PictureMatrix& out) {
    out = PictureMatrix();
    out.message = kUnreadableMessage;
    if (!Start()) return;
    const wxString name(path.c_str(), *wxConvFileName);
    if (name.empty() && !path.empty()) return;
    PictureRead read = ReadPictureFile(name);
    static_cast<PictureOutcome&>(out) = read;
    if (read.status == PictureOutcome::Ok) out.picture = MatrixFromImage(read.image);
    if (read.status == PictureOutcome::Ok && out.picture.empty()) {
        out.status = PictureOutcome::Unreadable;
        out.message = kUnreadableMessage;
    }
}

// Ends the toolkit while its own statics still exist; no picture may be in reading.
extern "C" __attribute__((visibility("default"))) void PlotsnapEndToolkit() {
    delete g_toolkit;
    g_toolkit = nullptr;
}
