#include "ui/version_check.h"

#include <cctype>
#include <cstdio>

namespace {
// Larger parts are no real version; saturating keeps major * 100 + minor in range.
constexpr long kPartLimit = 1000000;

// Leading decimal digits after blanks; nullopt when there are none.
std::optional<long> LeadingDigits(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kPartLimit) value = kPartLimit;
    }
    return value;
}
}  // namespace

std::optional<ServerVersion> ParseServerVersion(const std::string& reply) {
    const size_t dot = reply.find('.');
    const std::string majorText = dot == std::string::npos ? reply : reply.substr(0, dot);
    const std::string minorText = dot == std::string::npos ? reply : reply.substr(dot + 1);
    const std::optional<long> major = LeadingDigits(majorText);
    if (!major) return std::nullopt;
    ServerVersion v;
    v.major = *major;
    v.minor = LeadingDigits(minorText).value_or(0);
    return v;
}

std::string FormatVersion(const ServerVersion& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%ld.%02ld", v.major, v.minor);
    return buf;
}

UpdateOutcome CompareVersion(const ServerVersion& server, int ownNumber) {
    const long long n = server.Number();
    if (n < ownNumber) return UpdateOutcome::OlderOnServer;
    if (n == ownNumber) return UpdateOutcome::Latest;
    return UpdateOutcome::NewerAvailable;
}

std::string NewerVersionText(const ServerVersion& server, const std::string& banner) {
    return banner + "\n\nA newer version, " + FormatVersion(server) + ", is available!";
}
