// Rules the window only calls: what a press does with Shift and Control held, and when a
// typed grid width is applied.
#include <gtest/gtest.h>

#include <tuple>

#include "document/interaction.h"
#include "ui/settle_wait.h"

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

TEST(WindowRules, ATypedGridWidthIsAppliedOnceTheTypingSettles) {
    // Two quick keystrokes, checks as a timer would make them, then one more keystroke.
    const std::tuple<long, bool, bool> steps[] = {  // time, an edit (else a check), the pass due
        {0, false, false},   {1000, true, false},  {1020, true, false},  {1100, false, false},
        {1419, false, false}, {1420, false, true}, {1500, false, false}, {2000, true, false},
        {2399, false, false}, {2400, false, true}, {9000, false, false},
    };
    SettleWait wait(400);
    for (const auto& [t, edit, due] : steps) {
        if (edit) wait.Edit(t);
        else EXPECT_EQ(wait.Due(t), due) << t;
    }
    EXPECT_EQ(wait.Left(9000), 0);  // nothing waits
    wait.Edit(10000);
    EXPECT_EQ(wait.Left(10390), 10);
    EXPECT_EQ(wait.Left(10500), 1);
}
