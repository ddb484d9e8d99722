// Real input for GUI tests: the X server receives the events, so they reach the
// canvas exactly as a user's would.
#include <wx/uiaction.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

namespace {
wxUIActionSimulator& Sim() {
    static wxUIActionSimulator sim;
    return sim;
}
wxPoint Screen(int x, int y) { return g_canvas->ClientToScreen(g_canvas->ImageToWindow({x, y})); }
}  // namespace

namespace real {
void MoveToScreen(int sx, int sy) {
    Sim().MouseMove(sx, sy);
    Pump(30);
}
void Move(int x, int y) { MoveToScreen(Screen(x, y).x, Screen(x, y).y); }
void Press(int x, int y) {
    Move(x, y);
    Sim().MouseDown();
    Pump(40);
}
void Release(int x, int y) {
    Move(x, y);
    Sim().MouseUp();
    Pump(40);
}
void Click(int x, int y, bool shift) {
    if (shift) Sim().KeyDown(WXK_SHIFT);
    Press(x, y);
    Sim().MouseUp();
    if (shift) Sim().KeyUp(WXK_SHIFT);
    Pump(40);
}
void Key(int keycode, int modifiers) {
    Sim().Char(keycode, modifiers);
    Pump(40);
}
}  // namespace real

bool LoadPicture(const std::string& path) {
    Seam().Reset();
    const bool ok = wxGetApp().LoadImageFile(wxFileName(wxString::FromUTF8(path.c_str())));
    // Let the X server apply the new window size before anything clicks on it.
    Pump(100);
    return ok;
}

void ProcessNow() {
    g_mainFrame->RunCommand(ID_PROCESS);
    Pump(30);
}
