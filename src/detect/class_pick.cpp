#include "detect/class_pick.h"

#include "canvas/selection.h"

#include <algorithm>

std::vector<int> PatchClasses(const ClassedInk& ink, const PatchList& patches) {
    std::vector<int> out(patches.size(), -1);
    const cv::Mat& labels = ink.labels;
    if (labels.empty()) return out;
    CV_Assert(labels.type() == CV_8UC1);
    for (size_t i = 0; i < patches.size(); ++i) {
        if (patches[i].empty()) continue;
        const Run& r = patches[i].front();
        if (r.col < 0 || r.col >= labels.cols || r.row1 < 0 || r.row1 >= labels.rows) continue;
        const int cls = labels.at<uchar>(r.row1, r.col) - 1;
        out[i] = cls < ink.ClassCount() ? cls : -1;
    }
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

std::vector<size_t> PatchesOfClasses(const std::vector<int>& patchClasses, const std::vector<int>& classes) {
    std::vector<size_t> out;
    for (size_t i = 0; i < patchClasses.size(); ++i)
        if (patchClasses[i] >= 0 && std::find(classes.begin(), classes.end(), patchClasses[i]) != classes.end())
            out.push_back(i);
    return out;
}

std::vector<size_t> WholeClassPick(const PatchList& patches, const std::vector<int>& patchClasses, IPoint p, int tol) {
    std::vector<int> hit;
    for (size_t i = 0; i < patches.size() && i < patchClasses.size(); ++i)
        if (patchClasses[i] >= 0 && HitPatch(p, patches[i], tol) &&
            std::find(hit.begin(), hit.end(), patchClasses[i]) == hit.end())
            hit.push_back(patchClasses[i]);
    return PatchesOfClasses(patchClasses, hit);
}
