#pragma once
// The application object: start-up, preferences and intake. It owns the one
// open document and the settings; its commands are thin calls on them.
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
#include "document/document.h"
#include "document/readout.h"
#include "ui/UiSeam.h"
#include "document/project_state.h"

class GUIFrame;
struct Project;
class OcrEngine;
class ResultSink;
class ScrolledImageComponent;

// Log lines go to the main window's log pane; before it exists they are dropped.
class LogPaneSink : public LogSink {
public:
    void SetPane(wxTextCtrl* pane) { pane_ = pane; }
    void Write(const std::string& text) override;
private:
    wxTextCtrl* pane_ = nullptr;
};

// The file named on the command line, opened once the window is up, and any others.
void SetStartupFiles(const std::string& open, const std::vector<std::string>& unused);

class curvetapApp : public wxApp {
public:
    ~curvetapApp() override;
    bool OnInit() override;

    bool IsImageLoaded() const { return doc.HasPicture(); }
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
    bool HasSelectedGraphs() const { return doc.HasPicks(); }
    bool ExportData(const wxString& path, bool toClipboard);
    // The last failed export could not write its file (rather than being declined or refused).
    bool ExportFailedOnFile() const { return exportFailedOnFile; }

    // Setters that announce the change in the log pane.
    void SetThreshold(int value);
    void SetMinPatchSize(int value);
    void SetLineFiltering(int value);
    void SetCommonXAxis(bool value);
    void SetAutoCalibrate(bool value);
    void SetBridgeCrossings(bool value);
    void SetReferenceColours(bool value);
    void SetLogarithmicX(bool value);
    void SetLogarithmicY(bool value);
    void SetManualThreshold(bool value);
    void SetShowTooltips(bool value);
    void SetWhiteBackground(bool value);
    void SetProcessed(bool value) { doc.SetProcessed(value); }

    const Preferences& Prefs() const { return prefs; }
    bool IsProcessed() const { return doc.Processed(); }

    // Commands on the document and the canvas.
    void SetXAxis();
    void SetYAxis();
    // Reads the tick labels and calibrates both axes, as one undo step. The
    // automatic run after processing reports only in the log.
    void CalibrateFromLabels(bool automatic);
    void DeleteSelection() { doc.DeleteSelectedLabel(); }
    void Undo() { doc.Undo(); }
    void Redo() { doc.Redo(); }
    void SetCurrentGraph(int n) { doc.SelectGraph(n); }
    int CurrentGraph() const { return doc.CurrentGraph(); }
    void SetCanvasZoom(double factor);
    void SetOcrMode(bool on);
    bool IsOcrMode() const;
    void StartTextArea();
    void EndTextArea();
    void RecogniseArea(const IRect& area);
    // Replaces the recognition engine (tests); null makes the next recognition load Tesseract.
    void SetOcrEngine(std::shared_ptr<OcrEngine> engine);

    Document& Doc() { return doc; }

    // Project files (AppProject.cpp).
    bool SaveProjectCommand(bool chooseFile);
    bool SaveProject(const wxString& path);
    bool OpenProjectCommand();
    bool OpenProject(const wxString& path);
    // A project goes to OpenProject, anything else to LoadImageFile.
    void OpenAnyFile(const wxString& path);
    // True when the document may be replaced or closed: nothing is unsaved, or the
    // user saved it or chose Discard.
    bool MayReplaceDocument();
    bool HasUnsavedWork() const { return doc.HasPicture() && unsaved.Changed(); }
    const std::string& ProjectPath() const { return unsaved.ProjectPath(); }
    // The settings the next processing pass uses: preferences and toolbar.
    ProcessSettings CurrentProcessSettings() const;
    LogSink& Log() { return log; }
    // The picture's file (or the project's), empty for a pasted picture: the export's offered name.
    const wxString& PicturePath() const { return picturePath; }
    // The window's place, kept between runs.
    void RestoreWindowPlace();
    void SaveWindowPlace();
    wxTextCtrl* LogPane() const { return logPane; }
    wxFileConfig* Config() const { return config; }

private:
    // Keeps the window's commands in step with the document.
    void OnDocumentChanged(unsigned changes);
    ReadoutSettings Readout() const;
    // Gives the document a picture made of these bytes (kept in pictureBytes).
    void InstallPicture(const wxImage& image);
    // Project files: follows the document's edits, names the project in the title.
    void SetupProjects();
    void ShowProjectTitle();
    bool NoAxisCalibrated() const;

    wxImage pictureBytes;  // the bytes the document's picture is made of
    wxString picturePath;
    wxString pictureTitle = kAppName;  // the window title while no project is saved
    Document doc;
    wxTextCtrl* logPane = nullptr;
    wxTipProvider* tipProvider = nullptr;
    wxFileHistory* fileHistory = nullptr;
    Preferences prefs;
    wxFileConfig* config = nullptr;
    LogPaneSink log;
    bool exportFailedOnFile = false;
    std::shared_ptr<OcrEngine> ocrEngine;  // created on first use
    std::shared_ptr<ResultSink> workerSink;
    int workersStarted = -1;  // results generation the workers last ran for
    int graphShown = -1;
    UnsavedWork unsaved;  // whether the document changed since it was last saved or opened
};

wxDECLARE_APP(curvetapApp);

// The single main window and canvas, set during start-up.
extern GUIFrame* g_mainFrame;
extern ScrolledImageComponent* g_canvas;

