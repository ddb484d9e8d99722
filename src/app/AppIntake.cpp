// Taking in a picture: open, paste, revert, fit and the white-background refresh.
#include <wx/log.h>
#include <wx/wfstream.h>

#include <new>

#include "app/CurvetapApp.h"
#include "app/common.h"
#include "app/image_header.h"
#include "canvas/ScrolledImageComponent.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

namespace {
void ShowBox(const wxString& text) { Ui().Message(text, kAppName, wxOK | wxCENTRE, g_mainFrame); }

// Transparent pixels become white so they never read as ink.
void FlattenAlphaOnWhite(wxImage& img) {
    if (!img.HasAlpha()) return;
    unsigned char* rgb = img.GetData();
    const unsigned char* alpha = img.GetAlpha();
    const size_t n = size_t(img.GetWidth()) * img.GetHeight();
    for (size_t i = 0; i < n; ++i) {
        const unsigned a = alpha[i];
        for (int c = 0; c < 3; ++c) rgb[3 * i + c] = (unsigned char)((rgb[3 * i + c] * a + 255 * (255 - a) + 127) / 255);
    }
    img.ClearAlpha();
}
}  // namespace

void curvetapApp::BuildMatrix() {
    const int w = loadedImage.GetWidth(), h = loadedImage.GetHeight();
    if (!loadedImage.IsOk() || w <= 0 || h <= 0) {
        image.release();
        return;
    }
    // Deep copy: the toolkit image may change afterwards.
    image = cv::Mat(h, w, CV_8UC3, loadedImage.GetData()).clone();
}

bool curvetapApp::LoadImageFile(const wxFileName& fileName) {
    const wxString path = fileName.GetFullPath();
    wxImage loaded;
    int count = 0;
    {
        // Our own message replaces the toolkit's error reports for unreadable files.
        wxLogNull quiet;
        if (!wxFileExists(path) || !wxImage::CanRead(path)) {
            ShowBox("Can not read image file");
            return false;
        }
        const auto header = ReadImageHeaderSize(path.ToStdString());
        if (header && !ImageSizeAcceptable(header->width, header->height)) {
            ShowBox(wxString::Format("The picture is too large to open (%lld x %lld pixels; at most %lld megapixels "
                                     "can be opened)",
                                     header->width, header->height, kMaxImagePixels / 1000000));
            return false;
        }
        count = wxImage::GetImageCount(path);
        try {
            if (!loaded.LoadFile(path, wxBITMAP_TYPE_ANY, -1) || !loaded.IsOk()) {
                ShowBox("Can not read image file");
                return false;
            }
        } catch (const std::bad_alloc&) {
            ShowBox("Can not read image file");
            return false;
        }
    }
    if (!ImageSizeAcceptable(loaded.GetWidth(), loaded.GetHeight())) {
        ShowBox(wxString::Format("The picture is too large to open (%d x %d pixels; at most %lld megapixels "
                                 "can be opened)",
                                 loaded.GetWidth(), loaded.GetHeight(), kMaxImagePixels / 1000000));
        return false;
    }
    if (count != 1) log << "Possibly more than one image in this file, processing the default one\n";
    loadedImage = loaded;
    log << "Successfully loaded image " << path.ToStdString(wxConvUTF8) << "\n";
    if (loadedImage.HasMask()) {
        log << "image has a mask; converting mask to white background\n";
        loadedImage.Replace(loadedImage.GetMaskRed(), loadedImage.GetMaskGreen(), loadedImage.GetMaskBlue(), 255,
                            255, 255);
        loadedImage.SetMask(false);
    }
    FlattenAlphaOnWhite(loadedImage);
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
    g_mainFrame->SetClientSize(image.cols, image.rows + 100);
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
    g_mainFrame->SetClientSize(int(loadedImage.GetWidth() * z), int(loadedImage.GetHeight() * z + 100.0));
}
