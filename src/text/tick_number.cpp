#include "text/tick_number.h"

#include <algorithm>
#include <cmath>

#include "base/numbers.h"

namespace {

// Code points of a UTF-8 text; a malformed byte stands for itself.
std::vector<char32_t> Decode(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = i + extra < text.size() || extra == 0;
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char n = static_cast<unsigned char>(text[i + k]);
            ok = (n & 0xC0) == 0x80;
            cp = (cp << 6) | (n & 0x3F);
        }
        if (!ok) {
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

bool IsBlank(char32_t c) { return c == ' ' || c == 0xA0 || c == 0x2009 || c == 0x202F || c == 0x2008 || c == '\t' || c == '\n'; }

// One character reduced to the few the grammar knows; raised marks an exponent.
struct Sym {
    char c;
    bool raised;
};

// 0 for a character no tick number holds.
char Classify(char32_t c, bool& superscript) {
    superscript = false;
    if (c >= '0' && c <= '9') return char(c);
    switch (c) {
    case 'O': case 'o': return '0';
    case 'l': case 'I': case '|': return '1';
    case '-': case 0x2212: case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
    case 0xFE63: case 0xFF0D: return '-';
    case '+': return '+';
    case '.': return '.';
    case ',': return ',';
    case ' ': case '\'': return ' ';
    case 'e': case 'E': return 'e';
    case 0xD7: case 'x': case 'X': case '*': case 0x22C5: return 'x';
    case '^': return '^';
    case 0x2070: superscript = true; return '0';
    case 0xB9: superscript = true; return '1';
    case 0xB2: superscript = true; return '2';
    case 0xB3: superscript = true; return '3';
    case 0x207B: superscript = true; return '-';
    case 0x207A: superscript = true; return '+';
    default:
        if (c >= 0x2074 && c <= 0x2079) {
            superscript = true;
            return char('4' + (c - 0x2074));
        }
        return 0;
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole signed integer of at most three digits (a sane exponent).
std::optional<int> ParseExponent(const std::string& s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i == s.size() || s.size() - i > 3) return std::nullopt;
    int v = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i])) return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return negative ? -v : v;
}

// Digits with at most one decimal mark and thousands groups of three, separated
// by blanks, commas or points; the decimal mark is whichever separator is left
// over. Returns the plain "123.45" form.
std::optional<std::string> PlainDigits(const std::string& body) {
    if (body.empty()) return std::nullopt;
    // Split into digit groups and the separators between them.
    std::vector<std::string> groups(1);
    std::string seps;
    for (char c : body) {
        if (IsDigit(c)) groups.back() += c;
        else if (c == '.' || c == ',' || c == ' ') {
            seps += c;
            groups.emplace_back();
        } else return std::nullopt;
    }
    // A leading decimal mark (".5") leaves an empty first group.
    if (groups.size() == 2 && groups[0].empty() && (seps[0] == '.' || seps[0] == ',') && !groups[1].empty())
        return "0." + groups[1];
    for (const std::string& g : groups)
        if (g.empty()) return std::nullopt;
    if (seps.empty()) return groups[0];
    // The last separator is the decimal mark unless it too heads a group of three
    // of the same kind as the others.
    const bool allSame = seps.find_first_not_of(seps[0]) == std::string::npos;
    auto thousands = [&](size_t count) {
        if (groups[0].size() > 3) return false;
        for (size_t i = 1; i <= count; ++i)
            if (groups[i].size() != 3) return false;
        return true;
    };
    const size_t n = seps.size();
    if (allSame) {
        if (seps[0] == ' ') {
            if (!thousands(n)) return std::nullopt;
            std::string s;
            for (const std::string& g : groups) s += g;
            return s;
        }
        // "1,000" and "1.000.000" are thousands; "2.5", "0,5" and "1.0000" decimals.
        const bool grouped = thousands(n) && groups[0] != "0" && (n > 1 || seps[0] == ',');
        std::string s;
        for (size_t i = 0; i < groups.size(); ++i) {
            if (i > 0 && !grouped) {
                if (n > 1) return std::nullopt;
                s += '.';
            }
            s += groups[i];
        }
        return s;
    }
    // Mixed: every separator but the last groups thousands, the last is the decimal mark.
    if (seps.find(seps[n - 1]) != n - 1 || !thousands(n - 1)) return std::nullopt;
    std::string s;
    for (size_t i = 0; i + 1 < groups.size(); ++i) s += groups[i];
    return s + "." + groups.back();
}

}  // namespace

size_t RaisedTailLength(const std::vector<TickGlyph>& glyphs) {
    // A glyph without text is judged by its box alone, as a digit would be.
    std::vector<char> cls;
    int baseHeight = 0, baseline = 0;
    for (const TickGlyph& g : glyphs) {
        const std::vector<char32_t> cps = Decode(g.text);
        bool sup = false;
        cls.push_back(cps.empty() ? '?' : cps.size() == 1 ? Classify(cps[0], sup) : 0);
        if (IsDigit(cls.back()) || cls.back() == '?') {
            baseHeight = std::max(baseHeight, g.box.height);
            baseline = std::max(baseline, g.box.y + g.box.height);
        }
    }
    if (baseHeight <= 0) return 0;
    auto digitLike = [&](size_t k) {
        return IsDigit(cls[k]) || (cls[k] == '?' && glyphs[k].box.height >= 0.35 * baseHeight);
    };
    size_t tail = 0;
    bool digitInTail = false;
    for (size_t k = glyphs.size(); k-- > 0;) {
        const cv::Rect& b = glyphs[k].box;
        const bool high = b.y + b.height <= baseline - 0.25 * baseHeight;
        const bool small = b.height <= 0.85 * baseHeight;
        const bool ok = high && (((IsDigit(cls[k]) || cls[k] == '?') && small) || cls[k] == '-' || cls[k] == '+');
        if (!ok) break;
        digitInTail = digitInTail || digitLike(k);
        ++tail;
    }
    if (!digitInTail) return 0;
    for (size_t k = 0; k + tail < glyphs.size(); ++k)
        if (digitLike(k)) return tail;
    return 0;
}

std::optional<TickNumber> ParseTickNumber(const std::string& text, const std::vector<TickGlyph>& glyphs) {
    std::vector<char32_t> cps;
    for (char32_t c : Decode(text))
        if (!IsBlank(c) || (!cps.empty() && !IsBlank(cps.back()))) cps.push_back(IsBlank(c) ? U' ' : c);
    while (!cps.empty() && cps.back() == U' ') cps.pop_back();
    // Units an axis may carry after its numbers.
    while (!cps.empty() && (cps.back() == U'%' || cps.back() == 0xB0)) cps.pop_back();

    std::vector<Sym> syms;
    for (char32_t c : cps) {
        bool sup = false;
        const char k = Classify(c, sup);
        if (!k) return std::nullopt;
        syms.push_back({k, sup});
    }
    // Glyph boxes, one per visible character, mark a raised tail.
    size_t visible = 0;
    for (const Sym& s : syms) visible += s.c != ' ';
    if (!glyphs.empty() && glyphs.size() == visible) {
        size_t raised = RaisedTailLength(glyphs);
        for (size_t i = syms.size(); raised > 0 && i-- > 0;) {
            if (syms[i].c == ' ') continue;
            syms[i].raised = true;
            --raised;
        }
    }

    std::string base, exponent;
    bool hasExponent = false;
    for (const Sym& s : syms) {
        if (s.raised) {
            if (s.c == ' ') continue;
            exponent += s.c;
            hasExponent = true;
        } else {
            if (hasExponent) return std::nullopt;  // a raised part in the middle
            base += s.c;
        }
    }
    if (!hasExponent) {
        const size_t caret = base.find('^');
        if (caret != std::string::npos) {
            exponent = base.substr(caret + 1);
            base.erase(caret);
            hasExponent = true;
        }
    }
    // The blanks that are left only matter between digits.
    auto strip = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
        return s;
    };

    TickNumber out;
    double sign = 1;
    auto takeSign = [&](std::string& s) {
        size_t i = s.find_first_not_of(' ');
        if (i != std::string::npos && (s[i] == '-' || s[i] == '+')) {
            sign = s[i] == '-' ? -1 : 1;
            s.erase(0, i + 1);
        }
        while (!s.empty() && s[0] == ' ') s.erase(0, 1);
    };

    if (hasExponent) {
        // 10^n, m x 10^n or x 10^n alone.
        const auto n = ParseExponent(strip(exponent));
        base = strip(base);
        if (!n || base.size() < 2 || base.compare(base.size() - 2, 2, "10") != 0) return std::nullopt;
        std::string mantissa = base.substr(0, base.size() - 2);
        const double power = std::pow(10.0, *n);
        if (mantissa.empty() || mantissa == "-" || mantissa == "+") {
            out.value = (mantissa == "-" ? -1 : 1) * power;
            out.form = TickNumber::Power;
            return out;
        }
        if (mantissa.back() != 'x') return std::nullopt;
        mantissa.pop_back();
        if (mantissa.empty()) {
            out.value = power;
            out.form = TickNumber::Factor;
            return out;
        }
        takeSign(mantissa);
        const auto digits = PlainDigits(mantissa);
        const auto m = digits ? ParseWholeNumber(*digits) : std::nullopt;
        if (!m) return std::nullopt;
        out.value = sign * *m * power;
        return out;
    }

    if (base.find('x') != std::string::npos) return std::nullopt;
    takeSign(base);
    int power = 0;
    const size_t e = base.find('e');
    if (e != std::string::npos) {
        const auto n = ParseExponent(strip(base.substr(e + 1)));
        if (!n) return std::nullopt;
        power = *n;
        base.erase(e);
        while (!base.empty() && base.back() == ' ') base.pop_back();
    }
    const auto digits = PlainDigits(base);
    const auto m = digits ? ParseWholeNumber(*digits) : std::nullopt;
    if (!m) return std::nullopt;
    out.value = sign * *m * std::pow(10.0, power);
    return out;
}

std::vector<std::string> VisibleCharacters(const std::string& text) {
    std::vector<std::string> out;
    for (char32_t c : Decode(text)) {
        if (IsBlank(c)) continue;
        std::string s;
        if (c < 0x80) s += char(c);
        else if (c < 0x800) s += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        else if (c < 0x10000) s += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        else s += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        out.push_back(s);
    }
    return out;
}
