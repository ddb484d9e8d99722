#include "detect/centres.h"

#include <algorithm>
#include <cmath>

namespace {

// A scatter marker is no wider or taller than this.
constexpr int kMaxMarker = 25;
// Fewer markers than this in a graph that also holds a curve are pieces of the curve.
constexpr int kMinMarkers = 3;
// Below this colour distance between ink and background a column has no usable contrast.
constexpr float kMinContrast = 24.0f;
// How far anti-aliasing and JPEG move one ink's pixels off its blends with the background.
constexpr float kBlendSpread = 24.0f;

using Colour = cv::Vec3f;

Colour At(const cv::Mat& picture, int row, int col) {
    const cv::Vec3b& p = picture.ptr<cv::Vec3b>(row)[col];
    return {float(p[0]), float(p[1]), float(p[2])};
}

// The local background and ink of one stroke; a pixel's weight is its share of ink.
struct Contrast {
    Colour background, ink;
    float scale = 0;  // squared distance from background to ink

    float Weight(const Colour& p) const { return std::clamp((background - p).dot(background - ink) / scale, 0.f, 1.f); }
    // Far enough from the background to be ink of some kind.
    bool Inked(const Colour& p) const { return (p - background).dot(p - background) >= 0.12f * scale; }
    // Distance of p from the nearest blend of this ink with the background (RGB
    // units); `strength` the share of ink in that blend.
    float OffBlend(const Colour& p, float& strength) const {
        strength = std::clamp((p - background).dot(ink - background) / scale, 0.f, 1.f);
        const Colour off = p - (background + strength * (ink - background));
        return std::sqrt(off.dot(off));
    }
    // Ink of another colour: no blend of this ink with the background comes near it.
    bool Foreign(const Colour& p) const {
        float strength = 0;
        return OffBlend(p, strength) >= 2 * kBlendSpread;
    }
    // This ink itself, at half strength or more.
    bool Same(const Colour& p) const {
        float strength = 0;
        return OffBlend(p, strength) < kBlendSpread && strength >= 0.5f;
    }
};

// The background is the median of up to three pixels beyond each end of the
// stroke [r1, r2] (one neighbouring line cannot move it); the ink is the stroke's
// pixel farthest from it.
bool StrokeContrast(const cv::Mat& picture, int col, int r1, int r2, Contrast& out) {
    float samples[3][6];
    int n = 0;
    for (int k = 2; k <= 4; ++k)
        for (int r : {r1 - k, r2 + k}) {
            if (r < 0 || r >= picture.rows) continue;
            const Colour c = At(picture, r, col);
            for (int ch = 0; ch < 3; ++ch) samples[ch][n] = c[ch];
            ++n;
        }
    if (n == 0) return false;
    for (int ch = 0; ch < 3; ++ch) {
        std::nth_element(samples[ch], samples[ch] + n / 2, samples[ch] + n);
        out.background[ch] = samples[ch][n / 2];
    }
    out.scale = 0;
    for (int r = r1; r <= r2; ++r) {
        const Colour c = At(picture, r, col);
        const float d = (c - out.background).dot(c - out.background);
        if (d > out.scale) out.scale = d, out.ink = c;
    }
    return out.scale >= kMinContrast * kMinContrast;
}

struct Moments {
    double weight = 0, row = 0, col = 0;
};

// Weighs the stroke [r1, r2] of one column and the fringe pixel beyond each end,
// the fringe only where the ink keeps fading (not where other ink begins).
void WeighStroke(const cv::Mat& picture, int col, int r1, int r2, const Contrast& c, Moments& m) {
    auto add = [&](int r, float w) {
        m.weight += w;
        m.row += double(w) * r;
        m.col += double(w) * col;
    };
    for (int r = r1; r <= r2; ++r) add(r, c.Weight(At(picture, r, col)));
    if (r1 > 0) {
        const float w = c.Weight(At(picture, r1 - 1, col));
        if (w <= c.Weight(At(picture, r1, col))) add(r1 - 1, w);
    }
    if (r2 + 1 < picture.rows) {
        const float w = c.Weight(At(picture, r2 + 1, col));
        if (w <= c.Weight(At(picture, r2, col))) add(r2 + 1, w);
    }
}

struct Span {
    int row1, row2, patch, id;
};

// The graph's runs by column, clipped to the picture.
class ColumnIndex {
public:
    ColumnIndex(const PatchList& graph, int rows, int cols) {
        int x0 = cols, x1 = -1;
        for (const Patch& patch : graph)
            for (const Run& run : patch)
                if (run.col >= 0 && run.col < cols) x0 = std::min(x0, run.col), x1 = std::max(x1, run.col);
        first_ = x0;
        columns_.resize(x1 >= x0 ? x1 - x0 + 1 : 0);
        for (size_t p = 0; p < graph.size(); ++p)
            for (const Run& run : graph[p]) {
                const int lo = std::max(std::min(run.row1, run.row2), 0);
                const int hi = std::min(std::max(run.row1, run.row2), rows - 1);
                if (run.col < 0 || run.col >= cols || lo > hi) continue;
                columns_[run.col - first_].push_back({lo, hi, int(p), count_++});
            }
    }
    int Count() const { return count_; }
    int First() const { return first_; }
    int Last() const { return first_ + int(columns_.size()) - 1; }
    const std::vector<Span>* Column(int col) const {
        return col < first_ || col - first_ >= int(columns_.size()) ? nullptr : &columns_[col - first_];
    }
    const Span* Find(int col, int row) const {
        if (const auto* spans = Column(col))
            for (const Span& s : *spans)
                if (s.row1 <= row && row <= s.row2) return &s;
        return nullptr;
    }
    // Whether a run of another patch than `patch` meets columns [c0, c1] within rows [r0, r1].
    bool OtherInk(int c0, int c1, int r0, int r1, int patch) const {
        for (int c = c0; c <= c1; ++c)
            if (const auto* spans = Column(c))
                for (const Span& s : *spans)
                    if (s.patch != patch && s.row1 <= r1 && s.row2 >= r0) return true;
        return false;
    }

private:
    int first_ = 0, count_ = 0;
    std::vector<std::vector<Span>> columns_;
};

// A small round blob (not a dash: its ink spreads about as far one way as any
// other) with no other ink of the graph within three columns of it.
bool IsMarker(const Patch& patch, int index, const ColumnIndex& columns) {
    const IRect b = PatchBoundingBox(patch);
    if (b.IsUnset()) return false;
    const int w = b.right - b.left + 1, h = b.bottom - b.top + 1;
    if (std::max(w, h) > kMaxMarker || std::min(w, h) < 3) return false;
    // Second moments of the ink pixels, a run at a time.
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (const Run& run : patch) {
        const double lo = std::min(run.row1, run.row2), hi = std::max(run.row1, run.row2), k = hi - lo + 1;
        const double rows = (lo + hi) * k / 2, squares = (hi * (hi + 1) * (2 * hi + 1) - (lo - 1) * lo * (2 * lo - 1)) / 6;
        n += k, sx += k * run.col, sy += rows, sxx += k * run.col * run.col, syy += squares, sxy += run.col * rows;
    }
    const double vx = sxx / n - (sx / n) * (sx / n), vy = syy / n - (sy / n) * (sy / n);
    const double cxy = sxy / n - (sx / n) * (sy / n);
    const double mean = (vx + vy) / 2, spread = std::sqrt((vx - vy) * (vx - vy) / 4 + cxy * cxy);
    if (mean + spread > 2.5 * (mean - spread)) return false;
    return !columns.OtherInk(b.left - 3, b.left - 1, b.top - h, b.bottom + h, index) &&
           !columns.OtherInk(b.right + 1, b.right + 3, b.top - h, b.bottom + h, index);
}

cv::Point2d Centroid(const cv::Mat& picture, const Patch& patch) {
    Moments m;
    for (const Run& run : patch) {
        const int lo = std::max(std::min(run.row1, run.row2), 0);
        const int hi = std::min(std::max(run.row1, run.row2), picture.rows - 1);
        if (run.col < 0 || run.col >= picture.cols || lo > hi) continue;
        Contrast c;
        if (StrokeContrast(picture, run.col, lo, hi, c)) {
            WeighStroke(picture, run.col, lo, hi, c, m);
        } else {
            for (int r = lo; r <= hi; ++r) m.weight += 1, m.row += r, m.col += run.col;
        }
    }
    return m.weight > 0 ? cv::Point2d(m.col / m.weight, m.row / m.weight) : cv::Point2d(-1, -1);
}

bool ByXThenY(const cv::Point2d& a, const cv::Point2d& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

// Fills gaps of missing columns between two single points where other ink covers them.
void Bridge(PointList& points, const ColumnIndex& columns, const cv::Mat& picture) {
    // The graph's own ink: the median over its lone strokes, so that a column
    // where another curve's ink runs into this one's stroke does not set it.
    std::vector<float> inks[3];
    for (int x = columns.First(); x <= columns.Last(); ++x) {
        const auto* spans = columns.Column(x);
        Contrast c;
        if (spans && spans->size() == 1 && StrokeContrast(picture, x, spans->front().row1, spans->front().row2, c))
            for (int ch = 0; ch < 3; ++ch) inks[ch].push_back(c.ink[ch]);
    }
    Colour ownInk;
    for (int ch = 0; ch < 3 && !inks[0].empty(); ++ch) {
        std::nth_element(inks[ch].begin(), inks[ch].begin() + inks[ch].size() / 2, inks[ch].end());
        ownInk[ch] = inks[ch][inks[ch].size() / 2];
    }
    PointList added;
    auto single = [&](size_t i) {
        return (i == 0 || points[i - 1].x != points[i].x) && (i + 1 == points.size() || points[i + 1].x != points[i].x);
    };
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const cv::Point2d a = points[i], b = points[i + 1];
        const int xa = int(a.x), xb = int(b.x), gap = xb - xa - 1;
        if (gap < 1 || a.x != xa || b.x != xb || !single(i) || !single(i + 1)) continue;
        const Span* own = columns.Find(xa, int(a.y));
        Contrast c;
        if (!own || !StrokeContrast(picture, xa, own->row1, own->row2, c)) continue;
        Contrast ownColour = c;
        if (!inks[0].empty()) {
            ownColour.ink = ownInk;
            ownColour.scale = std::max((ownInk - c.background).dot(ownInk - c.background), 1.f);
        }
        auto rowAt = [&](int x) { return a.y + (b.y - a.y) * (x - xa) / double(xb - xa); };
        // The other ink's pixels: inked, and not this graph's own runs.
        auto other = [&](int r, int x) {
            return r >= 0 && r < picture.rows && x >= 0 && x < picture.cols && !columns.Find(x, r) &&
                   c.Inked(At(picture, r, x));
        };
        const int mid = xa + 1 + gap / 2;
        int midRow = -1;
        bool covered = true, foreign = true;
        // Thinning shortens each side by a pixel or so; those columns are this graph's own ink.
        for (int x = xa + 1; x < xb && covered; ++x) {
            const int ry = int(std::lround(rowAt(x)));
            int hit = -1;
            bool alien = false;
            for (int r : {ry, ry - 1, ry + 1}) {
                if (hit < 0 && (other(r, x) || columns.Find(x, r))) hit = r;
                alien = alien || columns.Find(x, r) || (other(r, x) && ownColour.Foreign(At(picture, r, x)));
            }
            covered = hit >= 0;
            foreign = foreign && alien;
            if (x == mid) midRow = hit;
        }
        if (!covered) continue;
        // The other stroke's width: its shorter extent through the gap's middle.
        int across = 1, along = 1;
        for (int x = mid - 1; other(midRow, x); --x) ++across;
        for (int x = mid + 1; other(midRow, x); ++x) ++across;
        for (int r = midRow - 1; other(r, mid) && along <= across; --r) ++along;
        for (int r = midRow + 1; other(r, mid) && along <= across; ++r) ++along;
        // A curve hidden for longer than a few strokes' width may have turned away
        // under it; not where ink of another colour lies on the line at every
        // column: another curve runs along this one and hides it, letting it peek
        // out here and there. Its own colour along a quarter of the gap or more is
        // a stretch of it left unpicked, which no bridge may replace.
        int ownColumns = 0;  // where this graph's colour shows outside its runs, as far as the other stroke reaches
        for (int x = xa + 1; x < xb && foreign; ++x) {
            const int ry = int(std::lround(rowAt(x)));
            bool same = false;
            for (int r = ry - along - 2; r <= ry + along + 2 && !same; ++r)
                same = other(r, x) && ownColour.Same(At(picture, r, x));
            ownColumns += same;
        }
        const bool hiddenAlong = foreign && 4 * ownColumns < gap;
        if (!hiddenAlong && gap > 4 * (std::min(across, along) + 2)) continue;
        for (int x = xa + 1; x < xb; ++x) added.emplace_back(x, rowAt(x));
    }
    points.insert(points.end(), added.begin(), added.end());
    std::sort(points.begin(), points.end(), ByXThenY);
}

}  // namespace

void PlaceCurveCentres(PointList& points, const PatchList& graph, const cv::Mat& picture, bool bridge) {
    if (picture.empty()) return;
    CV_Assert(picture.type() == CV_8UC3);
    const ColumnIndex columns(graph, picture.rows, picture.cols);
    std::vector<bool> marker(graph.size());
    for (size_t p = 0; p < graph.size(); ++p) marker[p] = IsMarker(graph[p], int(p), columns);
    // A scatter's markers come by the handful; one or two blobs beside a curve's
    // stroke are its stubs cut off by an axis, a legend or a crossing.
    const bool stroke = std::any_of(graph.begin(), graph.end(), [](const Patch& patch) {
        const IRect b = PatchBoundingBox(patch);
        return !b.IsUnset() && std::max(b.right - b.left, b.bottom - b.top) + 1 > kMaxMarker;
    });
    if (stroke && std::count(marker.begin(), marker.end(), true) < kMinMarkers) marker.assign(graph.size(), false);

    std::vector<const Span*> owner(points.size(), nullptr);
    std::vector<int> pointsInSpan(columns.Count(), 0);
    for (size_t i = 0; i < points.size(); ++i) {
        const cv::Point2d& p = points[i];
        if (p.x != std::floor(p.x) || p.y < 0) continue;
        owner[i] = columns.Find(int(p.x), int(p.y));
        if (owner[i]) ++pointsInSpan[owner[i]->id];
    }
    PointList placed;
    placed.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const Span* s = owner[i];
        cv::Point2d p = points[i];
        if (s && marker[s->patch]) continue;
        Contrast c;
        if (s && pointsInSpan[s->id] == 1 && StrokeContrast(picture, int(p.x), s->row1, s->row2, c)) {
            Moments m;
            WeighStroke(picture, int(p.x), s->row1, s->row2, c, m);
            if (m.weight > 0) p.y = m.row / m.weight;
        }
        placed.push_back(p);
    }
    // Thinning eats into the free ends of strokes two pixels thick; a column that
    // lost its point but holds one run of the graph gets the run's centre.
    std::vector<int> placedColumns;
    for (const cv::Point2d& p : placed) placedColumns.push_back(int(std::lround(p.x)));
    std::sort(placedColumns.begin(), placedColumns.end());
    for (int col = columns.First(); col <= columns.Last(); ++col) {
        const auto* spans = columns.Column(col);
        if (!spans || spans->size() != 1 || marker[spans->front().patch] ||
            std::binary_search(placedColumns.begin(), placedColumns.end(), col))
            continue;
        const Span& s = spans->front();
        Contrast c;
        Moments m;
        if (StrokeContrast(picture, col, s.row1, s.row2, c)) WeighStroke(picture, col, s.row1, s.row2, c, m);
        placed.emplace_back(col, m.weight > 0 ? m.row / m.weight : (s.row1 + s.row2) * 0.5);
    }
    for (size_t p = 0; p < graph.size(); ++p)
        if (marker[p]) {
            const cv::Point2d c = Centroid(picture, graph[p]);
            if (c.x >= 0) placed.push_back(c);
        }
    std::sort(placed.begin(), placed.end(), ByXThenY);
    if (bridge) Bridge(placed, columns, picture);
    points.swap(placed);
}

double StrokeCentre(const Patch& patch, int col, int row, const cv::Mat& picture) {
    if (picture.empty() || col < 0 || col >= picture.cols) return row;
    CV_Assert(picture.type() == CV_8UC3);
    for (const Run& run : patch) {
        const int lo = std::max(std::min(run.row1, run.row2), 0);
        const int hi = std::min(std::max(run.row1, run.row2), picture.rows - 1);
        if (run.col != col || row < lo || row > hi) continue;
        Contrast c;
        Moments m;
        if (StrokeContrast(picture, col, lo, hi, c)) WeighStroke(picture, col, lo, hi, c, m);
        return m.weight > 0 ? m.row / m.weight : row;
    }
    return row;
}
