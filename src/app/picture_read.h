#pragma once
// Reading a picture file into the document's form, shared by the window and the
// command-line tool: the same decoders, size limit and transparency rules.
#include <opencv2/core.hpp>

#include <functional>
#include <optional>
#include <string>

#include "app/image_header.h"

struct PictureOutcome {
    enum Status { Ok, Unreadable, TooLarge, Empty };
    Status status = Unreadable;
    int frameCount = 0;    // images the file holds (1 normally)
    bool hadMask = false;  // a mask colour was turned white
    std::string message;   // what to tell the user when status is not Ok
};

// What the user is told about a picture beyond the size limit.
std::string TooLargeMessage(long long width, long long height);

inline const char* kUnreadableMessage = "Can not read image file";
inline const char* kEmptyMessage = "Image is empty";

// The file's header when it may be decoded. Otherwise nullopt, with `outcome` saying
// why: missing, not a format we open, or a stated size beyond the limit (in any
// frame) or with no pixels.
std::optional<ImageHeaderSize> CheckPictureFile(const std::string& path, PictureOutcome& outcome);

// Marks `outcome` as refused for the sides a decoder reported.
void RefusePictureSize(PictureOutcome& outcome, long long width, long long height);

struct PictureMatrix : PictureOutcome {
    cv::Mat picture;  // rows x cols, 8-bit red, green, blue; transparent pixels already white
};

// Reads formats the core decoders decline (see picture_decode.h) with the toolkit's.
using ToolkitPictureReader = std::function<PictureMatrix(const std::string& path)>;

// Never throws. PNG and JPEG are decoded here; other files go to `toolkit`, and are
// refused as unreadable when it is empty.
PictureMatrix ReadPictureMatrix(const std::string& path, const ToolkitPictureReader& toolkit);
