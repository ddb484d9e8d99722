#include "app/picture_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include <jpeglib.h>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Blended on white by opacity, as the toolkit's pictures are flattened.
inline unsigned char OnWhite(unsigned value, unsigned alpha) {
    return static_cast<unsigned char>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// ---- PNG. libpng reports errors by longjmp, so each step that may fail runs in a
// function of its own with only plain data live across the jump.
void PngQuiet(png_structp, png_const_charp) {}
void PngFatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }

struct Png {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Png() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

bool PngHeader(Png& p, FILE* f, png_uint_32& width, png_uint_32& height, int& channels) {
    if (setjmp(png_jmpbuf(p.png))) return false;
    png_init_io(p.png, f);
    png_read_info(p.png, p.info);
    // The toolkit's transforms: palette, low-depth grey and transparency keys expand,
    // 16-bit samples keep their high byte, grey becomes red = green = blue.
    png_set_expand(p.png);
    png_set_strip_16(p.png);
    png_set_gray_to_rgb(p.png);
    png_set_interlace_handling(p.png);
    png_read_update_info(p.png, p.info);
    width = png_get_image_width(p.png, p.info);
    height = png_get_image_height(p.png, p.info);
    channels = png_get_channels(p.png, p.info);
    return (channels == 3 || channels == 4) && png_get_rowbytes(p.png, p.info) == size_t(width) * channels;
}

bool PngRows(Png& p, png_bytep* rows) {
    if (setjmp(png_jmpbuf(p.png))) return false;
    png_read_image(p.png, rows);
    png_read_end(p.png, nullptr);
    return true;
}

// One row at a time through `row`, blended on white into `rgb`: no whole-picture alpha copy.
bool PngRowsOnWhite(Png& p, int width, int height, png_bytep row, unsigned char* rgb) {
    if (setjmp(png_jmpbuf(p.png))) return false;
    for (int y = 0; y < height; ++y) {
        png_read_row(p.png, row, nullptr);
        unsigned char* out = rgb + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) out[3 * x + c] = OnWhite(row[4 * x + c], row[4 * x + 3]);
    }
    png_read_end(p.png, nullptr);
    return true;
}

PictureDecode DecodePng(FILE* f, const PictureBuffer& buffer) {
    Png p;
    p.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFatal, PngQuiet);
    if (!p.png || !(p.info = png_create_info_struct(p.png))) return PictureDecode::Failed;
    png_uint_32 width = 0, height = 0;
    int channels = 0;
    if (!PngHeader(p, f, width, height, channels) || !ImageSizeAcceptable(width, height)) return PictureDecode::Failed;
    const int w = int(width), h = int(height);
    unsigned char* rgb = buffer(w, h);
    // The toolkit keeps a PNG's transparency as alpha, never as a mask colour.
    if (channels == 4 && png_get_interlace_type(p.png, p.info) == PNG_INTERLACE_NONE) {
        std::vector<png_byte> row(size_t(w) * 4);
        return PngRowsOnWhite(p, w, h, row.data(), rgb) ? PictureDecode::Decoded : PictureDecode::Failed;
    }
    std::vector<unsigned char> rgba(channels == 4 ? size_t(w) * h * 4 : 0);
    unsigned char* target = channels == 4 ? rgba.data() : rgb;
    std::vector<png_bytep> rows(h);
    for (int y = 0; y < h; ++y) rows[y] = target + size_t(y) * w * channels;
    if (!PngRows(p, rows.data())) return PictureDecode::Failed;
    if (channels == 4)
        for (size_t i = 0, n = size_t(w) * h; i < n; ++i)
            for (int c = 0; c < 3; ++c) rgb[3 * i + c] = OnWhite(rgba[4 * i + c], rgba[4 * i + 3]);
    return PictureDecode::Decoded;
}

// ---- JPEG, with libjpeg's defaults as the toolkit uses them.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
void JpegFatal(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

struct Jpeg {
    jpeg_decompress_struct cinfo{};
    JpegError error{};
    bool created = false;
    ~Jpeg() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

// 1 decodable here, 0 damaged, -1 a colour model left to the toolkit.
int JpegHeader(Jpeg& j, FILE* f) {
    if (setjmp(j.error.jump)) return 0;
    jpeg_create_decompress(&j.cinfo);
    j.created = true;
    jpeg_stdio_src(&j.cinfo, f);
    jpeg_read_header(&j.cinfo, TRUE);
    if (j.cinfo.jpeg_color_space == JCS_CMYK || j.cinfo.jpeg_color_space == JCS_YCCK) return -1;
    j.cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&j.cinfo);
    return j.cinfo.output_components == 3 ? 1 : 0;
}

bool JpegRows(Jpeg& j, unsigned char* rgb) {
    if (setjmp(j.error.jump)) return false;
    const size_t stride = size_t(j.cinfo.output_width) * 3;
    while (j.cinfo.output_scanline < j.cinfo.output_height) {
        JSAMPROW row = rgb + stride * j.cinfo.output_scanline;
        jpeg_read_scanlines(&j.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&j.cinfo);
    return true;
}

PictureDecode DecodeJpeg(FILE* f, const PictureBuffer& buffer) {
    PictureDecode result = PictureDecode::Failed;
    Jpeg j;
    j.cinfo.err = jpeg_std_error(&j.error.mgr);
    j.error.mgr.error_exit = JpegFatal;
    j.error.mgr.emit_message = JpegQuiet;
    const int header = JpegHeader(j, f);
    if (header < 0) result = PictureDecode::Declined;
    if (header <= 0) return result;
    if (!ImageSizeAcceptable(j.cinfo.output_width, j.cinfo.output_height)) return result;
    unsigned char* rgb = buffer(int(j.cinfo.output_width), int(j.cinfo.output_height));
    if (JpegRows(j, rgb)) result = PictureDecode::Decoded;
    return result;
}

}  // namespace

PictureDecode DecodePictureFile(const std::string& path, PictureFormat format, const PictureBuffer& buffer) {
    if (format != PictureFormat::Png && format != PictureFormat::Jpeg) return PictureDecode::Declined;
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return PictureDecode::Failed;
    try {
        return format == PictureFormat::Png ? DecodePng(f.get(), buffer) : DecodeJpeg(f.get(), buffer);
    } catch (...) {  // the buffer could not be had
        return PictureDecode::Failed;
    }
}
