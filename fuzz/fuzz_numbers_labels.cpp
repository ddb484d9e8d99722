// Typed numbers and label texts: the number readers agree with the label rule, and
// kind clicks always leave a valid set of kinds.
#include <cmath>

#include "base/numbers.h"
#include "text/label_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto leading = ParseLeadingNumber(text);
    if (leading.has_value() != IsNumericLabelText(text)) __builtin_trap();
    if (const auto whole = ParseWholeNumber(text))
        if (!leading || (*whole != *leading && !(std::isnan(*whole) && std::isnan(*leading)))) __builtin_trap();
    if (leading) FormatDouble("%g", *leading);
    // A label holds at least one of the eight kinds; a click keeps it so.
    const int kinds = ApplyKindClick(data[0], 1 << (data[1] % 8), data[1] & 0x80);
    if (data[0] != 0 && (kinds == 0 || (kinds & ~0xFF))) __builtin_trap();
    return 0;
}
