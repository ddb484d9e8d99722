// Project files in the window: Save Project, Open Project, and the question put
// before a changed document is replaced or closed.
#include <wx/filename.h>

#include <cstdio>
#include <fstream>

#include "app/CurvetapApp.h"
#include "app/input_rules.h"
#include "document/project_document.h"
#include "document/project_file.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
const char* const kProjectWildcard = "plotsnap projects (*.plotsnap)|*.plotsnap|All files (*)|*";

bool IsProjectFile(const wxString& path) {
    if (path.Lower().EndsWith(kProjectExtension)) return true;
    // A project renamed to another extension still starts as JSON; no picture format does.
    std::ifstream in(path.utf8_string(), std::ios::binary);
    char c = 0;
    while (in.get(c) && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
    }
    return in && c == '{';
}
}  // namespace

ProcessSettings curvetapApp::CurrentProcessSettings() const {
    return ProcessSettingsFor(prefs, g_mainFrame && g_mainFrame->RemoveGridValue(),
                              g_mainFrame ? g_mainFrame->GridWidth() : 2);
}

void curvetapApp::SetupProjects() {
    unsaved.Watch(doc);
    doc.Observe([this](unsigned) { ShowProjectTitle(); });
}

void curvetapApp::ShowProjectTitle() {
    if (!g_mainFrame) return;
    wxString title = Wide(WindowTitle(unsaved.ProjectPath(), unsaved.Changed()));
    if (title.empty()) title = pictureTitle;  // no project yet: the picture's name stays
    if (g_mainFrame->GetTitle() != title) g_mainFrame->SetTitle(title);
}

void curvetapApp::OpenAnyFile(const wxString& path) {
    if (IsProjectFile(path)) OpenProject(path);
    else LoadImageFile(wxFileName(path));
}

bool curvetapApp::MayReplaceDocument() {
    if (!doc.HasPicture() || !unsaved.Changed()) return true;
    const std::string& path = unsaved.ProjectPath();
    const wxString text = path.empty() ? wxString("The chart has changes that are not saved in a project. Save them first?")
                                       : "The changes to " + wxFileName(Wide(path)).GetFullName() +
                                             " are not saved. Save them first?";
    switch (Ui().AskSaveChanges(text, g_mainFrame)) {
        case wxYES: return SaveProjectCommand(false);
        case wxNO: return true;
        default: return false;
    }
}

bool curvetapApp::SaveProjectCommand(bool chooseFile) {
    if (!doc.HasPicture()) {
        ShowInfo("No image loaded");
        return false;
    }
    wxString path = Wide(unsaved.ProjectPath());
    if (chooseFile || path.empty()) {
        path = Ui().ChooseFileToSave(g_mainFrame, "Save project", kProjectWildcard);
        if (path.empty()) return false;
        if (wxFileName(path).GetExt().empty()) path += kProjectExtension;
    }
    return SaveProject(path);
}

bool curvetapApp::SaveProject(const wxString& path) {
    ProcessSettings settings = doc.Settings();
    if (!doc.Processed()) settings = CurrentProcessSettings();
    Project p = ProjectFromDocument(doc, PickColours(doc), prefs.logScaleX, prefs.logScaleY,
                                    {prefs.lineFiltering != 0, prefs.commonXAxis, prefs.bridgeCrossings});
    p.process = settings;
    std::string error;
    if (!WriteProjectFile(path.utf8_string(), p, &error)) {
        Ui().Message("Error saving the project " + path + ": " + Wide(error), kAppName, wxOK | wxCENTRE, g_mainFrame);
        return false;
    }
    unsaved.Saved(path.utf8_string());
    fileHistory->AddFileToHistory(path);
    fileHistory->Save(*config);
    log << "Project saved to file " << path.utf8_string() << "\n";
    ShowProjectTitle();
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
    Project p = *read.project;
    // The window's settings follow the project, so its export is the saved one.
    SetLogarithmicX(p.logX);
    SetLogarithmicY(p.logY);
    SetLineFiltering(p.output.lineFiltering ? 1 : 0);
    SetCommonXAxis(p.output.commonXAxis);
    SetBridgeCrossings(p.output.bridge);
    SetManualThreshold(p.process.manualThreshold);
    SetThreshold(p.process.threshold);
    SetMinPatchSize(int(p.process.minPatchSize));
    const bool reference = p.process.colourClassing == ColourClassing::ReferenceColours;
    if (reference != prefs.referenceColours) SetReferenceColours(reference);
    if (g_mainFrame) {
        g_mainFrame->SetRemoveGrid(p.process.removeGrid);
        g_mainFrame->SetGridWidth(p.process.gridWidth);
    }
    p.process.keepBinary = prefs.whiteBackground;
    try {
        OpenProjectInDocument(doc, p, log, {});
    } catch (const cv::Exception& e) {
        log << "Processing failed: " << e.what() << "\n";
        return false;
    }
    unsaved.Saved(path.utf8_string());
    picturePath = path;
    fileHistory->AddFileToHistory(path);
    fileHistory->Save(*config);
    log << "Successfully opened project " << path.utf8_string() << "\n";
    ShowProjectTitle();
    return true;
}
