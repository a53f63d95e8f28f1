#pragma once
// Generated texts of a message: the Date field, multipart boundaries, the numeric-host test,
// and the unit's pseudo-random numbers.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ruzo {

// The current local time, as the C library reports it.
std::chrono::local_seconds LocalNow();
// Local time minus UTC in minutes, positive east of Greenwich, daylight saving included; it
// describes the moment of the call, not any date being formatted.
int LocalZoneMinutes();
// The same offset in days.
double LocalZoneOffset();

// A full-range 32-bit number from the unit's generator, which is seeded once per run from the
// clock.
std::uint32_t UnitRandom();

// Where a message takes the time and its random numbers. The defaults are the real ones; tests
// replace them to get exact bytes.
struct TMailEnvironment {
    std::function<std::chrono::local_seconds()> localNow = LocalNow;
    std::function<int()> zoneMinutes = LocalZoneMinutes;
    std::function<std::uint32_t()> random32 = UnitRandom;
};

// "+hhmm" east of Greenwich, "-hhmm" west of it, "GMT" at zero (never "+0000").
std::string ZoneText(int zoneMinutes);
// RFC 5322 date text such as «Wed, 09 Dec 2026 16:22:22 +0900»: `when` written as passed, with
// the zone text of `zoneMinutes`.
std::string MailDateText(std::chrono::local_seconds when, int zoneMinutes);
std::string MailDateText(std::chrono::local_seconds when);  // with the current zone

// Upper-case hexadecimal without leading zeros.
std::string UpperHex(std::uint32_t value);
// "boundary" and exactly 8 upper-case hexadecimal digits of `draw`.
std::string NewBoundary(std::uint32_t draw = UnitRandom());

// True when every piece between dots reads as a whole as a non-negative 32-bit integer (decimal,
// or hexadecimal after "$", "x" or "0x"). The number and the range of pieces are not checked.
bool IsNumericHost(std::string_view host);

}  // namespace ruzo
