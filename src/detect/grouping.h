#pragma once
// Grouping the classified ink pixels into patches of touching same-coloured pixels.
#include "detect/colour.h"
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <functional>

// Asked once per grouping call when kAskAfterPixels pixels have been painted;
// true means abort. An empty function counts as "go on".
using AbortQuestion = std::function<bool()>;
inline constexpr unsigned long long kAskAfterPixels = 2000000;

// Groups the map's pixels into 8-connected patches of one class over the plot
// area [left, right) x [top, bottom) of `labels` (8-bit, one channel: 0 no class,
// else the class), filling a vertical run at a time. Patches are listed in the order of their first
// pixel (row-major); each holds its runs sorted. A patch is kept when
// `minPatchSize` is at most its run count or at most the sum of its runs' heights
// minus one. An empty map leaves `patches` as it was; otherwise `patches` is
// replaced and the map is consumed. Answering the question with true ends the
// grouping with the patches found so far, the current one finished from the runs
// it already has. Map entries outside the area, or on a pixel of label 0, start
// no patch; labels beside the map's pixels join their patches.
void GroupPatches(DetectionMap& map, PatchList& patches, int left, int top, int right, int bottom,
                  const cv::Mat& labels, unsigned minPatchSize, const AbortQuestion& ask);
