#pragma once
// Records shared by the detection pipeline, the canvas and export.
#include <tuple>
#include <vector>

// The plot area: left/top are the first column/row inside, right/bottom one past the last.
struct PlotArea {
    int left = -1, top = -1, right = -1, bottom = -1;
    bool operator==(const PlotArea& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const PlotArea& o) const { return !(*this == o); }
};

// One column of a patch between two rows, both inclusive.
struct Run {
    int row1 = 0;  // first row
    int col = 0;
    int row2 = 0;  // second row
};

// Runs sort by second row, then column, then first row.
inline bool operator<(const Run& a, const Run& b) {
    return std::tie(a.row2, a.col, a.row1) < std::tie(b.row2, b.col, b.row1);
}
inline bool operator==(const Run& a, const Run& b) {
    return a.row1 == b.row1 && a.col == b.col && a.row2 == b.row2;
}
inline bool operator!=(const Run& a, const Run& b) { return !(a == b); }

// A patch is an 8-connected group of same-coloured ink stored as sorted runs.
// std::vector's lexicographic operator< is the patch order.
using Patch = std::vector<Run>;
using PatchList = std::vector<Patch>;
