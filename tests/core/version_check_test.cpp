// Reading the server's version reply and deciding what the user is told.
#include <gtest/gtest.h>

#include "ui/version_check.h"

namespace {
ServerVersion Parsed(const std::string& reply) {
    const std::optional<ServerVersion> v = ParseServerVersion(reply);
    EXPECT_TRUE(v.has_value()) << "reply: " << reply;
    return v.value_or(ServerVersion{});
}
}  // namespace

TEST(VersionCheck, MinorIsAWholeNumberNotAFraction) {
    EXPECT_EQ(Parsed("1.21").Number(), 121);
    EXPECT_EQ(CompareVersion(Parsed("1.21")), UpdateOutcome::Latest);

    // 1.5 is minor 5, below 1.21, although 1.5 > 1.21 as a fraction.
    EXPECT_EQ(Parsed("1.5").Number(), 105);
    EXPECT_EQ(CompareVersion(Parsed("1.5")), UpdateOutcome::OlderOnServer);
    EXPECT_EQ(CompareVersion(Parsed("1.20")), UpdateOutcome::OlderOnServer);
    EXPECT_EQ(CompareVersion(Parsed("0.99")), UpdateOutcome::OlderOnServer);

    EXPECT_EQ(CompareVersion(Parsed("1.22")), UpdateOutcome::NewerAvailable);
    EXPECT_EQ(CompareVersion(Parsed("1.100")), UpdateOutcome::NewerAvailable);
}

TEST(VersionCheck, NewerVersionIsAnnouncedAfterTheBanner) {
    const std::string text = NewerVersionText(Parsed("1.22"));
    EXPECT_EQ(text, std::string(kVersionBanner) + "\n\nA newer version, 1.22, is available!");
}

TEST(VersionCheck, MinorIsPrintedWithTwoDigits) {
    const ServerVersion two = Parsed("2.0");
    EXPECT_EQ(two.Number(), 200);
    EXPECT_EQ(FormatVersion(two), "2.00");
    EXPECT_EQ(FormatVersion(Parsed("1.5")), "1.05");
    EXPECT_EQ(FormatVersion(Parsed("3.123")), "3.123");
}

TEST(VersionCheck, WithoutADotTheWholeTextIsBothParts) {
    const ServerVersion v = Parsed("2");
    EXPECT_EQ(v.major, 2);
    EXPECT_EQ(v.minor, 2);
    EXPECT_EQ(v.Number(), 202);
    EXPECT_EQ(FormatVersion(v), "2.02");
    EXPECT_EQ(CompareVersion(v), UpdateOutcome::NewerAvailable);
}

TEST(VersionCheck, PartsCountByTheirLeadingDigits) {
    // Servers commonly end the file with a line break.
    EXPECT_EQ(Parsed("1.22\n").Number(), 122);
    EXPECT_EQ(Parsed("1.22\r\n").Number(), 122);
    EXPECT_EQ(Parsed("1.21\n").Number(), 121);
    EXPECT_EQ(Parsed("1.30-beta").Number(), 130);
    // Only the first dot splits.
    EXPECT_EQ(Parsed("1.2.3").Number(), 102);
    // A minor part with no digits counts as 0.
    EXPECT_EQ(Parsed("2.\n").Number(), 200);
    EXPECT_EQ(Parsed(" 1.22").Number(), 122);
}

TEST(VersionCheck, TextThatIsNoVersionIsRefused) {
    EXPECT_FALSE(ParseServerVersion("").has_value());
    EXPECT_FALSE(ParseServerVersion("\n").has_value());
    EXPECT_FALSE(ParseServerVersion("<html><body>Not here</body></html>").has_value());
    EXPECT_FALSE(ParseServerVersion(".21").has_value());
}

TEST(VersionCheck, HugeNumbersSaturateInsteadOfOverflowing) {
    const ServerVersion v = Parsed("99999999999999999999999.99999999999999999999");
    EXPECT_GT(v.major, 0);
    EXPECT_GT(v.minor, 0);
    EXPECT_GT(v.Number(), 0);
    EXPECT_EQ(CompareVersion(v), UpdateOutcome::NewerAvailable);
}
