#include "text/label.h"

#include "base/numbers.h"

std::optional<double> ParseLabelNumber(const std::string& text) { return ParseLeadingNumber(text); }
