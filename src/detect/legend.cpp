#include "detect/legend.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "detect/binarise.h"

namespace {

struct Component {
    cv::Rect box;
    int area = 0;
    int label = 0;
    const cv::Mat* labels = nullptr;  // the label image it belongs to
    bool Has(int y, int x) const { return labels->at<int>(y, x) == label; }
};

int Grey(const cv::Vec3b& p) { return (p[0] + p[1] + p[2]) / 3; }
int Chroma(const cv::Vec3b& p) { return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}); }
// How strongly a pixel is ink: dark or saturated.
int Strength(const cv::Vec3b& p) { return 255 - Grey(p) + Chroma(p); }

// Mean colour of the strongest pixels of a set: those within 30% of the strongest.
template <class ForEach>
cv::Vec3b StrongMean(const cv::Mat& rgb, ForEach forEach) {
    int best = 0;
    forEach([&](int y, int x) { best = std::max(best, Strength(rgb.at<cv::Vec3b>(y, x))); });
    const int floor = best * 7 / 10;
    cv::Vec3d sum(0, 0, 0);
    double n = 0;
    forEach([&](int y, int x) {
        const cv::Vec3b& p = rgb.at<cv::Vec3b>(y, x);
        if (Strength(p) < floor) return;
        sum += cv::Vec3d(p[0], p[1], p[2]);
        ++n;
    });
    if (n == 0) return cv::Vec3b(255, 255, 255);
    return cv::Vec3b(cv::saturate_cast<uchar>(sum[0] / n), cv::saturate_cast<uchar>(sum[1] / n),
                     cv::saturate_cast<uchar>(sum[2] / n));
}

// A straight horizontal stroke: ink in every column, about equally thick throughout.
bool IsLineSample(const Component& c, const LegendSettings& s, int imageCols) {
    const cv::Rect& b = c.box;
    if (b.width < s.minSampleLength || b.width > s.maxSampleShare * imageCols) return false;
    if (b.height > s.maxSampleThickness || b.width < 3 * b.height) return false;
    // Level: the stroke's middle keeps to one row, unlike a flat stretch of a curve.
    int thickest = 0;
    double lowMiddle = 1e9, highMiddle = -1e9;
    for (int x = b.x; x < b.x + b.width; ++x) {
        int n = 0;
        double sum = 0;
        for (int y = b.y; y < b.y + b.height; ++y)
            if (c.Has(y, x)) ++n, sum += y;
        if (n == 0) return false;
        thickest = std::max(thickest, n);
        lowMiddle = std::min(lowMiddle, sum / n), highMiddle = std::max(highMiddle, sum / n);
    }
    return c.area >= 0.6 * b.width * thickest && highMiddle - lowMiddle <= 1.0;
}

bool IsCharacter(const Component& c, const LegendSettings& s) {
    return c.box.height <= s.maxTextHeight && c.box.width <= 3 * s.maxTextHeight;
}

int Overlap(int a0, int a1, int b0, int b1) { return std::max(0, std::min(a1, b1) - std::max(a0, b0)); }

// The text line right of a sample: characters chained left to right, the first
// one close to the sample and level with it.
cv::Rect TextBeside(const cv::Rect& sample, const std::vector<const Component*>& chars, const LegendSettings& s) {
    const double cy = sample.y + sample.height / 2.0;
    const int right = sample.x + sample.width;
    const Component* first = nullptr;
    for (const Component* c : chars) {
        const int gap = c->box.x - right;
        if (gap < 1 || gap > std::max(sample.width, 24)) continue;
        const double ccy = c->box.y + c->box.height / 2.0;
        if (std::abs(ccy - cy) > std::max(4.0, 0.75 * c->box.height)) continue;
        if (!first || c->box.x < first->box.x) first = c;
    }
    if (!first) return cv::Rect();
    cv::Rect line = first->box;
    bool grew = true;
    while (grew) {
        grew = false;
        for (const Component* c : chars) {
            const cv::Rect& b = c->box;
            if ((b & line) == b) continue;
            const int gap = b.x - (line.x + line.width);
            if (b.x < line.x || gap > std::max(4.0, 0.9 * line.height)) continue;
            if (b.height > 2.2 * line.height + 2) continue;
            if (Overlap(b.y, b.y + b.height, line.y, line.y + line.height) < 0.3 * std::min(b.height, line.height))
                continue;
            line |= b;
            grew = true;
        }
    }
    if (line.height < s.minTextHeight) return cv::Rect();
    return line;
}

// Entries of one legend: samples of about one length, stacked in a column at one
// left edge or set in a row at one height, close together.
bool SameLegend(const LegendEntry& a, const LegendEntry& b, const LegendSettings& s) {
    const double tol = s.alignTolerance;
    if (std::abs(a.sample.width - b.sample.width) > tol + 2) return false;
    const int lineHeight = std::max(a.text.height, b.text.height);
    if (3 * lineHeight > 4 * std::min(a.text.height, b.text.height) + 3) return false;
    const bool column = std::abs(a.sample.x - b.sample.x) <= tol && std::abs(a.text.x - b.text.x) <= tol &&
                        std::abs(a.sample.y - b.sample.y) <= 4 * lineHeight + 4;
    const double rowA = a.sample.y + a.sample.height / 2.0, rowB = b.sample.y + b.sample.height / 2.0;
    const cv::Rect ea = a.sample | a.text, eb = b.sample | b.text;
    const int hgap = std::max(ea.x, eb.x) - std::min(ea.x + ea.width, eb.x + eb.width);
    const bool row = std::abs(rowA - rowB) <= tol && hgap <= 4 * lineHeight + 4;
    return column || row;
}

int Find(std::vector<int>& parent, int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
}

}  // namespace

cv::Mat LegendInkMask(const cv::Mat& rgb) {
    CV_CheckTypeEQ(rgb.type(), CV_8UC3, "legend search needs an 8-bit RGB picture");
    cv::Mat mask(rgb.size(), CV_8UC1);
    for (int y = 0; y < rgb.rows; ++y) {
        const cv::Vec3b* in = rgb.ptr<cv::Vec3b>(y);
        uchar* out = mask.ptr<uchar>(y);
        for (int x = 0; x < rgb.cols; ++x) out[x] = (Grey(in[x]) < 180 || Chroma(in[x]) > 60) ? 255 : 0;
    }
    return mask;
}

std::vector<Legend> FindLegends(const cv::Mat& rgb, const LegendSettings& s) {
    // Grey and coloured ink apart, so a curve touching a black box or text leaves it whole.
    const cv::Mat mask = LegendInkMask(rgb);
    cv::Mat grey(rgb.size(), CV_8UC1);
    for (int y = 0; y < rgb.rows; ++y) {
        const cv::Vec3b* in = rgb.ptr<cv::Vec3b>(y);
        uchar* out = grey.ptr<uchar>(y);
        for (int x = 0; x < rgb.cols; ++x) out[x] = Chroma(in[x]) <= 60 ? 255 : 0;
    }
    cv::Mat coloured = mask & ~grey;
    grey &= mask;
    cv::Mat labels[2], stats, centroids;
    std::vector<Component> comps;
    for (int m = 0; m < 2; ++m) {
        const int n = cv::connectedComponentsWithStats(m == 0 ? grey : coloured, labels[m], stats, centroids, 8, CV_32S);
        for (int i = 1; i < n; ++i)
            comps.push_back({cv::Rect(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                                      stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT)),
                             stats.at<int>(i, cv::CC_STAT_AREA), i, &labels[m]});
    }

    // Legend texts are set in black or dark grey: their strokes have a dark core,
    // which the pale fringes of curves lack.
    std::vector<int> darkest(comps.size() + 1, 255);
    for (int y = 0; y < rgb.rows; ++y) {
        const int* label = labels[0].ptr<int>(y);
        const cv::Vec3b* in = rgb.ptr<cv::Vec3b>(y);
        for (int x = 0; x < rgb.cols; ++x)
            if (label[x] > 0) darkest[label[x]] = std::min(darkest[label[x]], Grey(in[x]));
    }
    std::vector<const Component*> samples, chars;
    for (const Component& c : comps) {
        if (IsLineSample(c, s, rgb.cols)) samples.push_back(&c);
        else if (c.labels == &labels[0] && darkest[c.label] <= 110 && IsCharacter(c, s)) chars.push_back(&c);
    }

    std::vector<LegendEntry> entries;
    std::vector<const Component*> entrySamples;
    for (const Component* c : samples) {
        const cv::Rect text = TextBeside(c->box, chars, s);
        if (text.empty()) continue;
        LegendEntry e;
        e.sample = c->box;
        e.text = text;
        e.rgb = StrongMean(rgb, [&](auto f) {
            for (int y = c->box.y; y < c->box.y + c->box.height; ++y)
                for (int x = c->box.x; x < c->box.x + c->box.width; ++x)
                    if (c->Has(y, x)) f(y, x);
        });
        entries.push_back(e);
    }

    std::vector<int> parent(entries.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = i + 1; j < entries.size(); ++j)
            if (SameLegend(entries[i], entries[j], s)) parent[Find(parent, int(i))] = Find(parent, int(j));

    std::vector<Legend> legends;
    for (size_t root = 0; root < entries.size(); ++root) {
        if (Find(parent, int(root)) != int(root)) continue;
        Legend legend;
        cv::Rect extent;
        int lineHeight = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (Find(parent, int(i)) != int(root)) continue;
            legend.entries.push_back(entries[i]);
            extent = extent.empty() ? (entries[i].sample | entries[i].text) : (extent | entries[i].sample | entries[i].text);
            lineHeight = std::max(lineHeight, entries[i].text.height);
        }
        // The box: the smallest outline around the entries, not far from them.
        const int margin = 3 * lineHeight + 12;
        const Component* box = nullptr;
        for (const Component& c : comps) {
            const cv::Rect& b = c.box;
            if ((b & extent) != extent || b == extent) continue;
            if (extent.x - b.x > margin || extent.y - b.y > margin || b.x + b.width - extent.x - extent.width > margin ||
                b.y + b.height - extent.y - extent.height > margin)
                continue;
            if (c.area > 0.35 * b.area()) continue;
            if (!box || b.area() < box->box.area()) box = &c;
        }
        if (legend.entries.size() < 2 && !box) continue;
        legend.boxed = box != nullptr;
        legend.region = box ? box->box : cv::Rect(extent.x - 3, extent.y - 3, extent.width + 6, extent.height + 6) &
                                             cv::Rect(0, 0, rgb.cols, rgb.rows);
        std::sort(legend.entries.begin(), legend.entries.end(), [](const LegendEntry& a, const LegendEntry& b) {
            return std::make_pair(a.sample.y, a.sample.x) < std::make_pair(b.sample.y, b.sample.x);
        });
        legends.push_back(std::move(legend));
    }
    return legends;
}

void ReadLegendNames(std::vector<Legend>& legends, const std::function<std::string(const cv::Rect&)>& read) {
    for (Legend& legend : legends)
        for (LegendEntry& e : legend.entries) {
            const cv::Rect area(e.text.x - 3, e.text.y - 3, e.text.width + 6, e.text.height + 6);
            std::string name;
            bool blank = true;
            for (char c : read(area)) {
                const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\v';
                if (space) {
                    blank = true;
                    continue;
                }
                if (blank && !name.empty()) name += ' ';
                blank = false;
                name += c;
            }
            e.name = name;
        }
}

std::string ReadTextArea(OcrEngine& engine, const cv::Mat& rgb, const cv::Rect& area,
                         const std::vector<double>& channelThresholds) {
    std::vector<double> levels = channelThresholds;
    if (levels.empty()) {
        cv::Mat unused;
        BinariseByChannels(unused, rgb, levels, 3);
    }
    const cv::Mat prepared = PrepareOcrImage(rgb, area, levels);
    if (prepared.empty()) return std::string();
    std::string text;
    std::vector<cv::Rect> rects;
    std::vector<std::string> texts;
    std::vector<float> confidences;
    try {
        engine.SetSegmentationMode(7);  // one line of text
        engine.Recognise(prepared, text, rects, texts, confidences, 1);
    } catch (int) {
        return std::string();
    }
    return text;
}

cv::Vec3b PatchesInkColour(const cv::Mat& rgb, const PatchList& patches) {
    CV_CheckTypeEQ(rgb.type(), CV_8UC3, "ink colour needs an 8-bit RGB picture");
    return StrongMean(rgb, [&](auto f) {
        for (const Patch& p : patches)
            for (const Run& r : p) {
                if (r.col < 0 || r.col >= rgb.cols) continue;
                const int y0 = std::max(0, std::min(r.row1, r.row2)), y1 = std::min(rgb.rows - 1, std::max(r.row1, r.row2));
                for (int y = y0; y <= y1; ++y) f(y, r.col);
            }
    });
}

std::vector<std::string> NameGraphs(const cv::Mat& rgb, const std::vector<PatchList>& graphs,
                                    const std::vector<Legend>& legends, double maxDistance) {
    std::vector<std::string> names(graphs.size());
    std::vector<const LegendEntry*> entries;
    for (const Legend& l : legends)
        for (const LegendEntry& e : l.entries) entries.push_back(&e);
    if (entries.empty()) return names;

    const auto lab = [](const cv::Vec3b& c) {
        cv::Mat px(1, 1, CV_32FC3, cv::Scalar(c[0] / 255.0, c[1] / 255.0, c[2] / 255.0)), out;
        cv::cvtColor(px, out, cv::COLOR_RGB2Lab);
        return out.at<cv::Vec3f>(0, 0);
    };
    std::vector<cv::Vec3f> entryLab;
    for (const LegendEntry* e : entries) entryLab.push_back(lab(e->rgb));
    struct Pair {
        double distance;
        size_t graph, entry;
    };
    std::vector<Pair> pairs;
    for (size_t g = 0; g < graphs.size(); ++g) {
        if (graphs[g].empty()) continue;
        const cv::Vec3f c = lab(PatchesInkColour(rgb, graphs[g]));
        for (size_t e = 0; e < entries.size(); ++e) {
            const double d = cv::norm(c - entryLab[e]);
            if (d <= maxDistance) pairs.push_back({d, g, e});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.distance < b.distance; });
    std::vector<bool> graphDone(graphs.size(), false), entryDone(entries.size(), false);
    for (const Pair& p : pairs) {
        if (graphDone[p.graph] || entryDone[p.entry]) continue;
        graphDone[p.graph] = entryDone[p.entry] = true;
        names[p.graph] = entries[p.entry]->name;
    }
    return names;
}
