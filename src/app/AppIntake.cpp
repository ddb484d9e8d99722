// Taking in a picture: open, paste, revert, fit and the white-background refresh.

#include <algorithm>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "app/PictureFile.h"
#include "app/image_header.h"
#include "app/picture_problem.h"
#include "ui/window_layout.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
void ShowBox(const wxString& text) { Ui().Message(text, kAppName, wxOK | wxCENTRE, g_mainFrame); }

// Sizes the main window for a picture of w x h screen pixels with a margin, never narrower
// than the toolbar and never beyond the screen: a window as wide as a 40000-pixel picture
// is refused by the X server, which ends the program.
void SizeWindowForPicture(int w, int h) {
    const wxRect screen = wxGetClientDisplayRect();
    const wxSize decoration = g_mainFrame->GetSize() - g_mainFrame->GetClientSize();
    const int toolbar = g_mainFrame->Toolbar() ? g_mainFrame->Toolbar()->GetBestSize().x : 0;
    const ClientSize s =
        ClientSizeForPicture(w, h, toolbar, 100, screen.width, screen.height, decoration.x, decoration.y);
    g_mainFrame->SetClientSize(s.width, s.height);
}
}  // namespace

bool curvetapApp::LoadImageFile(const wxFileName& fileName) {
    const wxString path = fileName.GetFullPath();
    PictureRead read = ReadPictureFile(path);
    if (read.status != PictureRead::Ok) {
        // Name the file and why, in the box and in the log.
        const std::string message = read.status == PictureRead::Unreadable
                                        ? UnreadablePictureMessage(path.utf8_string(),
                                                                   DiagnoseUnreadablePicture(path.utf8_string()))
                                        : read.message;
        log << message << "\n";
        ShowBox(Wide(message));
        return false;
    }
    if (!MayReplaceDocument()) return false;
    if (read.frameCount != 1) log << "Possibly more than one image in this file, processing the default one\n";
    log << "Successfully loaded image " << path.ToStdString(wxConvUTF8) << "\n";
    if (read.hadMask) log << "image has a mask; converting mask to white background\n";
    InstallPicture(read.image);
    picturePath = path;
    pictureTitle = wxString(kAppName) + " - " + fileName.GetFullName();
    g_mainFrame->SetTitle(pictureTitle);
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
    picturePath.clear();
    pictureTitle = wxString(kAppName) + " - (pasted from clipboard)";
    g_mainFrame->SetTitle(pictureTitle);
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
    SizeWindowForPicture(doc.Width(), doc.Height());
    if (maximised) g_mainFrame->Maximize(true);
    g_mainFrame->SetZoomChoice(3);
    g_mainFrame->EnableDeleteItem(false);
    // The last picture's values do not belong to this one.
    g_mainFrame->SetStatusText(wxString(), 0);
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
    SizeWindowForPicture(int(doc.Width() * z), int(doc.Height() * z));
}
