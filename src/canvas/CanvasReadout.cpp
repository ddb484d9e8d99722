// What follows the mouse besides the status bar: the highlight of an unpicked
// patch under the cursor and the value markers near a picked curve.
#include "canvas/ScrolledImageComponent.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <cstdlib>

#include "document/selection.h"

void ScrolledImageComponent::RefreshHover(const PatchList& before) {
    const int m = int(1 / zoom + 2);
    RefreshImageBox(RunsBoundingBox(before, m));
    RefreshImageBox(RunsBoundingBox(controller.Hovered(), m));
}

bool ScrolledImageComponent::UpdateValueMarkers(IPoint p) {
    if (zoom < 1) return false;
    const bool near = NearPickedRun(doc, p);
    std::vector<ValueMarker> now = near ? ValueMarkersAt(doc, readout, p) : std::vector<ValueMarker>();
    if (now.empty()) {
        const bool had = !valueMarkers.empty();
        for (const ValueMarker& old : valueMarkers) RefreshMarker(old);
        valueMarkers.clear();
        return near && had;
    }
    for (const ValueMarker& old : valueMarkers)
        if (std::find(now.begin(), now.end(), old) == now.end()) RefreshMarker(old);
    valueMarkers = std::move(now);
    for (const ValueMarker& marker : valueMarkers) RefreshMarker(marker);
    return true;
}

bool ScrolledImageComponent::ChooseMarkerFont(wxDC& dc) const {
    const int index = zoom == 8 ? 0 : zoom == 4 ? 1 : zoom == 2 ? 2 : zoom == 1 ? 3 : -1;
    if (index < 0) return false;
    dc.SetFont(markerFonts[index]);
    return true;
}

void ScrolledImageComponent::RefreshMarker(const ValueMarker& marker) {
    wxClientDC dc(this);
    PrepareDC(dc);
    wxCoord tw = 0, th = 0;
    if (ChooseMarkerFont(dc)) dc.GetTextExtent(wxString::FromUTF8(marker.text.c_str()), &tw, &th);
    const int m = int(4 / zoom);
    RefreshImageBox({marker.col - 5, marker.row - 5, marker.col + 6, marker.row + 6});
    const int left = std::max(0, marker.col - 5 - m - tw - 1), top = std::max(0, marker.row - 5 - m - th - 1);
    RefreshImageBox({left, top, left + tw + 2, top + th + 2});
}

bool ScrolledImageComponent::OnSelectedRun(int column, int row) const {
    // The picked runs are drawn two pixels wide, so the column beside a run counts too.
    for (const Patch& patch : doc.Selection())
        for (const Run& run : patch)
            if (std::abs(run.col - column) <= 1 && std::min(run.row1, run.row2) <= row &&
                row <= std::max(run.row1, run.row2))
                return true;
    return false;
}
