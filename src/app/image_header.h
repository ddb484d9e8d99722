#pragma once
// Reads a picture's stated size from its file without decoding it, so a file that
// claims a gigantic size (in any frame) can be refused before any memory is spent.
#include <istream>
#include <optional>
#include <string>

// The formats we open; each is recognised by its own signature (TGA, which has none,
// by a plausible header) and read only by the decoder named here.
enum class PictureFormat { Png, Jpeg, Bmp, Gif, Tiff, Pnm, Pcx, Tga, WebP };

struct ImageHeaderSize {
    PictureFormat format = PictureFormat::Png;
    long long width = 0;   // of the image that is decoded; for GIF the largest frame
    long long height = 0;
    int frames = 1;               // images the file holds
    long long decodedPixels = 0;  // pixels the decoder holds at once (all GIF frames)
};

// The size the file states; nullopt for any other format, or when the header is
// damaged or too short to tell.
std::optional<ImageHeaderSize> ReadImageHeader(std::istream& in);
std::optional<ImageHeaderSize> ReadImageHeaderSize(const std::string& path);

// True when a picture of this size is small enough to open (see kMaxImagePixels).
bool ImageSizeAcceptable(long long width, long long height);

enum class SizeVerdict { Ok, Empty, TooLarge };
SizeVerdict CheckImageSize(const ImageHeaderSize& size);
