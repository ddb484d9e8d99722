#include "app/picture_read.h"

#include <sys/stat.h>

#include "app/picture_decode.h"
#include "base/common.h"

std::string TooLargeMessage(long long w, long long h) {
    return "The picture is too large to open (" + std::to_string(w) + " x " + std::to_string(h) +
           " pixels; at most " + std::to_string(kMaxImagePixels / 1000000) + " megapixels can be opened)";
}

void RefusePictureSize(PictureOutcome& r, long long width, long long height) {
    // Headers may state sizes whose product overflows, so only the sides are judged here.
    if (width <= 0 || height <= 0) {
        r.status = PictureOutcome::Empty;
        r.message = kEmptyMessage;
    } else {
        r.status = PictureOutcome::TooLarge;
        r.message = TooLargeMessage(width, height);
    }
}

std::optional<ImageHeaderSize> CheckPictureFile(const std::string& path, PictureOutcome& r) {
    r.status = PictureOutcome::Unreadable;
    r.message = kUnreadableMessage;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    const auto header = ReadImageHeaderSize(path);
    if (!header) return std::nullopt;
    const SizeVerdict verdict = CheckImageSize(*header);
    if (verdict == SizeVerdict::Ok) {
        r.frameCount = header->frames;
        return header;
    }
    if (verdict == SizeVerdict::TooLarge && ImageSizeAcceptable(header->width, header->height)) {
        r.status = PictureOutcome::TooLarge;  // each frame fits, all of them together do not
        r.message = TooLargeMessage(header->width, header->height) + ": " + std::to_string(header->frames) +
                    " frames, " + std::to_string(header->decodedPixels) + " pixels in all";
    } else {
        RefusePictureSize(r, header->width, header->height);
    }
    return std::nullopt;
}

PictureMatrix ReadPictureMatrix(const std::string& path, const ToolkitPictureReader& toolkit) {
    PictureMatrix r;
    const auto header = CheckPictureFile(path, r);
    if (!header) return r;
    const PictureDecode decoded = DecodePictureFile(path, header->format, [&r](int w, int h) {
        r.picture.create(h, w, CV_8UC3);
        return r.picture.data;
    });
    if (decoded == PictureDecode::Declined) {
        if (!toolkit) return r;
        try {
            return toolkit(path);
        } catch (...) {
            return r;
        }
    }
    if (decoded == PictureDecode::Failed) {
        r.picture.release();
        return r;
    }
    r.status = PictureOutcome::Ok;
    r.message.clear();
    return r;
}
