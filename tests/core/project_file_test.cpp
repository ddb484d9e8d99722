// Project files: what is saved comes back exactly, and every kind of damaged file
// is refused with its own message; a saved document opens as the same document;
// picks are found again by class colour; and when closing must ask first.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstring>
#include <functional>
#include <limits>
#include <tuple>

#include <sys/stat.h>

#include "cli_run.h"
#include "cli_sample_chart.h"
#include "document/png_image.h"
#include "document/project_document.h"
#include "document/project_file.h"
#include "document/project_picks.h"
#include "document/project_state.h"
#include "document/selection.h"
#include "output/csv_writer.h"
#include "output/series.h"
#include "support/builders.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

cv::Mat RandomPicture(int w, int h, unsigned seed) {
    cv::Mat m(h, w, CV_8UC3);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, 256);
    return m;
}

Project Sample() {
    Project p;
    p.picture = RandomPicture(37, 23, 5);
    p.process.manualThreshold = true;
    p.process.threshold = 201;
    p.process.minPatchSize = 0;
    p.process.removeGrid = true;
    p.process.gridWidth = 99;
    p.process.colourClassing = ColourClassing::ReferenceColours;
    p.processed = true;
    p.plotRect = {2, 3, 37, 23};
    ProjectPick a{{4, 5}, cv::Vec3b(255, 0, 16), {{5, 4, 9}, {6, 5, 6}}};
    ProjectPick b{{0, 22}, cv::Vec3b(0, 0, 0), {{22, 0, 22}}};
    p.graphs = {ProjectGraph{{a, b}}, ProjectGraph{}, ProjectGraph{{a}}};
    p.currentGraph = 2;
    p.calibration = {-0.1, 1, 1e300, 36, 0.1 + 0.2, 22, 0, -1, 2, 0};  // 0.1 + 0.2 has no short decimal form
    p.logX = true;
    TextLabel l = MakeLabel("Druck / kPa, \"quoted\"\nzweite Zeile", LABEL_XMIN | LABEL_YMAX, 3, 4, 30, 5);
    l.orientation = 1;
    p.labels = {l, MakeLabel("", LABEL_TITLE)};
    p.output = {false, false, false};
    return p;
}

void ExpectSame(const Project& a, const Project& b) {
    EXPECT_TRUE(SameImage(a.picture, b.picture));
    const ProcessSettings &s = a.process, &t = b.process;
    EXPECT_EQ(std::tie(s.manualThreshold, s.threshold, s.minPatchSize, s.removeGrid, s.gridWidth, s.colourClassing),
              std::tie(t.manualThreshold, t.threshold, t.minPatchSize, t.removeGrid, t.gridWidth, t.colourClassing));
    EXPECT_EQ(std::tie(a.processed, a.plotRect, a.currentGraph, a.logX, a.logY, a.labels),
              std::tie(b.processed, b.plotRect, b.currentGraph, b.logX, b.logY, b.labels));
    EXPECT_TRUE(a.graphs == b.graphs);
    EXPECT_TRUE(a.output == b.output);
    // Values by their bits, so a saved NaN compares equal to the NaN read back.
    const Calibration &c = a.calibration, &d = b.calibration;
    for (auto [x, y] : {std::pair{c.xValue1, d.xValue1}, {c.xValue2, d.xValue2}, {c.yValue1, d.yValue1}, {c.yValue2, d.yValue2}})
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << x << " " << y;
    EXPECT_EQ(std::tie(c.xPixel1, c.xPixel2, c.yPixel1, c.yPixel2, c.xRow, c.yColumn),
              std::tie(d.xPixel1, d.xPixel2, d.yPixel1, d.yPixel2, d.xRow, d.yColumn));
}

TEST(ProjectFile, RoundTripKeepsEverything) {
    const std::vector<std::function<void(Project&)>> variants = {
        [](Project&) {},
        [](Project& p) { p = Project(); p.picture = RandomPicture(1, 1, 1); },
        [](Project& p) { p.picture = RandomPicture(1, 301, 2); p.plotRect = kNoRect; p.graphs = {ProjectGraph{}}; p.currentGraph = 0; p.labels.clear(); },
        // The picture saved is what a view shows, not its parent.
        [](Project& p) { p.picture = RandomPicture(101, 67, 9)(cv::Rect(3, 5, 37, 23)); },
        [](Project& p) { p.picture = cv::Mat(23, 37, CV_8UC3, cv::Scalar(255, 255, 255)); },
        [](Project& p) {
            p.calibration.xValue1 = std::numeric_limits<double>::infinity();
            p.calibration.yValue1 = -std::numeric_limits<double>::infinity();
            p.calibration.yValue2 = std::numeric_limits<double>::quiet_NaN();
            p.calibration.xValue2 = std::numeric_limits<double>::denorm_min();
            p.logY = true;
        },
    };
    for (size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i);
        Project p = Sample();
        variants[i](p);
        const std::string text = ProjectToText(p);
        const ProjectRead back = ProjectFromText(text);
        ASSERT_TRUE(back.project) << back.message;
        ExpectSame(p, *back.project);
        EXPECT_EQ(ProjectToText(*back.project), text);  // a second save changes no byte
    }
    EXPECT_THROW(EncodePng(cv::Mat()), std::invalid_argument);  // other types: a refused save below
}

std::string Edited(const std::function<void(Json&)>& edit) {
    Json j = Json::parse(ProjectToText(Sample()));
    edit(j);
    return j.dump();
}
// The sample with the value at a JSON pointer replaced.
std::string Set(const char* pointer, const Json& value) {
    return Edited([&](Json& j) { j[Json::json_pointer(pointer)] = value; });
}
std::string Should(const std::string& field, const std::string& be) {
    return "The project file is damaged: \"" + field + "\" should be " + be + ".";
}

TEST(ProjectFile, DamagedFilesAreRefusedWithTheirMessage) {
    const std::string good = ProjectToText(Sample());
    const std::string nested = std::string(5000, '[') + std::string(5000, ']'), runs = "a list of runs: first row, column, second row, ...";
    const std::string png = Json::parse(good)["picture"]["png"];
    // file text, message
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "The project file is empty."},
        {EncodePng(RandomPicture(2, 2, 1)), "This file is not a plotsnap project (it is not JSON text)."},
        {"[1, 2]", "This file is not a plotsnap project."},
        {"{\"format\": \"other\", \"version\": 1}", "This file is not a plotsnap project."},
        {good.substr(0, good.size() / 2), "The project file is cut short: it ends in the middle of the data."},
        {"{\"format\": x}", "The project file is damaged: it is not valid JSON at byte 12."},
        {"{\"format\": 7e1111111111}", "The project file is damaged: it holds a number too large to read."},
        {"{\"a\":" + nested + "}", "The project file is damaged: it nests deeper than a plotsnap project does."},
        {Set("/version", 2), "This project was saved by a newer plotsnap (format version 2); this version reads format version 1."},
        {Set("/version", "1"), Should("version", "a whole number from 1 up")},
        {Edited([](Json& j) { j.erase("output"); }), "The project file is damaged: \"output\" is missing."},
        {Set("/processing/threshold", "160"), Should("processing.threshold", "a whole number from 0 to 255")},
        {Set("/processing/gridWidth", 18446744073709551615ull), Should("processing.gridWidth", "a whole number from 0 to 99")},
        {Set("/processing/referenceColours", "yes"), Should("processing.referenceColours", "true or false")},
        {Set("/graphs", Json::array()), Should("graphs", "a list of at least one graph")},
        {Set("/currentGraph", 3), Should("currentGraph", "a whole number from 0 to 2")},
        {Set("/graphs/0/picks/1/runs/1", 37), Should("graphs[0].picks[1].runs[1]", "a whole number from 0 to 36")},
        {Edited([](Json& j) { j["graphs"][0]["picks"][1]["runs"].push_back(1); }), Should("graphs[0].picks[1].runs", runs)},
        {Set("/graphs/0/picks/0/runs", std::vector<int>(3 * (37 * 23 + 1))), Should("graphs[0].picks[0].runs", runs)},
        {Set("/graphs/2/picks/0/seed", Json::object()), Should("graphs[2].picks[0].seed", "a pixel [x, y]")},
        {Set("/graphs/0/picks/0/colour", "red"), Should("graphs[0].picks[0].colour", "a colour \"#rrggbb\"")},
        {Set("/calibration/xValue1", Json::array()), Should("calibration.xValue1", "a number")},
        {Set("/labels/0/kind", LABEL_XMIN | LABEL_XMAX), Should("labels[0].kind", "a kind a label can have")},
        {Set("/labels/1/text", 5), Should("labels[1].text", "text")},
        {Set("/plotRect", {5, 9, 20, 9}), Should("plotRect", "null or [left, top, right, bottom] starting inside the picture")},
        {Edited([](Json& j) { j["picture"]["width"] = 20000; j["picture"]["height"] = 5001; }),
         "The project's picture is too large to open: 20000 x 5001 pixels (the limit is 100 megapixels)."},
        {Set("/picture/width", 36), "The project file is damaged: the embedded picture is 37 x 23 pixels, but the file says 36 x 23."},
        // Bytes 15..17 of the PNG are the last letter of "IHDR" and the top of the width: 0x7f000025, refused before decoding.
        {Set("/picture/png", png.substr(0, 20) + "Un8A" + png.substr(24)),
         "The project file is damaged: the embedded picture is 2130706469 x 23 pixels, but the file says 37 x 23."},
        {Set("/picture/png", "iVBOR*w0KGgo="), Should("picture.png", "the picture as base64 PNG text")},
        {Set("/picture/png", "R0lGODlhAQABAAAAACw="), "The project file is damaged: the embedded picture is not a PNG."},
        {Set("/picture/png", png.substr(0, png.size() / 8 * 4)), "The project file is damaged: the embedded picture can not be decoded."},
    };
    ASSERT_EQ(png.substr(20, 4), "UgAA");
    for (const auto& [text, message] : cases) {
        const ProjectRead r = ProjectFromText(text);
        EXPECT_FALSE(r.project) << message;
        EXPECT_EQ(r.message, message);
    }
}

TEST(ProjectFile, FilesAreCheckedBeforeReadingAndSavedWhole) {
    const cli_test::TempDir temp;
    const std::string& dir = temp.path();
    const std::string huge = dir + "/huge.plotsnap", fifo = dir + "/fifo.plotsnap", saved = dir + "/a.plotsnap";
    {
        std::ofstream(huge) << "{";
        fs::resize_file(huge, 2LL << 30);  // sparse: takes no disk space
    }
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> refused = {
        {huge, "The project file is too large to open: 2048 MB (the limit is 512 MB)."},
        {fifo, "Can not read the project file: it is not a regular file."},
        {dir, "Can not read the project file: it is not a regular file."},
        {dir + "/missing.plotsnap", "Can not read the project file: No such file or directory."},
    };
    for (const auto& [path, message] : refused) EXPECT_EQ(ReadProjectFile(path).message, message) << path;

    std::string error;
    ASSERT_TRUE(WriteProjectFile(saved, Sample(), &error)) << error;
    const ProjectRead back = ReadProjectFile(saved);
    ASSERT_TRUE(back.project) << back.message;
    ExpectSame(Sample(), *back.project);
    Project bad = Sample();
    bad.picture = cv::Mat(2, 2, CV_8UC4);
    EXPECT_FALSE(WriteProjectFile(saved, bad, &error));
    EXPECT_TRUE(ReadProjectFile(saved).project);  // the saved file was left as it was
}

std::string Csv(const Document& doc, const ProjectOutput& out, bool logY) {
    ExportSettings s = ExportFor(out.commonXAxis, out.lineFiltering, doc.Width(), doc.Height());
    s.logY = logY;
    YesToAll q;
    const auto table = PrepareExport(doc.Graphs(), doc.GetCalibration(), s, q, nullptr);
    return table ? BuildCsvText(*table, doc.Labels()) : "refused";
}

TEST(ProjectDocument, OpeningASavedDocumentGivesItBackExactly) {
    namespace sc = sample_chart;
    NullLog log;
    Document doc;
    doc.SetPicture(sc::Picture());
    ProcessSettings first;
    first.minPatchSize = 1;
    doc.InstallResults(RunProcessing(doc.Picture(), first, {-1, -1, -1, -1}, log, {}), first);
    // A pick from a pass with other settings must survive the pass the project repeats.
    doc.Pick([](const Patch& p) { return HitPatch({static_cast<int>(sc::ColumnOf(5)), static_cast<int>(sc::RowOf(sc::Red(5)))}, p, 3); });
    ProcessSettings second;
    second.removeGrid = true;
    doc.InstallResults(RunProcessing(doc.Picture(), second, {-1, -1, -1, -1}, log, {}), second);
    doc.SelectGraph(1);
    doc.Pick([](const Patch& p) { return HitPatch({static_cast<int>(sc::ColumnOf(8)), static_cast<int>(sc::RowOf(sc::Blue(8)))}, p, 3); });
    ASSERT_EQ(doc.Graphs()[0].size() + doc.Graphs()[1].size(), 2u);
    doc.SetCalibration({0, sc::kLeft, 10, sc::kRight, 1, sc::kBottom, 100, sc::kTop, sc::kBottom + 3, sc::kLeft - 3});
    doc.AddLabels({MakeLabel("Speed", LABEL_YLEGEND)});
    const ProjectOutput out{false, true};

    const std::vector<cv::Vec3b> colours(2, cv::Vec3b(230, 20, 20));
    const ProjectRead read = ProjectFromText(ProjectToText(ProjectFromDocument(doc, colours, false, true, out)));
    ASSERT_TRUE(read.project) << read.message;
    Document opened;
    OpenProjectInDocument(opened, *read.project, log, {});

    EXPECT_TRUE(opened.State() == doc.State());
    EXPECT_EQ(opened.Patches(), doc.Patches());
    EXPECT_FALSE(opened.CanUndo());
    EXPECT_TRUE(read.project->logY);
    EXPECT_EQ(Csv(opened, read.project->output, read.project->logY), Csv(doc, out, true));
    EXPECT_NE(Csv(doc, out, true), "refused");
}

const cv::Vec3b kRed(230, 20, 20), kBlue(20, 20, 230), kBlack(0, 0, 0), kGreen(20, 200, 20);

// A vertical stroke at column x from row top to row top + 2.
Patch Stroke(int x, int top) { return {{top, x, top + 2}}; }

ProjectGraph Picked(std::vector<std::pair<IPoint, cv::Vec3b>> picks) {
    ProjectGraph g;
    for (const auto& [seed, colour] : picks) g.picks.push_back({seed, colour, Stroke(seed.x, seed.y)});
    return g;
}

TEST(CarryPicks, EachPatchJoinsTheGraphThatPickedItsClass) {
    // The new picture: red at 10 and 50, blue at 30, black at 5 and 90, a dark red class at 70.
    const PatchList patches = {Stroke(5, 0), Stroke(10, 40), Stroke(30, 8), Stroke(50, 44), Stroke(70, 1), Stroke(90, 3)};
    const std::vector<cv::Vec3b> colours = {kBlack, kRed, kBlue, kRed, cv::Vec3b(120, 10, 10), kBlack};
    // name, graphs saved, patches each graph takes
    const std::vector<std::tuple<const char*, std::vector<ProjectGraph>, std::vector<PatchList>>> cases = {
        {"moved curve found by colour", {Picked({{{12, 2}, kRed}})}, {{Stroke(10, 40), Stroke(50, 44)}}},
        {"two graphs, two colours",
         {Picked({{{12, 2}, kBlue}}), Picked({{{0, 0}, kRed}})},
         {{Stroke(30, 8)}, {Stroke(10, 40), Stroke(50, 44)}}},
        {"a near shade is the same ink", {Picked({{{0, 0}, cv::Vec3b(210, 40, 35)}})}, {{Stroke(10, 40), Stroke(50, 44)}}},
        {"an absent colour takes nothing", {Picked({{{0, 0}, kGreen}})}, {{}}},
        {"one class in two graphs goes by the nearest seed",
         {Picked({{{0, 10}, kBlack}}), Picked({{{95, 0}, kBlack}})},
         {{Stroke(5, 0)}, {Stroke(90, 3)}}},
        {"a graph without picks stays empty", {ProjectGraph{}, Picked({{{0, 0}, kBlue}})}, {{}, {Stroke(30, 8)}}},
        {"no graphs gives one empty slot", {}, {{}}},
    };
    for (const auto& [name, graphs, expected] : cases)
        EXPECT_EQ(CarryPicks(graphs, patches, colours), expected) << name;
    EXPECT_THROW(CarryPicks({}, patches, {kRed}), std::invalid_argument);
}

TEST(UnsavedWork, EditsAndPassesCountWorkerResultsDoNot) {
    const cv::Mat white(20, 30, CV_8UC3, cv::Scalar::all(255));
    const ProcessResult pass = PassResult({1, 1, 29, 19}, {Column(5, 2, 9)});
    // name, the steps after a new picture, changed, the project's path
    const std::vector<std::tuple<const char*, std::function<void(Document&, UnsavedWork&)>, bool, std::string>> cases = {
        {"a new picture", [](Document&, UnsavedWork&) {}, false, ""},
        {"a processing pass", [&](Document& d, UnsavedWork&) { d.InstallResults(pass, {}); }, true, ""},
        {"a pick", [&](Document& d, UnsavedWork&) { d.InstallResults(pass, {}); d.Pick([](const Patch&) { return true; }); }, true, ""},
        {"saved", [&](Document& d, UnsavedWork& w) { d.InstallResults(pass, {}); w.Saved("/p/a.plotsnap"); }, false, "/p/a.plotsnap"},
        {"worker results and a bare history step after saving",
         [&](Document& d, UnsavedWork& w) { d.InstallResults(pass, {}); w.Saved("/p/a"); d.AcceptThinned(d.ResultsGeneration(), {}); d.RecordStep(); },
         false, "/p/a"},
        {"an edit after saving", [](Document& d, UnsavedWork& w) { w.Saved("a.plotsnap"); d.SetPlotRect({1, 2, 3, 4}); }, true, "a.plotsnap"},
        {"undo after saving", [](Document& d, UnsavedWork& w) { d.SetPlotRect({1, 2, 3, 4}); w.Saved("a"); d.Undo(); }, true, "a"},
        {"a new picture forgets the project", [&](Document& d, UnsavedWork& w) { w.Saved("a"); d.SetCalibration({}); d.SetPicture(white); }, false, ""},
    };
    for (const auto& [name, steps, changed, path] : cases) {
        Document doc;
        UnsavedWork work;
        work.Watch(doc);
        doc.SetPicture(white);
        steps(doc, work);
        EXPECT_EQ(work.Changed(), changed) << name;
        EXPECT_EQ(work.ProjectPath(), path) << name;
    }
}

}  // namespace
