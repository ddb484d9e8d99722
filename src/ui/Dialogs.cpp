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
    OptionsDialog dlg(parent, was);
    // After Cancel every result still equals the document's value, so how the
    // dialog closed does not matter.
    Ui().ShowModal(dlg);
    const Preferences now = dlg.Result();

    if (now.logScaleX != was.logScaleX) app.SetLogarithmicX(now.logScaleX);
    if (now.logScaleY != was.logScaleY) app.SetLogarithmicY(now.logScaleY);
    if (now.minPatchSize != was.minPatchSize) app.SetMinPatchSize(now.minPatchSize);
    // Compared as stored: a value of 2 written by hand becomes 1.
    if (now.lineFiltering != was.lineFiltering) app.SetLineFiltering(now.lineFiltering);
    if (now.manualThreshold != was.manualThreshold) app.SetManualThreshold(now.manualThreshold);
    if (now.threshold != was.threshold) app.SetThreshold(now.threshold);
    if (now.showTooltips != was.showTooltips) app.SetShowTooltips(now.showTooltips);
    if (now.commonXAxis != was.commonXAxis) app.SetCommonXAxis(now.commonXAxis);
    if (now.autoCalibrate != was.autoCalibrate) app.SetAutoCalibrate(now.autoCalibrate);
    if (now.bridgeCrossings != was.bridgeCrossings) app.SetBridgeCrossings(now.bridgeCrossings);
    if (now.referenceColours != was.referenceColours) {
        app.SetReferenceColours(now.referenceColours);
        if (app.IsProcessed()) app.ProcessImage();
    }
    if (now.whiteBackground != was.whiteBackground) {
        app.SetWhiteBackground(now.whiteBackground);
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
