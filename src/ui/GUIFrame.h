#pragma once
// The main window: menus, accelerators, toolbar with the grid and zoom
// controls, status bar. It holds no document state; commands go to the app.
#include <wx/wx.h>
#include <wx/combobox.h>
#include <wx/timer.h>

#include "ui/settle_wait.h"

enum class AxisMode;  // document/interaction.h (kept out: the X11 headers some callers include define None)

class FlickerFreeCheckbox;
class FlickerFreeSpinCtrl;

// How long the grid width must stay unchanged before it is applied.
constexpr int kGridWidthSettleMs = 400;

enum CommandId {
    ID_TOOLBAR = 500,
    ID_OPEN_TOOL = 501,
    ID_GRID_WIDTH = 502,
    ID_REMOVE_GRID_BOX = 503,
    ID_PROCESS_TOOL = 504,
    ID_ZOOM = 505,
    ID_X_AXIS = 506,
    ID_Y_AXIS = 507,
    ID_OCR = 508,
    ID_OPTIONS = 509,
    ID_REMOVE_GRID = 510,
    ID_TIP = 511,
    ID_UPDATE = 512,
    ID_GUIDE = 513,
    ID_WEB_PAGE = 514,
    ID_EXPORT = 515,
    ID_FIT = 516,
    ID_PROCESS = 517,
    ID_GRAPH_TOOL = 518,
    ID_GRAPH_FIRST = 519,
};
// Upper bound on graph slots, so graph choice identifiers never reach the standard ones.
constexpr int kMaxGraphs = 200;
// "New graph" in the graph tool's menu.
constexpr int ID_NEW_GRAPH = ID_GRAPH_FIRST + kMaxGraphs;
// Project files.
constexpr int ID_OPEN_PROJECT = ID_NEW_GRAPH + 1;
constexpr int ID_SAVE_PROJECT = ID_NEW_GRAPH + 2;
constexpr int ID_SAVE_PROJECT_AS = ID_NEW_GRAPH + 3;
// "Calibrate from labels": both axes from the picture's tick labels.
constexpr int ID_CALIBRATE_LABELS = ID_NEW_GRAPH + 4;

class GUIFrame : public wxFrame {
public:
    GUIFrame(wxWindow* parent, wxWindowID id, const wxString& title);

    // Fills the toolbar; called by start-up after the frame exists.
    void CreateToolbar();

    bool RemoveGridValue() const;
    void SetRemoveGrid(bool on);
    int GridWidth() const;
    void SetGridWidth(int width);
    void SetOcrMode(bool on);
    bool IsOcrMode() const;
    void EnableUndoRedo(bool undo, bool enable);
    void SetZoomChoice(int index);
    wxString ZoomText() const;
    void EnableDeleteItem(bool enable);
    void SetGraphLabel(int n);
    void SetGraphCount(int n) { graphCount = n; }
    int GraphCount() const { return graphCount; }
    wxMenu* FileMenu() const { return fileMenu; }
    // The recent files and "Clear history".
    wxMenu* RecentMenu() const { return recentMenu; }
    // The X and Y tools pressed while their axis waits for points; what to do next
    // in the status bar.
    void ShowAxisMode(AxisMode mode, bool textMode);
    // "X linear, Y logarithmic" in the status bar.
    void ShowAxisKinds(bool logX, bool logY);
    wxToolBar* Toolbar() const { return toolbar; }
    wxComboBox* ZoomBox() const { return zoomBox; }
    FlickerFreeCheckbox* RemoveGridBox() const { return removeGridBox; }
    FlickerFreeSpinCtrl* GridWidthControl() const { return gridWidthCtrl; }

    // The command behind an identifier, as the menus, tools and keys reach it.
    void RunCommand(int id);

private:
    void OnCommand(wxCommandEvent& event);
    void OnRemoveGridMenu(wxCommandEvent& event);
    void OnRemoveGridBox(wxCommandEvent& event);
    void OnGridWidth(wxCommandEvent& event);
    void OnGridWidthSettled(wxTimerEvent& event);
    void OnZoom(wxCommandEvent& event);
    void OnGraphTool(wxCommandEvent& event);
    void OnOcr(wxCommandEvent& event);
    void OnRecentFile(wxCommandEvent& event);
    void OpenFile();
    void PasteFromClipboard();
    void ExportToFile();
    // Shows "No image loaded" and returns false when the document is empty.
    bool Guard();

    int graphCount = 1;
    wxComboBox* zoomBox = nullptr;
    FlickerFreeCheckbox* removeGridBox = nullptr;
    FlickerFreeSpinCtrl* gridWidthCtrl = nullptr;
    wxMenuBar* menuBar = nullptr;
    wxMenuItem* removeGridItem = nullptr;
    wxMenuItem* ocrItem = nullptr;
    wxMenuItem* deleteItem = nullptr;
    wxBitmap bmpOpen, bmpProcess, bmpCopy, bmpXAxis, bmpYAxis, bmpOcr, bmpRevert, bmpUndo, bmpRedo, bmpLine, bmpAutoAxes;
    wxStatusBar* statusBar = nullptr;
    wxToolBar* toolbar = nullptr;
    wxMenu* fileMenu = nullptr;
    wxMenu* recentMenu = nullptr;
    // Typing a width reprocesses once the digits stop coming, not at every keystroke.
    wxTimer gridWidthTimer;
    SettleWait gridWidthWait{kGridWidthSettleMs};
};
