#include "mail/MailDates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>

namespace {

using namespace std::chrono;
using ruzo::IsNumericHost;
using ruzo::MailDateText;
using ruzo::NewBoundary;
using ruzo::ZoneText;

local_seconds At(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return local_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s};
}

struct ZoneRow {
    const char* name;
    int minutes;
    const char* text;
};

void PrintTo(const ZoneRow& row, std::ostream* os) { *os << row.name; }

class ZoneTextTest : public testing::TestWithParam<ZoneRow> {};

TEST_P(ZoneTextTest, WritesSignHoursMinutes) {
    EXPECT_EQ(ZoneText(GetParam().minutes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Offsets, ZoneTextTest,
                         testing::Values(ZoneRow{"West5h", -300, "-0500"},
                                         ZoneRow{"East5h30", 330, "+0530"},
                                         ZoneRow{"West3h30", -210, "-0330"},
                                         ZoneRow{"East9h", 540, "+0900"},
                                         ZoneRow{"East45min", 45, "+0045"},
                                         ZoneRow{"ZeroIsGmtNotPlusZero", 0, "GMT"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MailDateText, WritesLocalTimeAsPassedWithZoneText) {
    EXPECT_EQ(MailDateText(At(2026, 12, 9, 16, 22, 22), 540), "Wed, 09 Dec 2026 16:22:22 +0900");
    EXPECT_EQ(MailDateText(At(2026, 12, 9, 16, 22, 22), 0), "Wed, 09 Dec 2026 16:22:22 GMT");
}

TEST(MailDateText, SundayInDecemberWithLeadingZeros) {
    EXPECT_EQ(MailDateText(At(2024, 12, 1, 9, 5, 7), -300), "Sun, 01 Dec 2024 09:05:07 -0500");
    EXPECT_EQ(MailDateText(At(2025, 1, 4, 0, 0, 0), 0), "Sat, 04 Jan 2025 00:00:00 GMT");
    EXPECT_EQ(MailDateText(At(2000, 2, 29, 23, 59, 59), 60), "Tue, 29 Feb 2000 23:59:59 +0100");
}

// Runs the body with TZ set to `zone`, restoring the previous setting afterwards.
class WithZone {
public:
    explicit WithZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~WithZone() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

TEST(LocalZoneMinutes, FollowsTheCLibraryZoneWithItsSign) {
    {
        WithZone zone("<+0530>-5:30");
        EXPECT_EQ(ruzo::LocalZoneMinutes(), 330);
        EXPECT_DOUBLE_EQ(ruzo::LocalZoneOffset(), 330 / 1440.0);
    }
    {
        WithZone zone("NST3:30");
        EXPECT_EQ(ruzo::LocalZoneMinutes(), -210);
    }
    {
        WithZone zone("UTC0");
        EXPECT_EQ(ruzo::LocalZoneMinutes(), 0);
        EXPECT_EQ(MailDateText(At(2026, 12, 9, 16, 22, 22)), "Wed, 09 Dec 2026 16:22:22 GMT");
    }
}

TEST(LocalZoneMinutes, IncludesTheDaylightBiasInForceNow) {
    // Daylight time all year round: five hours west, one hour of daylight saving.
    WithZone zone("EST5EDT,0/0,J365/25");
    EXPECT_EQ(ruzo::LocalZoneMinutes(), -240);
    // The bias of the moment of the call, whatever date is formatted.
    EXPECT_EQ(MailDateText(At(2026, 1, 15, 12, 0, 0)), "Thu, 15 Jan 2026 12:00:00 -0400");
}

TEST(LocalNow, AgreesWithTheCLibraryClock) {
    WithZone zone("JST-9");
    auto before = floor<seconds>(system_clock::now());
    auto local = ruzo::LocalNow();
    auto after = floor<seconds>(system_clock::now());
    auto utc = local - hours{9};
    // One second of slack: the C library's clock may be a coarse one.
    EXPECT_GE(utc.time_since_epoch(), before.time_since_epoch() - seconds{1});
    EXPECT_LE(utc.time_since_epoch(), after.time_since_epoch());
}

TEST(NewBoundary, EightUpperCaseDigitsWithLeadingZeros) {
    EXPECT_EQ(NewBoundary(0x0A3F09C2u), "boundary0A3F09C2");
    EXPECT_EQ(NewBoundary(0u), "boundary00000000");
    EXPECT_EQ(NewBoundary(0xFFFFFFFFu), "boundaryFFFFFFFF");
    EXPECT_EQ(NewBoundary(0xabcdefu), "boundary00ABCDEF");
}

TEST(NewBoundary, UnitGeneratorGivesFreshFullRangeDraws) {
    std::set<std::string> seen;
    bool highBitSeen = false;
    for (int i = 0; i < 64; ++i) {
        std::string boundary = NewBoundary();
        ASSERT_EQ(boundary.size(), 16u) << boundary;
        ASSERT_EQ(boundary.find_first_not_of("0123456789ABCDEF", 8), std::string::npos)
            << boundary;
        highBitSeen = highBitSeen || boundary[8] >= '8';
        seen.insert(boundary);
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_TRUE(highBitSeen) << "draws should cover the full 32-bit range";
}

TEST(UpperHex, NoLeadingZeros) {
    EXPECT_EQ(ruzo::UpperHex(0), "0");
    EXPECT_EQ(ruzo::UpperHex(0x1B7E03), "1B7E03");
    EXPECT_EQ(ruzo::UpperHex(0xFFFFFFFFu), "FFFFFFFF");
}

struct HostRow {
    const char* name;
    const char* host;
    bool numeric;
};

void PrintTo(const HostRow& row, std::ostream* os) { *os << row.name; }

class IsNumericHostTest : public testing::TestWithParam<HostRow> {};

TEST_P(IsNumericHostTest, EveryPieceMustReadAsNonNegativeInteger) {
    EXPECT_EQ(IsNumericHost(GetParam().host), GetParam().numeric) << GetParam().host;
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, IsNumericHostTest,
    testing::Values(HostRow{"Loopback", "127.0.0.1", true},
                    HostRow{"PrivateAddress", "192.168.0.1", true},
                    HostRow{"SinglePiece", "10", true},
                    HostRow{"TwoPieces", "1.2", true},
                    HostRow{"RangeNotChecked", "300.1.1.1", true},
                    HostRow{"HexPieces", "0x7F.$0.x0.1", true},
                    HostRow{"LeadingSpacesAndSign", " 1.+2", true},
                    HostRow{"HostName", "localhost", false},
                    HostRow{"DottedName", "smtp.example", false},
                    HostRow{"EmptyLastPiece", "1.2.3.", false},
                    HostRow{"EmptyMiddlePiece", "1..2", false},
                    HostRow{"EmptyFirstPiece", ".1.2", false},
                    HostRow{"NegativePiece", "-1.2.3.4", false},
                    HostRow{"TrailingCharacters", "1 .2", false},
                    HostRow{"OutsideSigned32Bit", "1.2147483648", false},
                    HostRow{"Empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
