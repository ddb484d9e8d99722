#include "document/png_image.h"

#include <png.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// libpng reports errors by longjmp; these callbacks only move bytes.
void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}
void NoFlush(png_structp) {}

struct ReadCursor {
    const std::string* bytes;
    size_t at;
};
void ReadBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* in = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (length > in->bytes->size() - in->at) png_error(png, "truncated");
    std::memcpy(data, in->bytes->data() + in->at, length);
    in->at += length;
}
// Damaged data is reported through the result, not on standard error.
void Quiet(png_structp, png_const_charp) {}
void Fatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }

uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

std::string EncodePng(const cv::Mat& rgb) {
    if (rgb.empty() || rgb.type() != CV_8UC3) throw std::invalid_argument("EncodePng needs an 8-bit three-channel picture");
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Quiet);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    std::vector<png_bytep> rows(rgb.rows);
    for (int r = 0; r < rgb.rows; ++r) rows[r] = const_cast<png_bytep>(rgb.ptr<png_byte>(r));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::bad_alloc();  // writing to memory fails only when memory runs out
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    // Level 3 is several times faster than the default on large charts and loses little size.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, rgb.cols, rgb.rows, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::optional<PngSize> PngHeaderSize(const std::string& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 24 || std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(b + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return PngSize{Be32(b + 16), Be32(b + 20)};
}

cv::Mat DecodePng(const std::string& bytes, PngSize expected) {
    const auto stated = PngHeaderSize(bytes);
    if (!stated || stated->width != expected.width || stated->height != expected.height || expected.width <= 0 ||
        expected.height <= 0 || expected.width > 0x7fffffff || expected.height > 0x7fffffff)
        return cv::Mat();
    cv::Mat out(static_cast<int>(expected.height), static_cast<int>(expected.width), CV_8UC3);
    std::vector<png_bytep> rows(out.rows);
    for (int r = 0; r < out.rows; ++r) rows[r] = out.ptr<png_byte>(r);

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Quiet);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return cv::Mat();
    }
    ReadCursor cursor{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return cv::Mat();
    }
    png_set_read_fn(png, &cursor, ReadBytes);
    png_set_user_limits(png, static_cast<png_uint_32>(expected.width), static_cast<png_uint_32>(expected.height));
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(out.cols) * 3) png_error(png, "layout");
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}
