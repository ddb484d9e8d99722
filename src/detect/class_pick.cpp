#include "detect/class_pick.h"

#include "document/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

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

bool InClasses(const ClassedInk& ink, const Patch& patch, const std::vector<int>& classes) {
    const int cls = PatchClass(ink, patch);
    return cls >= 0 && std::find(classes.begin(), classes.end(), cls) != classes.end();
}

namespace {

// A patch seen column by column: the middle of its ink in each column.
struct Profile {
    int left = 0, right = -1;
    std::vector<float> centre;  // from `left`, NaN where the patch has no ink
    int columns = 0;            // with ink
    float thick = 1;            // ink per column
    bool longLine = false;      // far wider than thick: a stretch of a curve, not a marker or dash
    float At(int x) const { return x < left || x > right ? NAN : centre[size_t(x - left)]; }
};

Profile ProfileOf(const Patch& patch) {
    Profile p;
    if (patch.empty()) return p;
    p.left = p.right = patch.front().col;
    for (const Run& r : patch) p.left = std::min(p.left, r.col), p.right = std::max(p.right, r.col);
    const size_t width = size_t(p.right - p.left + 1);
    std::vector<double> sum(width, 0), ink(width, 0);
    for (const Run& r : patch) {
        const double n = std::abs(r.row2 - r.row1) + 1.0;
        sum[size_t(r.col - p.left)] += (r.row1 + r.row2) / 2.0 * n;
        ink[size_t(r.col - p.left)] += n;
    }
    p.centre.assign(width, NAN);
    double total = 0;
    for (size_t i = 0; i < width; ++i) {
        if (ink[i] == 0) continue;
        p.centre[i] = float(sum[i] / ink[i]);
        total += ink[i];
        ++p.columns;
    }
    p.thick = float(total / std::max(p.columns, 1));
    p.longLine = width >= 20 && double(width) >= 5 * p.thick;
    return p;
}

// Rows two strokes may differ by in one column and still be one curve.
float Tolerance(float thickA, float thickB) { return std::max(thickA, thickB) + 2; }

// Columns where both have ink: how many, and in how many they lie apart.
struct Shared {
    int columns = 0, apart = 0;
};
template <class RowAt>
Shared Compare(const Profile& a, RowAt rowAt, float thickB) {
    Shared s;
    for (int x = a.left; x <= a.right; ++x) {
        const float ra = a.At(x), rb = rowAt(x);
        if (std::isnan(ra) || std::isnan(rb)) continue;
        ++s.columns;
        s.apart += std::abs(ra - rb) > Tolerance(a.thick, thickB);
    }
    return s;
}

// The widest gap a piece may go on across: a dash's, a crossing curve's stroke, or a
// stretch where another curve runs over this one.
int MaxGap(const Profile& p) { return int(std::max(24.0f, 8 * p.thick)); }

bool OneAboveTheOther(const Shared& s) { return s.apart >= 3 && s.apart * 2 > s.columns; }

}  // namespace

std::vector<bool> AlongCurve(const PatchList& patches, const std::vector<bool>& member, const std::vector<size_t>& seeds) {
    CV_Assert(member.size() == patches.size());
    std::vector<size_t> members;
    for (size_t i = 0; i < patches.size(); ++i)
        if (member[i] && !patches[i].empty()) members.push_back(i);
    std::vector<bool> out(patches.size(), false);
    for (size_t s : seeds)
        if (s < patches.size() && member[s]) out[s] = true;
    if (std::find(out.begin(), out.end(), true) == out.end()) return member;
    std::vector<Profile> profiles(patches.size());
    for (size_t i : members) profiles[i] = ProfileOf(patches[i]);
    // A class of one curve keeps everything: dashes, markers and pieces alike. It holds
    // several where a piece lies above or below a long stretch of curve.
    bool several = false;
    for (size_t a : members) {
        const Profile& line = profiles[a];
        if (!line.longLine) continue;
        for (size_t b : members) {
            const Profile& p = profiles[b];
            if (b == a || line.right < p.left || p.right < line.left) continue;
            if ((several = OneAboveTheOther(Compare(p, [&](int x) { return line.At(x); }, line.thick)))) break;
        }
        if (several) break;
    }
    if (!several) return member;

    // The followed curve, column by column over the members' span.
    int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
    for (size_t i : members) lo = std::min(lo, profiles[i].left), hi = std::max(hi, profiles[i].right);
    std::vector<float> row(size_t(hi - lo + 1), NAN), thick(row.size(), 1);
    const auto rowAt = [&](int x) { return x < lo || x > hi ? NAN : row[size_t(x - lo)]; };
    const auto follow = [&](size_t i) {
        out[i] = true;
        const Profile& p = profiles[i];
        for (int x = p.left; x <= p.right; ++x) {
            const float r = p.At(x);
            if (std::isnan(r)) continue;
            float& at = row[size_t(x - lo)];
            at = std::isnan(at) ? r : (at + r) / 2;
            thick[size_t(x - lo)] = std::max(thick[size_t(x - lo)], p.thick);
        }
    };
    for (size_t i : members)
        if (out[i]) follow(i);
    // Every patch's ink by column (any class): what may hide a stretch of the curve.
    std::vector<std::vector<std::pair<int, int>>> ink(row.size());
    for (const Patch& patch : patches)
        for (const Run& r : patch)
            if (r.col >= lo && r.col <= hi) ink[size_t(r.col - lo)].push_back(std::minmax(r.row1, r.row2));
    const auto inked = [&](int x, float at, float tol) {
        if (x < lo || x > hi) return false;
        for (const auto& [top, bottom] : ink[size_t(x - lo)])
            if (float(top) <= at + tol && float(bottom) >= at - tol) return true;
        return false;
    };
    const int hiddenReach = int(0.35 * (hi - lo + 1));
    // How well a piece goes on from the followed curve's end beside it, across a gap:
    // the row off the end's straight course, or infinity when it does not. A gap
    // wider than a few strokes is crossed only where other ink covers all of it but
    // the open stretches a narrower gap could cross.
    // `step` is -1 to look left of the piece, +1 to look right; `hidden` looks past
    // the widest open gap for a hidden stretch.
    const auto goesOn = [&](const Profile& p, int step, bool hidden) {
        const int end = step < 0 ? p.left : p.right;  // the piece's end facing the curve
        const int maxGap = MaxGap(p), reach = hidden ? std::max(maxGap, hiddenReach) : maxGap;
        for (int x = end + step, n = 0; n <= reach; x += step, ++n) {
            const float r = rowAt(x);
            if (std::isnan(r)) continue;
            const int k = int(std::max(4.0f, 2 * p.thick));
            const float back = rowAt(x + step * k);
            const float slope = std::isnan(back) ? 0 : (back - r) / float(step * k);
            const float off = std::abs(p.At(end) - (r + slope * float(end - x)));
            const float t = Tolerance(p.thick, thick[size_t(x - lo)]);
            if (off > t + 0.25f * float(n)) return INFINITY;
            for (int g = 1, open = 0; n > maxGap && g <= n; ++g) {
                const bool covered = inked(end + step * g, p.At(end) + (r - p.At(end)) * float(g) / float(n + 1), t / 2);
                if ((open = covered ? 0 : open + 1) > maxGap) return INFINITY;
            }
            return off + 0.1f * float(n);
        }
        return INFINITY;
    };
    const auto cost = [&](size_t i, bool hidden) {
        const Profile& p = profiles[i];
        // A piece lying mostly along the curve runs with it where it mostly agrees; one
        // beside it, or overlapping it by a few columns, goes on from an end.
        const Shared s = Compare(p, rowAt, 1);
        if (2 * s.columns >= p.columns) return s.apart * 4 <= s.columns - s.apart ? 0.0f : INFINITY;
        return std::min(goesOn(p, -1, hidden), goesOn(p, +1, hidden));
    };
    // Best piece first. A piece's cost changes only when the curve grows near it, so
    // only those are weighed again; a cost that rose meanwhile is found when it comes
    // up. Hidden stretches are looked for when nothing near is left.
    using Entry = std::pair<float, size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    const auto weighNear = [&](const Profile& grown) {
        for (size_t i : members) {
            const Profile& p = profiles[i];
            const int reach = MaxGap(p) + 1;
            if (out[i] || p.left - reach > grown.right || p.right + reach < grown.left) continue;
            if (const float c = cost(i, false); std::isfinite(c)) queue.push({c, i});
        }
    };
    for (size_t i : members)
        if (out[i]) weighNear(profiles[i]);
    for (;;) {
        while (!queue.empty()) {
            const auto [was, i] = queue.top();
            queue.pop();
            if (out[i]) continue;
            if (const float now = cost(i, true); now > was) {
                if (std::isfinite(now)) queue.push({now, i});
                continue;
            }
            follow(i);
            weighNear(profiles[i]);
        }
        for (size_t i : members)
            if (!out[i])
                if (const float c = cost(i, true); std::isfinite(c)) queue.push({c, i});
        if (queue.empty()) break;
    }
    return out;
}

std::vector<bool> CurveAt(const PatchList& patches, const std::vector<int>& classes, const std::vector<bool>& eligible,
                          IPoint p, int tol) {
    CV_Assert(classes.size() == patches.size() && eligible.size() == patches.size());
    std::vector<bool> hit(patches.size(), false);
    std::vector<int> clicked;
    for (size_t i = 0; i < patches.size(); ++i) {
        if (classes[i] < 0 || !HitPatch(p, patches[i], tol)) continue;
        hit[i] = true;
        if (std::find(clicked.begin(), clicked.end(), classes[i]) == clicked.end()) clicked.push_back(classes[i]);
    }
    std::vector<bool> member(patches.size(), false);
    std::vector<size_t> seeds;
    for (size_t i = 0; i < patches.size(); ++i) {
        member[i] = eligible[i] && std::find(clicked.begin(), clicked.end(), classes[i]) != clicked.end();
        if (member[i] && hit[i]) seeds.push_back(i);
    }
    return AlongCurve(patches, member, seeds);
}
