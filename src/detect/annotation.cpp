#include "detect/annotation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace {

// What a piece looks like from outside: its box, its stroke and where it ends.
struct Piece {
    cv::Rect box;
    double thick = 1;
    double length = 1;
    bool directed = false;     // long against its stroke: it has two ends and a course
    cv::Point2d end[2];        // a dot has one "end", its centre
    cv::Point2d out[2];        // unit direction leaving each end
};

cv::Point2d Unit(cv::Point2d v) {
    const double n = std::hypot(v.x, v.y);
    return n > 0 ? v / n : cv::Point2d(0, 0);
}

Piece Describe(const Patch& patch) {
    Piece p;
    std::vector<cv::Point2d> px;
    for (const Run& r : patch)
        for (int y = std::min(r.row1, r.row2); y <= std::max(r.row1, r.row2); ++y) px.emplace_back(r.col, y);
    if (px.empty()) return p;
    cv::Point2d mean(0, 0);
    for (const auto& q : px) mean += q;
    mean /= double(px.size());
    double cxx = 0, cyy = 0, cxy = 0;
    int l = int(px[0].x), t = int(px[0].y), r = l, b = t;
    for (const auto& q : px) {
        const cv::Point2d d = q - mean;
        cxx += d.x * d.x;
        cyy += d.y * d.y;
        cxy += d.x * d.y;
        l = std::min(l, int(q.x)), r = std::max(r, int(q.x)), t = std::min(t, int(q.y)), b = std::max(b, int(q.y));
    }
    p.box = cv::Rect(l, t, r - l + 1, b - t + 1);
    const double theta = 0.5 * std::atan2(2 * cxy, cxx - cyy);
    const cv::Point2d u(std::cos(theta), std::sin(theta));
    double lo = 1e300, hi = -1e300;
    for (const auto& q : px) {
        const double s = (q - mean).dot(u);
        lo = std::min(lo, s), hi = std::max(hi, s);
    }
    p.length = hi - lo + 1;
    p.thick = double(px.size()) / p.length;
    p.directed = p.length >= 3 * p.thick && p.length >= 5;
    if (!p.directed) {
        p.end[0] = p.end[1] = mean;
        return p;
    }
    // Each end: the centre of its last slab, and the way out from the slab before it.
    const double k = std::max(2.0, 1.5 * p.thick);
    for (int side = 0; side < 2; ++side) {
        cv::Point2d tip(0, 0), inner(0, 0);
        int nt = 0, ni = 0;
        for (const auto& q : px) {
            const double s = (q - mean).dot(u);
            const double from = side == 0 ? s - lo : hi - s;
            if (from <= k) tip += q, ++nt;
            else if (from <= 2 * k) inner += q, ++ni;
        }
        tip /= double(std::max(nt, 1));
        inner = ni ? inner / double(ni) : mean;
        p.end[side] = tip;
        p.out[side] = Unit(tip - inner);
        if (p.out[side] == cv::Point2d(0, 0)) p.out[side] = side == 0 ? -u : u;
    }
    return p;
}

int Find(std::vector<int>& parent, int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
}

// Owner of every pixel near the patches: class + 1, -1 for a legend, 0 for none.
class InkOwners {
public:
    InkOwners(const PatchList& patches, const std::vector<int>& classes, const std::vector<Legend>& legends,
              const cv::Rect& frame)
        : frame_(frame), owner_(frame.size(), CV_32S, cv::Scalar(0)) {
        for (const Legend& l : legends) {
            const cv::Rect r = (l.region - frame.tl()) & cv::Rect(cv::Point(0, 0), frame.size());
            if (!r.empty()) owner_(r).setTo(-1);
        }
        for (size_t i = 0; i < patches.size(); ++i)
            for (const Run& r : patches[i])
                for (int y = std::min(r.row1, r.row2); y <= std::max(r.row1, r.row2); ++y)
                    if (frame.contains({r.col, y})) owner_.at<int>(y - frame.y, r.col - frame.x) = classes[i] + 1;
    }
    // Whether ink of another class, or a legend, lies within `radius` of p.
    bool Hidden(cv::Point2d p, int ownClass, int radius) const {
        const int cx = int(std::lround(p.x)) - frame_.x, cy = int(std::lround(p.y)) - frame_.y;
        for (int y = std::max(0, cy - radius); y <= std::min(owner_.rows - 1, cy + radius); ++y)
            for (int x = std::max(0, cx - radius); x <= std::min(owner_.cols - 1, cx + radius); ++x) {
                const int o = owner_.at<int>(y, x);
                if (o != 0 && o != ownClass + 1) return true;
            }
        return false;
    }

private:
    cv::Rect frame_;
    cv::Mat owner_;
};

bool Facing(const cv::Point2d& out, const cv::Point2d& towards, double cosLimit) {
    return out.dot(Unit(towards)) >= cosLimit;
}

// Whether end ea of a continues into end eb of b.
bool Continues(const Piece& a, int ea, const Piece& b, int eb, int cls, const InkOwners& owners, double plotWidth,
               const AnnotationSettings& s) {
    const cv::Point2d v = b.end[eb] - a.end[ea];
    const double gap = std::hypot(v.x, v.y);
    const double thick = std::max(a.thick, b.thick), thin = std::min(a.thick, b.thick);
    const double nearGap = std::max(2 * thick + 3, 6.0);
    const double cosJoin = std::cos(s.joinAngleDegrees * CV_PI / 180);
    if (gap <= nearGap) {
        if (a.directed && b.directed)
            return thick <= 2.5 * thin + 1 && Facing(a.out[ea], v, cosJoin) && Facing(b.out[eb], -v, cosJoin);
        if (a.directed) return b.length <= 2.5 * a.thick + 2 && Facing(a.out[ea], v, cosJoin);
        if (b.directed) return a.length <= 2.5 * b.thick + 2 && Facing(b.out[eb], -v, cosJoin);
        return std::max(a.length, b.length) <= 2 * std::min(a.length, b.length) + 1;
    }
    if (!a.directed || !b.directed || gap > s.maxHiddenShare * plotWidth || thick > 2.5 * thin + 1) return false;
    const double cosHidden = std::cos(s.hiddenAngleDegrees * CV_PI / 180);
    if (!Facing(a.out[ea], v, cosHidden) || !Facing(b.out[eb], -v, cosHidden)) return false;
    // The stretch between must lie under other ink.
    const int radius = int(std::ceil(thick / 2)) + 1;
    int covered = 0, samples = 0;
    for (double d = thick; d <= gap - thick; d += 1.0, ++samples)
        covered += owners.Hidden(a.end[ea] + v * (d / gap), cls, radius);
    return samples == 0 || covered >= s.hiddenCover * samples;
}

}  // namespace

std::vector<PatchRole> ClassifyPatches(const PatchList& patches, const std::vector<int>& classes,
                                       const std::vector<Legend>& legends, const PlotArea& area,
                                       const AnnotationSettings& s) {
    CV_Assert(classes.size() == patches.size());
    std::vector<PatchRole> roles(patches.size(), PatchRole::Curve);
    std::vector<Piece> pieces(patches.size());
    cv::Rect frame;
    for (size_t i = 0; i < patches.size(); ++i) {
        pieces[i] = Describe(patches[i]);
        frame = frame.empty() ? pieces[i].box : (frame | pieces[i].box);
    }
    if (frame.empty()) return roles;
    const bool haveArea = area.right > area.left && area.bottom > area.top;
    const double plotWidth = haveArea ? area.right - area.left : frame.width;
    const double plotSide = haveArea ? std::max(area.right - area.left, area.bottom - area.top)
                                     : std::max(frame.width, frame.height);

    std::map<int, std::vector<int>> byClass;
    for (size_t i = 0; i < patches.size(); ++i) {
        const cv::Rect& b = pieces[i].box;
        const bool inLegend = std::any_of(legends.begin(), legends.end(), [&](const Legend& l) {
            const cv::Rect r(l.region.x - 2, l.region.y - 2, l.region.width + 4, l.region.height + 4);
            return (b & r) == b;
        });
        if (inLegend) roles[i] = PatchRole::Legend;
        else if (!patches[i].empty()) byClass[classes[i]].push_back(int(i));
    }

    const InkOwners owners(patches, classes, legends, frame);
    std::vector<int> parent(patches.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (const auto& [cls, members] : byClass) {
        for (size_t i = 0; i < members.size(); ++i)
            for (size_t j = i + 1; j < members.size(); ++j) {
                const int a = members[i], b = members[j];
                if (Find(parent, a) == Find(parent, b)) continue;
                const Piece &pa = pieces[a], &pb = pieces[b];
                bool joined = false;
                for (int ea = 0; ea < (pa.directed ? 2 : 1) && !joined; ++ea)
                    for (int eb = 0; eb < (pb.directed ? 2 : 1) && !joined; ++eb)
                        joined = Continues(pa, ea, pb, eb, cls, owners, plotWidth, s);
                if (joined) parent[Find(parent, a)] = Find(parent, b);
            }
        std::map<int, cv::Rect> chains;
        for (int m : members) {
            cv::Rect& c = chains[Find(parent, m)];
            c = c.empty() ? pieces[m].box : (c | pieces[m].box);
        }
        int longest = 0;
        for (const auto& [root, box] : chains) longest = std::max({longest, box.width, box.height});
        const double least = std::min(s.minChainShare * longest, s.minPlotShare * plotSide);
        for (int m : members) {
            const cv::Rect& c = chains[Find(parent, m)];
            if (std::max(c.width, c.height) < least) roles[m] = PatchRole::Annotation;
        }
    }
    return roles;
}
