#pragma once
// Toolbar controls whose background is never erased before painting, so the
// toolbar does not flicker when it is redrawn.
#include <wx/checkbox.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <utility>

class FlickerFreeCheckbox : public wxCheckBox {
public:
    template <class... A>
    explicit FlickerFreeCheckbox(A&&... a) : wxCheckBox(std::forward<A>(a)...) {
        Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    }
};

class FlickerFreeSpinCtrl : public wxSpinCtrl {
public:
    template <class... A>
    explicit FlickerFreeSpinCtrl(A&&... a) : wxSpinCtrl(std::forward<A>(a)...) {
        Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    }
};

class FlickerFreeStaticText : public wxStaticText {
public:
    template <class... A>
    explicit FlickerFreeStaticText(A&&... a) : wxStaticText(std::forward<A>(a)...) {
        Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    }
};
