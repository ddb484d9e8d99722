// Reading the server's version reply and deciding what the user is told.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/version_check.h"

namespace {
ServerVersion Parsed(const std::string& reply) {
    const std::optional<ServerVersion> v = ParseServerVersion(reply);
    EXPECT_TRUE(v.has_value()) << "reply: " << reply;
    return v.value_or(ServerVersion{});
}
}  // namespace

TEST(VersionCheck, RepliesTable) {
    using U = UpdateOutcome;
    const std::tuple<const char*, int, const char*, UpdateOutcome> cases[] = {  // reply, number, shown, outcome
        {"1.21", 121, "1.21", U::Latest},
        // The minor part is a whole number: 1.5 is minor 5, below 1.21, though 1.5 > 1.21 as a fraction.
        {"1.5", 105, "1.05", U::OlderOnServer},
        {"1.20", 120, "1.20", U::OlderOnServer},
        {"1.22", 122, "1.22", U::NewerAvailable},
        {"1.100", 200, "1.100", U::NewerAvailable},
        {"3.123", 423, "3.123", U::NewerAvailable},
        {"2", 202, "2.02", U::NewerAvailable},  // without a dot the whole text is both parts
        // Parts count by their leading digits; servers commonly end the file with a line break.
        {"1.22\r\n", 122, "1.22", U::NewerAvailable},
        {"1.30-beta", 130, "1.30", U::NewerAvailable},
        {"1.2.3", 102, "1.02", U::OlderOnServer},  // only the first dot splits
        {"2.\n", 200, "2.00", U::NewerAvailable},  // a minor part without digits is 0
        {" 1.22", 122, "1.22", U::NewerAvailable},
    };
    for (const auto& [reply, number, shown, outcome] : cases) {
        const ServerVersion v = Parsed(reply);
        EXPECT_EQ(std::make_tuple(v.Number(), FormatVersion(v), CompareVersion(v)),
                  std::make_tuple(number, std::string(shown), outcome)) << reply;
    }
    EXPECT_EQ(NewerVersionText(Parsed("1.22")),
              std::string(kVersionBanner) + "\n\nA newer version, 1.22, is available!");
    for (const char* reply : {"", "\n", "<html><body>Not here</body></html>", ".21"})
        EXPECT_FALSE(ParseServerVersion(reply).has_value()) << reply;
    // Huge numbers saturate instead of overflowing.
    const ServerVersion huge = Parsed("99999999999999999999999.99999999999999999999");
    EXPECT_TRUE(huge.major > 0 && huge.minor > 0 && huge.Number() > 0);
    EXPECT_EQ(CompareVersion(huge), UpdateOutcome::NewerAvailable);
}
