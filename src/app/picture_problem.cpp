#include "app/picture_problem.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

struct Signature {
    size_t offset;
    const char* bytes;
    size_t length;
    const char* format;
    bool decoded;  // by our readers
};

// First bytes of the formats the toolkit's handlers read, and of picture formats
// people save charts in that they do not.
const Signature kSignatures[] = {
    {0, "\x89PNG\r\n\x1a\n", 8, "PNG", true},
    {0, "\xff\xd8\xff", 3, "JPEG", true},
    {0, "GIF87a", 6, "GIF", true},
    {0, "GIF89a", 6, "GIF", true},
    {0, "II*\0", 4, "TIFF", true},
    {0, "MM\0*", 4, "TIFF", true},
    {0, "BM", 2, "BMP", true},
    {0, "\0\0\1\0", 4, "ICO", true},
    {0, "\0\0\2\0", 4, "CUR", true},
    {8, "ACON", 4, "ANI", true},
    {8, "ILBM", 4, "IFF", true},
    {0, "/* XPM */", 9, "XPM", true},
    {8, "WEBP", 4, "WebP", false},
    {4, "ftypavif", 8, "AVIF", false},
    {4, "ftypheic", 8, "HEIC", false},
    {4, "ftypheix", 8, "HEIC", false},
    {4, "ftypmif1", 8, "HEIF", false},
    {0, "\0\0\0\x0cjP  ", 8, "JPEG 2000", false},
    {0, "\xff\x4f\xff\x51", 4, "JPEG 2000", false},
    {0, "\xff\x0a", 2, "JPEG XL", false},
    {0, "\0\0\0\x0cJXL ", 8, "JPEG XL", false},
    {0, "8BPS", 4, "Photoshop", false},
    {0, "%PDF", 4, "PDF", false},
    {0, "%!PS", 4, "PostScript", false},
    {0, "v/1\x01", 4, "OpenEXR", false},
    {0, "qoif", 4, "QOI", false},
    {0, "<svg", 4, "SVG", false},
};

bool Matches(const std::string& head, const Signature& s) {
    return head.size() >= s.offset + s.length && head.compare(s.offset, s.length, s.bytes, s.length) == 0;
}

}  // namespace

PictureProblem ClassifyUnreadableBytes(const std::string& head) {
    PictureProblem p;
    if (head.empty()) {
        p.kind = PictureProblem::Empty;
        return p;
    }
    for (const Signature& s : kSignatures)
        if (Matches(head, s)) {
            p.kind = s.decoded ? PictureProblem::Damaged : PictureProblem::Unsupported;
            p.format = s.format;
            return p;
        }
    // Portable anymap: "P1" to "P6" and a blank.
    if (head.size() >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6' && std::isspace((unsigned char)head[2])) {
        p.kind = PictureProblem::Damaged;
        p.format = "PNM";
        return p;
    }
    if (head.compare(0, 5, "<?xml") == 0 && head.find("<svg") != std::string::npos) {
        p.kind = PictureProblem::Unsupported;
        p.format = "SVG";
    }
    return p;
}

PictureProblem DiagnoseUnreadablePicture(const std::string& path) {
    PictureProblem p;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        p.kind = errno == ENOENT || errno == ENOTDIR ? PictureProblem::Missing : PictureProblem::CannotOpen;
        p.detail = std::strerror(errno);
        return p;
    }
    if (!S_ISREG(st.st_mode)) {
        p.kind = PictureProblem::NotAFile;
        return p;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        p.kind = PictureProblem::CannotOpen;
        p.detail = std::strerror(errno);
        return p;
    }
    // Enough for every signature, and for an SVG's XML prologue.
    std::string head(256, '\0');
    in.read(&head[0], std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    return ClassifyUnreadableBytes(head);
}

std::string UnreadablePictureMessage(const std::string& path, const PictureProblem& p) {
    std::string reason;
    switch (p.kind) {
    case PictureProblem::Missing: reason = "there is no such file"; break;
    case PictureProblem::NotAFile: reason = "it is a folder or a device, not a file"; break;
    case PictureProblem::CannotOpen: reason = "the file can not be opened (" + p.detail + ")"; break;
    case PictureProblem::Empty: reason = "the file is empty"; break;
    case PictureProblem::NotAPicture: reason = "it is not a picture file"; break;
    case PictureProblem::Unsupported:
        reason = "it is in " + p.format + " format, which plotsnap does not read; save it as PNG and open that";
        break;
    case PictureProblem::Damaged: reason = "the " + p.format + " picture is damaged or cut short"; break;
    }
    return "Can not read image file " + path + ": " + reason;
}
