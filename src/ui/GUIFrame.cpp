#include "ui/GUIFrame.h"

#include <wx/clipbrd.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <chrono>

#ifdef __WXGTK__
// From GTK itself, which the toolkit already links; declared here to spare the GTK headers.
extern "C" void gtk_toolbar_set_show_arrow(void* toolbar, int showArrow);
extern "C" void* gtk_bin_get_child(void* bin);
extern "C" int gtk_toolbar_get_n_items(void* toolbar);
extern "C" void* gtk_toolbar_get_nth_item(void* toolbar, int n);
extern "C" void gtk_tool_item_set_homogeneous(void* item, int homogeneous);
#endif

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/Dialogs.h"
#include "ui/FlickerFree.h"
#include "ui/Resources.h"
#include "ui/UiSeam.h"
#include "ui/guidance.h"
#include "document/interaction.h"
#include "output/export_name.h"

namespace {
// The user's guide is the README installed with the program, or the source tree's.
wxString GuideFile() {
    for (const wxString& f : {wxStandardPaths::Get().GetDataDir() + "/README.md",
                              wxString(PLOTSNAP_RESOURCE_DIR) + "/../README.md"})
        if (wxFileExists(f)) return wxFileName(f).GetAbsolutePath();
    return wxString();
}

// Dropping an image or project file onto the window opens it exactly as Open does.
class ImageDropTarget : public wxFileDropTarget {
public:
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        if (files.empty()) return false;
        wxGetApp().OpenAnyFile(files[0]);
        return true;
    }
};
}  // namespace

GUIFrame::GUIFrame(wxWindow* parent, wxWindowID id, const wxString& title)
    : wxFrame(parent, id, title) {
    bmpOpen = LoadResourceBitmap("open");
    bmpProcess = LoadResourceBitmap("process");
    bmpCopy = LoadResourceBitmap("copy");
    bmpXAxis = LoadResourceBitmap("xaxis");
    bmpYAxis = LoadResourceBitmap("yaxis");
    bmpAutoAxes = LoadResourceBitmap("autoaxis");
    bmpOcr = LoadResourceBitmap("ocr");
    bmpRevert = LoadResourceBitmap("revert");
    bmpUndo = LoadResourceBitmap("undo");
    bmpRedo = LoadResourceBitmap("redo");
    bmpLine = LoadResourceBitmap("line");

    menuBar = new wxMenuBar();
    fileMenu = new wxMenu();
    fileMenu->Append(wxID_OPEN, "", "");
    fileMenu->Append(ID_OPEN_PROJECT, "Open &Project...\tCtrl+Shift+O", "Open a saved project");
    fileMenu->Append(ID_SAVE_PROJECT, "Sa&ve Project\tCtrl+Shift+S", "Save the picture and all work on it as a project");
    fileMenu->Append(ID_SAVE_PROJECT_AS, "Save Project &As...", "Save the project under a new name");
    fileMenu->Append(ID_EXPORT, "E&xport\tCtrl+S", "Export the graph to file");
    fileMenu->AppendSeparator();
    // Recent files in their own menu, so Quit stays last in File.
    recentMenu = new wxMenu();
    recentMenu->Append(wxID_CLEAR, "Clear history", "");
    recentMenu->Enable(wxID_CLEAR, false);
    fileMenu->AppendSubMenu(recentMenu, "Open &Recent");
    fileMenu->AppendSeparator();
    fileMenu->Append(wxID_EXIT, "", "");
    menuBar->Append(fileMenu, "&File");

    wxMenu* editMenu = new wxMenu();
    editMenu->Append(wxID_UNDO, "", "");
    editMenu->Append(wxID_REDO, "", "");
    editMenu->AppendSeparator();
    editMenu->Append(wxID_COPY, "", "");
    editMenu->Append(wxID_PASTE, "", "");
    deleteItem = editMenu->Append(wxID_DELETE, "", "");
    editMenu->AppendSeparator();
    editMenu->Append(ID_PROCESS, "Proce&ss\tF2", "Process the image (create colorful patches)");
    editMenu->Append(wxID_REVERT, "&Revert\tF9", "Revert to the original image");
    editMenu->Append(ID_X_AXIS, "&X Axis\tX", "Set the X-Axis");
    editMenu->Append(ID_Y_AXIS, "&Y Axis\tY", "Set the Y-Axis");
    editMenu->Append(ID_CALIBRATE_LABELS, "Calibrate from &labels\tA", "Read the tick labels and calibrate both axes");
    removeGridItem = editMenu->AppendCheckItem(ID_REMOVE_GRID, "Remove &Grid", "Remove vertical and horizontal grid lines");
    ocrItem = editMenu->AppendCheckItem(ID_OCR, "&OCR Text Area\tT", "OCR a Text Area; convert image to text");
    editMenu->AppendSeparator();
    editMenu->Append(ID_OPTIONS, "&Options", "Set application options");
    menuBar->Append(editMenu, "&Edit");

    wxMenu* viewMenu = new wxMenu();
    viewMenu->Append(ID_FIT, "&Fit\tCtrl-=", "Resize the window to fit the image");
    menuBar->Append(viewMenu, "&View");

    wxMenu* helpMenu = new wxMenu();
    helpMenu->Append(ID_TIP, "&Tip of the day", "Show tip-of-the-day");
    helpMenu->Append(ID_UPDATE, "&Check for updates", "Check for updates online");
    helpMenu->Append(ID_GUIDE, "&User's Guide", "Open the user's guide installed with the program");
    helpMenu->Append(wxID_ABOUT, "", "");
    menuBar->Append(helpMenu, "&Help");
    SetMenuBar(menuBar);

    wxAcceleratorEntry entries[11];
    entries[0].Set(wxACCEL_CTRL, 'O', wxID_OPEN);
    entries[1].Set(wxACCEL_CTRL, 'S', ID_EXPORT);
    entries[2].Set(wxACCEL_NORMAL, WXK_F2, ID_PROCESS);
    entries[3].Set(wxACCEL_NORMAL, WXK_F9, wxID_REVERT);
    entries[4].Set(wxACCEL_CTRL, 'V', wxID_PASTE);
    entries[5].Set(wxACCEL_NORMAL, WXK_DELETE, wxID_DELETE);
    entries[6].Set(wxACCEL_CTRL, '=', ID_FIT);
    entries[7].Set(wxACCEL_CTRL, 'Q', wxID_EXIT);
    entries[8].Set(wxACCEL_CTRL, 'Z', wxID_UNDO);
    entries[9].Set(wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', wxID_REDO);
    entries[10].Set(wxACCEL_CTRL, 'C', wxID_COPY);
    SetAcceleratorTable(wxAcceleratorTable(11, entries));

    // Readout or guidance, the axis kinds, the version.
    statusBar = CreateStatusBar(3);
    const int widths[3] = {-4, 180, 260};
    statusBar->SetStatusWidths(3, widths);
    SetStatusText("Welcome", 0);
    SetStatusText(kVersionBanner, 2);
    SetIcon(LoadResourceIcon("aaaa"));

    Bind(wxEVT_MENU, &GUIFrame::OnCommand, this);
    Bind(wxEVT_TOOL, &GUIFrame::OnCommand, this);
    Bind(wxEVT_MENU, &GUIFrame::OnRemoveGridMenu, this, ID_REMOVE_GRID);
    Bind(wxEVT_MENU, &GUIFrame::OnOcr, this, ID_OCR);
    Bind(wxEVT_TOOL, &GUIFrame::OnOcr, this, ID_OCR);
    Bind(wxEVT_TOOL, &GUIFrame::OnGraphTool, this, ID_GRAPH_TOOL);
    Bind(wxEVT_MENU, &GUIFrame::OnRecentFile, this, wxID_FILE1, wxID_FILE9);
    Bind(wxEVT_CHECKBOX, &GUIFrame::OnRemoveGridBox, this, ID_REMOVE_GRID_BOX);
    Bind(wxEVT_TEXT, &GUIFrame::OnGridWidth, this, ID_GRID_WIDTH);
    Bind(wxEVT_SPINCTRL, &GUIFrame::OnGridWidth, this, ID_GRID_WIDTH);
    gridWidthTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &GUIFrame::OnGridWidthSettled, this);
    Bind(wxEVT_COMBOBOX, &GUIFrame::OnZoom, this, ID_ZOOM);
    SetDropTarget(new ImageDropTarget());
    // Closing asks first when the document holds unsaved work.
    Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& event) {
        if (event.CanVeto() && !wxGetApp().MayReplaceDocument()) {
            event.Veto();
            return;
        }
        wxGetApp().SaveWindowPlace();
        event.Skip();
    });
}

void GUIFrame::CreateToolbar() {
    toolbar = wxFrame::CreateToolBar(wxTB_FLAT | wxTB_TEXT | wxTB_HORIZONTAL, ID_TOOLBAR);
    toolbar->AddTool(ID_OPEN_TOOL, "Open", bmpOpen, "Open file (Ctrl+O)")->SetLongHelp("Load an image");
    toolbar->AddTool(ID_PROCESS_TOOL, "Process", bmpProcess, "Process (F2)")
        ->SetLongHelp("Process the image (create colorful patches)");
    toolbar->AddTool(wxID_REVERT, "Revert", bmpRevert, "Revert (F9)")->SetLongHelp("Revert to the original image");
    toolbar->AddSeparator();
    removeGridBox = new FlickerFreeCheckbox(toolbar, ID_REMOVE_GRID_BOX, "Remove\nGrid", wxDefaultPosition,
                                            wxDefaultSize, 0, wxDefaultValidator, "checkBox");
    toolbar->AddControl(removeGridBox);
    toolbar->AddSeparator();
    toolbar->AddControl(new FlickerFreeStaticText(toolbar, wxID_ANY, "Grid\nWidth", wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticText"));
    gridWidthCtrl = new FlickerFreeSpinCtrl(toolbar, ID_GRID_WIDTH, "1", wxDefaultPosition, wxSize(45, -1),
                                            wxSP_ARROW_KEYS, 0, 99, 1, "Grid Width");
    toolbar->AddControl(gridWidthCtrl);
    toolbar->AddSeparator();
    toolbar->AddTool(ID_GRAPH_TOOL, "Graph-0", bmpLine);
    // Shown pressed while that axis waits for its reference points.
    toolbar->AddCheckTool(ID_X_AXIS, "X-Axis", bmpXAxis, wxNullBitmap, "Set X-Axis scale (shortcut: X)",
                          "Set the scale for the X-Axis");
    toolbar->AddCheckTool(ID_Y_AXIS, "Y-Axis", bmpYAxis, wxNullBitmap, "Set Y-Axis scale (shortcut: Y)",
                          "Set the scale for the Y-Axis");
    toolbar->AddTool(ID_CALIBRATE_LABELS, "Labels", bmpAutoAxes, "Calibrate from labels (shortcut: A)")
        ->SetLongHelp("Read the tick labels and calibrate both axes");
    toolbar->AddCheckTool(ID_OCR, "OCR", bmpOcr, wxNullBitmap, "OCR Text Area (shortcut: T)",
                          "OCR a Text Area; convert image to text");
    toolbar->AddTool(wxID_COPY, "Copy", bmpCopy, "Copy (Ctrl-C)")->SetLongHelp("Copy selected data points to clipboard");
    toolbar->AddSeparator();
    toolbar->AddControl(new FlickerFreeStaticText(toolbar, wxID_ANY, "Zoom"));
    wxArrayString zooms;
    for (const char* z : kZoomLabels) zooms.Add(z);
    zoomBox = new wxComboBox(toolbar, ID_ZOOM, "1:1", wxDefaultPosition, wxSize(72, -1), zooms, wxCB_READONLY);
    toolbar->AddControl(zoomBox);
    toolbar->AddSeparator();
    toolbar->AddTool(wxID_UNDO, "Undo", bmpUndo, "Undo (Ctrl+Z)")->SetLongHelp("Undo the last operation (or press Ctrl+Z)");
    toolbar->AddTool(wxID_REDO, "Redo", bmpRedo, "Redo (Ctrl+Shift+Z)")
        ->SetLongHelp("Redo the last operation (or press Ctrl+Shift+Z)");
    toolbar->EnableTool(wxID_UNDO, false);
    toolbar->EnableTool(wxID_REDO, false);
    toolbar->Realize();
    // (not fitted: a fitted toolbar would fix the window's minimum width)
#ifdef __WXGTK__
    // Tools that do not fit go into the toolbar's overflow menu, so the window can be
    // narrower than the toolbar (Fit on a small picture).
    void* bar = gtk_bin_get_child(toolbar->GetHandle());
    gtk_toolbar_set_show_arrow(bar, 1);
    // Each tool as wide as its own label, not all as wide as the widest: the toolbar fits a 1280-px screen.
    for (int i = 0, n = gtk_toolbar_get_n_items(bar); i < n; ++i)
        gtk_tool_item_set_homogeneous(gtk_toolbar_get_nth_item(bar, i), 0);
#endif
}

bool GUIFrame::RemoveGridValue() const { return removeGridBox && removeGridBox->GetValue(); }
void GUIFrame::SetRemoveGrid(bool on) {
    if (removeGridBox) removeGridBox->SetValue(on);
    removeGridItem->Check(on);
}
int GUIFrame::GridWidth() const { return gridWidthCtrl ? gridWidthCtrl->GetValue() : 2; }
void GUIFrame::SetGridWidth(int width) {
    if (gridWidthCtrl) gridWidthCtrl->SetValue(width);
}

void GUIFrame::SetOcrMode(bool on) {
    if (toolbar) {
        toolbar->ToggleTool(ID_OCR, on);
        toolbar->Realize();
    }
    ocrItem->Check(on);
}
bool GUIFrame::IsOcrMode() const { return toolbar ? toolbar->GetToolState(ID_OCR) : ocrItem->IsChecked(); }

void GUIFrame::EnableUndoRedo(bool undo, bool enable) {
    const int id = undo ? wxID_UNDO : wxID_REDO;
    menuBar->Enable(id, enable);
    if (toolbar) toolbar->EnableTool(id, enable);
}

void GUIFrame::SetZoomChoice(int index) {
    if (zoomBox && index >= 0 && index < int(kZoomLabels.size())) zoomBox->SetValue(kZoomLabels[index]);
}
wxString GUIFrame::ZoomText() const { return zoomBox ? zoomBox->GetValue() : wxString(); }

void GUIFrame::EnableDeleteItem(bool enable) { deleteItem->Enable(enable); }

void GUIFrame::SetGraphLabel(int n) {
    if (!toolbar) return;
    toolbar->SetToolNormalBitmap(ID_GRAPH_TOOL, bmpLine);
    if (wxToolBarToolBase* tool = toolbar->FindById(ID_GRAPH_TOOL)) tool->SetLabel(wxString::Format("Graph-%u", unsigned(n)));
    toolbar->Realize();
}

bool GUIFrame::Guard() {
    if (wxGetApp().IsImageLoaded()) return true;
    Ui().Message("No image loaded", kAppName, wxOK | wxCENTRE, this);
    return false;
}

void GUIFrame::OnCommand(wxCommandEvent& event) { RunCommand(event.GetId()); }

void GUIFrame::RunCommand(int id) {
    curvetapApp& app = wxGetApp();
    if (id >= ID_GRAPH_FIRST && id < ID_GRAPH_FIRST + graphCount) {
        if (Guard()) app.SetCurrentGraph(id - ID_GRAPH_FIRST);
        return;
    }
    switch (id) {
    case wxID_OPEN:
    case ID_OPEN_TOOL: OpenFile(); break;
    case wxID_CLEAR: app.ClearFileHistory(); break;
    case ID_EXPORT: if (Guard()) ExportToFile(); break;
    case wxID_EXIT: Close(); break;
    case ID_OPEN_PROJECT: app.OpenProjectCommand(); break;
    case ID_SAVE_PROJECT: app.SaveProjectCommand(false); break;
    case ID_SAVE_PROJECT_AS: app.SaveProjectCommand(true); break;
    case wxID_UNDO: app.Undo(); break;
    case wxID_REDO: app.Redo(); break;
    case wxID_COPY: app.ExportData(wxEmptyString, true); break;
    case wxID_PASTE: PasteFromClipboard(); break;
    case wxID_DELETE: app.DeleteSelection(); break;
    case ID_PROCESS:
    case ID_PROCESS_TOOL: if (Guard()) app.ProcessImage(); break;
    case wxID_REVERT:
        if (Guard()) {
            app.RevertImage();
            app.SetProcessed(false);
        }
        break;
    case ID_X_AXIS:
    case ID_Y_AXIS:
        if (Guard()) {
            if (id == ID_X_AXIS) app.SetXAxis();
            else app.SetYAxis();
        } else {
            ShowAxisMode(AxisMode::None, false);  // a check tool would stay pressed
        }
        break;
    case ID_CALIBRATE_LABELS: if (Guard()) app.CalibrateFromLabels(false); break;
    case ID_OPTIONS: RunOptionsCommand(this); break;
    case ID_FIT: if (Guard()) app.FitWindowToImage(); break;
    case ID_NEW_GRAPH:
        if (Guard() && graphCount < kMaxGraphs) {
            ++graphCount;
            app.SetCurrentGraph(graphCount - 1);
        }
        break;
    case ID_TIP: app.ShowTipOfTheDay(false); break;
    case ID_UPDATE: RunUpdateCheck(this); break;
    case ID_GUIDE: {
        const wxString guide = GuideFile();
        if (guide.empty()) Ui().Message("The user's guide (README.md) is not installed", kAppName, wxOK | wxCENTRE, this);
        else wxLaunchDefaultApplication(guide);
        break;
    }
    case wxID_ABOUT: ShowAbout(this, kVersionBanner, false); break;
    default: break;
    }
}

void GUIFrame::OnRecentFile(wxCommandEvent& event) { wxGetApp().OpenRecentFile(event.GetId() - wxID_FILE1); }

void GUIFrame::OnRemoveGridMenu(wxCommandEvent& event) {
    removeGridBox->SetValue(removeGridItem->IsChecked());
    if (wxGetApp().IsImageLoaded()) wxGetApp().ProcessImage();
}

void GUIFrame::OnRemoveGridBox(wxCommandEvent& event) {
    removeGridItem->Check(removeGridBox->GetValue());
    if (wxGetApp().IsImageLoaded()) wxGetApp().ProcessImage();
}

namespace {
long SteadyMs() {
    using namespace std::chrono;
    return long(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

void GUIFrame::OnGridWidth(wxCommandEvent& event) {
    // Typing and the arrows both send a text change; the arrow event alone is not acted on twice.
    if (event.GetEventType() == wxEVT_SPINCTRL) return;
    if (!wxGetApp().IsImageLoaded()) return;
    gridWidthWait.Edit(SteadyMs());
    gridWidthTimer.StartOnce(kGridWidthSettleMs);
}

void GUIFrame::OnGridWidthSettled(wxTimerEvent&) {
    const long now = SteadyMs();
    if (gridWidthWait.Due(now)) {
        if (wxGetApp().IsImageLoaded()) wxGetApp().ProcessImage();
    } else if (const long left = gridWidthWait.Left(now)) {
        gridWidthTimer.StartOnce(int(left));  // a timer that fired early waits out the rest
    }
}

void GUIFrame::OnZoom(wxCommandEvent& event) {
    const wxString text = zoomBox->GetValue();
    if (text.length() < 3) return;
    const double factor = double(int(text[0].GetValue()) - '0') / double(int(text[2].GetValue()) - '0');
    wxGetApp().SetCanvasZoom(factor);
}

void GUIFrame::OnGraphTool(wxCommandEvent& event) {
    if (!Guard()) return;
    wxMenu menu;
    for (int i = 0; i < graphCount; ++i)
        menu.AppendRadioItem(ID_GRAPH_FIRST + i, wxString::Format("Graph-%d", i))
            ->Check(i == wxGetApp().CurrentGraph());
    menu.AppendSeparator();
    menu.Append(ID_NEW_GRAPH, "New graph")->Enable(graphCount < kMaxGraphs);
    PopupMenu(&menu);
}

void GUIFrame::OnOcr(wxCommandEvent& event) {
    // The menu item and the toggle tool both flip the mode; keep them showing the same state.
    const bool on = event.IsChecked();
    if (on && !wxGetApp().IsImageLoaded()) {
        SetOcrMode(false);
        Ui().Message("No image loaded", kAppName, wxOK | wxCENTRE, this);
        return;
    }
    SetOcrMode(on);
    if (on)
        wxGetApp().StartTextArea();
    else
        wxGetApp().EndTextArea();
}

void GUIFrame::OpenFile() {
    wxString wildcard = "Image Files " + wxImage::GetImageExtWildcard() + "|plotsnap projects (*.plotsnap)|*.plotsnap";
    const wxString path = Ui().ChooseFileToOpen(this, "Choose Image", wildcard);
    if (path.empty()) return;
    wxGetApp().OpenAnyFile(path);
}

void GUIFrame::PasteFromClipboard() {
    if (!Ui().OpenClipboard()) {
        Ui().Message("Can't open clipboard.", kAppName, wxOK | wxCENTRE, this);
        return;
    }
    if (!wxTheClipboard->IsSupported(wxDF_BITMAP)) {
        Ui().Message("No bitmap on clipboard", kAppName, wxOK | wxCENTRE, this);
        wxTheClipboard->Close();
        return;
    }
    wxBitmapDataObject data;
    bool ok = false;
    {
        wxLogNull quiet;  // our own message replaces the decoder's
        ok = wxTheClipboard->GetData(data) && data.GetBitmap().IsOk();
    }
    if (!ok) {
        Ui().Message("Can't paste bitmap from the clipboard", kAppName, wxOK | wxCENTRE, this);
        wxTheClipboard->Close();
        return;
    }
    wxGetApp().PasteImage(data.GetBitmap().ConvertToImage());
    wxTheClipboard->Close();
}

void GUIFrame::ExportToFile() {
    if (!wxGetApp().HasSelectedGraphs()) {
        Ui().Message("There are no selected graphs to export", kAppName, wxOK | wxCENTRE, this);
        return;
    }
    const wxString chosen = Ui().ChooseFileToSave(this, "Export graph data to file", "CSV data files (*.csv)|*.csv",
                                                  Wide(DefaultExportName(wxGetApp().PicturePath().utf8_string())));
    if (chosen.empty()) return;
    const wxString path = Wide(WithCsvExtension(chosen.utf8_string()));
    if (!wxGetApp().ExportData(path, false) && wxGetApp().ExportFailedOnFile())
        Ui().Message("Unable to open file for writing", kAppName, wxOK | wxCENTRE, this);
}

void GUIFrame::ShowAxisMode(AxisMode mode, bool textMode) {
    const bool x = mode == AxisMode::XFirst || mode == AxisMode::XSecond;
    const bool y = mode == AxisMode::YFirst || mode == AxisMode::YSecond;
    if (toolbar) {
        toolbar->ToggleTool(ID_X_AXIS, x);
        toolbar->ToggleTool(ID_Y_AXIS, y);
    }
    const Preferences& prefs = wxGetApp().Prefs();
    const std::string text = textMode ? TextModeGuidance()
                                      : ModeGuidance(mode, wxGetApp().Doc().GetCalibration(), prefs.logScaleX,
                                                     prefs.logScaleY);
    if (!text.empty()) SetStatusText(Wide(text), 0);
    // What a finished axis gives and what comes next stays in the log too.
    if (mode == AxisMode::XDone || mode == AxisMode::YDone) wxGetApp().Log() << text << "\n";
}

void GUIFrame::ShowAxisKinds(bool logX, bool logY) { SetStatusText(Wide(AxisKindsText(logX, logY)), 1); }
