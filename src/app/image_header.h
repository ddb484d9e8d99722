#pragma once
// Reads a picture's stated size from its file header without decoding it, so a
// file that claims a gigantic size can be refused before any memory is spent.
#include <optional>
#include <string>

struct ImageHeaderSize {
    long long width = 0;
    long long height = 0;
};

// The size the header states for PNG, JPEG, GIF, BMP and TIFF files; nullopt for
// other formats or a header too short to tell.
std::optional<ImageHeaderSize> ReadImageHeaderSize(const std::string& path);

// True when a picture of this size is small enough to open (see kMaxImagePixels).
bool ImageSizeAcceptable(long long width, long long height);
