// Starts the real application once under the X server, then runs every GUI test.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/CurvetapApp.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

wxIMPLEMENT_APP_NO_MAIN(curvetapApp);

namespace {
ScriptedSeam g_seam;
StartupSnapshot g_startup;
std::string g_root;
}  // namespace

ScriptedSeam& Seam() { return g_seam; }
const StartupSnapshot& Startup() { return g_startup; }

void ScriptedSeam::Reset() {
    const int tips = tipsShown;  // counted since start-up
    *this = ScriptedSeam();
    tipsShown = tips;
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        wxTheApp->ProcessPendingEvents();
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        while (loop && loop->Pending()) loop->Dispatch();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return cond();
        Pump(5);
    }
    return true;
}

std::string LogText() { return wxGetApp().LogPane()->GetValue().ToStdString(wxConvUTF8); }

std::string TempDir(const std::string& name) {
    const std::string dir = g_root + "/" + name;
    wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    wxFileName::Mkdir(dir, 0755, wxPATH_MKDIR_FULL);
    return dir;
}

wxImage GrabClient(wxWindow* window) {
    window->Refresh();
    window->Update();
    Pump(30);
    const wxSize size = window->GetClientSize();
    const wxPoint origin = window->ClientToScreen(wxPoint(0, 0));
    // Read straight from the X server, which holds what is really on the screen.
    Display* display = XOpenDisplay(nullptr);
    wxImage out(size.x, size.y);
    if (!display) return out;
    // Only the part on the screen can be read (a window may reach past its edge).
    const int w = std::min(size.x, DisplayWidth(display, DefaultScreen(display)) - origin.x);
    const int h = std::min(size.y, DisplayHeight(display, DefaultScreen(display)) - origin.y);
    XImage* shot = w > 0 && h > 0 ? XGetImage(display, DefaultRootWindow(display), origin.x, origin.y, w, h,
                                              AllPlanes, ZPixmap)
                                  : nullptr;
    if (shot) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned long p = XGetPixel(shot, x, y);
                out.SetRGB(x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return out;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Configuration isolation: the program's store lands in a throw-away home.
    char tmpl[] = "/tmp/plotsnap-gui-XXXXXX";
    g_root = mkdtemp(tmpl);
    const std::string home = g_root + "/home";
    wxFileName::Mkdir(home, 0755, wxPATH_MKDIR_FULL);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    // Reading tick labels after every Process would slow all tests; its own test turns it on.
    std::ofstream(home + "/.plotsnap") << "[Preferences]\nCalibrate from tick labels=0\n";
    wxDisableAsserts();
    SetUiSeam(&g_seam);
    wxApp::SetInstance(new curvetapApp());
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr());
    // An active event loop, so pumping really dispatches the X server's events.
    wxEventLoop loop;
    wxEventLoopBase::SetActive(&loop);
    if (!wxTheApp->CallOnInit()) return 3;
    Pump(200);

    GUIFrame* frame = g_mainFrame;
    g_startup.log = LogText();
    g_startup.graphLabel = frame->Toolbar()->FindById(ID_GRAPH_TOOL)->GetLabel().ToStdString();
    g_startup.removeGrid = frame->RemoveGridValue();
    g_startup.gridWidth = frame->GridWidth();
    g_startup.zoom = frame->ZoomText().ToStdString();
    wxMenuBar* menu = frame->GetMenuBar();
    g_startup.historyCommands = menu->IsEnabled(wxID_UNDO) || menu->IsEnabled(wxID_REDO) ||
                                frame->Toolbar()->GetToolEnabled(wxID_UNDO) || frame->Toolbar()->GetToolEnabled(wxID_REDO) ||
                                menu->IsEnabled(wxID_DELETE) || menu->IsEnabled(wxID_CLEAR);
    g_startup.tipsShown = g_seam.tipsShown;

    const int result = RUN_ALL_TESTS();
    if (g_mainFrame) g_mainFrame->Destroy();
    Pump(50);
    wxTheApp->OnExit();
    wxEntryCleanup();
    wxFileName::Rmdir(g_root, wxPATH_RMDIR_RECURSIVE);
    return result;
}
