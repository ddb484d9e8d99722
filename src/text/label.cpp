#include "text/label.h"

#include "app/numbers.h"

std::optional<double> ParseLabelNumber(const std::string& text) { return ParseLeadingNumber(text); }
