// Taking in a picture: open, paste, revert, fit and the white-background refresh.

#include <algorithm>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "app/PictureFile.h"
#include "app/image_header.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
void ShowBox(const wxString& text) { Ui().Message(text, kAppName, wxOK | wxCENTRE, g_mainFrame); }

// Sizes the main window's client area, never beyond the screen: a window as wide as a
// 40000-pixel picture is refused by the X server, which ends the program.
void SetClientSizeWithinScreen(int w, int h) {
    const wxRect screen = wxGetClientDisplayRect();
    const wxSize decoration = g_mainFrame->GetSize() - g_mainFrame->GetClientSize();
    g_mainFrame->SetClientSize(std::min(w, std::max(200, screen.width - decoration.x)),
                               std::min(h, std::max(200, screen.height - decoration.y)));
}
}  // namespace

bool curvetapApp::LoadImageFile(const wxFileName& fileName) {
    const wxString path = fileName.GetFullPath();
    PictureRead read = ReadPictureFile(path);
    if (read.status != PictureRead::Ok) {
        ShowBox(Wide(read.message));
        return false;
    }
    if (!MayReplaceDocument()) return false;
    if (read.frameCount != 1) log << "Possibly more than one image in this file, processing the default one\n";
    log << "Successfully loaded image " << path.ToStdString(wxConvUTF8) << "\n";
    if (read.hadMask) log << "image has a mask; converting mask to white background\n";
    InstallPicture(read.image);
    g_mainFrame->SetTitle(wxString(kAppName) + " - " + fileName.GetFullName());
    fileHistory->AddFileToHistory(path);
    fileHistory->Save(*config);
    g_mainFrame->FileMenu()->Enable(wxID_CLEAR, true);
    config->Flush();
    InstallNewImage();
    return true;
}

void curvetapApp::PasteImage(const wxImage& pasted) {
    if (!pasted.IsOk() || !ImageSizeAcceptable(pasted.GetWidth(), pasted.GetHeight())) {
        // The open picture stays; an oversized bitmap would exhaust memory in the copies below.
        ShowBox(pasted.IsOk() ? Wide(TooLargeMessage(pasted.GetWidth(), pasted.GetHeight()))
                              : wxString("Can't paste bitmap from the clipboard"));
        return;
    }
    if (!MayReplaceDocument()) return;
    log << "Successfully pasted an image from clipboard\n";
    wxImage flat = pasted.Copy();
    FlattenAlphaOnWhite(flat);
    InstallPicture(flat);
    g_mainFrame->SetTitle(wxString(kAppName) + " - (pasted from clipboard)");
    InstallNewImage();
}

void curvetapApp::InstallPicture(const wxImage& image) {
    // The document works on the decoded bytes themselves: the picture is held once.
    pictureBytes = image;
    const bool ok = pictureBytes.IsOk() && pictureBytes.GetWidth() > 0 && pictureBytes.GetHeight() > 0;
    doc.SetPicture(ok ? cv::Mat(pictureBytes.GetHeight(), pictureBytes.GetWidth(), CV_8UC3, pictureBytes.GetData())
                      : cv::Mat());
}

void curvetapApp::InstallNewImage() {
    if (!doc.HasPicture()) {
        ShowBox("Image is empty");
        return;
    }
    const bool maximised = g_mainFrame->IsMaximized();
    if (maximised) g_mainFrame->Maximize(false);
    SetClientSizeWithinScreen(doc.Width(), doc.Height() + 100);
    if (maximised) g_mainFrame->Maximize(true);
    g_mainFrame->SetZoomChoice(3);
    g_mainFrame->EnableDeleteItem(false);
    g_canvas->ResetView();
    g_mainFrame->SetGraphCount(1);
    g_mainFrame->SetGraphLabel(0);
    graphShown = 0;
    // The canvas takes the keys (X, Y, T...) at once; otherwise the toolbar's number field has them.
    g_canvas->SetFocus();
}

void curvetapApp::RevertImage() {
    if (!doc.HasPicture()) return;
    log << "Reverting\n";
    doc.Revert();
    g_canvas->ResetModes();
    g_mainFrame->SetGraphCount(1);
    g_mainFrame->SetGraphLabel(0);
    graphShown = 0;
}

void curvetapApp::ApplyWhiteBackground() {
    if (!doc.HasPicture()) return;
    log << "Setting white background\n";
    g_canvas->Refresh();
}

void curvetapApp::FitWindowToImage() {
    if (!doc.HasPicture()) return;
    const double z = g_canvas->GetZoom();
    SetClientSizeWithinScreen(int(doc.Width() * z), int(doc.Height() * z + 100.0));
}
