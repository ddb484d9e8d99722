#include "text/label_rules.h"

#include "base/numbers.h"
#include "text/label.h"

namespace {
constexpr int kXValues = LABEL_XMIN | LABEL_XMAX;
constexpr int kYValues = LABEL_YMIN | LABEL_YMAX;
constexpr int kAllKinds = LABEL_TEXT | LABEL_TITLE | LABEL_AXIS_VALUES | LABEL_XLEGEND | LABEL_YLEGEND;

int BitCount(int bits) {
    int n = 0;
    for (; bits; bits &= bits - 1) ++n;
    return n;
}
}  // namespace

int ApplyKindClick(int currentKinds, int clickedBit, bool clickedState) {
    const int k = clickedBit & kAllKinds;
    if (BitCount(k) != 1) return currentKinds & kAllKinds;  // not a single known kind: nothing to apply
    const int others = currentKinds & kAllKinds & ~k;
    const int withK = clickedState ? k : 0;

    // A label always keeps at least one kind.
    if (others == 0) return k;
    // The exclusive kinds stand alone.
    if (!(k & LABEL_AXIS_VALUES)) return k;

    const int ownAxis = (k & kXValues) ? kXValues : kYValues;
    const int otherAxis = ownAxis ^ LABEL_AXIS_VALUES;
    // Only values of the other axis are ticked: both can stay (a "0" at the plot's corner).
    if ((others & ~otherAxis) == 0) return others | withK;
    // One value per axis is ticked: K replaces its partner on its own axis.
    if (BitCount(others) == 2 && (others & ownAxis) != others && (others & otherAxis) != others)
        return (others & ~ownAxis) | withK;

    // Otherwise the lowest other kind gives way.
    const int result = (others & ~(others & -others)) | withK;
    // Only reachable from kinds that already broke the rules; never leave a label kindless.
    return result ? result : k;
}

bool IsNumericLabelText(const std::string& text) { return ParseLeadingNumber(text).has_value(); }
