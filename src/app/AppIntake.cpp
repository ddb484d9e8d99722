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

void curvetapApp::BuildMatrix() { image = MatrixFromImage(loadedImage); }

bool curvetapApp::LoadImageFile(const wxFileName& fileName) {
    const wxString path = fileName.GetFullPath();
    PictureRead read = ReadPictureFile(path);
    if (read.status != PictureRead::Ok) {
        ShowBox(Wide(read.message));
        return false;
    }
    if (read.frameCount != 1) log << "Possibly more than one image in this file, processing the default one\n";
    loadedImage = read.image;
    log << "Successfully loaded image " << path.ToStdString(wxConvUTF8) << "\n";
    if (read.hadMask) log << "image has a mask; converting mask to white background\n";
    BuildMatrix();
    if (g_mainFrame) g_mainFrame->SetTitle(wxString(kAppName) + " - " + fileName.GetFullName());
    fileHistory->AddFileToHistory(path);
    fileHistory->Save(*config);
    if (g_mainFrame) g_mainFrame->FileMenu()->Enable(wxID_CLEAR, true);
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
    if (&pasted != &loadedImage) loadedImage = pasted;
    log << "Successfully pasted an image from clipboard\n";
    FlattenAlphaOnWhite(loadedImage);
    BuildMatrix();
    if (g_mainFrame) g_mainFrame->SetTitle(wxString(kAppName) + " - (pasted from clipboard)");
    InstallNewImage();
}

void curvetapApp::InstallNewImage() {
    plotArea = PlotArea();
    patches.clear();
    if (image.empty()) {
        ShowBox("Image is empty");
        return;
    }
    if (!g_mainFrame) {
        ShowBox("Image frame is null");
        return;
    }
    const bool maximised = g_mainFrame->IsMaximized();
    if (maximised) g_mainFrame->Maximize(false);
    SetClientSizeWithinScreen(image.cols, image.rows + 100);
    if (maximised) g_mainFrame->Maximize(true);
    g_mainFrame->SetZoomChoice(3);
    g_mainFrame->EnableDeleteItem(false);
    g_canvas->LoadImage(loadedImage);
    g_canvas->SetDisplayImage(image);
    g_canvas->SetGridSettings(g_mainFrame->RemoveGridValue(), g_mainFrame->GridWidth());
    g_canvas->SetPlotRect(kNoRect);
    g_canvas->ClearHistory();
    g_canvas->RequestFullRedraw();
    currentGraph = 0;
    g_mainFrame->SetGraphCount(1);
    g_mainFrame->SetGraphLabel(0);
    g_canvas->SelectGraph(0);
    processed = false;
    channelThresholds.clear();
    textLabels.clear();
    // The canvas takes the keys (X, Y, T...) at once; otherwise the toolbar's number field has them.
    g_canvas->SetFocus();
}

void curvetapApp::RevertImage() {
    if (image.empty()) return;
    log << "Reverting\n";
    currentGraph = 0;
    plotArea = PlotArea();
    g_canvas->ResetState();
    g_canvas->SetDisplayImage(image);
    patches.clear();
    g_canvas->InstallResults(patches, -1, -1, -1, -1, g_mainFrame->RemoveGridValue(), g_mainFrame->GridWidth());
    g_canvas->SelectGraph(currentGraph);
    g_canvas->RequestFullRedraw();
    g_canvas->ExitTextMode();
    g_mainFrame->SetOcrMode(false);
    textLabels.clear();
    g_canvas->SetTextLabels(textLabels);
    g_mainFrame->SetGraphCount(1);
    g_mainFrame->SetGraphLabel(0);
}

void curvetapApp::ApplyWhiteBackground() {
    if (image.empty()) return;
    log << "Setting white background\n";
    g_canvas->SetDisplayImage(image);
    g_canvas->RequestFullRedraw();
}

void curvetapApp::FitWindowToImage() {
    if (image.empty() || !g_mainFrame) return;
    const double z = g_canvas->GetZoom();
    SetClientSizeWithinScreen(int(loadedImage.GetWidth() * z), int(loadedImage.GetHeight() * z + 100.0));
}
