#pragma once
// A JPEG written by the reference library, in the layout a test asks for.
#include <jpeglib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct JpegLayout {
    int components = 3;
    J_COLOR_SPACE space = JCS_RGB;
    int lumaSampling = 2;  // 2: the library's 4:2:0
    bool progressive = false;
    int quality = 85;
};

// fillRow(y, samples) gives row y's width x components samples.
inline void WriteJpeg(const std::string& path, int width, int height, const JpegLayout& layout,
                      const std::function<void(int, JSAMPLE*)>& fillRow) {
    jpeg_compress_struct c;
    jpeg_error_mgr error;
    c.err = jpeg_std_error(&error);
    jpeg_create_compress(&c);
    FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(width), c.image_height = JDIMENSION(height);
    c.input_components = layout.components, c.in_color_space = layout.space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, layout.quality, TRUE);
    if (layout.space == JCS_CMYK) jpeg_set_colorspace(&c, JCS_CMYK);
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = layout.lumaSampling;
    if (layout.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * size_t(layout.components));
    while (c.next_scanline < c.image_height) {
        fillRow(int(c.next_scanline), row.data());
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    std::fclose(f);
    jpeg_destroy_compress(&c);
}
