// Processing and export entry points of the document.
#include <wx/clipbrd.h>
#include <wx/utils.h>

#include <opencv2/imgproc.hpp>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "detect/process.h"
#include "output/csv_writer.h"
#include "output/file_writer.h"
#include "output/series.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
// Export's questions go through the dialog seam.
class SeamQuestions : public ExportQuestions {
public:
    bool AskYesNo(const std::string& message) override {
        return Ui().Message(Wide(message), kExportCaption, wxYES_NO | wxCENTRE, g_mainFrame) == wxYES;
    }
    void ShowError(const std::string& message, const std::string& caption) override {
        Ui().Message(Wide(message), Wide(caption), wxOK | wxCENTRE, g_mainFrame);
    }
};
}  // namespace

void curvetapApp::ProcessImage() {
    wxBusyCursor busy;
    if (image.empty() || image.total() == 0) return;
    g_canvas->FinishPlotRectDrag();
    const IRect user = g_canvas->GetPlotRect();
    ProcessSettings settings;
    settings.manualThreshold = prefs.manualThreshold;
    settings.threshold = prefs.threshold;
    settings.minPatchSize = unsigned(prefs.minPatchSize);
    settings.removeGrid = g_mainFrame && g_mainFrame->RemoveGridValue();
    settings.gridWidth = g_mainFrame ? g_mainFrame->GridWidth() : 2;
    const auto ask = [] {
        return Ui().Message("Processing seems to be taking longer than usual. Abort?", "Stop Operation?",
                            wxYES_NO | wxCENTRE, nullptr) == wxYES;
    };
    settings.keepBinary = prefs.whiteBackground;
    ProcessResult result;
    try {
        result = RunProcessing(image, settings, {user.left, user.top, user.right, user.bottom}, log, ask);
    } catch (const cv::Exception& e) {
        log << "Processing failed: " << e.what() << "\n";
        return;
    }
    if (!result.ran) return;
    channelThresholds.insert(channelThresholds.end(), result.channelThresholds.begin(), result.channelThresholds.end());
    plotArea = result.plotArea;
    if (result.inkFound) patches = std::move(result.patches);
    const cv::Mat& binary = result.binary;
    if (prefs.whiteBackground && !binary.empty()) {
        cv::Mat shown;
        cv::cvtColor(binary, shown, cv::COLOR_GRAY2RGB);
        g_canvas->SetProcessedImage(shown);
    }
    processed = true;
    if (!g_mainFrame) {
        log << "load_new_image error\n";
        return;
    }
    g_canvas->InstallResults(patches, plotArea.left, plotArea.top, plotArea.right, plotArea.bottom,
                             g_mainFrame->RemoveGridValue(), g_mainFrame->GridWidth());
    g_canvas->SetFocus();
    log << "Processing complete!\n";
    if (prefs.autoCalibrate && NoAxisCalibrated()) CalibrateFromLabels(true);
}

bool curvetapApp::HasSelectedGraphs() {
    std::vector<PatchList> graphs;
    g_canvas->GetSelectedGraphs(graphs);
    for (const PatchList& g : graphs)
        if (!g.empty()) return true;
    return false;
}

bool curvetapApp::ExportData(const wxString& path, bool toClipboard) {
    exportFailedOnFile = false;
    std::vector<PatchList> graphs;
    g_canvas->GetSelectedGraphs(graphs);
    Calibration cal;
    g_canvas->GetAxisCalibration(cal.xValue1, cal.xPixel1, cal.xValue2, cal.xPixel2, cal.yValue1, cal.yPixel1,
                                 cal.yValue2, cal.yPixel2);
    ExportSettings settings;
    settings.logX = prefs.logScaleX;
    settings.logY = prefs.logScaleY;
    settings.thin = prefs.lineFiltering != 0;
    settings.commonX = prefs.commonXAxis;
    settings.imageHeight = image.rows;
    settings.imageWidth = image.cols;
    settings.picture = image;
    SeamQuestions questions;
    bool repaint = false;
    const auto table = PrepareExport(graphs, cal, settings, questions, &repaint);
    if (!table) {
        if (repaint) g_canvas->Refresh();
        return false;
    }
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    const std::string text = BuildCsvText(*table, labels);
    if (!toClipboard) {
        std::string error;
        if (!WriteTextFileAtomically(path.utf8_string(), text, &error)) {
            Ui().Message("Error opening file for writing data", kAppName, wxOK | wxCENTRE, g_mainFrame);
            g_canvas->Refresh();
            exportFailedOnFile = true;
            return false;
        }
        const wxString message = "Data saved to file " + path + " successfully";
        Ui().Message(message, kAppName, wxOK | wxCENTRE, g_mainFrame);
        log << message.utf8_string() << "\n";
        g_canvas->Refresh();
        return true;
    }
    if (!Ui().OpenClipboard()) {
        log << "Error opening the clipboard for writing data\n";
        g_canvas->Refresh();
        return false;
    }
    wxTheClipboard->Clear();
    wxTheClipboard->SetData(new wxTextDataObject(Wide(text)));
    wxTheClipboard->Flush();  // keep the text available after the program ends
    wxTheClipboard->Close();
    Ui().Message("Data copied to clipboard successfully", kAppName, wxOK | wxCENTRE, g_mainFrame);
    log << "Data copied to clipboard successfully\n";
    g_canvas->Refresh();
    return true;
}

