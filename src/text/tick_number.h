#pragma once
// Reading the number of one axis tick label from what the recognition engine
// saw: its text and, when known, one box per glyph (a raised exponent is told
// from the glyph boxes, since the engine flattens it into the digits).
#include <opencv2/core.hpp>

#include <optional>
#include <string>
#include <vector>

struct TickNumber {
    enum Form {
        Plain,   // 12, -0.5, 1,000, 2.5e-3, 3x10^4
        Power,   // 10^n, a log axis's usual label
        Factor,  // x10^n alone: a multiplier written once beside the axis
    };
    double value = 0;
    Form form = Plain;
};

// One glyph as the engine boxed it: its text (one character, UTF-8) and where it
// stands, in any coordinates shared by all glyphs of the label.
struct TickGlyph {
    std::string text;
    cv::Rect box;
};

// How many glyphs at the end are a raised exponent: smaller than the base digits
// and standing clearly above their baseline, at least one digit among them and
// at least one ordinary digit before them. 0 when there is none. A glyph with an
// empty text is judged by its box alone, as a digit.
size_t RaisedTailLength(const std::vector<TickGlyph>& glyphs);

// Reads `text` as a tick number. Accepts a sign (hyphen, Unicode minus and the
// dashes an engine reads for it), decimal point or comma, thousands separated by
// commas, points or blanks in groups of three, "e" exponents, "x10^n" and
// superscript exponents, and 10^n written with a raised exponent: when `glyphs`
// holds one box per visible character of `text`, a raised tail is the exponent.
// A trailing "%" or degree sign is ignored. Empty for anything else.
std::optional<TickNumber> ParseTickNumber(const std::string& text, const std::vector<TickGlyph>& glyphs = {});

// The visible characters of a UTF-8 text, one string each (blanks dropped).
std::vector<std::string> VisibleCharacters(const std::string& text);
