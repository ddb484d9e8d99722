#pragma once
// The application object, which is also the one open document: the picture,
// its matrix, the processing results, the labels and the settings.
#include <wx/wx.h>
#include <wx/filehistory.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/tipdlg.h>

#include <opencv2/core.hpp>
#include <memory>
#include <vector>

#include "base/log_sink.h"
#include "app/preferences.h"
#include "detect/types.h"
#include "text/label.h"

class GUIFrame;
class OcrEngine;
class ScrolledImageComponent;

// Log lines go to the main window's log pane; before it exists they are dropped.
class LogPaneSink : public LogSink {
public:
    void SetPane(wxTextCtrl* pane) { pane_ = pane; }
    void Write(const std::string& text) override;
private:
    wxTextCtrl* pane_ = nullptr;
};

class curvetapApp : public wxApp {
public:
    bool OnInit() override;

    bool IsImageLoaded() const;
    void LoadPreferences();
    void SavePreferences();

    // Recent files.
    void SetupFileHistory();
    void OpenRecentFile(int index);
    void ClearFileHistory();
    wxFileHistory* FileHistory() const { return fileHistory; }

    void ShowTipOfTheDay(bool atStartup);

    // Image intake.
    bool LoadImageFile(const wxFileName& fileName);
    void PasteImage(const wxImage& image);
    void InstallNewImage();
    void RevertImage();
    void ApplyWhiteBackground();
    void FitWindowToImage();

    // Processing and export.
    void ProcessImage();
    bool HasSelectedGraphs();
    bool ExportData(const wxString& path, bool toClipboard);
    // The last failed export could not write its file (rather than being declined or refused).
    bool ExportFailedOnFile() const { return exportFailedOnFile; }

    // Setters that announce the change in the log pane.
    void SetThreshold(int value);
    void SetMinPatchSize(int value);
    void SetLineFiltering(int value);
    void SetCommonXAxis(bool value);
    void SetAutoCalibrate(bool value);
    void SetLogarithmicX(bool value);
    void SetLogarithmicY(bool value);
    void SetManualThreshold(bool value);
    void SetShowTooltips(bool value);
    void SetWhiteBackground(bool value);
    void SetProcessed(bool value) { processed = value; }

    const Preferences& Prefs() const { return prefs; }
    bool IsProcessed() const { return processed; }

    // Forwarding to the canvas and the main window.
    void SetXAxis();
    void SetYAxis();
    // Reads the tick labels and calibrates both axes, as one undo step. The
    // automatic run after processing reports only in the log.
    void CalibrateFromLabels(bool automatic);
    void DeleteSelection();
    void Undo();
    void Redo();
    void EnableUndoRedo(bool undo, bool enable);
    void SetCurrentGraph(int n);
    void ShowGraphNumber(int n);
    int CurrentGraph() const { return currentGraph; }
    void SetCanvasZoom(double factor);
    void SetZoomChoice(int index);
    void EnableDelete(bool enable);
    void EnableLabelCommands(bool enable);
    void SetOcrMode(bool on);
    bool IsOcrMode() const;
    void StartTextArea();
    void EndTextArea();
    void StoreTextLabels(const std::vector<TextLabel>& labels);
    void SetStatusText(const wxString& text, int field = 0);
    void RecogniseArea(int x, int y, int w, int h);
    // Replaces the recognition engine (tests); null makes the next recognition load Tesseract.
    void SetOcrEngine(std::shared_ptr<OcrEngine> engine);

    LogSink& Log() { return log; }
    wxTextCtrl* LogPane() const { return logPane; }
    wxFileConfig* Config() const { return config; }
    const cv::Mat& Image() const { return image; }
    const wxImage& LoadedImage() const { return loadedImage; }
    const PatchList& Patches() const { return patches; }
    const PlotArea& Area() const { return plotArea; }
    const std::vector<double>& ChannelThresholds() const { return channelThresholds; }
    const std::vector<TextLabel>& TextLabels() const { return textLabels; }

private:
    bool NoAxisCalibrated() const;
    // Builds the document matrix from the toolkit image (red, green, blue bytes).
    void BuildMatrix();

    wxImage loadedImage;
    wxTextCtrl* logPane = nullptr;
    wxTipProvider* tipProvider = nullptr;
    wxFileHistory* fileHistory = nullptr;
    Preferences prefs;
    bool processed = false;
    int currentGraph = 0;
    wxFileConfig* config = nullptr;
    std::vector<double> channelThresholds;
    std::vector<TextLabel> textLabels;
    PatchList patches;
    PlotArea plotArea;
    cv::Mat image;
    LogPaneSink log;
    bool exportFailedOnFile = false;
    std::shared_ptr<OcrEngine> ocrEngine;  // created on first use
};

wxDECLARE_APP(curvetapApp);

// The single main window and canvas, set during start-up.
extern GUIFrame* g_mainFrame;
extern ScrolledImageComponent* g_canvas;

// Narrow (8-bit) text from the program's core becomes wide text for the toolkit.
inline wxString Wide(const std::string& s) { return wxString::FromUTF8(s.c_str()); }
