#include "app/image_header.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "base/common.h"

namespace {
uint32_t Be16(const unsigned char* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le16(const unsigned char* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le32(const unsigned char* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

std::optional<ImageHeaderSize> Jpeg(std::ifstream& in) {
    // Walk the marker segments up to the first start-of-frame.
    in.seekg(2);
    unsigned char m[4];
    for (int guard = 0; guard < 10000 && in.read(reinterpret_cast<char*>(m), 2); ++guard) {
        if (m[0] != 0xFF) return std::nullopt;
        unsigned char marker = m[1];
        if (marker == 0xFF) { in.seekg(-1, std::ios::cur); continue; }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (!in.read(reinterpret_cast<char*>(m), 2)) return std::nullopt;
        const uint32_t len = Be16(m);
        if (len < 2) return std::nullopt;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            unsigned char f[5];
            if (!in.read(reinterpret_cast<char*>(f), 5)) return std::nullopt;
            return ImageHeaderSize{Be16(f + 3), Be16(f + 1)};
        }
        in.seekg(len - 2, std::ios::cur);
    }
    return std::nullopt;
}

std::optional<ImageHeaderSize> Tiff(std::ifstream& in, bool little) {
    auto u16 = [&](const unsigned char* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [&](const unsigned char* p) { return little ? Le32(p) : Be32(p); };
    unsigned char b[12];
    in.seekg(4);
    if (!in.read(reinterpret_cast<char*>(b), 4)) return std::nullopt;
    in.seekg(u32(b));
    if (!in.read(reinterpret_cast<char*>(b), 2)) return std::nullopt;
    const uint32_t count = u16(b);
    ImageHeaderSize size;
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        if (!in.read(reinterpret_cast<char*>(b), 12)) return std::nullopt;
        const uint32_t tag = u16(b), type = u16(b + 2);
        const uint32_t value = type == 3 ? u16(b + 8) : u32(b + 8);
        if (tag == 256) size.width = value;
        if (tag == 257) size.height = value;
    }
    if (size.width == 0 && size.height == 0) return std::nullopt;
    return size;
}
}  // namespace

std::optional<ImageHeaderSize> ReadImageHeaderSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    unsigned char h[32] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const auto got = in.gcount();
    in.clear();
    if (got >= 24 && std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0)
        return ImageHeaderSize{Be32(h + 16), Be32(h + 20)};
    if (got >= 10 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0))
        return ImageHeaderSize{Le16(h + 6), Le16(h + 8)};
    if (got >= 26 && h[0] == 'B' && h[1] == 'M') {
        const int32_t w = int32_t(Le32(h + 18)), hh = int32_t(Le32(h + 22));
        return ImageHeaderSize{w < 0 ? -(long long)w : w, hh < 0 ? -(long long)hh : hh};
    }
    if (got >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return Jpeg(in);
    if (got >= 8 && std::memcmp(h, "II*\0", 4) == 0) return Tiff(in, true);
    if (got >= 8 && std::memcmp(h, "MM\0*", 4) == 0) return Tiff(in, false);
    return std::nullopt;
}

bool ImageSizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxImagePixels / height;
}
