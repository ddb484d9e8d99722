#pragma once
// The exported text: a banner, the Title and Text labels, a heading line and one
// data row per column (common X axis) or per point index. Fields are separated
// by ", " and lines end with "\n". The window's file and clipboard export and the
// command-line tool all write what this returns.
#include <string>
#include <vector>

#include "output/series.h"
#include "text/label.h"

// Without the common X axis, a graph that has run out of points keeps its two
// fields in the later rows, empty, so every value stays under its own heading and
// every row has the same number of fields. A label's text that holds a comma or a
// quote is written quoted (RFC 4180); its line breaks are written as blanks so that
// a label cannot break the line structure.
// names[j], when given and not empty, heads graph j's Y column in place of Y_j.
std::string BuildCsvText(const ExportTable& table, const std::vector<TextLabel>& labels,
                         const std::vector<std::string>& names = {});
