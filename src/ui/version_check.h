#pragma once
// The rules of the update check, free of the toolkit: reading the version the
// server announces, comparing it with ours and wording the outcome.
#include <optional>
#include <string>

#include "base/common.h"

// A version as the server writes it, "major.minor", where minor is a whole
// number and not a fraction: "1.3" is major 1, minor 3 and ranks below "1.21".
struct ServerVersion {
    long major = 0;
    long minor = 0;
    // major * 100 + minor, the number versions are compared by.
    long long Number() const { return static_cast<long long>(major) * 100 + minor; }
};

// Reads the reply body. Major is the text before the first ".", minor the text
// after it; without a "." both are the whole text (so "2" reads as 2.02).
// Each part counts by its leading decimal digits after any leading blanks, so a
// trailing line break or "-beta" is ignored; a part without leading digits
// counts as 0, and absurdly long digit runs saturate instead of overflowing.
// A reply whose major part has no digits at all is not a version: nullopt.
std::optional<ServerVersion> ParseServerVersion(const std::string& reply);

// "%d.%02d": 2.0 becomes "2.00", 1.5 becomes "1.05".
std::string FormatVersion(const ServerVersion& v);

enum class UpdateOutcome {
    OlderOnServer,    // our version is newer than the published one
    Latest,           // same version
    NewerAvailable,   // the server offers a newer version
};

UpdateOutcome CompareVersion(const ServerVersion& server, int ownNumber = kVersionNumber);

// What the user is told when the check cannot complete.
inline constexpr const char* kUpdateConnectFailed =
    "Could not connect to plotsnap server to check for updates; check your internet connection and try again.";
inline constexpr const char* kUpdateRetrieveFailed =
    "Could not retrieve version information; please try again at a later time.";
// What the user is told for OlderOnServer and for Latest.
inline constexpr const char* kUpdateOlderOnServer =
    "Odd; it would appear your version is newer than the one on the website...";
inline constexpr const char* kUpdateLatest = "You have the latest version of plotsnap";

// The text of the about box in update mode: the banner, a blank line and
// "A newer version, X.YY, is available!".
std::string NewerVersionText(const ServerVersion& server, const std::string& banner = kVersionBanner);

// Where the check asks and what it reads.
inline constexpr const char* kUpdateHost = "plotsnap.example.org";
inline constexpr const char* kUpdatePath = "/wp-content/uploads/current_version.txt";
inline constexpr int kUpdateTimeoutSeconds = 10;
inline constexpr int kUpdateMaxReplyBytes = 1024;
