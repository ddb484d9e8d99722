#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <functional>

#include "app/CurvetapApp.h"
#include "gui_support.h"
#include "text/LabelDialog.h"
#include "text/label.h"
#include "ui/GUIFrame.h"

namespace {

const char* kNotNumeric =
    "This option requires the label to be a numerical value, however, '%s' is not numeric.\n\n"
    "Either edit the text or select a different text label";

std::string NotNumericMessage(const std::string& text) {
    std::string m = kNotNumeric;
    return m.replace(m.find("%s"), 2, text);
}

wxCheckBox* Box(wxDialog& d, int bit) {
    auto* box = dynamic_cast<wxCheckBox*>(d.FindWindow(LabelKindBoxName(bit)));
    EXPECT_NE(box, nullptr) << bit;
    return box;
}

// As a mouse click does: the box flips, then tells the dialog.
void ClickKind(wxDialog& d, int bit) {
    wxCheckBox* box = Box(d, bit);
    if (!box) return;
    box->SetValue(!box->GetValue());
    wxCommandEvent ev(wxEVT_CHECKBOX, box->GetId());
    ev.SetEventObject(box);
    ev.SetInt(box->GetValue());
    box->GetEventHandler()->ProcessEvent(ev);
}

int Shown(wxDialog& d) {
    int bits = 0;
    for (const auto& kind : kLabelKinds)
        if (wxCheckBox* box = Box(d, kind.bit); box && box->GetValue()) bits |= kind.bit;
    return bits;
}

void Type(wxDialog& d, const wxString& text) {
    auto* field = dynamic_cast<wxTextCtrl*>(d.FindWindow(LabelDialogNames::Text));
    ASSERT_NE(field, nullptr);
    field->SetValue(text);
}

void Press(wxDialog& d, int id) {
    wxWindow* button = d.FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent ev(wxEVT_BUTTON, id);
    ev.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(ev);
}

// Shows dlg through the seam as the canvas does; act drives it without a modal loop.
int Drive(LabelDialog& dlg, const std::function<void(wxDialog&)>& act) {
    Seam().dialogHandler = [&](wxDialog& d) {
        act(d);
        return d.GetReturnCode();
    };
    const int result = Ui().ShowModal(dlg);
    Seam().dialogHandler = nullptr;
    return result;
}

class LabelDialogTest : public ::testing::Test {
protected:
    void SetUp() override { Seam().Reset(); }
    void TearDown() override { Seam().Reset(); }
};

}  // namespace

TEST_F(LabelDialogTest, LayoutShowsTextAndOneBoxPerKind) {
    LabelDialog dlg(g_mainFrame, "0.5", LABEL_XMIN | LABEL_YMIN);
    EXPECT_EQ(dlg.GetTitle(), "Edit Text Properties");
    auto* field = dynamic_cast<wxTextCtrl*>(dlg.FindWindow(LabelDialogNames::Text));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetValue(), "0.5");
    EXPECT_EQ(Shown(dlg), LABEL_XMIN | LABEL_YMIN);

    // Check boxes stand in ascending bit order under the field, each with its kind's name.
    int lastY = field->GetPosition().y;
    for (const auto& kind : kLabelKinds) {
        wxCheckBox* box = Box(dlg, kind.bit);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetLabel(), kind.name);
        EXPECT_GT(box->GetPosition().y, lastY) << kind.name;
        lastY = box->GetPosition().y;
    }
    auto* ok = dynamic_cast<wxButton*>(dlg.FindWindow(wxID_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_NE(dlg.FindWindow(wxID_CANCEL), nullptr);
    EXPECT_EQ(dlg.GetDefaultItem(), ok);
    EXPECT_GT(ok->GetPosition().y, lastY);

    bool headingFound = false;
    for (wxWindow* child : dlg.GetChildren()) {
        auto* st = dynamic_cast<wxStaticText*>(child);
        if (!st || st->GetLabel() != "Text:") continue;
        headingFound = true;
        EXPECT_EQ(st->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
        EXPECT_EQ(st->GetForegroundColour(), wxColour(0, 0, 128));
        EXPECT_LT(st->GetPosition().y, field->GetPosition().y);
    }
    EXPECT_TRUE(headingFound);
}

TEST_F(LabelDialogTest, BoxesFollowTheKindRulesWhenClicked) {
    LabelDialog dlg(g_mainFrame, "0", LABEL_TEXT);
    ClickKind(dlg, LABEL_TEXT);  // the only ticked box stays ticked
    EXPECT_EQ(Shown(dlg), LABEL_TEXT);
    ClickKind(dlg, LABEL_XMIN);
    EXPECT_EQ(Shown(dlg), LABEL_XMIN);
    ClickKind(dlg, LABEL_YMIN);
    EXPECT_EQ(Shown(dlg), LABEL_XMIN | LABEL_YMIN);
    ClickKind(dlg, LABEL_XMAX);
    EXPECT_EQ(Shown(dlg), LABEL_XMAX | LABEL_YMIN);
    ClickKind(dlg, LABEL_YMIN);  // unticking one of the pair keeps the other
    EXPECT_EQ(Shown(dlg), LABEL_XMAX);
    ClickKind(dlg, LABEL_YMAX);
    ClickKind(dlg, LABEL_TITLE);
    EXPECT_EQ(Shown(dlg), LABEL_TITLE);
    ClickKind(dlg, LABEL_YLEGEND);
    EXPECT_EQ(Shown(dlg), LABEL_YLEGEND);
    // Nothing is handed back until OK.
    EXPECT_EQ(dlg.Kinds(), LABEL_TEXT);
    EXPECT_TRUE(Seam().messages.empty());
}

TEST_F(LabelDialogTest, OkWithValidInputHandsBackTheEdits) {
    LabelDialog dlg(g_mainFrame, "Voltage", LABEL_TEXT);
    const int result = Drive(dlg, [](wxDialog& d) {
        Type(d, "12 mm");
        ClickKind(d, LABEL_XMAX);
        ClickKind(d, LABEL_YMIN);
        Press(d, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(dlg.Text(), "12 mm");
    EXPECT_EQ(dlg.Kinds(), LABEL_XMAX | LABEL_YMIN);
    EXPECT_TRUE(Seam().messages.empty());

    // Non-axis kinds take any text, and text outside ASCII survives the round trip.
    LabelDialog legend(g_mainFrame, "1e3", LABEL_XMIN);
    EXPECT_EQ(Drive(legend,
                  [](wxDialog& d) {
                      Type(d, wxString::FromUTF8("Länge / µm"));
                      ClickKind(d, LABEL_XLEGEND);
                      Press(d, wxID_OK);
                  }),
              wxID_OK);
    EXPECT_EQ(legend.Text(), "Länge / µm");
    EXPECT_EQ(legend.Kinds(), LABEL_XLEGEND);
    EXPECT_TRUE(Seam().messages.empty());
}

TEST_F(LabelDialogTest, OkRefusesAnAxisKindOnTextThatIsNoNumber) {
    LabelDialog dlg(g_mainFrame, "Time (s)", LABEL_TITLE);
    const int result = Drive(dlg, [](wxDialog& d) {
        ClickKind(d, LABEL_YMAX);
        Press(d, wxID_OK);
    });
    EXPECT_NE(result, wxID_OK);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, NotNumericMessage("Time (s)"));
    EXPECT_EQ(Seam().messages[0].caption, "plotsnap");
    EXPECT_TRUE(Seam().messages[0].style & wxOK);
    // The label stays as it was; the edits stay in the dialog for another try.
    EXPECT_EQ(dlg.Text(), "Time (s)");
    EXPECT_EQ(dlg.Kinds(), LABEL_TITLE);
    EXPECT_EQ(Shown(dlg), LABEL_YMAX);

    // An empty text is no number either; the message quotes what was typed.
    Seam().messages.clear();
    Drive(dlg, [](wxDialog& d) {
        Type(d, "");
        Press(d, wxID_OK);
    });
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, NotNumericMessage(""));

    // Answering without a user goes through the same check.
    Seam().messages.clear();
    EXPECT_FALSE(dlg.SetResult("n/a", LABEL_XMIN | LABEL_YMIN));
    EXPECT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(dlg.Kinds(), LABEL_TITLE);
    EXPECT_TRUE(dlg.SetResult("0", LABEL_XMIN | LABEL_YMIN));
    EXPECT_EQ(dlg.GetReturnCode(), wxID_OK);
    EXPECT_EQ(dlg.Text(), "0");
    EXPECT_EQ(dlg.Kinds(), LABEL_XMIN | LABEL_YMIN);
}

TEST_F(LabelDialogTest, ShownModallyStaysOpenUntilTheTextIsANumber) {
    LabelDialog dlg(g_mainFrame, "abc", LABEL_TEXT);
    bool openAfterRefusal = false;
    size_t messagesAfterRefusal = 0;
    Seam().dialogHandler = [&](wxDialog& d) {
        d.CallAfter([&] {
            ClickKind(d, LABEL_XMIN);
            Press(d, wxID_OK);
            Pump(20);
            openAfterRefusal = d.IsModal() && d.IsShown();
            messagesAfterRefusal = Seam().messages.size();
            Type(d, " 0.5");
            Press(d, wxID_OK);
        });
        return d.ShowModal();
    };
    const int result = Ui().ShowModal(dlg);
    Seam().dialogHandler = nullptr;
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(messagesAfterRefusal, 1u);
    EXPECT_EQ(result, wxID_OK);
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(dlg.Text(), " 0.5");
    EXPECT_EQ(dlg.Kinds(), LABEL_XMIN);
}

TEST_F(LabelDialogTest, CancelOrClosingHandsBackTheOriginals) {
    LabelDialog dlg(g_mainFrame, "Pressure", LABEL_TEXT);
    const int result = Drive(dlg, [](wxDialog& d) {
        Type(d, "42");
        ClickKind(d, LABEL_XMIN);
        Press(d, wxID_CANCEL);
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(dlg.Text(), "Pressure");
    EXPECT_EQ(dlg.Kinds(), LABEL_TEXT);

    // The close box of a dialog shown for real.
    LabelDialog closed(g_mainFrame, "7", LABEL_YMAX);
    Seam().dialogHandler = [](wxDialog& d) {
        d.CallAfter([&d] {
            Type(d, "8");
            ClickKind(d, LABEL_TITLE);
            d.Close();
        });
        return d.ShowModal();
    };
    EXPECT_EQ(Ui().ShowModal(closed), wxID_CANCEL);
    Seam().dialogHandler = nullptr;
    EXPECT_EQ(closed.Text(), "7");
    EXPECT_EQ(closed.Kinds(), LABEL_YMAX);
    EXPECT_TRUE(Seam().messages.empty());
}
