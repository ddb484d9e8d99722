// Picks found again in another picture of the same layout, by their class colour.
#include <gtest/gtest.h>

#include "document/project_picks.h"

namespace {

const cv::Vec3b kRed(230, 20, 20), kBlue(20, 20, 230), kBlack(0, 0, 0), kGreen(20, 200, 20);

// A vertical stroke at column x from row top to row top + 2.
Patch Stroke(int x, int top) { return {{top, x, top + 2}}; }

ProjectGraph Picked(std::vector<std::pair<IPoint, cv::Vec3b>> picks) {
    ProjectGraph g;
    for (const auto& [seed, colour] : picks) g.picks.push_back({seed, colour, Stroke(seed.x, seed.y)});
    return g;
}

TEST(CarryPicks, EachPatchJoinsTheGraphThatPickedItsClass) {
    // The new picture: red at 10 and 50, blue at 30, black at 5 and 90, a dark red class at 70.
    const PatchList patches = {Stroke(5, 0), Stroke(10, 40), Stroke(30, 8), Stroke(50, 44), Stroke(70, 1), Stroke(90, 3)};
    const std::vector<cv::Vec3b> colours = {kBlack, kRed, kBlue, kRed, cv::Vec3b(120, 10, 10), kBlack};
    struct Case {
        const char* name;
        std::vector<ProjectGraph> graphs;
        std::vector<PatchList> expected;
    };
    const std::vector<Case> cases = {
        {"moved curve found by colour", {Picked({{{12, 2}, kRed}})}, {{Stroke(10, 40), Stroke(50, 44)}}},
        {"two graphs, two colours",
         {Picked({{{12, 2}, kBlue}}), Picked({{{0, 0}, kRed}})},
         {{Stroke(30, 8)}, {Stroke(10, 40), Stroke(50, 44)}}},
        {"a near shade is the same ink", {Picked({{{0, 0}, cv::Vec3b(210, 40, 35)}})}, {{Stroke(10, 40), Stroke(50, 44)}}},
        {"an absent colour takes nothing", {Picked({{{0, 0}, kGreen}})}, {{}}},
        {"one class in two graphs goes by the nearest seed",
         {Picked({{{0, 10}, kBlack}}), Picked({{{95, 0}, kBlack}})},
         {{Stroke(5, 0)}, {Stroke(90, 3)}}},
        {"a graph without picks stays empty", {ProjectGraph{}, Picked({{{0, 0}, kBlue}})}, {{}, {Stroke(30, 8)}}},
        {"no graphs gives one empty slot", {}, {{}}},
    };
    for (const Case& c : cases) EXPECT_EQ(CarryPicks(c.graphs, patches, colours), c.expected) << c.name;
    EXPECT_THROW(CarryPicks({}, patches, {kRed}), std::invalid_argument);
}

TEST(CarryPicks, SlotsSurviveTheirPicksExactly) {
    const std::vector<PatchList> slots = {{Stroke(1, 2), {{4, 7, 3}, {9, 8, 9}}}, {}, {Stroke(3, 3)}};
    const auto graphs = PicksFromSlots(slots, {kRed, kBlue, kBlack});
    EXPECT_EQ(SlotsFromPicks(graphs), slots);
    EXPECT_EQ(graphs[0].picks[1].seed, (IPoint{7, 4}));
    EXPECT_EQ(graphs[2].picks[0].colour, kBlack);
    EXPECT_THROW(PicksFromSlots(slots, {kRed}), std::invalid_argument);
}

}  // namespace
