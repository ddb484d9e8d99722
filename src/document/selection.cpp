#include "document/selection.h"

#include <algorithm>
#include <cstdlib>

#include "detect/thinning.h"

bool HitRun(IPoint p, const Run& run, int tol) {
    const int lo = std::min(run.row1, run.row2), hi = std::max(run.row1, run.row2);
    return std::abs(p.x - run.col) < tol && lo - tol < p.y && p.y < hi + tol;
}

bool HitPatch(IPoint p, const Patch& patch, int tol) {
    return std::any_of(patch.begin(), patch.end(), [&](const Run& r) { return HitRun(p, r, tol); });
}

IRect RunsBoundingBox(const PatchList& patches, int m) {
    IRect box = kNoRect;
    bool any = false;
    for (const Patch& p : patches) {
        if (p.empty()) continue;
        const IRect b = PatchBoundingBox(p);
        if (!any) {
            box = b;
            any = true;
        } else {
            box.left = std::min(box.left, b.left);
            box.top = std::min(box.top, b.top);
            box.right = std::max(box.right, b.right);
            box.bottom = std::max(box.bottom, b.bottom);
        }
    }
    if (!any) return kNoRect;
    return {box.left - m, box.top - m, box.right + m, box.bottom + m};
}

IRect NormalizeRect(IRect r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

bool BoxMeets(const Patch& patch, const IRect& r) {
    const IRect box = PatchBoundingBox(patch);
    return box.right >= r.left && box.left <= r.right && box.bottom >= r.top && box.top <= r.bottom;
}

bool LeftBandTouches(const Patch& patch, const IRect& b) {
    return std::any_of(patch.begin(), patch.end(), [&](const Run& r) {
        const int lo = std::min(r.row1, r.row2), hi = std::max(r.row1, r.row2);
        return b.left < r.col && r.col < b.right && b.top < hi && lo < b.bottom;
    });
}

bool RightBandTouches(const Patch& patch, const IRect& b) {
    return std::any_of(patch.begin(), patch.end(), [&](const Run& r) {
        const int hi = std::max(r.row1, r.row2);
        return b.left < r.col && r.col < b.right && b.top < hi && hi < b.bottom;
    });
}

bool Contains(const PatchList& list, const Patch& patch) {
    return std::find(list.begin(), list.end(), patch) != list.end();
}

PatchList MergeSorted(const PatchList& a, const PatchList& b) {
    PatchList out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

PatchList MergeResultsKeepingPicks(PatchList newPatches, std::vector<PatchList>& slots) {
    std::sort(newPatches.begin(), newPatches.end());
    PatchList picked;
    for (const PatchList& slot : slots) picked.insert(picked.end(), slot.begin(), slot.end());
    std::sort(picked.begin(), picked.end());
    PatchList merged = MergeSorted(newPatches, picked);
    for (PatchList& slot : slots) {
        PatchList rebuilt;
        for (const Patch& p : slot)
            if (!Contains(rebuilt, p)) rebuilt.push_back(p);
        slot.swap(rebuilt);
    }
    return merged;
}
