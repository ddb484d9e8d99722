// plotsnap-cli: the window's digitizing pass without a window. Progress goes to
// standard error, the CSV (or the patch list) to standard output or a file.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/input_rules.h"
#include "base/common.h"
#include "base/log_sink.h"
#include "base/numbers.h"
#include "cli/batch.h"
#include "cli/cli_options.h"
#include "cli/digitize.h"
#include "cli/toolkit_pictures.h"
#include "detect/annotation.h"
#include "detect/class_pick.h"
#include "detect/legend.h"
#include "detect/overlap.h"
#include "detect/process.h"
#include "document/document.h"
#include "output/csv_writer.h"
#include "output/file_writer.h"
#include "output/series.h"
#include "text/tesseract_engine.h"
#include "text/tick_calibrate.h"

namespace {

enum ExitCode {
    kExitOk = 0,
    kExitOutputFailed = 1,
    kExitUsage = 2,
    kExitUnreadable = 3,
    kExitNothingPicked = 4,
    kExitCalibration = 5,
};

// The log pane of the window, on standard error.
class StderrLog : public LogSink {
public:
    void Write(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "plotsnap-cli: %s\n", message.c_str());
    return code;
}

// Export's questions, answered from the command line instead of message boxes.
class CliQuestions : public ExportQuestions {
public:
    CliQuestions(bool defaultScales, LogSink& log) : defaultScales_(defaultScales), log_(log) {}
    bool AskYesNo(const std::string& message) override {
        if (defaultScales_) log_ << message << " Yes (--default-scales)\n";
        else declinedScales_ = true;
        return defaultScales_;
    }
    void ShowError(const std::string& message, const std::string&) override { error_ = message; }
    bool DeclinedScales() const { return declinedScales_; }
    const std::string& Error() const { return error_; }

private:
    bool defaultScales_;
    LogSink& log_;
    bool declinedScales_ = false;
    std::string error_;
};

// Why default scales were needed, in one line naming the options that mend it.
std::string CalibrationRefusal(const CliOptions& o) {
    const int bits = CheckCalibration(o.calibration);
    std::vector<std::string> problems;
    if (bits & CAL_X_UNSET) problems.push_back("the X scale is not set (--x PX1=V1,PX2=V2)");
    if (bits & CAL_Y_UNSET) problems.push_back("the Y scale is not set (--y PY1=V1,PY2=V2)");
    if (bits & CAL_X_TOO_SMALL) problems.push_back("the X scale points are only one pixel apart");
    if (bits & CAL_Y_TOO_SMALL) problems.push_back("the Y scale points are only one pixel apart");
    std::string text = "calibration refused: ";
    for (size_t i = 0; i < problems.size(); ++i) text += (i ? "; " : "") + problems[i];
    return text + "; or add --default-scales for pixel units";
}

// Fills in the axes the command line did not give from the picture's tick
// labels; kExitOk, or the failure naming the axis and the reason.
int AutoCalibrate(const cv::Mat& image, const PlotArea& area, CliOptions& o, LogSink& log) {
    const LabelCalibrationRequest want{o.calibration.xPixel1 < 0, o.calibration.yPixel1 < 0};
    if (!want.x && !want.y) return kExitOk;
    const auto engine = TesseractEngine::Create();
    if (!engine)
        return Fail(kExitCalibration, "calibration from tick labels failed: the text recognition engine "
                                      "(Tesseract with English data) could not be loaded");
    const LabelCalibration found = CalibrateFromTickLabels(image, area, *engine, want);
    std::string failed, args;
    for (const AxisFromLabels* axis : {&found.x, &found.y}) {
        const bool isX = axis == &found.x;
        if (!(isX ? want.x : want.y)) continue;
        log << axis->logLine;
        const char* name = isX ? "X" : "Y";
        if (!axis->calibrated) {
            failed += std::string(failed.empty() ? "" : "; ") + name + " axis: " + axis->reason;
            continue;
        }
        const bool logarithmic = axis->scale == AxisScale::Logarithmic;
        if (isX) {
            o.calibration.xPixel1 = axis->pixel1;
            o.calibration.xValue1 = axis->value1;
            o.calibration.xPixel2 = axis->pixel2;
            o.calibration.xValue2 = axis->value2;
            o.calibration.xRow = axis->line;
            o.logX = logarithmic;
        } else {
            o.calibration.yPixel1 = axis->pixel1;
            o.calibration.yValue1 = axis->value1;
            o.calibration.yPixel2 = axis->pixel2;
            o.calibration.yValue2 = axis->value2;
            o.calibration.yColumn = axis->line;
            o.logY = logarithmic;
        }
        args += std::string(" --") + (isX ? "x " : "y ") + std::to_string(axis->pixel1) + "=" +
                FormatDouble("%.15g", axis->value1) + "," + std::to_string(axis->pixel2) + "=" +
                FormatDouble("%.15g", axis->value2) + (logarithmic ? (isX ? " --log-x" : " --log-y") : "");
    }
    // The same axes for a later run without reading the labels again.
    if (!args.empty()) log << "Calibration from tick labels:" << args << "\n";
    if (!failed.empty()) return Fail(kExitCalibration, "calibration from tick labels failed: " + failed);
    return kExitOk;
}

int Digitize(CliOptions o) {
    StderrLog log;

    // Loading, logged as the window logs it.
    PictureMatrix read = ReadPictureForCli(o.imagePath);
    if (read.status != PictureOutcome::Ok) return Fail(kExitUnreadable, read.message + ": " + o.imagePath);
    if (read.frameCount != 1) log << "Possibly more than one image in this file, processing the default one\n";
    log << "Successfully loaded image " << o.imagePath << "\n";
    if (read.hadMask) log << "image has a mask; converting mask to white background\n";
    // The document works on the decoded bytes themselves: the picture is held once.
    Document doc;
    if (!read.picture.empty()) doc.SetPicture(std::move(read.picture));
    if (!doc.HasPicture()) return Fail(kExitUnreadable, "Image is empty: " + o.imagePath);

    if (!o.plotRect.IsUnset()) {
        const std::string problem = PlotRectProblem(o.plotRect, doc.Picture().cols, doc.Picture().rows);
        if (!problem.empty()) return Fail(kExitUsage, problem + " (--plot-rect)");
    }
    // The processing pass; the long-grouping question is answered "go on".
    const IRect& r = o.plotRect;
    ProcessSettings process = o.process;
    process.keepBinary = true;  // overlapping strokes are measured against it
    ProcessResult result = RunProcessing(doc.Picture(), process, {r.left, r.top, r.right, r.bottom}, log, AbortQuestion());
    if (!result.ran) return Fail(kExitUnreadable, "Image is empty: " + o.imagePath);
    const PlotArea area = result.plotArea;
    doc.InstallResults(std::move(result), o.process);
    log << "Processing complete!\n";
    if (o.autoCalibrate) {
        const int status = AutoCalibrate(doc.Picture(), area, o, log);
        if (status != kExitOk) return status;
    }
    const PatchList& patches = doc.Patches();
    const ClassedInk& ink = doc.Ink();
    const std::vector<int> colours = PatchClasses(ink, patches);
    const bool learned = ink.mode == ColourClassing::FromPicture;

    if (o.listPatches) {
        std::string text;
        for (size_t i = 0; i < patches.size(); ++i) {
            const cv::Vec3b rgb = ink.Colour(colours[i]);
            text += PatchJson(i, patches[i], learned ? NearestReferenceOfRgb(rgb) : colours[i],
                              learned ? (colours[i] < 0 ? "none" : HexColour(rgb)) : std::string()) + "\n";
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return Fail(kExitOutputFailed, "could not write the patch list to standard output");
        return kExitOk;
    }

    // Without picks the project is a set-up to finish in the window.
    if (!o.saveProjectPath.empty() && o.picks.empty()) return SaveRunAsProject(o, doc, colours, log);

    // Picking.
    if (o.picks.empty())
        return Fail(kExitNothingPicked, "nothing picked: give --pick, --band or --colour (--list-patches shows the patches)");
    std::vector<PickStep> picks = o.picks;
    for (PickStep& step : picks) {
        if (step.kind != PickStep::Colour) continue;
        step.classes = step.colour >= 0 ? ClassesOfReference(ink, step.colour) : ClassesNearColour(ink, step.rgb);
        if (learned && step.colour < 0 && !step.classes.empty())
            log << step.text << " takes the class " << HexColour(ink.Colour(step.classes.front())) << "\n";
    }
    // Legends and what is drawn over the plot stay out of colour picks.
    std::vector<bool> curve;
    if (std::any_of(picks.begin(), picks.end(), [](const PickStep& s) { return s.kind == PickStep::Colour || s.kind == PickStep::Curve; })) {
        const IRect& a = doc.PlotRect();
        AnnotationSettings roles;
        roles.oneInkPerClass = learned;
        curve = CurvePatches(doc.Picture(), patches, colours, {a.left, a.top, a.right, a.bottom}, roles);
    }
    for (const std::string& step : ApplyPicks(doc, colours, picks, curve)) log << step << " added no patch\n";
    const std::vector<PatchList>& graphs = doc.Graphs();
    for (size_t g = 0; g < graphs.size(); ++g)
        log << "Graph-" << static_cast<int>(g) << ": " << graphs[g].size() << (graphs[g].size() == 1 ? " patch\n" : " patches\n");
    if (!doc.HasPicks())
        return Fail(kExitNothingPicked, "nothing picked: no patch lies under the picks given (--list-patches shows the patches)");

    // Export, through the same preparation and text as the window's.
    doc.SetCalibration(o.calibration);
    // The project holds the picks as made above, so its export is this run's.
    if (!o.saveProjectPath.empty()) {
        CliOptions made = o;
        made.picks.clear();
        if (const int code = SaveRunAsProject(made, doc, colours, log); code != kExitOk) return code;
    }
    ExportSettings settings;
    settings.logX = o.logX;
    settings.logY = o.logY;
    settings.thin = o.filter;
    settings.bridge = o.bridge;
    settings.commonX = o.commonX;
    settings.imageHeight = doc.Height();
    settings.imageWidth = doc.Width();
    settings.picture = doc.Picture();
    CliQuestions questions(o.defaultScales, log);
    // Where thick curves overlap, each is measured with its covered edge restored.
    const auto table =
        PrepareExport(RestoreCoveredEdges(graphs, doc.Binary()), doc.GetCalibration(), settings, questions, nullptr);
    if (!table) {
        if (questions.DeclinedScales()) return Fail(kExitCalibration, CalibrationRefusal(o));
        return Fail(kExitCalibration, "calibration refused: " + questions.Error());
    }
    const std::string csv =
        BuildCsvText(*table, doc.Labels(), LegendHeadings(doc.Picture(), graphs, doc.ChannelThresholds(), [] {
                         return std::shared_ptr<OcrEngine>(TesseractEngine::Create());
                     }, log));

    if (!o.outputPath.empty()) {
        std::string error;
        if (!WriteTextFileAtomically(o.outputPath, csv, &error))
            return Fail(kExitOutputFailed, "Error opening file for writing data: " + o.outputPath + " (" + error + ")");
        log << "Data saved to file " << o.outputPath << " successfully\n";
        return kExitOk;
    }
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(kExitOutputFailed, "could not write the data to standard output");
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    switch (parsed.outcome) {
        case ParsedCommandLine::Help: std::fputs(HelpText().c_str(), stdout); return kExitOk;
        case ParsedCommandLine::Version: std::printf("%s\n", kVersionBanner); return kExitOk;
        case ParsedCommandLine::UsageError:
            std::fprintf(stderr, "plotsnap-cli: %s\n%s\n", parsed.error.c_str(), kUsageLine);
            return kExitUsage;
        case ParsedCommandLine::Run: break;
    }
    // Runs after every picture is read, whichever way the run ends.
    struct EndToolkit {
        ~EndToolkit() { EndToolkitPictures(); }
    } endToolkit;
    try {
        StderrLog log;
        if (parsed.options.exportCommand) return ExportProject(parsed.options, log);
        if (!parsed.options.projectPath.empty()) return RunBatch(parsed.options, log);
        return Digitize(parsed.options);
    } catch (const std::exception& e) {
        return Fail(kExitOutputFailed, std::string("internal error: ") + e.what());
    }
}
