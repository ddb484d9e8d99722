#include "app/PictureFile.h"

#include <wx/filefn.h>
#include <wx/log.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <new>
#include <thread>

#include "base/common.h"
#include "app/image_header.h"

std::string TooLargeMessage(long long w, long long h) {
    return "The picture is too large to open (" + std::to_string(w) + " x " + std::to_string(h) +
           " pixels; at most " + std::to_string(kMaxImagePixels / 1000000) + " megapixels can be opened)";
}

namespace {
// PNG, JPEG and TIFF go to their long-hardened reference libraries; every other format is
// decoded by the toolkit's own code, which a malformed file can crash (a damaged GIF does).
bool DecodedByHardenedLibrary(const wxString& path) {
    unsigned char h[4] = {};
    std::ifstream(path.ToStdString(wxConvUTF8), std::ios::binary).read(reinterpret_cast<char*>(h), 4);
    return std::memcmp(h, "\x89PNG", 4) == 0 || (h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) ||
           std::memcmp(h, "II*\0", 4) == 0 || std::memcmp(h, "MM\0*", 4) == 0;
}

// Decodes the file once in a child process: if the decoder crashes or hangs on it, only
// the child is lost and the file is refused as unreadable.
bool DecodesInChild(const wxString& path) {
    const pid_t pid = fork();
    if (pid < 0) return true;  // cannot probe; the real decode still guards what it can
    if (pid == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, STDERR_FILENO);
        alarm(30);
        wxImage probe;
        const bool ok = wxImage::GetImageCount(path) >= 0 && probe.LoadFile(path, wxBITMAP_TYPE_ANY, -1) && probe.IsOk();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}  // namespace

void FlattenAlphaOnWhite(wxImage& img) {
    if (!img.IsOk() || !img.HasAlpha()) return;
    unsigned char* rgb = img.GetData();
    const unsigned char* alpha = img.GetAlpha();
    const size_t n = size_t(img.GetWidth()) * img.GetHeight();
    for (size_t i = 0; i < n; ++i) {
        const unsigned a = alpha[i];
        for (int c = 0; c < 3; ++c)
            rgb[3 * i + c] = (unsigned char)((rgb[3 * i + c] * a + 255 * (255 - a) + 127) / 255);
    }
    img.ClearAlpha();
}

cv::Mat MatrixFromImage(const wxImage& img) {
    if (!img.IsOk() || img.GetWidth() <= 0 || img.GetHeight() <= 0) return cv::Mat();
    return cv::Mat(img.GetHeight(), img.GetWidth(), CV_8UC3, img.GetData()).clone();
}

PictureRead ReadPictureFile(const wxString& path) {
    PictureRead r;
    r.message = kUnreadableMessage;
    // Our own message replaces the decoders' error reports.
    wxLogNull quiet;
    if (!wxFileExists(path) || !wxImage::CanRead(path)) return r;
    if (const auto header = ReadImageHeaderSize(path.ToStdString(wxConvUTF8))) {
        if (!ImageSizeAcceptable(header->width, header->height)) {
            r.status = PictureRead::TooLarge;
            r.message = TooLargeMessage(header->width, header->height);
            return r;
        }
    }
    if (!DecodedByHardenedLibrary(path) && !DecodesInChild(path)) return r;
    r.frameCount = wxImage::GetImageCount(path);
    try {
        if (!r.image.LoadFile(path, wxBITMAP_TYPE_ANY, -1) || !r.image.IsOk()) return r;
    } catch (const std::bad_alloc&) {
        return r;
    }
    if (!ImageSizeAcceptable(r.image.GetWidth(), r.image.GetHeight())) {
        r.status = PictureRead::TooLarge;
        r.message = TooLargeMessage(r.image.GetWidth(), r.image.GetHeight());
        r.image = wxImage();
        return r;
    }
    if (r.image.HasMask()) {
        r.hadMask = true;
        r.image.Replace(r.image.GetMaskRed(), r.image.GetMaskGreen(), r.image.GetMaskBlue(), 255, 255, 255);
        r.image.SetMask(false);
    }
    FlattenAlphaOnWhite(r.image);
    r.status = PictureRead::Ok;
    r.message.clear();
    return r;
}
