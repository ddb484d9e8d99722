#pragma once
// A piece of text read from the picture, with where it stands and what it means.
#include <array>
#include <optional>
#include <string>

// Kind bits of a label. A label holds one of Text, Title, X legend, Y legend, or
// at most one X axis value kind plus at most one Y axis value kind.
enum LabelKind : int {
    LABEL_TEXT = 1,
    LABEL_TITLE = 2,
    LABEL_XMIN = 4,
    LABEL_XMAX = 8,
    LABEL_YMIN = 16,
    LABEL_YMAX = 32,
    LABEL_XLEGEND = 64,
    LABEL_YLEGEND = 128,
};
// The four axis-value kinds.
inline constexpr int LABEL_AXIS_VALUES = LABEL_XMIN | LABEL_XMAX | LABEL_YMIN | LABEL_YMAX;

struct LabelKindInfo {
    int bit;
    const char* name;  // as shown in the label dialog
};

// Every kind in ascending bit order; the dialog, the canvas and export walk it.
inline constexpr std::array<LabelKindInfo, 8> kLabelKinds = {{
    {LABEL_TEXT, "Text"},
    {LABEL_TITLE, "Title"},
    {LABEL_XMIN, "Xmin (minimum X axis value)"},
    {LABEL_XMAX, "Xmax (maximum X axis value)"},
    {LABEL_YMIN, "Ymin (minimum Y axis value)"},
    {LABEL_YMAX, "Ymax (maximum Y axis value)"},
    {LABEL_XLEGEND, "X legend"},
    {LABEL_YLEGEND, "Y legend"},
}};

struct TextLabel {
    std::string text;
    int left = 0, top = 0;      // where the text stands, image pixels
    int width = 0, height = 0;  // its extent, image pixels
    // OCR pass that read it: 0 upright, 1 runs bottom to top, 2 runs top to bottom.
    int orientation = 0;
    // Where the canvas last drew the label (for hit tests); -1 until first drawn.
    int boxLeft = -1, boxTop = -1, boxWidth = -1, boxHeight = -1;
    int fontSize = -1;  // point size fitted when first drawn
    int kind = LABEL_TEXT;
    bool selected = false;

    bool operator==(const TextLabel& o) const {
        return text == o.text && left == o.left && top == o.top && width == o.width && height == o.height &&
               orientation == o.orientation && boxLeft == o.boxLeft && boxTop == o.boxTop &&
               boxWidth == o.boxWidth && boxHeight == o.boxHeight && fontSize == o.fontSize && kind == o.kind &&
               selected == o.selected;
    }
    bool operator!=(const TextLabel& o) const { return !(*this == o); }
};

// The number at the start of a label's text (leading blanks skipped, the rest
// ignored, "." as decimal point whatever the locale): "12 mm" gives 12. Empty
// when the text does not begin with a number.
std::optional<double> ParseLabelNumber(const std::string& text);
