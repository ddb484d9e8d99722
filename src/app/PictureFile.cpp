#include "app/PictureFile.h"

#include <wx/filefn.h>
#include <wx/log.h>

#include <new>

#include "app/common.h"
#include "app/image_header.h"

namespace {
std::string TooLargeMessage(long long w, long long h) {
    return "The picture is too large to open (" + std::to_string(w) + " x " + std::to_string(h) +
           " pixels; at most " + std::to_string(kMaxImagePixels / 1000000) + " megapixels can be opened)";
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
