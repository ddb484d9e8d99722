#include "text/tick_marks.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kInsideDepth = 30;    // px into the plot searched for inside ticks and grid lines
constexpr int kMaxTickLength = 60;  // a longer stroke outside the frame is no tick
constexpr int kLineSearch = 5;      // px around the plot area's edge searched first for the frame line
// Failing that, this share of the plot's height (width) inwards: the plot area
// may have missed the frame and run to the picture's edge.
constexpr double kWideLineSearch = 0.4;
// Mean darkness over the plot's width at which a row belongs to the frame line;
// an anti-aliased 1-px line spread over two rows still reaches it.
constexpr int kLineDarkness = 64;
constexpr int kMaxTickWidth = 8;

// The strip along one edge turned so that the frame line runs across and the
// outside lies below it: the bottom edge as it is, the left edge transposed and
// mirrored. Rows of the view are depth, columns run along the edge.
struct EdgeView {
    PlotEdge edge;
    cv::Mat dark;  // 255 - grey
    cv::Mat ink;    // glyphs: 255 where dark
    cv::Mat faint;  // lines and ticks: 255 where half as dark
    int edgeGuess = 0;
    int search = kLineSearch;  // px inwards searched for the line
    int alongFrom = 0, alongTo = 0;
    int offAlong = 0, offDepth = 0, width = 0;

    // `image`: grey, or red-green-blue; only the strip is converted. `wide`
    // searches far inwards for the line.
    EdgeView(const cv::Mat& image, const PlotArea& a, PlotEdge e, bool wide) : edge(e) {
        search = wide ? std::max(kLineSearch, int(kWideLineSearch * (e == PlotEdge::Bottom ? a.bottom - a.top
                                                                                            : a.right - a.left)))
                      : kLineSearch;
        const cv::Rect strip = Strip(a, e, image.size(), search);
        cv::Mat grey;
        if (image.channels() == 3) cv::cvtColor(image(strip), grey, cv::COLOR_RGB2GRAY);
        else grey = image(strip);
        if (e == PlotEdge::Bottom) {
            dark = 255 - grey;
            edgeGuess = a.bottom - strip.y;
            alongFrom = a.left - strip.x;
            alongTo = a.right - strip.x;
            offAlong = strip.x;
            offDepth = strip.y;
        } else {
            width = strip.width;
            cv::Mat turned;
            cv::transpose(255 - grey, turned);
            cv::flip(turned, dark, 0);
            edgeGuess = width - a.left;
            alongFrom = a.top - strip.y;
            alongTo = a.bottom - strip.y;
            offAlong = strip.y;
        }
        if (dark.empty()) return;
        // Glyphs: Otsu's level between ink and paper, kept sane for a strip of
        // nearly all paper; lines and ticks at half of it, anti-aliased ones too.
        int level = int(cv::threshold(dark, ink, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU));
        if (level < 40 || level > 190) {
            level = std::clamp(level, 40, 190);
            cv::threshold(dark, ink, level, 255, cv::THRESH_BINARY);
        }
        cv::threshold(dark, faint, level / 2, 255, cv::THRESH_BINARY);
    }

    // The part of the picture read for an edge.
    static cv::Rect Strip(const PlotArea& a, PlotEdge edge, const cv::Size& image, int search) {
        const cv::Rect whole(0, 0, image.width, image.height);
        if (edge == PlotEdge::Bottom) {
            const int margin = std::max(20, (a.right - a.left) / 10);
            const int r0 = std::clamp(a.bottom - kInsideDepth - search, 0, image.height);
            return cv::Rect(a.left - margin, r0, a.right - a.left + 2 * margin, image.height - r0) & whole;
        }
        const int margin = std::max(20, (a.bottom - a.top) / 10);
        return cv::Rect(0, a.top - margin, std::clamp(a.left + kInsideDepth + search, 0, image.width),
                        a.bottom - a.top + 2 * margin) & whole;
    }

    cv::Rect ToImage(const cv::Rect& v) const {
        if (edge == PlotEdge::Bottom) return cv::Rect(v.x + offAlong, v.y + offDepth, v.width, v.height);
        return cv::Rect(width - v.y - v.height, v.x + offAlong, v.height, v.width);
    }
    double AlongToImage(double a) const { return a + offAlong; }
    int DepthToImage(int r) const { return edge == PlotEdge::Bottom ? r + offDepth : width - 1 - r; }
    bool Stroke(int r, int c) const { return faint.at<uchar>(r, c) != 0; }
};

struct Group {
    int first, last;  // columns, inclusive
    int length;
};

// Runs of neighbouring columns whose stroke is at least `least` px long.
std::vector<Group> Strokes(const std::vector<int>& len, int from, int least) {
    std::vector<Group> out;
    for (size_t c = 0; c < len.size();) {
        if (len[c] < least) {
            ++c;
            continue;
        }
        Group g{int(c) + from, int(c) + from, 0};
        bool tooLong = false;
        while (c < len.size() && len[c] >= least) {
            g.last = int(c) + from;
            g.length = std::max(g.length, len[c]);
            tooLong = tooLong || len[c] >= kMaxTickLength;
            ++c;
        }
        if (!tooLong && g.last - g.first + 1 <= kMaxTickWidth) out.push_back(g);
    }
    return out;
}

// Darkness-weighted centre of a stroke over the rows it surely covers.
double StrokeCentre(const EdgeView& v, const Group& g, int rowFrom, int rowTo) {
    double sum = 0, weight = 0;
    for (int c = std::max(0, g.first - 1); c <= std::min(v.dark.cols - 1, g.last + 1); ++c)
        for (int r = std::max(0, rowFrom); r <= std::min(v.dark.rows - 1, rowTo); ++r) {
            const double w = std::max(0, int(v.dark.at<uchar>(r, c)) - 16);
            sum += w * c;
            weight += w;
        }
    return weight > 0 ? sum / weight : 0.5 * (g.first + g.last);
}

// The rows of the frame line nearest the expected one: first close to it, then
// as far inwards as the view searches.
bool FindFrameLine(const EdgeView& v, int& first, int& last) {
    const int from = std::clamp(v.alongFrom, 0, v.dark.cols), to = std::clamp(v.alongTo, 0, v.dark.cols);
    if (to - from <= 0) return false;
    cv::Mat sums;
    cv::reduce(v.dark.colRange(from, to), sums, 1, cv::REDUCE_SUM, CV_32S);
    auto dark = [&](int r) { return r >= 0 && r < v.dark.rows && sums.at<int>(r) >= kLineDarkness * (to - from); };
    for (int reach : {kLineSearch, v.search}) {
        int best = -1;
        for (int d = 0; d <= reach && best < 0; ++d)
            for (int r : {v.edgeGuess - d, v.edgeGuess + d})
                if (best < 0 && r <= v.edgeGuess + kLineSearch && dark(r)) best = r;
        if (best < 0) continue;
        first = last = best;
        while (dark(first - 1)) --first;
        while (dark(last + 1)) ++last;
        return true;
    }
    return false;
}

}  // namespace

EdgeScan ScanPlotEdge(const cv::Mat& image, const PlotArea& area, PlotEdge edge) {
    if (image.type() != CV_8UC1 && image.type() != CV_8UC3)
        throw std::invalid_argument("ScanPlotEdge needs an 8-bit grey or RGB image");
    EdgeScan out;
    const char* name = edge == PlotEdge::Bottom ? "bottom" : "left";
    if (area.left < 0 || area.top < 0 || area.right > image.cols || area.bottom > image.rows || area.right <= area.left ||
        area.bottom <= area.top) {
        out.problem = "no plot area";
        return out;
    }
    // The plot area may have missed the frame and run to the picture's edge: then
    // look further inwards.
    int lineFirst = 0, lineLast = 0;
    std::unique_ptr<EdgeView> view;
    for (bool wide : {false, true}) {
        view = std::make_unique<EdgeView>(image, area, edge, wide);
        if (!view->dark.empty() && FindFrameLine(*view, lineFirst, lineLast)) break;
        view.reset();
    }
    if (!view) {
        out.problem = std::string("no frame line along the ") + name + " edge";
        return out;
    }
    const EdgeView& v = *view;
    out.line = v.DepthToImage(lineLast);

    // The stretch of the line itself: ticks stand on it, nothing beyond its ends.
    const int mid = std::clamp((v.alongFrom + v.alongTo) / 2, 0, v.ink.cols - 1);
    auto onLine = [&](int c) {
        for (int r = lineFirst; r <= lineLast; ++r)
            if (v.Stroke(r, c)) return true;
        return false;
    };
    int lineStart = mid, lineEnd = mid;  // first and last column on the line, gaps of up to 3 px bridged
    for (int c = mid; c >= 0 && lineStart - c <= 4; --c)
        if (onLine(c)) lineStart = c;
    for (int c = mid; c < v.ink.cols && c - lineEnd <= 4; ++c)
        if (onLine(c)) lineEnd = c;

    const int from = std::max(0, lineStart - 2), to = std::min(v.ink.cols, lineEnd + 3);
    std::vector<int> outLen(size_t(to - from), 0), inLen(size_t(to - from), 0);
    for (int c = from; c < to; ++c) {
        int n = 0;
        for (int r = lineLast + 1; r < v.ink.rows && v.Stroke(r, c) && n < kMaxTickLength; ++r) ++n;
        outLen[size_t(c - from)] = n;
        n = 0;
        for (int r = lineFirst - 1; r >= 0 && v.Stroke(r, c) && n < kInsideDepth; --r) ++n;
        inLen[size_t(c - from)] = n;
    }
    // Outside nothing but ticks touches the line, so even a 1-px stub counts (the
    // outer half of a small tick drawn across the line); inside, curves touch it too.
    std::vector<Group> outside = Strokes(outLen, from, 1);
    // The frame's other sides may poke a pixel or two past the line's ends.
    outside.erase(std::remove_if(outside.begin(), outside.end(),
                                 [&](const Group& g) {
                                     return g.length <= 2 && (g.first <= lineStart + 2 || g.last >= lineEnd - 2);
                                 }),
                  outside.end());
    const bool useOutside = outside.size() >= 2;
    std::vector<Group> chosen = useOutside ? outside : Strokes(inLen, from, 2);
    // Inside, the frame's other sides rise from the line's ends: they are no ticks.
    chosen.erase(std::remove_if(chosen.begin(), chosen.end(),
                                [&](const Group& g) {
                                    return !useOutside && g.length >= kInsideDepth &&
                                           (g.first <= lineStart + 2 || g.last >= lineEnd - 2);
                                }),
                 chosen.end());
    // Inside, strokes that run on into the plot are grid lines when most strokes
    // do, and curves meeting the frame when few do. The major ticks are the
    // longest length at least two strokes share (a lone longer stroke is a curve).
    auto runsOn = [&](const Group& g) { return !useOutside && g.length >= kInsideDepth; };
    size_t running = 0;
    for (const Group& g : chosen) running += runsOn(g);
    const bool grid = 2 * running > chosen.size();
    int longest = 0;
    for (const Group& g : chosen) {
        if (runsOn(g) || g.length <= longest) continue;
        int alike = 0;
        for (const Group& h : chosen) alike += !runsOn(h) && h.length <= g.length && 4 * h.length >= 3 * g.length;
        if (alike >= 2) longest = g.length;
    }
    for (const Group& g : chosen) {
        const int reach = std::max(1, (std::min(g.length, kInsideDepth) + 1) / 2);
        const double c = useOutside ? StrokeCentre(v, g, lineLast + 1, lineLast + reach)
                                    : StrokeCentre(v, g, lineFirst - reach, lineFirst - 1);
        const bool major = grid ? runsOn(g) : !runsOn(g) && 4 * g.length >= 3 * longest && 3 * g.length <= 4 * longest;
        out.ticks.push_back({v.AlongToImage(c), g.length, useOutside, major});
    }

    // Tick labels: connected ink below the ticks, not touching the line.
    const int zone = useOutside ? longest : 0;
    if (lineLast + 1 >= v.ink.rows) return out;
    cv::Mat below = v.ink.rowRange(lineLast + 1, v.ink.rows), comp, stats, centroids;
    const int n = cv::connectedComponentsWithStats(below, comp, stats, centroids, 8, CV_32S);
    struct Piece {
        cv::Rect r;  // view, depth counted from the first row past the line
        bool onLine;  // beside the line rather than beyond its ends
    };
    std::vector<Piece> pieces;
    for (int k = 1; k < n; ++k) {
        const cv::Rect r(stats.at<int>(k, cv::CC_STAT_LEFT), stats.at<int>(k, cv::CC_STAT_TOP),
                         stats.at<int>(k, cv::CC_STAT_WIDTH), stats.at<int>(k, cv::CC_STAT_HEIGHT));
        if (r.y == 0) continue;  // a tick or the frame
        const bool offLine = r.x + r.width < lineStart - 2 || r.x > lineEnd + 2;
        if (offLine && r.y <= zone + 1) continue;  // the other axis's labels reaching round the corner
        if (r.width > (lineEnd - lineStart) / 2) continue;
        pieces.push_back({r, !offLine});
    }
    if (pieces.empty()) return out;

    // The first band of text: rows covered by pieces from the nearest one on,
    // allowing gaps of a fraction of the glyph height.
    const bool turned = edge == PlotEdge::Left;
    // Only pieces beside the line decide where the band lies; those beyond its
    // ends join in when they fall inside it (a label centred on the last tick).
    int start = below.rows;
    std::vector<int> cover(size_t(below.rows) + 1, 0);
    for (const Piece& p : pieces) {
        if (!p.onLine) continue;
        start = std::min(start, p.r.y);
        for (int r = p.r.y; r < p.r.y + p.r.height; ++r) cover[size_t(r)] = 1;
    }
    if (start == below.rows) return out;
    int firstRunEnd = start;
    while (firstRunEnd < below.rows && cover[size_t(firstRunEnd)]) ++firstRunEnd;
    std::vector<int> heights;
    for (const Piece& p : pieces)
        if (p.onLine && p.r.y < firstRunEnd) heights.push_back(turned ? p.r.width : p.r.height);
    // Digit height: the median of the pieces at least half as tall as the tallest
    // (points, commas and minus signs left out).
    const int tallest = *std::max_element(heights.begin(), heights.end());
    heights.erase(std::remove_if(heights.begin(), heights.end(), [&](int h) { return 2 * h < tallest; }), heights.end());
    std::nth_element(heights.begin(), heights.begin() + long(heights.size() / 2), heights.end());
    const int glyph = std::max(1, heights[heights.size() / 2]);
    // Across a row of labels the band is one line of text; beside the left edge it
    // is as wide as the widest label, whose narrow glyphs (a comma in a fixed-width
    // font) can stand far apart.
    const int bandGap = std::max(1, int(std::lround((turned ? 0.5 : 0.3) * glyph)));
    int end = firstRunEnd;
    for (int gap = 0, r = firstRunEnd; r < below.rows && gap <= bandGap; ++r) {
        if (cover[size_t(r)]) {
            gap = 0;
            end = r + 1;
        } else {
            ++gap;
        }
    }

    std::vector<cv::Rect> inBand;
    for (const Piece& p : pieces)
        if (p.r.y >= start && p.r.y + p.r.height <= end) inBand.push_back(p.r);
    std::sort(inBand.begin(), inBand.end(), [](const cv::Rect& a, const cv::Rect& b) { return a.x < b.x; });
    const int split = turned ? std::max(1, int(std::lround(0.15 * glyph))) : std::max(2, int(std::lround(0.5 * glyph)));
    std::vector<std::vector<cv::Rect>> joinedBlobs;
    int reach = -(1 << 30);
    for (const cv::Rect& r : inBand) {
        if (joinedBlobs.empty() || r.x - reach >= split) joinedBlobs.emplace_back();
        joinedBlobs.back().push_back(r);
        reach = std::max(reach, r.x + r.width);
    }
    // Labels set so close that no gap parts them are parted where the gap between
    // two major ticks they cover is widest.
    std::vector<double> majors;
    for (const TickMark& t : out.ticks)
        if (t.major) majors.push_back(t.position - v.offAlong);
    std::vector<std::vector<cv::Rect>> blobs;
    for (auto& parts : joinedBlobs) {
        std::vector<int> reachBefore(parts.size(), 0);  // right end of the pieces before each
        for (size_t i = 1; i < parts.size(); ++i)
            reachBefore[i] = std::max(reachBefore[i - 1], parts[i - 1].x + parts[i - 1].width);
        size_t begin = 0;
        for (size_t k = 0; k + 1 < majors.size(); ++k) {
            if (majors[k] < parts.front().x || majors[k + 1] > reachBefore.back()) continue;
            size_t cut = 0;
            int widest = -(1 << 30);
            for (size_t i = std::max<size_t>(begin, 1); i < parts.size(); ++i) {
                const double middle = 0.5 * (reachBefore[i] + parts[i].x);
                if (middle > majors[k] && middle < majors[k + 1] && parts[i].x - reachBefore[i] > widest) {
                    widest = parts[i].x - reachBefore[i];
                    cut = i;
                }
            }
            if (cut == 0) continue;
            blobs.emplace_back(parts.begin() + long(begin), parts.begin() + long(cut));
            begin = cut;
        }
        blobs.emplace_back(parts.begin() + long(begin), parts.end());
    }
    for (const auto& parts : blobs) {
        TickLabelBox label;
        for (cv::Rect r : parts) {
            r.y += lineLast + 1;
            const cv::Rect img = v.ToImage(r);
            label.box = label.glyphs.empty() ? img : (label.box | img);
            label.glyphs.push_back(img);
        }
        // Reading order, with pieces of one glyph (stacked in a column) joined.
        std::sort(label.glyphs.begin(), label.glyphs.end(), [](const cv::Rect& a, const cv::Rect& b) { return a.x < b.x; });
        std::vector<cv::Rect> joined;
        for (const cv::Rect& g : label.glyphs) {
            if (!joined.empty()) {
                cv::Rect& last = joined.back();
                const int overlap = std::min(last.x + last.width, g.x + g.width) - std::max(last.x, g.x);
                if (overlap >= 0.6 * std::min(last.width, g.width)) {
                    last |= g;
                    continue;
                }
            }
            joined.push_back(g);
        }
        label.glyphs = std::move(joined);
        out.labels.push_back(std::move(label));
    }
    auto along = [&](const TickLabelBox& l) { return edge == PlotEdge::Bottom ? l.box.x : l.box.y; };
    std::sort(out.labels.begin(), out.labels.end(),
              [&](const TickLabelBox& a, const TickLabelBox& b) { return along(a) < along(b); });
    return out;
}

TickPairing PairLabelsWithTicks(const std::vector<TickMark>& ticks, const std::vector<cv::Rect>& labels, PlotEdge edge) {
    TickPairing out;
    out.tickOfLabel.assign(labels.size(), -1);
    std::vector<int> claims(ticks.size(), 0);
    for (size_t i = 0; i < labels.size(); ++i) {
        const cv::Rect& b = labels[i];
        const double centre = edge == PlotEdge::Bottom ? b.x + 0.5 * (b.width - 1) : b.y + 0.5 * (b.height - 1);
        const double extent = edge == PlotEdge::Bottom ? b.width : b.height;
        double d1 = 1e18, d2 = 1e18;
        int best = -1;
        for (size_t t = 0; t < ticks.size(); ++t) {
            if (!ticks[t].major) continue;
            const double d = std::abs(ticks[t].position - centre);
            if (d < d1) {
                d2 = d1;
                d1 = d;
                best = int(t);
            } else if (d < d2) {
                d2 = d;
            }
        }
        const double tolerance = (edge == PlotEdge::Bottom ? 0.25 : 0.4) * extent + 2;
        if (best < 0 || d1 > tolerance) continue;
        if (d2 <= 2 * d1 + 2) {
            ++out.ambiguous;
            continue;
        }
        out.tickOfLabel[i] = best;
        ++claims[size_t(best)];
    }
    for (size_t i = 0; i < labels.size(); ++i) {
        const int t = out.tickOfLabel[i];
        if (t >= 0 && claims[size_t(t)] > 1) {
            out.tickOfLabel[i] = -1;
            ++out.ambiguous;
        }
    }
    return out;
}
