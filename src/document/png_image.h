#pragma once
// Pictures as PNG bytes in memory, for embedding in project files. Lossless, so a
// picture read back is the picture that was saved, pixel for pixel.
#include <opencv2/core.hpp>

#include <optional>
#include <string>

// PNG of an 8-bit three-channel picture in red, green, blue order. Throws
// std::invalid_argument for any other matrix type or an empty matrix.
std::string EncodePng(const cv::Mat& rgb);

struct PngSize {
    long long width = 0;
    long long height = 0;
};

// The size the PNG header states, read without decoding; nullopt when the bytes
// do not start with a PNG signature and header chunk.
std::optional<PngSize> PngHeaderSize(const std::string& bytes);

// Decodes to 8-bit red, green, blue (grey, palette, 16-bit and alpha are
// converted; alpha is dropped). An empty matrix for data that is not a whole,
// valid PNG, or whose header states a size other than expected.
cv::Mat DecodePng(const std::string& bytes, PngSize expected);
