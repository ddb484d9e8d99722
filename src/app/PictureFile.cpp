#include "app/PictureFile.h"

#include <wx/filefn.h>
#include <wx/log.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include <webp/decode.h>

#include "base/common.h"
#include "app/image_header.h"
#include "app/picture_decode.h"

namespace {
// WebP, common for figures saved from web pages, is decoded by libwebp.
const wxBitmapType kWebPType = static_cast<wxBitmapType>(wxBITMAP_TYPE_MAX);

class WebPHandler : public wxImageHandler {
public:
    WebPHandler() {
        SetName("WebP file");
        SetExtension("webp");
        SetType(kWebPType);
        SetMimeType("image/webp");
    }
    bool LoadFile(wxImage* image, wxInputStream& stream, bool, int) override {
        std::vector<uint8_t> bytes;
        char chunk[65536];
        while (stream.Read(chunk, sizeof chunk).LastRead() > 0)
            bytes.insert(bytes.end(), chunk, chunk + stream.LastRead());
        int w = 0, h = 0;
        if (!WebPGetInfo(bytes.data(), bytes.size(), &w, &h) || !ImageSizeAcceptable(w, h)) return false;
        uint8_t* rgba = WebPDecodeRGBA(bytes.data(), bytes.size(), &w, &h);
        if (!rgba) return false;
        image->Create(w, h, false);
        image->SetAlpha();
        unsigned char* rgb = image->GetData();
        unsigned char* alpha = image->GetAlpha();
        for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) {
            std::memcpy(rgb + 3 * i, rgba + 4 * i, 3);
            alpha[i] = rgba[4 * i + 3];
        }
        WebPFree(rgba);
        return true;
    }

protected:
    bool DoCanRead(wxInputStream& stream) override {
        char h[12] = {};
        return stream.Read(h, 12).LastRead() == 12 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WEBP", 4) == 0;
    }
};

wxBitmapType DecoderOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png: return wxBITMAP_TYPE_PNG;
        case PictureFormat::Jpeg: return wxBITMAP_TYPE_JPEG;
        case PictureFormat::Bmp: return wxBITMAP_TYPE_BMP;
        case PictureFormat::Gif: return wxBITMAP_TYPE_GIF;
        case PictureFormat::Tiff: return wxBITMAP_TYPE_TIFF;
        case PictureFormat::Pnm: return wxBITMAP_TYPE_PNM;
        case PictureFormat::Pcx: return wxBITMAP_TYPE_PCX;
        case PictureFormat::Tga: return wxBITMAP_TYPE_TGA;
        case PictureFormat::WebP: return kWebPType;
    }
    return wxBITMAP_TYPE_INVALID;
}

// PNG, JPEG, TIFF and WebP go to their long-hardened reference libraries; every other
// format is decoded by the toolkit's own code, which a malformed file can crash (a
// damaged GIF, PNM or TGA does).
bool NeedsProbe(PictureFormat format, PictureProbe probe) {
    if (probe == PictureProbe::KnownCrashingDecoders) return format == PictureFormat::Gif || format == PictureFormat::Pnm || format == PictureFormat::Tga;
    return format != PictureFormat::Png && format != PictureFormat::Jpeg && format != PictureFormat::Tiff &&
           format != PictureFormat::WebP;
}

// Decodes the file once in a child process: if the decoder crashes or hangs on it, only
// the child is lost and the file is refused as unreadable.
bool DecodesInChild(const wxString& path, wxBitmapType type) {
    const pid_t pid = fork();
    if (pid < 0) return true;  // cannot probe; the real decode still guards what it can
    if (pid == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, STDERR_FILENO);
        alarm(30);
        wxImage probe;
        _exit(probe.LoadFile(path, type, -1) && probe.IsOk() ? 0 : 1);
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

void InstallPictureHandlers() {
    // Only formats whose size can be read before decoding (BMP is always present).
    const auto add = [](wxImageHandler* handler) {
        if (wxImage::FindHandler(handler->GetType())) delete handler;
        else wxImage::AddHandler(handler);
    };
    add(new wxPNGHandler);
    add(new wxJPEGHandler);
    add(new wxGIFHandler);
    add(new wxTIFFHandler);
    add(new wxPNMHandler);
    add(new wxPCXHandler);
    add(new wxTGAHandler);
    add(new WebPHandler);
}

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

PictureRead ReadPictureFile(const wxString& path, PictureProbe probe) {
    PictureRead r;
    // Our own message replaces the decoders' error reports.
    wxLogNull quiet;
    const std::string file = path.ToStdString(wxConvUTF8);
    const auto header = CheckPictureFile(file, r);
    if (!header) return r;
    // Straight into the image's own buffer: the picture is held once.
    const PictureDecode decoded = DecodePictureFile(file, header->format, [&r](int w, int h) {
        if (!r.image.Create(w, h, false)) throw std::bad_alloc();
        return r.image.GetData();
    });
    if (decoded == PictureDecode::Decoded) {
        r.status = PictureRead::Ok;
        r.message.clear();
        return r;
    }
    r.image = wxImage();
    if (decoded == PictureDecode::Failed) return r;
    const wxBitmapType type = DecoderOf(header->format);
    if (!wxImage::FindHandler(type)) return r;
    if (NeedsProbe(header->format, probe) && !DecodesInChild(path, type)) return r;
    try {
        if (!r.image.LoadFile(path, type, -1) || !r.image.IsOk()) return r;
    } catch (const std::bad_alloc&) {
        return r;
    }
    if (!ImageSizeAcceptable(r.image.GetWidth(), r.image.GetHeight())) {
        RefusePictureSize(r, r.image.GetWidth(), r.image.GetHeight());
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
