#pragma once
// Small values many tests build: a label, a one-column patch, a pass result, export settings and questions
// answered Yes with no error expected; the kinds of a list of labels, the
// pixel-for-pixel comparison of pictures and the bytes of crafted picture files.
#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include <string>
#include <vector>

#include "detect/process.h"
#include "detect/types.h"
#include "output/series.h"
#include "text/label.h"

inline TextLabel MakeLabel(const std::string& text, int kind = LABEL_TEXT, int left = 0, int top = 0, int width = 0,
                           int height = 0) {
    TextLabel l;
    l.text = text;
    l.kind = kind;
    l.left = left, l.top = top, l.width = width, l.height = height;
    return l;
}

inline std::vector<int> LabelKinds(const std::vector<TextLabel>& labels) {
    std::vector<int> kinds;
    for (const TextLabel& l : labels) kinds.push_back(l.kind);
    return kinds;
}

inline bool SameImage(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && (a.empty() || cv::norm(a, b, cv::NORM_INF) == 0);
}

// Column `col`, rows top to bottom.
inline Patch Column(int col, int top, int bottom) { return {Run{top, col, bottom}}; }

// A pass that found ink: its plot area and patches.
inline ProcessResult PassResult(const PlotArea& area, PatchList patches) {
    ProcessResult r;
    r.ran = r.inkFound = true;
    r.plotArea = area;
    r.patches = std::move(patches);
    return r;
}

// Little-endian bytes, and GIF files: a 120 x 90 screen with a two-entry colour table, then the frames.
inline std::string Le16(unsigned v) { return {char(v & 255), char(v >> 8 & 255)}; }
inline std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
inline std::string GifFrame(unsigned w, unsigned h) {
    return "\x2C" + Le32(0) + Le16(w) + Le16(h) + std::string("\x00\x02\x02\x4C\x01\x00", 6);
}
inline std::string Gif(const std::string& frames) {
    return "GIF89a" + Le16(120) + Le16(90) + std::string("\x80\0\0\0\0\0\xFF\xFF\xFF", 9) + frames;
}

// Export settings for a picture of the given size, linear axes and no picture to centre strokes on.
inline ExportSettings ExportFor(bool commonX, bool thin, int width, int height) {
    ExportSettings s;
    s.commonX = commonX, s.thin = thin, s.imageWidth = width, s.imageHeight = height;
    return s;
}

struct YesToAll : ExportQuestions {
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string& message, const std::string&) override { ADD_FAILURE() << message; }
};
