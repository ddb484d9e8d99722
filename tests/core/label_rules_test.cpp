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

TEST(LabelKindRules, ExclusiveKindClearsEverythingElse) {
    EXPECT_EQ(Click(XN | YN, TI), TI);
    EXPECT_EQ(Click(XX | YX, T), T);
    EXPECT_EQ(Click(T, XL), XL);
    EXPECT_EQ(Click(XL, YL), YL);
    EXPECT_EQ(Click(YN, TI), TI);
}

TEST(LabelKindRules, ValuesOfDifferentAxesLiveTogether) {
    // Rule 3: the other ticked kinds all belong to the other axis.
    EXPECT_EQ(Click(YN, XN), XN | YN);
    EXPECT_EQ(Click(XX, YX), XX | YX);
    // Unticking one of a pair leaves the other axis' value.
    EXPECT_EQ(Click(XN | YN, XN), YN);
    EXPECT_EQ(Click(XN | YX, YX), XN);
}

TEST(LabelKindRules, ValueReplacesItsPartnerOnTheSameAxis) {
    // Rule 4: with one value per axis ticked, the new one ousts its own axis' partner.
    EXPECT_EQ(Click(XN | YN, XX), XX | YN);
    EXPECT_EQ(Click(XN | YN, YX), XN | YX);
    EXPECT_EQ(Click(XX | YX, XN), XN | YX);
    EXPECT_EQ(Click(XX | YX, YN), XX | YN);
}

TEST(LabelKindRules, OtherwiseTheLowestOtherKindGivesWay) {
    // Rule 5.
    EXPECT_EQ(Click(XN, XX), XX);
    EXPECT_EQ(Click(YX, YN), YN);
    EXPECT_EQ(Click(T, XN), XN);
    EXPECT_EQ(Click(TI, YX), YX);
    EXPECT_EQ(Click(YL, XX), XX);
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
    EXPECT_TRUE(IsNumericLabelText("1e3"));
    EXPECT_TRUE(IsNumericLabelText("12 mm"));
    EXPECT_TRUE(IsNumericLabelText(" 0.5"));
    EXPECT_TRUE(IsNumericLabelText("-3"));
    EXPECT_TRUE(IsNumericLabelText(".25"));
    EXPECT_FALSE(IsNumericLabelText("abc"));
    EXPECT_FALSE(IsNumericLabelText(""));
    EXPECT_FALSE(IsNumericLabelText("   "));
    EXPECT_FALSE(IsNumericLabelText("mm 12"));
    EXPECT_FALSE(IsNumericLabelText("-"));
}
