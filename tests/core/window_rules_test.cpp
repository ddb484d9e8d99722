// Rules the window only calls: what a press does with Shift and Control held.
#include <gtest/gtest.h>

#include <tuple>

#include "document/interaction.h"

TEST(WindowRules, ShiftReachesTheWholeClassPick) {
    using P = PressKind;
    const std::tuple<bool, bool, bool, PressKind> cases[] = {  // right button, Shift, Control, what it does
        {false, false, false, P::Plain}, {false, false, true, P::Plain}, {false, true, false, P::ClassPick},
        {false, true, true, P::Plain},   {true, false, false, P::Plain}, {true, false, true, P::Plain},
        {true, true, false, P::ClassUnpick}, {true, true, true, P::ClassUnpick},
    };
    for (const auto& [right, shift, control, kind] : cases)
        EXPECT_EQ(KindOfPress(right, shift, control), kind) << right << shift << control;
}
