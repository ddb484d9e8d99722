#pragma once
// Number reading and writing that ignores the user's locale: exported text and
// typed values always use "." as the decimal separator.
#include <optional>
#include <string>

// The text with every dash that stands for a minus (figure, en and em dash, the minus
// sign) written as "-". Both readers below apply it: "—80" reads as -80.
std::string WithAsciiMinus(const std::string& text);
// Reads a double from the start of text (leading blanks skipped); the rest is ignored.
std::optional<double> ParseLeadingNumber(const std::string& text);
// Reads a double that must fill the whole text (surrounding blanks allowed).
std::optional<double> ParseWholeNumber(const std::string& text);
// printf-style formatting in the "C" locale, e.g. FormatC("%g", 0.5) == "0.5".
std::string FormatDouble(const char* format, double value);
