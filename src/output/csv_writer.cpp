#include "output/csv_writer.h"

#include "base/common.h"

namespace {

// A field holding the separator or a quote is quoted, its quotes doubled (RFC 4180),
// so a title such as "Pressure, kPa" stays one field. Line breaks become blanks: many
// readers split lines before they look at quotes.
std::string Field(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// The separator, then the field. A strict reader takes a field as quoted only when
// the quote opens it, so a quoted field follows the comma without the blank.
std::string AfterSeparator(const std::string& field) {
    return (!field.empty() && field[0] == '"' ? "," : ", ") + field;
}

// The text of the last label of the kind, or the fallback when there is none or it is empty.
std::string AxisName(const std::vector<TextLabel>& labels, int kind, const char* fallback) {
    const TextLabel* last = nullptr;
    for (const TextLabel& l : labels)
        if (l.kind & kind) last = &l;
    return last && !last->text.empty() ? last->text : std::string(fallback);
}

}  // namespace

std::string BuildCsvText(const ExportTable& table, const std::vector<TextLabel>& labels,
                         const std::vector<std::string>& names) {
    static const char* const kSep = ", ";
    const Calibration& c = table.calibration;
    const auto valueX = [&](double px) {
        return ValueToText(PixelToValueX(px, c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, table.logX));
    };
    const auto valueY = [&](double py) {
        return ValueToText(PixelToValueY(py, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2, table.logY, table.yOffset));
    };

    std::string out;
    const size_t fields = table.commonX ? table.columns.size() * (1 + table.graphs.size())
                                        : table.longest * 2 * table.graphs.size();
    out.reserve(256 + fields * 10);
    out += kVersionBanner;
    out += kSep;
    out += kWebSite;
    out += "\n\n";

    for (const TextLabel& l : labels)
        if (l.kind & LABEL_TITLE) out += "Title:" + AfterSeparator(Field(l.text)) + "\n";
    for (const TextLabel& l : labels)
        if (l.kind & LABEL_TEXT)
            out += "Text:" + AfterSeparator(Field(l.text)) + kSep + ValueToText(l.left) + kSep + ValueToText(l.top) + "\n";
    if (!labels.empty()) out += "\n";

    const std::string xName = AxisName(labels, LABEL_XLEGEND, "X");
    const std::string yName = AxisName(labels, LABEL_YLEGEND, "Y");
    const int n = static_cast<int>(table.graphs.size());
    const auto yHeading = [&](int j) {
        const bool named = j < static_cast<int>(names.size()) && !names[j].empty();
        return named ? names[j] : yName + "_" + ValueToText(j);
    };

    if (table.commonX) {
        out += Field(xName);
        for (int j = 0; j < n; ++j) out += AfterSeparator(Field(yHeading(j)));
        out += "\n";
        for (int col : table.columns) {
            out += valueX(col);
            for (int j = 0; j < n; ++j) {
                out += kSep;
                if (j >= static_cast<int>(table.lookups.size())) continue;
                const auto hit = table.lookups[j].find(col);
                if (hit != table.lookups[j].end()) out += valueY(hit->second);
            }
            out += "\n";
        }
    } else {
        for (int j = 0; j < n; ++j) {
            const std::string x = Field(xName + "_" + ValueToText(j));
            out += (j > 0 ? AfterSeparator(x) : x) + AfterSeparator(Field(yHeading(j)));
        }
        out += "\n";
        for (size_t k = 0; k < table.longest; ++k) {
            for (int j = 0; j < n; ++j) {
                if (j > 0) out += kSep;
                const PointList& points = table.graphs[j];
                if (k < points.size()) {
                    out += valueX(points[k].x);
                    out += kSep;
                    out += valueY(points[k].y);
                } else {
                    out += kSep;  // both fields empty
                }
            }
            out += "\n";
        }
    }
    return out;
}
