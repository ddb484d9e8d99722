// The Options dialog and its command, the update check against a local HTTP
// server, and the about box.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/hyperlink.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/AboutDialog.h"
#include "ui/Dialogs.h"
#include "ui/GUIFrame.h"
#include "ui/OptionsDialog.h"

namespace {

// ------------------------------------------------------------------ options

// Stores the nine settings as if the configuration file held them and reloads them.
void StorePreferences(const Preferences& p) {
    wxFileConfig* cfg = wxGetApp().Config();
    cfg->Write(PrefKeys::WhiteBackground, p.whiteBackground);
    cfg->Write(PrefKeys::LogScaleX, p.logScaleX);
    cfg->Write(PrefKeys::LogScaleY, p.logScaleY);
    cfg->Write(PrefKeys::MinPatchSize, long(p.minPatchSize));
    cfg->Write(PrefKeys::LineFiltering, long(p.lineFiltering));
    cfg->Write(PrefKeys::ManualThreshold, p.manualThreshold);
    cfg->Write(PrefKeys::Threshold, long(p.threshold));
    cfg->Write(PrefKeys::ShowTooltips, p.showTooltips);
    cfg->Write(PrefKeys::CommonXAxis, p.commonXAxis);
    wxGetApp().LoadPreferences();
    g_canvas->SetLogScaleX(p.logScaleX);
    g_canvas->SetLogScaleY(p.logScaleY);
    g_canvas->SetShowValueMarkers(p.showTooltips);
}

template <class T>
T* Find(wxDialog& d, const char* name) {
    T* w = dynamic_cast<T*>(d.FindWindow(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void Click(wxDialog& d, int id) {
    wxWindow* button = d.FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent ev(wxEVT_BUTTON, id);
    ev.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(ev);
}

void Tick(wxDialog& d, const char* name, bool on) {
    wxCheckBox* box = Find<wxCheckBox>(d, name);
    if (!box) return;
    box->SetValue(on);
    wxCommandEvent ev(wxEVT_CHECKBOX, box->GetId());
    ev.SetEventObject(box);
    ev.SetInt(on);
    box->GetEventHandler()->ProcessEvent(ev);
}

void Type(wxDialog& d, const char* name, const std::string& text) {
    if (wxTextCtrl* field = Find<wxTextCtrl>(d, name)) field->SetValue(text);
}

// Runs the Options command; edit changes the dialog, then OK (or Cancel) is pressed.
// Returns what the command added to the log.
std::string RunOptions(const std::function<void(wxDialog&)>& edit, bool ok = true) {
    Seam().Reset();
    bool shown = false;
    Seam().dialogHandler = [&](wxDialog& d) {
        shown = true;
        EXPECT_EQ(d.GetTitle(), "plotsnap Options");
        if (edit) edit(d);
        Click(d, ok ? wxID_OK : wxID_CANCEL);
        return ok ? wxID_OK : wxID_CANCEL;
    };
    const std::string before = LogText();
    g_mainFrame->RunCommand(ID_OPTIONS);
    Seam().dialogHandler = nullptr;
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Seam().messages.empty());
    return LogText().substr(before.size());
}

class Options : public ::testing::Test {
protected:
    void SetUp() override {
        saved = wxGetApp().Prefs();
        StorePreferences(Preferences());
    }
    void TearDown() override { StorePreferences(saved); }
    Preferences saved;
};

// ------------------------------------------------------------------ update check

// Answers one HTTP request on 127.0.0.1 with a fixed reply, then closes. Every
// wait is bounded, so a client that never comes cannot hang the test.
class OneShotServer {
public:
    explicit OneShotServer(std::string reply) : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        const int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener_, 1) != 0) return;
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotServer() {
        if (thread_.joinable()) thread_.join();
        close(listener_);
    }
    unsigned short Port() const { return port_; }
    // The request as received; complete once the client has its answer.
    std::string Request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

    static std::string Ok(const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    void Serve() {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 15000) != 1) return;
        const int conn = accept(listener_, nullptr, nullptr);
        if (conn < 0) return;
        char buf[2048];
        while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 65536) {
            pollfd c{conn, POLLIN, 0};
            if (poll(&c, 1, 5000) != 1) break;
            const ssize_t n = recv(conn, buf, sizeof buf, 0);
            if (n <= 0) break;
            request_.append(buf, size_t(n));
        }
        send(conn, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        shutdown(conn, SHUT_WR);
        // Let the client read everything before the socket goes away.
        pollfd c{conn, POLLIN, 0};
        while (poll(&c, 1, 2000) == 1 && recv(conn, buf, sizeof buf, 0) > 0) {
        }
        close(conn);
    }

    std::string reply_;
    int listener_ = -1;
    unsigned short port_ = 0;
    std::string request_;
    std::thread thread_;
};

// A loopback port with nobody listening on it.
unsigned short ClosedPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
}

struct AboutSeen {
    int shown = 0;
    std::string title;
    std::string text;
    bool hasDownload = false;
    bool downloadBold = false;
    std::string guideUrl;
};

// Records what the next about box shows, then closes it with its OK button.
void WatchAbout(AboutSeen& seen) {
    Seam().dialogHandler = [&seen](wxDialog& d) {
        ++seen.shown;
        seen.title = d.GetTitle().ToStdString();
        if (auto* text = dynamic_cast<wxStaticText*>(d.FindWindow(AboutNames::Text)))
            seen.text = text->GetLabel().ToStdString();
        auto* download = dynamic_cast<wxHyperlinkCtrl*>(d.FindWindow(AboutNames::Download));
        seen.hasDownload = download != nullptr;
        seen.downloadBold = download && download->GetFont().GetWeight() == wxFONTWEIGHT_BOLD;
        if (auto* guide = dynamic_cast<wxHyperlinkCtrl*>(d.FindWindow(AboutNames::Manual)))
            seen.guideUrl = guide->GetURL().ToStdString();
        EXPECT_NE(d.FindWindow(wxID_OK), nullptr);
        return wxID_OK;
    };
}

// Runs the check against the local server and returns the one message box it showed.
std::string CheckAgainst(OneShotServer& server) {
    Seam().Reset();
    RunUpdateCheck(g_mainFrame, "127.0.0.1", server.Port());
    EXPECT_EQ(server.Request().rfind("GET /wp-content/uploads/current_version.txt HTTP/1.", 0), 0u)
        << server.Request();
    if (Seam().messages.size() != 1) return "<" + std::to_string(Seam().messages.size()) + " messages>";
    EXPECT_EQ(Seam().messages[0].caption, "plotsnap");
    return Seam().messages[0].text;
}

}  // namespace

// ------------------------------------------------------------------ Options

TEST_F(Options, DialogStartsFromTheDocumentsSettings) {
    Preferences p;
    p.whiteBackground = true;
    p.logScaleY = true;
    p.minPatchSize = 7;
    p.manualThreshold = false;
    p.threshold = 99;
    p.showTooltips = false;
    StorePreferences(p);
    const std::string added = RunOptions([](wxDialog& d) {
        using namespace OptionsNames;
        EXPECT_TRUE(Find<wxCheckBox>(d, WhiteBackground)->GetValue());
        EXPECT_FALSE(Find<wxCheckBox>(d, LogScaleX)->GetValue());
        EXPECT_TRUE(Find<wxCheckBox>(d, LogScaleY)->GetValue());
        EXPECT_FALSE(Find<wxCheckBox>(d, ShowTooltips)->GetValue());
        EXPECT_TRUE(Find<wxCheckBox>(d, CommonXAxis)->GetValue());
        EXPECT_TRUE(Find<wxCheckBox>(d, LineFiltering)->GetValue());
        EXPECT_EQ(Find<wxTextCtrl>(d, Threshold)->GetValue(), "99");
        EXPECT_EQ(Find<wxTextCtrl>(d, MinPatchSize)->GetValue(), "7");
        // The threshold field follows the manual-threshold box.
        EXPECT_FALSE(Find<wxTextCtrl>(d, Threshold)->IsEnabled());
        Tick(d, ManualThreshold, true);
        EXPECT_TRUE(Find<wxTextCtrl>(d, Threshold)->IsEnabled());
        Tick(d, ManualThreshold, false);
        EXPECT_FALSE(Find<wxTextCtrl>(d, Threshold)->IsEnabled());
    });
    // OK without changes: no setter runs.
    EXPECT_EQ(added, "");
}

TEST_F(Options, ThresholdIsClampedAndNonNumbersKeepTheSetting) {
    std::string added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::Threshold, "300"); });
    EXPECT_EQ(added, "Threshold: 255\n");
    EXPECT_EQ(wxGetApp().Prefs().threshold, 255);

    added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::Threshold, "-5"); });
    EXPECT_EQ(added, "Threshold: 0\n");
    EXPECT_EQ(wxGetApp().Prefs().threshold, 0);

    added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::Threshold, " 42 "); });
    EXPECT_EQ(added, "Threshold: 42\n");

    for (const char* junk : {"abc", "", "12abc", "12.5", "1e2"}) {
        added = RunOptions([junk](wxDialog& d) { Type(d, OptionsNames::Threshold, junk); });
        EXPECT_EQ(added, "") << junk;
        EXPECT_EQ(wxGetApp().Prefs().threshold, 42) << junk;
    }
}

TEST_F(Options, ThresholdStoredOutOfRangeIsClampedOnOk) {
    Preferences p;
    p.threshold = 300;  // edited by hand in the configuration file
    StorePreferences(p);
    const std::string added = RunOptions(nullptr);
    EXPECT_EQ(added, "Threshold: 255\n");
}

TEST_F(Options, NegativeMinimumPatchSizeBecomesZero) {
    std::string added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::MinPatchSize, "-1"); });
    EXPECT_EQ(added, "Minimum patch size: 0\n");
    EXPECT_EQ(wxGetApp().Prefs().minPatchSize, 0);
    // No upper limit.
    added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::MinPatchSize, "5000"); });
    EXPECT_EQ(added, "Minimum patch size: 5000\n");
    added = RunOptions([](wxDialog& d) { Type(d, OptionsNames::MinPatchSize, "many"); });
    EXPECT_EQ(added, "");
    EXPECT_EQ(wxGetApp().Prefs().minPatchSize, 5000);
}

TEST_F(Options, ChangedSettingsAreAnnouncedInOrder) {
    const std::string added = RunOptions([](wxDialog& d) {
        using namespace OptionsNames;
        Tick(d, LogScaleX, true);
        Tick(d, LogScaleY, true);
        Type(d, MinPatchSize, "9");
        Tick(d, LineFiltering, false);
        Tick(d, ManualThreshold, true);
        Type(d, Threshold, "100");
        Tick(d, ShowTooltips, false);
        Tick(d, CommonXAxis, false);
    });
    EXPECT_EQ(added,
              "X scale is logarithmic\n"
              "Y scale is logarithmic\n"
              "Minimum patch size: 9\n"
              "Output data will not be filtered\n"
              "Thresholding is now manual\n"
              "Threshold: 100\n"
              "Output data will have a different X axis for each graph\n");
    const Preferences& p = wxGetApp().Prefs();
    EXPECT_TRUE(p.logScaleX && p.logScaleY && p.manualThreshold);
    EXPECT_FALSE(p.showTooltips || p.commonXAxis);
    EXPECT_EQ(p.lineFiltering, 0);
    EXPECT_EQ(p.minPatchSize, 9);
    EXPECT_EQ(p.threshold, 100);
    // The canvas follows the flags it mirrors.
    EXPECT_TRUE(g_canvas->Calibration().xLog);
    EXPECT_FALSE(g_canvas->ShowValueMarkers());
    // And the configuration store holds the new values.
    long stored = 0;
    wxGetApp().Config()->Read(PrefKeys::Threshold, &stored);
    EXPECT_EQ(stored, 100);
}

TEST_F(Options, CancelChangesNothingButRewritesThePreferences) {
    const Preferences before = wxGetApp().Prefs();
    // Stale values in the store: the command must write the document's own back.
    wxFileConfig* cfg = wxGetApp().Config();
    cfg->Write(PrefKeys::Threshold, 17L);
    cfg->Write(PrefKeys::CommonXAxis, false);
    cfg->Write(PrefKeys::MinPatchSize, 11L);
    cfg->Flush();
    const std::string added = RunOptions(
        [](wxDialog& d) {
            using namespace OptionsNames;
            for (const char* box : {WhiteBackground, ShowTooltips, ManualThreshold, LogScaleX, LogScaleY,
                                    LineFiltering, CommonXAxis})
                Tick(d, box, !Find<wxCheckBox>(d, box)->GetValue());
            Type(d, Threshold, "12");
            Type(d, MinPatchSize, "8");
        },
        false);
    EXPECT_EQ(added, "");
    const Preferences& p = wxGetApp().Prefs();
    EXPECT_EQ(p.whiteBackground, before.whiteBackground);
    EXPECT_EQ(p.logScaleX, before.logScaleX);
    EXPECT_EQ(p.threshold, before.threshold);
    EXPECT_EQ(p.minPatchSize, before.minPatchSize);
    EXPECT_EQ(p.commonXAxis, before.commonXAxis);

    // Read the file afresh: the values were written and flushed.
    wxFileConfig fresh(kAppName, kVendorName, wxEmptyString, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    long threshold = 0, minPatch = 0;
    bool common = false;
    fresh.Read(PrefKeys::Threshold, &threshold);
    fresh.Read(PrefKeys::MinPatchSize, &minPatch);
    fresh.Read(PrefKeys::CommonXAxis, &common);
    EXPECT_EQ(threshold, before.threshold);
    EXPECT_EQ(minPatch, before.minPatchSize);
    EXPECT_EQ(common, before.commonXAxis);
}

TEST_F(Options, StoredLineFilteringOfTwoIsNormalisedToOne) {
    Preferences p;
    p.lineFiltering = 2;
    StorePreferences(p);
    const std::string added = RunOptions(nullptr);
    EXPECT_EQ(added, "Output data is now line filtered\n");
    EXPECT_EQ(wxGetApp().Prefs().lineFiltering, 1);
    long stored = 0;
    wxGetApp().Config()->Read(PrefKeys::LineFiltering, &stored);
    EXPECT_EQ(stored, 1);
}

TEST_F(Options, WhiteBackgroundOnAnUnprocessedPictureOnlyChangesTheSetting) {
    ASSERT_TRUE(LoadPicture(WriteChartFile(TempDir("options-white") + "/chart.png", 240, 180, 5)));
    ASSERT_FALSE(wxGetApp().IsProcessed());
    const std::string added = RunOptions([](wxDialog& d) { Tick(d, OptionsNames::WhiteBackground, true); });
    EXPECT_EQ(added, "");
    EXPECT_TRUE(wxGetApp().Prefs().whiteBackground);
    EXPECT_FALSE(wxGetApp().IsProcessed());
}

TEST_F(Options, WhiteBackgroundOnAProcessedPictureReprocesses) {
    ASSERT_TRUE(LoadPicture(WriteChartFile(TempDir("options-white2") + "/chart.png", 240, 180, 6)));
    ProcessNow();
    ASSERT_TRUE(wxGetApp().IsProcessed());
    std::string added = RunOptions([](wxDialog& d) { Tick(d, OptionsNames::WhiteBackground, true); });
    EXPECT_EQ(added.rfind("Setting white background\nPerforming detections...\n", 0), 0u) << added;
    EXPECT_NE(added.find("Processing complete!\n"), std::string::npos) << added;
    EXPECT_TRUE(wxGetApp().Prefs().whiteBackground);
    EXPECT_TRUE(wxGetApp().IsProcessed());

    // And back: the same again.
    added = RunOptions([](wxDialog& d) { Tick(d, OptionsNames::WhiteBackground, false); });
    EXPECT_EQ(added.rfind("Setting white background\nPerforming detections...\n", 0), 0u) << added;
    EXPECT_FALSE(wxGetApp().Prefs().whiteBackground);
}

// ------------------------------------------------------------------ Update check

TEST(Update, SameVersionIsTheLatest) {
    OneShotServer server(OneShotServer::Ok("1.21"));
    EXPECT_EQ(CheckAgainst(server), "You have the latest version of plotsnap");
}

TEST(Update, TrailingLineBreakIsIgnored) {
    OneShotServer server(OneShotServer::Ok("1.21\n"));
    EXPECT_EQ(CheckAgainst(server), "You have the latest version of plotsnap");
}

TEST(Update, OlderServerVersionIsOdd) {
    // 1.5 is minor 5: below 1.21.
    OneShotServer server(OneShotServer::Ok("1.5"));
    EXPECT_EQ(CheckAgainst(server), "Odd; it would appear your version is newer than the one on the website...");
}

TEST(Update, NewerVersionOpensTheAboutBoxInUpdateMode) {
    OneShotServer server(OneShotServer::Ok("1.22"));
    Seam().Reset();
    AboutSeen seen;
    WatchAbout(seen);
    RunUpdateCheck(g_mainFrame, "127.0.0.1", server.Port());
    Seam().dialogHandler = nullptr;
    EXPECT_TRUE(Seam().messages.empty());
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.title, "Check for updates");
    EXPECT_EQ(seen.text, std::string(kVersionBanner) + "\n\nA newer version, 1.22, is available!");
    EXPECT_TRUE(seen.hasDownload);
    EXPECT_TRUE(seen.downloadBold);
    EXPECT_TRUE(wxFileName::URLToFileName(seen.guideUrl).FileExists()) << seen.guideUrl;
}

TEST(Update, ErrorReplyCannotBeRetrieved) {
    OneShotServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot found");
    EXPECT_EQ(CheckAgainst(server), "Could not retrieve version information; please try again at a later time.");
}

TEST(Update, ReplyThatIsNoVersionCannotBeRetrieved) {
    // A portal page instead of the version file must not read as version 0.
    OneShotServer server(OneShotServer::Ok("<html><body>Sign in</body></html>"));
    EXPECT_EQ(CheckAgainst(server), "Could not retrieve version information; please try again at a later time.");
}

TEST(Update, ClosedPortCannotConnect) {
    Seam().Reset();
    RunUpdateCheck(g_mainFrame, "127.0.0.1", ClosedPort());
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text,
              "Could not connect to plotsnap server to check for updates; check your internet connection and try again.");
    EXPECT_EQ(Seam().messages[0].caption, "plotsnap");
}

// ------------------------------------------------------------------ About

TEST(About, AboutCommandShowsTheBannerWithoutTheDownloadLink) {
    Seam().Reset();
    AboutSeen seen;
    WatchAbout(seen);
    g_mainFrame->RunCommand(wxID_ABOUT);
    Seam().dialogHandler = nullptr;
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.title, "About plotsnap");
    EXPECT_EQ(seen.text, kVersionBanner);
    EXPECT_FALSE(seen.hasDownload);
    EXPECT_TRUE(wxFileName::URLToFileName(seen.guideUrl).FileExists()) << seen.guideUrl;
    EXPECT_TRUE(Seam().messages.empty());
}
