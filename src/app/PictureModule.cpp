// The toolkit's picture decoders as a module the command-line tool opens only when a
// picture needs them, so its other runs start without the window system's libraries.
#include <wx/init.h>

#include "app/PictureFile.h"

namespace {
bool g_started = false;
}

extern "C" __attribute__((visibility("default"))) void PlotsnapReadPictureWithToolkit(const std::string& path,
                                                                                       PictureMatrix& out) {
    static const bool started = g_started = [] {
        // Never ended: at exit the toolkit's own statics may already be gone, and the
        // thread that started it (a batch worker) may be too.
        static const auto* toolkit = new wxInitializer;
        if (!toolkit->IsOk()) return false;
        InstallPictureHandlers();
        return true;
    }();
    out = PictureMatrix();
    out.message = kUnreadableMessage;
    if (!started) return;
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

// The decoders are freed while the toolkit's lists of them still exist: at exit those
// lists go first.
extern "C" __attribute__((visibility("default"))) void PlotsnapEndToolkit() {
    if (g_started) wxImage::CleanUpHandlers();
}
