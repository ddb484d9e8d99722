#pragma once
// Reading a picture file into the document's form, shared by the window and the
// command-line tool: the same decoders, size limit and transparency rules.
#include <wx/image.h>
#include <wx/string.h>

#include <opencv2/core.hpp>
#include <string>

#include "app/picture_read.h"

struct PictureRead : PictureOutcome {
    wxImage image;  // transparent pixels already white
};

// Never throws. A file that is not one of the formats InstallPictureHandlers
// registers, or that states a size beyond the limit (in any frame) or no pixels
// at all, is refused before it is decoded. PNG and JPEG go to the core decoders.
// Formats decoded by the toolkit's own code are first decoded once in a child process
// (see PictureProbe). KnownCrashingDecoders probes only those known to crash (GIF, PNM,
// TGA), so that a fuzzer exploring the toolkit sees the others' faults in process.
enum class PictureProbe { ToolkitDecoders, KnownCrashingDecoders };
PictureRead ReadPictureFile(const wxString& path, PictureProbe probe = PictureProbe::ToolkitDecoders);

// Transparent pixels (alpha) become white, blended by their opacity.
void FlattenAlphaOnWhite(wxImage& img);

// Deep copy of the picture's bytes: rows x cols, 8-bit, red, green, blue. Empty for an invalid image.
cv::Mat MatrixFromImage(const wxImage& img);

// Registers the decoders of the formats we open: PNG, JPEG, BMP, GIF, TIFF, PNM,
// PCX, TGA and WebP. Call it instead of wxInitAllImageHandlers.
void InstallPictureHandlers();
