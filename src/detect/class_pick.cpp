#include "detect/class_pick.h"

#include "document/selection.h"

#include <algorithm>

int PatchClass(const ClassedInk& ink, const Patch& patch) {
    const cv::Mat& labels = ink.labels;
    if (labels.empty() || patch.empty()) return -1;
    CV_Assert(labels.type() == CV_8UC1);
    const Run& r = patch.front();
    if (r.col < 0 || r.col >= labels.cols || r.row1 < 0 || r.row1 >= labels.rows) return -1;
    const int cls = labels.at<uchar>(r.row1, r.col) - 1;
    return cls < ink.ClassCount() ? cls : -1;
}

std::vector<int> PatchClasses(const ClassedInk& ink, const PatchList& patches) {
    std::vector<int> out;
    out.reserve(patches.size());
    for (const Patch& p : patches) out.push_back(PatchClass(ink, p));
    return out;
}

std::vector<int> ClassesNearColour(const ClassedInk& ink, const cv::Vec3b& rgb) {
    if (ink.mode == ColourClassing::ReferenceColours) return {NearestReferenceOfRgb(rgb)};
    if (ink.classes.inks.empty()) return {};
    const cv::Vec3f lab = LabOf(rgb);
    const auto& inks = ink.classes.inks;
    const auto best = std::min_element(inks.begin(), inks.end(), [&](const InkClass& a, const InkClass& b) {
        return HueAwareDistance(lab, a.lab) < HueAwareDistance(lab, b.lab);
    });
    return {static_cast<int>(best - inks.begin())};
}

std::vector<int> ClassesOfReference(const ClassedInk& ink, int reference) {
    if (ink.mode == ColourClassing::ReferenceColours) return {reference};
    std::vector<int> out;
    for (int k = 0; k < ink.ClassCount(); ++k)
        if (NearestReferenceOfRgb(ink.Colour(k)) == reference) out.push_back(k);
    return out;
}

std::vector<int> ClassesAt(const ClassedInk& ink, const PatchList& patches, IPoint p, int tol) {
    std::vector<int> hit;
    for (const Patch& patch : patches) {
        if (!HitPatch(p, patch, tol)) continue;
        const int cls = PatchClass(ink, patch);
        if (cls >= 0 && std::find(hit.begin(), hit.end(), cls) == hit.end()) hit.push_back(cls);
    }
    return hit;
}

bool InClasses(const ClassedInk& ink, const Patch& patch, const std::vector<int>& classes) {
    const int cls = PatchClass(ink, patch);
    return cls >= 0 && std::find(classes.begin(), classes.end(), cls) != classes.end();
}
