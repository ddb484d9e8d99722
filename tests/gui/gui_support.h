#pragma once
// Shared pieces of the GUI tests: the scripted answer seam, event pumping and
// small accessors for the real window's widgets.
#include <wx/wx.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/UiSeam.h"

// Answers every modal question from queues and records what was shown.
class ScriptedSeam : public UiSeam {
public:
    int Message(const wxString& text, const wxString&, long style, wxWindow*) override {
        messages.push_back(text.ToStdString());
        return style & wxYES_NO ? wxNO : wxOK;
    }
    wxString AskText(const wxString&, const wxString& caption, const wxString&, wxWindow*) override {
        asked.push_back(caption.ToStdString());
        return Next(texts);
    }
    wxString ChooseFileToOpen(wxWindow*, const wxString& message, const wxString&) override {
        fileDialogs.push_back(message.ToStdString());
        return Next(files);
    }
    wxString ChooseFileToSave(wxWindow* parent, const wxString& message, const wxString& wildcard,
                              const wxString& defaultName) override {
        offeredNames.push_back(defaultName.utf8_string());
        return ChooseFileToOpen(parent, message, wildcard);
    }
    std::vector<std::string> offeredNames;  // default names the save choosers offered
    bool ShowTip(wxTipProvider*, bool) override {
        ++tipsShown;
        return true;
    }
    int ShowModal(wxDialog& dialog) override { return dialogHandler ? dialogHandler(dialog) : wxID_CANCEL; }
    // Save, Discard or Cancel: wxYES, wxNO or wxCANCEL from saveAnswers; Discard when empty.
    int AskSaveChanges(const wxString& text, wxWindow*) override {
        saveQuestions.push_back(text.ToStdString());
        if (saveAnswers.empty()) return wxNO;
        const int a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    std::deque<int> saveAnswers;
    std::vector<std::string> saveQuestions;

    void Reset();
    std::vector<std::string> messages;    // texts of the message boxes; Yes/No questions get No
    std::deque<std::string> texts;        // text entry answers; cancel (empty) when empty
    std::deque<std::string> files;        // file dialog answers; cancel when empty
    std::vector<std::string> asked;       // captions of text-entry prompts, in order
    std::vector<std::string> fileDialogs; // messages of file dialogs shown
    int tipsShown = 0;
    std::function<int(wxDialog&)> dialogHandler;

private:
    // The next scripted answer; empty, as a cancelled dialog gives, when the script has run out.
    static wxString Next(std::deque<std::string>& answers) {
        if (answers.empty()) return wxString();
        const std::string a = answers.front();
        answers.pop_front();
        return wxString::FromUTF8(a.c_str());
    }
};

ScriptedSeam& Seam();

// Runs the event loop for about ms milliseconds.
void Pump(int ms = 50);
// Runs the event loop until cond holds or timeoutMs passes; returns cond().
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000);

std::string LogText();
// What the screen shows of a window's client area (read back from the X server).
wxImage GrabClient(wxWindow* window);
// A fresh empty directory under the test's temporary root.
std::string TempDir(const std::string& name);

// What the window looked like right after start-up, captured before any test runs.
struct StartupSnapshot {
    std::string log;
    std::string graphLabel;
    bool removeGrid = true;
    int gridWidth = 0;
    std::string zoom;
    bool historyCommands = true;  // any of Undo, Redo (menu or tool), Delete, Clear History enabled
    int tipsShown = 0;
};
const StartupSnapshot& Startup();

// Real X input at image positions of the canvas (through the X server, as a user's
// mouse and keyboard would arrive).
namespace real {
void Move(int imageX, int imageY);
void Press(int imageX, int imageY);  // the left button
void Release(int imageX, int imageY);
void Click(int imageX, int imageY, bool shift = false);  // Shift held when asked
void Key(int keycode, int modifiers = 0);
// Moves the real pointer to a screen position outside the canvas.
void MoveToScreen(int screenX, int screenY);
}  // namespace real

// Loads a picture into the document (no dialogs) and returns whether it worked.
bool LoadPicture(const std::string& path);
// Processes the open picture as the Process command does.
void ProcessNow();
