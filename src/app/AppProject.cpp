// Project files in the window: Save Project, Open Project, and the question put
// before a changed document is replaced or closed.
#include <fstream>
#include <tuple>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "document/project_document.h"
#include "document/project_picks.h"
#include "document/project_state.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
const char* const kProjectWildcard = "plotsnap projects (*.plotsnap)|*.plotsnap|All files (*)|*";

// A project renamed to another extension still starts as JSON; no picture format does.
bool IsProjectFile(const wxString& path) {
    if (path.Lower().EndsWith(kProjectExtension)) return true;
    std::ifstream in(path.utf8_string(), std::ios::binary);
    char c = 0;
    while (in.get(c) && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
    }
    return in && c == '{';
}

// What the user made of the picture, for telling whether it changed since the last save.
bool SameWork(const Project& a, const Project& b) {
    const Calibration &c = a.calibration, &d = b.calibration;
    const auto pixels = [](const Calibration& k) {
        return std::vector<int>{k.xPixel1, k.xPixel2, k.yPixel1, k.yPixel2, k.xRow, k.yColumn};
    };
    const auto values = [](const Calibration& k) { return std::vector<double>{k.xValue1, k.xValue2, k.yValue1, k.yValue2}; };
    // Where a label was last drawn is no edit.
    const auto labels = [](const std::vector<TextLabel>& ls) {
        std::vector<std::tuple<std::string, int, int, int, int, int, int>> out;
        for (const TextLabel& l : ls) out.emplace_back(l.text, l.left, l.top, l.width, l.height, l.orientation, l.kind);
        return out;
    };
    return a.processed == b.processed && a.plotRect == b.plotRect && a.graphs == b.graphs &&
           a.currentGraph == b.currentGraph && pixels(c) == pixels(d) && values(c) == values(d) &&
           labels(a.labels) == labels(b.labels);
}
}  // namespace

ProcessSettings curvetapApp::CurrentProcessSettings() const {
    ProcessSettings settings;
    settings.manualThreshold = prefs.manualThreshold;
    settings.threshold = prefs.threshold;
    settings.minPatchSize = unsigned(prefs.minPatchSize);
    settings.removeGrid = g_mainFrame && g_mainFrame->RemoveGridValue();
    settings.gridWidth = g_mainFrame ? g_mainFrame->GridWidth() : 2;
    settings.keepBinary = prefs.whiteBackground;
    return settings;
}

Project curvetapApp::CurrentProject(bool withPicture) const {
    Project p;
    if (withPicture) p.picture = image;
    p.process = CurrentProcessSettings();
    p.processed = processed;
    p.plotRect = g_canvas->GetPlotRect();
    std::vector<PatchList> graphs;
    g_canvas->GetSelectedGraphs(graphs);
    PatchList picked;
    for (const PatchList& g : graphs) picked.insert(picked.end(), g.begin(), g.end());
    p.graphs = PicksFromSlots(graphs, withPicture ? PatchClassColours(image, picked) : std::vector<cv::Vec3b>(picked.size()));
    p.currentGraph = std::min(currentGraph, int(p.graphs.size()) - 1);
    const AxisCalibration& a = g_canvas->BuildEditState().calib;
    p.calibration = {a.xValue1, a.x1.x, a.xValue2, a.x2.x, a.yValue1, a.y1.y, a.yValue2, a.y2.y, a.x1.y, a.y1.x};
    p.logX = prefs.logScaleX;
    p.logY = prefs.logScaleY;
    g_canvas->GetTextLabels(p.labels);
    p.output = {prefs.lineFiltering != 0, prefs.commonXAxis, true};
    return p;
}

bool curvetapApp::HasUnsavedWork() const {
    if (!IsImageLoaded()) return false;
    const Project now = CurrentProject(false);
    if (savedWork) return !SameWork(now, *savedWork);
    return now.processed || g_canvas->CanUndo() || !now.labels.empty();
}

void curvetapApp::OpenAnyFile(const wxString& path) {
    if (IsProjectFile(path)) OpenProject(path);
    else LoadImageFile(wxFileName(path));
}

bool curvetapApp::MayReplaceDocument() {
    if (!HasUnsavedWork()) return true;
    const wxString text = projectPath.empty()
                              ? wxString("The chart has changes that are not saved in a project. Save them first?")
                              : "The changes to " + wxFileName(Wide(projectPath)).GetFullName() + " are not saved. Save them first?";
    switch (Ui().AskSaveChanges(text, g_mainFrame)) {
        case wxYES: return SaveProjectCommand(false);
        case wxNO: return true;
        default: return false;
    }
}

bool curvetapApp::SaveProjectCommand(bool chooseFile) {
    if (!IsImageLoaded()) {
        ShowInfo("No image loaded");
        return false;
    }
    wxString path = Wide(projectPath);
    if (chooseFile || path.empty()) {
        path = Ui().ChooseFileToSave(g_mainFrame, "Save project", kProjectWildcard);
        if (path.empty()) return false;
        if (wxFileName(path).GetExt().empty()) path += kProjectExtension;
    }
    return SaveProject(path);
}

bool curvetapApp::SaveProject(const wxString& path) {
    const Project p = CurrentProject(true);
    std::string error;
    if (!WriteProjectFile(path.utf8_string(), p, &error)) {
        Ui().Message("Error saving the project " + path + ": " + Wide(error), kAppName, wxOK | wxCENTRE, g_mainFrame);
        return false;
    }
    RememberProject(path, p);
    log << "Project saved to file " << path.utf8_string() << "\n";
    return true;
}

bool curvetapApp::OpenProjectCommand() {
    const wxString path = Ui().ChooseFileToOpen(g_mainFrame, "Open project", kProjectWildcard);
    return !path.empty() && OpenProject(path);
}

bool curvetapApp::OpenProject(const wxString& path) {
    // The file is read and checked whole before the open document is touched.
    const ProjectRead read = ReadProjectFile(path.utf8_string());
    if (!read.project) {
        log << "Can not open project " << path.utf8_string() << ": " << read.message << "\n";
        Ui().Message("Can not open the project " + path + ":\n" + Wide(read.message), kAppName, wxOK | wxCENTRE,
                     g_mainFrame);
        return false;
    }
    if (!MayReplaceDocument()) return false;
    const Project& p = *read.project;
    // The window's settings follow the project, so its export is the saved one.
    SetLogarithmicX(p.logX);
    SetLogarithmicY(p.logY);
    SetLineFiltering(p.output.lineFiltering ? 1 : 0);
    SetCommonXAxis(p.output.commonXAxis);
    SetManualThreshold(p.process.manualThreshold);
    SetThreshold(p.process.threshold);
    SetMinPatchSize(int(p.process.minPatchSize));
    g_mainFrame->SetRemoveGrid(p.process.removeGrid);
    g_mainFrame->SetGridWidth(p.process.gridWidth);

    const cv::Mat& m = p.picture;
    loadedImage = wxImage(m.cols, m.rows, false);
    for (int r = 0; r < m.rows; ++r) std::copy(m.ptr(r), m.ptr(r) + 3 * m.cols, loadedImage.GetData() + size_t(r) * 3 * m.cols);
    BuildMatrix();
    InstallNewImage();
    g_canvas->SetPlotRect(p.plotRect);
    if (p.processed) ProcessImage();

    // The saved picks, calibration and labels replace what processing and start-up left.
    EditState s = g_canvas->BuildEditState();
    const Calibration& c = p.calibration;
    s.calib.x1 = {c.xPixel1, c.xRow};
    s.calib.x2 = {c.xPixel2, c.xRow};
    s.calib.y1 = {c.yColumn, c.yPixel1};
    s.calib.y2 = {c.yColumn, c.yPixel2};
    s.calib.xValue1 = c.xValue1, s.calib.xValue2 = c.xValue2, s.calib.yValue1 = c.yValue1, s.calib.yValue2 = c.yValue2;
    s.calib.x1Set = c.xPixel1 != -1, s.calib.x2Set = c.xPixel2 != -1, s.calib.y1Set = c.yPixel1 != -1, s.calib.y2Set = c.yPixel2 != -1;
    s.slots = SlotsFromPicks(p.graphs);
    s.currentSlot = p.currentGraph;
    s.working = s.slots[size_t(p.currentGraph)];
    s.textLabels = p.labels;
    s.plotRect = p.plotRect;
    g_canvas->RestoreEditState(s);
    g_canvas->ClearHistory();
    currentGraph = p.currentGraph;
    g_mainFrame->SetGraphCount(int(p.graphs.size()));
    g_mainFrame->SetGraphLabel(currentGraph);
    RememberProject(path, p);
    log << "Successfully opened project " << path.utf8_string() << "\n";
    return true;
}

void curvetapApp::RememberProject(const wxString& path, const Project& p) {
    projectPath = path.utf8_string();
    savedWork = std::make_shared<Project>(p);
    savedWork->picture.release();
    for (ProjectGraph& g : savedWork->graphs)
        for (ProjectPick& pick : g.picks) pick.colour = cv::Vec3b();
    fileHistory->AddFileToHistory(path);
    fileHistory->Save(*config);
    g_mainFrame->FileMenu()->Enable(wxID_CLEAR, true);
    g_mainFrame->SetTitle(Wide(WindowTitle(projectPath, false)));
}

void curvetapApp::ForgetProject() {
    projectPath.clear();
    savedWork.reset();
}
