#include "document/project_picks.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

double ColourDistance(const cv::Vec3b& a, const cv::Vec3b& b) {
    return cv::norm(cv::Vec3d(a) - cv::Vec3d(b));
}

// Squared distance from a pixel to the nearest pixel of the patch.
long long SeedDistance(IPoint p, const Patch& patch) {
    long long best = std::numeric_limits<long long>::max();
    for (const Run& r : patch) {
        const long long dx = p.x - r.col;
        const int lo = std::min(r.row1, r.row2), hi = std::max(r.row1, r.row2);
        const long long dy = p.y < lo ? lo - p.y : p.y > hi ? p.y - hi : 0;
        best = std::min(best, dx * dx + dy * dy);
    }
    return best;
}

bool Less(const cv::Vec3b& a, const cv::Vec3b& b) {
    return std::lexicographical_compare(a.val, a.val + 3, b.val, b.val + 3);
}

}  // namespace

IPoint PatchSeed(const Patch& patch) {
    return patch.empty() ? kNoPoint : IPoint{patch.front().col, patch.front().row1};
}

std::vector<ProjectGraph> PicksFromSlots(const std::vector<PatchList>& slots, const std::vector<cv::Vec3b>& colours) {
    std::vector<ProjectGraph> graphs(slots.size());
    size_t next = 0;
    for (size_t g = 0; g < slots.size(); ++g)
        for (const Patch& patch : slots[g]) {
            if (next >= colours.size()) throw std::invalid_argument("PicksFromSlots: a colour for every picked patch");
            graphs[g].picks.push_back({PatchSeed(patch), colours[next++], patch});
        }
    if (graphs.empty()) graphs.resize(1);
    return graphs;
}

std::vector<PatchList> SlotsFromPicks(const std::vector<ProjectGraph>& graphs) {
    std::vector<PatchList> slots(graphs.size());
    for (size_t g = 0; g < graphs.size(); ++g)
        for (const ProjectPick& pick : graphs[g].picks) slots[g].push_back(pick.runs);
    return slots;
}

std::vector<PatchList> CarryPicks(const std::vector<ProjectGraph>& graphs, const PatchList& patches,
                                  const std::vector<cv::Vec3b>& colours) {
    if (colours.size() != patches.size()) throw std::invalid_argument("CarryPicks: one colour per patch");
    std::vector<cv::Vec3b> classes(colours);
    std::sort(classes.begin(), classes.end(), Less);
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());

    // For each class of the new picture, the picks (graph, seed) that chose it.
    struct Claim {
        size_t graph;
        IPoint seed;
    };
    std::vector<std::vector<Claim>> claims(classes.size());
    for (size_t g = 0; g < graphs.size(); ++g)
        for (const ProjectPick& pick : graphs[g].picks) {
            size_t best = classes.size();
            double bestDistance = kCarryColourDistance;
            for (size_t c = 0; c < classes.size(); ++c) {
                const double d = ColourDistance(pick.colour, classes[c]);
                if (d <= bestDistance) best = c, bestDistance = d;
            }
            if (best < classes.size()) claims[best].push_back({g, pick.seed});
        }

    std::vector<PatchList> slots(std::max<size_t>(graphs.size(), 1));
    for (size_t i = 0; i < patches.size(); ++i) {
        const size_t c = std::lower_bound(classes.begin(), classes.end(), colours[i], Less) - classes.begin();
        const std::vector<Claim>& claim = claims[c];
        if (claim.empty()) continue;
        const bool shared = std::any_of(claim.begin(), claim.end(), [&](const Claim& k) { return k.graph != claim[0].graph; });
        size_t graph = claim[0].graph;
        if (shared) {
            long long nearest = std::numeric_limits<long long>::max();
            for (const Claim& k : claim)
                if (const long long d = SeedDistance(k.seed, patches[i]); d < nearest) nearest = d, graph = k.graph;
        }
        slots[graph].push_back(patches[i]);
    }
    return slots;
}
