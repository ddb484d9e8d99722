#pragma once
// PNG and JPEG, the formats charts mostly come in, decoded by their reference
// libraries without the toolkit, so the command-line tool starts without a window
// system. The bytes are those the toolkit's decoders give, transparency flattened
// on white as it is there; whatever this code does not read the same way it declines.
#include <functional>
#include <string>

#include "app/image_header.h"

// Gives the decoder width x height x 3 bytes of packed red, green, blue rows to
// fill; it may throw std::bad_alloc.
using PictureBuffer = std::function<unsigned char*(int width, int height)>;

// Declined: the file is left to the toolkit's decoders.
enum class PictureDecode { Decoded, Failed, Declined };

// Never throws. Transparent pixels come out blended on white.
PictureDecode DecodePictureFile(const std::string& path, PictureFormat format, const PictureBuffer& buffer);
