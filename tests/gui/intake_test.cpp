// Opening, pasting, recent files, revert, fit, zoom and bad input, driven through
// the real frame and canvas.
#include <gtest/gtest.h>

#include <wx/anidecod.h>
#include <wx/clipbrd.h>
#include <wx/dnd.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/gifdecod.h>
#include <wx/imaggif.h>
#include <wx/wfstream.h>
#include <wx/quantize.h>

#include <cstdint>
#include <fstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

namespace {
void Put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }

// A little-endian, uncompressed RGB TIFF with one page per colour.
void WriteMultiPageTiff(const std::string& path, int w, int h, const std::vector<wxColour>& pages) {
    std::string out = "II*";
    out.push_back('\0');
    Put32(out, 8);
    for (size_t p = 0; p < pages.size(); ++p) {
        const uint32_t ifd = uint32_t(out.size());
        const uint16_t n = 10;
        const uint32_t bpsOffset = ifd + 2 + n * 12 + 4;
        const uint32_t dataOffset = bpsOffset + 6;
        const uint32_t bytes = uint32_t(w * h * 3);
        const uint32_t next = p + 1 < pages.size() ? dataOffset + bytes : 0;
        Put16(out, n);
        auto tag = [&](uint16_t t, uint16_t type, uint32_t count, uint32_t value) {
            Put16(out, t);
            Put16(out, type);
            Put32(out, count);
            if (type == 3 && count == 1) {
                Put16(out, uint16_t(value));
                Put16(out, 0);
            } else {
                Put32(out, value);
            }
        };
        tag(256, 4, 1, w);
        tag(257, 4, 1, h);
        tag(258, 3, 3, bpsOffset);
        tag(259, 3, 1, 1);
        tag(262, 3, 1, 2);
        tag(273, 4, 1, dataOffset);
        tag(277, 3, 1, 3);
        tag(278, 4, 1, h);
        tag(279, 4, 1, bytes);
        tag(284, 3, 1, 1);
        Put32(out, next);
        Put16(out, 8);
        Put16(out, 8);
        Put16(out, 8);
        for (int i = 0; i < w * h; ++i) {
            out.push_back(char(pages[p].Red()));
            out.push_back(char(pages[p].Green()));
            out.push_back(char(pages[p].Blue()));
        }
    }
    std::ofstream(path, std::ios::binary) << out;
}

wxImage Solid(int w, int h, const wxColour& c) {
    wxImage img(w, h);
    img.SetRGB(wxRect(0, 0, w, h), c.Red(), c.Green(), c.Blue());
    return img;
}

std::string Title() { return g_mainFrame->GetTitle().ToStdString(); }

bool Load(const std::string& path) {
    Seam().Reset();
    return wxGetApp().LoadImageFile(wxFileName(wxString::FromUTF8(path.c_str())));
}

// The colour the window shows at an image pixel.
wxColour ScreenPixel(int x, int y) {
    const wxImage shot = GrabClient(g_canvas);
    const wxPoint w = g_canvas->ImageToWindow({x, y});
    return wxColour(shot.GetRed(w.x, w.y), shot.GetGreen(w.x, w.y), shot.GetBlue(w.x, w.y));
}
std::string Rgb(const wxColour& c) { return c.GetAsString(wxC2S_CSS_SYNTAX).ToStdString(); }
}  // namespace

TEST(Intake, OpensEveryCommonFormat) {
    const std::string dir = TempDir("formats");
    for (const char* ext : {"png", "jpg", "bmp", "gif", "tif"}) {
        const std::string path = WriteChartFile(dir + "/chart." + ext, 321, 203, 7);
        ASSERT_TRUE(Load(path)) << ext;
        EXPECT_TRUE(Seam().messages.empty()) << ext;
        EXPECT_EQ(Title(), std::string("plotsnap - chart.") + ext);
        EXPECT_NE(LogText().find("Successfully loaded image " + path + "\n"), std::string::npos) << ext;
        EXPECT_TRUE(wxGetApp().IsImageLoaded());
        EXPECT_EQ(wxGetApp().Image().cols, 321);
        EXPECT_EQ(wxGetApp().Image().rows, 203);
        EXPECT_EQ(wxGetApp().Image().type(), CV_8UC3);
        EXPECT_EQ(g_canvas->ImageWidth(), 321);
        EXPECT_EQ(g_canvas->ImageHeight(), 203);
        EXPECT_EQ(g_mainFrame->ZoomText(), "1:1");
        EXPECT_EQ(g_mainFrame->GetClientSize(), wxSize(321, 303)) << "window sized around the picture";
    }
}

TEST(Intake, TheCanvasShowsTheDocumentPixels) {
    const std::string dir = TempDir("pixels");
    wxImage img = Solid(64, 48, wxColour(250, 250, 250));
    img.SetRGB(wxRect(10, 10, 8, 8), 200, 30, 40);
    img.SaveFile(dir + "/red.png");
    ASSERT_TRUE(Load(dir + "/red.png"));
    const cv::Vec3b doc = wxGetApp().Image().at<cv::Vec3b>(12, 12);
    EXPECT_EQ(doc, cv::Vec3b(200, 30, 40)) << "red, green, blue order";
    EXPECT_EQ(Rgb(ScreenPixel(12, 12)), Rgb(wxColour(200, 30, 40)));
    EXPECT_EQ(Rgb(ScreenPixel(40, 30)), Rgb(wxColour(250, 250, 250)));
    // Zoomed in, each picture pixel is a sharp block; zoomed out, the reduced copy shows.
    g_mainFrame->SetClientSize(400, 400);
    Pump(100);
    for (double zoom : {4.0, 0.5, 2.0}) {
        wxGetApp().SetCanvasZoom(zoom);
        EXPECT_EQ(Rgb(ScreenPixel(14, 14)), Rgb(wxColour(200, 30, 40))) << zoom;
        EXPECT_EQ(Rgb(ScreenPixel(40, 30)), Rgb(wxColour(250, 250, 250))) << zoom;
    }
    wxGetApp().SetCanvasZoom(1);
}

TEST(Intake, MultiFrameFilesLoadTheFirstFrame) {
    const std::string dir = TempDir("frames");
    WriteMultiPageTiff(dir + "/pages.tif", 40, 30, {wxColour(10, 200, 10), wxColour(200, 10, 10)});
    ASSERT_TRUE(Load(dir + "/pages.tif"));
    EXPECT_NE(LogText().find("Possibly more than one image in this file, processing the default one\n"),
              std::string::npos);
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(5, 5), cv::Vec3b(10, 200, 10));

    wxImageArray frames;
    frames.Add(Solid(30, 20, wxColour(0, 0, 255)));
    frames.Add(Solid(30, 20, wxColour(255, 0, 0)));
    {
        wxFileOutputStream out(dir + "/anim.gif");
        wxGIFHandler gif;
        for (size_t i = 0; i < frames.size(); ++i) {
            ASSERT_TRUE(AddExactPalette(frames[i]));
        }
        ASSERT_TRUE(gif.SaveAnimation(frames, &out, false, 100));
    }
    const std::string before = LogText();
    ASSERT_TRUE(Load(dir + "/anim.gif"));
    const std::string added = LogText().substr(before.size());
    EXPECT_EQ(added.rfind("Possibly more than one image in this file, processing the default one\n", 0), 0u) << added;
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(3, 3), cv::Vec3b(0, 0, 255));
}

TEST(Intake, TransparentPixelsBecomeWhite) {
    const std::string dir = TempDir("alpha");
    wxImage img = Solid(40, 30, wxColour(20, 20, 20));
    img.InitAlpha();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x) img.SetAlpha(x, y, 0);
    ASSERT_TRUE(img.SaveFile(dir + "/alpha.png"));
    ASSERT_TRUE(Load(dir + "/alpha.png"));
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(10, 5), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(10, 30), cv::Vec3b(20, 20, 20));
}

TEST(Intake, MaskColourBecomesWhite) {
    const std::string dir = TempDir("mask");
    wxImage img = Solid(40, 30, wxColour(20, 20, 20));
    img.SetRGB(wxRect(0, 0, 20, 30), 1, 2, 3);
    img.SetMaskColour(1, 2, 3);
    ASSERT_TRUE(SaveImage(img, dir + "/masked.gif"));
    ASSERT_TRUE(Load(dir + "/masked.gif"));
    EXPECT_NE(LogText().find("image has a mask; converting mask to white background\n"), std::string::npos);
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(10, 5), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(10, 30), cv::Vec3b(20, 20, 20));
    EXPECT_EQ(Rgb(ScreenPixel(5, 10)), Rgb(wxColour(255, 255, 255)));
}

TEST(Intake, RecentFilesKeepNineNewestFirstWithoutDuplicates) {
    const std::string dir = TempDir("recent");
    wxFileHistory* history = wxGetApp().FileHistory();
    std::vector<std::string> paths;
    for (int i = 0; i < 11; ++i) paths.push_back(WriteChartFile(dir + "/c" + std::to_string(i) + ".png", 50, 40, i));
    for (const auto& p : paths) ASSERT_TRUE(Load(p));
    ASSERT_EQ(history->GetCount(), 9u);
    EXPECT_EQ(history->GetHistoryFile(0).ToStdString(), paths[10]);
    EXPECT_EQ(history->GetHistoryFile(8).ToStdString(), paths[2]);
    ASSERT_TRUE(Load(paths[5]));
    EXPECT_EQ(history->GetCount(), 9u);
    EXPECT_EQ(history->GetHistoryFile(0).ToStdString(), paths[5]);
    int count5 = 0;
    for (size_t i = 0; i < history->GetCount(); ++i) count5 += history->GetHistoryFile(i).ToStdString() == paths[5];
    EXPECT_EQ(count5, 1);
    EXPECT_TRUE(g_mainFrame->GetMenuBar()->IsEnabled(wxID_CLEAR));

    // Opening a recent entry goes through the menu identifiers.
    wxCommandEvent open(wxEVT_MENU, wxID_FILE1 + 1);
    g_mainFrame->GetEventHandler()->ProcessEvent(open);
    EXPECT_EQ(Title(), "plotsnap - c10.png");

    // A recent file that has since been deleted behaves like any unreadable file.
    wxRemoveFile(wxString(paths[9]));
    const wxString titleBefore = g_mainFrame->GetTitle();
    Seam().Reset();
    wxGetApp().OpenRecentFile(2);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Can not read image file");
    EXPECT_EQ(g_mainFrame->GetTitle(), titleBefore);

    g_mainFrame->RunCommand(wxID_CLEAR);
    EXPECT_EQ(history->GetCount(), 0u);
    EXPECT_FALSE(g_mainFrame->GetMenuBar()->IsEnabled(wxID_CLEAR));
    EXPECT_FALSE(wxGetApp().Config()->HasEntry("file1"));
}

TEST(Intake, DroppedFileOpensLikeOpen) {
    const std::string path = WriteChartFile(TempDir("drop") + "/dropped.png", 90, 70, 3);
    auto* target = dynamic_cast<wxFileDropTarget*>(g_mainFrame->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString files;
    files.Add(path);
    Seam().Reset();
    EXPECT_TRUE(target->OnDropFiles(10, 10, files));
    EXPECT_EQ(Title(), "plotsnap - dropped.png");
    EXPECT_EQ(wxGetApp().FileHistory()->GetHistoryFile(0).ToStdString(), path);
}

TEST(Intake, OpenCommandUsesTheFileDialog) {
    const std::string path = WriteChartFile(TempDir("open") + "/picked.bmp", 60, 50, 4);
    Seam().Reset();
    Seam().files.push_back(path);
    g_mainFrame->RunCommand(wxID_OPEN);
    ASSERT_EQ(Seam().fileDialogs.size(), 1u);
    EXPECT_EQ(Seam().fileDialogs[0], "Choose Image");
    EXPECT_EQ(Title(), "plotsnap - picked.bmp");
    // Cancelling changes nothing.
    g_mainFrame->RunCommand(ID_OPEN_TOOL);
    EXPECT_EQ(Title(), "plotsnap - picked.bmp");
}

TEST(Intake, PasteFromTheRealClipboard) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("paste") + "/before.png", 80, 60, 5)));
    const size_t recentBefore = wxGetApp().FileHistory()->GetCount();
    wxImage img = Solid(120, 90, wxColour(240, 240, 240));
    img.SetRGB(wxRect(30, 30, 10, 10), 0, 0, 200);
    {
        wxClipboardLocker lock;
        ASSERT_FALSE(!lock);
        wxTheClipboard->SetData(new wxBitmapDataObject(wxBitmap(img)));
    }
    Pump(100);
    Seam().Reset();
    g_mainFrame->RunCommand(wxID_PASTE);
    EXPECT_TRUE(Seam().messages.empty());
    EXPECT_EQ(Title(), "plotsnap - (pasted from clipboard)");
    EXPECT_NE(LogText().find("Successfully pasted an image from clipboard\n"), std::string::npos);
    EXPECT_EQ(wxGetApp().Image().cols, 120);
    EXPECT_EQ(wxGetApp().Image().at<cv::Vec3b>(35, 35), cv::Vec3b(0, 0, 200));
    EXPECT_EQ(wxGetApp().FileHistory()->GetCount(), recentBefore);
}

TEST(Intake, ClipboardFailuresShowTheirMessages) {
    {
        wxClipboardLocker lock;
        wxTheClipboard->SetData(new wxTextDataObject("just words"));
    }
    Pump(100);
    const std::string title = Title();
    Seam().Reset();
    g_mainFrame->RunCommand(wxID_PASTE);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "No bitmap on clipboard");

    // A clipboard that offers a picture that cannot be decoded.
    {
        wxClipboardLocker lock;
        auto* bad = new wxCustomDataObject(wxDataFormat("image/png"));
        bad->SetData(9, "not a png");
        wxTheClipboard->SetData(bad);
    }
    Pump(100);
    Seam().Reset();
    g_mainFrame->RunCommand(wxID_PASTE);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Can't paste bitmap from the clipboard");

    // The clipboard is busy.
    Seam().Reset();
    Seam().clipboardBusy = true;
    g_mainFrame->RunCommand(wxID_PASTE);
    Seam().clipboardBusy = false;
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Can't open clipboard.");
    EXPECT_EQ(Title(), title);
}

TEST(Intake, RevertKeepsTitleAndDocument) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("revert") + "/rev.png", 100, 80, 6)));
    g_mainFrame->RunCommand(wxID_REVERT);
    EXPECT_NE(LogText().rfind("Reverting\n"), std::string::npos);
    EXPECT_EQ(Title(), "plotsnap - rev.png");
    EXPECT_TRUE(wxGetApp().IsImageLoaded());
    EXPECT_FALSE(wxGetApp().IsProcessed());
    EXPECT_EQ(g_canvas->GraphSlots().size(), 1u);
    EXPECT_EQ(g_canvas->GetPlotRect(), IRect());
}

TEST(Intake, FitSizesTheWindowToTheZoomedPicture) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("fit") + "/fit.png", 301, 201, 8)));
    wxGetApp().SetCanvasZoom(0.5);
    g_mainFrame->RunCommand(ID_FIT);
    EXPECT_EQ(g_mainFrame->GetClientSize(), wxSize(150, 200));
    wxGetApp().SetCanvasZoom(2);
    g_mainFrame->RunCommand(ID_FIT);
    EXPECT_EQ(g_mainFrame->GetClientSize(), wxSize(602, 502));
    wxGetApp().SetCanvasZoom(1);
}

TEST(Intake, ZoomBoxSetsTheFactor) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("zoom") + "/zoom.png", 200, 150, 9)));
    auto choose = [](const char* label) {
        g_mainFrame->ZoomBox()->SetValue(label);
        wxCommandEvent ev(wxEVT_COMBOBOX, ID_ZOOM);
        g_mainFrame->ZoomBox()->GetEventHandler()->ProcessEvent(ev);
        return g_canvas->GetZoom();
    };
    EXPECT_DOUBLE_EQ(choose("1:4"), 0.25);
    EXPECT_DOUBLE_EQ(choose("8:1"), 8.0);
    EXPECT_DOUBLE_EQ(choose("1:1"), 1.0);
}

TEST(Intake, WheelZoomKeepsThePointAndStopsAtTheLimits) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("wheel") + "/wheel.png", 400, 300, 10)));
    g_mainFrame->SetClientSize(300, 300);
    Pump(50);
    auto wheel = [](wxPoint at, int rotation) {
        wxMouseEvent ev(wxEVT_MOUSEWHEEL);
        ev.SetPosition(at);
        ev.m_wheelRotation = rotation;
        ev.m_wheelDelta = 120;
        ev.SetEventObject(g_canvas);
        g_canvas->GetEventHandler()->ProcessEvent(ev);
        Pump(20);
    };
    const wxPoint at(100, 80);
    const IPoint under = g_canvas->WindowToImage(at);
    wheel(at, 120);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 2.0);
    EXPECT_EQ(g_mainFrame->ZoomText(), "2:1");
    const IPoint after = g_canvas->WindowToImage(at);
    EXPECT_LE(std::abs(after.x - under.x), 1);
    EXPECT_LE(std::abs(after.y - under.y), 1);
    wheel(at, 120);
    wheel(at, 120);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 8.0);
    g_mainFrame->ZoomBox()->SetValue("1:1");
    wheel(at, 120);  // at the limit nothing changes, not even the zoom box
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 8.0);
    EXPECT_EQ(g_mainFrame->ZoomText(), "1:1");
    for (int i = 0; i < 6; ++i) wheel(at, -120);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 0.125);
    wheel(at, -120);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 0.125);
    wxGetApp().SetCanvasZoom(1);
}

TEST(Intake, BadFilesNeverReplaceTheOpenPicture) {
    const std::string dir = TempDir("bad");
    const std::string good = WriteChartFile(dir + "/good.png", 150, 100, 11);
    ASSERT_TRUE(Load(good));
    const cv::Mat before = wxGetApp().Image().clone();
    const std::string title = Title();

    std::ofstream(dir + "/notes.png") << "these are not pixels";
    std::ofstream(dir + "/empty.png");
    // Truncated copies of real files.
    const std::string jpg = WriteChartFile(dir + "/full.jpg", 150, 100, 12);
    for (auto [src, dst] : {std::pair{good, dir + "/cut.png"}, std::pair{jpg, dir + "/cut.jpg"}}) {
        std::ifstream in(src, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(dst, std::ios::binary) << bytes.substr(0, bytes.size() / 3);
    }
    // A PNG header that claims 200000 x 200000 pixels.
    {
        std::ifstream in(good, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const unsigned char huge[8] = {0, 3, 0x0d, 0x40, 0, 3, 0x0d, 0x40};
        bytes.replace(16, 8, reinterpret_cast<const char*>(huge), 8);
        std::ofstream(dir + "/huge.png", std::ios::binary) << bytes;
    }
    // A GIF whose damaged image data crashes the toolkit's own GIF decoder.
    wxCopyFile(wxString(PLOTSNAP_SOURCE_DIR) + "/tests/data/damaged-lzw.gif", dir + "/damaged.gif");
    for (const char* name : {"notes.png", "empty.png", "cut.png", "cut.jpg", "huge.png", "missing.png", "damaged.gif"}) {
        Load(dir + "/" + name);
        ASSERT_TRUE(wxGetApp().IsImageLoaded()) << name;
        const cv::Mat& now = wxGetApp().Image();
        if (std::string(name) == "cut.jpg" && Seam().messages.empty()) {
            // A truncated JPEG still decodes (grey where data is missing); it is then the open picture.
            EXPECT_EQ(now.cols, 150);
            ASSERT_TRUE(Load(good));
            continue;
        }
        EXPECT_EQ(Title(), title) << name;
        ASSERT_EQ(Seam().messages.size(), 1u) << name;
        if (std::string(name) == "huge.png")
            EXPECT_NE(Seam().messages[0].text.find("too large"), std::string::npos) << Seam().messages[0].text;
        else
            EXPECT_EQ(Seam().messages[0].text, "Can not read image file") << name;
        EXPECT_EQ(cv::norm(now, before, cv::NORM_INF), 0) << name;
    }
    // The previous picture is still usable: zoom works.
    wxGetApp().SetCanvasZoom(2);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 2.0);
    wxGetApp().SetCanvasZoom(1);
}

TEST(Intake, VeryWidePictureOpensWithoutCrashing) {
    const std::string path = TempDir("wide") + "/wide.png";
    wxImage img(40000, 60);
    img.SetRGB(wxRect(0, 0, 40000, 60), 255, 255, 255);
    img.SetRGB(wxRect(100, 10, 30000, 2), 0, 0, 200);
    ASSERT_TRUE(img.SaveFile(path));
    Load(path);
    g_canvas->Refresh();
    Pump(200);
    EXPECT_TRUE(g_canvas->HasImage());
    EXPECT_LE(g_mainFrame->GetSize().x, wxGetDisplaySize().x) << "the window stays within the screen";
    ProcessNow();
    Pump(200);
    EXPECT_TRUE(wxGetApp().IsImageLoaded());
    EXPECT_NE(LogText().rfind("Processing complete!\n"), std::string::npos);
    // The picture is on screen: its first column is white paper, the blue line shows at row 10.
    EXPECT_EQ(Rgb(ScreenPixel(150, 10)), Rgb(wxColour(0, 0, 200)));
}

TEST(Intake, OversizedPasteKeepsTheOpenPicture) {
    ASSERT_TRUE(Load(WriteChartFile(TempDir("bigpaste") + "/open.png", 90, 60, 13)));
    const std::string title = Title();
    Seam().Reset();
    wxGetApp().PasteImage(wxImage(20000, 5001, false));  // just over 100 megapixels
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_NE(Seam().messages[0].text.find("too large"), std::string::npos) << Seam().messages[0].text;
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(wxGetApp().Image().cols, 90);
}
