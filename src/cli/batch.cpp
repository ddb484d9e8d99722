#include "cli/batch.h"

#include <opencv2/core/utility.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <sys/stat.h>

#include "app/image_header.h"
#include "cli/digitize.h"
#include "cli/toolkit_pictures.h"
#include "detect/colour.h"
#include "detect/overlap.h"
#include "document/project_document.h"
#include "document/project_picks.h"
#include "output/csv_writer.h"
#include "output/file_writer.h"
#include "output/series.h"

namespace {

constexpr int kExitOk = 0, kExitOutputFailed = 1, kExitUnreadable = 3, kExitNothingPicked = 4, kExitCalibration = 5;

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "plotsnap-cli: %s\n", message.c_str());
    return code;
}

// Export's questions without a person: default scales only when asked for.
class Unattended : public ExportQuestions {
public:
    explicit Unattended(bool defaultScales) : defaultScales_(defaultScales) {}
    bool AskYesNo(const std::string& message) override {
        if (!defaultScales_) why_ = "an axis scale is not set or too small (--default-scales gives pixel units)";
        return defaultScales_;
    }
    void ShowError(const std::string& message, const std::string&) override { why_ = message; }
    std::string why_;

private:
    bool defaultScales_;
};

// Where thick curves overlap, each is measured with its covered edge restored, as
// plotsnap-cli process measures it; binary is the processing pass's (may be empty).
std::vector<PatchList> Strokes(const std::vector<PatchList>& slots, const cv::Mat& binary) {
    if (binary.empty()) return slots;
    std::vector<PatchList> strokes;
    for (const PatchList& g : slots) strokes.push_back(RestoreCoveredEdges(g, binary));
    return strokes;
}

// The CSV for these slots under the project's calibration and output settings.
std::optional<std::string> ProjectCsv(const Project& p, const std::vector<PatchList>& slots, const cv::Mat& picture,
                                      const std::vector<TextLabel>& labels, bool defaultScales, std::string* why) {
    ExportSettings settings;
    settings.logX = p.logX;
    settings.logY = p.logY;
    settings.thin = p.output.lineFiltering;
    settings.commonX = p.output.commonXAxis;
    settings.bridge = p.output.bridge;
    settings.imageHeight = picture.rows;
    settings.imageWidth = picture.cols;
    settings.picture = picture;
    Unattended questions(defaultScales);
    const auto table = PrepareExport(slots, p.calibration, settings, questions, nullptr);
    if (!table) {
        *why = questions.why_;
        return std::nullopt;
    }
    return BuildCsvText(*table, labels);
}

// Axis names carry over to pictures of the same layout; titles and texts belong to one picture.
std::vector<TextLabel> LayoutLabels(const std::vector<TextLabel>& labels) {
    std::vector<TextLabel> kept;
    for (const TextLabel& l : labels)
        if (l.kind & (LABEL_XLEGEND | LABEL_YLEGEND)) kept.push_back(l);
    return kept;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One CSV name per picture: its name without the extension, numbered when two pictures share it.
std::vector<std::string> OutputNames(const std::vector<std::string>& images) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& image : images) {
        std::string stem = BaseName(image);
        if (const size_t dot = stem.find_last_of('.'); dot != std::string::npos && dot > 0) stem.erase(dot);
        std::string name = stem + ".csv";
        for (int n = 2; !taken.insert(name).second; ++n) name = stem + "-" + std::to_string(n) + ".csv";
        names.push_back(name);
    }
    return names;
}

struct Outcome {
    bool ok = false;
    std::string text;  // what the progress line says after the picture's name
};

Outcome DigitizeOne(const Project& project, const std::vector<TextLabel>& labels, const std::string& image,
                    const std::string& csvPath, bool defaultScales) {
    PictureMatrix read = ReadPictureForCli(image);
    if (read.status != PictureOutcome::Ok) return {false, read.message};
    if (read.picture.empty()) return {false, "Image is empty"};

    Document doc;
    doc.SetPicture(std::move(read.picture));
    NullLog quiet;
    const IRect& r = project.plotRect;
    ProcessSettings settings = project.process;
    settings.keepBinary = true;
    ProcessResult result = RunProcessing(doc.Picture(), settings, {r.left, r.top, r.right, r.bottom}, quiet, AbortQuestion());
    if (!result.ran) return {false, "Image is empty"};
    doc.InstallResults(std::move(result), project.process);
    const std::vector<PatchList> slots =
        CarryPicks(project.graphs, doc.Patches(), PatchClassColours(doc.Picture(), doc.Patches()));

    size_t picked = 0;
    for (const PatchList& s : slots) picked += s.size();
    if (picked == 0) return {false, "no patch of the picked colours found"};
    std::string why;
    const auto csv = ProjectCsv(project, Strokes(slots, doc.Binary()), doc.Picture(), labels, defaultScales, &why);
    if (!csv) return {false, "calibration refused: " + why};
    if (!WriteTextFileAtomically(csvPath, *csv, &why)) return {false, "Error opening file for writing data: " + why};
    return {true, std::to_string(picked) + (picked == 1 ? " patch" : " patches") + " -> " + csvPath};
}

}  // namespace

int ExportProject(const CliOptions& o, LogSink& log) {
    const ProjectRead read = ReadProjectFile(o.imagePath);
    if (!read.project) return Fail(kExitUnreadable, read.message + ": " + o.imagePath);
    Project p = *read.project;
    // Processed again for the binary picture the overlap rule measures against.
    p.process.keepBinary = true;
    Document doc;
    NullLog quiet;
    OpenProjectInDocument(doc, p, quiet, AbortQuestion());
    std::string why;
    const auto csv = ProjectCsv(p, Strokes(doc.Graphs(), doc.Binary()), p.picture, p.labels, o.defaultScales, &why);
    if (!csv) {
        if (why == "No graphs have been selected for export/copy") return Fail(kExitNothingPicked, "nothing picked in " + o.imagePath);
        return Fail(kExitCalibration, "calibration refused: " + why);
    }
    if (o.outputPath.empty()) {
        std::fwrite(csv->data(), 1, csv->size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return Fail(kExitOutputFailed, "could not write the data to standard output");
        return kExitOk;
    }
    if (!WriteTextFileAtomically(o.outputPath, *csv, &why))
        return Fail(kExitOutputFailed, "Error opening file for writing data: " + o.outputPath + " (" + why + ")");
    log << "Data saved to file " << o.outputPath << " successfully\n";
    return kExitOk;
}

int SaveRunAsProject(const CliOptions& o, const Document& processed, const std::vector<int>& classes, LogSink& log) {
    Document doc = processed;
    ApplyPicks(doc, classes, o.picks);
    doc.SetCalibration(o.calibration);
    const Project p = ProjectFromDocument(doc, PickColours(doc), o.logX, o.logY, {o.filter, o.commonX, o.bridge});
    std::string error;
    if (!WriteProjectFile(o.saveProjectPath, p, &error))
        return Fail(kExitOutputFailed, "Error saving the project: " + o.saveProjectPath + " (" + error + ")");
    log << "Project saved to file " << o.saveProjectPath << "\n";
    return kExitOk;
}

int RunBatch(const CliOptions& o, LogSink& log) {
    const auto start = std::chrono::steady_clock::now();
    const ProjectRead read = ReadProjectFile(o.projectPath);
    if (!read.project) return Fail(kExitUnreadable, read.message + ": " + o.projectPath);
    const Project& project = *read.project;
    struct stat st {};
    if (::stat(o.outputPath.c_str(), &st) != 0 && ::mkdir(o.outputPath.c_str(), 0777) != 0)
        return Fail(kExitOutputFailed, "can not make the folder " + o.outputPath);
    if (::stat(o.outputPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Fail(kExitOutputFailed, o.outputPath + " is not a folder (-o DIR with --project)");

    std::vector<std::string> images = {o.imagePath};
    images.insert(images.end(), o.moreImages.begin(), o.moreImages.end());
    const std::vector<std::string> names = OutputNames(images);
    const std::vector<TextLabel> labels = LayoutLabels(project.labels);
    const std::string folder = o.outputPath.back() == '/' ? o.outputPath : o.outputPath + "/";

    // Pictures run side by side, one per worker, so memory stays at one picture per
    // worker; OpenCV's own threads would only compete with them.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t workers = std::min<size_t>(o.jobs > 0 ? static_cast<size_t>(o.jobs) : cores, images.size());
    cv::setNumThreads(1);
    std::atomic<size_t> next{0};
    std::mutex mutex;
    size_t done = 0;
    std::vector<std::string> failed;
    auto work = [&] {
        for (size_t i; (i = next++) < images.size();) {
            Outcome out;
            try {
                out = DigitizeOne(project, labels, images[i], folder + names[i], o.defaultScales);
            } catch (const std::exception& e) {
                out = {false, std::string("internal error: ") + e.what()};
            }
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
            if (!out.ok) failed.push_back(images[i]);
            log << "[" << done << "/" << images.size() << "] " << images[i] << ": " << (out.ok ? "" : "FAILED: ")
                << out.text << "\n";
        }
    };
    // Pictures the toolkit may read (any but PNG; a JPEG may be CMYK) need it started
    // on this thread, before the workers.
    const bool toolkitMayRead = std::any_of(images.begin(), images.end(), [](const std::string& image) {
        const auto header = ReadImageHeaderSize(image);
        return header && header->format != PictureFormat::Png;
    });
    if (workers > 1 && toolkitMayRead) StartToolkitPictures();
    std::vector<std::thread> pool;
    for (size_t w = 1; w < workers; ++w) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char timing[64];
    std::snprintf(timing, sizeof timing, "%.1f s, %zu at a time", seconds, workers);
    log << "Batch done: " << images.size() - failed.size() << " of " << images.size() << " pictures written to "
        << o.outputPath << ", " << failed.size() << " failed (" << timing << ")\n";
    for (const std::string& f : failed) log << "  failed: " << f << "\n";
    return failed.empty() ? kExitOk : kExitBatchFailures;
}
