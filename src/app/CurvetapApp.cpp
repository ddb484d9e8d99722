#include "app/CurvetapApp.h"

#include <wx/stdpaths.h>

#include <ctime>
#include <cstdlib>

#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

GUIFrame* g_mainFrame = nullptr;
ScrolledImageComponent* g_canvas = nullptr;

void LogPaneSink::Write(const std::string& text) {
    if (pane_) pane_->AppendText(Wide(text));
}

bool curvetapApp::OnInit() {
    config = new wxFileConfig(kAppName, kVendorName, wxEmptyString, wxEmptyString,
                              wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE);
    LoadPreferences();
    processed = false;
    plotArea = PlotArea();
    currentGraph = 0;
    logPane = nullptr;
    channelThresholds.clear();
    textLabels.clear();
    wxInitAllImageHandlers();

    g_mainFrame = new GUIFrame(nullptr, wxID_ANY, kAppName);
    const int h0 = g_mainFrame->GetSize().y;
    g_mainFrame->CreateToolbar();
    g_mainFrame->SetRemoveGrid(false);
    g_mainFrame->SetGridWidth(2);
    const int tw = g_mainFrame->Toolbar()->GetBestSize().x;

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    g_canvas = new ScrolledImageComponent(g_mainFrame, wxID_ANY);
    g_canvas->SetGridSettings(g_mainFrame->RemoveGridValue(), g_mainFrame->GridWidth());
    g_canvas->SetLogScaleX(prefs.logScaleX);
    g_canvas->SetLogScaleY(prefs.logScaleY);
    g_canvas->SetShowValueMarkers(prefs.showTooltips);
    sizer->Add(g_canvas, 1, wxEXPAND, 0);

    logPane = new wxTextCtrl(g_mainFrame, wxID_ANY, kVersionBanner, wxDefaultPosition, wxSize(-1, 100),
                             wxTE_MULTILINE | wxTE_READONLY);
    log.SetPane(logPane);
    log << "\n";
    sizer->Add(logPane, 0, wxEXPAND | wxALL, 0);

    const int h1 = g_mainFrame->GetSize().y;
    const int ch = g_mainFrame->GetClientSize().y;
    g_mainFrame->SetClientSize(tw, h0 + 100);
    g_mainFrame->SetSizer(sizer);
    const int w2 = g_mainFrame->GetSize().x;
    // Only the height is bounded: the toolbar shows an overflow arrow when the window is
    // narrower, and Fit must be able to size the window to a small picture.
    (void)w2;
    g_mainFrame->SetMinSize(wxSize(-1, h1 - ch + 100));

    g_mainFrame->EnableUndoRedo(false, false);
    g_mainFrame->EnableUndoRedo(true, false);
    g_mainFrame->EnableDeleteItem(false);
    g_mainFrame->SetGraphLabel(currentGraph);
    SetupFileHistory();
    g_mainFrame->Show();
    g_canvas->SetFocus();
    ShowTipOfTheDay(true);
    return true;
}

bool curvetapApp::IsImageLoaded() const { return image.dims > 0 && !image.empty(); }

// ---------------------------------------------------------------- preferences

void curvetapApp::LoadPreferences() {
    Preferences d;
    long v = 0;
    config->Read(PrefKeys::WhiteBackground, &prefs.whiteBackground, d.whiteBackground);
    config->Read(PrefKeys::LogScaleX, &prefs.logScaleX, d.logScaleX);
    config->Read(PrefKeys::LogScaleY, &prefs.logScaleY, d.logScaleY);
    config->Read(PrefKeys::MinPatchSize, &v, d.minPatchSize);
    prefs.minPatchSize = int(v);
    config->Read(PrefKeys::LineFiltering, &v, d.lineFiltering);
    prefs.lineFiltering = int(v);
    config->Read(PrefKeys::ManualThreshold, &prefs.manualThreshold, d.manualThreshold);
    config->Read(PrefKeys::Threshold, &v, d.threshold);
    prefs.threshold = int(v);
    config->Read(PrefKeys::ShowTooltips, &prefs.showTooltips, d.showTooltips);
    config->Read(PrefKeys::CommonXAxis, &prefs.commonXAxis, d.commonXAxis);
    config->Read(PrefKeys::AutoCalibrate, &prefs.autoCalibrate, d.autoCalibrate);
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
void curvetapApp::SetLogarithmicX(bool value) {
    prefs.logScaleX = value;
    log << (value ? "X scale is logarithmic\n" : "X scale is linear\n");
    if (g_canvas) g_canvas->SetLogScaleX(value);
}
void curvetapApp::SetLogarithmicY(bool value) {
    prefs.logScaleY = value;
    log << (value ? "Y scale is logarithmic\n" : "Y scale is linear\n");
    if (g_canvas) g_canvas->SetLogScaleY(value);
}
void curvetapApp::SetManualThreshold(bool value) {
    prefs.manualThreshold = value;
    log << (value ? "Thresholding is now manual\n" : "Thresholding is now automatic\n");
}
void curvetapApp::SetShowTooltips(bool value) {
    prefs.showTooltips = value;
    if (g_canvas) g_canvas->SetShowValueMarkers(value);
}
void curvetapApp::SetWhiteBackground(bool value) { prefs.whiteBackground = value; }

// ---------------------------------------------------------------- forwarding

void curvetapApp::SetXAxis() {
    log << "Setting X axis\n";
    g_canvas->StartAxisCalibration(true, false);
}
void curvetapApp::SetYAxis() {
    log << "Setting Y axis\n";
    g_canvas->StartAxisCalibration(false, false);
}
void curvetapApp::DeleteSelection() {
    if (g_canvas) g_canvas->DeleteSelectedLabel();
}
void curvetapApp::Undo() {
    if (g_canvas) g_canvas->UndoRedo(true);
}
void curvetapApp::Redo() {
    if (g_canvas) g_canvas->UndoRedo(false);
}
void curvetapApp::EnableUndoRedo(bool undo, bool enable) {
    if (g_mainFrame) g_mainFrame->EnableUndoRedo(undo, enable);
}
void curvetapApp::SetCurrentGraph(int n) {
    currentGraph = n;
    if (!g_canvas) return;
    while (n >= int(g_canvas->GraphSlots().size())) g_canvas->AddGraphSlot();
    g_canvas->SelectGraph(n);
}
void curvetapApp::ShowGraphNumber(int n) {
    currentGraph = n;
    if (g_mainFrame) {
        if (n >= g_mainFrame->GraphCount()) g_mainFrame->SetGraphCount(n + 1);
        g_mainFrame->SetGraphLabel(n);
    }
}
void curvetapApp::SetCanvasZoom(double factor) {
    if (g_canvas) g_canvas->SetZoom(factor);
}
void curvetapApp::SetZoomChoice(int index) {
    if (g_mainFrame) g_mainFrame->SetZoomChoice(index);
}
void curvetapApp::EnableDelete(bool enable) {
    if (g_mainFrame) g_mainFrame->EnableDeleteItem(enable);
}
void curvetapApp::EnableLabelCommands(bool enable) { EnableDelete(enable); }
void curvetapApp::SetOcrMode(bool on) {
    if (g_mainFrame) g_mainFrame->SetOcrMode(on);
}
bool curvetapApp::IsOcrMode() const { return g_mainFrame && g_mainFrame->IsOcrMode(); }
void curvetapApp::StartTextArea() {
    log << "Performing OCR\n";
    g_canvas->SetTextMode(true);
}
void curvetapApp::EndTextArea() {
    log << "Performing OCR\n";
    g_canvas->ExitTextMode();
}
void curvetapApp::StoreTextLabels(const std::vector<TextLabel>& labels) { textLabels = labels; }
void curvetapApp::SetStatusText(const wxString& text, int field) {
    if (g_mainFrame) g_mainFrame->SetStatusText(text, field);
}

// ---------------------------------------------------------------- recent files

void curvetapApp::SetupFileHistory() {
    fileHistory = new wxFileHistory(9, wxID_FILE1);
    fileHistory->UseMenu(g_mainFrame->FileMenu());
    fileHistory->Load(*config);
    fileHistory->AddFilesToMenu();
    g_mainFrame->FileMenu()->Enable(wxID_CLEAR, fileHistory->GetCount() > 0);
}

void curvetapApp::OpenRecentFile(int index) {
    if (index < 0 || size_t(index) >= fileHistory->GetCount()) return;
    LoadImageFile(wxFileName(fileHistory->GetHistoryFile(index)));
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
