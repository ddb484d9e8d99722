#include "ui/Dialogs.h"

#include <wx/wx.h>
#include <wx/protocol/http.h>

#include <memory>

#include "app/CurvetapApp.h"
#include "ui/AboutDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/UiSeam.h"

void RunOptionsCommand(wxWindow* parent) {
    curvetapApp& app = wxGetApp();
    const Preferences was = app.Prefs();
    OptionsDialog dlg(parent, was.whiteBackground, was.logScaleX, was.logScaleY, was.minPatchSize, was.lineFiltering,
                      was.manualThreshold, was.threshold, was.showTooltips, was.commonXAxis, was.autoCalibrate);
    // After Cancel every result still equals the document's value, so how the
    // dialog closed does not matter.
    Ui().ShowModal(dlg);

    if (dlg.LogScaleX() != was.logScaleX) app.SetLogarithmicX(dlg.LogScaleX());
    if (dlg.LogScaleY() != was.logScaleY) app.SetLogarithmicY(dlg.LogScaleY());
    if (dlg.MinPatchSize() != was.minPatchSize) app.SetMinPatchSize(int(dlg.MinPatchSize()));
    // Compared as stored: a value of 2 written by hand becomes 1.
    const int lineFiltering = dlg.LineFiltering() ? 1 : 0;
    if (lineFiltering != was.lineFiltering) app.SetLineFiltering(lineFiltering);
    if (dlg.ManualThreshold() != was.manualThreshold) app.SetManualThreshold(dlg.ManualThreshold());
    if (dlg.Threshold() != was.threshold) app.SetThreshold(int(dlg.Threshold()));
    if (dlg.ShowTooltips() != was.showTooltips) app.SetShowTooltips(dlg.ShowTooltips());
    if (dlg.CommonXAxis() != was.commonXAxis) app.SetCommonXAxis(dlg.CommonXAxis());
    if (dlg.AutoCalibrate() != was.autoCalibrate) app.SetAutoCalibrate(dlg.AutoCalibrate());
    if (dlg.WhiteBackground() != was.whiteBackground) {
        app.SetWhiteBackground(dlg.WhiteBackground());
        if (app.IsProcessed()) {
            app.ApplyWhiteBackground();
            app.ProcessImage();
        }
    }
    app.SavePreferences();
}

void RunUpdateCheck(wxWindow* parent, const wxString& host, unsigned short port) {
    wxHTTP http;
    http.SetTimeout(kUpdateTimeoutSeconds);
    // Connect only resolves the address; the connection itself is made by the request.
    if (!http.Connect(host, port)) {
        ShowInfo(kUpdateConnectFailed);
        return;
    }
    std::unique_ptr<wxInputStream> in(http.GetInputStream(kUpdatePath));
    if (!in || http.GetError() != wxPROTO_NOERR) {
        ShowInfo(http.GetError() == wxPROTO_CONNERR ? kUpdateConnectFailed : kUpdateRetrieveFailed);
        return;
    }
    char buffer[kUpdateMaxReplyBytes];
    in->Read(buffer, sizeof buffer);
    const std::string reply(buffer, in->LastRead());
    in.reset();
    http.Close();

    const std::optional<ServerVersion> server = ParseServerVersion(reply);
    if (!server) {
        ShowInfo(kUpdateRetrieveFailed);
        return;
    }
    switch (CompareVersion(*server)) {
    case UpdateOutcome::OlderOnServer: ShowInfo(kUpdateOlderOnServer); break;
    case UpdateOutcome::Latest: ShowInfo(kUpdateLatest); break;
    case UpdateOutcome::NewerAvailable: ShowAbout(parent, Wide(NewerVersionText(*server)), true); break;
    }
}

void ShowAbout(wxWindow* parent, const wxString& text, bool updateMode) {
    AboutDialog dlg(parent, text, updateMode);
    Ui().ShowModal(dlg);
}
