#include "app/image_header.h"

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <climits>
#include <fstream>
#include <set>

#include "base/common.h"

namespace {
uint32_t Be16(const unsigned char* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le16(const unsigned char* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le24(const unsigned char* p) { return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le32(const unsigned char* p) { return uint32_t(p[3]) << 24 | Le24(p); }
uint64_t Le64(const unsigned char* p) { return uint64_t(Le32(p + 4)) << 32 | Le32(p); }
uint64_t Be64(const unsigned char* p) { return uint64_t(Be32(p)) << 32 | Be32(p + 4); }

bool Read(std::istream& in, unsigned char* to, std::streamsize n) {
    return static_cast<bool>(in.read(reinterpret_cast<char*>(to), n));
}

// Pixels of a width x height image, saturating instead of overflowing.
long long Area(long long width, long long height) {
    if (width <= 0 || height <= 0) return 0;
    return width > LLONG_MAX / height ? LLONG_MAX : width * height;
}

ImageHeaderSize Single(PictureFormat format, long long width, long long height) {
    return ImageHeaderSize{format, width, height, 1, Area(width, height)};
}

std::optional<ImageHeaderSize> Jpeg(std::istream& in) {
    // Walk the marker segments up to the first start-of-frame.
    in.seekg(2);
    unsigned char m[4];
    for (int guard = 0; guard < 10000 && Read(in, m, 2); ++guard) {
        if (m[0] != 0xFF) return std::nullopt;
        const unsigned char marker = m[1];
        if (marker == 0xFF) { in.seekg(-1, std::ios::cur); continue; }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (!Read(in, m, 2)) return std::nullopt;
        const uint32_t len = Be16(m);
        if (len < 2) return std::nullopt;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            unsigned char f[5];
            if (!Read(in, f, 5)) return std::nullopt;
            return Single(PictureFormat::Jpeg, Be16(f + 3), Be16(f + 1));
        }
        in.seekg(len - 2, std::ios::cur);
    }
    return std::nullopt;
}

// Image file directories form a chain; the first one is the image that is decoded.
std::optional<ImageHeaderSize> Tiff(std::istream& in, bool little, bool big) {
    auto u16 = [&](const unsigned char* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [&](const unsigned char* p) { return little ? Le32(p) : Be32(p); };
    auto u64 = [&](const unsigned char* p) { return little ? Le64(p) : Be64(p); };
    const int entrySize = big ? 20 : 12, countSize = big ? 8 : 2, offsetSize = big ? 8 : 4;
    unsigned char b[20];
    in.seekg(big ? 8 : 4);
    if (!Read(in, b, offsetSize)) return std::nullopt;
    uint64_t offset = big ? u64(b) : u32(b);
    ImageHeaderSize size{PictureFormat::Tiff, 0, 0, 0, 0};
    std::set<uint64_t> seen;  // a chain that loops back ends there
    while (offset != 0 && seen.insert(offset).second && size.frames < 100000) {
        in.seekg(static_cast<std::streamoff>(offset));
        if (!Read(in, b, countSize)) break;
        const uint64_t count = big ? u64(b) : u16(b);
        if (count > 65535) break;
        for (uint64_t i = 0; i < count; ++i) {
            if (size.frames > 0) {
                in.seekg(static_cast<std::streamoff>((count - i) * entrySize), std::ios::cur);
                break;
            }
            if (!Read(in, b, entrySize)) return std::nullopt;
            const uint32_t tag = u16(b), type = u16(b + 2);
            const unsigned char* value = b + (big ? 12 : 8);
            const uint64_t v = std::min<uint64_t>(type == 3 ? u16(value) : type == 16 ? u64(value) : u32(value), 1ull << 40);
            if (tag == 256) size.width = static_cast<long long>(v);
            if (tag == 257) size.height = static_cast<long long>(v);
        }
        ++size.frames;
        if (!Read(in, b, offsetSize)) break;
        offset = big ? u64(b) : u32(b);
    }
    if (size.frames == 0) return std::nullopt;
    size.decodedPixels = Area(size.width, size.height);
    return size;
}

// Every frame states its size in its descriptor; the decoder keeps all of them.
std::optional<ImageHeaderSize> Gif(std::istream& in, const unsigned char* h) {
    ImageHeaderSize size{PictureFormat::Gif, 0, 0, 0, 0};
    in.seekg(13 + ((h[10] & 0x80) ? 3 << ((h[10] & 7) + 1) : 0));
    auto skipSubBlocks = [&] {
        unsigned char n = 0;
        while (Read(in, &n, 1) && n) in.seekg(n, std::ios::cur);
        return static_cast<bool>(in);
    };
    unsigned char b[10];
    while (Read(in, b, 1) && b[0] != 0x3B) {
        if (b[0] == 0x21) {
            if (!Read(in, b, 1) || !skipSubBlocks()) break;
        } else if (b[0] == 0x2C) {
            if (!Read(in, b, 9)) break;
            const long long w = Le16(b + 4), hh = Le16(b + 6);
            if (w * hh >= size.width * size.height) size.width = w, size.height = hh;
            size.decodedPixels = std::min(size.decodedPixels + w * hh, LLONG_MAX / 2);
            ++size.frames;
            if (b[8] & 0x80) in.seekg(3 << ((b[8] & 7) + 1), std::ios::cur);
            if (!Read(in, b, 1) || !skipSubBlocks()) break;  // code size, then the data
        } else {
            break;  // damaged; the decoder stops here too
        }
    }
    if (size.frames == 0) return std::nullopt;
    return size;
}

// "P1".."P6", then width, height and (but for the bitmaps P1 and P4) the largest sample
// value as decimal text, with comments allowed between. The toolkit's decoder divides
// by that value, so a missing or zero one is refused here.
std::optional<ImageHeaderSize> Pnm(std::istream& in, char kind) {
    in.seekg(2);
    const bool bitmap = kind == '1' || kind == '4';
    long long value[3] = {0, 0, 0};
    for (int i = 0; i < (bitmap ? 2 : 3); ++i) {
        int c = in.get();
        for (;;) {
            if (c == '#')
                while (c != EOF && c != '\n' && c != '\r') c = in.get();
            else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
                c = in.get();
            else
                break;
        }
        if (c < '0' || c > '9') return std::nullopt;
        for (; c >= '0' && c <= '9'; c = in.get()) value[i] = std::min(value[i] * 10 + (c - '0'), 1LL << 40);
        // Each field ends in white space; the toolkit's reader takes "1;255" otherwise.
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') return std::nullopt;
    }
    if (!bitmap && (value[2] < 1 || value[2] > 65535)) return std::nullopt;
    return Single(PictureFormat::Pnm, value[0], value[1]);
}

std::optional<ImageHeaderSize> WebP(const unsigned char* h, std::streamsize got) {
    if (got >= 30 && std::memcmp(h + 12, "VP8 ", 4) == 0 && std::memcmp(h + 23, "\x9d\x01\x2a", 3) == 0)
        return Single(PictureFormat::WebP, Le16(h + 26) & 0x3FFF, Le16(h + 28) & 0x3FFF);
    if (got >= 25 && std::memcmp(h + 12, "VP8L", 4) == 0 && h[20] == 0x2F) {
        const uint32_t bits = Le32(h + 21);
        return Single(PictureFormat::WebP, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (got >= 30 && std::memcmp(h + 12, "VP8X", 4) == 0)
        return Single(PictureFormat::WebP, Le24(h + 24) + 1LL, Le24(h + 27) + 1LL);
    return std::nullopt;
}
}  // namespace

std::optional<ImageHeaderSize> ReadImageHeader(std::istream& in) {
    unsigned char h[32] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const std::streamsize got = in.gcount();
    in.clear();
    if (got >= 24 && std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0)
        return Single(PictureFormat::Png, Be32(h + 16), Be32(h + 20));
    if (got >= 13 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0)) return Gif(in, h);
    if (got >= 26 && h[0] == 'B' && h[1] == 'M') {
        if (Le32(h + 14) == 12)  // OS/2 1.x core header: unsigned 16-bit sizes
            return Single(PictureFormat::Bmp, Le16(h + 18), Le16(h + 20));
        const int32_t w = int32_t(Le32(h + 18)), hh = int32_t(Le32(h + 22));
        return Single(PictureFormat::Bmp, w < 0 ? -(long long)w : w, hh < 0 ? -(long long)hh : hh);
    }
    if (got >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return Jpeg(in);
    if (got >= 8 && std::memcmp(h, "II*\0", 4) == 0) return Tiff(in, true, false);
    if (got >= 8 && std::memcmp(h, "MM\0*", 4) == 0) return Tiff(in, false, false);
    if (got >= 16 && std::memcmp(h, "II+\0\x08\0\0\0", 8) == 0) return Tiff(in, true, true);
    if (got >= 16 && std::memcmp(h, "MM\0+\0\x08\0\0", 8) == 0) return Tiff(in, false, true);
    if (got >= 3 && h[0] == 'P' && h[1] >= '1' && h[1] <= '6') return Pnm(in, char(h[1]));
    if (got >= 16 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WEBP", 4) == 0) return WebP(h, got);
    // PCX: manufacturer 10, a known version, run-length encoding; the box is inclusive.
    if (got >= 12 && h[0] == 0x0A && (h[1] <= 5 && h[1] != 1) && h[2] == 1)
        return Single(PictureFormat::Pcx, int(Le16(h + 8)) - int(Le16(h + 4)) + 1LL,
                      int(Le16(h + 10)) - int(Le16(h + 6)) + 1LL);
    // TGA has no signature: a colour-map flag, a known image type and pixel depth.
    if (got >= 18 && h[1] <= 1 && (h[2] == 1 || h[2] == 2 || h[2] == 3 || h[2] == 9 || h[2] == 10 || h[2] == 11) &&
        (h[16] == 8 || h[16] == 15 || h[16] == 16 || h[16] == 24 || h[16] == 32))
        return Single(PictureFormat::Tga, Le16(h + 12), Le16(h + 14));
    return std::nullopt;
}

std::optional<ImageHeaderSize> ReadImageHeaderSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return ReadImageHeader(in);
}

bool ImageSizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxImagePixels / height;
}

SizeVerdict CheckImageSize(const ImageHeaderSize& size) {
    if (size.width <= 0 || size.height <= 0) return SizeVerdict::Empty;
    if (!ImageSizeAcceptable(size.width, size.height) || size.decodedPixels > kMaxImagePixels)
        return SizeVerdict::TooLarge;
    return SizeVerdict::Ok;
}
