#include "app/CurvetapApp.h"

#include <wx/stdpaths.h>

#include <ctime>
#include <cstdlib>

#include "app/PictureFile.h"
#include "app/input_rules.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"
#include "ui/Workers.h"
#include "ui/startup_arguments.h"
#include "ui/guidance.h"
#include "ui/window_layout.h"

GUIFrame* g_mainFrame = nullptr;
ScrolledImageComponent* g_canvas = nullptr;

namespace {
std::string g_startupFile;
std::vector<std::string> g_unusedFiles;
// Where the window was left, in the preferences.
const char* kWindowKeys[4] = {"Window/x", "Window/y", "Window/width", "Window/height"};
}  // namespace

void SetStartupFiles(const std::string& open, const std::vector<std::string>& unused) {
    g_startupFile = open;
    g_unusedFiles = unused;
}

void LogPaneSink::Write(const std::string& text) {
    if (pane_) pane_->AppendText(Wide(text));
}

curvetapApp::~curvetapApp() {
    // Workers still running deliver nowhere once the application is gone.
    if (workerSink) workerSink->Detach();
}

bool curvetapApp::OnInit() {
    config = new wxFileConfig(kAppName, kVendorName, wxEmptyString, wxEmptyString,
                              wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE);
    LoadPreferences();
    logPane = nullptr;
    InstallPictureHandlers();
    workerSink = std::make_shared<ResultSink>(this);
    Bind(EVT_THINNED_READY, [this](wxThreadEvent& e) { AcceptWorkerResult(doc, e); });
    Bind(EVT_HOVERS_READY, [this](wxThreadEvent& e) { AcceptWorkerResult(doc, e); });

    g_mainFrame = new GUIFrame(nullptr, wxID_ANY, kAppName);
    const int h0 = g_mainFrame->GetSize().y;
    g_mainFrame->CreateToolbar();
    g_mainFrame->SetRemoveGrid(false);
    g_mainFrame->SetGridWidth(2);
    const int tw = g_mainFrame->Toolbar()->GetBestSize().x;

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CanvasEvents events;
    events.status = [](const wxString& text) { g_mainFrame->SetStatusText(text, 0); };
    events.zoomChoice = [](int index) { g_mainFrame->SetZoomChoice(index); };
    events.textMode = [](bool on) { g_mainFrame->SetOcrMode(on); };
    events.labelCommands = [](bool on) { g_mainFrame->EnableDeleteItem(on); };
    events.recognise = [this](const IRect& area) { RecogniseArea(area); };
    events.calibrateFromLabels = [this] { CalibrateFromLabels(false); };
    events.mode = [](AxisMode mode, bool text) { g_mainFrame->ShowAxisMode(mode, text); };
    g_canvas = new ScrolledImageComponent(g_mainFrame, wxID_ANY, doc, events);
    g_canvas->SetReadout(Readout());
    sizer->Add(g_canvas, 1, wxEXPAND, 0);
    doc.Observe([this](unsigned changes) { OnDocumentChanged(changes); });
    SetupProjects();

    logPane = new wxTextCtrl(g_mainFrame, wxID_ANY, kVersionBanner, wxDefaultPosition, wxSize(-1, 100),
                             wxTE_MULTILINE | wxTE_READONLY);
    log.SetPane(logPane);
    log << "\n";
    // The read-only log takes no letters: the single-key commands work from it too.
    logPane->Bind(wxEVT_KEY_DOWN, [](wxKeyEvent& e) {
        const int k = e.GetKeyCode();
        const bool command = !e.HasAnyModifiers() && wxStrchr(wxT("XYTAxyta"), wxChar(k)) && k != 0;
        if (!command || !g_canvas) {
            e.Skip();
            return;
        }
        g_canvas->SetFocus();
        wxKeyEvent forwarded(e);
        forwarded.SetEventObject(g_canvas);
        g_canvas->GetEventHandler()->ProcessEvent(forwarded);
    });
    sizer->Add(logPane, 0, wxEXPAND | wxALL, 0);

    const int h1 = g_mainFrame->GetSize().y;
    const int ch = g_mainFrame->GetClientSize().y;
    g_mainFrame->SetClientSize(tw, h0 + 100);
    g_mainFrame->SetSizer(sizer);
    // Never narrower than the toolbar, so no command is hidden (unless the screen is smaller).
    const int decorationWidth = g_mainFrame->GetSize().x - g_mainFrame->GetClientSize().x;
    g_mainFrame->SetMinSize(wxSize(std::min(tw + decorationWidth, wxGetClientDisplayRect().width), h1 - ch + 100));
    RestoreWindowPlace();
    g_mainFrame->ShowAxisKinds(prefs.logScaleX, prefs.logScaleY);
    // A logarithmic axis kept from an earlier run is said at once, not found at export.
    if (prefs.logScaleX || prefs.logScaleY)
        log << "Axes from the saved options: " << AxisKindsText(prefs.logScaleX, prefs.logScaleY) << "\n";

    g_mainFrame->EnableUndoRedo(false, false);
    g_mainFrame->EnableUndoRedo(true, false);
    g_mainFrame->EnableDeleteItem(false);
    g_mainFrame->SetGraphLabel(0);
    SetupFileHistory();
    g_mainFrame->Show();
    g_canvas->SetFocus();
    ShowTipOfTheDay(true);
    if (!g_startupFile.empty()) {
        log << UnusedFilesNote(g_unusedFiles);
        OpenAnyFile(Wide(g_startupFile));
    }
    return true;
}

void curvetapApp::RestoreWindowPlace() {
    long v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
        if (!config->Read(kWindowKeys[i], &v[i])) return;
    const wxRect d = wxGetClientDisplayRect();
    const wxSize min = g_mainFrame->GetMinSize();
    WindowBox placed;
    if (FitSavedWindow({int(v[0]), int(v[1]), int(v[2]), int(v[3])}, {d.x, d.y, d.width, d.height}, min.x, min.y, placed))
        g_mainFrame->SetSize(placed.x, placed.y, placed.width, placed.height);
}

void curvetapApp::SaveWindowPlace() {
    if (!g_mainFrame || g_mainFrame->IsIconized() || g_mainFrame->IsMaximized()) return;
    const wxRect r = g_mainFrame->GetRect();
    const long v[4] = {r.x, r.y, r.width, r.height};
    for (int i = 0; i < 4; ++i) config->Write(kWindowKeys[i], v[i]);
    config->Flush();
}

void curvetapApp::OnDocumentChanged(unsigned changes) {
    if (!g_mainFrame) return;
    // Undo and Redo stay available while a picture is open; stepping past either end does nothing.
    if (changes & (Changes::History | Changes::Picture)) {
        g_mainFrame->EnableUndoRedo(true, doc.HasPicture());
        g_mainFrame->EnableUndoRedo(false, doc.HasPicture());
    }
    if ((changes & Changes::Graphs) && doc.CurrentGraph() != graphShown) {
        graphShown = doc.CurrentGraph();
        if (graphShown >= g_mainFrame->GraphCount()) g_mainFrame->SetGraphCount(graphShown + 1);
        g_mainFrame->SetGraphLabel(graphShown);
    }
    if (doc.ResultsGeneration() != workersStarted) {
        workersStarted = doc.ResultsGeneration();
        if (!doc.Patches().empty()) StartPatchWorkers(doc, workerSink);
    }
}

ReadoutSettings curvetapApp::Readout() const {
    ReadoutSettings r;
    r.logX = prefs.logScaleX;
    r.logY = prefs.logScaleY;
    r.showValueMarkers = prefs.showTooltips;
    r.whiteBackground = prefs.whiteBackground;
    return r;
}

// ---------------------------------------------------------------- preferences

void curvetapApp::LoadPreferences() {
    Preferences d;
    long v = 0;
    config->Read(PrefKeys::WhiteBackground, &prefs.whiteBackground, d.whiteBackground);
    config->Read(PrefKeys::LogScaleX, &prefs.logScaleX, d.logScaleX);
    config->Read(PrefKeys::LogScaleY, &prefs.logScaleY, d.logScaleY);
    config->Read(PrefKeys::MinPatchSize, &v, d.minPatchSize);
    prefs.minPatchSize = StoredInt(v);
    config->Read(PrefKeys::LineFiltering, &v, d.lineFiltering);
    prefs.lineFiltering = StoredInt(v);
    config->Read(PrefKeys::ManualThreshold, &prefs.manualThreshold, d.manualThreshold);
    config->Read(PrefKeys::Threshold, &v, d.threshold);
    prefs.threshold = StoredInt(v);
    config->Read(PrefKeys::ShowTooltips, &prefs.showTooltips, d.showTooltips);
    config->Read(PrefKeys::CommonXAxis, &prefs.commonXAxis, d.commonXAxis);
    config->Read(PrefKeys::AutoCalibrate, &prefs.autoCalibrate, d.autoCalibrate);
    config->Read(PrefKeys::ReferenceColours, &prefs.referenceColours, d.referenceColours);
    config->Read(PrefKeys::BridgeCrossings, &prefs.bridgeCrossings, d.bridgeCrossings);
    prefs = ClampPreferences(prefs);
}

void curvetapApp::SavePreferences() {
    config->Write(PrefKeys::WhiteBackground, prefs.whiteBackground);
    config->Write(PrefKeys::LogScaleX, prefs.logScaleX);
    config->Write(PrefKeys::LogScaleY, prefs.logScaleY);
    config->Write(PrefKeys::MinPatchSize, long(prefs.minPatchSize));
    config->Write(PrefKeys::LineFiltering, long(prefs.lineFiltering));
    config->Write(PrefKeys::ManualThreshold, prefs.manualThreshold);
    config->Write(PrefKeys::Threshold, long(prefs.threshold));
    config->Write(PrefKeys::ShowTooltips, prefs.showTooltips);
    config->Write(PrefKeys::CommonXAxis, prefs.commonXAxis);
    config->Write(PrefKeys::AutoCalibrate, prefs.autoCalibrate);
    config->Write(PrefKeys::ReferenceColours, prefs.referenceColours);
    config->Write(PrefKeys::BridgeCrossings, prefs.bridgeCrossings);
    config->Flush();
}

// ---------------------------------------------------------------- setters

void curvetapApp::SetThreshold(int value) {
    prefs.threshold = value;
    log << "Threshold: " << value << "\n";
}
void curvetapApp::SetMinPatchSize(int value) {
    prefs.minPatchSize = value;
    log << "Minimum patch size: " << value << "\n";
}
void curvetapApp::SetLineFiltering(int value) {
    prefs.lineFiltering = value;
    log << (value ? "Output data is now line filtered\n" : "Output data will not be filtered\n");
}
void curvetapApp::SetCommonXAxis(bool value) {
    prefs.commonXAxis = value;
    log << (value ? "Output data will now have a common X axis for multiple graphs; spaces are used for missing Y values\n"
                  : "Output data will have a different X axis for each graph\n");
}
void curvetapApp::SetAutoCalibrate(bool value) {
    prefs.autoCalibrate = value;
    log << (value ? "Axes are calibrated from tick labels after processing\n"
                  : "Axes are not calibrated from tick labels after processing\n");
}
void curvetapApp::SetBridgeCrossings(bool value) {
    prefs.bridgeCrossings = value;
    log << (value ? "Curves are bridged where another curve crosses them\n"
                  : "Curves are not bridged where another curve crosses them\n");
}
void curvetapApp::SetReferenceColours(bool value) {
    prefs.referenceColours = value;
    log << (value ? "Colour classes: six reference colours\n" : "Colour classes: from the picture\n");
}
void curvetapApp::SetLogarithmicX(bool value) {
    prefs.logScaleX = value;
    log << (value ? "X scale is logarithmic\n" : "X scale is linear\n");
    if (g_canvas) g_canvas->SetReadout(Readout());
    if (g_mainFrame) g_mainFrame->ShowAxisKinds(prefs.logScaleX, prefs.logScaleY);
}
void curvetapApp::SetLogarithmicY(bool value) {
    prefs.logScaleY = value;
    log << (value ? "Y scale is logarithmic\n" : "Y scale is linear\n");
    if (g_canvas) g_canvas->SetReadout(Readout());
    if (g_mainFrame) g_mainFrame->ShowAxisKinds(prefs.logScaleX, prefs.logScaleY);
}
void curvetapApp::SetManualThreshold(bool value) {
    prefs.manualThreshold = value;
    log << (value ? "Thresholding is now manual\n" : "Thresholding is now automatic\n");
}
void curvetapApp::SetShowTooltips(bool value) {
    prefs.showTooltips = value;
    if (g_canvas) g_canvas->SetReadout(Readout());
}
void curvetapApp::SetWhiteBackground(bool value) {
    prefs.whiteBackground = value;
    if (g_canvas) g_canvas->SetReadout(Readout());
}

// ---------------------------------------------------------------- commands

void curvetapApp::SetXAxis() {
    log << "Setting X axis\n";
    g_canvas->Command([](InteractionController& c) { c.StartAxisCalibration(Axis::X); });
}
void curvetapApp::SetYAxis() {
    log << "Setting Y axis\n";
    g_canvas->Command([](InteractionController& c) { c.StartAxisCalibration(Axis::Y); });
}
void curvetapApp::SetCanvasZoom(double factor) {
    if (g_canvas) g_canvas->SetZoom(factor);
}
void curvetapApp::SetOcrMode(bool on) {
    if (g_mainFrame) g_mainFrame->SetOcrMode(on);
}
bool curvetapApp::IsOcrMode() const { return g_mainFrame && g_mainFrame->IsOcrMode(); }
void curvetapApp::StartTextArea() {
    log << "Performing OCR\n";
    g_canvas->Command([](InteractionController& c) { c.SetTextMode(true); });
}
void curvetapApp::EndTextArea() {
    log << "Performing OCR\n";
    g_canvas->Command([](InteractionController& c) { c.ExitTextMode(); });
}

// ---------------------------------------------------------------- recent files

void curvetapApp::SetupFileHistory() {
    fileHistory = new wxFileHistory(9, wxID_FILE1);
    fileHistory->UseMenu(g_mainFrame->RecentMenu());
    fileHistory->Load(*config);
    fileHistory->AddFilesToMenu();
    g_mainFrame->FileMenu()->Enable(wxID_CLEAR, fileHistory->GetCount() > 0);
}

void curvetapApp::OpenRecentFile(int index) {
    if (index < 0 || size_t(index) >= fileHistory->GetCount()) return;
    OpenAnyFile(fileHistory->GetHistoryFile(index));
}

void curvetapApp::ClearFileHistory() {
    while (fileHistory->GetCount() > 0) fileHistory->RemoveFileFromHistory(0);
    fileHistory->Save(*config);
    // The history's own save leaves stale entries behind; remove them so the next start is empty too.
    for (int i = 1; i <= 9; ++i) config->DeleteEntry(wxString::Format("file%d", i));
    config->Flush();
    g_mainFrame->FileMenu()->Enable(wxID_CLEAR, false);
}

// ---------------------------------------------------------------- tips

void curvetapApp::ShowTipOfTheDay(bool atStartup) {
    const bool showTips = config->HasEntry(kShowTipsKey);
    const bool notFirstRun = config->HasEntry(kNotFirstRunKey);
    bool boxTicked = showTips;
    if (atStartup) {
        if (!notFirstRun) {
            config->Write(kNotFirstRunKey, true);
            boxTicked = true;
        } else if (!showTips) {
            config->Flush();
            return;
        }
    }
    std::srand(unsigned(std::time(nullptr)));
    const size_t first = size_t(std::rand()) % 6;
    // The tips file is looked up in the working directory first, then beside the program's data.
    wxString tipsFile = "plotsnaptips.txt";
    if (!wxFileExists(tipsFile)) {
        const wxString installed = wxStandardPaths::Get().GetDataDir() + "/plotsnaptips.txt";
        const wxString source = wxString(PLOTSNAP_RESOURCE_DIR) + "/plotsnaptips.txt";
        tipsFile = wxFileExists(installed) ? installed : source;
    }
    tipProvider = wxCreateFileTipProvider(tipsFile, first);
    const bool keep = Ui().ShowTip(tipProvider, boxTicked);
    if (keep)
        config->Write(kShowTipsKey, true);
    else
        config->DeleteEntry(kShowTipsKey);
    config->Flush();
}
