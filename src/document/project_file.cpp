#include "document/project_file.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

#include <sys/stat.h>

#include "document/png_image.h"
#include "output/file_writer.h"

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFormatName = "plotsnap project";
// Our files nest five levels deep; anything deeper is not ours and is not built up.
constexpr int kMaxDepth = 8;
// Bounds the parsed tree (16 bytes and more per value) whatever the file holds:
// a run costs three values, so this still allows millions of picked runs.
constexpr long long kMaxJsonValues = 24LL * 1000 * 1000;
constexpr int kMaxCoordinate = 1000000000;

// ---- base64, the standard alphabet with padding ----
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const std::string& in) {
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    size_t i = 0;
    auto byte = [&](size_t k) { return static_cast<unsigned char>(in[k]); };
    for (; i + 2 < in.size(); i += 3) {
        const uint32_t v = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
    }
    if (i < in.size()) {
        const uint32_t v = byte(i) << 16 | (i + 1 < in.size() ? byte(i + 1) << 8 : 0);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> Base64Decode(const std::string& in) {
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t;
        t.fill(-1);
        for (int k = 0; k < 64; ++k) t[static_cast<unsigned char>(kAlphabet[k])] = k;
        return t;
    }();
    if (in.size() % 4 != 0) return std::nullopt;
    size_t pad = 0;
    if (!in.empty() && in.back() == '=') pad = in[in.size() - 2] == '=' ? 2 : 1;
    std::string out;
    out.reserve(in.size() / 4 * 3);
    for (size_t i = 0; i < in.size(); i += 4) {
        uint32_t v = 0;
        const bool last = i + 4 == in.size();
        for (size_t k = 0; k < 4; ++k) {
            const bool padding = last && k >= 4 - pad;
            const int d = padding ? 0 : table[static_cast<unsigned char>(in[i + k])];
            if (d < 0) return std::nullopt;
            v = v << 6 | static_cast<uint32_t>(d);
        }
        out += static_cast<char>(v >> 16);
        if (!(last && pad == 2)) out += static_cast<char>(v >> 8 & 255);
        if (!(last && pad >= 1)) out += static_cast<char>(v & 255);
    }
    return out;
}

// ---- writing ----

// JSON has no infinities or NaN; they are kept as text so nothing typed is lost.
Json NumberJson(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    return v;
}

Json PointJson(IPoint p) { return Json::array({p.x, p.y}); }

std::string ColourText(const cv::Vec3b& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
    return text;
}

// ---- reading: every value is checked where it is taken, and the first fault is reported ----

struct Damaged {
    std::string message;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw Damaged{"The project file is damaged: \"" + where + "\" should be " + what + "."};
}

const Json& Field(const Json& object, const std::string& where, const char* key) {
    const std::string path = where.empty() ? key : where + "." + key;
    if (!object.is_object()) Refuse(where, "an object");
    const auto it = object.find(key);
    if (it == object.end()) throw Damaged{"The project file is damaged: \"" + path + "\" is missing."};
    return *it;
}

std::string Path(const std::string& where, const char* key) { return where.empty() ? key : where + "." + key; }
std::string Item(const std::string& where, size_t i) { return where + "[" + std::to_string(i) + "]"; }

bool Bool(const Json& object, const std::string& where, const char* key) {
    const Json& v = Field(object, where, key);
    if (!v.is_boolean()) Refuse(Path(where, key), "true or false");
    return v.get<bool>();
}

int IntValue(const Json& v, const std::string& path, long long lo, long long hi) {
    const std::string range = "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (!v.is_number_integer()) Refuse(path, range);
    if (v.is_number_unsigned() && v.get<unsigned long long>() > static_cast<unsigned long long>(hi)) Refuse(path, range);
    const long long n = v.get<long long>();
    if (n < lo || n > hi) Refuse(path, range);
    return static_cast<int>(n);
}

int Int(const Json& object, const std::string& where, const char* key, long long lo, long long hi) {
    return IntValue(Field(object, where, key), Path(where, key), lo, hi);
}

double Number(const Json& v, const std::string& path) {
    if (v.is_number()) return v.get<double>();
    if (v == "inf") return std::numeric_limits<double>::infinity();
    if (v == "-inf") return -std::numeric_limits<double>::infinity();
    if (v == "nan") return std::numeric_limits<double>::quiet_NaN();
    Refuse(path, "a number");
}

const Json& List(const Json& object, const std::string& where, const char* key) {
    const Json& v = Field(object, where, key);
    if (!v.is_array()) Refuse(Path(where, key), "a list");
    return v;
}

IPoint Point(const Json& v, const std::string& path, int width, int height) {
    if (!v.is_array() || v.size() != 2) Refuse(path, "a pixel [x, y]");
    return {IntValue(v[0], path + "[0]", 0, width - 1), IntValue(v[1], path + "[1]", 0, height - 1)};
}

cv::Vec3b Colour(const Json& v, const std::string& path) {
    const char* what = "a colour \"#rrggbb\"";
    if (!v.is_string()) Refuse(path, what);
    const std::string& s = v.get_ref<const std::string&>();
    unsigned r, g, b;
    char end;
    if (s.size() != 7 || std::sscanf(s.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3 ||
        s.find_first_not_of("#0123456789abcdefABCDEF") != std::string::npos)
        Refuse(path, what);
    return cv::Vec3b(static_cast<uchar>(r), static_cast<uchar>(g), static_cast<uchar>(b));
}

// One of Text, Title, X legend, Y legend, or at most one X and one Y axis-value kind.
bool KindAcceptable(int kind) {
    const int x = kind & (LABEL_XMIN | LABEL_XMAX), y = kind & (LABEL_YMIN | LABEL_YMAX);
    const bool single = kind == LABEL_TEXT || kind == LABEL_TITLE || kind == LABEL_XLEGEND || kind == LABEL_YLEGEND;
    const bool axis = kind != 0 && (kind & ~LABEL_AXIS_VALUES) == 0 && x != (LABEL_XMIN | LABEL_XMAX) &&
                      y != (LABEL_YMIN | LABEL_YMAX);
    return single || axis;
}

cv::Mat Picture(const Json& root) {
    const Json& pic = Field(root, "", "picture");
    const int width = Int(pic, "picture", "width", 1, kMaxCoordinate);
    const int height = Int(pic, "picture", "height", 1, kMaxCoordinate);
    if (width > kMaxImagePixels / height) {
        throw Damaged{"The project's picture is too large to open: " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels (the limit is " + std::to_string(kMaxImagePixels / 1000000) +
                      " megapixels)."};
    }
    const Json& png = Field(pic, "picture", "png");
    if (!png.is_string()) Refuse("picture.png", "the picture as base64 PNG text");
    const auto bytes = Base64Decode(png.get_ref<const std::string&>());
    if (!bytes) Refuse("picture.png", "the picture as base64 PNG text");
    // The PNG's own header is checked before anything is decoded.
    const auto stated = PngHeaderSize(*bytes);
    if (!stated) throw Damaged{"The project file is damaged: the embedded picture is not a PNG."};
    if (stated->width != width || stated->height != height) {
        throw Damaged{"The project file is damaged: the embedded picture is " + std::to_string(stated->width) + " x " +
                      std::to_string(stated->height) + " pixels, but the file says " + std::to_string(width) + " x " +
                      std::to_string(height) + "."};
    }
    cv::Mat image = DecodePng(*bytes, *stated);
    if (image.empty()) throw Damaged{"The project file is damaged: the embedded picture can not be decoded."};
    return image;
}

Project FromJson(const Json& root) {
    if (!root.is_object() || root.find("format") == root.end() || root.at("format") != kFormatName)
        throw Damaged{"This file is not a plotsnap project."};
    const Json& version = Field(root, "", "version");
    if (!version.is_number_integer() || version.get<long long>() < 1) Refuse("version", "a whole number from 1 up");
    if (version.get<long long>() > kProjectFormatVersion) {
        throw Damaged{"This project was saved by a newer plotsnap (format version " + version.dump() +
                      "); this version reads format version " + std::to_string(kProjectFormatVersion) + "."};
    }

    Project p;
    p.picture = Picture(root);
    const int w = p.picture.cols, h = p.picture.rows;

    const Json& proc = Field(root, "", "processing");
    p.process.manualThreshold = Bool(proc, "processing", "manualThreshold");
    p.process.threshold = Int(proc, "processing", "threshold", 0, 255);
    p.process.minPatchSize = static_cast<unsigned>(Int(proc, "processing", "minPatchSize", 0, kMaxCoordinate));
    p.process.removeGrid = Bool(proc, "processing", "removeGrid");
    p.process.gridWidth = Int(proc, "processing", "gridWidth", 0, 99);
    p.processed = Bool(proc, "processing", "processed");
    // Projects from before the choice existed were processed with the picture's own classes.
    if (proc.contains("referenceColours") && Bool(proc, "processing", "referenceColours"))
        p.process.colourClassing = ColourClassing::ReferenceColours;

    const Json& rect = Field(root, "", "plotRect");
    if (!rect.is_null()) {
        const char* what = "null or [left, top, right, bottom] starting inside the picture";
        if (!rect.is_array() || rect.size() != 4) Refuse("plotRect", what);
        p.plotRect = {IntValue(rect[0], "plotRect[0]", 0, w - 1), IntValue(rect[1], "plotRect[1]", 0, h - 1),
                      IntValue(rect[2], "plotRect[2]", 0, kMaxCoordinate), IntValue(rect[3], "plotRect[3]", 0, kMaxCoordinate)};
        if (p.plotRect.right <= p.plotRect.left || p.plotRect.bottom <= p.plotRect.top) Refuse("plotRect", what);
    }

    const Json& graphs = List(root, "", "graphs");
    if (graphs.empty()) Refuse("graphs", "a list of at least one graph");
    p.graphs.assign(graphs.size(), ProjectGraph());
    // Picks can not cover more than the whole picture, however the file was made.
    long long runsLeft = static_cast<long long>(w) * h;
    for (size_t g = 0; g < graphs.size(); ++g) {
        const std::string gw = Item("graphs", g);
        const Json& picks = List(graphs[g], gw, "picks");
        for (size_t k = 0; k < picks.size(); ++k) {
            const std::string pw = Item(gw + ".picks", k);
            ProjectPick pick;
            pick.seed = Point(Field(picks[k], pw, "seed"), Path(pw, "seed"), w, h);
            pick.colour = Colour(Field(picks[k], pw, "colour"), Path(pw, "colour"));
            const Json& runs = List(picks[k], pw, "runs");
            const std::string rw = Path(pw, "runs");
            if (runs.empty() || runs.size() % 3 != 0 || static_cast<long long>(runs.size() / 3) > runsLeft)
                Refuse(rw, "a list of runs: first row, column, second row, ...");
            runsLeft -= static_cast<long long>(runs.size() / 3);
            pick.runs.resize(runs.size() / 3);
            for (size_t r = 0; r < pick.runs.size(); ++r) {
                pick.runs[r].row1 = IntValue(runs[3 * r], Item(rw, 3 * r), 0, h - 1);
                pick.runs[r].col = IntValue(runs[3 * r + 1], Item(rw, 3 * r + 1), 0, w - 1);
                pick.runs[r].row2 = IntValue(runs[3 * r + 2], Item(rw, 3 * r + 2), 0, h - 1);
            }
            p.graphs[g].picks.push_back(std::move(pick));
        }
    }
    p.currentGraph = Int(root, "", "currentGraph", 0, static_cast<long long>(graphs.size()) - 1);

    const Json& cal = Field(root, "", "calibration");
    Calibration& c = p.calibration;
    // Pixels are kept as the user placed them, even off the picture; -1 is unset.
    const std::pair<const char*, int*> pixels[] = {{"xPixel1", &c.xPixel1}, {"xPixel2", &c.xPixel2}, {"yPixel1", &c.yPixel1},
                                                   {"yPixel2", &c.yPixel2}, {"xRow", &c.xRow},       {"yColumn", &c.yColumn}};
    for (const auto& [key, pixel] : pixels) *pixel = Int(cal, "calibration", key, -kMaxCoordinate, kMaxCoordinate);
    const std::pair<const char*, double*> values[] = {
        {"xValue1", &c.xValue1}, {"xValue2", &c.xValue2}, {"yValue1", &c.yValue1}, {"yValue2", &c.yValue2}};
    for (const auto& [key, value] : values) *value = Number(Field(cal, "calibration", key), Path("calibration", key));
    p.logX = Bool(cal, "calibration", "xLog");
    p.logY = Bool(cal, "calibration", "yLog");

    const Json& labels = List(root, "", "labels");
    for (size_t i = 0; i < labels.size(); ++i) {
        const std::string lw = Item("labels", i);
        TextLabel l;
        const Json& text = Field(labels[i], lw, "text");
        if (!text.is_string()) Refuse(Path(lw, "text"), "text");
        l.text = text.get<std::string>();
        l.left = Int(labels[i], lw, "left", -kMaxCoordinate, kMaxCoordinate);
        l.top = Int(labels[i], lw, "top", -kMaxCoordinate, kMaxCoordinate);
        l.width = Int(labels[i], lw, "width", 0, kMaxCoordinate);
        l.height = Int(labels[i], lw, "height", 0, kMaxCoordinate);
        l.orientation = Int(labels[i], lw, "orientation", 0, 2);
        l.kind = Int(labels[i], lw, "kind", 1, 255);
        if (!KindAcceptable(l.kind)) Refuse(Path(lw, "kind"), "a kind a label can have");
        p.labels.push_back(std::move(l));
    }

    const Json& out = Field(root, "", "output");
    p.output.lineFiltering = Bool(out, "output", "lineFiltering");
    p.output.commonXAxis = Bool(out, "output", "commonXAxis");
    // Settings added after the first files were written are optional, with the old behaviour.
    if (out.contains("bridge")) p.output.bridge = Bool(out, "output", "bridge");
    return p;
}

struct TooMuch {};

}  // namespace

std::string ProjectToText(const Project& p) {
    if (p.graphs.empty() || p.currentGraph < 0 || p.currentGraph >= static_cast<int>(p.graphs.size()))
        throw std::invalid_argument("ProjectToText: the current graph is not one of the graphs");
    const std::string png = EncodePng(p.picture);
    const Calibration& c = p.calibration;

    Json graphs = Json::array();
    for (const ProjectGraph& g : p.graphs) {
        Json picks = Json::array();
        for (const ProjectPick& pick : g.picks) {
            Json runs = Json::array();
            for (const Run& r : pick.runs) {
                runs.push_back(r.row1);
                runs.push_back(r.col);
                runs.push_back(r.row2);
            }
            picks.push_back({{"seed", PointJson(pick.seed)}, {"colour", ColourText(pick.colour)}, {"runs", std::move(runs)}});
        }
        graphs.push_back({{"picks", std::move(picks)}});
    }
    Json labels = Json::array();
    for (const TextLabel& l : p.labels)
        labels.push_back({{"text", l.text}, {"left", l.left}, {"top", l.top}, {"width", l.width}, {"height", l.height},
                          {"orientation", l.orientation}, {"kind", l.kind}});
    const Json rect = p.plotRect.IsUnset() ? Json(nullptr)
                                           : Json::array({p.plotRect.left, p.plotRect.top, p.plotRect.right, p.plotRect.bottom});
    // The picture goes last, so the settings stay readable at the head of the file.
    const Json root = {
        {"format", kFormatName},
        {"version", kProjectFormatVersion},
        {"program", kVersionBanner},
        {"processing",
         {{"manualThreshold", p.process.manualThreshold},
          {"threshold", p.process.threshold},
          {"minPatchSize", p.process.minPatchSize},
          {"removeGrid", p.process.removeGrid},
          {"gridWidth", p.process.gridWidth},
          {"referenceColours", p.process.colourClassing == ColourClassing::ReferenceColours},
          {"processed", p.processed}}},
        {"plotRect", rect},
        {"graphs", std::move(graphs)},
        {"currentGraph", p.currentGraph},
        {"calibration",
         {{"xPixel1", c.xPixel1},
          {"xValue1", NumberJson(c.xValue1)},
          {"xPixel2", c.xPixel2},
          {"xValue2", NumberJson(c.xValue2)},
          {"yPixel1", c.yPixel1},
          {"yValue1", NumberJson(c.yValue1)},
          {"yPixel2", c.yPixel2},
          {"yValue2", NumberJson(c.yValue2)},
          {"xRow", c.xRow},
          {"yColumn", c.yColumn},
          {"xLog", p.logX},
          {"yLog", p.logY}}},
        {"labels", std::move(labels)},
        {"output",
         {{"lineFiltering", p.output.lineFiltering}, {"commonXAxis", p.output.commonXAxis}, {"bridge", p.output.bridge}}},
        {"picture", {{"width", p.picture.cols}, {"height", p.picture.rows}, {"png", Base64Encode(png)}}},
    };
    // One line per setting and per graph keeps the file readable without a line per number.
    // Label text that is not UTF-8 is written with replacement characters rather than refused.
    auto compact = [](const Json& v) { return v.dump(-1, ' ', false, Json::error_handler_t::replace); };
    std::string text = "{";
    for (auto it = root.begin(); it != root.end(); ++it) {
        text += (it == root.begin() ? "\n" : ",\n") + compact(it.key()) + ": ";
        if (it.key() != "graphs") {
            text += compact(it.value());
            continue;
        }
        text += "[";
        for (size_t g = 0; g < it.value().size(); ++g) text += (g ? ",\n  " : "\n  ") + compact(it.value()[g]);
        text += "\n]";
    }
    return text + "\n}\n";
}

ProjectRead ProjectFromText(const std::string& text) {
    ProjectRead result;
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        result.message = text.empty() ? "The project file is empty." : "This file is not a plotsnap project.";
        return result;
    }
    if (text[first] != '{' && text[first] != '[') {
        result.message = "This file is not a plotsnap project (it is not JSON text).";
        return result;
    }
    Json root;
    long long values = 0;
    bool tooDeep = false;
    try {
        root = Json::parse(text, [&](int depth, Json::parse_event_t event, Json&) {
            if (depth > kMaxDepth) tooDeep = true;
            if (tooDeep || (event == Json::parse_event_t::value && ++values > kMaxJsonValues)) throw TooMuch{};
            return true;
        });
    } catch (const TooMuch&) {
        result.message = tooDeep ? "The project file is damaged: it nests deeper than a plotsnap project does."
                                 : "The project file is damaged: it holds far more values than a plotsnap project does.";
        return result;
    } catch (const Json::parse_error& e) {
        const bool atEnd = e.byte >= text.size() || text.find_first_not_of(" \t\r\n", e.byte) == std::string::npos;
        result.message = atEnd ? "The project file is cut short: it ends in the middle of the data."
                               : "The project file is damaged: it is not valid JSON at byte " + std::to_string(e.byte) + ".";
        return result;
    } catch (const Json::out_of_range&) {
        // the parser's only range refusal: a number beyond a double
        result.message = "The project file is damaged: it holds a number too large to read.";
        return result;
    } catch (const Json::exception&) {
        result.message = "The project file is damaged.";
        return result;
    }
    try {
        result.project = FromJson(root);
    } catch (const Damaged& d) {
        result.message = d.message;
    } catch (const Json::exception&) {
        result.message = "The project file is damaged.";
    }
    return result;
}

ProjectRead ReadProjectFile(const std::string& path) {
    ProjectRead result;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.message = "Can not read the project file: " + std::string(std::strerror(errno)) + ".";
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.message = "Can not read the project file: it is not a regular file.";
        return result;
    }
    if (st.st_size > kMaxProjectBytes) {
        result.message = "The project file is too large to open: " + std::to_string(st.st_size >> 20) +
                         " MB (the limit is " + std::to_string(kMaxProjectBytes >> 20) + " MB).";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(st.st_size), '\0');
    if (!in || !in.read(&text[0], static_cast<std::streamsize>(text.size()))) {
        result.message = "Can not read the project file.";
        return result;
    }
    return ProjectFromText(text);
}

bool WriteProjectFile(const std::string& path, const Project& project, std::string* error) {
    std::string text;
    try {
        text = ProjectToText(project);
    } catch (const std::invalid_argument& e) {
        if (error) *error = e.what();
        return false;
    }
    return WriteTextFileAtomically(path, text, error);
}
