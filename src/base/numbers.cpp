#include "base/numbers.h"

#include <cctype>
#include <clocale>
#include <cstdio>
#include <locale>
#include <sstream>

std::string WithAsciiMinus(const std::string& text) {
    // UTF-8 of the figure dash, en dash, em dash (U+2012..2014) and minus sign (U+2212):
    // OCR and typography give these where a number has its minus.
    static const char* const kDashes[] = {"\xe2\x80\x92", "\xe2\x80\x93", "\xe2\x80\x94", "\xe2\x88\x92"};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool dash = false;
        for (const char* d : kDashes)
            if (text.compare(i, 3, d) == 0) dash = true;
        out += dash ? '-' : text[i];
        i += dash ? 3 : 1;
    }
    return out;
}

namespace {
// A stream bound to the classic locale reads "2.5e3" the same under any user locale.
std::optional<double> Extract(const std::string& text, bool whole) {
    std::istringstream in(WithAsciiMinus(text));
    in.imbue(std::locale::classic());
    double v = 0;
    if (!(in >> v)) return std::nullopt;
    if (whole) {
        in >> std::ws;
        if (!in.eof()) return std::nullopt;
    }
    return v;
}
}  // namespace

std::optional<double> ParseLeadingNumber(const std::string& text) { return Extract(text, false); }
std::optional<double> ParseWholeNumber(const std::string& text) { return Extract(text, true); }

std::string FormatDouble(const char* format, double value) {
    // snprintf follows LC_NUMERIC; format in "C" through a stream-free route:
    // print, then swap a locale decimal point back to '.'.
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    const char* dp = std::localeconv()->decimal_point;
    std::string s(buf);
    if (dp && dp[0] && !(dp[0] == '.' && dp[1] == 0)) {
        const std::string sep(dp);
        for (size_t pos = s.find(sep); pos != std::string::npos; pos = s.find(sep, pos + 1))
            s.replace(pos, sep.size(), ".");
    }
    return s;
}
