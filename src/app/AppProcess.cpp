// Processing and export entry points of the document.
#include <wx/clipbrd.h>
#include <wx/utils.h>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "detect/binarise.h"
#include "detect/legend.h"
#include "detect/overlap.h"
#include "detect/process.h"
#include "output/csv_writer.h"
#include "output/file_writer.h"
#include "output/series.h"
#include "text/tesseract_engine.h"
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
    if (!doc.HasPicture()) return;
    g_canvas->Command([](InteractionController& c) { c.FinishPlotRectDrag(); });
    const IRect user = doc.PlotRect();
    const ProcessSettings settings = CurrentProcessSettings();
    const auto ask = [] {
        return Ui().Message("Processing seems to be taking longer than usual. Abort?", "Stop Operation?",
                            wxYES_NO | wxCENTRE, nullptr) == wxYES;
    };
    ProcessResult result;
    try {
        result = RunProcessing(doc.Picture(), settings, {user.left, user.top, user.right, user.bottom}, log, ask);
    } catch (const cv::Exception& e) {
        log << "Processing failed: " << e.what() << "\n";
        return;
    }
    if (!result.ran) return;
    doc.InstallResults(std::move(result), settings);
    g_canvas->SetFocus();
    log << "Processing complete!\n";
    // The one-action pick is easy to miss: say it where the eye is after Process.
    if (!doc.Patches().empty())
        g_mainFrame->SetStatusText("Click a patch to pick it; Shift+click picks its whole curve, Shift+right-click "
                                   "removes it",
                                   0);
    if (prefs.autoCalibrate && NoAxisCalibrated()) CalibrateFromLabels(true);
}

bool curvetapApp::ExportData(const wxString& path, bool toClipboard) {
    exportFailedOnFile = false;
    ExportSettings settings;
    settings.logX = prefs.logScaleX;
    settings.logY = prefs.logScaleY;
    settings.thin = prefs.lineFiltering != 0;
    settings.commonX = prefs.commonXAxis;
    settings.bridge = prefs.bridgeCrossings;
    settings.imageHeight = doc.Height();
    settings.imageWidth = doc.Width();
    settings.picture = doc.Picture();
    SeamQuestions questions;
    bool repaint = false;
    // Overlapping thick curves are measured with their covered edges restored.
    std::vector<PatchList> strokes;
    for (const PatchList& g : doc.Graphs()) strokes.push_back(RestoreCoveredEdges(g, doc.Binary()));
    const auto table = PrepareExport(strokes, doc.GetCalibration(), settings, questions, &repaint);
    if (!table) {
        if (repaint) g_canvas->Refresh();
        return false;
    }
    const std::string text = BuildCsvText(*table, doc.Labels(), LegendHeadings(doc.Picture(), doc.Graphs(), doc.ChannelThresholds(), [this] {
        if (!ocrEngine) ocrEngine = TesseractEngine::Create();
        return ocrEngine;
    }, log));
    if (!toClipboard) {
        std::string error;
        if (!WriteTextFileAtomically(path.utf8_string(), text, &error)) {
            log << error << "\n";  // why: a folder, a socket, a full disk, ...
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
