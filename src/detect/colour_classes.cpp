#include "detect/colour_classes.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>

namespace {

// Core colours are counted in bins of 5 bits per channel.
constexpr int kBinBits = 5;
constexpr int kBins = 1 << (3 * kBinBits);
// Clusters the first pass may open; noise beyond that joins the nearest.
constexpr int kMaxClusters = 64;

inline int BinOf(const cv::Vec3b& rgb) {
    constexpr int s = 8 - kBinBits;
    return (rgb[0] >> s) << (2 * kBinBits) | (rgb[1] >> s) << kBinBits | (rgb[2] >> s);
}

// Map colours are stored blue, green, red.
inline cv::Vec3b Rgb(const cv::Vec3b& mapColour) { return cv::Vec3b(mapColour[2], mapColour[1], mapColour[0]); }

// Ink strength: how far a colour is from the paper, as the mean channel difference.
inline int Strength(const cv::Vec3b& rgb, const cv::Vec3b& paper) {
    return (std::abs(rgb[0] - paper[0]) + std::abs(rgb[1] - paper[1]) + std::abs(rgb[2] - paper[2]) + 1) / 3;
}

struct Box {
    int x0, y0, x1, y1;  // the map's pixels, one pixel of margin, inside the image
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};

Box MapBox(const DetectionMap& map, const cv::Mat& image) {
    int x0 = image.cols, x1 = -1;
    for (size_t k = 0; k < map.size(); ++k) {
        x0 = std::min(x0, map.Column(k));
        x1 = std::max(x1, map.Column(k));
    }
    const int y0 = map.FirstRow(), y1 = map.FirstRow() + map.RowCount() - 1;
    return {std::max(x0 - 1, 0), std::max(y0 - 1, 0), std::min(x1 + 2, image.cols), std::min(y1 + 2, image.rows)};
}

// Visits every map pixel inside the image as (x, y, rgb).
template <typename F>
void ForEachInk(const DetectionMap& map, const cv::Mat& image, F&& f) {
    for (int i = 0; i < map.RowCount(); ++i) {
        const int y = map.FirstRow() + i;
        if (y < 0 || y >= image.rows) continue;
        for (size_t k = map.RowBegin(i); k < map.RowBegin(i + 1); ++k) {
            const int x = map.Column(k);
            if (x >= 0 && x < image.cols) f(x, y, k);
        }
    }
}

// The strongest ink around each pixel (3 x 3), over the box; 0 where there is no ink nearby.
cv::Mat NeighbourhoodStrength(const DetectionMap& map, const cv::Mat& image, const Box& box, const cv::Vec3b& paper) {
    cv::Mat strength(box.Height(), box.Width(), CV_8UC1, cv::Scalar(0));
    ForEachInk(map, image, [&](int x, int y, size_t k) {
        strength.ptr<uchar>(y - box.y0)[x - box.x0] = static_cast<uchar>(std::min(255, Strength(Rgb(map.Colour(k)), paper)));
    });
    cv::dilate(strength, strength, cv::Mat());
    return strength;
}

inline bool IsCore(int s, int around, float share) { return s > 0 && s >= share * around; }

struct Cluster {
    cv::Vec3f labSum{0, 0, 0};
    double count = 0;
    cv::Vec3f Lab() const { return count > 0 ? labSum / static_cast<float>(count) : cv::Vec3f(); }
};

struct Bin {
    uint32_t count = 0;
    uint64_t r = 0, g = 0, b = 0;
    cv::Vec3b Mean() const {
        return cv::Vec3b(static_cast<uchar>(r / count), static_cast<uchar>(g / count), static_cast<uchar>(b / count));
    }
};

// Distance of colour c from the blend line paper -> ink (RGB, t in [0, 1.25]).
float BlendResidual(const cv::Vec3f& d, const cv::Vec3f& ink, float* tOut = nullptr) {
    const float n2 = ink.dot(ink);
    float t = n2 > 0 ? d.dot(ink) / n2 : 0.f;
    t = std::clamp(t, 0.f, 1.25f);
    if (tOut) *tOut = t;
    const cv::Vec3f r = d - t * ink;
    return std::sqrt(r.dot(r));
}

// Distance of colour offset d from its best blend t a + u b of two inks with the
// paper (t, u > 0; infinite when the best blend needs a negative share).
float TwoInkResidual(const cv::Vec3f& d, const cv::Vec3f& a, const cv::Vec3f& b, float& t, float& u) {
    const float aa = a.dot(a), bb = b.dot(b), ab = a.dot(b), da = d.dot(a), db = d.dot(b);
    const float det = aa * bb - ab * ab;
    if (det <= 1e-3f * aa * bb) return INFINITY;
    t = (da * bb - db * ab) / det, u = (db * aa - da * ab) / det;
    if (t <= 0 || u <= 0) return INFINITY;
    const cv::Vec3f r = d - t * a - u * b;
    return std::sqrt(r.dot(r));
}

inline float Chroma(const cv::Vec3f& lab) { return std::hypot(lab[1], lab[2]); }
// Black and greys: the inks grid lines share.
inline bool Neutral(const InkClass& ink, const ClassLearning& s) { return Chroma(ink.lab) < s.neutralChroma; }

inline cv::Vec3f Offset(const cv::Vec3b& rgb, const cv::Vec3b& paper) {
    return cv::Vec3f(float(rgb[0]) - paper[0], float(rgb[1]) - paper[1], float(rgb[2]) - paper[2]);
}

}  // namespace

cv::Vec3f LabOf(const cv::Vec3b& rgb) {
    static const std::array<float, 256> linear = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[static_cast<size_t>(i)] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    const float r = linear[rgb[0]], g = linear[rgb[1]], b = linear[rgb[2]];
    const float X = (0.412453f * r + 0.357580f * g + 0.180423f * b) / 0.950456f;
    const float Y = 0.212671f * r + 0.715160f * g + 0.072169f * b;
    const float Z = (0.019334f * r + 0.119193f * g + 0.950227f * b) / 1.088754f;
    auto f = [](float t) { return t > 0.008856f ? std::cbrt(t) : 7.787f * t + 16.f / 116.f; };
    const float fx = f(X), fy = f(Y), fz = f(Z);
    return cv::Vec3f(116.f * fy - 16.f, 500.f * (fx - fy), 200.f * (fy - fz));
}

float LabDistance2(const cv::Vec3f& a, const cv::Vec3f& b) {
    const cv::Vec3f d = a - b;
    return d.dot(d);
}

float HueAwareDistance(const cv::Vec3f& wanted, const cv::Vec3f& found) {
    const float c1 = Chroma(wanted), c2 = Chroma(found);
    const float dL = wanted[0] - found[0], dC = c1 - c2;
    const float da = wanted[1] - found[1], db = wanted[2] - found[2];
    const float dH2 = std::max(0.f, da * da + db * db - dC * dC);
    const float sC = 1.f + 0.045f * c1, sH = 1.f + 0.015f * c1;
    return std::sqrt(dL * dL + dC * dC / (sC * sC) + dH2 / (sH * sH));
}

std::string HexColour(const cv::Vec3b& rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

bool ParseHexColour(const std::string& text, cv::Vec3b& rgb) {
    if (text.size() != 7 || text[0] != '#') return false;
    int v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = 0;
        for (int j = 0; j < 2; ++j) {
            const char c = text[static_cast<size_t>(1 + 2 * i + j)];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return false;
            v[i] = v[i] * 16 + digit;
        }
    }
    rgb = cv::Vec3b(static_cast<uchar>(v[0]), static_cast<uchar>(v[1]), static_cast<uchar>(v[2]));
    return true;
}

int NearestReferenceOfRgb(const cv::Vec3b& rgb) {
    // The reference classing's own 8-bit Lab encoding: L scaled to 0..255, a and b offset by 128.
    const cv::Vec3f lab = LabOf(rgb);
    auto byte = [](float v) { return static_cast<uchar>(std::clamp(std::lround(v), 0L, 255L)); };
    return NearestReference(cv::Vec3b(byte(lab[0] * 255.f / 100.f), byte(lab[1] + 128.f), byte(lab[2] + 128.f)));
}

cv::Vec3b PaperColour(const cv::Mat& image, const DetectionMap& map) {
    CV_Assert(image.type() == CV_8UC3);
    const cv::Vec3b white(255, 255, 255);
    if (map.empty()) return white;
    const Box box = MapBox(map, image);
    const cv::Rect r(box.x0, box.y0, box.Width(), box.Height());
    if (r.empty()) return white;
    // About 65,000 samples on a grid are plenty to find the paper.
    const int step = std::max(1, static_cast<int>(std::sqrt(double(r.area()) / 65536.0)));
    std::vector<Bin> bins(kBins);
    bool any = false;
    for (int y = r.y; y < r.y + r.height; y += step) {
        const int i = y - map.FirstRow();
        const bool inkRow = i >= 0 && i < map.RowCount();
        const cv::Vec3b* row = image.ptr<cv::Vec3b>(y);
        size_t k = inkRow ? map.RowBegin(i) : 0;
        const size_t end = inkRow ? map.RowBegin(i + 1) : 0;
        for (int x = r.x; x < r.x + r.width; x += step) {
            while (k < end && map.Column(k) < x) ++k;
            if (k < end && map.Column(k) == x) continue;  // ink
            Bin& b = bins[static_cast<size_t>(BinOf(row[x]))];
            ++b.count;
            b.r += row[x][0], b.g += row[x][1], b.b += row[x][2];
            any = true;
        }
    }
    if (!any) return white;
    const auto most = std::max_element(bins.begin(), bins.end(), [](const Bin& a, const Bin& b) { return a.count < b.count; });
    return most->Mean();
}

void AddFaintInk(cv::Mat& binary, const cv::Mat& image, const PlotArea& area, int minStrength) {
    CV_Assert(binary.type() == CV_8UC1 && image.type() == CV_8UC3 && binary.size() == image.size());
    const cv::Rect r = cv::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top) &
                       cv::Rect(0, 0, image.cols, image.rows);
    if (r.empty()) return;
    const int step = std::max(1, static_cast<int>(std::sqrt(double(r.area()) / 65536.0)));
    std::vector<Bin> bins(kBins);
    bool any = false;
    for (int y = r.y; y < r.y + r.height; y += step) {
        const cv::Vec3b* row = image.ptr<cv::Vec3b>(y);
        const uchar* b = binary.ptr<uchar>(y);
        for (int x = r.x; x < r.x + r.width; x += step) {
            if (b[x] == 0) continue;
            Bin& bin = bins[static_cast<size_t>(BinOf(row[x]))];
            ++bin.count;
            bin.r += row[x][0], bin.g += row[x][1], bin.b += row[x][2];
            any = true;
        }
    }
    if (!any) return;
    const cv::Vec3b paper =
        std::max_element(bins.begin(), bins.end(), [](const Bin& a, const Bin& b) { return a.count < b.count; })->Mean();
    for (int y = r.y; y < r.y + r.height; ++y) {
        const cv::Vec3b* row = image.ptr<cv::Vec3b>(y);
        uchar* b = binary.ptr<uchar>(y);
        for (int x = r.x; x < r.x + r.width; ++x)
            if (b[x] != 0 && Strength(row[x], paper) >= minStrength) b[x] = 0;
    }
}

ColourClasses LearnColourClasses(const cv::Mat& image, const DetectionMap& map, const ClassLearning& settings) {
    CV_Assert(image.type() == CV_8UC3);
    ColourClasses classes;
    if (map.empty()) return classes;
    const Box box = MapBox(map, image);
    if (box.Width() <= 0 || box.Height() <= 0) return classes;
    classes.background = PaperColour(image, map);
    const cv::Vec3b paper = classes.background;
    const cv::Mat around = NeighbourhoodStrength(map, image, box, paper);

    // 1. The cores' colours, binned.
    std::vector<Bin> bins(kBins);
    size_t cores = 0;
    ForEachInk(map, image, [&](int x, int y, size_t k) {
        const cv::Vec3b rgb = Rgb(map.Colour(k));
        if (!IsCore(Strength(rgb, paper), around.ptr<uchar>(y - box.y0)[x - box.x0], settings.coreShare)) return;
        Bin& b = bins[static_cast<size_t>(BinOf(rgb))];
        ++b.count;
        b.r += rgb[0], b.g += rgb[1], b.b += rgb[2];
        ++cores;
    });
    if (cores == 0) return classes;

    // 2. Clusters in Lab: the most populous colours first, each joining the nearest
    // cluster within the merge distance or opening its own, then two rounds of
    // moving every bin to its nearest cluster centre.
    std::vector<int> used;
    for (int i = 0; i < kBins; ++i)
        if (bins[static_cast<size_t>(i)].count) used.push_back(i);
    std::sort(used.begin(), used.end(), [&](int a, int b) {
        return bins[size_t(a)].count != bins[size_t(b)].count ? bins[size_t(a)].count > bins[size_t(b)].count : a < b;
    });
    std::vector<cv::Vec3f> binLab(used.size());
    for (size_t i = 0; i < used.size(); ++i) binLab[i] = LabOf(bins[size_t(used[i])].Mean());
    const float merge2 = settings.mergeDistance * settings.mergeDistance;
    std::vector<Cluster> clusters;
    std::vector<int> member(used.size(), -1);
    auto nearest = [&](const cv::Vec3f& lab, float* d2Out) {
        int best = -1;
        float bestD = 0;
        for (size_t c = 0; c < clusters.size(); ++c) {
            if (clusters[c].count <= 0) continue;
            const float d = LabDistance2(lab, clusters[c].Lab());
            if (best < 0 || d < bestD) best = static_cast<int>(c), bestD = d;
        }
        if (d2Out) *d2Out = bestD;
        return best;
    };
    for (size_t i = 0; i < used.size(); ++i) {
        float d2 = 0;
        int c = nearest(binLab[i], &d2);
        if (c < 0 || (d2 > merge2 && static_cast<int>(clusters.size()) < kMaxClusters)) {
            clusters.emplace_back();
            c = static_cast<int>(clusters.size()) - 1;
        }
        member[i] = c;
        const double n = bins[size_t(used[i])].count;
        clusters[size_t(c)].labSum += binLab[i] * static_cast<float>(n);
        clusters[size_t(c)].count += n;
    }
    for (int round = 0; round < 2; ++round) {
        std::vector<Cluster> next(clusters.size());
        for (size_t i = 0; i < used.size(); ++i) {
            member[i] = nearest(binLab[i], nullptr);
            const double n = bins[size_t(used[i])].count;
            next[size_t(member[i])].labSum += binLab[i] * static_cast<float>(n);
            next[size_t(member[i])].count += n;
        }
        clusters.swap(next);
    }

    // Cluster of every core pixel, to see which clusters touch.
    std::vector<int> binCluster(kBins, -1);
    for (size_t i = 0; i < used.size(); ++i) binCluster[size_t(used[i])] = member[i];
    const int n = static_cast<int>(clusters.size());
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int c) {
        while (parent[size_t(c)] != c) c = parent[size_t(c)] = parent[size_t(parent[size_t(c)])];
        return c;
    };
    std::vector<double> touch(size_t(n) * size_t(n), 0.0);
    std::vector<cv::Vec3f> offset;  // each cluster's mean colour less the paper
    std::vector<bool> edge(static_cast<size_t>(n), false);  // a darkened edge joined to its line
    {
        cv::Mat coreOf(box.Height(), box.Width(), CV_8UC1, cv::Scalar(0));
        ForEachInk(map, image, [&](int x, int y, size_t k) {
            const cv::Vec3b rgb = Rgb(map.Colour(k));
            if (IsCore(Strength(rgb, paper), around.ptr<uchar>(y - box.y0)[x - box.x0], settings.coreShare))
                coreOf.ptr<uchar>(y - box.y0)[x - box.x0] = static_cast<uchar>(binCluster[size_t(BinOf(rgb))] + 1);
        });
        // Touching core pixels, counted once per pair of neighbours.
        for (int y = 0; y + 1 < coreOf.rows; ++y) {
            const uchar* row = coreOf.ptr<uchar>(y);
            const uchar* below = coreOf.ptr<uchar>(y + 1);
            for (int x = 1; x + 1 < coreOf.cols; ++x) {
                if (!row[x]) continue;
                for (const uchar o : {row[x + 1], below[x - 1], below[x], below[x + 1]})
                    if (o && o != row[x]) {
                        touch[size_t(row[x] - 1) * size_t(n) + size_t(o - 1)] += 1;
                        touch[size_t(o - 1) * size_t(n) + size_t(row[x] - 1)] += 1;
                    }
            }
        }

        // 3. One ink at different strengths: two clusters on one blend line from
        // the paper whose core pixels touch often (a thin anti-aliased line's
        // centres). Smallest first, each into a larger group, tested against that
        // group's first cluster so that tints cannot chain one ink into another.
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        offset.assign(static_cast<size_t>(n), cv::Vec3f());
        std::vector<float> strength(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) {
            // The count-weighted mean of the members' colours.
            cv::Vec3d sum(0, 0, 0);
            double cnt = 0;
            for (size_t i = 0; i < used.size(); ++i)
                if (member[i] == c) {
                    const Bin& b = bins[size_t(used[i])];
                    sum += cv::Vec3d(double(b.r), double(b.g), double(b.b));
                    cnt += b.count;
                }
            if (cnt > 0)
                offset[size_t(c)] = cv::Vec3f(float(sum[0] / cnt) - paper[0], float(sum[1] / cnt) - paper[1],
                                              float(sum[2] / cnt) - paper[2]);
            strength[size_t(c)] = std::sqrt(offset[size_t(c)].dot(offset[size_t(c)]));
        }
        std::vector<double> size(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) size[size_t(c)] = clusters[size_t(c)].count;
        std::sort(order.begin(), order.end(), [&](int a, int b) { return size[size_t(a)] < size[size_t(b)]; });
        auto oneLine = [&](int a, int b) {
            const bool aWeaker = strength[size_t(a)] <= strength[size_t(b)];
            const cv::Vec3f& weak = offset[size_t(aWeaker ? a : b)];
            const cv::Vec3f& strong = offset[size_t(aWeaker ? b : a)];
            float t = 0;
            return BlendResidual(weak, strong, &t) <= settings.blendDistance && t <= 1.05f;
        };
        // A compressed picture darkens a line's edges by a few percent of its
        // lightness and saturation, hue unchanged: one ink, off its blend line.
        auto oneHue = [&](int a, int b) {
            const cv::Vec3f la = clusters[size_t(a)].Lab(), lb = clusters[size_t(b)].Lab();
            const float ca = Chroma(la), cb = Chroma(lb);
            if (std::min(ca, cb) < settings.shadeChroma || std::min(ca, cb) < settings.shadeSaturation * std::max(ca, cb))
                return false;
            const float cross = la[1] * lb[2] - la[2] * lb[1], dot = la[1] * lb[1] + la[2] * lb[2];
            return std::abs(std::atan2(cross, dot)) <= settings.shadeHue * float(CV_PI / 180) &&
                   LabDistance2(la, lb) <= settings.shadeDistance * settings.shadeDistance;
        };
        for (const int a : order) {
            if (size[size_t(a)] <= 0 || root(a) != a) continue;
            int best = -1;
            double bestShare = 0;
            for (int b = 0; b < n; ++b) {
                if (root(b) != b || b == a || size[size_t(b)] < size[size_t(a)] || !(oneLine(a, b) || oneHue(a, b))) continue;
                double contacts = 0;
                for (int i = 0; i < n; ++i)
                    if (root(i) == a)
                        for (int j = 0; j < n; ++j)
                            if (root(j) == b) contacts += touch[size_t(i) * size_t(n) + size_t(j)];
                const double share = contacts / std::max(1.0, size[size_t(a)]);
                if (share >= settings.touchShare && share > bestShare) best = b, bestShare = share;
            }
            if (best >= 0) {
                if (!oneLine(a, best)) {
                    // The duller of a darkened edge and its line is the edge.
                    const int dull = Chroma(clusters[size_t(a)].Lab()) < Chroma(clusters[size_t(best)].Lab()) ? a : best;
                    for (int i = 0; i < n; ++i)
                        if (root(i) == dull) edge[size_t(i)] = true;
                }
                const int ra = root(a), rb = root(best);
                parent[size_t(ra)] = rb;
                size[size_t(rb)] += size[size_t(ra)];
                size[size_t(ra)] = 0;
            }
        }
    }

    // 4. Noise clusters join their nearest real one; at most maxClasses remain,
    // the smallest joining their nearest.
    std::vector<double> groupCount(static_cast<size_t>(n), 0.0);
    for (int c = 0; c < n; ++c) groupCount[size_t(root(c))] += clusters[size_t(c)].count;
    const double minCount = std::max(double(settings.minCorePixels), settings.minShare * double(cores));
    std::vector<int> groups;
    for (int c = 0; c < n; ++c)
        if (root(c) == c && groupCount[size_t(c)] > 0) groups.push_back(c);
    std::sort(groups.begin(), groups.end(), [&](int a, int b) { return groupCount[size_t(a)] > groupCount[size_t(b)]; });
    // A small group whose core pixels mostly touch other inks is their mixture
    // (a curve crossing a grid line or another curve), not an ink of its own.
    // A tint of a kept ink that does not touch it is an ink of its own (a grey
    // beside black).
    std::vector<cv::Vec3f> groupOffset(static_cast<size_t>(n), cv::Vec3f());
    for (int c = 0; c < n; ++c)
        if (groupCount[size_t(root(c))] > 0)
            groupOffset[size_t(root(c))] += offset[size_t(c)] * float(clusters[size_t(c)].count / groupCount[size_t(root(c))]);
    auto mixture = [&](int g, const std::vector<int>& kept) {
        if (groupCount[size_t(g)] >= settings.mixtureSize * groupCount[size_t(groups.front())]) return false;
        for (const int k : kept) {
            float t = 0;
            if (BlendResidual(groupOffset[size_t(g)], groupOffset[size_t(k)], &t) <= settings.blendDistance && t < 1.f)
                return false;
        }
        double contacts = 0;
        for (int i = 0; i < n; ++i)
            if (root(i) == g)
                for (int j = 0; j < n; ++j)
                    if (root(j) != g) contacts += touch[size_t(i) * size_t(n) + size_t(j)];
        return contacts >= settings.mixtureTouch * groupCount[size_t(g)];
    };
    std::vector<int> kept;
    for (const int g : groups)
        if ((groupCount[size_t(g)] >= minCount || kept.empty()) && static_cast<int>(kept.size()) < settings.maxClasses &&
            !(kept.size() > 0 && mixture(g, kept)))
            kept.push_back(g);

    // The ink of a kept group: the mean of its strongest fifth of core pixels;
    // every bin belongs to the kept group whose members hold it, or the nearest.
    std::vector<int> groupClass(static_cast<size_t>(n), -1);
    for (size_t k = 0; k < kept.size(); ++k) groupClass[size_t(kept[k])] = static_cast<int>(k);
    // Bins of the groups left out stay unclassed: their pixels take the class of
    // the inks around them.
    std::vector<std::vector<size_t>> binsOf(kept.size());
    for (size_t i = 0; i < used.size(); ++i) {
        const int cls = groupClass[size_t(root(member[i]))];
        if (cls >= 0) binsOf[size_t(cls)].push_back(i);
    }
    classes.binClass.assign(kBins, -1);
    for (size_t k = 0; k < kept.size(); ++k) {
        auto& list = binsOf[k];
        std::sort(list.begin(), list.end(), [&](size_t a, size_t b) {
            return Strength(bins[size_t(used[a])].Mean(), paper) > Strength(bins[size_t(used[b])].Mean(), paper);
        });
        double total = 0, lineTotal = 0;
        for (size_t i : list) {
            total += bins[size_t(used[i])].count;
            if (!edge[size_t(member[i])]) lineTotal += bins[size_t(used[i])].count;
        }
        // The ink is its line's, not its darkened edges'.
        const bool skipEdges = lineTotal > 0;
        cv::Vec3d sum(0, 0, 0);
        double taken = 0;
        for (size_t i : list) {
            const Bin& b = bins[size_t(used[i])];
            if (skipEdges && edge[size_t(member[i])]) continue;
            if (taken >= 0.2 * (skipEdges ? lineTotal : total)) break;
            sum += cv::Vec3d(double(b.r), double(b.g), double(b.b));
            taken += b.count;
        }
        InkClass ink;
        ink.rgb = cv::Vec3b(cv::saturate_cast<uchar>(sum[0] / taken), cv::saturate_cast<uchar>(sum[1] / taken),
                            cv::saturate_cast<uchar>(sum[2] / taken));
        ink.lab = LabOf(ink.rgb);
        ink.corePixels = static_cast<size_t>(total);
        classes.inks.push_back(ink);
        for (size_t i : list) classes.binClass[size_t(used[i])] = static_cast<int>(k);
    }
    return classes;
}

void ClassByInk(cv::Mat& labels, const cv::Mat& image, const DetectionMap& map, const ColourClasses& classes,
                const ClassLearning& settings) {
    CV_Assert(image.type() == CV_8UC3);
    labels = cv::Mat::zeros(image.size(), CV_8UC1);
    if (map.empty() || classes.inks.empty()) return;
    const Box box = MapBox(map, image);
    if (box.Width() <= 0 || box.Height() <= 0) return;
    const cv::Vec3b paper = classes.background;
    const cv::Mat around = NeighbourhoodStrength(map, image, box, paper);
    const int n = static_cast<int>(classes.inks.size());
    std::vector<cv::Vec3f> inkOffset;
    for (const InkClass& ink : classes.inks) inkOffset.push_back(Offset(ink.rgb, paper));

    // The class of a core colour on its own: the bin's learned class (-1 for a
    // mixture, classed by its neighbours), else the nearest ink.
    auto ownClass = [&](const cv::Vec3b& rgb) {
        const size_t bin = static_cast<size_t>(BinOf(rgb));
        if (bin < classes.binClass.size()) return classes.binClass[bin] < n ? classes.binClass[bin] : -1;
        const cv::Vec3f lab = LabOf(rgb);
        int best = 0;
        for (int k = 1; k < n; ++k)
            if (LabDistance2(lab, classes.inks[size_t(k)].lab) < LabDistance2(lab, classes.inks[size_t(best)].lab)) best = k;
        return best;
    };

    // 1. Core pixels (the strongest ink around them) are classed by their colour.
    cv::Mat coreOf(box.Height(), box.Width(), CV_8UC1, cv::Scalar(0));
    ForEachInk(map, image, [&](int x, int y, size_t k) {
        const cv::Vec3b rgb = Rgb(map.Colour(k));
        if (IsCore(Strength(rgb, paper), around.ptr<uchar>(y - box.y0)[x - box.x0], settings.coreShare))
            coreOf.ptr<uchar>(y - box.y0)[x - box.x0] = static_cast<uchar>(ownClass(rgb) + 1);
    });

    // 2. Every pixel is a blend of an ink with the paper: of the inks whose cores
    // lie around it (3 x 3, else 5 x 5), the one whose blend line passes closest.
    // An ink from farther away wins only when it explains the pixel far better.
    const float farBetter = 0.5f, poorFit = 2.f * settings.blendDistance;
    // The least share of an ink a blend of two names the pixel by (and twice the other's).
    const float mixShare = 0.25f;
    std::vector<bool> neutral;
    for (const InkClass& ink : classes.inks) neutral.push_back(Neutral(ink, settings));
    ForEachInk(map, image, [&](int x, int y, size_t k) {
        const cv::Vec3b rgb = Rgb(map.Colour(k));
        const int bx = x - box.x0, by = y - box.y0;
        int cls = coreOf.ptr<uchar>(by)[bx] - 1;
        if (cls < 0) {
            const cv::Vec3f d = Offset(rgb, paper);
            uint64_t seen = 0;
            for (int r = 1; r <= 2 && !seen; ++r)
                for (int yy = std::max(by - r, 0); yy <= std::min(by + r, box.Height() - 1); ++yy) {
                    const uchar* row = coreOf.ptr<uchar>(yy);
                    for (int xx = std::max(bx - r, 0); xx <= std::min(bx + r, box.Width() - 1); ++xx)
                        if (row[xx]) seen |= uint64_t(1) << (row[xx] - 1);
                }
            float best = 0, bestAll = 0;
            int all = -1;
            for (int c = 0; c < n; ++c) {
                const float res = BlendResidual(d, inkOffset[size_t(c)]);
                if ((seen >> c & 1) && (cls < 0 || res < best)) cls = c, best = res;
                if (all < 0 || res < bestAll) all = c, bestAll = res;
            }
            if (cls < 0 || (best > poorFit && bestAll < farBetter * best)) cls = all, best = bestAll;
            // Where a line runs along a frame, an axis or a black curve, a pixel
            // blends a colour and a neutral ink with the paper: the clearly larger
            // share names it. Two colours' blend stays apart: it is where their
            // curves touch, and a curve hidden under another would reach out of it.
            if (best > poorFit) {
                int named = -1;
                float bestMix = settings.blendDistance;
                for (int j = 0; j < n; ++j) {
                    if (!(seen >> j & 1)) continue;
                    for (int c = 0; c < n; ++c) {
                        if (neutral[size_t(c)] == neutral[size_t(j)]) continue;
                        float t = 0, u = 0;
                        const float res = TwoInkResidual(d, inkOffset[size_t(c)], inkOffset[size_t(j)], t, u);
                        if (res > bestMix || std::max(t, u) < mixShare) continue;
                        named = t >= 2 * u ? c : u >= 2 * t ? j : -1, bestMix = res;
                    }
                }
                // Black and greys, which grid lines share, gain no blends: a grid
                // would reach into every curve it crosses.
                if (named >= 0 && !neutral[size_t(named)]) cls = named, best = bestMix;
            }
            // Ink that no class explains (what grid removal left of a grid line)
            // is kept apart from every class.
            if (best > poorFit) cls = n;
        }
        labels.ptr<uchar>(y)[x] = static_cast<uchar>(cls + 1);
    });
}

size_t GrowClasses(cv::Mat& labels, const cv::Mat& image, const DetectionMap& map, const PlotArea& area,
                   const ColourClasses& classes, const ClassLearning& settings) {
    CV_Assert(image.type() == CV_8UC3 && labels.type() == CV_8UC1 && labels.size() == image.size());
    const int n = static_cast<int>(classes.inks.size());
    const cv::Rect r = cv::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top) &
                       cv::Rect(0, 0, image.cols, image.rows);
    if (n == 0 || r.empty()) return 0;
    const cv::Vec3b paper = classes.background;
    std::vector<cv::Vec3f> inkOffset;
    std::vector<int> steps;
    for (const InkClass& ink : classes.inks) {
        inkOffset.push_back(Offset(ink.rgb, paper));
        steps.push_back(Neutral(ink, settings) ? settings.neutralGrowSteps : settings.growSteps);
    }

    struct Step {
        int x, y, cls, depth;
    };
    // Only grown pixels are queued: the map's own ink is visited once, in place.
    std::vector<Step> queue;
    size_t added = 0;
    auto growFrom = [&](const Step s) {  // a copy: the queue may grow under it
        if (s.depth >= steps[size_t(s.cls)]) return;
        const uchar label = static_cast<uchar>(s.cls + 1);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = s.x + dx, y = s.y + dy;
                if (!r.contains(cv::Point(x, y))) continue;
                uchar& target = labels.ptr<uchar>(y)[x];
                if (target != 0) continue;
                float t = 0;
                const float residual = BlendResidual(Offset(image.ptr<cv::Vec3b>(y)[x], paper), inkOffset[size_t(s.cls)], &t);
                if (t < settings.growStrength || residual > settings.blendDistance) continue;
                target = label;
                queue.push_back({x, y, s.cls, s.depth + 1});
                ++added;
            }
    };
    ForEachInk(map, image, [&](int x, int y, size_t) {
        const int cls = labels.ptr<uchar>(y)[x] - 1;
        if (cls >= 0 && cls < n && r.contains(cv::Point(x, y))) growFrom({x, y, cls, 0});
    });
    for (size_t i = 0; i < queue.size(); ++i) growFrom(queue[i]);
    return added;
}

std::string ColourClassesLogLine(const ColourClasses& classes) {
    std::string text = "Colour classes from the picture: " + std::to_string(classes.inks.size());
    for (size_t k = 0; k < classes.inks.size(); ++k) text += (k ? ", " : " (") + HexColour(classes.inks[k].rgb);
    return text + (classes.inks.empty() ? "\n" : ")\n");
}

int ClassedInk::ClassCount() const {
    return mode == ColourClassing::ReferenceColours ? static_cast<int>(kReferenceColours.size())
                                                    : static_cast<int>(classes.inks.size());
}

cv::Vec3b ClassedInk::Colour(int cls) const {
    // The sRGB colours the six references are the Lab of.
    static const std::array<cv::Vec3b, 6> references = {cv::Vec3b(0, 0, 0),     cv::Vec3b(255, 0, 0),
                                                        cv::Vec3b(0, 255, 0),   cv::Vec3b(0, 0, 255),
                                                        cv::Vec3b(255, 0, 255), cv::Vec3b(255, 255, 0)};
    if (cls < 0 || cls >= ClassCount()) return cv::Vec3b(0, 0, 0);
    return mode == ColourClassing::ReferenceColours ? references[size_t(cls)] : classes.inks[size_t(cls)].rgb;
}

void ClassColours(const cv::Mat& image, DetectionMap& map, const PlotArea& area, ColourClassing mode,
                  ClassedInk& ink, LogSink& log) {
    ink = ClassedInk();
    ink.mode = mode;
    if (mode == ColourClassing::ReferenceColours) {
        DetectColours(ink.labels, image, map);
    } else {
        ink.classes = LearnColourClasses(image, map);
        log << ColourClassesLogLine(ink.classes);
        ClassByInk(ink.labels, image, map, ink.classes);
        GrowClasses(ink.labels, image, map, area, ink.classes);
    }
}
