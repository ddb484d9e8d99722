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
    bool folded = false;       // a stroke that turns back on itself, as in a letter or digit
    bool dab = false;          // no longer than two of its strokes: too short to be written
    bool headed = false;       // a straight stroke much wider at one end, as an arrow
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
    // Spread across the main axis against spread along it.
    const double half = (cxx + cyy) / 2, root = std::sqrt((cxx - cyy) * (cxx - cyy) / 4 + cxy * cxy);
    const double across = std::sqrt(std::max(0.0, half - root)), along = std::sqrt(half + root);
    p.folded = p.length >= 5 && across >= 0.35 * along;
    p.dab = p.length <= 2 * p.thick;
    if (p.directed && !p.folded) {
        // Width across the axis at the ends and in the middle.
        const cv::Point2d n(-u.y, u.x);
        double endLo[2] = {1e300, 1e300}, endHi[2] = {-1e300, -1e300}, midLo = 1e300, midHi = -1e300;
        for (const auto& q : px) {
            const double at = ((q - mean).dot(u) - lo) / p.length, off = (q - mean).dot(n);
            if (at <= 0.2 || at >= 0.8) {
                const int e = at <= 0.2 ? 0 : 1;
                endLo[e] = std::min(endLo[e], off), endHi[e] = std::max(endHi[e], off);
            } else if (at >= 0.3 && at <= 0.7) {
                midLo = std::min(midLo, off), midHi = std::max(midHi, off);
            }
        }
        const double mid = std::max(1.0, midHi - midLo + 1);
        const double end = std::max(endHi[0] - endLo[0], endHi[1] - endLo[1]) + 1;
        p.headed = end >= 3 * mid && end >= 5;
    }
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
    // A short piece's way out points nowhere far: it crosses no more than a hundred of its lengths.
    if (gap > s.hiddenLengths * std::min(a.length, b.length)) return false;
    const double cosHidden = std::cos(s.hiddenAngleDegrees * CV_PI / 180);
    if (!Facing(a.out[ea], v, cosHidden) || !Facing(b.out[eb], -v, cosHidden)) return false;
    // The stretch between must lie under other ink.
    const int radius = int(std::ceil(thick / 2)) + 1;
    int covered = 0, samples = 0;
    // At least as many samples as the loop takes, so stopping early never refuses a join.
    const int most = gap - thick >= thick ? int(std::floor(gap - 2 * thick)) + 2 : 0;
    for (double d = thick; d <= gap - thick; d += 1.0, ++samples) {
        covered += owners.Hidden(a.end[ea] + v * (d / gap), cls, radius);
        if (covered + (most - samples - 1) < s.hiddenCover * most) return false;  // can no longer reach it
    }
    return samples == 0 || covered >= s.hiddenCover * samples;
}

// Per column, the middle rows of a curve's runs there.
using Course = std::map<int, std::vector<double>>;

struct ShortChain {
    cv::Rect box;
    Course columns;
    int pieces = 0, folded = 0;
    int letters = 0;  // folded pieces long enough to be written, not dabs
    bool headed = false;
    double thick = 1;
    bool apart = false;
};

double Mean(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()); }

// The course's row in column x nearest `row`, NaN when it has none there.
double CourseRow(const Course& course, int x, double row) {
    const auto it = course.find(x);
    if (it == course.end()) return std::nan("");
    return *std::min_element(it->second.begin(), it->second.end(),
                             [&](double a, double b) { return std::abs(a - row) < std::abs(b - row); });
}

// +1 when a short chain carries on the course of the long ones: it stands in
// their gap (or beyond their end) and meets them, or their straight extension,
// within `tol` rows; -1 when it stands beside them or off their course; 0 when
// no course is near.
int OnCourse(const Course& course, const ShortChain& c, double tol) {
    if (course.empty()) return 0;
    int shared = 0;
    for (const auto& [x, rows] : c.columns) shared += course.count(x) > 0;
    if (shared * 2 > int(c.columns.size())) return -1;
    const int reach = std::max(4 * c.box.width, 40);
    const auto leftEnd = c.columns.begin(), rightEnd = std::prev(c.columns.end());
    // Where the course resumes beyond a chain's end: its column, row and slope.
    const auto resumes = [&](int x0, double row0, int step, cv::Point3d& end) {
        for (int x = x0 + step, n = 0; n < reach; x += step, ++n) {
            const double at = CourseRow(course, x, row0);
            if (std::isnan(at)) continue;
            const double further = CourseRow(course, x + 4 * step, at);
            end = {double(x), at, std::isnan(further) ? 0 : (further - at) / (4 * step)};
            return true;
        }
        return false;
    };
    // Whether that row, extended straight back to the chain's end, meets it.
    const auto meets = [&](int x0, double row0, int step, cv::Point3d& end) -> int {
        if (!resumes(x0, row0, step, end)) return 0;
        return std::abs(end.y - end.z * (end.x - x0) - row0) <= tol + 0.2 * std::abs(end.x - x0) ? 1 : -1;
    };
    cv::Point3d l, r;
    const int left = meets(leftEnd->first, Mean(leftEnd->second), -1, l);
    const int right = meets(rightEnd->first, Mean(rightEnd->second), +1, r);
    // Between two stretches of the course, a chain that lies on the smooth curve
    // joining them carries it on, even where the curve turns (a dash on a crest).
    if ((left < 0 || right < 0) && left != 0 && right != 0 && r.x > l.x) {
        const double h = r.x - l.x;
        const auto smooth = [&](double x) {
            const double t = (x - l.x) / h, t2 = t * t, t3 = t2 * t;
            return (2 * t3 - 3 * t2 + 1) * l.y + (t3 - 2 * t2 + t) * h * l.z + (3 * t2 - 2 * t3) * r.y + (t3 - t2) * h * r.z;
        };
        bool fits = true;
        for (const auto& [x, rows] : c.columns)
            fits = fits && std::abs(Mean(rows) - smooth(x)) <= tol + 0.1 * std::min(x - l.x, r.x - x);
        if (fits) return 1;
    }
    if (left < 0 || right < 0) return -1;
    return left > 0 || right > 0 ? 1 : 0;
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
        else if (!patches[i].empty() && classes[i] >= 0) byClass[classes[i]].push_back(int(i));  // unclassed ink is never a class's
    }

    const InkOwners owners(patches, classes, legends, frame);
    std::vector<int> parent(patches.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (const auto& [cls, members] : byClass) {
        // Only pieces whose boxes lie within reach can continue one another: swept by
        // column, so thousands of pieces are not paired each with each.
        double nearReach = 6;
        for (int m : members) nearReach = std::max(nearReach, 2 * pieces[m].thick + 3);
        const double hiddenReach = std::max(nearReach, s.maxHiddenShare * plotWidth);
        const std::vector<int>& ids = members;  // a lambda may not name a structured binding
        std::vector<size_t> byColumn(ids.size());
        std::iota(byColumn.begin(), byColumn.end(), size_t(0));
        std::sort(byColumn.begin(), byColumn.end(), [&](size_t u, size_t w) { return pieces[ids[u]].box.x < pieces[ids[w]].box.x; });
        std::vector<std::pair<size_t, size_t>> joins;  // positions in `members`, the earlier first
        for (size_t u = 0; u < byColumn.size(); ++u) {
            const Piece& pe = pieces[members[byColumn[u]]];
            const cv::Rect& e = pe.box;
            const double farthest = pe.directed ? std::max(nearReach, std::min(hiddenReach, s.hiddenLengths * pe.length)) : nearReach;
            for (size_t w = u + 1; w < byColumn.size(); ++w) {
                const Piece& pl = pieces[members[byColumn[w]]];
                if (pl.box.x - (e.x + e.width) > farthest) break;
                const double reach = pe.directed && pl.directed ? farthest : nearReach;
                if (pl.box.x - (e.x + e.width) > reach || std::max(pl.box.y - (e.y + e.height), e.y - (pl.box.y + pl.box.height)) > reach)
                    continue;
                const size_t i = std::min(byColumn[u], byColumn[w]), j = std::max(byColumn[u], byColumn[w]);
                const Piece &pa = pieces[members[i]], &pb = pieces[members[j]];
                bool joined = false;
                for (int ea = 0; ea < (pa.directed ? 2 : 1) && !joined; ++ea)
                    for (int eb = 0; eb < (pb.directed ? 2 : 1) && !joined; ++eb)
                        joined = Continues(pa, ea, pb, eb, cls, owners, plotWidth, s);
                if (joined) joins.emplace_back(i, j);
            }
        }
        // Joined in the order of the patch list, so each chain keeps the same root.
        std::sort(joins.begin(), joins.end());
        for (const auto& [i, j] : joins) {
            const int a = members[i], b = members[j];
            if (Find(parent, a) != Find(parent, b)) parent[Find(parent, a)] = Find(parent, b);
        }
        std::map<int, cv::Rect> chains;
        for (int m : members) {
            cv::Rect& c = chains[Find(parent, m)];
            c = c.empty() ? pieces[m].box : (c | pieces[m].box);
        }
        int longest = 0;
        for (const auto& [root, box] : chains) longest = std::max({longest, box.width, box.height});
        const double least = std::min(s.minChainShare * longest, s.minPlotShare * plotSide);
        // The course of the long chains, and the short chains judged against it.
        Course course;
        std::map<int, ShortChain> shorts;
        for (int m : members) {
            const int root = Find(parent, m);
            const bool isShort = std::max(chains[root].width, chains[root].height) < least;
            for (const Run& r : patches[m]) {
                const double mid = (r.row1 + r.row2) / 2.0;
                if (!isShort) course[r.col].push_back(mid);
                else shorts[root].columns[r.col].push_back(mid);
            }
            if (isShort) {
                ShortChain& c = shorts[root];
                c.box = chains[root];
                ++c.pieces;
                c.folded += pieces[m].folded;
                c.letters += pieces[m].folded && !pieces[m].dab;
                c.headed = pieces[m].headed;
                c.thick = std::max(c.thick, pieces[m].thick);
            }
        }
        const auto alike = [](const cv::Rect& a, const cv::Rect& b) {
            return std::abs(a.width - b.width) <= 0.35 * a.width + 1 && std::abs(a.height - b.height) <= 0.35 * a.height + 1;
        };
        // A short chain found on the course extends it for the next ones, so a run of
        // dashes round a turn or out to the curve's end is judged piece by piece.
        std::map<int, int> judged;
        for (auto& entry : shorts) {
            const ShortChain& c = entry.second;
            // Many alike folded shapes are a scatter's markers.
            int twins = 0;
            if (c.folded)
                for (auto o = shorts.begin(); o != shorts.end() && twins < s.minMarkers; ++o)
                    twins += o->second.folded && alike(c.box, o->second.box);
            judged[entry.first] = c.folded && twins >= s.minMarkers ? 1 : 0;
        }
        for (int pass = 0, grew = 1; grew && pass < 8; ++pass) {  // bounded on a noisy picture
            grew = 0;
            for (auto& [root, c] : shorts) {
                if (judged[root] > 0) continue;
                judged[root] = OnCourse(course, c, std::max(3 * c.thick, 6.0));
                if (judged[root] <= 0) continue;
                for (const auto& [x, rows] : c.columns) course[x].insert(course[x].end(), rows.begin(), rows.end());
                grew = 1;
            }
        }
        // A dab off every course is kept: the stub of a thick curve cut off by a
        // legend or an axis, where text would be written in longer strokes.
        for (auto& [root, c] : shorts) {
            // Three or more straight pieces end to end, none folded, are a dashed curve of
            // their own beside the others (two curves in one colour), not writing.
            const bool dashes = s.oneInkPerClass && c.pieces >= 3 && c.folded == 0 && !c.headed;
            c.apart = (judged[root] < 0 && !dashes) || (judged[root] == 0 && (c.letters || (c.pieces == 1 && c.headed)));
        }
        for (int m : members) {
            const auto it = shorts.find(Find(parent, m));
            if (it != shorts.end() && it->second.apart) roles[m] = PatchRole::Annotation;
        }
    }
    return roles;
}

std::vector<bool> CurvePatches(const cv::Mat& rgb, const PatchList& patches, const std::vector<int>& classes,
                               const PlotArea& area, const AnnotationSettings& settings) {
    std::vector<bool> curve;
    for (PatchRole role : ClassifyPatches(patches, classes, FindLegends(rgb), area, settings))
        curve.push_back(role == PatchRole::Curve);
    return curve;
}
