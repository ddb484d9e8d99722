#include "detect/hover.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

#include "detect/thinning.h"

void BuildHoverPictures(HoverMap& out, const PatchList& patches, int imageHeight, int imageWidth, int margin) {
    for (const Patch& patch : patches) {
        const IRect b = PatchBoundingBox(patch);
        if (b.IsUnset()) continue;
        cv::Mat picture(b.bottom - b.top + 2 * margin + 1, b.right - b.left + 2 * margin + 1, CV_8UC3,
                        cv::Scalar(255, 255, 255));
        for (const Run& run : patch) {
            const int x = run.col + margin - b.left;
            cv::line(picture, {x, run.row2 + margin - b.top}, {x, run.row1 + margin - b.top}, cv::Scalar(255, 0, 255), 4);
        }
        out[HoverKey(b, imageHeight, imageWidth)].push_back(std::move(picture));
    }
}
