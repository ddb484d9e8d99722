// What follows the mouse besides the status bar: the highlight of an unselected
// patch under the cursor and the value markers near a selected curve.
#include "canvas/ScrolledImageComponent.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <cstdlib>

#include "app/CurvetapApp.h"
#include "base/numbers.h"
#include "document/selection.h"
#include "output/mapping.h"

bool ScrolledImageComponent::UpdateHover(IPoint p) {
    PatchList now;
    if (p != kNoPoint)
        for (const Patch& patch : patches)
            if (!Contains(working, patch) && !Contains(now, patch) && HitPatch(p, patch, hitTolerance))
                now.push_back(patch);
    const int m = int(1 / zoom + 2);
    if (now.empty()) {
        if (hovered.empty()) return false;
        RefreshImageBox(RunsBoundingBox(hovered, m));
        hovered.clear();
        return true;
    }
    PatchList kept, removed, added;
    for (const Patch& patch : hovered) (Contains(now, patch) ? kept : removed).push_back(patch);
    for (const Patch& patch : now)
        if (!Contains(hovered, patch)) added.push_back(patch);
    hovered = kept;
    hovered.insert(hovered.end(), added.begin(), added.end());
    if (!removed.empty()) {
        RefreshImageBox(RunsBoundingBox(removed, m));
        RefreshImageBox(RunsBoundingBox(hovered, m));
    }
    // New highlights appear at the next paint of their box.
    if (!added.empty()) RefreshImageBox(RunsBoundingBox(added, m));
    return true;
}

bool ScrolledImageComponent::AxisValues(int column, int row, const char* format, std::string& vx,
                                        std::string& vy) const {
    double xv1, xv2, yv1, yv2;
    int xp1, xp2, yp1, yp2;
    GetAxisCalibration(xv1, xp1, xv2, xp2, yv1, yp1, yv2, yp2);
    const int bits = CheckCalibration(xv1, xp1, xv2, xp2, yv1, yp1, yv2, yp2);
    const bool xUsable = !(bits & (CAL_X_UNSET | CAL_X_TOO_SMALL));
    const bool yUsable = !(bits & (CAL_Y_UNSET | CAL_Y_TOO_SMALL));
    // Values are shown rounded to single precision.
    vx = xUsable ? FormatDouble(format, float(PixelToValueX(column, xv1, xp1, xv2, xp2, calib.xLog))) : "?";
    vy = yUsable ? FormatDouble(format, float(PixelToValueY(row, yv1, yp1, yv2, yp2, calib.yLog, 0))) : "?";
    return xUsable || yUsable;
}

std::string ScrolledImageComponent::FormatPointValue(int column, int row) const {
    std::string vx, vy;
    if (!AxisValues(column, row, "%.5g", vx, vy)) return "(" + std::to_string(column) + ", " + std::to_string(row) + ")";
    return vx + ", " + vy;
}

bool ScrolledImageComponent::UpdateValueMarkers(IPoint p) {
    if (zoom < 1) return false;
    int near = 0;
    if (p != kNoPoint)
        for (const Patch& patch : patches)
            for (const Run& run : patch)
                if (HitRun(p, run, 8) && Contains(working, patch)) ++near;
    auto removeAll = [this] {
        const bool had = !valueMarkers.empty();
        while (!valueMarkers.empty()) {
            RefreshMarker(valueMarkers.back());
            valueMarkers.pop_back();
        }
        return had;
    };
    if (near == 0) {
        removeAll();
        return false;
    }
    std::vector<ValueMarker> now;
    for (const ColumnMap& columns : thinned) {
        const auto it = columns.find(p.x);
        if (it == columns.end()) continue;
        for (int r : it->second) {
            if (std::abs(r - p.y) >= 9) continue;
            ValueMarker marker{FormatPointValue(p.x, r), r, p.x};
            if (std::find(now.begin(), now.end(), marker) == now.end()) now.push_back(marker);
        }
    }
    if (now.empty()) return removeAll();
    for (const ValueMarker& old : valueMarkers)
        if (std::find(now.begin(), now.end(), old) == now.end()) RefreshMarker(old);
    valueMarkers = now;
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
    if (ChooseMarkerFont(dc)) dc.GetTextExtent(Wide(marker.text), &tw, &th);
    const int m = int(4 / zoom);
    RefreshImageBox({marker.col - 5, marker.row - 5, marker.col + 6, marker.row + 6});
    const int left = std::max(0, marker.col - 5 - m - tw - 1), top = std::max(0, marker.row - 5 - m - th - 1);
    RefreshImageBox({left, top, left + tw + 2, top + th + 2});
}

bool ScrolledImageComponent::OnSelectedRun(int column, int row) const {
    // The selected runs are drawn two pixels wide, so the column beside a run counts too.
    for (const Patch& patch : working)
        for (const Run& run : patch)
            if (std::abs(run.col - column) <= 1 && std::min(run.row1, run.row2) <= row &&
                row <= std::max(run.row1, run.row2))
                return true;
    return false;
}
