#include <gtest/gtest.h>

#include "text/label.h"
#include "text/label_rules.h"

namespace {
constexpr int T = LABEL_TEXT, TI = LABEL_TITLE, XN = LABEL_XMIN, XX = LABEL_XMAX, YN = LABEL_YMIN,
              YX = LABEL_YMAX, XL = LABEL_XLEGEND, YL = LABEL_YLEGEND;

// A real click flips the box, so the new state is the opposite of the old one.
int Click(int kinds, int bit) { return ApplyKindClick(kinds, bit, !(kinds & bit)); }

// Every state the rules allow: one exclusive kind, or at most one value per axis.
bool Allowed(int kinds) {
    const int x = kinds & (XN | XX), y = kinds & (YN | YX), exclusive = kinds & (T | TI | XL | YL);
    if (exclusive) return kinds == exclusive && (exclusive & (exclusive - 1)) == 0;
    return kinds != 0 && x != (XN | XX) && y != (YN | YX);
}
}  // namespace

TEST(LabelKindRules, OnlyTickedBoxStaysTicked) {
    for (const auto& kind : kLabelKinds) {
        EXPECT_EQ(ApplyKindClick(kind.bit, kind.bit, false), kind.bit) << kind.name;
        EXPECT_EQ(ApplyKindClick(0, kind.bit, true), kind.bit) << kind.name;
    }
}

TEST(LabelKindRules, ClickTable) {
    const struct {
        int before, clicked, after;
    } cases[] = {
        // An exclusive kind clears everything else.
        {XN | YN, TI, TI}, {XX | YX, T, T}, {T, XL, XL}, {XL, YL, YL},
        // Values of different axes live together; unticking one leaves the other.
        {YN, XN, XN | YN}, {XX, YX, XX | YX}, {XN | YN, XN, YN}, {XN | YX, YX, XN},
        // With one value per axis, a new value ousts its own axis's partner.
        {XN | YN, XX, XX | YN}, {XN | YN, YX, XN | YX}, {XX | YX, XN, XN | YX}, {XX | YX, YN, XX | YN},
        // Otherwise the lowest other kind gives way.
        {XN, XX, XX}, {YX, YN, YN}, {T, XN, XN}, {TI, YX, YX}, {YL, XX, XX},
    };
    for (const auto& c : cases) EXPECT_EQ(Click(c.before, c.clicked), c.after) << c.before << " clicking " << c.clicked;
}

TEST(LabelKindRules, EveryClickFromAnAllowedStateGivesAnAllowedState) {
    int checked = 0;
    for (int kinds = 1; kinds < 256; ++kinds) {
        if (!Allowed(kinds)) continue;
        for (const auto& kind : kLabelKinds) {
            const int after = Click(kinds, kind.bit);
            EXPECT_TRUE(Allowed(after)) << kinds << " clicking " << kind.name << " gave " << after;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 8 * (4 + 8));  // 4 exclusive + 8 axis-value combinations
}

TEST(LabelKindRules, NeverLeavesALabelWithoutKind) {
    // Only kinds that were already broken could reach this: Text beside Xmin, Xmin unticked.
    EXPECT_NE(ApplyKindClick(T | XN, XN, false), 0);
    EXPECT_EQ(ApplyKindClick(0, 0, true), 0);
    EXPECT_EQ(ApplyKindClick(XN | 256, 256, true), XN);  // not a kind: ignored
}

TEST(LabelNumberTest, NumberMustStandAtTheStart) {
    for (const char* text : {"1e3", "12 mm", " 0.5", "-3", ".25"}) EXPECT_TRUE(IsNumericLabelText(text)) << text;
    for (const char* text : {"abc", "", "   ", "mm 12", "-"}) EXPECT_FALSE(IsNumericLabelText(text)) << text;
}
