// PNG and JPEG are read by the core decoders in both the window and the command-line
// tool; they must give the bytes the toolkit's own decoders give, for every layout.
#include <gtest/gtest.h>

#include <png.h>
#include <wx/filename.h>
#include <wx/image.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/PictureFile.h"
#include "app/picture_decode.h"
#include "support/jpeg_file.h"

namespace {

struct PngCase {
    const char* name;
    int colourType, depth;
    bool transparencyKey;
    bool interlaced;
};

// A 7 x 5 picture whose samples run through every value; alpha goes 0, 255 and
// between, grey and palette keys mark some pixels see-through.
void WritePng(const std::string& path, const PngCase& c) {
    const int w = 7, h = 5;
    FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, c.depth, c.colourType, c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const bool palette = c.colourType == PNG_COLOR_TYPE_PALETTE;
    if (palette) {
        png_color colours[16];
        for (int i = 0; i < 16; ++i) colours[i] = {png_byte(i * 16), png_byte(255 - i * 10), png_byte(i * 7)};
        png_set_PLTE(png, info, colours, 1 << std::min(c.depth, 4));
        png_byte alpha[3] = {0, 128, 255};
        if (c.transparencyKey) png_set_tRNS(png, info, alpha, 3, nullptr);
    } else if (c.transparencyKey) {
        png_color_16 key{};
        key.red = key.green = key.blue = key.gray = 3;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info), bytes = c.depth == 16 ? 2 : 1;
    std::vector<std::vector<png_byte>> rows(h, std::vector<png_byte>(size_t(w) * channels * bytes + 1));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * channels * bytes; ++i) {
            int v = (i * 37 + y * 91 + (i + y) % 5 * 3) % 256;
            if (palette) v %= 16;
            if (c.depth < 8) {
                if (i >= w) break;
                const int bit = i * c.depth;
                rows[y][bit / 8] |= png_byte(((i + y) % (1 << c.depth)) << (8 - c.depth - bit % 8));
            } else {
                rows[y][i] = png_byte(v);
            }
        }
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

void WriteJpeg(const std::string& path, const JpegLayout& layout) {
    WriteJpeg(path, 37, 23, layout, [&](int y, JSAMPLE* row) {
        for (size_t i = 0; i < 37 * size_t(layout.components); ++i) row[i] = JSAMPLE((i * 29 + size_t(y) * 53) % 256);
    });
}

// The toolkit's own reading, flattened on white as the program flattens it.
std::vector<unsigned char> ToolkitBytes(const std::string& path, wxBitmapType type) {
    wxImage image;
    if (!image.LoadFile(path, type)) return {};
    FlattenAlphaOnWhite(image);
    return {image.GetData(), image.GetData() + size_t(image.GetWidth()) * image.GetHeight() * 3};
}

PictureDecode CoreDecode(const std::string& path, PictureFormat format, std::vector<unsigned char>& bytes) {
    return DecodePictureFile(path, format, [&bytes](int w, int h) {
        bytes.assign(size_t(w) * h * 3, 0);
        return bytes.data();
    });
}

}  // namespace

TEST(PictureDecoders, CoreBytesAreTheToolkitsForEveryLayoutAndCmykIsLeftToIt) {
    const PngCase png[] = {
        {"rgb", PNG_COLOR_TYPE_RGB, 8, false, false},         {"rgb, colour key", PNG_COLOR_TYPE_RGB, 8, true, false},
        {"rgb 16-bit", PNG_COLOR_TYPE_RGB, 16, false, false}, {"rgba", PNG_COLOR_TYPE_RGBA, 8, false, false},
        {"rgba 16-bit", PNG_COLOR_TYPE_RGBA, 16, false, false},
        {"rgba interlaced", PNG_COLOR_TYPE_RGBA, 8, false, true}, {"grey", PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey, key", PNG_COLOR_TYPE_GRAY, 8, true, false},   {"grey 16-bit", PNG_COLOR_TYPE_GRAY, 16, false, false},
        {"grey 1-bit", PNG_COLOR_TYPE_GRAY, 1, false, false}, {"grey 4-bit", PNG_COLOR_TYPE_GRAY, 4, false, false},
        {"grey alpha", PNG_COLOR_TYPE_GA, 8, false, false},   {"grey alpha 16", PNG_COLOR_TYPE_GA, 16, false, false},
        {"palette", PNG_COLOR_TYPE_PALETTE, 8, false, false}, {"palette 1-bit", PNG_COLOR_TYPE_PALETTE, 1, false, false},
        {"palette alpha", PNG_COLOR_TYPE_PALETTE, 8, true, false},  // interlacing is the same for any layout
    };
    const std::pair<const char*, JpegLayout> jpeg[] = {{"rgb 4:2:0", {3, JCS_RGB, 2, false}}, {"rgb 4:4:4", {3, JCS_RGB, 1, false}},
                                                       {"progressive", {3, JCS_RGB, 2, true}}, {"grey", {1, JCS_GRAYSCALE, 1, false}}};
    const std::string path = wxFileName::CreateTempFileName("plotsnap-picture").ToStdString();
    const auto same = [&](PictureFormat format, wxBitmapType type, const char* name) {
        std::vector<unsigned char> core;
        EXPECT_EQ(CoreDecode(path, format, core), PictureDecode::Decoded) << name;
        EXPECT_EQ(core, ToolkitBytes(path, type)) << name;
    };
    for (const PngCase& c : png) WritePng(path, c), same(PictureFormat::Png, wxBITMAP_TYPE_PNG, c.name);
    for (const auto& [name, layout] : jpeg) WriteJpeg(path, layout), same(PictureFormat::Jpeg, wxBITMAP_TYPE_JPEG, name);
    WriteJpeg(path, {4, JCS_CMYK, 1, false});
    std::vector<unsigned char> core;
    EXPECT_EQ(CoreDecode(path, PictureFormat::Jpeg, core), PictureDecode::Declined);
    const PictureRead read = ReadPictureFile(path);
    ASSERT_EQ(read.status, PictureRead::Ok);
    EXPECT_EQ(std::vector<unsigned char>(read.image.GetData(), read.image.GetData() + 37 * 23 * 3),
              ToolkitBytes(path, wxBITMAP_TYPE_JPEG));
    std::remove(path.c_str());
}
