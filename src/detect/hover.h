#pragma once
// Highlight pictures shown while the mouse is over a patch.
#include <map>
#include <vector>

#include <opencv2/core.hpp>

#include "detect/types.h"

// Pictures by hover key; patches whose scaled boxes coincide share a key (in patch order).
// Each picture is 8-bit RGB on white, the patch's runs drawn 4 pixels wide in magenta,
// sized to the patch's box plus a margin on every side.
using HoverMap = std::map<int, std::vector<cv::Mat>>;

inline constexpr int kHoverMargin = 10;

void BuildHoverPictures(HoverMap& out, const PatchList& patches, int imageHeight, int imageWidth, int margin);
