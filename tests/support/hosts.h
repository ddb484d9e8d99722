#pragma once
// A canvas host without a window: answers axis prompts from a queue and records
// what the controller asked, showed and marked for recognition.
#include <deque>
#include <string>
#include <vector>

#include "document/interaction.h"

struct FakeHost : InteractionHost {
    std::deque<std::string> typed;  // answers to axis prompts
    std::vector<std::string> asked, shown;
    std::vector<IRect> recognised;
    std::vector<bool> textModes;
    std::string editedText;
    int editedKinds = -1;
    IPoint pointer{50, 50};

    std::string AskAxisValue(const std::string& name, const std::string&) override {
        asked.push_back(name);
        if (typed.empty()) return "";
        std::string t = typed.front();
        typed.pop_front();
        return t;
    }
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    void EditLabelDialog(std::string& text, int& kinds) override {
        if (editedKinds < 0) return;
        text = editedText;
        kinds = editedKinds;
    }
    void RecogniseArea(const IRect& area) override { recognised.push_back(area); }
    void TextModeChanged(bool on) override { textModes.push_back(on); }
    void LabelCommandsChanged(bool) override {}
    IPoint PointerNow() override { return pointer; }
};
