#include "cli/digitize.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdlib>

#include "detect/class_pick.h"
#include "document/selection.h"
#include "detect/colour.h"

std::vector<int> PatchColours(const cv::Mat& image, const PatchList& patches) {
    std::vector<int> colours(patches.size(), 0);
    if (image.empty() || image.type() != CV_8UC3 || patches.empty()) return colours;
    // The same smoothing and conversion as colour detection, so the class found
    // here is the class the patch was grouped by. Only the one pixel per patch is
    // smoothed: a view of it reads its neighbours from the picture around it.
    cv::Mat gathered(1, static_cast<int>(patches.size()), CV_8UC3, cv::Scalar::all(255));
    for (size_t i = 0; i < patches.size(); ++i) {
        if (patches[i].empty()) continue;
        const Run& r = patches[i].front();
        if (r.row1 < 0 || r.row1 >= image.rows || r.col < 0 || r.col >= image.cols) continue;
        cv::Mat one = gathered.col(static_cast<int>(i));
        cv::GaussianBlur(image(cv::Rect(r.col, r.row1, 1, 1)), one, cv::Size(3, 3), 0, 0, cv::BORDER_REFLECT_101);
    }
    cv::Mat lab;
    cv::cvtColor(gathered, lab, cv::COLOR_RGB2Lab);
    for (size_t i = 0; i < patches.size(); ++i) colours[i] = NearestReference(lab.at<cv::Vec3b>(0, static_cast<int>(i)));
    return colours;
}

long long PatchPixelCount(const Patch& patch) {
    long long n = 0;
    for (const Run& r : patch) n += std::abs(static_cast<long long>(r.row2) - r.row1) + 1;
    return n;
}

std::string PatchJson(size_t index, const Patch& patch, int colour, const std::string& classColour) {
    const IRect box = PatchBox(patch);
    return "{\"index\":" + std::to_string(index) + ",\"box\":[" + std::to_string(box.left) + "," +
           std::to_string(box.top) + "," + std::to_string(box.right) + "," + std::to_string(box.bottom) +
           "],\"pixels\":" + std::to_string(PatchPixelCount(patch)) + ",\"colour\":\"" +
           ReferenceColourName(colour) + (classColour.empty() ? "" : "\",\"class\":\"" + classColour) + "\"}";
}

std::vector<std::string> ApplyPicks(Document& doc, const std::vector<int>& colours, const std::vector<PickStep>& steps,
                                    const std::vector<bool>& curve) {
    std::vector<std::string> idle;
    // A patch's colour by its place in the list: picks see the patches themselves.
    const PatchList& patches = doc.Patches();
    const auto colourOf = [&](const Patch& p) {
        const size_t i = size_t(&p - patches.data());
        return i < colours.size() ? colours[i] : -1;
    };
    const auto onCurve = [&](const Patch& p) {
        const size_t i = size_t(&p - patches.data());
        return curve.empty() || (i < curve.size() && curve[i]);
    };
    for (const PickStep& step : steps) {
        if (step.kind == PickStep::NextGraph) {
            doc.SelectGraph(int(doc.Graphs().size()));
            continue;
        }
        const IRect band = NormalizeRect(step.band);
        PatchList added;
        switch (step.kind) {
            case PickStep::Point: added = doc.Pick([&](const Patch& p) { return HitPatch(step.point, p, kHitTolerance); }); break;
            case PickStep::Band: added = doc.Pick([&](const Patch& p) { return LeftBandTouches(p, band); }); break;
            case PickStep::Colour:
                added = doc.Pick([&](const Patch& p) {
                    return std::find(step.classes.begin(), step.classes.end(), colourOf(p)) != step.classes.end() &&
                           onCurve(p);
                });
                break;
            case PickStep::Curve: {
                const IRect area = doc.PickArea();
                std::vector<bool> eligible(patches.size());
                for (size_t i = 0; i < patches.size(); ++i) eligible[i] = onCurve(patches[i]) && BoxMeets(patches[i], area);
                const std::vector<bool> chosen = CurveAt(patches, colours, eligible, step.point, kHitTolerance);
                added = doc.Pick([&](const Patch& p) { return chosen[size_t(&p - patches.data())]; });
                break;
            }
            case PickStep::NextGraph: break;
        }
        if (added.empty()) idle.push_back(step.text);
    }
    return idle;
}
